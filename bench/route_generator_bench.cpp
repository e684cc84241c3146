// Multi-point routes over network windows on a dense generated city of
// 200 x 200 nodes 0.001 degree apart (0.2 degree across): the whole
// generateRoute (window load, costing, snapping, legs) and the polyline.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "OstrimMapDll.h"
#include "link_shape_writer.h"
#include "network_model.h"

namespace {

class DenseCity {
public:
    DenseCity() {
        folder_ = (std::filesystem::temp_directory_path() / ("ostrim-bench-" + std::to_string(::getpid())))
                      .string() + "/";
        std::filesystem::create_directories(folder_);
        writers::GridCityOptions city;
        city.rows = 200;
        city.columns = 200;
        city.northLatitude = -33.80;
        city.westLongitude = 151.10;
        city.spacingDegrees = 0.001;
        city.withSpecialClasses = false;  // no ferry across the whole city
        written_ = writers::writeNetworkFiles(folder_, writers::makeGridCity(city));
    }
    ~DenseCity() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    bool ready() const { return written_; }

    // Three points across most of the city's 0.2 degree, then back north.
    void addPoints() const {
        clearData();
        setPath(folder_.c_str());
        setRouteMethod(1);
        addToRoutegen(-33.8105, 151.1105, "north-west");
        addToRoutegen(-33.9805, 151.2805, "south-east");
        addToRoutegen(-33.8505, 151.2505, "north-east");
    }

private:
    std::string folder_;
    bool written_ = false;
};

const DenseCity& denseCity() {
    static const DenseCity city;
    return city;
}

void BM_GenerateRoute(benchmark::State& state) {
    const DenseCity& city = denseCity();
    if (!city.ready()) {
        state.SkipWithError("cannot write the network files");
        return;
    }
    city.addPoints();
    int last = -1;
    for (auto _ : state) {
        last = generateRoute(0.0f, 0.0f);
        benchmark::DoNotOptimize(last);
    }
    state.counters["route_entries"] = last + 1;
    clearData();
    if (last < 0) state.SkipWithError("no route found");
}
BENCHMARK(BM_GenerateRoute)->Unit(benchmark::kMillisecond);

void BM_GetRouteVectors(benchmark::State& state) {
    const DenseCity& city = denseCity();
    city.addPoints();
    if (!city.ready() || generateRoute(0.0f, 0.0f) < 0) {
        state.SkipWithError("no route found");
        return;
    }
    std::vector<float> pairs;
    int written = 0;
    for (auto _ : state) {
        const int bound = getRouteVectors(1, nullptr);
        pairs.resize(2 * static_cast<size_t>(bound > 0 ? bound : 0));
        written = getRouteVectors(0, pairs.data());
        benchmark::DoNotOptimize(written);
    }
    state.counters["pairs"] = written;
    clearData();
}
BENCHMARK(BM_GetRouteVectors)->Unit(benchmark::kMicrosecond);

}  // namespace
