#include "sheet_composer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "OstrimMapDll.h"
#include "coordinates.h"
#include "data_file.h"
#include "export_guard.h"
#include "file_names.h"
#include "scratch_buffer.h"
#include "sheet_index.h"
#include "task_workers.h"
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

// Where one taken sheet's tiles fall in the view, and its palette remap.
struct SheetGeometry {
    int64_t tilesDown = 0;
    double sxLeft = 0.0;  // the view's edges in the sheet's own pixels
    double sxRight = 0.0;
    double syBottom = 0.0;
    double syTop = 0.0;
    int64_t firstRow = 0;  // tile range under the view
    int64_t lastRow = 0;
    int64_t firstCol = 0;
    int64_t lastCol = 0;
    bool cutLeft = false;  // the view's edge lies inside the sheet
    bool cutRight = false;
    bool cutBottom = false;
    bool cutTop = false;
    double cellsPerPixel = 0.0;
    int64_t columnBase = 0;
    int64_t rowBase = 0;
    int64_t smear = 0;
    bool remapped = false;
    uint8_t remap[256] = {};

    int64_t cellOf(int64_t sheetPixel) const {
        return platform::truncToInt64(static_cast<double>(sheetPixel) * cellsPerPixel);
    }

    void placeColumn(int64_t col, TilePlacement* p) const {
        drawnRange(col, firstCol, lastCol, cutLeft, cutRight, sxLeft, sxRight, &p->xStart, &p->xEnd);
        for (int32_t x = p->xStart; x < p->xEnd; ++x) p->cellColumn[x] = cellOf(kTileSide * col + x) - columnBase;
        p->smear = smear;
        p->remap = remapped ? remap : nullptr;
    }

    // True when the tile shows no row of the view.
    bool rowHidden(int64_t row) const {
        int32_t from = 0;
        int32_t to = 0;
        drawnRange(row, firstRow, lastRow, cutBottom, cutTop, syBottom, syTop, &from, &to);
        return from >= to;
    }

    void placeRow(int64_t row, TilePlacement* p) const {
        drawnRange(row, firstRow, lastRow, cutBottom, cutTop, syBottom, syTop, &p->yStart, &p->yEnd);
        for (int32_t y = p->yStart; y < p->yEnd; ++y) p->cellRow[y] = cellOf(kTileSide * row + y) - rowBase;
    }
};

// The tile range of a sheet under the view; false when it is empty.
bool placeSheet(const SheetView& view, const MapSheet& sheet, SheetGeometry* g) {
    const double scale = sheet.scale;
    const int64_t tilesAcross = (static_cast<int64_t>(sheet.width) + kTileSide - 1) / kTileSide;
    g->tilesDown = (static_cast<int64_t>(sheet.height) + kTileSide - 1) / kTileSide;
    g->smear = ceilToInt64(10.0 * scale);
    g->sxLeft = (static_cast<double>(view.left) - sheet.left) / scale;
    g->sxRight = (static_cast<double>(view.right) - sheet.left) / scale;
    g->syBottom = (static_cast<double>(view.bottom) - sheet.bottom) / scale;
    g->syTop = (static_cast<double>(view.top) - sheet.bottom) / scale;
    g->firstRow =
        view.bottom < sheet.bottom ? 0 : std::max<int64_t>(0, platform::truncToInt64(g->syBottom / kTileSide));
    g->lastRow = view.top > sheet.top ? g->tilesDown : std::min(g->tilesDown, ceilToInt64(g->syTop / kTileSide));
    g->firstCol = std::max<int64_t>(0, platform::truncToInt64(g->sxLeft / kTileSide));
    g->lastCol = std::min(tilesAcross, ceilToInt64(g->sxRight / kTileSide));
    g->cutLeft = view.left > sheet.left;
    g->cutRight = view.right < sheet.right;
    g->cutBottom = view.bottom > sheet.bottom;
    g->cutTop = view.top < sheet.top;
    if (g->firstCol >= g->lastCol || g->firstRow >= g->lastRow) return false;
    // A sheet pixel covers 10 x scale cells. Held in single precision like
    // the scale it comes from, this is exactly 1 for a sheet of 0.1 m,
    // whose pixels then land one cell apart from the pixel at the view's
    // truncated edge.
    g->cellsPerPixel = static_cast<double>(10.0f * sheet.scale);
    g->columnBase = platform::truncToInt64(g->sxLeft * g->cellsPerPixel);
    g->rowBase = platform::truncToInt64(g->syBottom * g->cellsPerPixel);
    return true;
}

