// Routes through a list of points on the whole network, and the per-target
// sums of a one-to-many search.
#include <cstdlib>
#include <vector>

#include "heap_arrays.h"
#include "path_search.h"
#include "road_network.h"

namespace routing {

int32_t* searchPoints = nullptr;
float* targetCosts = nullptr;
float* targetLengths = nullptr;

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

void releaseSearchLists() {
    releaseArray(searchPoints);
    releaseArray(targetCosts);
    releaseArray(targetLengths);
}

void freeRouteArrays() {
    releaseArray(routeNode);
    releaseArray(routeLink);
}

}  // namespace

SearchLists::SearchLists(size_t points, size_t targets) {
    releaseSearchLists();
    const bool fits = points < SIZE_MAX / sizeof(int32_t) / 2 && targets < SIZE_MAX / sizeof(float) / 2;
    if (!fits) return;
    searchPoints = allocateArray<int32_t>(static_cast<int64_t>(points));
    targetCosts = allocateArray<float>(static_cast<int64_t>(targets));
    targetLengths = allocateArray<float>(static_cast<int64_t>(targets));
    allocated_ = searchPoints != nullptr && targetCosts != nullptr && targetLengths != nullptr;
}

SearchLists::~SearchLists() { releaseSearchLists(); }

void allocateRouteArrays(int32_t capacity, unsigned char keep) {
    if (capacity < 0) capacity = 0;
    bool ready = false;
    if (keep != 0) {
        // Both columns must grow; a half-grown pair is dropped whole.
        ready = growArray(routeNode, capacity) & growArray(routeLink, capacity);
    } else {
        freeRouteArrays();
        routeNode = allocateArray<int32_t>(capacity);
        routeLink = allocateArray<int32_t>(capacity);
        ready = routeNode != nullptr && routeLink != nullptr;
    }
    if (!ready) {
        freeRouteArrays();
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
    return routeKind != RouteKind::None && routeNode != nullptr && routeLink != nullptr &&
           lastRouteEntry >= 0 && lastRouteEntry < routeCapacity;
}

namespace {

// The links of the path found to a target, in travel order from the
// source; reused from path to path.
std::vector<int32_t> pathLinks;

// Resolves every step of the path to target into pathLinks before anything
// uses it, so a broken chain is refused whole. Returns the number of nodes
// on the path (the chain stays in searchQueue), or -1.
int32_t resolvePathLinks(int32_t target, const SearchVariant& variant) {
    const int32_t length = collectPathChain(target);
    if (length < 1) return -1;
    pathLinks.clear();
    for (int32_t i = length - 1; i >= 1; --i) {
        const int32_t e = linkBetween(pathChainNode(i), pathChainNode(i - 1), variant);
        if (e < 0) return -1;
        pathLinks.push_back(e);
    }
    return length;
}

}  // namespace

bool appendPathToRoute(int32_t target, const SearchVariant& variant) {
    const int32_t length = resolvePathLinks(target, variant);
    if (length < 1) return false;
    for (int32_t step = 0; step + 1 < length; ++step) {
        if (!appendRouteEntry(pathChainNode(length - 1 - step), pathLinks[static_cast<size_t>(step)])) return false;
    }
    return appendRouteEntry(target, 0);
}

int32_t searchLegs(int32_t legs, float margin, float minLat, float maxLat, float minLon,
                   float maxLon) {
    dropRoute();
    allocateRouteArrays(routeCapacity + kRouteGrowth, 0);
    if (searchPoints == nullptr) return -1;
    const SearchVariant variant = wholeNetworkSearch();
    for (int32_t k = 0; k < legs; ++k) {
        prepareSearchLabels(minLat, maxLat, minLon, maxLon, margin);
        if (!searchFromNode(searchPoints[k], variant)) return -1;
        if (!appendPathToRoute(searchPoints[k + 1], variant)) return -1;
    }
    routeKind = RouteKind::WholeNetwork;
    return lastRouteEntry;
}

bool pathSums(int32_t target, float* minutes, float* km) {
    const SearchVariant variant = wholeNetworkSearch();
    if (variant.cost == nullptr || resolvePathLinks(target, variant) < 1) return false;
    double minuteSum = 0.0;
    double kmSum = 0.0;
    for (const int32_t e : pathLinks) {
        minuteSum += variant.cost[e];
        kmSum += linkLength[e];
    }
    *minutes = static_cast<float>(minuteSum);
    *km = static_cast<float>(kmSum);
    return true;
}

int32_t searchOneToMany(int32_t pointCount) {
    dropRoute();
    if (searchPoints == nullptr || targetCosts == nullptr || targetLengths == nullptr) return -1;
    if (!searchFromNode(searchPoints[0], wholeNetworkSearch())) return -1;
    for (int32_t j = 1; j < pointCount; ++j) {
        float minutes = 0.0f;
        float km = 0.0f;
        if (!pathSums(searchPoints[j], &minutes, &km)) return -1;
        lastRouteEntry += 1;
        targetCosts[lastRouteEntry] = minutes;
        targetLengths[lastRouteEntry] = km;
    }
    return lastRouteEntry;
}

}  // namespace routing
