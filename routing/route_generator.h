// Multi-point routes over network windows: one attempt loads the window
// around the points' box widened by a margin, prices its links, snaps the
// points and searches leg after leg; generateRoute widens the margin after
// a failed attempt.
#ifndef OSTRIM_ROUTE_GENERATOR_H
#define OSTRIM_ROUTE_GENERATOR_H

#include <cstdint>

namespace routing {

constexpr int32_t kNoWindowNetwork = -2;

// One attempt: lastRouteEntry on success, -1 when a leg fails, -2 when the
// window holds no node (a window file is missing, or no cell has a node).
int32_t searchWindowLegs(int32_t legs, float margin, float minLon, float maxLon, float minLat,
                         float maxLat, float blockLat, float blockLon);

}  // namespace routing

#endif
