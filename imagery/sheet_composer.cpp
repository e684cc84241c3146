#include "sheet_composer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "OstrimMapDll.h"
#include "coordinates.h"
#include "data_file.h"
#include "export_guard.h"
#include "file_names.h"
#include "scratch_buffer.h"
#include "sheet_index.h"
#include "tile_codec.h"
#include "truncate.h"

namespace imagery {

namespace {

// Constants of the view arithmetic are single-precision values; sums and
// products are formed in double.
constexpr double kCellMetres = static_cast<double>(0.1f);

bool fitsInt32(double value) {
    return value > -2147483649.0 && value < 2147483648.0;
}

const wxChar* zoomFolderFor(float zoom) {
    if (zoom < 0.3f) return wxS("1//");
    if (zoom < 0.6f) return wxS("3//");
    if (zoom < 1.2f) return wxS("6//");
    if (zoom < 2.4f) return wxS("12//");
    return wxS("24//");
}

// The open files of one sheet and its palette, read whole.
struct SheetFiles {
    uint8_t palette[kSheetPaletteBytes] = {};
    platform::DataFile offsets;
    platform::DataFile tiles;
    int64_t offsetsLength = 0;
    int64_t tilesLength = 0;
};

// A sheet is drawn only with all three files: a ".pal" or ".off" missing
// beside its ".cmp" leaves it out as a missing ".cmp" does, before it can
// supply the palette.
bool openSheetFiles(const wxString& stem, SheetFiles* files) {
    if (!platform::DataFile::exists(stem + wxS(".cmp"))) return false;
    {
        platform::DataFile palette;
        if (!palette.open(stem + wxS(".pal")) || !palette.readExact(files->palette, sizeof files->palette))
            return false;
    }
    if (!files->tiles.open(stem + wxS(".cmp")) || !files->offsets.open(stem + wxS(".off"))) return false;
    files->tilesLength = files->tiles.length();
    files->offsetsLength = files->offsets.length();
    return files->tilesLength >= 0 && files->offsetsLength >= 0;
}

// Each index of a later sheet's palette goes to the output palette's index
// of the nearest colour (bytes 0 to 2, city-block distance), the lowest
// index on a tie.
void buildPaletteRemap(const uint8_t* sheetPalette, const uint8_t* outputPalette, uint8_t* remap) {
    for (int j = 0; j < 256; ++j) {
        const uint8_t* a = sheetPalette + 4 * j;
        int best = 0;
        int bestDistance = 1 << 30;
        for (int k = 0; k < 256; ++k) {
            const uint8_t* b = outputPalette + 4 * k;
            const int distance = std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = k;
            }
        }
        remap[j] = static_cast<uint8_t>(best);
    }
}

int64_t ceilToInt64(double value) { return platform::truncToInt64(std::ceil(value)); }

// A tile clip bound from sheet pixels, held to the tile.
int32_t tileClip(double value) {
    return static_cast<int32_t>(std::clamp<int64_t>(platform::truncToInt64(value), 0, kTileSide));
}

// The tile pixels [from, to) drawn across (or up) tile index of the range
// [first, last): the first tile is cut at the view's start edge when that
// lies inside the sheet, the last (unless it is also the first) at the end
// edge. Edges are in sheet pixels.
void drawnRange(int64_t index, int64_t first, int64_t last, bool cutStart, bool cutEnd, double startEdge,
                double endEdge, int32_t* from, int32_t* to) {
    const double tileStart = 64.0 * static_cast<double>(index);
    *from = index == first && cutStart ? tileClip(startEdge - tileStart) : 0;
    *to = index == last - 1 && index != first && cutEnd ? tileClip(endEdge - tileStart) : int32_t{kTileSide};
}

// Draws the tiles of one sheet that lie under the view.
class SheetDrawing {
public:
    SheetDrawing(const SheetView& view, const MapSheet& sheet, SheetFiles& files, CellTarget& target)
        : view_(view), sheet_(sheet), files_(files), target_(target) {}

