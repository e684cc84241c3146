#include "search_state.h"

#include "road_network.h"

namespace routing {

SearchState routingSearch;

void sizeSearchState(SearchState& state, int32_t n) {
    const size_t count = n > 0 ? static_cast<size_t>(n) : 0;
    state.nodes.resize(count);
    state.queue.resize(count);
}

void allocateSearchArrays() { sizeSearchState(routingSearch, nodeCount); }

void releaseSearchArrays() { routingSearch = SearchState(); }

}  // namespace routing
