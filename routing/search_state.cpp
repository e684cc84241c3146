#include "search_state.h"

#include "road_network.h"

namespace routing {

SearchState routingSearch;

void sizeSearchState(SearchState& state, int32_t n) {
    state.nodes.reset();
    state.queue.reset();
    state.nodeCount = 0;
    const size_t count = n > 0 ? static_cast<size_t>(n) : 0;
    state.nodes.reset(new NodeLabel[count]);
    state.queue.reset(new int32_t[count]);
    state.nodeCount = static_cast<int32_t>(count);
}

void allocateSearchArrays() { sizeSearchState(routingSearch, nodeCount); }

void releaseSearchArrays() { routingSearch = SearchState(); }

}  // namespace routing
