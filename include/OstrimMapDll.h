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

/* ---- Two-point routes and stop ordering (whole network) ---------------- */

/* One stop of a trip for optimiseJRoute, 16 bytes. */
typedef struct JourneyStop {
    float longitude;     /* degrees */
    float latitude;      /* degrees, negative south */
    int32_t callerData;  /* the caller's own: never read or written */
    int32_t visitOrder;  /* written: the record index visited at this position */
} JourneyStop;

#ifdef __cplusplus
static_assert(sizeof(JourneyStop) == 16, "JourneyStop is 16 bytes");
static_assert(offsetof(JourneyStop, longitude) == 0, "JourneyStop layout");
static_assert(offsetof(JourneyStop, latitude) == 4, "JourneyStop layout");
static_assert(offsetof(JourneyStop, callerData) == 8, "JourneyStop layout");
static_assert(offsetof(JourneyStop, visitOrder) == 12, "JourneyStop layout");
#endif

/* Route between two positions over the whole network of "roadnet.dat":
 * 1 when found (it stays in the library until the next route or
 * clearData), -1 otherwise. */
OSTRIM_EXPORT int OSTRIM_CALL generateJRoute(float lat1, float lon1, float lat2, float lon2);

/* Orders the n stops of a trip, the first and last fixed: 1 when the
 * visiting order was written (in record k, the index of the record visited
 * at position k), -1 otherwise with the records untouched. */
OSTRIM_EXPORT int OSTRIM_CALL optimiseJRoute(int n, JourneyStop* stops);

/* ---- Scheduler ------------------------------------------------------- */

/* Road distance (km) and travel time (minutes, road-class speeds) between
 * two positions over the whole network: 1 when a route was found (the
 * network is then released), -1 with both outputs -1.0 otherwise. */
OSTRIM_EXPORT int OSTRIM_CALL getDistanceTime(double lat1, double lon1, double lat2, double lon2,
                                              double* km, double* minutes);

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
