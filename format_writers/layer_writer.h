// The three files of one city map layer: the ".txt" header, the ".off"
// tile offsets and the ".cmp" coded tiles of a five-level tile pyramid.
#ifndef OSTRIM_LAYER_WRITER_H
#define OSTRIM_LAYER_WRITER_H

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace writers {

constexpr int kLayerLevels = 5;

// The full-resolution image: its south-west corner in grid metres and its
// size in pixels (multiples of 1024 make every level whole tiles).
struct LayerGeometry {
    int32_t left = 0;
    int32_t bottom = 0;
    int32_t width = 1024;
    int32_t height = 1024;
};

// The 4096 palette indexes of tile (column, row) of a level, rows from the
// bottom (index = row within the tile * 64 + column within the tile).
using LayerTileSource = std::function<std::vector<uint8_t>(int level, int column, int row)>;

// Palette index of level pixel x (from the left) and y (from the bottom).
using LayerPixelSource = std::function<uint8_t(int level, int x, int y)>;
LayerTileSource tilesFromPixels(const LayerPixelSource& pixel);

enum class LayerHeaderStyle {
    commas,          // 1,2,...,14
    linesFirstComma, // one number per CR LF line, the first followed by a comma
};

struct LayerWriteOptions {
    // Spare bytes after each of levels 0 to 3 in both files, counted in the
    // header's sizes.
    uint32_t levelPadding = 0;
    LayerHeaderStyle headerStyle = LayerHeaderStyle::commas;
    // Fields written to the header; fewer than 14 make a short header.
    int headerFields = 14;
    // Bytes cut from the end of the ".cmp".
    uint32_t truncateTiles = 0;
};

struct LayerFiles {
    std::string header;          // ".txt"
    std::vector<uint8_t> offsets;  // ".off"
    std::vector<uint8_t> tiles;    // ".cmp"
    // Where each level starts in the ".cmp" and the ".off", and its grid.
    std::array<uint32_t, kLayerLevels> tileBase{};
    std::array<uint32_t, kLayerLevels> offsetBase{};
    std::array<int32_t, kLayerLevels> tilesAcross{};
    std::array<int32_t, kLayerLevels> tilesDown{};

    // The offset entry of a tile (row == tilesDown and column == the last
    // column's index + 1 reach the level's closing entry through the index
    // column * tilesDown + row).
    size_t offsetEntryPosition(int level, int column, int row) const;
    uint32_t offsetEntry(int level, int column, int row) const;
    void setOffsetEntry(int level, int column, int row, uint32_t value);
    // Byte position of a tile's coded bytes in the ".cmp".
    size_t tilePosition(int level, int column, int row) const;
};

LayerFiles buildLayer(const LayerGeometry& geometry, const LayerTileSource& tiles,
                      const LayerWriteOptions& options = {});

// The header text of fields in the given style.
std::string layerHeaderText(const std::vector<int64_t>& fields, LayerHeaderStyle style);

// "key.", "map.", "map2." or "map1." for layers 0 to 3.
std::string layerFilePrefix(int layer);

// Writes cityFolder + prefix + "cmp", "off" and "txt"; the folder (ending
// with '/') is created.
bool writeLayer(const std::string& cityFolder, int layer, const LayerFiles& files);

}  // namespace writers

#endif
