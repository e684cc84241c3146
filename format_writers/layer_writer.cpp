#include "layer_writer.h"

#include <algorithm>

#include "byte_writer.h"
#include "tile_encoder.h"

namespace writers {

namespace {

constexpr uint8_t kPaddingByte = 0xEE;

void putU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

LayerTileSource tilesFromPixels(const LayerPixelSource& pixel) {
    return [pixel](int level, int column, int row) {
        std::vector<uint8_t> tile(4096);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) tile[y * 64 + x] = pixel(level, column * 64 + x, row * 64 + y);
        }
        return tile;
    };
}

size_t LayerFiles::offsetEntryPosition(int level, int column, int row) const {
    return offsetBase[level] + (static_cast<size_t>(column) * tilesDown[level] + row) * 4;
}

uint32_t LayerFiles::offsetEntry(int level, int column, int row) const {
    const size_t at = offsetEntryPosition(level, column, row);
    return uint32_t{offsets[at]} | (uint32_t{offsets[at + 1]} << 8) | (uint32_t{offsets[at + 2]} << 16) |
           (uint32_t{offsets[at + 3]} << 24);
}

void LayerFiles::setOffsetEntry(int level, int column, int row, uint32_t value) {
    putU32(offsets, offsetEntryPosition(level, column, row), value);
}

size_t LayerFiles::tilePosition(int level, int column, int row) const {
    return tileBase[level] + offsetEntry(level, column, row);
}

LayerFiles buildLayer(const LayerGeometry& geometry, const LayerTileSource& tiles, const LayerWriteOptions& options) {
    LayerFiles files;
    std::vector<int64_t> fields = {geometry.left, geometry.bottom, geometry.width, geometry.height};
    // A layer is mostly tiles of one colour; each is coded once.
    std::array<std::vector<uint8_t>, 256> uniformTiles;
    for (int level = 0; level < kLayerLevels; ++level) {
        const int shift = kLayerLevels - 1 - level;
        const int across = std::max((geometry.width >> shift) / 64, 0);
        const int down = std::max((geometry.height >> shift) / 64, 0);
        files.tilesAcross[level] = across;
        files.tilesDown[level] = down;
        files.tileBase[level] = static_cast<uint32_t>(files.tiles.size());
        files.offsetBase[level] = static_cast<uint32_t>(files.offsets.size());
        ByteWriter table;
        for (int column = 0; column < across; ++column) {
            for (int row = 0; row < down; ++row) {
                table.u32(static_cast<uint32_t>(files.tiles.size() - files.tileBase[level]));
                const std::vector<uint8_t> tile = tiles(level, column, row);
                const bool uniform = std::all_of(tile.begin(), tile.end(), [&](uint8_t b) { return b == tile[0]; });
                std::vector<uint8_t> coded;
                if (uniform && !uniformTiles[tile[0]].empty()) {
                    coded = uniformTiles[tile[0]];
                } else {
                    coded = encodeLayerTile(tile);
                    if (uniform) uniformTiles[tile[0]] = coded;
                }
                files.tiles.insert(files.tiles.end(), coded.begin(), coded.end());
            }
        }
        table.u32(static_cast<uint32_t>(files.tiles.size() - files.tileBase[level]));
        files.offsets.insert(files.offsets.end(), table.bytes().begin(), table.bytes().end());
        if (level < kLayerLevels - 1) {
            files.tiles.insert(files.tiles.end(), options.levelPadding, kPaddingByte);
            files.offsets.insert(files.offsets.end(), options.levelPadding, kPaddingByte);
            fields.push_back(static_cast<int64_t>(files.offsets.size() - files.offsetBase[level]));
            fields.push_back(static_cast<int64_t>(files.tiles.size() - files.tileBase[level]));
        }
    }
    fields.push_back(0);
    fields.push_back(0);
    fields.resize(static_cast<size_t>(std::clamp(options.headerFields, 0, 14)));
    files.header = layerHeaderText(fields, options.headerStyle);
    files.tiles.resize(files.tiles.size() - std::min<size_t>(options.truncateTiles, files.tiles.size()));
    return files;
}

std::string layerHeaderText(const std::vector<int64_t>& fields, LayerHeaderStyle style) {
    std::string text;
    for (size_t i = 0; i < fields.size(); ++i) {
        text += std::to_string(fields[i]);
        if (style == LayerHeaderStyle::commas) {
            if (i + 1 < fields.size()) text += ",";
        } else {
            text += i == 0 ? ",\r\n" : "\r\n";
        }
    }
    return text;
}

std::string layerFilePrefix(int layer) {
    static const char* const prefixes[] = {"key.", "map.", "map2.", "map1."};
    return layer >= 0 && layer < 4 ? prefixes[layer] : "";
}

bool writeLayer(const std::string& cityFolder, int layer, const LayerFiles& files) {
    const std::string base = cityFolder + layerFilePrefix(layer);
    return makeDirectories(cityFolder) && writeFileBytes(base + "cmp", files.tiles) &&
           writeFileBytes(base + "off", files.offsets) && writeFileText(base + "txt", files.header);
}

}  // namespace writers
