// What one search works on: a label and a predecessor per node, the ring
// queue, the lists of the request (the points of the legs, the sums found
// per target) and the path being extracted. Each search owns its state;
// the network it runs on is shared and only read. The two-point routes and
// the route generator's legs use the module's one instance; the travel
// matrices give each of their workers a state of its own.
#ifndef OSTRIM_SEARCH_STATE_H
#define OSTRIM_SEARCH_STATE_H

#include <cstdint>
#include <memory>
#include <vector>

namespace routing {

constexpr float kUnreachedLabel = 3200000.0f;
constexpr float kExcludedLabel = -1.0f;

// Side by side, so that the test of a link's target and the relaxation
// that may follow touch one place.
struct NodeLabel {
    float label;          // best cost so far; kUnreachedLabel, or kExcludedLabel
    int32_t predecessor;  // the node that last lowered the label; 0 ends a path, nodeCount none
};

// The per-node arrays are left as allocated: every run prepares the labels
// it reads and writes the queue before it reads it.
struct SearchState {
    std::unique_ptr<NodeLabel[]> nodes;
    // Ring queue of exactly one slot per node; after a run, scratch for the
    // chain of a path (from slot 4 on).
    std::unique_ptr<int32_t[]> queue;
    int32_t nodeCount = 0;  // entries of both
    std::vector<int32_t> points;
    std::vector<float> targetCosts;
    std::vector<float> targetLengths;
    // The links of the path last extracted, in travel order.
    std::vector<int32_t> pathLinks;

    float label(int32_t k) const { return nodes[k].label; }
    int32_t predecessor(int32_t k) const { return nodes[k].predecessor; }
};

// Room for a network of n nodes (contents left to the next preparation).
void sizeSearchState(SearchState& state, int32_t n);

// The module's search state, sized with the node arrays and released by
// clearData.
extern SearchState routingSearch;
void allocateSearchArrays();
void releaseSearchArrays();

}  // namespace routing

#endif
