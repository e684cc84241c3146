// Whole-network load and searches on a large generated city.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "OstrimMapDll.h"
#include "bench_support.h"
#include "data_file.h"
#include "path_search.h"
#include "road_network.h"
#include "search_state.h"

using namespace routing;

namespace {

void useLargeNetwork() {
    setPath(largeNetworkFolder().c_str());
    if (!wholeNetworkLoaded()) loadRoadNetwork();
}

void BM_LoadWholeNetwork(benchmark::State& state) {
    setPath(largeNetworkFolder().c_str());
    for (auto _ : state) {
        loadRoadNetwork();
        benchmark::DoNotOptimize(nodeLatitude);
    }
    state.counters["nodes"] = nodeCount;
    state.counters["links"] = linkCount;
    state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(nodeCount), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["links/s"] = benchmark::Counter(static_cast<double>(linkCount), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoadWholeNetwork)->Unit(benchmark::kMillisecond);

// The same file read into memory in one read: the floor for the load.
void BM_ReadNetworkFileInOneRead(benchmark::State& state) {
    const wxString path = wxString::FromUTF8(largeNetworkFolder().c_str()) + wxS("roadnet.dat");
    std::vector<char> buffer;
    for (auto _ : state) {
        platform::DataFile file;
        file.open(path);
        buffer.resize(static_cast<size_t>(file.length()));
        benchmark::DoNotOptimize(file.read(buffer.data(), buffer.size()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer.size()));
}
BENCHMARK(BM_ReadNetworkFileInOneRead)->Unit(benchmark::kMillisecond);

// A search from a corner that reaches every node.
void BM_SearchFromNodeAcrossTheCity(benchmark::State& state) {
    useLargeNetwork();
    float km = 0;
    const int32_t source = findNearestNode(-33.0f, 150.5f, &km);
    const SearchNetwork network = wholeNetworkSearch();
    for (auto _ : state) {
        prepareSearchLabels(routingSearch, -34.0f, -33.0f, 150.5f, 151.5f, 0.2);
        benchmark::DoNotOptimize(searchFromNode(network, routingSearch, source));
    }
    state.counters["workers"] = 1;
    state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(nodeCount), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["links/s"] = benchmark::Counter(static_cast<double>(linkCount), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SearchFromNodeAcrossTheCity)->Unit(benchmark::kMillisecond);

// One search, then the path sums to fifty targets.
void BM_SearchOneToManyFiftyTargets(benchmark::State& state) {
    useLargeNetwork();
    std::vector<int32_t> points(51);
    float km = 0;
    for (int i = 0; i < 51; ++i) {
        points[i] = findNearestNode(static_cast<float>(-33.05 - 0.0145 * i), static_cast<float>(150.55 + 0.0133 * ((i * 7) % 51)), &km);
    }
    const SearchNetwork network = wholeNetworkSearch();
    int reached = 0;
    for (auto _ : state) {
        prepareSearchLabels(routingSearch, -33.8f, -33.0f, 150.5f, 151.3f, 0.2);
        searchFromNode(network, routingSearch, points[0]);
        reached = 0;
        for (int i = 1; i < 51; ++i) {
            float minutes = 0;
            reached += pathSums(network, routingSearch, points[i], &minutes, &km);
        }
        benchmark::DoNotOptimize(reached);
    }
    state.counters["targets reached"] = reached;
    state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(nodeCount), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SearchOneToManyFiftyTargets)->Unit(benchmark::kMillisecond);

}  // namespace
