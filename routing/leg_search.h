// Routes leg by leg: the path a run found, appended to the route arrays,
// and the route through a list of points on the whole network.
#ifndef OSTRIM_LEG_SEARCH_H
#define OSTRIM_LEG_SEARCH_H

#include <cstdint>

#include "search_network.h"
#include "search_state.h"

namespace routing {

// Appends the path to target that the state's last run found, closed by
// (target, 0); false when the path cannot be extracted.
bool appendPathToRoute(const SearchNetwork& network, SearchState& state, int32_t target);

// The route through routingSearch.points[0 .. legs] on the whole network,
// each leg searched within the points' box widened by the margin:
// lastRouteEntry, or -1 at the first leg that fails.
int32_t searchLegs(int32_t legs, float margin, float minLat, float maxLat, float minLon, float maxLon);

}  // namespace routing

#endif
