// First-in-first-out label-correcting search from one source over a
// read-only network view, path extraction, and the per-path sums. Every
// function works on the state it is given, so searches over one network
// may run side by side, each with a state of its own.
#ifndef OSTRIM_PATH_SEARCH_H
#define OSTRIM_PATH_SEARCH_H

#include <cstdint>

#include "search_network.h"
#include "search_state.h"

namespace routing {

// Every predecessor none; labels unreached for the nodes of the whole
// network's band window of the box widened by the margin whose longitude
// lies in the widened box, excluded for every other node.
void prepareSearchLabels(SearchState& state, float minLat, float maxLat, float minLon, float maxLon,
                         double margin);
// Every node unreached, none excluded.
void prepareOpenSearchLabels(SearchState& state);

// One run from source over the prepared labels; false when the ring queue
// overflows, or the source is not a node, or the state or the network is
// not ready.
bool searchFromNode(const SearchNetwork& network, SearchState& state, int32_t source);

// Collects the predecessor chain of target into the queue from slot 4
// (target first, source last). Returns the chain length, or -1 when the
// target was not reached or the chain does not fit.
int32_t collectPathChain(const SearchNetwork& network, SearchState& state, int32_t target);
inline int32_t pathChainNode(const SearchState& state, int32_t i) { return state.queue[4 + i]; }

// The link of a that leads to b under the network's parallel-link rule, or
// -1 when there is none.
int32_t linkBetween(const SearchNetwork& network, int32_t a, int32_t b);

// Resolves every step of the path to target into state.pathLinks, so a
// broken chain is refused whole. Returns the number of nodes on the path
// (the chain stays in the queue), or -1.
int32_t resolvePathLinks(const SearchNetwork& network, SearchState& state, int32_t target);

// After a run: the summed cost and length of the links of the path to
// target, in double from the source on, or false when it has none.
bool pathSums(const SearchNetwork& network, SearchState& state, int32_t target, float* minutes, float* km);

}  // namespace routing

#endif
