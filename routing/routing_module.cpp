#include "routing_module.h"

#include <cstdlib>

#include "OstrimMapDll.h"
#include "export_guard.h"
#include "file_names.h"
#include "heap_arrays.h"
#include "load_order.h"
#include "path_search.h"
#include "road_network.h"

namespace routing {

OSTRIM_ROUTING_OBJECT wxString dataPath;
OSTRIM_ROUTING_OBJECT platform::DataFile cellIndexFile;
OSTRIM_ROUTING_OBJECT platform::DataFile cellDataFile;
OSTRIM_ROUTING_OBJECT platform::DataFile linkIndexFile;
OSTRIM_ROUTING_OBJECT platform::DataFile linkDataFile;

int32_t routeMethod = 0;
int32_t restrictionsFlag = 0;

float* routePointLongitude = nullptr;
float* routePointLatitude = nullptr;
int32_t* routePointNode = nullptr;
int32_t* routePointLink = nullptr;
int32_t routePointCount = 0;
// -1 at load, so that the first growth by 5 makes room for 4 points.
int32_t routePointCapacity = -1;

namespace {

template <typename T>
void resize(T*& array, int32_t capacity, bool keep) {
    if (keep && growArray(array, capacity)) return;
    releaseArray(array);
    array = allocateArray<T>(capacity);
}

}  // namespace

void growRoutePointArrays(int32_t capacity, unsigned char keep) {
    const bool keepContents = keep != 0 && routePointCapacity >= 1;
    resize(routePointLongitude, capacity, keepContents);
    resize(routePointLatitude, capacity, keepContents);
    resize(routePointNode, capacity, keepContents);
    resize(routePointLink, capacity, keepContents);
    routePointCapacity = capacity;
    if (routePointLongitude == nullptr || routePointLatitude == nullptr ||
        routePointNode == nullptr || routePointLink == nullptr) {
        releaseArray(routePointLongitude);
        releaseArray(routePointLatitude);
        releaseArray(routePointNode);
        releaseArray(routePointLink);
        routePointCapacity = 0;
        routePointCount = 0;
    }
}

void freeRouteGenerator() {
    releaseArray(searchLabel);
    releaseArray(searchPredecessor);
    releaseArray(searchQueue);
    releaseArray(routeNode);
    releaseArray(routeLink);
    releaseArray(routePointLongitude);
    releaseArray(routePointLatitude);
    releaseArray(routePointNode);
    releaseArray(routePointLink);
    routeCapacity = 0;
    routePointCapacity = 0;
    routePointCount = 0;
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

using namespace routing;

OSTRIM_EXPORT void OSTRIM_CALL setPath(const char* path) {
    platform::guardVoidExport([&] {
        // Converted in full before anything changes, so a failure leaves
        // the old folder and speed table.
        wxString folder = platform::fromUtf8(path);
        dataPath.swap(folder);
        resetSpeedTable();
    });
}

OSTRIM_EXPORT void OSTRIM_CALL clearData(void) {
    platform::guardVoidExport([] {
        freeRouteGenerator();
        freeRoadNetwork();
        networkLoaded = 0;
    });
}

OSTRIM_EXPORT void OSTRIM_CALL setRestrictions(int value) {
    platform::guardVoidExport([&] {
        if (value == 0 || value == 1) restrictionsFlag = value;
    });
}

OSTRIM_EXPORT void OSTRIM_CALL setRouteMethod(int value) {
    platform::guardVoidExport([&] {
        if (value == 0 || value == 1) routeMethod = value;
    });
}
