#include "route_points.h"

#include "heap_arrays.h"

namespace routing {

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
    if (routePointLongitude == nullptr || routePointLatitude == nullptr || routePointNode == nullptr ||
        routePointLink == nullptr) {
        releaseRoutePoints();
    }
}

void releaseRoutePoints() {
    releaseArray(routePointLongitude);
    releaseArray(routePointLatitude);
    releaseArray(routePointNode);
    releaseArray(routePointLink);
    routePointCapacity = 0;
    routePointCount = 0;
}

}  // namespace routing
