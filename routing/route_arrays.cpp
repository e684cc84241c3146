#include "route_arrays.h"

#include "heap_arrays.h"

namespace routing {

int32_t* routeNode = nullptr;
int32_t* routeLink = nullptr;
int32_t routeCapacity = 0;
int32_t lastRouteEntry = 0;
RouteKind routeKind = RouteKind::None;
uint32_t routeSerial = 0;

void dropRoute() {
    lastRouteEntry = -1;
    routeKind = RouteKind::None;
    ++routeSerial;
}

namespace {

void freeRouteColumns() {
    releaseArray(routeNode);
    releaseArray(routeLink);
}

}  // namespace

void allocateRouteArrays(int32_t capacity, unsigned char keep) {
    if (capacity < 0) capacity = 0;
    bool ready = false;
    if (keep != 0) {
        // Both columns must grow; a half-grown pair is dropped whole.
        ready = growArray(routeNode, capacity) & growArray(routeLink, capacity);
    } else {
        freeRouteColumns();
        routeNode = allocateArray<int32_t>(capacity);
        routeLink = allocateArray<int32_t>(capacity);
        ready = routeNode != nullptr && routeLink != nullptr;
    }
    if (!ready) {
        freeRouteColumns();
        capacity = 0;
    }
    routeCapacity = capacity;
}

bool appendRouteEntry(int32_t node, int32_t link) {
    lastRouteEntry += 1;
    if (lastRouteEntry >= routeCapacity) allocateRouteArrays(routeCapacity + kRouteGrowth, 1);
    if (routeNode == nullptr || lastRouteEntry >= routeCapacity) return false;
    routeNode[lastRouteEntry] = node;
    routeLink[lastRouteEntry] = link;
    return true;
}

bool routeReadable() {
    return routeKind != RouteKind::None && routeNode != nullptr && routeLink != nullptr && lastRouteEntry >= 0 &&
           lastRouteEntry < routeCapacity;
}

void releaseRouteArrays() {
    freeRouteColumns();
    routeCapacity = 0;
}

}  // namespace routing
