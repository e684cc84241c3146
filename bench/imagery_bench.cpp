// Layer tile decoding beside zlib on the same tiles, and whole render
// requests of a 1024 by 768 view beside zlib inflating that view's tiles.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "OstrimMapDll.h"
#include "bench_support.h"
#include "coordinates.h"
#include "layer_render.h"
#include "layer_store.h"
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

// The tiles of a layer 4096 pixels square at full resolution.
const CodedTiles& largeLayerTiles() {
    static const CodedTiles tiles = [] {
        CodedTiles set;
        std::mt19937 random(7);
        for (int i = 0; i < 4096; ++i) {
            const std::vector<uint8_t> tile = mapLikeTile(random);
            set.add(writers::encodeLayerTile(tile), tile);
        }
        return set;
    }();
    return tiles;
}

void BM_DecodeLayerTiles(benchmark::State& state) {
    decodeTiles(state, largeLayerTiles(), [](imagery::TileDecoder& decoder, const std::vector<uint8_t>& coded, uint8_t* tile) {
        return imagery::decodeLayerTile(decoder, coded.data(), static_cast<uint32_t>(coded.size()), tile);
    });
}
BENCHMARK(BM_DecodeLayerTiles)->Unit(benchmark::kMillisecond);

void BM_InflateSameTilesWithZlib(benchmark::State& state) {
    inflateTiles(state, largeLayerTiles());
}
BENCHMARK(BM_InflateSameTilesWithZlib)->Unit(benchmark::kMillisecond);

// Layer 1 of "DARWIN", 4096 pixels square around 33.85 S 151.15 E, written
// once into a temporary folder.
struct RenderFixture {
    std::string folder;
    double lon1 = 0, lat1 = 0, lon2 = 0, lat2 = 0;
    std::vector<std::vector<uint8_t>> pool;
};

std::vector<uint8_t> poolTile(const RenderFixture& f, int level, int column, int row) {
    return f.pool[static_cast<size_t>(level * 977 + column * 31 + row * 7) % f.pool.size()];
}

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
        for (int i = 0; i < 512; ++i) f.pool.push_back(mapLikeTile(random));
        writers::writeLayer(f.folder + "DARWIN/", 1,
                            writers::buildLayer(geometry, [&](int level, int column, int row) {
                                return poolTile(f, level, column, row);
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

// The 1024 x 768 view handed out as a bitmap.
bool renderView(const RenderFixture& f) {
    double lon1 = f.lon1, lat1 = f.lat1, lon2 = f.lon2, lat2 = f.lat2;
    int width = 1024, height = 768;
    HBITMAP bitmap = nullptr;
    return createMapHBMP(f.folder.c_str(), 1003, &lon1, &lat1, &lon2, &lat2, &width, &height, &bitmap) == mapOk;
}

void BM_CreateMapHandle(benchmark::State& state) {
    const RenderFixture& f = renderFixture();
    for (auto _ : state) {
        if (!renderView(f)) {
            state.SkipWithError("createMapHBMP failed");
            break;
        }
    }
}
BENCHMARK(BM_CreateMapHandle)->Unit(benchmark::kMillisecond);

// zlib inflating the very tiles that the view of BM_CreateMapHandle shows,
// found from where that render placed its origin.
void BM_InflateViewTilesWithZlib(benchmark::State& state) {
    const RenderFixture& f = renderFixture();
    if (!renderView(f)) {
        state.SkipWithError("createMapHBMP failed");
        return;
    }
    const int level = imagery::currentLevel;
    const int shift = imagery::kFullResolutionLevel - level;
    const int c0 = (imagery::viewOriginX >> shift) / 64;
    const int r0 = (imagery::viewOriginY >> shift) / 64;
    CodedTiles tiles;
    for (int c = 0; c < 1024 / 64; ++c) {
        for (int r = 0; r < 768 / 64; ++r) {
            const std::vector<uint8_t> tile = poolTile(f, level, c0 + c, r0 + r);
            tiles.add(writers::encodeLayerTile(tile), tile);
        }
    }
    inflateTiles(state, tiles);
}
BENCHMARK(BM_InflateViewTilesWithZlib)->Unit(benchmark::kMillisecond);

}  // namespace
