// Two-point routes and stop ordering on the large generated city.
#include <benchmark/benchmark.h>

#include <vector>

#include "OstrimMapDll.h"
#include "bench_support.h"
#include "task_workers.h"

namespace {

void BM_GenerateJRouteBetweenFarCorners(benchmark::State& state) {
    setPath(largeNetworkFolder().c_str());
    int result = 0;
    for (auto _ : state) {
        result = generateJRoute(-33.001f, 150.501f, -33.83f, 151.33f);
        benchmark::DoNotOptimize(result);
    }
    state.counters["found"] = result;
}
BENCHMARK(BM_GenerateJRouteBetweenFarCorners)->Unit(benchmark::kMillisecond);

// Stops spread over a quarter of the city.
void BM_OptimiseJRoute(benchmark::State& state) {
    setPath(largeNetworkFolder().c_str());
    const int n = static_cast<int>(state.range(0));
    std::vector<JourneyStop> stops;
    for (int k = 0; k < n; ++k) {
        stops.push_back(JourneyStop{static_cast<float>(150.6 + 0.3 * ((k * 37) % n) / n),
                                    static_cast<float>(-33.1 - 0.3 * ((k * 53) % n) / n), 0, 0});
    }
    int result = 0;
    for (auto _ : state) {
        result = optimiseJRoute(n, stops.data());
        benchmark::DoNotOptimize(result);
    }
    state.counters["ordered"] = result;
    state.counters["workers"] = platform::taskWorkers(static_cast<size_t>(n));
}
BENCHMARK(BM_OptimiseJRoute)->Arg(20)->Arg(60)->Unit(benchmark::kMillisecond);

}  // namespace