// The sampled lines (cells at multiples of z10, below size, line numbers
// from lowLine to highLine) that tile pixels from..to - 1 reach, pixel i
// painting the cells first[i] to first[i] + smear - 1, with first[] never
// decreasing. Within one tile the last pixel to paint a cell wins, and
// that is the highest i whose cells reach it; next() yields each line that
// some pixel reaches with that pixel, lines in increasing order.
class LastWriters {
public:
    LastWriters(const int64_t* first, int32_t from, int32_t to, int64_t smear, int64_t size, int64_t z10,
                int64_t lowLine, int64_t highLine)
        : first_(first), pixel_(from), end_(to), smear_(smear), z10_(z10) {
        if (from >= to) {
            line_ = 1;
            lastLine_ = 0;
            return;
        }
        line_ = std::max((std::max<int64_t>(first[from], 0) + z10 - 1) / z10, lowLine);
        lastLine_ = std::min(std::min(first[to - 1] + smear - 1, size - 1) / z10, highLine);
    }

    bool next(int64_t* line, int32_t* pixel) {
        for (; line_ <= lastLine_; ++line_) {
            const int64_t cell = line_ * z10_;
            while (pixel_ + 1 < end_ && first_[pixel_ + 1] <= cell) ++pixel_;
            if (cell - first_[pixel_] < smear_) {
                *line = line_++;
                *pixel = pixel_;
                return true;
            }
        }
        return false;
    }

private:
    const int64_t* first_;
    int32_t pixel_;
    int32_t end_;
    int64_t smear_;
    int64_t z10_;
    int64_t line_;
    int64_t lastLine_;
};

// The library's target: the sampled cells only, which are the caller's
// width x height output pixels, of which it writes the output columns
// [firstColumn, endColumn).
class SampledCells : public CellTarget {
public:
    SampledCells(const SheetView& view, uint8_t* pixels, int64_t firstColumn, int64_t endColumn)
        : pixels_(pixels),
          width_(view.width),
          height_(view.height),
          z10_(view.z10),
          rasterWidth_(view.rasterWidth),
          rasterHeight_(view.rasterHeight),
          firstColumn_(std::max<int64_t>(firstColumn, 0)),
          lastColumn_(std::min(endColumn, view.width) - 1) {}

    void clear() override { std::memset(pixels_, 0, static_cast<size_t>(width_ * height_)); }

    // Each sampled cell the tile reaches takes the value of the tile pixel
    // that writes it last in the full raster's order (rows upward, then
    // columns rightward), so it ends as the full raster's cell would.
    void drawTile(const TilePlacement& p) override {
        LastWriters columns = columnWriters(p);
        for (;;) {
            // Columns a batch at a time, for any scale and zoom.
            constexpr int kBatch = 128;
            int64_t column[kBatch];
            int32_t x[kBatch];
            int n = 0;
            while (n < kBatch && columns.next(&column[n], &x[n])) ++n;
            if (n == 0) return;
            LastWriters rows = rowWriters(p);
            int64_t k = 0;
            int32_t y = 0;
            while (rows.next(&k, &y)) {
                uint8_t* out = pixels_ + k * width_;
                const uint8_t* source = p.tile + y * kTileSide;
                if (p.remap != nullptr) {
                    for (int i = 0; i < n; ++i) out[column[i]] = p.remap[source[x[i]]];
                } else {
                    for (int i = 0; i < n; ++i) out[column[i]] = source[x[i]];
                }
            }
        }
    }

