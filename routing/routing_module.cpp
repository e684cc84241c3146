#include "routing_module.h"

#include "OstrimMapDll.h"
#include "export_guard.h"
#include "load_order.h"
#include "road_network.h"
#include "route_arrays.h"
#include "route_points.h"
#include "search_state.h"

namespace routing {

OSTRIM_ROUTING_OBJECT platform::DataFile cellIndexFile;
OSTRIM_ROUTING_OBJECT platform::DataFile cellDataFile;
OSTRIM_ROUTING_OBJECT platform::DataFile linkIndexFile;
OSTRIM_ROUTING_OBJECT platform::DataFile linkDataFile;

void freeRouteGenerator() {
    releaseSearchArrays();
    releaseRouteArrays();
    releaseRoutePoints();
    dropRoute();
}

void abandonRoutingWork() noexcept {
    dropRoute();
    freeRoadNetwork();
    networkLoaded = 0;
    cellIndexFile.close();
    cellDataFile.close();
    linkIndexFile.close();
    linkDataFile.close();
}

}  // namespace routing

OSTRIM_EXPORT void OSTRIM_CALL clearData(void) {
    platform::guardVoidExport([] {
        routing::freeRouteGenerator();
        routing::freeRoadNetwork();
        routing::networkLoaded = 0;
    });
}
