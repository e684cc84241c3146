#include "leg_search.h"

#include "path_search.h"
#include "road_network.h"
#include "route_arrays.h"

namespace routing {

bool appendPathToRoute(const SearchNetwork& network, SearchState& state, int32_t target) {
    const int32_t length = resolvePathLinks(network, state, target);
    if (length < 1) return false;
    for (int32_t step = 0; step + 1 < length; ++step) {
        if (!appendRouteEntry(pathChainNode(state, length - 1 - step), state.pathLinks[static_cast<size_t>(step)])) {
            return false;
        }
    }
    return appendRouteEntry(target, 0);
}

int32_t searchLegs(int32_t legs, float margin, float minLat, float maxLat, float minLon, float maxLon) {
    dropRoute();
    allocateRouteArrays(routeCapacity + kRouteGrowth, 0);
    SearchState& state = routingSearch;
    if (legs < 0 || state.points.size() < static_cast<size_t>(legs) + 1) return -1;
    const SearchNetwork network = wholeNetworkSearch();
    for (int32_t k = 0; k < legs; ++k) {
        prepareSearchLabels(state, minLat, maxLat, minLon, maxLon, margin);
        if (!searchFromNode(network, state, state.points[static_cast<size_t>(k)])) return -1;
        if (!appendPathToRoute(network, state, state.points[static_cast<size_t>(k) + 1])) return -1;
    }
    routeKind = RouteKind::WholeNetwork;
    return lastRouteEntry;
}

}  // namespace routing
