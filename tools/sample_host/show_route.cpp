#include <vector>

#include "host.h"

namespace {

// A flagged pair ends a stretch of road; its true latitude is the negated
// one.
void printPair(const char* label, const float* pair) {
    const bool flagged = pair[1] > 0.0f;
    std::printf("  %s pair: %.6f, %.6f%s\n", label, static_cast<double>(pair[0]),
                static_cast<double>(flagged ? -pair[1] : pair[1]), flagged ? " (ends a stretch)" : "");
}

}  // namespace

bool showRoute(const Library& library, const std::string& dataRoot) {
    auto setPathFn = HOST_RESOLVE(library, setPath);
    auto setRouteMethodFn = HOST_RESOLVE(library, setRouteMethod);
    auto addToRoutegenFn = HOST_RESOLVE(library, addToRoutegen);
    auto generateRouteFn = HOST_RESOLVE(library, generateRoute);
    auto getRouteVectorsFn = HOST_RESOLVE(library, getRouteVectors);
    auto clearDataFn = HOST_RESOLVE(library, clearData);

    const std::string roads = dataRoot + "roads/";
    setPathFn(roads.c_str());
    setRouteMethodFn(1);
    // Across the sample city and back by way of its south-east corner.
    addToRoutegenFn(-33.8105, 151.1052, "depot");
    addToRoutegenFn(-33.8502, 151.1603, "first stop");
    addToRoutegenFn(-33.9021, 151.2150, "second stop");
    addToRoutegenFn(-33.8310, 151.2048, "last stop");
    // No blocked point: a position far from any road.
    const int lastEntry = generateRouteFn(0.0f, 0.0f);
    std::printf("multi-point route through 4 points: last route entry %d\n", lastEntry);
    if (lastEntry < 0) {
        clearDataFn();
        return false;
    }
    const int bound = getRouteVectorsFn(1, nullptr);
    std::vector<float> pairs(bound > 0 ? 2 * static_cast<size_t>(bound) : 0);
    const int written = bound > 0 ? getRouteVectorsFn(0, pairs.data()) : -1;
    std::printf("route polyline: %d pairs (at most %d)\n", written, bound);
    if (written >= 2) {
        printPair("first", &pairs[0]);
        printPair("last", &pairs[2 * static_cast<size_t>(written - 1)]);
    }
    clearDataFn();
    return written >= 2;
}
