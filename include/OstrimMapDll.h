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

/* ---- Multi-point routes ----------------------------------------------- */

/* Adds a point (degrees, latitude negative south) to the route, in travel
 * order. The name is not used. Points accumulate until clearData. */
OSTRIM_EXPORT void OSTRIM_CALL addToRoutegen(double lat, double lon, const char* name);

/* Routes through every added point over the road cells around them. Links
 * that end within 0.0003 degree of (blockLat, blockLon) are avoided where
 * any other way exists. Returns the index of the route's last entry (0 or
 * more), or -1 when there is no route. */
OSTRIM_EXPORT int OSTRIM_CALL generateRoute(float blockLat, float blockLon);

/* The route of the last successful generateRoute as (longitude, latitude)
 * float pairs along the roads, from the first added point to the last.
 * countOnly non-zero: returns an upper bound of the number of pairs and
 * leaves out alone (it may be null). countOnly zero: fills out, which must
 * hold that many pairs, and returns the number written. The pair that ends
 * each stretch of road, and the last pair, carry their latitude negated.
 * Returns -1, writing nothing, when there is no route or its shapes cannot
 * be read. */
OSTRIM_EXPORT int OSTRIM_CALL getRouteVectors(unsigned char countOnly, float* out);

#endif
