#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "OstrimMapDll.h"
#include "export_guard.h"
#include "journey.h"
#include "task_workers.h"
#include "road_network.h"
#include "route_arrays.h"
#include "routing_module.h"
#include "travel_matrix.h"

namespace routing {

namespace {

// In a long tour only the first edges from the start are places of
// insertion.
constexpr int kInsertionEdges = 59;

// The stops 2 .. n-1 (1-based) in the order they are offered for
// insertion: farthest from stop 1 first, the lower number first on a tie.
std::vector<int32_t> candidateList(int32_t n, const float* minutes) {
    std::vector<int32_t> list;
    std::vector<bool> taken(static_cast<size_t>(n) + 1, false);
    for (int32_t round = 0; round < n - 2; ++round) {
        float best = -1.0f;
        int32_t chosen = -1;
        for (int32_t p = 2; p <= n - 1; ++p) {
            if (taken[p]) continue;
            const float time = minutes[p - 1];
            if (time > best) {
                best = time;
                chosen = p;
            }
        }
        // A time no comparison can rank (NaN) must not leave a stop out.
        if (chosen == -1) {
            for (int32_t p = 2; p <= n - 1 && chosen == -1; ++p) {
                if (!taken[p]) chosen = p;
            }
        }
        taken[chosen] = true;
        list.push_back(chosen);
    }
    return list;
}

}  // namespace

void orderStopsByInsertion(int32_t n, const float* minutes, int32_t* visitOrder) {
    const size_t size = static_cast<size_t>(n);
    auto time = [&](int32_t from, int32_t to) {
        return minutes[static_cast<size_t>(from - 1) * size + static_cast<size_t>(to - 1)];
    };
    std::vector<int32_t> next(size + 1, 0);
    std::vector<bool> inserted(size + 1, false);
    next[1] = n;
    const std::vector<int32_t> candidates = candidateList(n, minutes);

    for (int32_t round = 0; round < n - 2; ++round) {
        float best = -10.0f;
        int32_t bestA = -1, bestP = -1, bestB = -1;
        for (int32_t p : candidates) {
            if (inserted[p]) continue;
            const float v = static_cast<float>(2.0 * static_cast<double>(time(1, p)));
            int32_t a = 1;
            for (int edges = 1; edges <= kInsertionEdges; ++edges) {
                const int32_t b = next[a];
                double saving = static_cast<double>(v) -
                                (static_cast<double>(time(a, p)) + static_cast<double>(time(p, b)) -
                                 static_cast<double>(time(a, b)));
                if (saving < 0.0) saving = 0.0;
                if (saving > static_cast<double>(best)) {
                    best = static_cast<float>(saving);
                    bestA = a;
                    bestP = p;
                    bestB = b;
                }
                if (b == n) break;
                a = b;
            }
        }
        // Savings that no comparison can rank (NaN) still insert a stop, so
        // that every stop ends up in the tour exactly once.
        if (bestP == -1) {
            for (int32_t p : candidates) {
                if (!inserted[p]) {
                    bestP = p;
                    break;
                }
            }
            bestA = 1;
            bestB = next[1];
        }
        next[bestA] = bestP;
        next[bestP] = bestB;
        inserted[bestP] = true;
    }

    visitOrder[0] = 0;
    int32_t stop = 1;
    for (int32_t position = 1; position <= n - 2; ++position) {
        stop = next[stop];
        visitOrder[position] = stop - 1;
    }
    visitOrder[n - 1] = n - 1;
}

}  // namespace routing

using namespace routing;

namespace {

int32_t orderStops(int32_t n, JourneyStop* stops) {
    if (!ensureWholeNetwork()) return -1;
    if (n < 4 || stops == nullptr) return -1;

    const size_t count = static_cast<size_t>(n);
    if (count > SIZE_MAX / sizeof(float) / count) return -1;
    std::unique_ptr<float, decltype(&std::free)> matrix(
        static_cast<float*>(std::malloc(count * count * sizeof(float))), &std::free);
    if (matrix == nullptr) return -1;

    std::vector<int32_t> nodes(count);
    platform::runTasks(count, platform::taskWorkers(count), [&](size_t i, unsigned) {
        float km = 0.0f;
        nodes[i] = findNearestNode(stops[i].latitude, stops[i].longitude, &km);
    });
    if (std::find(nodes.begin(), nodes.end(), -1) != nodes.end()) return -1;

    // After a stop ordering there is no route to read, as after any search
    // that does not build one.
    dropRoute();
    // A row whose search does not reach every stop keeps these values, so
    // the ordering never reads memory that no search wrote.
    float* const minutes = matrix.get();
    for (size_t i = 0; i < count; ++i) {
        for (size_t j = 0; j < count; ++j) minutes[i * count + j] = i == j ? 0.0f : kNoPathMinutes;
    }
    buildTravelRows(nodes, platform::taskWorkers(count), [&](const TravelRow& row) {
        if (row.complete) std::copy(row.minutes, row.minutes + count, minutes + row.source * count);
    });

    std::vector<int32_t> order(count);
    orderStopsByInsertion(n, minutes, order.data());
    for (size_t k = 0; k < count; ++k) stops[k].visitOrder = order[k];
    return 1;
}

}  // namespace

OSTRIM_EXPORT int OSTRIM_CALL optimiseJRoute(int n, JourneyStop* stops) {
    return platform::guardExport(-1, [&] { return orderStops(n, stops); }, abandonRoutingWork);
}
