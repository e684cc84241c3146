#include "sheet_writer.h"

#include <cstdio>

#include "byte_writer.h"
#include "tile_encoder.h"

namespace writers {

const char* const kSheetZoomFolders[5] = {"1//", "3//", "6//", "12//", "24//"};

std::string sheetIndexText(const std::vector<SheetIndexRecord>& records, const std::string& lineEnd) {
    std::string text;
    char line[512];
    for (const SheetIndexRecord& r : records) {
        // Nine digits give the single-precision scale back exactly.
        std::snprintf(line, sizeof line, ",%.9g,%.17g,%.17g,%d,%d,%d", static_cast<double>(r.scale), r.left,
                      r.top, r.reserved, r.width, r.height);
        text += r.name + line + lineEnd;
    }
    return text;
}

bool writeSheetIndex(const std::string& mapsFolder, const std::vector<SheetIndexRecord>& records,
                     const std::string& lineEnd) {
    for (const char* zoomFolder : kSheetZoomFolders) {
        if (!makeDirectories(mapsFolder + zoomFolder)) return false;
    }
    return writeFileText(mapsFolder + "1//index.dat", sheetIndexText(records, lineEnd));
}

SheetPalette sheetPalette(const std::vector<std::array<uint8_t, 3>>& redGreenBlue) {
    SheetPalette palette{};
    for (size_t k = 0; k < redGreenBlue.size() && k < 256; ++k) {
        palette[4 * k] = redGreenBlue[k][2];
        palette[4 * k + 1] = redGreenBlue[k][1];
        palette[4 * k + 2] = redGreenBlue[k][0];
    }
    return palette;
}

SheetFiles assembleSheet(const std::vector<std::vector<uint8_t>>& codedTiles, const SheetPalette& palette) {
    SheetFiles files;
    ByteWriter offsets;
    for (const std::vector<uint8_t>& coded : codedTiles) {
        offsets.u32(static_cast<uint32_t>(files.cmp.size()));
        files.cmp.insert(files.cmp.end(), coded.begin(), coded.end());
    }
    offsets.u32(static_cast<uint32_t>(files.cmp.size()));
    files.off = offsets.bytes();
    files.pal.assign(palette.begin(), palette.end());
    return files;
}

SheetFiles encodeSheet(int32_t width, int32_t height, const SheetPixels& pixels, const SheetPalette& palette) {
    const int32_t tilesAcross = (width + 63) / 64;
    const int32_t tilesDown = (height + 63) / 64;
    std::vector<std::vector<uint8_t>> codedTiles;
    std::vector<uint8_t> tile(4096);
    for (int32_t col = 0; col < tilesAcross; ++col) {
        for (int32_t row = 0; row < tilesDown; ++row) {
            for (int32_t y = 0; y < 64; ++y)
                for (int32_t x = 0; x < 64; ++x) tile[y * 64 + x] = pixels(col * 64 + x, row * 64 + y);
            codedTiles.push_back(encodeSheetTile(tile));
        }
    }
    return assembleSheet(codedTiles, palette);
}

bool writeSheetFiles(const std::string& folder, const std::string& name, const SheetFiles& files) {
    const std::string stem = folder + name;
    return makeDirectories(folder) && writeFileBytes(stem + ".cmp", files.cmp) &&
           writeFileBytes(stem + ".off", files.off) && writeFileBytes(stem + ".pal", files.pal);
}

}  // namespace writers