    // Up to the highest tile row that reaches a sampled row.
    uint32_t tileBytesRead(const TilePlacement& p) const override {
        LastWriters rows = rowWriters(p);
        int64_t k = 0;
        int32_t y = -1;
        while (rows.next(&k, &y)) {
        }
        return static_cast<uint32_t>(y + 1) * kTileSide;
    }

    // The output columns [*first, *last] that the tile column placed in p
    // reaches; empty when *first > *last.
    void columnsReached(const TilePlacement& p, int64_t* first, int64_t* last) const {
        LastWriters columns = columnWriters(p);
        *first = 1;
        *last = 0;
        int64_t j = 0;
        int32_t x = 0;
        if (columns.next(&j, &x)) *first = *last = j;
        while (columns.next(&j, &x)) *last = j;
    }

private:
    LastWriters columnWriters(const TilePlacement& p) const {
        return LastWriters(p.cellColumn, p.xStart, p.xEnd, p.smear, rasterWidth_, z10_, firstColumn_, lastColumn_);
    }

    LastWriters rowWriters(const TilePlacement& p) const {
        return LastWriters(p.cellRow, p.yStart, p.yEnd, p.smear, rasterHeight_, z10_, 0, height_ - 1);
    }

    uint8_t* pixels_;
    int64_t width_;
    int64_t height_;
    int64_t z10_;
    int64_t rasterWidth_;
    int64_t rasterHeight_;
    int64_t firstColumn_;
    int64_t lastColumn_;
};

// One coded tile read ahead of its decoding.
struct BatchTile {
    uint32_t sheet;       // its sheet's place in the batch
    int64_t column;
    int64_t row;
    size_t byteStart;     // in the batch's bytes
    uint32_t byteCount;
    int64_t firstColumn;  // output columns reached, when the work is sliced
    int64_t lastColumn;
    bool readWhole;
};

constexpr size_t kMostBatchTiles = 1u << 16;

// Coded tiles in the order they are drawn, with the sheets they come from,
// and the buffer their bytes are read into.
struct Batch {
    std::vector<SheetGeometry> sheets;
    std::vector<BatchTile> tiles;
    ScratchBuffer buffer;
    uint8_t* bytes = nullptr;
    size_t capacity = 0;  // coded bytes a batch takes before it is handed on
    size_t used = 0;

    // Room for a batch and one more tile of the largest size, since a batch
    // is handed on before the tile that would overfill it.
    bool allocate(size_t batchBytes) {
        capacity = std::max<size_t>(batchBytes, 1);
        bytes = buffer.atLeast(capacity + maxCodedBytes(kTileBytes));
        return bytes != nullptr;
    }

    bool full(size_t size) const {
        return !tiles.empty() && (used + size > capacity || tiles.size() >= kMostBatchTiles);
    }
};

// The decoding and drawing of one worker.
struct TileWorker {
    OwnedTileDecoder decoder = newTileDecoder();
    uint8_t tile[kTileBytes] = {};
    TilePlacement placement;
};

// Draws the batch's tiles, in order, that reach output columns [first, end).
void drawBatch(const Batch& batch, CellTarget& target, TileWorker& worker, int64_t first, int64_t end) {
    if (first >= end) return;
    TilePlacement& placement = worker.placement;
    placement.tile = worker.tile;
    const BatchTile* placed = nullptr;
    for (const BatchTile& t : batch.tiles) {
        if (!t.readWhole || t.lastColumn < first || t.firstColumn >= end) continue;
        const SheetGeometry& sheet = batch.sheets[t.sheet];
        if (placed == nullptr || placed->sheet != t.sheet || placed->column != t.column)
            sheet.placeColumn(t.column, &placement);
        placed = &t;
        sheet.placeRow(t.row, &placement);
        const uint32_t bytesRead = target.tileBytesRead(placement);
        if (bytesRead == 0) continue;
        // A tile that decodes short shows palette index 0 where its bytes
        // are missing, never the previous tile's.
        const uint32_t decoded =
            huffmanDecode(*worker.decoder, batch.bytes + t.byteStart, t.byteCount, worker.tile, bytesRead);
        std::memset(worker.tile + decoded, 0, bytesRead - decoded);
        target.drawTile(placement);
    }
}

