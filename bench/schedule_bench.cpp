// Dispatch on a small city where half the visits have time windows far in
// the future, so that every pick pass folds their large clock values.
#include <benchmark/benchmark.h>

#include <vector>

#include "OstrimMapDll.h"
#include "bench_support.h"
#include "roadnet_writer.h"
#include "../tests/unit/schedule_records.h"

namespace {

void BM_RunScheduleWithDistantWindows(benchmark::State& state) {
    writers::GridCityOptions options;
    options.rows = 20;
    options.columns = 20;
    const writers::NetworkModel city = writers::makeGridCity(options);
    const std::string folder = benchScratchFolder("schedule");
    if (!writers::writeRoadnet(folder, writers::toRoadnetFile(city))) {
        state.SkipWithError("cannot write the network");
        return;
    }
    setPath(folder.c_str());
    setScheduleParameters(96, 84, 72, 68, 56, 32, 52, 40, 30, 26, 22, 16, 1, 0);
    std::vector<ScheduleVisit> visits;
    for (size_t k = 0; k < 400; ++k) {
        const writers::ModelNode& node = city.nodes[(k * 37) % city.nodes.size()];
        visits.push_back(makeVisit(node.latitude, node.longitude, 3));
        // HHMM 24,000,000: a window 240,000 hours ahead.
        if (k % 2 == 1) {
            visits.back().windowStart = 24000000.0f;
            visits.back().windowEnd = 24002400.0f;
        }
    }
    ScheduleTour tour = makeTour(1, 1);
    tour.totalMinutes = 2400;
    tour.tripMinutes = 2400;
    tour.startTime = 600;
    ScheduleSite site = makeSite(1, city.nodes[0].latitude, city.nodes[0].longitude);
    int taken = 0;
    for (auto _ : state) {
        std::vector<ScheduleVisit> day = visits;
        ScheduleTour traveller = tour;
        if (runSchedule(static_cast<int>(day.size()), day.data(), 1, &traveller, 1, &site) != 0) {
            state.SkipWithError("runSchedule failed");
            return;
        }
        taken = 0;
        for (const ScheduleVisit& v : day) taken += v.assignedTour == 1;
    }
    state.counters["taken"] = taken;
}
BENCHMARK(BM_RunScheduleWithDistantWindows)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