    void draw(const uint8_t* remap) {
        const double scale = sheet_.scale;
        tilesAcross_ = (static_cast<int64_t>(sheet_.width) + kTileSide - 1) / kTileSide;
        tilesDown_ = (static_cast<int64_t>(sheet_.height) + kTileSide - 1) / kTileSide;
        placement_.remap = remap;
        placement_.tile = tile_;
        placement_.smear = ceilToInt64(10.0 * scale);

        // The view's edges in the sheet's own pixels.
        sxLeft_ = (static_cast<double>(view_.left) - sheet_.left) / scale;
        sxRight_ = (static_cast<double>(view_.right) - sheet_.left) / scale;
        syBottom_ = (static_cast<double>(view_.bottom) - sheet_.bottom) / scale;
        syTop_ = (static_cast<double>(view_.top) - sheet_.bottom) / scale;

        firstRow_ = view_.bottom < sheet_.bottom
                        ? 0
                        : std::max<int64_t>(0, platform::truncToInt64(syBottom_ / kTileSide));
        lastRow_ = view_.top > sheet_.top ? tilesDown_
                                          : std::min(tilesDown_, ceilToInt64(syTop_ / kTileSide));
        firstCol_ = std::max<int64_t>(0, platform::truncToInt64(sxLeft_ / kTileSide));
        lastCol_ = std::min(tilesAcross_, ceilToInt64(sxRight_ / kTileSide));
        if (firstCol_ >= lastCol_ || firstRow_ >= lastRow_) return;

        // A sheet pixel covers 10 x scale cells. Held in single precision
        // like the scale it comes from, this is exactly 1 for a sheet of
        // 0.1 m, whose pixels then land one cell apart from the pixel at the
        // view's truncated edge.
        cellsPerPixel_ = static_cast<double>(10.0f * sheet_.scale);
        columnBase_ = platform::truncToInt64(sxLeft_ * cellsPerPixel_);
        rowBase_ = platform::truncToInt64(syBottom_ * cellsPerPixel_);

        // Columns whose offsets lie past the end of a short ".off" are left
        // out, without a read each.
        const int64_t lastEntry = files_.offsetsLength / 4 - 1;
        const int64_t readableColumns = lastEntry >= lastRow_ ? (lastEntry - lastRow_) / tilesDown_ + 1 : 0;
        const int64_t endCol = std::min(lastCol_, readableColumns);
        for (int64_t col = firstCol_; col < endCol; ++col) drawColumn(col);
    }

private:
    // One read of the column's offsets and one of its coded tiles. A
    // column whose offsets cannot be read or run backwards is left out;
    // within it, a tile whose bytes are out of order or were not read is.
    void drawColumn(int64_t col) {
        const int64_t rows = lastRow_ - firstRow_;
        if (!readOffsets((col * tilesDown_ + firstRow_) * 4, rows + 1)) return;
        const uint32_t start = offsetAt(0);
        const uint32_t end = offsetAt(static_cast<size_t>(rows));
        if (end < start || start > files_.tilesLength) return;
        const size_t wanted = static_cast<size_t>(std::min<int64_t>(end, files_.tilesLength) - start);
        size_t got = 0;
        const uint8_t* column = nullptr;
        if (wanted > 0) {
            uint8_t* bytes = column_.atLeast(wanted);
            if (bytes == nullptr || !files_.tiles.seek(start)) return;
            got = files_.tiles.read(bytes, wanted);
            column = bytes;
        }

        drawnRange(col, firstCol_, lastCol_, view_.left > sheet_.left, view_.right < sheet_.right, sxLeft_, sxRight_,
                   &placement_.xStart, &placement_.xEnd);
        for (int32_t x = placement_.xStart; x < placement_.xEnd; ++x)
            placement_.cellColumn[x] = cellOf(kTileSide * col + x) - columnBase_;

        for (int64_t row = firstRow_; row < lastRow_; ++row) {
            const size_t i = static_cast<size_t>(row - firstRow_);
            const uint32_t from = offsetAt(i);
            const uint32_t to = offsetAt(i + 1);
            if (from < start || to < from || to - start > got) continue;
            drawnRange(row, firstRow_, lastRow_, view_.bottom > sheet_.bottom, view_.top < sheet_.top, syBottom_,
                       syTop_, &placement_.yStart, &placement_.yEnd);
            if (placement_.yStart >= placement_.yEnd) continue;
            // A tile that decodes short shows palette index 0 where its
            // bytes are missing, never the previous tile's.
            const uint32_t decoded =
                huffmanDecode(column + (from - start), to - from, tile_, kTileBytes);
            std::memset(tile_ + decoded, 0, kTileBytes - decoded);
            for (int32_t y = placement_.yStart; y < placement_.yEnd; ++y)
                placement_.cellRow[y] = cellOf(kTileSide * row + y) - rowBase_;
            target_.drawTile(placement_);
        }
    }

