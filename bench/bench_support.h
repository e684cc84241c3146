// Data sets the benchmarks share, generated once per run into a scratch
// folder that is removed at exit.
#ifndef OSTRIM_BENCH_SUPPORT_H
#define OSTRIM_BENCH_SUPPORT_H

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "network_model.h"
#include "tile_codec.h"

// A grid city of at least 300,000 nodes and 750,000 links, written as
// "roadnet.dat" into the folder returned (ending with '/').
const std::string& largeNetworkFolder();
const writers::NetworkModel& largeNetworkModel();

// A folder of its own for a benchmark's files, removed at exit.
std::string benchScratchFolder(const std::string& name);

// Tiles coded by the library's coder and, for comparison, by zlib at its
// best compression from the same 4096 bytes.
struct CodedTiles {
    std::vector<std::vector<uint8_t>> coded;
    std::vector<std::vector<uint8_t>> zlib;
    size_t codedBytes = 0;
    size_t zlibBytes = 0;

    void add(std::vector<uint8_t> codedTile, const std::vector<uint8_t>& tile);
};

// Inflates every zlib tile once an iteration.
void inflateTiles(benchmark::State& state, const CodedTiles& tiles);

// Bytes decoded per second and the coded sizes both ways.
void reportTileSizes(benchmark::State& state, const CodedTiles& tiles);

// Decodes every coded tile once an iteration: decode(decoder, coded, tile).
template <typename Decode>
void decodeTiles(benchmark::State& state, const CodedTiles& tiles, Decode decode) {
    const imagery::OwnedTileDecoder decoder = imagery::newTileDecoder();
    std::vector<uint8_t> tile(imagery::kTileBytes);
    for (auto _ : state) {
        for (const std::vector<uint8_t>& coded : tiles.coded) benchmark::DoNotOptimize(decode(*decoder, coded, tile.data()));
    }
    reportTileSizes(state, tiles);
}

#endif
