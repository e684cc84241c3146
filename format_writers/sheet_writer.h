// Map sheets: the index "1//index.dat" under a maps folder, the five zoom
// folders beside it, and per sheet its ".cmp" (one Huffman stream per 64 x 64
// tile), ".off" (absolute u32 offsets, column by column from the left, each
// column from its bottom tile, plus the end of the last tile) and ".pal"
// (256 entries of 4 bytes).
#ifndef OSTRIM_SHEET_WRITER_H
#define OSTRIM_SHEET_WRITER_H

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace writers {

// The zoom folders as the library names them.
extern const char* const kSheetZoomFolders[5];

struct SheetIndexRecord {
    std::string name;
    float scale = 0.1f;  // metres per sheet pixel
    double left = 0.0;   // grid easting of the left edge
    double top = 0.0;    // grid northing of the top edge
    int32_t reserved = 0;
    int32_t width = 0;   // pixels
    int32_t height = 0;
};

// One line per record, each ended by lineEnd.
std::string sheetIndexText(const std::vector<SheetIndexRecord>& records, const std::string& lineEnd = "\n");

// Creates the maps folder and its five zoom folders and writes the index.
bool writeSheetIndex(const std::string& mapsFolder, const std::vector<SheetIndexRecord>& records,
                     const std::string& lineEnd = "\n");

// Entries as a Windows colour table holds them: blue, green, red, unused.
using SheetPalette = std::array<uint8_t, 1024>;
SheetPalette sheetPalette(const std::vector<std::array<uint8_t, 3>>& redGreenBlue);

// The palette index of sheet pixel (px, py), counted from the left and the
// bottom edge; asked for every pixel of the whole tiles, so also for the
// padding beyond the sheet's width and height.
using SheetPixels = std::function<uint8_t(int32_t px, int32_t py)>;

struct SheetFiles {
    std::vector<uint8_t> cmp;
    std::vector<uint8_t> off;
    std::vector<uint8_t> pal;
};

SheetFiles encodeSheet(int32_t width, int32_t height, const SheetPixels& pixels, const SheetPalette& palette);

// The files of coded tiles given in offset-table order (column by column,
// each from the bottom), whatever they decode to.
SheetFiles assembleSheet(const std::vector<std::vector<uint8_t>>& codedTiles, const SheetPalette& palette);

// <folder><name>.cmp, .off and .pal; folder is a maps folder joined with a
// zoom folder.
bool writeSheetFiles(const std::string& folder, const std::string& name, const SheetFiles& files);

}  // namespace writers

#endif
