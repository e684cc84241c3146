// The points added by addToRoutegen for the next generateRoute, one entry
// per point in each of four columns, with the node and link that each was
// snapped to.
#ifndef OSTRIM_ROUTE_POINTS_H
#define OSTRIM_ROUTE_POINTS_H

#include <cstdint>

namespace routing {

extern float* routePointLongitude;
extern float* routePointLatitude;
extern int32_t* routePointNode;
extern int32_t* routePointLink;
extern int32_t routePointCount;
extern int32_t routePointCapacity;

// Point columns grow by this many entries at a time.
constexpr int32_t kPointGrowth = 5;

void growRoutePointArrays(int32_t capacity, unsigned char keep);
// No points, no room: what clearData leaves.
void releaseRoutePoints();

}  // namespace routing

#endif
