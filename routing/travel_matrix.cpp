#include "travel_matrix.h"

#include <algorithm>

#include "task_workers.h"
#include "path_search.h"
#include "road_network.h"

namespace routing {

namespace {

constexpr double kMatrixMargin = 0.2;

}  // namespace

void buildTravelRows(const std::vector<int32_t>& nodes, unsigned workers,
                     const std::function<void(const TravelRow&)>& sink) {
    const size_t count = nodes.size();
    if (count == 0) return;
    NodeBox box;
    for (const int32_t node : nodes) box.add(node);
    const SearchNetwork network = wholeNetworkSearch();
    workers = static_cast<unsigned>(std::clamp<size_t>(workers, 1, count));
    std::vector<SearchState> states(workers);
    for (SearchState& state : states) {
        sizeSearchState(state, network.nodeCount);
        state.targetCosts.resize(count);
        state.targetLengths.resize(count);
    }
    platform::runTasks(count, workers, [&](size_t source, unsigned worker) {
        SearchState& state = states[worker];
        prepareSearchLabels(state, box.minLat, box.maxLat, box.minLon, box.maxLon, kMatrixMargin);
        const bool searched = searchFromNode(network, state, nodes[source]);
        size_t reached = 0;
        for (size_t target = 0; target < count; ++target) {
            float minutes = target == source ? 0.0f : kNoPathMinutes;
            float km = kNoPathKm;
            if (searched && pathSums(network, state, nodes[target], &minutes, &km)) ++reached;
            state.targetCosts[target] = minutes;
            state.targetLengths[target] = km;
        }
        sink(TravelRow{source, state.targetCosts.data(), state.targetLengths.data(), searched && reached == count});
    });
}

}  // namespace routing
