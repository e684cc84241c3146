// Composition of a palette view from the map sheets. The view is a raster
// of 0.1 m cells, z10 by z10 of them to an output pixel, of which only the
// bottom-left cell of each block reaches the caller. The composer walks the
// sheets and tiles and hands each tile, placed in raster cells, to a
// CellTarget; the library's target keeps only the cells that are sampled,
// so its memory does not grow with the zoom.
#ifndef OSTRIM_SHEET_COMPOSER_H
#define OSTRIM_SHEET_COMPOSER_H

#include <wx/string.h>

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
};

// Draws every sheet of the index that overlaps the view, in index order.
// The first sheet taken supplies the palette (copied to palette, 1024
// bytes); later sheets are remapped to it. Returns false when no sheet was
// taken, and then neither the target nor the palette has been touched.
bool composeSheets(const SheetView& view, CellTarget& target, uint8_t* palette);

// The library's target: the sampled cells only, which are the caller's
// width x height output pixels.
class SampledCells : public CellTarget {
public:
    SampledCells(const SheetView& view, uint8_t* pixels);
    void clear() override;
    void drawTile(const TilePlacement& placement) override;

private:
    uint8_t* pixels_;
    int64_t width_;
    int64_t height_;
    int64_t z10_;
    int64_t rasterWidth_;
    int64_t rasterHeight_;
};

}  // namespace imagery

#endif
