// Travel times and lengths between every pair of a list of nodes of the
// whole network: one search from each node within the nodes' box widened
// by 0.2 degree, then each node's own path sums. The rows are independent
// and are searched side by side, each worker with a search state of its
// own over the one network, which nothing changes meanwhile.
#ifndef OSTRIM_TRAVEL_MATRIX_H
#define OSTRIM_TRAVEL_MATRIX_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace routing {

// Entries between nodes that no search connected.
constexpr float kNoPathMinutes = 3200000.0f;
constexpr float kNoPathKm = 0.0f;

// What the search from nodes[source] found, one entry per node of the
// list: the minutes and km of the path to it, or kNoPathMinutes and
// kNoPathKm when it has none (0 and 0 for the source itself). complete
// tells whether the search ran and every node has a path.
struct TravelRow {
    size_t source;
    const float* minutes;
    const float* km;
    bool complete;
};

// Calls sink once for every row, on up to `workers` threads (at least one,
// at most one per row), each row from one worker; the sink may write rows
// of its own matrices but must not share anything else between rows.
void buildTravelRows(const std::vector<int32_t>& nodes, unsigned workers,
                     const std::function<void(const TravelRow&)>& sink);

}  // namespace routing

#endif
