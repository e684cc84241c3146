#include "layer_render.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "layer_store.h"
#include "scratch_buffer.h"
#include "tile_codec.h"
#include "truncate.h"

namespace imagery {

int32_t viewOriginX;
int32_t viewOriginY;
int32_t nonWhiteDrawn;

namespace {

// Bytes behind these in a coded tile are never read, so reading stops
// there too.
constexpr int64_t kMaxCodedTileBytes = maxCodedBytes(kRunStreamBytes);

bool levelValid() { return currentLevel >= 0 && currentLevel <= kFullResolutionLevel; }

// Full-resolution pixels per level pixel, as a power of two.
int levelShift() { return kFullResolutionLevel - currentLevel; }

// The tiles under the view: level tile column and row of its bottom-left
// tile, and how many columns and rows it shows.
struct ViewTiles {
    int firstColumn;
    int firstRow;
    int columns;
    int rows;
    int tilesDown;  // of the level
    int64_t tileFileLength;
};

// Where a tile's coded bytes lie in its strip's buffer; no bytes when they
// could not be read.
struct CodedPlace {
    size_t at;
    int64_t size;  // -1 when unread
};

// A strip's coded bytes take about this much memory before its painting;
// a strip holds at least one column whatever its size.
constexpr int64_t kStripBytes = int64_t{4} << 20;

// Working memory of one render, allocated once for all of its tiles.
struct RenderBuffers {
    ScratchBuffer offsetBytes;   // rows + 1 offsets for each column
    ScratchBuffer placeBuffer;   // a CodedPlace for each tile
    ScratchBuffer wholeBuffer;   // for each column, where its one read starts
    ScratchBuffer coded;         // the coded bytes of a strip
    ScratchBuffer tileBuffer;    // one decoded tile row of a strip
    ScratchBuffer tileList;      // and where each of its tiles is
    OwnedTileDecoder decoder = newTileDecoder();
    PaintColours colours;
};

template <typename T>
T* arrayOf(ScratchBuffer& buffer, size_t count) {
    return reinterpret_cast<T*>(buffer.atLeast(count * sizeof(T)));
}

// One row of tile pixels through the colours, four bytes a pixel: the
// spare byte lands on the next pixel, which is written after it, and the
// last pixel takes only its own. Where pixels are three bytes and words
// keep their least significant byte first, eight pixels of one colour, as
// maps have many, go out as three words. True when a pixel is not pure
// white, if asked.
template <bool kSeeWhite>
bool paintRow(uint8_t* out, const uint8_t* source, int count, const PaintColours& colours) {
    constexpr int kPixelBytes = wxNativePixelFormat::SizePixel;
    uint8_t seen = 0;
    const auto paint = [&](int k) {
        if (k + 1 < count) {
            std::memcpy(out + k * kPixelBytes, colours.pixel[source[k]], 4);
        } else {
            std::memcpy(out + k * kPixelBytes, colours.pixel[source[k]], kPixelBytes);
        }
        if (kSeeWhite) seen |= colours.nonWhite[source[k]];
    };
    int k = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (kPixelBytes == 3) {
        while (k + 8 <= count) {
            uint64_t group = 0;
            std::memcpy(&group, source + k, 8);
            if (group != source[k] * uint64_t{0x0101010101010101}) {
                for (const int end = k + 8; k < end; ++k) paint(k);
                continue;
            }
            uint32_t colour = 0;
            std::memcpy(&colour, colours.pixel[source[k]], 4);
            const uint64_t c = colour & 0xFFFFFFu;
            const uint64_t first = c | (c << 24) | (c << 48);
            const uint64_t second = (c >> 16) | (c << 8) | (c << 32) | (c << 56);
            const uint64_t third = (c >> 8) | (c << 16) | (c << 40);
            std::memcpy(out + k * 3, &first, 8);
            std::memcpy(out + k * 3 + 8, &second, 8);
            std::memcpy(out + k * 3 + 16, &third, 8);
            if (kSeeWhite) seen |= colours.nonWhite[source[k]];
            k += 8;
        }
    }
#endif
    for (; k < count; ++k) paint(k);
    return seen != 0;
}

// Reads and paints the view's tiles a strip of columns at a time. Each
// column costs one read of its offsets and, when they are in order and
// inside the file, one read of its coded tiles; otherwise each tile whose
// own bytes are sound is read alone, and the others are left out. The
// strip is then painted a tile row at a time from the top, image row after
// image row, so that the bitmap is written in the order it lies in memory.
class ViewRender {
public:
    ViewRender(const ViewTiles& view, wxNativePixelData& pixels, int width, int height, RenderBuffers& buffers)
        : view_(view), pixels_(pixels), width_(width), height_(height), buffers_(buffers) {}

