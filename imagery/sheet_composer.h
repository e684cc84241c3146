// Composition of a palette view from the map sheets. The view is a raster
// of 0.1 m cells, z10 by z10 of them to an output pixel, of which only the
// bottom-left cell of each block reaches the caller. The composer walks the
// sheets and tiles and hands each tile, placed in raster cells, to a
// CellTarget; the library's target keeps only the cells that are sampled,
// so its memory does not grow with the zoom, and shares the tiles out over
// workers.
#ifndef OSTRIM_SHEET_COMPOSER_H
#define OSTRIM_SHEET_COMPOSER_H

#include <wx/string.h>

#include <cstddef>
#include <cstdint>

#include "tile_codec.h"

namespace imagery {

constexpr int kSheetPaletteBytes = 1024;

// The view of one getMap call, in grid metres and raster cells.
struct SheetView {
    int32_t z10 = 0;             // output pixel side in cells
    int64_t width = 0;           // output pixels
    int64_t height = 0;
    int64_t rasterWidth = 0;     // z10 x width cells
    int64_t rasterHeight = 0;
    double easting = 0.0;        // the top-left corner before truncation
    double northing = 0.0;
    int centralMeridian = 0;
    int32_t left = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t top = 0;
    float roundedZoom = 0.0f;
    wxString zoomFolder;
};

// Works out the view, or returns false when none can be formed: a zoom
// below 0.1, not a number or too large, a size of zero or below, or a corner
// whose grid position is not a finite 32-bit number of metres.
bool planSheetView(int width, int height, float zoom, double latitude, double longitude,
                   SheetView* view);

// One decoded tile, placed: tile pixel (x, y) paints the smear x smear cells
// from (cellColumn[x], cellRow[y]) across and up, for x in [xStart, xEnd) and
// y in [yStart, yEnd), in the order: y upward, cell row, x rightward, cell.
struct TilePlacement {
    const uint8_t* tile = nullptr;   // kTileBytes, row 0 at the bottom
    const uint8_t* remap = nullptr;  // null while drawing the first sheet
    int32_t xStart = 0;
    int32_t xEnd = 0;
    int32_t yStart = 0;
    int32_t yEnd = 0;
    int64_t smear = 0;
    int64_t cellColumn[kTileSide] = {};
    int64_t cellRow[kTileSide] = {};

    uint8_t value(int32_t x, int32_t y) const {
        const uint8_t byte = tile[y * kTileSide + x];
        return remap != nullptr ? remap[byte] : byte;
    }
};

class CellTarget {
public:
    virtual ~CellTarget() = default;
    // Once, when the first sheet is taken: every cell holds palette index 0.
    virtual void clear() = 0;
    // Cells outside the raster are not written.
    virtual void drawTile(const TilePlacement& placement) = 0;
    // The leading bytes of the tile (whole rows from the bottom) that
    // drawTile reads for this placement; 0 leaves the tile out.
    virtual uint32_t tileBytesRead(const TilePlacement&) const { return kTileBytes; }
};

// Draws every sheet of the index that overlaps the view, in index order,
// one tile after another on the calling thread. The first sheet taken
// supplies the palette (copied to palette, 1024 bytes); later sheets are
// remapped to it. Returns false when no sheet was taken, and then neither
// the target nor the palette has been touched.
bool composeSheets(const SheetView& view, CellTarget& target, uint8_t* palette);

// How composeSampled shares out its work; its result never depends on it.
struct ComposeOptions {
    unsigned workers = 0;             // threads at most; 0: one per hardware thread
    unsigned slices = 0;              // output column slices of a batch; 0: a few per worker
    size_t batchBytes = size_t{2} << 20;  // coded tile bytes of a batch; two are held
};

// The library's composition, with the same result as composeSheets into
// the full raster sampled down: only the sampled cells are kept, straight
// in pixels (the caller's width x height output). The coded tiles are read
// on the calling thread a batch at a time; then workers decode and draw
// them, each owning a slice of the output columns and drawing the batch's
// tiles in order, so that every pixel still sees its writes in the order
// of the full raster. The memory taken does not grow with the zoom.
bool composeSampled(const SheetView& view, uint8_t* pixels, uint8_t* palette, const ComposeOptions& options = {});

}  // namespace imagery

#endif