    int64_t cellOf(int64_t sheetPixel) const {
        return platform::truncToInt64(static_cast<double>(sheetPixel) * cellsPerPixel_);
    }

    bool readOffsets(int64_t position, int64_t count) {
        const size_t bytes = static_cast<size_t>(count) * 4;
        uint8_t* entries = offsetBuffer_.atLeast(bytes);
        offsets_ = entries;
        return entries != nullptr && files_.offsets.readAt(position, entries, bytes);
    }

    uint32_t offsetAt(size_t entry) const { return littleEndianU32(offsets_ + 4 * entry); }

    const SheetView& view_;
    const MapSheet& sheet_;
    SheetFiles& files_;
    CellTarget& target_;
    int64_t tilesAcross_ = 0;
    int64_t tilesDown_ = 0;
    double sxLeft_ = 0.0;
    double sxRight_ = 0.0;
    double syBottom_ = 0.0;
    double syTop_ = 0.0;
    int64_t firstRow_ = 0;
    int64_t lastRow_ = 0;
    int64_t firstCol_ = 0;
    int64_t lastCol_ = 0;
    double cellsPerPixel_ = 0.0;
    int64_t columnBase_ = 0;
    int64_t rowBase_ = 0;
    ScratchBuffer offsetBuffer_;
    const uint8_t* offsets_ = nullptr;
    ScratchBuffer column_;
    uint8_t tile_[kTileBytes] = {};
    TilePlacement placement_;
};

// The sampled indexes (cell / z10) of the cells from first to first +
// smear - 1 that lie inside a raster side of size cells.
void sampledSpan(int64_t first, int64_t smear, int64_t size, int64_t z10, int64_t* low, int64_t* high) {
    const int64_t from = std::max<int64_t>(first, 0);
    const int64_t to = std::min(first + smear - 1, size - 1);
    *low = (from + z10 - 1) / z10;
    *high = to >= from ? to / z10 : *low - 1;
}

}  // namespace

bool planSheetView(int width, int height, float zoom, double latitude, double longitude,
                   SheetView* view) {
    if (!(zoom >= 0.1f) || width <= 0 || height <= 0) return false;
    const double tenths = (static_cast<double>(zoom) + static_cast<double>(0.025f)) * 10.0;
    if (!(tenths < 2147483648.0)) return false;
    view->z10 = static_cast<int32_t>(tenths);
    view->zoomFolder = zoomFolderFor(zoom);
    view->roundedZoom = static_cast<float>(view->z10 * kCellMetres);
    view->width = width;
    view->height = height;
    view->rasterWidth = int64_t{view->z10} * width;
    view->rasterHeight = int64_t{view->z10} * height;

    routing::geographicToGrid(latitude, longitude, &view->easting, &view->northing, &view->centralMeridian, 0);
    if (!fitsInt32(view->easting) || !fitsInt32(view->northing)) return false;
    view->left = platform::truncToInt32(view->easting);
    view->top = platform::truncToInt32(view->northing);
    const double right = static_cast<double>(view->rasterWidth) * kCellMetres + view->left;
    const double bottom = view->top - static_cast<double>(view->rasterHeight) * kCellMetres;
    if (!fitsInt32(right) || !fitsInt32(bottom)) return false;
    view->right = platform::truncToInt32(right);
    view->bottom = platform::truncToInt32(bottom);
    return true;
}

