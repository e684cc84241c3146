#include "layer_render.h"

#include <algorithm>
#include <cmath>

#include "layer_store.h"
#include "scratch_buffer.h"
#include "tile_codec.h"
#include "truncate.h"

namespace imagery {

int32_t viewOriginX;
int32_t viewOriginY;
int32_t nonWhiteDrawn;

namespace {

// The longest coded tile a decode can consume: the largest code table and
// one more 256-bit code than the run-length stream has bytes. Bytes behind
// that in a tile are never read, so reading stops there too.
constexpr int64_t kMaxCodedTileBytes = (261 + 257 * 265 + (int64_t{kRunStreamBytes} + 2) * 256) / 8 + 1;

bool levelValid() { return currentLevel >= 0 && currentLevel <= kFullResolutionLevel; }

// Full-resolution pixels per level pixel, as a power of two.
int levelShift() { return kFullResolutionLevel - currentLevel; }

// Working memory of one render, allocated once for all of its tiles; the
// offsets and coded bytes grow with the largest column.
struct RenderBuffers {
    ScratchBuffer offsetBytes;
    ScratchBuffer coded;
    ScratchBuffer runBuffer;
    ScratchBuffer tileBuffer;
    uint8_t* runs = runBuffer.zeroed(kRunStreamBytes);
    uint8_t* tile = tileBuffer.zeroed(kTileBytes);
};

// Decodes one coded layer tile; false unless it yields exactly one tile.
bool decodeLayerTile(const uint8_t* coded, int64_t size, RenderBuffers& buffers) {
    const auto length = static_cast<uint32_t>(std::min(size, kMaxCodedTileBytes));
    const uint32_t runBytes = huffmanDecode(coded, length, buffers.runs, kRunStreamBytes);
    if (lastDecodeDamaged()) return false;
    const uint32_t tileBytes = rleDecode(buffers.runs, runBytes, buffers.tile, kTileBytes);
    return !lastDecodeDamaged() && tileBytes == kTileBytes;
}

struct ColumnPlan {
    int column;        // tile column of the level
    int firstRow;      // tile row of the level, from the bottom
    int rows;
    int imageX;        // image column of the tile column's left edge
    int imageHeight;
};

// One tile column of the view: its offsets, then its coded tiles in one
// read when the offsets are in order and inside the file; otherwise each
// tile whose own bytes are sound is read alone, and the others are skipped.
void renderTileColumn(const ColumnPlan& plan, int tilesDown, int64_t tileFileLength, wxNativePixelData& pixels,
                      int imageWidth, RenderBuffers& buffers) {
    const LevelFileBase& base = levelFileBases[currentLevel];
    const size_t offsetBytes = (static_cast<size_t>(plan.rows) + 1) * 4;
    uint8_t* entries = buffers.offsetBytes.zeroed(offsetBytes);
    const int64_t offsetPosition =
        int64_t{base.offsetBase} + (int64_t{tilesDown} * plan.column + plan.firstRow) * 4;
    if (entries == nullptr || !layerOffsetFile.readAt(offsetPosition, entries, offsetBytes)) {
        return;
    }
    auto offset = [entries](int j) { return littleEndianU32(entries + 4 * static_cast<size_t>(j)); };
    bool ordered = true;
    for (int j = 0; j < plan.rows; ++j) ordered = ordered && offset(j) <= offset(j + 1);
    const int64_t columnStart = int64_t{base.tileBase} + offset(0);
    const int64_t columnEnd = int64_t{base.tileBase} + offset(plan.rows);
    const uint8_t* column = nullptr;
    if (ordered && columnStart >= 0 && columnEnd <= tileFileLength &&
        columnEnd - columnStart <= kMaxCodedTileBytes * plan.rows) {
        const auto size = static_cast<size_t>(columnEnd - columnStart);
        uint8_t* bytes = buffers.coded.zeroed(size);
        if (bytes == nullptr || !layerTileFile.readAt(columnStart, bytes, size)) return;
        column = bytes;
    }
    for (int j = 0; j < plan.rows; ++j) {
        const int64_t start = int64_t{base.tileBase} + offset(j);
        const int64_t end = int64_t{base.tileBase} + offset(j + 1);
        bool decoded = false;
        if (column != nullptr) {
            decoded = decodeLayerTile(column + (start - columnStart), end - start, buffers);
        } else if (start >= 0 && start <= end && end <= tileFileLength) {
            const int64_t size = std::min(end - start, kMaxCodedTileBytes);
            uint8_t* bytes = buffers.coded.zeroed(static_cast<size_t>(size));
            decoded = bytes != nullptr && layerTileFile.readAt(start, bytes, static_cast<size_t>(size)) &&
                      decodeLayerTile(bytes, size, buffers);
        }
        if (decoded) {
            blitTile(pixels, buffers.tile, plan.imageX, plan.imageHeight - 64 * (j + 1), imageWidth,
                     plan.imageHeight);
        }
    }
}

}  // namespace

bool setViewOrigin(float easting, float northing) {
    if (!levelValid()) return false;
    const PyramidLevel& full = pyramidLevels[kFullResolutionLevel];
    const double column = (static_cast<double>(easting) - full.left) / full.eastingExtent * full.width;
    const double row = full.height - (full.top - static_cast<double>(northing)) / full.northingExtent * full.height;
    // NaN or infinite corners and layers of no extent fit nowhere.
    if (!std::isfinite(column) || !std::isfinite(row)) return false;
    const int64_t x = platform::truncToInt64(column);
    const int64_t y = platform::truncToInt64(row);
    const int64_t spanX = int64_t{getMapWidth()} * (int64_t{1} << levelShift());
    const int64_t spanY = int64_t{getMapHeight()} * (int64_t{1} << levelShift());
    if (x < 0 || y < 0 || x > full.width - spanX || full.height - y < spanY) return false;
    viewOriginX = static_cast<int32_t>(x / 64 * 64);
    viewOriginY = static_cast<int32_t>(y / 64 * 64);
    return true;
}

int renderMapTiles(int width, int height) {
    nonWhiteDrawn = 0;
    if (!levelValid() || width <= 0 || height <= 0 || viewOriginX < 0 || viewOriginY < 0) return 0;
    const int s = levelShift();
    const PyramidLevel& level = pyramidLevels[currentLevel];
    const int32_t x0 = (viewOriginX >> s) / 64 * 64;
    const int32_t y0 = (viewOriginY >> s) / 64 * 64;
    viewOriginX = x0 << s;
    viewOriginY = y0 << s;
    const int c0 = x0 / 64;
    const int r0 = y0 / 64;
    const int tilesAcross = std::max(level.width / 64, 0);
    const int tilesDown = std::max(level.height / 64, 0);
    // A view whose last tile column or row would lie past the level's tile
    // grid reads only the tiles that exist.
    const int columns = std::min((width + 63) / 64, tilesAcross - c0);
    const int rows = std::min((height + 63) / 64, tilesDown - r0);
    if (columns <= 0 || rows <= 0) return 0;

    wxNativePixelData pixels(renderBitmap);
    if (!pixels) return 0;
    RenderBuffers buffers;
    if (buffers.runs == nullptr || buffers.tile == nullptr) return 0;
    const int64_t tileFileLength = layerTileFile.length();
    for (int c = 0; c < columns; ++c) {
        const ColumnPlan plan{c0 + c, r0, rows, 64 * c, height};
        renderTileColumn(plan, tilesDown, tileFileLength, pixels, width, buffers);
    }
    return nonWhiteDrawn;
}

void blitTile(wxNativePixelData& pixels, const uint8_t* tile, int x, int y, int width, int height) {
    const int right = std::min({x + 64, width, pixels.GetWidth()});
    const int bottom = std::min({y + 64, height, pixels.GetHeight()});
    const int top = std::max(y, 0);
    if (x < 0 || x >= right || top >= bottom) return;
    wxNativePixelData::Iterator rowStart(pixels);
    rowStart.MoveTo(pixels, x, top);
    for (int r = top; r < bottom; ++r) {
        // Tile rows are stored from the south: row 63 is the tile's top.
        const uint8_t* source = tile + (63 - (r - y)) * 64;
        wxNativePixelData::Iterator pixel = rowStart;
        for (int k = 0; k < right - x; ++k, ++pixel) {
            const uint8_t* colour = renderPalette[source[k]];
            pixel.Red() = colour[0];
            pixel.Green() = colour[1];
            pixel.Blue() = colour[2];
            if (nonWhiteDrawn == 0 && (colour[0] < 255 || colour[1] < 255 || colour[2] < 255)) nonWhiteDrawn = 1;
        }
        rowStart.OffsetY(pixels, 1);
    }
}

double pixelToEasting(float x) {
    const PyramidLevel& level = pyramidLevels[levelValid() ? currentLevel : kFullResolutionLevel];
    const int s = levelValid() ? levelShift() : 0;
    return (static_cast<double>(viewOriginX >> s) + x) * level.eastingExtent / level.width + level.left;
}

double pixelToNorthing(int y, int height) {
    const PyramidLevel& level = pyramidLevels[levelValid() ? currentLevel : kFullResolutionLevel];
    const int s = levelValid() ? levelShift() : 0;
    const int64_t rows = int64_t{viewOriginY >> s} + height - level.height - y;
    return level.top + static_cast<double>(rows) * level.northingExtent / level.height;
}

}  // namespace imagery
