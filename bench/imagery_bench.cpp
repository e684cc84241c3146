// Layer tile decoding beside zlib on the same tiles, and whole render
// requests of a 1024 by 768 view.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "OstrimMapDll.h"
#include "coordinates.h"
#include "layer_writer.h"
#include "tile_codec.h"
#include "tile_encoder.h"

namespace {

// Map-like tiles: a background with streets of a few widths and colours
// across it, and here and there a patch of fine detail.
std::vector<uint8_t> mapLikeTile(std::mt19937& random) {
    std::vector<uint8_t> tile(4096, 38);
    std::uniform_int_distribution<int> coordinate(0, 63);
    const int streets = 1 + static_cast<int>(random() % 4);
    for (int s = 0; s < streets; ++s) {
        const uint8_t colour = static_cast<uint8_t>(std::vector<int>{118, 86, 64, 24}[random() % 4]);
        const int width = 2 + static_cast<int>(random() % 6);
        const bool across = random() % 2 == 0;
        const int at = coordinate(random);
        for (int i = 0; i < 64; ++i) {
            for (int w = 0; w < width && at + w < 64; ++w) {
                tile[across ? (at + w) * 64 + i : i * 64 + at + w] = colour;
            }
        }
    }
    if (random() % 3 == 0) {
        const int x0 = coordinate(random) / 2;
        const int y0 = coordinate(random) / 2;
        for (int y = y0; y < y0 + 16; ++y) {
            for (int x = x0; x < x0 + 20; ++x) tile[y * 64 + x] = static_cast<uint8_t>(random() % 127);
        }
    }
    return tile;
}

struct TileSet {
    std::vector<std::vector<uint8_t>> raw;
    std::vector<std::vector<uint8_t>> coded;
    std::vector<std::vector<uint8_t>> zlib;
    size_t codedBytes = 0;
    size_t zlibBytes = 0;
};

// The tiles of a layer 4096 pixels square at full resolution.
const TileSet& largeLayerTiles() {
    static const TileSet tiles = [] {
        TileSet set;
        std::mt19937 random(7);
        for (int i = 0; i < 4096; ++i) {
            set.raw.push_back(mapLikeTile(random));
            set.coded.push_back(writers::encodeLayerTile(set.raw.back()));
            uLongf size = compressBound(4096);
            std::vector<uint8_t> packed(size);
            compress2(packed.data(), &size, set.raw.back().data(), 4096, Z_BEST_COMPRESSION);
            packed.resize(size);
            set.zlib.push_back(packed);
            set.codedBytes += set.coded.back().size();
            set.zlibBytes += packed.size();
        }
        return set;
    }();
    return tiles;
}

void reportSizes(benchmark::State& state, const TileSet& tiles) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 4096 * static_cast<int64_t>(tiles.raw.size()));
    state.counters["tiles"] = static_cast<double>(tiles.raw.size());
    state.counters["codedBytes"] = static_cast<double>(tiles.codedBytes);
    state.counters["zlibBytes"] = static_cast<double>(tiles.zlibBytes);
    state.counters["codedPerZlib"] = static_cast<double>(tiles.codedBytes) / static_cast<double>(tiles.zlibBytes);
}

void BM_DecodeLayerTiles(benchmark::State& state) {
    const TileSet& tiles = largeLayerTiles();
    std::vector<uint8_t> runs(imagery::kRunStreamBytes);
    std::vector<uint8_t> tile(imagery::kTileBytes);
    for (auto _ : state) {
        for (const auto& coded : tiles.coded) {
            const uint32_t n = imagery::huffmanDecode(coded.data(), static_cast<uint32_t>(coded.size()), runs.data(),
                                                      imagery::kRunStreamBytes);
            benchmark::DoNotOptimize(imagery::rleDecode(runs.data(), n, tile.data(), imagery::kTileBytes));
        }
    }
    reportSizes(state, tiles);
}
BENCHMARK(BM_DecodeLayerTiles)->Unit(benchmark::kMillisecond);