bool composeSheets(const SheetView& view, CellTarget& target, uint8_t* palette) {
    bool taken = false;
    uint8_t remap[256];
    for (int32_t index = 0; index < sheetCount; ++index) {
        const MapSheet& sheet = sheetTable[index];
        if (!(view.left <= sheet.right && view.right >= sheet.left && view.bottom <= sheet.top &&
              view.top >= sheet.bottom))
            continue;
        SheetFiles files;
        if (!openSheetFiles(mapsFolder + view.zoomFolder + sheet.name, &files)) continue;
        if (!taken) {
            std::memcpy(palette, files.palette, kSheetPaletteBytes);
            target.clear();
        } else {
            buildPaletteRemap(files.palette, palette, remap);
        }
        SheetDrawing(view, sheet, files, target).draw(taken ? remap : nullptr);
        taken = true;
    }
    return taken;
}

SampledCells::SampledCells(const SheetView& view, uint8_t* pixels)
    : pixels_(pixels),
      width_(view.width),
      height_(view.height),
      z10_(view.z10),
      rasterWidth_(view.rasterWidth),
      rasterHeight_(view.rasterHeight) {}

void SampledCells::clear() { std::memset(pixels_, 0, static_cast<size_t>(width_ * height_)); }

// Only the cells that down-sampling reads are kept, and they are written in
// the order of the full raster's writes, so the last write to each still
// wins.
void SampledCells::drawTile(const TilePlacement& p) {
    int64_t columnLow[kTileSide];
    int64_t columnHigh[kTileSide];
    for (int32_t x = p.xStart; x < p.xEnd; ++x)
        sampledSpan(p.cellColumn[x], p.smear, rasterWidth_, z10_, &columnLow[x], &columnHigh[x]);
    for (int32_t y = p.yStart; y < p.yEnd; ++y) {
        int64_t rowLow = 0;
        int64_t rowHigh = 0;
        sampledSpan(p.cellRow[y], p.smear, rasterHeight_, z10_, &rowLow, &rowHigh);
        for (int64_t k = rowLow; k <= rowHigh; ++k) {
            uint8_t* out = pixels_ + k * width_;
            for (int32_t x = p.xStart; x < p.xEnd; ++x) {
                if (columnLow[x] > columnHigh[x]) continue;
                const uint8_t value = p.value(x, y);
                for (int64_t j = columnLow[x]; j <= columnHigh[x]; ++j) out[j] = value;
            }
        }
    }
}

}  // namespace imagery

OSTRIM_EXPORT void OSTRIM_CALL InitialiseMaps(const char* folder) {
    platform::guardVoidExport([&] {
        imagery::mapsFolder = platform::fromUtf8(folder);
        // No folder at all reads no index (an empty one is a relative path).
        if (folder == nullptr) {
            imagery::sheetCount = 0;
            return;
        }
        imagery::loadMapIndex();
    }, [] { imagery::sheetCount = 0; });
}

OSTRIM_EXPORT int OSTRIM_CALL getMap(int width, int height, double* lat1, double* lon1, double* lat2,
                                     double* lon2, float* zoom, unsigned char* pixels,
                                     unsigned char* palette) {
    if (lat1 == nullptr || lon1 == nullptr || lat2 == nullptr || lon2 == nullptr || zoom == nullptr ||
        pixels == nullptr || palette == nullptr)
        return -1;
    return platform::guardExport(-1, [&] {
        imagery::SheetView view;
        if (!imagery::planSheetView(width, height, *zoom, *lat1, *lon1, &view)) return -1;
        // Written back before any sheet is read, whatever the outcome.
        *zoom = view.roundedZoom;
        routing::gridToGeographic(view.right, view.bottom, lat2, lon2, view.centralMeridian, 0);
        routing::gridToGeographic(view.easting, view.northing, lat1, lon1, view.centralMeridian, 0);
        imagery::SampledCells target(view, pixels);
        return imagery::composeSheets(view, target, palette) ? 0 : -1;
    });
}