// Walks the sheets under the view in index order on the calling thread: it
// takes them and reads their coded tiles a batch at a time, each batch
// going on from where the last one stopped.
class SheetWalk {
public:
    SheetWalk(const SheetView& view, CellTarget& target, const SampledCells* sliced, uint8_t* palette)
        : view_(view), target_(target), sliced_(sliced), palette_(palette) {}

    // The next tiles, as many as the batch takes; false when none are left.
    bool fill(Batch& batch) {
        batch.sheets.clear();
        batch.tiles.clear();
        batch.used = 0;
        batch_ = &batch;
        sheetInBatch_ = false;
        pendingFirstTile_ = 0;
        pendingContinues_ = false;
        while (inSheet_ || startSheet()) {
            for (; col_ < endCol_; ++col_) {
                if (!inColumn_ && !startColumn()) continue;
                if (!readRows()) return true;
                inColumn_ = false;
            }
            closeSheet();
        }
        return !batch.tiles.empty();
    }

    bool taken() const { return taken_; }

private:
    // The next sheet that overlaps the view and whose files open: it is
    // taken, and read when tiles of it lie under the view.
    bool startSheet() {
        while (index_ < sheetCount) {
            const MapSheet& sheet = sheetTable[index_++];
            if (!(view_.left <= sheet.right && view_.right >= sheet.left && view_.bottom <= sheet.top &&
                  view_.top >= sheet.bottom))
                continue;
            if (!openSheetFiles(mapsFolder + view_.zoomFolder + sheet.name, &files_)) {
                closeSheet();
                continue;
            }
            geometry_ = SheetGeometry{};
            if (!taken_) {
                std::memcpy(palette_, files_.palette, kSheetPaletteBytes);
                target_.clear();
            } else {
                // Sheets often share a palette; its remap is made once.
                if (!remapKnown_ || std::memcmp(remapPalette_, files_.palette, kSheetPaletteBytes) != 0) {
                    buildPaletteRemap(files_.palette, palette_, remap_);
                    std::memcpy(remapPalette_, files_.palette, kSheetPaletteBytes);
                    remapKnown_ = true;
                }
                std::memcpy(geometry_.remap, remap_, sizeof remap_);
                geometry_.remapped = true;
            }
            taken_ = true;
            if (!placeSheet(view_, sheet, &geometry_)) {
                closeSheet();
                continue;
            }
            // Columns whose offsets lie past the end of a short ".off" are
            // left out, without a read each.
            const int64_t lastEntry = files_.offsetsLength / 4 - 1;
            const int64_t readableColumns =
                lastEntry >= geometry_.lastRow ? (lastEntry - geometry_.lastRow) / geometry_.tilesDown + 1 : 0;
            endCol_ = std::min(geometry_.lastCol, readableColumns);
            col_ = geometry_.firstCol;
            inSheet_ = true;
            inColumn_ = false;
            sheetInBatch_ = false;
            return true;
        }
        return false;
    }

    void closeSheet() {
        finishRead();
        files_.tiles.close();
        files_.offsets.close();
        inSheet_ = false;
    }

    // One read of the column's offsets; false when the column is left out:
    // its offsets cannot be read or run backwards, or it reaches no output
    // column.
    bool startColumn() {
        const int64_t rows = geometry_.lastRow - geometry_.firstRow;
        if (!readOffsets((col_ * geometry_.tilesDown + geometry_.firstRow) * 4, rows + 1)) return false;
        columnStart_ = offsetAt(0);
        const uint32_t end = offsetAt(static_cast<size_t>(rows));
        if (end < columnStart_ || columnStart_ > files_.tilesLength) return false;
        columnLimit_ = std::min<int64_t>(end, files_.tilesLength);
        firstColumn_ = INT64_MIN;
        lastColumn_ = INT64_MAX;
        if (sliced_ != nullptr) {
            geometry_.placeColumn(col_, &placement_);
            sliced_->columnsReached(placement_, &firstColumn_, &lastColumn_);
            if (firstColumn_ > lastColumn_) return false;
        }
        row_ = geometry_.firstRow;
        inColumn_ = true;
        return true;
    }