    // Stops where working memory cannot be had.
    void run() {
        const auto columns = static_cast<size_t>(view_.columns);
        const auto rows = static_cast<size_t>(view_.rows);
        offsets_ = buffers_.offsetBytes.atLeast(columns * (rows + 1) * 4);
        places_ = arrayOf<CodedPlace>(buffers_.placeBuffer, columns * rows);
        wholeStart_ = arrayOf<int64_t>(buffers_.wholeBuffer, columns);
        tiles_ = arrayOf<const uint8_t*>(buffers_.tileList, columns);
        if (offsets_ == nullptr || places_ == nullptr || wholeStart_ == nullptr || tiles_ == nullptr) return;
        for (int first = 0; first < view_.columns;) {
            stripBytes_ = 0;
            int end = first;
            while (end < view_.columns && (end == first || stripBytes_ < kStripBytes)) planColumn(end++);
            uint8_t* coded = buffers_.coded.atLeast(stripBytes_);
            if (coded == nullptr) return;
            for (int c = first; c < end; ++c) readColumn(c, coded);
            if (!paintStrip(first, end, coded)) return;
            first = end;
        }
    }

private:
    uint32_t offset(int c, int j) const {
        return littleEndianU32(offsets_ + 4 * (static_cast<size_t>(c) * (view_.rows + 1) + j));
    }

    CodedPlace& place(int c, int j) { return places_[static_cast<size_t>(c) * view_.rows + j]; }

    // Reads the column's offsets and sets out where its tiles go in the
    // strip's buffer, and whether they are read in one piece.
    void planColumn(int c) {
        const LevelFileBase& base = levelFileBases[currentLevel];
        wholeStart_[c] = -1;
        for (int j = 0; j < view_.rows; ++j) place(c, j).size = -1;
        const size_t bytes = (static_cast<size_t>(view_.rows) + 1) * 4;
        const int64_t position =
            int64_t{base.offsetBase} + (int64_t{view_.tilesDown} * (view_.firstColumn + c) + view_.firstRow) * 4;
        if (!layerOffsetFile.readAt(position, offsets_ + static_cast<size_t>(c) * bytes, bytes)) return;
        bool ordered = true;
        for (int j = 0; j < view_.rows; ++j) ordered = ordered && offset(c, j) <= offset(c, j + 1);
        const int64_t columnStart = int64_t{base.tileBase} + offset(c, 0);
        const int64_t columnEnd = int64_t{base.tileBase} + offset(c, view_.rows);
        if (ordered && columnStart >= 0 && columnEnd <= view_.tileFileLength &&
            columnEnd - columnStart <= kMaxCodedTileBytes * view_.rows) {
            wholeStart_[c] = columnStart;
            for (int j = 0; j < view_.rows; ++j) {
                place(c, j) = CodedPlace{stripBytes_ + (offset(c, j) - offset(c, 0)),
                                         int64_t{offset(c, j + 1)} - offset(c, j)};
            }
            stripBytes_ += static_cast<size_t>(columnEnd - columnStart);
            return;
        }
        for (int j = 0; j < view_.rows; ++j) {
            const int64_t start = int64_t{base.tileBase} + offset(c, j);
            const int64_t end = int64_t{base.tileBase} + offset(c, j + 1);
            if (start < 0 || start > end || end > view_.tileFileLength) continue;
            const int64_t size = std::min(end - start, kMaxCodedTileBytes);
            place(c, j) = CodedPlace{stripBytes_, size};
            stripBytes_ += static_cast<size_t>(size);
        }
    }

