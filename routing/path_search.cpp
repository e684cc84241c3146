#include "path_search.h"

#include <vector>

#include "road_network.h"

namespace routing {

float* searchLabel = nullptr;
int32_t* searchPredecessor = nullptr;
int32_t* searchQueue = nullptr;

SearchVariant wholeNetworkSearch() { return SearchVariant{linkCost, false}; }
SearchVariant windowSearch() { return SearchVariant{linkLength, true}; }

namespace {

bool searchStateReady() {
    return nodeCount > 0 && searchLabel != nullptr && searchPredecessor != nullptr &&
           searchQueue != nullptr;
}

bool isNode(int32_t k) { return k >= 0 && k < nodeCount; }

// Links of k as a half-open index range; empty when the node's entries do
// not describe links that exist.
bool nodeLinks(int32_t k, int32_t* first, int32_t* end) {
    const int64_t f = nodeFirstLink[k];
    const int64_t e = f + nodeDegree[k];
    if (f < 0 || e > linkCount) return false;
    *first = static_cast<int32_t>(f);
    *end = static_cast<int32_t>(e);
    return true;
}

}  // namespace

void prepareSearchLabels(float minLat, float maxLat, float minLon, float maxLon, double margin) {
    if (!searchStateReady()) return;
    for (int32_t k = 0; k < nodeCount; ++k) {
        searchPredecessor[k] = nodeCount;
        searchLabel[k] = kExcludedLabel;
    }
    const BandWindow window =
        findBandWindow(static_cast<float>(static_cast<double>(minLat) - margin),
                       static_cast<float>(static_cast<double>(maxLat) + margin));
    const double west = static_cast<double>(minLon) - margin;
    const double east = static_cast<double>(maxLon) + margin;
    for (int32_t k = window.first; k < window.end; ++k) {
        const double lon = nodeLongitude[k];
        if (west <= lon && lon <= east) searchLabel[k] = kUnreachedLabel;
    }
}

void prepareOpenSearchLabels() {
    if (!searchStateReady()) return;
    for (int32_t k = 0; k < nodeCount; ++k) {
        searchPredecessor[k] = nodeCount;
        searchLabel[k] = kUnreachedLabel;
    }
}

bool searchFromNode(int32_t source, const SearchVariant& variant) {
    if (!searchStateReady() || !isNode(source) || variant.cost == nullptr) return false;
    const int32_t slots = nodeCount;
    searchQueue[0] = source;
    searchLabel[source] = 0.0f;
    searchPredecessor[source] = 0;
    int32_t head = 0;
    int32_t tail = 0;
    int64_t expanded = 0;
    int64_t queued = 0;
    do {
        const int32_t u = searchQueue[head];
        const double label = searchLabel[u];
        int32_t first = 0;
        int32_t end = 0;
        if (nodeLinks(u, &first, &end)) {
            for (int32_t e = first; e < end; ++e) {
                const int32_t v = linkTarget[e];
                if (!isNode(v)) continue;
                const float cost = variant.cost[e];
                // A negative or NaN cost would let labels fall without end
                // (or below the excluded mark); such a link is not driven.
                if (!(cost >= 0.0f)) continue;
                const double candidate = label + static_cast<double>(cost);
                if (candidate < static_cast<double>(searchLabel[v])) {
                    searchLabel[v] = static_cast<float>(candidate);
                    searchPredecessor[v] = u;
                    ++queued;
                    tail = tail + 1 == slots ? 0 : tail + 1;
                    if (tail == head) return false;
                    searchQueue[tail] = v;
                }
            }
        }
        ++expanded;
        head = head + 1 == slots ? 0 : head + 1;
    } while (expanded <= queued);
    return true;
}

bool searchFromNode(int32_t source) { return searchFromNode(source, wholeNetworkSearch()); }

int32_t collectPathChain(int32_t target) {
    if (!searchStateReady() || !isNode(target)) return -1;
    if (searchPredecessor[target] == nodeCount) return -1;
    int32_t slot = 4;
    int32_t node = target;
    for (;;) {
        if (slot >= nodeCount) return -1;
        searchQueue[slot++] = node;
        const int32_t predecessor = searchPredecessor[node];
        if (predecessor == 0) break;
        if (!isNode(predecessor)) return -1;
        node = predecessor;
    }
    return slot - 4;
}

int32_t linkBetween(int32_t a, int32_t b, const SearchVariant& variant) {
    int32_t first = 0;
    int32_t end = 0;
    if (!isNode(a) || !nodeLinks(a, &first, &end)) return -1;
    if (!variant.cheapestParallelLink) {
        for (int32_t e = first; e < end; ++e) {
            if (linkTarget[e] == b) return e;
        }
        return -1;
    }
    int32_t best = -1;
    float bestCost = 9999999.0f;
    for (int32_t e = first; e < end; ++e) {
        if (linkTarget[e] == b && variant.cost[e] < bestCost) {
            bestCost = variant.cost[e];
            best = e;
        }
    }
    return best;
}

}  // namespace routing
