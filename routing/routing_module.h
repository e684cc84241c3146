// Module-level state of the route generator: the data folder, the speed
// column and restriction settings, the shape and cell file handles, and the
// points added for a multi-point route.
#ifndef OSTRIM_ROUTING_MODULE_H
#define OSTRIM_ROUTING_MODULE_H

#include <wx/string.h>

#include <cstdint>

#include "data_file.h"

namespace routing {

extern wxString dataPath;
extern platform::DataFile cellIndexFile;
extern platform::DataFile cellDataFile;
extern platform::DataFile linkIndexFile;
extern platform::DataFile linkDataFile;

extern int32_t routeMethod;
extern int32_t restrictionsFlag;

// Points added by addToRoutegen, one entry per point.
extern float* routePointLongitude;
extern float* routePointLatitude;
extern int32_t* routePointNode;
extern int32_t* routePointLink;
extern int32_t routePointCount;
extern int32_t routePointCapacity;

void growRoutePointArrays(int32_t capacity, unsigned char keep);
void freeRouteGenerator();

// What an export that failed part way leaves: no route, no network (it may
// be half loaded) and no open road-data file. The added points stay.
void abandonRoutingWork() noexcept;

}  // namespace routing

#endif
