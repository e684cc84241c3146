#include "road_network.h"

#include <cstdlib>
#include <cstring>

#include "coordinates.h"
#include "heap_arrays.h"
#include "path_search.h"
#include "routing_module.h"

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

float speedTable[kRoadClasses][2] = {};
float currentSpeeds[kRoadClasses] = {};

namespace {

const float kDefaultSpeeds[kRoadClasses][2] = {
    {50, 50}, {50, 96}, {50, 84}, {50, 72}, {50, 68}, {50, 56}, {32, 32},
    {50, 52}, {50, 40}, {50, 30}, {50, 26}, {50, 22}, {32, 16},
};

}  // namespace

unsigned char isNetworkLoaded() { return networkLoaded; }

bool wholeNetworkLoaded() {
    return networkLoaded != 0 && latitudeBandTable != nullptr && linkCost != nullptr &&
           nodeGlobalId == nullptr;
}

void resetSpeedTable() { std::memcpy(speedTable, kDefaultSpeeds, sizeof(speedTable)); }

void setClassSpeeds(const float speeds[12]) {
    for (int c = 1; c <= 12; ++c) speedTable[c][1] = speeds[c - 1];
}

void computeLinkCosts() {
    const int column = routeMethod == 0 ? 0 : 1;
    for (int c = 0; c < kRoadClasses; ++c) currentSpeeds[c] = speedTable[c][column];
    if (linkLength == nullptr || linkCost == nullptr || linkClass == nullptr) return;
    for (int32_t j = 0; j < linkCount; ++j) {
        if (linkLength[j] < 0.0f) linkLength[j] = -linkLength[j];
        const uint8_t cls = linkClass[j];
        // A zero speed (no speed table set yet) yields an infinite or NaN
        // cost; the search treats such links as impassable.
        if (cls <= 12 && linkCost[j] < 1.0f) {
            linkCost[j] = static_cast<float>(static_cast<double>(linkLength[j]) * 60.0 /
                                             static_cast<double>(currentSpeeds[cls]));
        }
    }
}

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

void allocateSearchArrays() {
    releaseArray(searchPredecessor);
    releaseArray(searchLabel);
    releaseArray(searchQueue);
    searchPredecessor = allocateArray<int32_t>(nodeCount);
    searchLabel = allocateArray<float>(nodeCount);
    searchQueue = allocateArray<int32_t>(nodeCount);
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
    nodeCount = 0;
    linkCount = 0;
}

}  // namespace routing
