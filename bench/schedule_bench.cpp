// Dispatch on a small city where half the visits have time windows far in
// the future, so that every pick pass folds their large clock values.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "OstrimMapDll.h"
#include "bench_support.h"
#include "roadnet_writer.h"

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
    std::vector<ScheduleVisit> visits(400);
    for (size_t k = 0; k < visits.size(); ++k) {
        ScheduleVisit& v = visits[k];
        std::memset(&v, 0, sizeof v);
        const writers::ModelNode& node = city.nodes[(k * 37) % city.nodes.size()];
        v.type = -1;
        v.latitude = node.latitude;
        v.longitude = node.longitude;
        v.serviceMinutes = 3;
        // HHMM 24,000,000: a window 240,000 hours ahead.
        v.windowStart = k % 2 == 0 ? 0.0f : 24000000.0f;
        v.windowEnd = k % 2 == 0 ? 2400.0f : 24002400.0f;
        v.available = 1;
        v.costDivisor = 1;
        v.allowedTours[0] = -1;
        v.attributes[0] = -1;
    }
    ScheduleTour tour;
    std::memset(&tour, 0, sizeof tour);
    tour.id = 1;
    tour.visitTypes[0] = -1;
    tour.attributes[0] = -1;
    tour.totalMinutes = 2400;
    tour.startTime = 600;
    tour.tripMinutes = 2400;
    tour.active = 1;
    tour.siteId = 1;
    tour.endSiteId = -1;
    ScheduleSite site{1, city.nodes[0].latitude, city.nodes[0].longitude, 0.0f, 0};
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