    // The column's tiles from row_ on; false when the batch fills first.
    // A tile whose bytes are out of order or lie past the file is left
    // out.
    bool readRows() {
        Batch& batch = *batch_;
        for (; row_ < geometry_.lastRow; ++row_) {
            const size_t i = static_cast<size_t>(row_ - geometry_.firstRow);
            const uint32_t from = offsetAt(i);
            const uint32_t to = offsetAt(i + 1);
            if (from < columnStart_ || to < from || to > columnLimit_) continue;
            if (geometry_.rowHidden(row_)) continue;
            // Bytes past what a decode can consume are never read.
            const uint32_t size = std::min(to - from, maxCodedBytes(kTileBytes));
            if (batch.full(size)) {
                finishRead();
                return false;
            }
            if (!pendingContinues_ || from != pendingEnd_) finishRead();
            if (pendingFirstTile_ == batch.tiles.size()) {
                pendingStart_ = batch.used;
                pendingFrom_ = from;
                pendingBytes_ = 0;
            }
            pendingBytes_ += size;
            pendingEnd_ = to;
            pendingContinues_ = size == to - from;
            if (!sheetInBatch_) {
                batch.sheets.push_back(geometry_);
                sheetInBatch_ = true;
            }
            batch.tiles.push_back(BatchTile{static_cast<uint32_t>(batch.sheets.size() - 1), col_, row_, batch.used,
                                            size, firstColumn_, lastColumn_, false});
            batch.used += size;
        }
        finishRead();
        return true;
    }

    // Reads the bytes of the tiles gathered since the last read, which lie
    // one after another in the file, in one piece.
    void finishRead() {
        Batch& batch = *batch_;
        if (pendingFirstTile_ < batch.tiles.size()) {
            size_t got = 0;
            if (pendingBytes_ > 0 && files_.tiles.seek(pendingFrom_))
                got = files_.tiles.read(batch.bytes + pendingStart_, pendingBytes_);
            for (size_t i = pendingFirstTile_; i < batch.tiles.size(); ++i) {
                BatchTile& t = batch.tiles[i];
                t.readWhole = t.byteStart + t.byteCount <= pendingStart_ + got;
            }
        }
        pendingFirstTile_ = batch.tiles.size();
        pendingContinues_ = false;
    }

    bool readOffsets(int64_t position, int64_t count) {
        const size_t bytes = static_cast<size_t>(count) * 4;
        uint8_t* entries = offsetBuffer_.atLeast(bytes);
        offsets_ = entries;
        return entries != nullptr && files_.offsets.readAt(position, entries, bytes);
    }

    uint32_t offsetAt(size_t entry) const { return littleEndianU32(offsets_ + 4 * entry); }

    const SheetView& view_;
    CellTarget& target_;
    const SampledCells* sliced_;
    uint8_t* palette_;
    bool taken_ = false;
    // The palette remap of the last later sheet, and that sheet's palette.
    bool remapKnown_ = false;
    uint8_t remapPalette_[kSheetPaletteBytes] = {};
    uint8_t remap_[256] = {};
    // Where the walk stands: the next index entry, the sheet being read and
    // its column and row.
    int32_t index_ = 0;
    bool inSheet_ = false;
    SheetFiles files_;
    SheetGeometry geometry_;
    int64_t endCol_ = 0;
    int64_t col_ = 0;
    bool inColumn_ = false;
    int64_t row_ = 0;
    uint32_t columnStart_ = 0;
    int64_t columnLimit_ = 0;
    int64_t firstColumn_ = 0;  // output columns the column reaches
    int64_t lastColumn_ = 0;
    ScratchBuffer offsetBuffer_;
    const uint8_t* offsets_ = nullptr;
    TilePlacement placement_;
    // The batch being filled and whether it holds the sheet being read yet.
    Batch* batch_ = nullptr;
    bool sheetInBatch_ = false;
    // The read being gathered: tiles from pendingFirstTile_ on, whose bytes
    // go from pendingFrom_ in the file to pendingStart_ in the batch.
    size_t pendingFirstTile_ = 0;
    size_t pendingStart_ = 0;
    uint32_t pendingFrom_ = 0;
    size_t pendingBytes_ = 0;
    uint32_t pendingEnd_ = 0;        // where the last tile gathered ends in the file
    bool pendingContinues_ = false;  // and whether the next one may follow on
};

