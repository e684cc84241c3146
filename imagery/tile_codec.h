// Decoding of the coded map tiles: a Huffman stream (code table, then the
// coded bytes) and a four-mode run-length stream. A map sheet tile is one
// Huffman stream of 4096 bytes; a layer tile is a run-length stream that was
// itself Huffman-coded.
//
// The decoder keeps one state for the whole library, so decoding is not
// re-entrant: one decode at a time.
#ifndef OSTRIM_TILE_CODEC_H
#define OSTRIM_TILE_CODEC_H

#include <cstdint>

namespace imagery {

// Bytes of one decoded tile: 64 by 64 palette indexes, rows stored from the
// bottom (row 0 is the southern row).
constexpr uint32_t kTileSide = 64;
constexpr uint32_t kTileBytes = kTileSide * kTileSide;

// Largest run-length stream of one layer tile (the Huffman stage's output).
constexpr uint32_t kRunStreamBytes = 10000;

// Working space of one run-length operation: a run or a literal block may
// expand to at most this many bytes, a pattern to (repeats + 1) copies of
// itself within it.
constexpr uint32_t kRunWorkingBytes = 5000;

// Both return the number of bytes written to the destination. Neither ever
// reads past sourceLength or writes past capacity, whatever the bytes. A
// stream that breaks the layout stops the decode where the fault shows; the
// bytes written up to there stay, and lastDecodeDamaged() reports it.
uint32_t huffmanDecode(const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                       uint32_t capacity);
uint32_t rleDecode(const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                   uint32_t capacity);

// True when the last decode call stopped on a damaged stream: a code that
// leads to no symbol, a bit stream that ends before the end symbol, more
// output than the destination holds, a run-length operation larger than its
// working space or input that ends inside one. An empty source is not
// damaged: it decodes to nothing.
bool lastDecodeDamaged();

}  // namespace imagery

#endif
