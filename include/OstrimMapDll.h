/* OstrimMapDll: road routing, map rendering and tour scheduling over the
 * street-map data files of Australian cities.
 *
 * Every function runs to completion on the calling thread; none may be
 * called while another is running. Narrow strings are NUL-terminated UTF-8.
 * Folder arguments end with a path separator: file names are appended to
 * them as they stand. */
#ifndef OSTRIM_MAP_DLL_H
#define OSTRIM_MAP_DLL_H

#include <stddef.h>
#include <stdint.h>

#include "ostrim_platform.h"

/* ---- Route generator ------------------------------------------------- */

/* Data folder of the road-network files; also resets the speed table. */
OSTRIM_EXPORT void OSTRIM_CALL setPath(const char* path);

/* Frees the route, the added points and the road network in memory. */
OSTRIM_EXPORT void OSTRIM_CALL clearData(void);

/* 0 or 1; other values are ignored. Stored only. */
OSTRIM_EXPORT void OSTRIM_CALL setRestrictions(int value);

/* 0: uniform speeds, 1: road-class speeds; other values are ignored. */
OSTRIM_EXPORT void OSTRIM_CALL setRouteMethod(int value);

/* ---- Map sheets ------------------------------------------------------ */

/* Maps folder (ending with a separator) holding the zoom folders "1//",
 * "3//", "6//", "12//" and "24//"; reads the sheet index "1//index.dat". */
OSTRIM_EXPORT void OSTRIM_CALL InitialiseMaps(const char* folder);

/* Composes width x height palette indexes of the map sheets, bottom row
 * first, for the view whose top-left corner is (*lat1, *lon1) at *zoom
 * metres per pixel. Writes back the zoom rounded to tenths, the top-left
 * corner after a round trip through the grid and the bottom-right corner
 * (*lat2, *lon2), then returns 0 with all of pixels and the 1024-byte
 * palette (256 entries of 4 bytes) written, or -1 when no sheet was drawn.
 * A zoom below 0.1 or unusable arguments give -1 with nothing written. */
OSTRIM_EXPORT int OSTRIM_CALL getMap(int width, int height, double* lat1, double* lon1, double* lat2,
                                     double* lon2, float* zoom, unsigned char* pixels,
                                     unsigned char* palette);

#endif