// Reads the batches and has each drawn: draw(batch, readNext) draws the
// batch and calls readNext on the calling thread, which reads the next
// batch into the other buffer meanwhile. Two batches are held at a time.
template <typename Draw>
bool walkInBatches(SheetWalk& walk, size_t batchBytes, Draw draw) {
    Batch batches[2];
    if (!batches[0].allocate(batchBytes) || !batches[1].allocate(batchBytes)) return false;
    bool more = walk.fill(batches[0]);
    for (int current = 0; more; current = 1 - current) {
        Batch& next = batches[1 - current];
        bool nextMore = false;
        draw(static_cast<const Batch&>(batches[current]), [&] { nextMore = walk.fill(next); });
        more = nextMore;
    }
    return walk.taken();
}

// Slice boundaries in output columns: quantiles of the columns where the
// batch's tile columns begin, so that the slices hold about as many tiles
// each and seldom cut through a tile column.
std::vector<int64_t> sliceBounds(const Batch& batch, size_t slices) {
    std::vector<int64_t> starts;
    starts.reserve(batch.tiles.size());
    for (const BatchTile& t : batch.tiles) starts.push_back(t.firstColumn);
    std::vector<int64_t> bounds(slices + 1);
    bounds[0] = INT64_MIN;
    bounds[slices] = INT64_MAX;
    for (size_t s = 1; s < slices; ++s) {
        auto at = starts.begin() + static_cast<std::ptrdiff_t>(starts.size() * s / slices);
        std::nth_element(starts.begin(), at, starts.end());
        bounds[s] = *at;
    }
    std::sort(bounds.begin(), bounds.end());
    return bounds;
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
    const auto worker = std::make_unique<TileWorker>();
    if (worker->decoder == nullptr) return false;
    SheetWalk walk(view, target, nullptr, palette);
    return walkInBatches(walk, ComposeOptions{}.batchBytes, [&](const Batch& batch, const auto& readNext) {
        drawBatch(batch, target, *worker, INT64_MIN, INT64_MAX);
        readNext();
    });
}

bool composeSampled(const SheetView& view, uint8_t* pixels, uint8_t* palette, const ComposeOptions& options) {
    const unsigned most = platform::taskWorkers(SIZE_MAX, options.workers);
    const size_t slices = options.slices != 0 ? options.slices : size_t{4} * most;
    // The workers' memory first, so that a shortage leaves the output
    // alone.
    std::vector<std::unique_ptr<TileWorker>> workers;
    for (unsigned w = 0; w < most; ++w) {
        std::unique_ptr<TileWorker> worker(new (std::nothrow) TileWorker);
        if (worker == nullptr || worker->decoder == nullptr) break;
        workers.push_back(std::move(worker));
    }
    if (workers.empty()) return false;

    SampledCells whole(view, pixels, 0, view.width);
    SheetWalk walk(view, whole, &whole, palette);
    return walkInBatches(walk, options.batchBytes, [&](const Batch& batch, const std::function<void()>& readNext) {
        const size_t count = std::min(slices, batch.tiles.size());
        const std::vector<int64_t> bounds = sliceBounds(batch, count);
        const unsigned threads = platform::taskWorkers(count, static_cast<unsigned>(workers.size()));
        platform::runTasks(
            count, threads,
            [&](size_t slice, unsigned worker) {
                SampledCells part(view, pixels, bounds[slice], bounds[slice + 1]);
                drawBatch(batch, part, *workers[worker], bounds[slice], bounds[slice + 1]);
            },
            readNext);
    });
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
        return imagery::composeSampled(view, pixels, palette) ? 0 : -1;
    });
}
