// getMap of a 1024 x 768 view in each of the five zoom folders, over 0.1 m
// sheets that cover the largest view (2.4 m a pixel: 2.5 by 1.8 km, some
// 110,000 tiles). Reported beside the time: the peak memory the call takes
// above the caller's output buffer (reset and read through /proc), and the
// working raster that a full 0.1 m raster would have needed.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "OstrimMapDll.h"
#include "bench_support.h"
#include "sheet_composer.h"
#include "sheet_writer.h"
#include "task_workers.h"
#include "tile_codec.h"
#include "tile_encoder.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr double kLatitude = -33.85;
constexpr double kLongitude = 151.15;
const float kFolderZooms[5] = {0.1f, 0.3f, 0.6f, 1.2f, 2.4f};

// Streets every 100 m, 12 m wide with a casing, on land.
uint8_t streetPixel(int32_t px, int32_t py) {
    const int32_t x = px % 1000, y = py % 1000;
    if (x < 120 || y < 120) return (x >= 10 && x < 110) || (y >= 10 && y < 110) ? 2 : 1;
    return (x / 64 + y / 64) % 7 == 0 ? 3 : 0;  // a park here and there
}

// The tiles of one sheet of streets, 3968 pixels square.
const CodedTiles& sheetTiles() {
    static const CodedTiles tiles = [] {
        CodedTiles set;
        std::vector<uint8_t> tile(4096);
        for (int32_t column = 0; column < 62; ++column) {
            for (int32_t row = 0; row < 62; ++row) {
                for (int32_t y = 0; y < 64; ++y)
                    for (int32_t x = 0; x < 64; ++x) tile[y * 64 + x] = streetPixel(64 * column + x, 64 * row + y);
                set.add(writers::encodeSheetTile(tile), tile);
            }
        }
        return set;
    }();
    return tiles;
}

void BM_DecodeSheetTiles(benchmark::State& state) {
    decodeTiles(state, sheetTiles(), [](imagery::TileDecoder& decoder, const std::vector<uint8_t>& coded, uint8_t* tile) {
        return imagery::huffmanDecode(decoder, coded.data(), static_cast<uint32_t>(coded.size()), tile, imagery::kTileBytes);
    });
}
BENCHMARK(BM_DecodeSheetTiles)->Unit(benchmark::kMillisecond);

void BM_InflateSameSheetTilesWithZlib(benchmark::State& state) {
    inflateTiles(state, sheetTiles());
}
BENCHMARK(BM_InflateSameSheetTilesWithZlib)->Unit(benchmark::kMillisecond);

// One sheet of 4000 x 4000 pixels, linked under every name of a 7 x 5 grid
// of 400 m sheets in every zoom folder.
const std::string& sheetFolder() {
    static const std::string maps = [] {
        const std::string root = benchScratchFolder("map-sheets");
        const writers::SheetFiles files = writers::encodeSheet(
            4000, 4000, streetPixel,
            writers::sheetPalette({{238, 234, 222}, {150, 150, 150}, {255, 255, 255}, {200, 225, 180}}));
        if (!writers::writeSheetFiles(root, "base", files)) std::exit(1);
        imagery::SheetView view;
        imagery::planSheetView(kWidth, kHeight, 2.4f, kLatitude, kLongitude, &view);
        std::vector<writers::SheetIndexRecord> records;
        for (int col = 0; col < 7; ++col)
            for (int row = 0; row < 5; ++row)
                records.push_back({"s" + std::to_string(col) + "_" + std::to_string(row), 0.1f,
                                   view.left - 50.0 + 400.0 * col, view.top + 50.0 - 400.0 * row, 0, 4000, 4000});
        const std::string mapsFolder = root + "maps/";
        if (!writers::writeSheetIndex(mapsFolder, records)) std::exit(1);
        for (const char* folder : writers::kSheetZoomFolders) {
            for (const writers::SheetIndexRecord& record : records) {
                for (const char* extension : {".cmp", ".off", ".pal"}) {
                    std::error_code error;
                    const std::string target = mapsFolder + folder + record.name + extension;
                    std::filesystem::create_hard_link(root + "base" + extension, target, error);
                    if (error) std::filesystem::copy_file(root + "base" + extension, target, error);
                }
            }
        }
        return mapsFolder;
    }();
    return maps;
}

long statusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size());
    }
    return -1;
}

// Resets the peak resident size to the present one, after handing the
// memory that the set-up freed back to the system, so that what the calls
// take afterwards shows as growth.
long restartPeak() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    return statusKilobytes("VmHWM:");
}

void reportGetMap(benchmark::State& state, int result, long before, float zoomAsked, unsigned workers) {
    const long peak = statusKilobytes("VmHWM:");
    imagery::SheetView view;
    imagery::planSheetView(kWidth, kHeight, zoomAsked, kLatitude, kLongitude, &view);
    const double z10 = view.z10;
    state.counters["result"] = result;
    state.counters["workers"] = workers;
    state.counters["output_MB"] = kWidth * kHeight / 1e6;
    state.counters["peak_above_output_MB"] = before > 0 && peak > 0 ? (peak - before) / 1024.0 : -1.0;
    state.counters["full_raster_MB"] = z10 * z10 * kWidth * kHeight / 1e6;
}

// The export itself, with a worker on every hardware thread.
void BM_GetMapInZoomFolder(benchmark::State& state) {
    const float zoomAsked = kFolderZooms[state.range(0)];
    InitialiseMaps(sheetFolder().c_str());
    std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight, 1);
    uint8_t palette[1024];
    int result = 0;
    const long before = restartPeak();
    for (auto _ : state) {
        double lat1 = kLatitude, lon1 = kLongitude, lat2 = 0.0, lon2 = 0.0;
        float zoom = zoomAsked;
        result = getMap(kWidth, kHeight, &lat1, &lon1, &lat2, &lon2, &zoom, pixels.data(), palette);
        benchmark::DoNotOptimize(pixels.data());
    }
    reportGetMap(state, result, before, zoomAsked, platform::taskWorkers(SIZE_MAX));
    InitialiseMaps(nullptr);
}
BENCHMARK(BM_GetMapInZoomFolder)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseRealTime();

// The composition that getMap makes, on one worker: what the workers share.
void BM_GetMapOneWorker(benchmark::State& state) {
    const float zoomAsked = kFolderZooms[state.range(0)];
    InitialiseMaps(sheetFolder().c_str());
    std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight, 1);
    uint8_t palette[1024];
    imagery::SheetView view;
    imagery::planSheetView(kWidth, kHeight, zoomAsked, kLatitude, kLongitude, &view);
    imagery::ComposeOptions options;
    options.workers = 1;
    bool taken = false;
    const long before = restartPeak();
    for (auto _ : state) {
        taken = imagery::composeSampled(view, pixels.data(), palette, options);
        benchmark::DoNotOptimize(pixels.data());
    }
    reportGetMap(state, taken ? 0 : -1, before, zoomAsked, 1);
    InitialiseMaps(nullptr);
}
BENCHMARK(BM_GetMapOneWorker)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
