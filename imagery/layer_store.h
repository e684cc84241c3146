// The raster layer that is open for rendering: which folder and file names a
// map code stands for, the layer's three files, its text header, the
// geometry of its five-level tile pyramid and where each level lies in the
// files, and the palette its tiles are painted through.
#ifndef OSTRIM_LAYER_STORE_H
#define OSTRIM_LAYER_STORE_H

#include <wx/bitmap.h>
#include <wx/string.h>

#include <cstdint>

#include "data_file.h"

namespace imagery {

constexpr int kCityCount = 11;
constexpr int kPyramidLevelCount = 5;
constexpr int kFullResolutionLevel = 4;

// One level of the pyramid; level 4 is the full-resolution image and each
// level below it halves the width and height.
struct PyramidLevel {
    int32_t left;            // western edge, grid easting in metres
    int32_t eastingExtent;   // metres, the same at every level
    int32_t width;           // pixels
    int32_t top;             // northern edge, grid northing in metres
    int32_t northingExtent;  // metres, the same at every level
    int32_t height;          // pixels
};

// Byte positions of a level's first tile in the ".cmp" and of its offset
// table in the ".off".
struct LevelFileBase {
    int32_t tileBase;
    int32_t offsetBase;
};

// The fourteen numbers of a layer's ".txt"; the last two are reserved.
struct LayerHeader {
    int32_t left;
    int32_t bottom;
    int32_t width;
    int32_t height;
    int32_t offsetTableBytes[4];  // levels 0 to 3
    int32_t tileBytes[4];         // levels 0 to 3
};

extern wxBitmap renderBitmap;
extern platform::DataFile layerTileFile;
extern platform::DataFile layerOffsetFile;
extern wxString cityFolders[kCityCount];
extern wxString mapBasePath;

extern float layerScale;  // metres per full-resolution pixel
extern PyramidLevel pyramidLevels[kPyramidLevelCount];
extern LevelFileBase levelFileBases[kPyramidLevelCount];
extern int32_t currentLevel;
extern uint8_t renderPalette[256][3];  // red, green, blue
extern int32_t renderWidth;
extern int32_t renderHeight;

// Resets the city folders (undoing a region-folder fallback) and the palette.
void initMapRenderer();
void setMapBasePath(const wxString& folder);

// Opens the layer that code (layer * 1000 + city) names, falling back to the
// region folders for cities 7 to 10, and reads its header. True when the
// layer's files are open and its header is complete and usable. The layer
// scale is written to *scale in every case (a layer number outside 0 to 3
// leaves it as the last layer set it).
bool openMapLayer(int code, float* scale);

// Reads the header text. False when it holds fewer than 14 fields or a
// number outside the 32-bit range.
bool parseMapHeader(const char* text, LayerHeader* header);

void closeMapLayer();
void setPyramidLevel(int level);
int getMapWidth();
int getMapHeight();

}  // namespace imagery

#endif
