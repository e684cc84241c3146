// Decoding of the coded map tiles: a Huffman stream (code table, then the
// coded bytes) and a four-mode run-length stream. A map sheet tile is one
// Huffman stream of 4096 bytes; a layer tile is a run-length stream that was
// itself Huffman-coded.
//
// A TileDecoder holds the working state of one decode at a time. Whoever
// owns one may decode on its own thread while others decode with theirs;
// the entry points without a decoder share one that the module keeps, and
// so decode one stream at a time.
#ifndef OSTRIM_TILE_CODEC_H
#define OSTRIM_TILE_CODEC_H

#include <cstdint>
#include <cstdlib>
#include <memory>

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

// The most coded bytes a Huffman decode into `capacity` bytes can consume:
// the largest code table (a bitmap and 257 codes of 256 bits with their
// wide length fields), then one code of at most 256 bits for every byte
// that fits and one more. Bytes behind these are never read, so a caller
// may leave them out of the source without changing the result.
constexpr uint32_t maxCodedBytes(uint32_t capacity) {
    return (257u + 257u * 265u + (capacity + 1u) * 256u + 7u) / 8u;
}

// Lookup tables of one Huffman stream, sized for the longest first-level
// lookup and the several-symbol lookup (with the shorter lookups it is
// built from in front of it).
constexpr uint32_t kLookupMaxBits = 12;
constexpr uint32_t kMultiLookupBits = 7;

struct TileDecoder {
    // Set when the last decode stopped on a damaged stream.
    bool damaged;
    // The codes and lookups of a stream. The lookups serve the next stream
    // too when it starts with the same table (below); everything else is
    // set up afresh for each stream.
    uint16_t symbols[257];
    uint16_t lengths[257];
    uint32_t codeTops[257];   // the first (up to 32) bits of each code
    uint32_t codeStarts[257]; // bit position of each code in the stream
    uint32_t lookup[1u << kLookupMaxBits];
    uint64_t multiLookup[2u << kMultiLookupBits];
    // The code table the lookups were made from, kept while it is short:
    // its bits (none when tableBits is 0), the lookup's width, the number
    // of codes and whether the several-symbol lookup is made. A stream that
    // starts with the same bits has the same table and the same lookups.
    uint8_t tableBytes[128];
    uint32_t tableBits;
    uint32_t tableLookupBits;
    uint32_t tableCodes;
    bool tableMulti;
    uint8_t runs[kRunStreamBytes];
};

// A decoder of the caller's own, taken from the C heap so that a shortage
// of memory is a null pointer rather than an exception.
struct TileDecoderRelease {
    void operator()(TileDecoder* decoder) const { std::free(decoder); }
};
using OwnedTileDecoder = std::unique_ptr<TileDecoder, TileDecoderRelease>;
OwnedTileDecoder newTileDecoder();

// Both return the number of bytes written to the destination. Neither ever
// reads past sourceLength or writes past capacity, whatever the bytes; the
// destination's bytes past the count returned may have been written too.
// A stream that breaks the layout stops the decode where the fault shows;
// the bytes written up to there stay, and decoder.damaged reports it: a
// code that leads to no symbol, a bit stream that ends before the end
// symbol, more output than the destination holds, a run-length operation
// larger than its working space or input that ends inside one. An empty
// source is not damaged: it decodes to nothing.
uint32_t huffmanDecode(TileDecoder& decoder, const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                       uint32_t capacity);
uint32_t rleDecode(TileDecoder& decoder, const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                   uint32_t capacity);

// A layer tile: the Huffman stage into the decoder's run buffer, then the
// run-length stage into tile (kTileBytes). True only when both stages end
// undamaged and the tile is whole.
bool decodeLayerTile(TileDecoder& decoder, const uint8_t* coded, uint32_t codedLength, uint8_t* tile);

// The same with the module's decoder; lastDecodeDamaged() is its flag.
uint32_t huffmanDecode(const uint8_t* source, uint32_t sourceLength, uint8_t* destination, uint32_t capacity);
uint32_t rleDecode(const uint8_t* source, uint32_t sourceLength, uint8_t* destination, uint32_t capacity);
bool lastDecodeDamaged();

}  // namespace imagery

#endif
