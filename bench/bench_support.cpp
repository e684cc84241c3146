#include "bench_support.h"

#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "roadnet_writer.h"

namespace {

std::string scratchRoot() {
    static const std::string root = [] {
        const std::string path = (std::filesystem::temp_directory_path() /
                                  ("ostrim-bench-" + std::to_string(::getpid())))
                                     .string() +
                                 "/";
        std::filesystem::create_directories(path);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratchRoot(), ignored);
        });
        return path;
    }();
    return root;
}

}  // namespace

std::string benchScratchFolder(const std::string& name) {
    const std::string folder = scratchRoot() + name + "/";
    std::filesystem::create_directories(folder);
    return folder;
}

const writers::NetworkModel& largeNetworkModel() {
    static const writers::NetworkModel model = [] {
        writers::GridCityOptions options;
        options.rows = 560;
        options.columns = 560;
        options.northLatitude = -33.0;
        options.westLongitude = 150.5;
        options.spacingDegrees = 0.0015;
        options.missingRoadFraction = 0.03;
        return writers::makeGridCity(options);
    }();
    return model;
}

const std::string& largeNetworkFolder() {
    static const std::string folder = [] {
        const std::string path = benchScratchFolder("large-network");
        if (!writers::writeRoadnet(path, writers::toRoadnetFile(largeNetworkModel()))) {
            std::fprintf(stderr, "cannot write the benchmark network\n");
            std::exit(1);
        }
        return path;
    }();
    return folder;
}

void CodedTiles::add(std::vector<uint8_t> codedTile, const std::vector<uint8_t>& tile) {
    uLongf size = compressBound(static_cast<uLong>(tile.size()));
    std::vector<uint8_t> packed(size);
    compress2(packed.data(), &size, tile.data(), static_cast<uLong>(tile.size()), Z_BEST_COMPRESSION);
    packed.resize(size);
    codedBytes += codedTile.size();
    zlibBytes += packed.size();
    coded.push_back(std::move(codedTile));
    zlib.push_back(std::move(packed));
}

void inflateTiles(benchmark::State& state, const CodedTiles& tiles) {
    uint8_t tile[4096];
    for (auto _ : state) {
        for (const auto& packed : tiles.zlib) {
            uLongf size = sizeof tile;
            benchmark::DoNotOptimize(uncompress(tile, &size, packed.data(), static_cast<uLong>(packed.size())));
        }
    }
    reportTileSizes(state, tiles);
}

void reportTileSizes(benchmark::State& state, const CodedTiles& tiles) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 4096 * static_cast<int64_t>(tiles.coded.size()));
    state.counters["tiles"] = static_cast<double>(tiles.coded.size());
    state.counters["codedBytes"] = static_cast<double>(tiles.codedBytes);
    state.counters["zlibBytes"] = static_cast<double>(tiles.zlibBytes);
}
