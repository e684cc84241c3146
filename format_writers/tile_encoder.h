// Encoders for the coded map tiles: the exact inverses of the library's
// Huffman and run-length decoders, with the stream's free choices (table
// form, length-field width, code lengths) left to the caller so that tests
// can reach every branch of the decoder.
#ifndef OSTRIM_TILE_ENCODER_H
#define OSTRIM_TILE_ENCODER_H

#include <cstdint>
#include <string>
#include <vector>

namespace writers {

// A bit stream written most significant bit first, padded with zero bits to
// a whole byte.
class BitWriter {
public:
    // The low `count` bits of value (count 0 to 32), the highest first.
    void bits(uint32_t value, uint32_t count);
    // A text of '0' and '1' characters; anything else is skipped.
    void bitText(const std::string& text);
    uint64_t bitCount() const { return bitCount_; }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    uint64_t bitCount_ = 0;
};

enum class HuffmanTableForm {
    shortest,        // the symbol list when it is shorter, else the bitmap
    presenceBitmap,  // F = 1
    symbolList,      // F = 0; more than 32 distinct byte values fall back to the bitmap
};

enum class HuffmanLengthField {
    shortest,   // 5 bits when the code length allows it, else 8
    wide,       // 8 bits for every symbol
    alternate,  // 8 and 5 bits by turns where 5 would do
};

enum class HuffmanCodeShape {
    optimal,  // a Huffman code from the byte counts
    skewed,   // the k-th most frequent symbol gets k ones and a zero: long codes
};

struct HuffmanEncodeOptions {
    HuffmanTableForm tableForm = HuffmanTableForm::shortest;
    HuffmanLengthField lengthField = HuffmanLengthField::shortest;
    HuffmanCodeShape codeShape = HuffmanCodeShape::optimal;
    // Every code shorter than this (1 to 256) is lengthened with zero bits,
    // which keeps the code prefix-free.
    uint32_t minimumCodeLength = 1;
    // Byte values given a code although the data never uses them.
    std::vector<uint8_t> extraSymbols;
};

// A Huffman stream whose decoding yields data exactly.
std::vector<uint8_t> huffmanEncode(const std::vector<uint8_t>& data,
                                   const HuffmanEncodeOptions& options = {});

// A run-length stream whose decoding yields data exactly. Runs, long runs,
// repeated patterns and literal blocks (short and long) are all used where
// they pay; no operation needs more working space than the decoder has.
std::vector<uint8_t> rleEncode(const std::vector<uint8_t>& data);

// A map sheet tile: one Huffman stream of the 4096 bytes.
std::vector<uint8_t> encodeSheetTile(const std::vector<uint8_t>& tile4096);

// A map layer tile: a Huffman stream of the tile's run-length stream.
std::vector<uint8_t> encodeLayerTile(const std::vector<uint8_t>& tile4096);

}  // namespace writers

#endif
