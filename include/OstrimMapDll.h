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

/* ---- Map layer rendering ---------------------------------------------- */

/* Results of createMap and createMapHBMP. */
typedef enum CreateMapResult {
    mapOk = 0,           /* image made, corners written back */
    mapBadFormat = 1,    /* createMap: format is neither "BMP" nor "PNG" */
    mapBadCity = 2,      /* code % 1000 outside 0..10 */
    mapLayerMissing = 3, /* the layer's files are missing or unusable */
    mapNotSaved = 4,     /* createMap: the image file was not written */
    mapViewOutside = 5,  /* the view leaves the layer image, or all of it is white */
    mapNoBitmap = 6      /* no bitmap of that size could be made */
} CreateMapResult;

/* Renders a view of one city map layer. folder: base folder of the city
 * folders; code: layer * 1000 + city. The corners are the north-west
 * (lon1, lat1) and south-east (lon2, lat2) corners of the requested view in
 * degrees; on mapOk they are overwritten with the corners the image shows.
 * width and height are read only. format: "BMP" or "PNG" (first three
 * characters). Returns a CreateMapResult. */
OSTRIM_EXPORT int OSTRIM_CALL createMap(const char* folder, int code, double* lon1, double* lat1,
                                        double* lon2, double* lat2, int* width, int* height,
                                        const char* file, const char* format);

/* As createMap, but hands out the rendered bitmap instead of saving it: on
 * mapOk *bitmap is the library's own image (a GdkPixbuf* on this platform,
 * 24-bit RGB). The caller must not free it; it stays valid until the next
 * createMap or createMapHBMP call that passes the city check (and, for
 * createMap, the format check), or until the library is unloaded. */
OSTRIM_EXPORT int OSTRIM_CALL createMapHBMP(const char* folder, int code, double* lon1, double* lat1,
                                            double* lon2, double* lat2, int* width, int* height,
                                            HBITMAP* bitmap);

#endif
