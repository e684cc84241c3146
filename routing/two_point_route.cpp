#include <cstdlib>
#include <vector>

#include "OstrimMapDll.h"
#include "export_guard.h"
#include "journey.h"
#include "leg_search.h"
#include "road_network.h"
#include "route_arrays.h"
#include "routing_module.h"
#include "routing_settings.h"
#include "search_state.h"

namespace routing {

bool ensureWholeNetwork() {
    // A window route leaves networkLoaded set over arrays that lack the
    // band table and the travel times the whole-network users need.
    if (!wholeNetworkLoaded()) loadRoadNetwork();
    return wholeNetworkLoaded();
}

void sumRouteDistanceTime(double* km, double* minutes) {
    double totalKm = 0.0;
    double totalMinutes = 0.0;
    if (routeKind == RouteKind::WholeNetwork && routeReadable() && wholeNetworkLoaded()) {
        for (int32_t i = 0; i < lastRouteEntry; ++i) {
            const int32_t e = routeLink[i];
            if (e < 0 || e >= linkCount) continue;
            const uint8_t cls = linkClass[e];
            totalKm += linkLength[e];
            // The speed table has no row for the special classes; their
            // stored travel time is what the data gives for them.
            if (cls < kRoadClasses) {
                totalMinutes += static_cast<double>(linkLength[e]) / static_cast<double>(speedTable[cls][1]) * 60.0;
            } else {
                totalMinutes += linkCost[e];
            }
        }
    }
    if (km != nullptr) *km = totalKm;
    if (minutes != nullptr) *minutes = totalMinutes;
}

}  // namespace routing

using namespace routing;

namespace {

int32_t routeBetween(float lat1, float lon1, float lat2, float lon2) {
    if (!ensureWholeNetwork()) return -1;
    float km = 0.0f;
    std::vector<int32_t>& points = routingSearch.points;
    points = {findNearestNode(lat1, lon1, &km), findNearestNode(lat2, lon2, &km)};
    int32_t result = -1;
    if (points[0] != -1 && points[1] != -1) {
        NodeBox box;
        box.add(points[0]);
        box.add(points[1]);
        // Start narrow and widen only when nothing is found: 0.1, 0.3, 0.5,
        // 0.7 and 0.9 degree, summed in single precision.
        float margin = 0.1f;
        result = searchLegs(1, margin, box.minLat, box.maxLat, box.minLon, box.maxLon);
        while (result == -1) {
            margin = margin + 0.2f;
            if (margin > 1.0f) break;
            result = searchLegs(1, margin, box.minLat, box.maxLat, box.minLon, box.maxLon);
        }
    }
    return result >= 0 && lastRouteEntry >= 0 ? 1 : -1;
}

}  // namespace

OSTRIM_EXPORT int OSTRIM_CALL generateJRoute(float lat1, float lon1, float lat2, float lon2) {
    return platform::guardExport(
        -1, [&] { return routeBetween(lat1, lon1, lat2, lon2); }, abandonRoutingWork);
}