void BM_InflateSameTilesWithZlib(benchmark::State& state) {
    const TileSet& tiles = largeLayerTiles();
    std::vector<uint8_t> tile(4096);
    for (auto _ : state) {
        for (const auto& packed : tiles.zlib) {
            uLongf size = 4096;
            benchmark::DoNotOptimize(uncompress(tile.data(), &size, packed.data(), packed.size()));
        }
    }
    reportSizes(state, tiles);
}
BENCHMARK(BM_InflateSameTilesWithZlib)->Unit(benchmark::kMillisecond);

// Layer 1 of "DARWIN", 4096 pixels square around 33.85 S 151.15 E, written
// once into a temporary folder.
struct RenderFixture {
    std::string folder;
    double lon1 = 0, lat1 = 0, lon2 = 0, lat2 = 0;
};

const RenderFixture& renderFixture() {
    static const RenderFixture fixture = [] {
        RenderFixture f;
        f.folder = (std::filesystem::temp_directory_path() / "ostrim-bench-layer").string() + "/";
        double easting = 0, northing = 0;
        int zone = 0;
        routing::geographicToGrid(-33.85, 151.15, &easting, &northing, &zone, 1);
        const writers::LayerGeometry geometry{static_cast<int32_t>(easting) - 4096,
                                              static_cast<int32_t>(northing) - 4096, 4096, 4096};
        std::mt19937 random(11);
        std::vector<std::vector<uint8_t>> pool;
        for (int i = 0; i < 512; ++i) pool.push_back(mapLikeTile(random));
        writers::writeLayer(f.folder + "DARWIN/", 1,
                            writers::buildLayer(geometry, [&](int level, int column, int row) {
                                return pool[static_cast<size_t>(level * 977 + column * 31 + row * 7) % pool.size()];
                            }));
        // A 2048 by 1536 metre view: level 4 at 2 m per pixel.
        routing::gridToGeographic(easting - 1000, northing + 700, &f.lat1, &f.lon1, zone, 1);
        routing::gridToGeographic(easting + 1048, northing - 836, &f.lat2, &f.lon2, zone, 1);
        return f;
    }();
    return fixture;
}

void createMapBenchmark(benchmark::State& state, const char* format, const char* name) {
    const RenderFixture& f = renderFixture();
    const std::string file = f.folder + name;
    for (auto _ : state) {
        double lon1 = f.lon1, lat1 = f.lat1, lon2 = f.lon2, lat2 = f.lat2;
        int width = 1024, height = 768;
        if (createMap(f.folder.c_str(), 1003, &lon1, &lat1, &lon2, &lat2, &width, &height, file.c_str(), format) !=
            mapOk) {
            state.SkipWithError("createMap failed");
            break;
        }
    }
}

void BM_CreateMapPng(benchmark::State& state) { createMapBenchmark(state, "PNG", "view.png"); }
BENCHMARK(BM_CreateMapPng)->Unit(benchmark::kMillisecond);

void BM_CreateMapBmp(benchmark::State& state) { createMapBenchmark(state, "BMP", "view.bmp"); }
BENCHMARK(BM_CreateMapBmp)->Unit(benchmark::kMillisecond);

void BM_CreateMapHandle(benchmark::State& state) {
    const RenderFixture& f = renderFixture();
    for (auto _ : state) {
        double lon1 = f.lon1, lat1 = f.lat1, lon2 = f.lon2, lat2 = f.lat2;
        int width = 1024, height = 768;
        HBITMAP bitmap = nullptr;
        if (createMapHBMP(f.folder.c_str(), 1003, &lon1, &lat1, &lon2, &lat2, &width, &height, &bitmap) != mapOk) {
            state.SkipWithError("createMapHBMP failed");
            break;
        }
    }
}
BENCHMARK(BM_CreateMapHandle)->Unit(benchmark::kMillisecond);

}  // namespace
