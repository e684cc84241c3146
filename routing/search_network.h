// The network as a search reads it. The loop over a node's links reads,
// per link, its target and its cost side by side; the loaders have made
// every entry usable as it stands, so the loop tests nothing but the
// labels: a link that must not be driven (it leaves the network, or its
// cost is negative or not a number) leads to node 0 at an infinite cost,
// which lowers no label.
#ifndef OSTRIM_SEARCH_NETWORK_H
#define OSTRIM_SEARCH_NETWORK_H

#include <cstdint>

namespace routing {

struct SearchLink {
    int32_t target;
    float cost;
};

// A read-only view that any number of searches may share. Path extraction
// and the per-path sums read the link columns as loaded: a link the search
// could not take is still the link between two nodes there.
struct SearchNetwork {
    int32_t nodeCount = 0;
    // A node's links are firstLink to firstLink + degree - 1; the loaders
    // give a node whose links are not all in the link table none.
    const int32_t* firstLink = nullptr;
    const uint8_t* degree = nullptr;
    const SearchLink* links = nullptr;  // one per link
    const int32_t* linkTarget = nullptr;
    const float* cost = nullptr;    // the cost column the links were laid out from
    const float* length = nullptr;  // summed beside the cost
    // Of parallel links a path takes the cheapest (window) or the first
    // (whole network).
    bool cheapestParallelLink = false;

    bool usable() const { return nodeCount > 0 && firstLink != nullptr && degree != nullptr && links != nullptr; }
};

}  // namespace routing

#endif
