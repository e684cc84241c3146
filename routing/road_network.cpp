#include "road_network.h"

#include <limits>
#include <new>

#include "coordinates.h"
#include "heap_arrays.h"
#include "routing_settings.h"
#include "search_state.h"

namespace routing {

float* nodeLatitude = nullptr;
float* nodeLongitude = nullptr;
int32_t* nodeFirstLink = nullptr;
uint8_t* nodeDegree = nullptr;
int32_t* nodeGlobalId = nullptr;

int32_t* linkTarget = nullptr;
uint8_t* linkClass = nullptr;
float* linkLength = nullptr;
float* linkCost = nullptr;
int32_t* linkShapeIndex = nullptr;
int32_t* linkCellId = nullptr;

int32_t nodeCount = 0;
int32_t linkCount = 0;
unsigned char networkLoaded = 0;
int32_t* latitudeBandTable = nullptr;

namespace {

// The links as the search reads them, and the cost column they were laid
// out from (null while there is no layout).
SearchLink* searchLinks = nullptr;
const float* searchLinkCosts = nullptr;

void releaseSearchLayout() {
    releaseArray(searchLinks);
    searchLinkCosts = nullptr;
}

SearchNetwork searchView(const float* cost, bool cheapestParallelLink) {
    SearchNetwork network;
    network.nodeCount = nodeCount;
    network.firstLink = nodeFirstLink;
    network.degree = nodeDegree;
    network.linkTarget = linkTarget;
    network.cost = cost;
    network.length = linkLength;
    network.cheapestParallelLink = cheapestParallelLink;
    if (cost != nullptr && cost == searchLinkCosts) network.links = searchLinks;
    return network;
}

// Grows every column to count + more entries; the count follows only when
// all of them grew.
template <typename... Columns>
bool growColumns(int32_t* count, int32_t more, Columns*&... columns) {
    const int64_t entries = int64_t{*count} + more;
    if (more < 0 || entries > std::numeric_limits<int32_t>::max()) return false;
    if (!(growArray(columns, entries) && ...)) return false;
    *count = static_cast<int32_t>(entries);
    return true;
}

}  // namespace

unsigned char isNetworkLoaded() { return networkLoaded; }

bool wholeNetworkLoaded() {
    return networkLoaded != 0 && latitudeBandTable != nullptr && linkCost != nullptr &&
           nodeGlobalId == nullptr;
}

void computeLinkCosts() {
    selectCurrentSpeeds();
    if (linkLength == nullptr || linkCost == nullptr || linkClass == nullptr) return;
    for (int32_t j = 0; j < linkCount; ++j) {
        if (linkLength[j] < 0.0f) linkLength[j] = -linkLength[j];
        const uint8_t cls = linkClass[j];
        // A zero speed (no speed table set yet) yields an infinite or NaN
        // cost; the layout makes such links impassable.
        if (cls <= 12 && linkCost[j] < 1.0f) {
            linkCost[j] = static_cast<float>(static_cast<double>(linkLength[j]) * 60.0 /
                                             static_cast<double>(currentSpeeds[cls]));
        }
    }
    layOutSearchLinks(linkCost);
}

void layOutSearchLinks(const float* cost) {
    releaseSearchLayout();
    if (cost == nullptr || linkTarget == nullptr) return;
    searchLinks = allocateArray<SearchLink>(linkCount);
    if (searchLinks == nullptr) throw std::bad_alloc();
    // A candidate label of L + infinity is below no label, so a link laid
    // out this way is never taken; node 0 always exists.
    constexpr SearchLink kNeverDriven{0, std::numeric_limits<float>::infinity()};
    for (int32_t j = 0; j < linkCount; ++j) {
        const int32_t target = linkTarget[j];
        const float c = cost[j];
        // A negative or NaN cost would let labels fall without end (or
        // below the excluded mark).
        const bool drivable = target >= 0 && target < nodeCount && c >= 0.0f;
        searchLinks[j] = drivable ? SearchLink{target, c} : kNeverDriven;
    }
    searchLinkCosts = cost;
}

SearchNetwork wholeNetworkSearch() { return searchView(linkCost, false); }
SearchNetwork windowSearch() { return searchView(linkLength, true); }

BandWindow findBandWindow(float south, float north) {
    BandWindow window{0, 0};
    if (latitudeBandTable == nullptr) return window;
    const int32_t* keys = latitudeBandTable;
    const int32_t* starts = latitudeBandTable + kBandKeys;
    // The key spacing constant is single precision in the data's own tools;
    // the latitude is formed from it in double.
    auto keyLatitude = [&](int i) {
        return static_cast<double>(keys[i]) * static_cast<double>(0.001f) - 32.0;
    };
    int i = 0;
    while (i < kBandKeys && !(keyLatitude(i) < static_cast<double>(north))) ++i;
    if (i == kBandKeys) return window;
    window.first = i >= 1 ? starts[i - 1] : starts[0];

    int k = kBandKeys - 2;
    while (k >= 1 && !(keyLatitude(k) > static_cast<double>(south))) --k;
    window.end = k >= 1 ? starts[k + 1] : starts[kBandKeys - 1];
    return window;
}

int32_t findNearestNode(float lat, float lon, float* km) {
    float bestKm = 999999.0f;
    int32_t best = -1;
    if (latitudeBandTable != nullptr && nodeLatitude != nullptr) {
        const BandWindow window =
            findBandWindow(static_cast<float>(static_cast<double>(lat) - 0.1),
                           static_cast<float>(static_cast<double>(lat) + 0.1));
        for (int32_t k = window.first; k < window.end; ++k) {
            const double d = greatCircleDistance(nodeLatitude[k], nodeLongitude[k], lat, lon);
            if (d < static_cast<double>(bestKm)) {
                bestKm = static_cast<float>(d);
                best = k;
            }
        }
    }
    if (km != nullptr) *km = bestKm;
    return best;
}

void NodeBox::add(int32_t node) {
    const float lat = nodeLatitude[node];
    const float lon = nodeLongitude[node];
    if (lat < minLat) minLat = lat;
    if (lat > maxLat) maxLat = lat;
    if (lon < minLon) minLon = lon;
    if (lon > maxLon) maxLon = lon;
}

void allocateNodeArrays(int32_t n) {
    nodeCount = n;
    nodeLatitude = allocateArray<float>(n);
    nodeLongitude = allocateArray<float>(n);
    nodeFirstLink = allocateArray<int32_t>(n);
    nodeDegree = allocateArray<uint8_t>(n);
    allocateSearchArrays();
}

void allocateLinkArrays(int32_t m) {
    linkCount = m;
    linkTarget = allocateArray<int32_t>(m);
    linkClass = allocateArray<uint8_t>(m);
    linkLength = allocateArray<float>(m);
    linkCost = allocateArray<float>(m);
}

void allocateBandTable() {
    releaseArray(latitudeBandTable);
    latitudeBandTable = allocateArray<int32_t>(kBandTableSize);
}

bool growWindowNodeArrays(int32_t n) {
    return growColumns(&nodeCount, n, nodeGlobalId, nodeLatitude, nodeLongitude, nodeFirstLink, nodeDegree);
}

bool growWindowLinkArrays(int32_t m) {
    return growColumns(&linkCount, m, linkCellId, linkTarget, linkLength, linkShapeIndex, linkClass);
}

void freeRoadNetwork() {
    releaseArray(nodeLatitude);
    releaseArray(nodeLongitude);
    releaseArray(nodeFirstLink);
    releaseArray(nodeDegree);
    releaseArray(nodeGlobalId);
    releaseArray(linkTarget);
    releaseArray(linkClass);
    releaseArray(linkLength);
    releaseArray(linkCost);
    releaseArray(linkShapeIndex);
    releaseArray(linkCellId);
    releaseArray(latitudeBandTable);
    releaseSearchLayout();
    nodeCount = 0;
    linkCount = 0;
}

}  // namespace routing
