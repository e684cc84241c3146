#include "path_search.h"

#include "road_network.h"

namespace routing {

namespace {

bool ready(const SearchNetwork& network, const SearchState& state) {
    return network.usable() && state.nodes != nullptr && state.nodeCount == network.nodeCount;
}

bool isNode(const SearchNetwork& network, int32_t k) { return k >= 0 && k < network.nodeCount; }

// The search waits on memory more than it computes: the nodes it expands
// one after another lie anywhere in the arrays. The queue between head and
// tail shows which nodes come next (their labels may still fall, but where
// they lie does not change), so the search fetches a node's label and link
// range this many entries ahead, and its links, which the range locates,
// nearer.
constexpr int64_t kFetchNodeAhead = 16;
constexpr int64_t kFetchLinksAhead = 8;

}  // namespace

void prepareSearchLabels(SearchState& state, float minLat, float maxLat, float minLon, float maxLon,
                         double margin) {
    if (nodeCount <= 0 || state.nodeCount != nodeCount || nodeLongitude == nullptr) return;
    NodeLabel* const nodes = state.nodes.get();
    for (int32_t k = 0; k < nodeCount; ++k) nodes[k] = NodeLabel{kExcludedLabel, nodeCount};
    const BandWindow window =
        findBandWindow(static_cast<float>(static_cast<double>(minLat) - margin),
                       static_cast<float>(static_cast<double>(maxLat) + margin));
    const double west = static_cast<double>(minLon) - margin;
    const double east = static_cast<double>(maxLon) + margin;
    for (int32_t k = window.first; k < window.end; ++k) {
        const double lon = nodeLongitude[k];
        if (west <= lon && lon <= east) nodes[k].label = kUnreachedLabel;
    }
}

void prepareOpenSearchLabels(SearchState& state) {
    for (int32_t k = 0; k < state.nodeCount; ++k) state.nodes[k] = NodeLabel{kUnreachedLabel, state.nodeCount};
}

bool searchFromNode(const SearchNetwork& network, SearchState& state, int32_t source) {
    if (!ready(network, state) || !isNode(network, source)) return false;
    NodeLabel* const nodes = state.nodes.get();
    int32_t* const queue = state.queue.get();
    const int32_t* const firstLink = network.firstLink;
    const uint8_t* const degree = network.degree;
    const SearchLink* const links = network.links;
    const int32_t slots = network.nodeCount;
    queue[0] = source;
    nodes[source] = NodeLabel{0.0f, 0};
    int32_t head = 0;
    int32_t tail = 0;
    int64_t expanded = 0;
    int64_t queued = 0;
    auto queuedAhead = [&](int64_t ahead) {
        int64_t slot = head + ahead;
        if (slot >= slots) slot -= slots;
        return queue[slot];
    };
    do {
        const int64_t waiting = queued - expanded;
        if (waiting >= kFetchNodeAhead) {
            const int32_t later = queuedAhead(kFetchNodeAhead);
            __builtin_prefetch(&firstLink[later]);
            __builtin_prefetch(&degree[later]);
            __builtin_prefetch(&nodes[later]);
        }
        if (waiting >= kFetchLinksAhead) {
            const int32_t later = queuedAhead(kFetchLinksAhead);
            if (degree[later] > 0) __builtin_prefetch(&links[firstLink[later]]);
        }

        const int32_t u = queue[head];
        const double label = nodes[u].label;
        const int32_t end = firstLink[u] + degree[u];
        for (int32_t e = firstLink[u]; e < end; ++e) {
            const SearchLink link = links[e];
            const double candidate = label + static_cast<double>(link.cost);
            NodeLabel& target = nodes[link.target];
            if (candidate < static_cast<double>(target.label)) {
                target.label = static_cast<float>(candidate);
                target.predecessor = u;
                ++queued;
                tail = tail + 1 == slots ? 0 : tail + 1;
                if (tail == head) return false;
                queue[tail] = link.target;
            }
        }
        ++expanded;
        head = head + 1 == slots ? 0 : head + 1;
    } while (expanded <= queued);
    return true;
}

int32_t collectPathChain(const SearchNetwork& network, SearchState& state, int32_t target) {
    if (!ready(network, state) || !isNode(network, target)) return -1;
    if (state.predecessor(target) == network.nodeCount) return -1;
    int32_t slot = 4;
    int32_t node = target;
    for (;;) {
        if (slot >= network.nodeCount) return -1;
        state.queue[slot++] = node;
        const int32_t predecessor = state.predecessor(node);
        if (predecessor == 0) break;
        if (!isNode(network, predecessor)) return -1;
        node = predecessor;
    }
    return slot - 4;
}

int32_t linkBetween(const SearchNetwork& network, int32_t a, int32_t b) {
    if (!isNode(network, a) || !network.usable() || network.linkTarget == nullptr) return -1;
    const int32_t first = network.firstLink[a];
    const int32_t end = first + network.degree[a];
    if (!network.cheapestParallelLink) {
        for (int32_t e = first; e < end; ++e) {
            if (network.linkTarget[e] == b) return e;
        }
        return -1;
    }
    int32_t best = -1;
    float bestCost = 9999999.0f;
    for (int32_t e = first; e < end; ++e) {
        if (network.linkTarget[e] == b && network.cost[e] < bestCost) {
            bestCost = network.cost[e];
            best = e;
        }
    }
    return best;
}

int32_t resolvePathLinks(const SearchNetwork& network, SearchState& state, int32_t target) {
    const int32_t length = collectPathChain(network, state, target);
    if (length < 1) return -1;
    state.pathLinks.clear();
    for (int32_t i = length - 1; i >= 1; --i) {
        const int32_t e = linkBetween(network, pathChainNode(state, i), pathChainNode(state, i - 1));
        if (e < 0) return -1;
        state.pathLinks.push_back(e);
    }
    return length;
}

bool pathSums(const SearchNetwork& network, SearchState& state, int32_t target, float* minutes, float* km) {
    if (network.cost == nullptr || network.length == nullptr) return false;
    if (resolvePathLinks(network, state, target) < 1) return false;
    double minuteSum = 0.0;
    double kmSum = 0.0;
    for (const int32_t e : state.pathLinks) {
        minuteSum += network.cost[e];
        kmSum += network.length[e];
    }
    *minutes = static_cast<float>(minuteSum);
    *km = static_cast<float>(kmSum);
    return true;
}

}  // namespace routing
