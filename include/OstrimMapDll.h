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

#endif
