#include "route_generator.h"

#include <cstdlib>
#include <limits>
#include <vector>

#include "OstrimMapDll.h"
#include "export_guard.h"
#include "leg_search.h"
#include "network_window.h"
#include "path_search.h"
#include "point_snapping.h"
#include "road_network.h"
#include "route_arrays.h"
#include "route_points.h"
#include "routing_module.h"
#include "routing_settings.h"
#include "search_state.h"

namespace routing {

namespace {

// Coordinates beyond float's range become infinities rather than an
// undefined conversion.
float toStoredFloat(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (value > kMax) return std::numeric_limits<float>::infinity();
    if (value < -kMax) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

struct PointBox {
    float minLon = 999999.0f;
    float maxLon = -999999.0f;
    float minLat = 999999.0f;
    float maxLat = -999999.0f;
};

PointBox boxOfPoints() {
    PointBox box;
    for (int32_t p = 0; p < routePointCount; ++p) {
        const float lon = routePointLongitude[p];
        const float lat = routePointLatitude[p];
        if (box.minLon > lon) box.minLon = lon;
        if (box.maxLon < lon) box.maxLon = lon;
        if (box.minLat > lat) box.minLat = lat;
        if (box.maxLat < lat) box.maxLat = lat;
    }
    return box;
}

// A fifth of the box's larger extent, kept within 0.02 to 0.5 degree.
float firstMargin(const PointBox& box) {
    const double lonExtent = static_cast<double>(box.maxLon) - box.minLon;
    const double latExtent = static_cast<double>(box.maxLat) - box.minLat;
    float margin = static_cast<float>(0.2 * (lonExtent > latExtent ? lonExtent : latExtent));
    if (margin < 0.02) {
        margin = 0.02f;
    } else if (margin > 0.5) {
        margin = 0.5f;
    }
    return margin;
}

int32_t routeThroughPoints(float blockLat, float blockLon) {
    const int32_t n = routePointCount;
    if (dataPath.empty() && n < 2) return -1;
    if (n <= 0 || routePointLongitude == nullptr || routePointLatitude == nullptr) return -1;
    const PointBox box = boxOfPoints();
    float margin = firstMargin(box);

    dropRoute();
    routingSearch.points.assign(static_cast<size_t>(n), -1);
    auto attempt = [&] {
        return searchWindowLegs(n - 1, margin, box.minLon, box.maxLon, box.minLat, box.maxLat, blockLat,
                                blockLon);
    };
    int32_t result = attempt();
    while (result == -1 && margin < 2.0) {
        margin = static_cast<float>(static_cast<double>(margin) + 0.5);
        result = attempt();
    }
    // A failed last attempt may have appended earlier legs: no route then.
    if (result < 0) {
        dropRoute();
        return -1;
    }
    return lastRouteEntry;
}

}  // namespace

int32_t searchWindowLegs(int32_t legs, float margin, float minLon, float maxLon, float minLat,
                         float maxLat, float blockLat, float blockLon) {
    dropRoute();
    loadNetworkWindow(margin, minLon, maxLon, minLat, maxLat);
    if (networkLoaded == 0) return kNoWindowNetwork;
    setWindowLinkCosts(blockLat, blockLon);
    for (int32_t p = 0; p < routePointCount; ++p) snapPointToNetwork(p);
    std::vector<int32_t>& points = routingSearch.points;
    if (legs < 0 || points.size() < static_cast<size_t>(legs) + 1 || legs + 1 > routePointCount) return -1;
    for (int32_t p = 0; p <= legs; ++p) points[static_cast<size_t>(p)] = routePointNode[p];
    allocateRouteArrays(routeCapacity + kRouteGrowth, 0);
    const SearchNetwork network = windowSearch();
    for (int32_t k = 0; k < legs; ++k) {
        const int32_t source = points[static_cast<size_t>(k)];
        const int32_t target = points[static_cast<size_t>(k) + 1];
        if (source == -1 || target == -1) return -1;
        // Each leg starts from fresh labels over the whole window.
        prepareOpenSearchLabels(routingSearch);
        if (!searchFromNode(network, routingSearch, source)) return -1;
        if (!appendPathToRoute(network, routingSearch, target)) return -1;
    }
    routeKind = RouteKind::Window;
    return lastRouteEntry;
}

}  // namespace routing

using namespace routing;

OSTRIM_EXPORT void OSTRIM_CALL addToRoutegen(double lat, double lon, const char* name) {
    (void)name;  // the caller's label for the point; nothing uses it
    platform::guardVoidExport([&] {
        if (routePointCount >= routePointCapacity) {
            if (routePointCapacity > std::numeric_limits<int32_t>::max() - kPointGrowth) return;
            growRoutePointArrays(routePointCapacity + kPointGrowth, 1);
        }
        if (routePointCount >= routePointCapacity || routePointLongitude == nullptr) return;
        const int32_t p = routePointCount;
        routePointLongitude[p] = toStoredFloat(lon);
        routePointLatitude[p] = toStoredFloat(lat);
        // Not snapped until the next generateRoute.
        routePointNode[p] = -1;
        routePointLink[p] = -1;
        routePointCount = p + 1;
    });
}

OSTRIM_EXPORT int OSTRIM_CALL generateRoute(float blockLat, float blockLon) {
    return platform::guardExport(
        -1, [&] { return routeThroughPoints(blockLat, blockLon); }, abandonRoutingWork);
}
