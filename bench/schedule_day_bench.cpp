// Days of visits on the large generated city: the whole runSchedule, and
// the same work step by step (load, snapping, travel matrices, dispatch),
// each step's share reported apart with the number of matrix workers.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "OstrimMapDll.h"
#include "bench_support.h"
#include "task_workers.h"
#include "road_network.h"
#include "scheduler_state.h"
#include "../tests/unit/schedule_records.h"

namespace {

struct Day {
    std::vector<ScheduleVisit> visits;
    std::vector<ScheduleTour> tours;
    std::vector<ScheduleSite> sites;
};

// Visits spread over the whole city, a third of them with a morning or an
// afternoon window; four tours of two trips from two depots.
Day dayOfVisits(int count) {
    Day day;
    for (int k = 0; k < count; ++k) {
        const double down = 0.8 * ((k * 37) % count) / count;
        const double across = 0.8 * ((k * 53) % count) / count;
        day.visits.push_back(makeVisit(static_cast<float>(-33.02 - down), static_cast<float>(150.52 + across), 10));
        if (k % 3 == 1) {
            day.visits.back().windowStart = 800.0f;
            day.visits.back().windowEnd = 1200.0f;
        } else if (k % 3 == 2) {
            day.visits.back().windowStart = 1300.0f;
            day.visits.back().windowEnd = 1700.0f;
        }
    }
    day.sites = {makeSite(1, -33.30f, 150.80f), makeSite(2, -33.55f, 151.05f)};
    for (int t = 0; t < 4; ++t) {
        day.tours.push_back(makeTour(t + 1, 1 + t % 2, 1 + t % 2));
        day.tours.back().startTime = 700;
        day.tours.back().totalMinutes = 600;
        day.tours.back().tripMinutes = 300;
    }
    return day;
}

void useScheduleCity() {
    setPath(largeNetworkFolder().c_str());
    setScheduleParameters(96, 84, 72, 68, 56, 32, 52, 40, 30, 26, 22, 16, 1, 0);
}

void BM_RunSchedule(benchmark::State& state) {
    useScheduleCity();
    const Day day = dayOfVisits(static_cast<int>(state.range(0)));
    int taken = 0;
    for (auto _ : state) {
        Day run = day;
        if (runSchedule(static_cast<int>(run.visits.size()), run.visits.data(), static_cast<int>(run.tours.size()),
                        run.tours.data(), static_cast<int>(run.sites.size()), run.sites.data()) != scheduleOk) {
            state.SkipWithError("runSchedule failed");
            return;
        }
        taken = 0;
        for (const ScheduleVisit& v : run.visits) taken += v.assignedTour != -1;
    }
    state.counters["taken"] = taken;
    state.counters["workers"] = platform::taskWorkers(day.visits.size() + day.sites.size());
}
BENCHMARK(BM_RunSchedule)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

// The steps of runSchedule one by one, each timed apart.
void BM_RunScheduleSteps(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    useScheduleCity();
    const Day day = dayOfVisits(static_cast<int>(state.range(0)));
    double load = 0, snapping = 0, matrices = 0, dispatch = 0;
    auto seconds = [](Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); };
    for (auto _ : state) {
        Day run = day;
        scheduler::currentVisits = run.visits.data();
        scheduler::currentTours = run.tours.data();
        scheduler::currentSites = run.sites.data();
        scheduler::visitCount = static_cast<int32_t>(run.visits.size());
        scheduler::tourCount = static_cast<int32_t>(run.tours.size());
        scheduler::siteCount = static_cast<int32_t>(run.sites.size());
        scheduler::prepareTours();
        Clock::time_point start = Clock::now();
        routing::loadRoadNetwork();
        load += seconds(start);

        start = Clock::now();
        scheduler::prepareVisits();
        scheduler::prepareSites();
        snapping += seconds(start);

        start = Clock::now();
        if (!scheduler::allocateMatrices()) {
            state.SkipWithError("no room for the matrices");
            return;
        }
        scheduler::buildTravelMatrices();
        matrices += seconds(start);

        start = Clock::now();
        for (int32_t t = 0; t < scheduler::tourCount; ++t) scheduler::scheduleTour(t);
        dispatch += seconds(start);
        scheduler::releaseMatrices();
        clearData();
    }
    const auto perRun = benchmark::Counter::kAvgIterations;
    state.counters["load_ms"] = benchmark::Counter(1000 * load, perRun);
    state.counters["snapping_ms"] = benchmark::Counter(1000 * snapping, perRun);
    state.counters["matrices_ms"] = benchmark::Counter(1000 * matrices, perRun);
    state.counters["dispatch_ms"] = benchmark::Counter(1000 * dispatch, perRun);
    state.counters["workers"] = platform::taskWorkers(day.visits.size() + day.sites.size());
}
BENCHMARK(BM_RunScheduleSteps)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace
