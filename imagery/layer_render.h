// Drawing one view of the open layer: the view's pixel origin on the layer,
// the tiles under it decoded and painted 1:1 from the current pyramid level
// into the render bitmap, and the grid position of the image's edges.
#ifndef OSTRIM_LAYER_RENDER_H
#define OSTRIM_LAYER_RENDER_H

#include <wx/rawbmp.h>

#include <cstdint>

namespace imagery {

// Left and bottom edge of the image on the layer, in full-resolution pixels
// from the layer's left and bottom edges.
extern int32_t viewOriginX;
extern int32_t viewOriginY;
// Set when a painted pixel took a palette entry that is not pure white.
extern int32_t nonWhiteDrawn;

// The view's south-west corner in grid metres. True when the view of the
// render size fits inside the layer image at the current level; the origin
// is then set, snapped down to the 64-pixel grid.
bool setViewOrigin(float easting, float northing);

// Paints the tiles under the view into the render bitmap; 1 when a pixel
// other than pure white was painted, else 0. Tiles that cannot be read or
// decode to anything but a whole tile are left unpainted.
int renderMapTiles(int width, int height);

// The render palette as the bitmap keeps its pixels, and which entries are
// not pure white; made once for a render.
struct PaintColours {
    uint8_t pixel[256][4];  // the first wxNativePixelFormat::SizePixel bytes count
    uint8_t nonWhite[256];
};
void preparePaintColours(PaintColours* colours);

// Paints a row of count decoded tiles (their rows stored from the bottom)
// side by side, the first with its top-left pixel at image column x and
// image row y, clipped to width by height; a null tile is left unpainted.
void blitTileRow(wxNativePixelData& pixels, const PaintColours& colours, const uint8_t* const* tiles, int count, int x,
                 int y, int width, int height);

// Grid easting of the left edge of image column x, and grid northing of the
// top edge of image row y of an image `height` rows high.
double pixelToEasting(float x);
double pixelToNorthing(int y, int height);

}  // namespace imagery

#endif
