// The render requests behind createMap and createMapHBMP, and the small
// operations only they use.
#ifndef OSTRIM_MAP_EXPORTS_H
#define OSTRIM_MAP_EXPORTS_H

#include <wx/bitmap.h>

namespace imagery {

// The kind argument of saveMapImage.
enum MapImageKind { mapImagePng = 1, mapImageBmp = 2 };

// Writes the render bitmap to the file (UTF-8 path); false when nothing was
// saved, or for any other kind.
bool saveMapImage(const char* file, int kind);

// Re-creates the render bitmap at 24 bits per pixel; false when no native
// bitmap came of it (the old data is released either way).
bool createMapBitmap(int width, int height);

// A bitmap sharing the render bitmap's data.
wxBitmap copyMapBitmap();

// The pyramid level whose pixel is the smallest at least as large as the
// requested metres per output pixel, for a layer of `scale` metres per
// full-resolution pixel.
int chooseMapLevel(double easting1, double northing1, double easting2, double northing2, int width, int height,
                   float scale);

}  // namespace imagery

#endif