    // Reads what planColumn set out. A tile whose read fails stays unread.
    void readColumn(int c, uint8_t* coded) {
        const LevelFileBase& base = levelFileBases[currentLevel];
        if (wholeStart_[c] >= 0) {
            const size_t bytes = static_cast<size_t>(int64_t{offset(c, view_.rows)} - offset(c, 0));
            if (!layerTileFile.readAt(wholeStart_[c], coded + place(c, 0).at, bytes)) {
                for (int j = 0; j < view_.rows; ++j) place(c, j).size = -1;
            }
            return;
        }
        for (int j = 0; j < view_.rows; ++j) {
            CodedPlace& tile = place(c, j);
            if (tile.size < 0) continue;
            const int64_t start = int64_t{base.tileBase} + offset(c, j);
            if (!layerTileFile.readAt(start, coded + tile.at, static_cast<size_t>(tile.size))) tile.size = -1;
        }
    }

    // The strip's tile rows from the top: each row's tiles decoded side by
    // side, then painted; a tile that is unread or does not decode to a
    // whole tile is left unpainted.
    bool paintStrip(int first, int end, const uint8_t* coded) {
        const int count = end - first;
        uint8_t* decoded = buffers_.tileBuffer.atLeast(static_cast<size_t>(count) * kTileBytes);
        if (decoded == nullptr) return false;
        for (int j = view_.rows - 1; j >= 0; --j) {
            for (int c = first; c < end; ++c) {
                const CodedPlace& tile = place(c, j);
                uint8_t* out = decoded + static_cast<size_t>(c - first) * kTileBytes;
                const bool whole = tile.size >= 0 && decodeLayerTile(*buffers_.decoder, coded + tile.at,
                                                                     static_cast<uint32_t>(std::min(tile.size, kMaxCodedTileBytes)), out);
                tiles_[c - first] = whole ? out : nullptr;
            }
            blitTileRow(pixels_, buffers_.colours, tiles_, count, 64 * first, height_ - 64 * (j + 1), width_, height_);
        }
        return true;
    }

    const ViewTiles& view_;
    wxNativePixelData& pixels_;
    int width_;
    int height_;
    RenderBuffers& buffers_;
    uint8_t* offsets_ = nullptr;
    CodedPlace* places_ = nullptr;
    int64_t* wholeStart_ = nullptr;
    const uint8_t** tiles_ = nullptr;
    size_t stripBytes_ = 0;
};

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
    if (buffers.decoder == nullptr) return 0;
    preparePaintColours(&buffers.colours);
    const ViewTiles view{c0, r0, columns, rows, tilesDown, layerTileFile.length()};
    ViewRender(view, pixels, width, height, buffers).run();
    return nonWhiteDrawn;
}

void preparePaintColours(PaintColours* colours) {
    for (int i = 0; i < 256; ++i) {
        const uint8_t* colour = renderPalette[i];
        uint8_t* pixel = colours->pixel[i];
        pixel[wxNativePixelFormat::RED] = colour[0];
        pixel[wxNativePixelFormat::GREEN] = colour[1];
        pixel[wxNativePixelFormat::BLUE] = colour[2];
        pixel[3] = 0;
        colours->nonWhite[i] = colour[0] < 255 || colour[1] < 255 || colour[2] < 255 ? 1 : 0;
    }
}

void blitTileRow(wxNativePixelData& pixels, const PaintColours& colours, const uint8_t* const* tiles, int count, int x,
                 int y, int width, int height) {
    static_assert(wxNativePixelFormat::SizePixel <= 4, "a pixel fits the colour table's entries");
    const int right = std::min({x + 64 * count, width, pixels.GetWidth()});
    const int bottom = std::min({y + 64, height, pixels.GetHeight()});
    const int top = std::max(y, 0);
    if (x < 0 || x >= right || top >= bottom) return;
    wxNativePixelData::Iterator corner(pixels);
    corner.MoveTo(pixels, x, top);
    uint8_t* row = &corner.Red() - wxNativePixelFormat::RED;
    for (int r = top; r < bottom; ++r, row += pixels.GetRowStride()) {
        for (int t = 0; t < count && x + 64 * t < right; ++t) {
            if (tiles[t] == nullptr) continue;
            // Tile rows are stored from the south: row 63 is the tile's top.
            const uint8_t* source = tiles[t] + (63 - (r - y)) * 64;
            uint8_t* out = row + 64 * t * wxNativePixelFormat::SizePixel;
            const int pixelCount = std::min(64, right - x - 64 * t);
            // Once a pixel other than white is painted, no more are looked
            // for.
            if (nonWhiteDrawn != 0) {
                paintRow<false>(out, source, pixelCount, colours);
            } else if (paintRow<true>(out, source, pixelCount, colours)) {
                nonWhiteDrawn = 1;
            }
        }
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
