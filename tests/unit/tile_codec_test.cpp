#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tile_codec.h"
#include "tile_encoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Decoded {
    Bytes bytes;
    bool damaged = false;
    bool operator==(const Decoded& other) const {
        return bytes == other.bytes && damaged == other.damaged;
    }
};

void PrintTo(const Decoded& decoded, std::ostream* out) {
    *out << decoded.bytes.size() << " bytes" << (decoded.damaged ? ", damaged" : "") << ":";
    for (size_t i = 0; i < decoded.bytes.size() && i < 24; ++i) *out << ' ' << int{decoded.bytes[i]};
}

// The source is copied into a block of exactly its size and the destination
// is followed by guard bytes, so that the sanitizer build sees any read past
// the input and the test sees any write past the capacity. Calls go in turn
// through the module's decoder and through one of the test's own.
Decoded decodeWith(bool huffmanStage, const Bytes& source, uint32_t capacity) {
    static const imagery::OwnedTileDecoder own = imagery::newTileDecoder();
    static bool useOwn = false;
    useOwn = !useOwn;
    std::unique_ptr<uint8_t[]> input(new uint8_t[source.size()]);
    if (!source.empty()) std::memcpy(input.get(), source.data(), source.size());
    std::vector<uint8_t> output(capacity + 64, 0xA5);
    const auto length = static_cast<uint32_t>(source.size());
    uint32_t count = 0;
    if (useOwn) {
        count = huffmanStage ? imagery::huffmanDecode(*own, input.get(), length, output.data(), capacity)
                             : imagery::rleDecode(*own, input.get(), length, output.data(), capacity);
    } else {
        count = huffmanStage ? imagery::huffmanDecode(input.get(), length, output.data(), capacity)
                             : imagery::rleDecode(input.get(), length, output.data(), capacity);
    }
    EXPECT_LE(count, capacity);
    for (size_t i = capacity; i < output.size(); ++i) {
        EXPECT_EQ(output[i], 0xA5) << "written past the capacity at " << i;
    }
    Decoded result;
    result.bytes.assign(output.begin(), output.begin() + count);
    result.damaged = useOwn ? own->damaged : imagery::lastDecodeDamaged();
    return result;
}

Decoded huffman(const Bytes& source, uint32_t capacity = 20000) { return decodeWith(true, source, capacity); }

Decoded runLength(const Bytes& source, uint32_t capacity = 20000) { return decodeWith(false, source, capacity); }

// The Huffman format read the plain way: one bit at a time, the code table
// into a tree of nodes, the data by walking that tree. It keeps to the
// rules of the decoder (a later code takes over the nodes it meets; any
// fault ends the stream with what was written) and is the reference the
// table-driven decoder is held to.
class ReferenceHuffman {
public:
    explicit ReferenceHuffman(const Bytes& source) : source_(source) {}

    Decoded decode(size_t capacity) {
        Decoded result;
        if (source_.empty()) return result;
        if (!readTable()) {
            result.damaged = true;
            return result;
        }
        for (;;) {
            int node = 0;
            while (nodes_[node].value == 257) {
                uint32_t bit = 0;
                if (!take(1, bit)) {
                    result.damaged = true;
                    return result;
                }
                node = nodes_[node].child[bit];
                if (node < 0) {
                    result.damaged = true;
                    return result;
                }
            }
            const int value = nodes_[node].value;
            if (value == 256) return result;
            if (result.bytes.size() >= capacity) {
                result.damaged = true;
                return result;
            }
            result.bytes.push_back(static_cast<uint8_t>(value));
        }
    }

private:
    struct Node {
        int value = 257;
        int child[2] = {-1, -1};
    };

    bool take(uint32_t count, uint32_t& value) {
        value = 0;
        for (uint32_t i = 0; i < count; ++i) {
            if (position_ >= source_.size() * 8) return false;
            value = (value << 1) | ((source_[position_ / 8] >> (7 - position_ % 8)) & 1u);
            ++position_;
        }
        return true;
    }

    bool readTable() {
        bool present[257] = {};
        uint32_t flag = 0;
        if (!take(1, flag)) return false;
        if (flag == 1) {
            for (int symbol = 0; symbol < 256; ++symbol) {
                uint32_t bit = 0;
                if (!take(1, bit)) return false;
                present[symbol] = bit == 1;
            }
        } else {
            uint32_t listed = 0;
            if (!take(5, listed)) return false;
            for (uint32_t i = 0; i <= listed; ++i) {
                uint32_t symbol = 0;
                if (!take(8, symbol)) return false;
                present[symbol] = true;
            }
        }
        present[256] = true;
        nodes_.assign(1, Node{});
        for (int symbol = 0; symbol < 257; ++symbol) {
            if (!present[symbol]) continue;
            uint32_t wide = 0;
            uint32_t lengthLess1 = 0;
            if (!take(1, wide) || !take(wide == 1 ? 8 : 5, lengthLess1)) return false;
            const uint32_t length = lengthLess1 + 1;
            int node = 0;
            for (uint32_t i = 0; i < length; ++i) {
                uint32_t bit = 0;
                if (!take(1, bit)) return false;
                if (nodes_[node].child[bit] < 0) {
                    nodes_[node].child[bit] = static_cast<int>(nodes_.size());
                    nodes_.push_back(Node{});
                }
                node = nodes_[node].child[bit];
                nodes_[node].value = i + 1 < length ? 257 : symbol;
            }
        }
        return true;
    }

    const Bytes& source_;
    size_t position_ = 0;
    std::vector<Node> nodes_;
};

Decoded referenceHuffman(const Bytes& source, size_t capacity = 20000) {
    return ReferenceHuffman(source).decode(capacity);
}

Bytes randomBytes(std::mt19937& random, size_t size, int distinct) {
    std::uniform_int_distribution<int> pick(0, distinct - 1);
    Bytes data(size);
    for (uint8_t& byte : data) byte = static_cast<uint8_t>(pick(random) * (256 / distinct));
    return data;
}

// Tile-like content: stretches of one colour, repeated strokes and noise.
Bytes tileLike(std::mt19937& random, size_t size) {
    Bytes data;
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<int> colour(0, 127);
    while (data.size() < size) {
        const int k = kind(random);
        if (k == 0) {
            data.insert(data.end(), std::uniform_int_distribution<size_t>(1, 300)(random),
                        static_cast<uint8_t>(colour(random)));
        } else if (k == 1) {
            Bytes stroke(std::uniform_int_distribution<size_t>(2, 9)(random));
            for (uint8_t& b : stroke) b = static_cast<uint8_t>(colour(random));
            const size_t repeats = std::uniform_int_distribution<size_t>(2, 40)(random);
            for (size_t r = 0; r < repeats; ++r) data.insert(data.end(), stroke.begin(), stroke.end());
        } else {
            const size_t n = std::uniform_int_distribution<size_t>(1, 50)(random);
            for (size_t i = 0; i < n; ++i) data.push_back(static_cast<uint8_t>(colour(random)));
        }
    }
    data.resize(size);
    return data;
}

// Sheet-like content: one colour for the most part, strokes of a few
// others. Its short codes go by several to a lookup, the dominant one in
// runs.
Bytes fewColours(std::mt19937& random, size_t size) {
    Bytes data(size, static_cast<uint8_t>(random()));
    const uint32_t others = 1 + random() % 4;
    for (int stroke = 0; stroke < 40; ++stroke) {
        const size_t at = random() % size;
        const auto colour = static_cast<uint8_t>(37 * (1 + random() % others));
        std::fill(data.begin() + at, data.begin() + std::min(size, at + 1 + random() % 64), colour);
    }
    return data;
}

Bytes bytesOf(std::initializer_list<int> values) {
    Bytes bytes;
    for (int v : values) bytes.push_back(static_cast<uint8_t>(v));
    return bytes;
}

// Mode of each operation of a well-formed run-length stream.
std::vector<int> runLengthModes(const Bytes& stream) {
    std::vector<int> modes;
    size_t at = 0;
    while (at < stream.size()) {
        const uint8_t c = stream[at];
        const int mode = c >> 6;
        modes.push_back(mode == 3 && (c & 0x20) != 0 ? 4 : mode);
        switch (mode) {
            case 0: at += 2; break;
            case 1: at += 3; break;
            case 2: at += 2 + (c & 0x3F) + 2; break;
            default:
                at += (c & 0x20) != 0 ? 2 + (c & 0x1F) * 256 + stream[at + 1] + 33 : 1 + (c & 0x1F) + 1;
        }
    }
    return modes;
}

}  // namespace

// ---- The format's worked examples and edge cases ----------------------------

TEST(TileCodecExamples, HuffmanWorkedExample) {
    const Decoded decoded = huffman(bytesOf({0x01, 0x04, 0x00, 0x14}));
    EXPECT_EQ(decoded.bytes, bytesOf({0x41}));
    EXPECT_FALSE(decoded.damaged);
}

TEST(TileCodecExamples, RunLengthWorkedExample) {
    const Decoded decoded = runLength(bytesOf({0x05, 0x07, 0x80, 0x00, 0x61, 0x62, 0xC2, 0x78, 0x79, 0x7A}));
    EXPECT_EQ(decoded.bytes, bytesOf({7, 7, 7, 7, 7, 7, 7, 0x61, 0x62, 0x61, 0x62, 0x78, 0x79, 0x7A}));
    EXPECT_FALSE(decoded.damaged);
}

TEST(TileCodecExamples, EmptySourceDecodesToNothingUndamaged) {
    EXPECT_EQ(huffman({}), Decoded{});
    EXPECT_EQ(runLength({}), Decoded{});
    uint8_t destination = 0x5A;
    EXPECT_EQ(imagery::huffmanDecode(nullptr, 10, &destination, 1), 0u);
    EXPECT_EQ(imagery::rleDecode(nullptr, 10, &destination, 1), 0u);
    EXPECT_EQ(destination, 0x5A);
}

TEST(TileCodecExamples, EmptyBitmapCodesOnlyTheEndSymbol) {
    writers::BitWriter stream;
    stream.bits(1, 1);
    for (int i = 0; i < 256; ++i) stream.bits(0, 1);
    stream.bitText("0 00000 0");  // end symbol: narrow length field, length 1, code 0
    stream.bitText("0");          // data: the end code
    EXPECT_EQ(huffman(stream.bytes()), Decoded{});
}

TEST(TileCodecExamples, SymbolListedTwiceIsCodedOnce) {
    writers::BitWriter stream;
    stream.bitText("0 00001 01000001 01000001");  // two list entries, both 0x41
    stream.bitText("0 00000 0");                    // 0x41: code 0
    stream.bitText("0 00000 1");                    // end: code 1
    stream.bitText("0 0 1");
    const Decoded decoded = huffman(stream.bytes());
    EXPECT_EQ(decoded.bytes, bytesOf({0x41, 0x41}));
    EXPECT_FALSE(decoded.damaged);
}

TEST(TileCodecExamples, CodesOfNineAndSixteenBits) {
    // A 9-bit code goes out as its top bit, then a whole byte; a 16-bit one
    // as two whole bytes. Both are sent most significant bit first.
    writers::BitWriter stream;
    stream.bitText("0 00001 00000001 00000010");  // symbols 1 and 2
    stream.bitText("0 01000 1 00000000");         // 1: 9 bits, 100000000
    stream.bitText("0 01111 01000000 00000000");  // 2: 16 bits, 0100000000000000
    stream.bitText("1 00000001 00");              // end: wide field, 2 bits, 00
    stream.bitText("0100000000000000 100000000 100000000 00");
    EXPECT_EQ(huffman(stream.bytes()).bytes, bytesOf({2, 1, 1}));

    std::mt19937 random(9);
    for (uint32_t length : {9u, 16u, 31u, 32u, 33u, 255u, 256u}) {
        writers::HuffmanEncodeOptions options;
        options.minimumCodeLength = length;
        const Bytes data = randomBytes(random, 300, 16);
        EXPECT_EQ(huffman(writers::huffmanEncode(data, options)).bytes, data) << length;
    }
}

TEST(TileCodecExamples, CodesOf256BitsFillTheCodeBytes) {
    // All 256 byte values plus the end symbol in a skewed code: the two
    // longest codes are 256 bits, sent with the wide length field.
    Bytes data;
    for (int i = 0; i < 256; ++i) data.insert(data.end(), static_cast<size_t>(256 - i), static_cast<uint8_t>(i));
    writers::HuffmanEncodeOptions options;
    options.codeShape = writers::HuffmanCodeShape::skewed;
    const Bytes stream = writers::huffmanEncode(data, options);
    EXPECT_EQ(huffman(stream, 40000), (Decoded{data, false}));
    EXPECT_EQ(referenceHuffman(stream, 40000), (Decoded{data, false}));
}

TEST(TileCodecExamples, RunLengthControlBytesAtTheirLimits) {
    EXPECT_EQ(runLength(bytesOf({0x00, 9})).bytes, Bytes(2, 9));
    EXPECT_EQ(runLength(bytesOf({0x3F, 9})).bytes, Bytes(65, 9));
    EXPECT_EQ(runLength(bytesOf({0x40, 0x00, 9})).bytes, Bytes(66, 9));
    EXPECT_EQ(runLength(bytesOf({0x53, 0x46, 9})).bytes, Bytes(5000, 9));
    EXPECT_EQ(runLength(bytesOf({0xC0, 5})).bytes, bytesOf({5}));
    Bytes literals(32);
    for (size_t i = 0; i < literals.size(); ++i) literals[i] = static_cast<uint8_t>(i);
    Bytes stream = bytesOf({0xDF});
    stream.insert(stream.end(), literals.begin(), literals.end());
    EXPECT_EQ(runLength(stream).bytes, literals);
    literals.push_back(99);
    stream = bytesOf({0xE0, 0x00});
    stream.insert(stream.end(), literals.begin(), literals.end());
    EXPECT_EQ(runLength(stream).bytes, literals);
    EXPECT_EQ(runLength(bytesOf({0x80, 0x00, 'p', 'q'})).bytes, bytesOf({'p', 'q', 'p', 'q'}));
    // A 65-byte pattern 75 times takes 76 copies of working space: 4940 bytes.
    stream = bytesOf({0xBF, 73});
    stream.insert(stream.end(), 65, 3);
    EXPECT_EQ(runLength(stream), (Decoded{Bytes(65 * 75, 3), false}));
}

TEST(TileCodecExamples, PaddingAndSpareBytesAfterTheEndAreIgnored) {
    std::mt19937 random(3);
    const Bytes data = randomBytes(random, 500, 8);
    Bytes stream = writers::huffmanEncode(data);
    stream.insert(stream.end(), {0xFF, 0x00, 0x13});
    EXPECT_EQ(huffman(stream), (Decoded{data, false}));
}

// ---- Round trips through the test encoders ----------------------------------

TEST(TileCodecRoundTrip, HuffmanEveryTableFormAndWidth) {
    std::mt19937 random(11);
    const writers::HuffmanTableForm forms[] = {writers::HuffmanTableForm::shortest,
                                               writers::HuffmanTableForm::presenceBitmap,
                                               writers::HuffmanTableForm::symbolList};
    const writers::HuffmanLengthField widths[] = {writers::HuffmanLengthField::shortest,
                                                  writers::HuffmanLengthField::wide,
                                                  writers::HuffmanLengthField::alternate};
    for (int round = 0; round < 40; ++round) {
        const int distinct = 1 << (round % 9);
        const Bytes data = round % 3 == 0 ? tileLike(random, 4096)
                                          : randomBytes(random, static_cast<size_t>(round * 97), distinct);
        for (auto form : forms) {
            for (auto width : widths) {
                for (auto shape : {writers::HuffmanCodeShape::optimal, writers::HuffmanCodeShape::skewed}) {
                    writers::HuffmanEncodeOptions options;
                    options.tableForm = form;
                    options.lengthField = width;
                    options.codeShape = shape;
                    options.extraSymbols = {static_cast<uint8_t>(round)};
                    const Bytes stream = writers::huffmanEncode(data, options);
                    ASSERT_EQ(huffman(stream), (Decoded{data, false})) << round;
                }
            }
        }
    }
}

TEST(TileCodecRoundTrip, RunLengthOfTilesAndUsesEveryMode) {
    std::mt19937 random(12);
    bool modeSeen[5] = {};
    for (int round = 0; round < 200; ++round) {
        Bytes data = round % 4 == 0 ? randomBytes(random, 4096, 256) : tileLike(random, 4096);
        if (round == 1) data.assign(4096, 7);
        const Bytes stream = writers::rleEncode(data);
        ASSERT_EQ(runLength(stream, 4096), (Decoded{data, false})) << round;
        for (int mode : runLengthModes(stream)) modeSeen[mode] = true;
    }
    for (int mode = 0; mode < 5; ++mode) EXPECT_TRUE(modeSeen[mode]) << mode;
}

TEST(TileCodecRoundTrip, LayerAndSheetTiles) {
    std::mt19937 random(13);
    for (int round = 0; round < 50; ++round) {
        const Bytes tile = round % 5 == 0 ? randomBytes(random, 4096, 256) : tileLike(random, 4096);
        const Decoded sheet = huffman(writers::encodeSheetTile(tile), imagery::kTileBytes);
        EXPECT_EQ(sheet, (Decoded{tile, false}));
        const Decoded runs = huffman(writers::encodeLayerTile(tile), imagery::kRunStreamBytes);
        ASSERT_FALSE(runs.damaged);
        EXPECT_EQ(runLength(runs.bytes, imagery::kTileBytes), (Decoded{tile, false}));
    }
}

// ---- The table-driven decoder against the tree walk -------------------------
// Cut and flipped copies of a stream follow one another on each decoder,
// so the table it keeps from one stream is held against the next.

TEST(TileCodecReference, AgreesOnValidStreams) {
    std::mt19937 random(21);
    for (int round = 0; round < 300; ++round) {
        const Bytes data = round % 3 == 0   ? tileLike(random, 1 + random() % 6000)
                           : round % 3 == 1 ? fewColours(random, 1 + random() % 6000)
                                            : randomBytes(random, random() % 3000, 1 << (random() % 9));
        writers::HuffmanEncodeOptions options;
        options.codeShape = round % 3 == 0 ? writers::HuffmanCodeShape::skewed : writers::HuffmanCodeShape::optimal;
        options.minimumCodeLength = round % 7 == 0 ? 1 + random() % 20 : 1;
        const Bytes stream = writers::huffmanEncode(data, options);
        const uint32_t capacity = static_cast<uint32_t>(random() % 7000);
        ASSERT_EQ(huffman(stream, capacity), referenceHuffman(stream, capacity)) << round;
    }
}

TEST(TileCodecReference, AgreesOnTruncatedAndCorruptStreams) {
    std::mt19937 random(22);
    for (int round = 0; round < 60; ++round) {
        const Bytes data = round % 3 == 2 ? fewColours(random, 4096) : tileLike(random, 600);
        writers::HuffmanEncodeOptions options;
        options.codeShape = round % 2 == 0 ? writers::HuffmanCodeShape::skewed : writers::HuffmanCodeShape::optimal;
        const Bytes stream = writers::huffmanEncode(data, options);
        const uint32_t capacity = round % 4 == 3 ? static_cast<uint32_t>(random() % 5000) : 20000;
        for (size_t cut = 0; cut < stream.size(); cut += 1 + round % 5 + stream.size() / 128) {
            const Bytes shortened(stream.begin(), stream.begin() + cut);
            const Decoded decoded = huffman(shortened, capacity);
            ASSERT_EQ(decoded, referenceHuffman(shortened, capacity)) << round << " cut " << cut;
            if (cut > 0) {
                EXPECT_TRUE(decoded.damaged);
            }
        }
        for (int flip = 0; flip < 30; ++flip) {
            Bytes corrupt = stream;
            for (int n = 0; n <= flip % 4; ++n) corrupt[random() % corrupt.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
            ASSERT_EQ(huffman(corrupt, capacity), referenceHuffman(corrupt, capacity)) << round << " flip " << flip;
        }
    }
}

TEST(TileCodecReference, AgreesOnRandomBytes) {
    // Random bytes make code sets that are not prefix-free, trees with
    // missing children, tables that end early and codes of every length.
    std::mt19937 random(23);
    for (int round = 0; round < 3000; ++round) {
        Bytes stream(random() % 200);
        for (uint8_t& byte : stream) byte = static_cast<uint8_t>(random());
        if (!stream.empty() && round % 2 == 0) stream[0] &= 0x7F;  // the shorter symbol-list form
        const uint32_t capacity = static_cast<uint32_t>(random() % 300);
        ASSERT_EQ(huffman(stream, capacity), referenceHuffman(stream, capacity)) << round;
    }
}

TEST(TileCodecReference, LaterCodesTakeOverTheNodesTheyMeet) {
    // 0x41 gets code 0, then 0x42 gets code 01 through it, and the end code
    // 1. The node of code 0 is inner afterwards, so "0" alone leads nowhere
    // and "01" is 0x42.
    writers::BitWriter stream;
    stream.bitText("0 00001 01000001 01000010");
    stream.bitText("0 00000 0");
    stream.bitText("0 00001 01");
    stream.bitText("0 00000 1");
    stream.bitText("01 01 1");
    EXPECT_EQ(huffman(stream.bytes()), (Decoded{bytesOf({0x42, 0x42}), false}));
    EXPECT_EQ(referenceHuffman(stream.bytes()), (Decoded{bytesOf({0x42, 0x42}), false}));

    // A shorter code after a longer one ends the walk early: 0x41 = 01,
    // then 0x42 = 0 makes the node of "0" a leaf.
    writers::BitWriter shorter;
    shorter.bitText("0 00001 01000001 01000010");
    shorter.bitText("0 00001 01");
    shorter.bitText("0 00000 0");
    shorter.bitText("0 00000 1");
    shorter.bitText("0 0 1");
    EXPECT_EQ(huffman(shorter.bytes()), (Decoded{bytesOf({0x42, 0x42}), false}));
    EXPECT_EQ(referenceHuffman(shorter.bytes()), (Decoded{bytesOf({0x42, 0x42}), false}));
}

// ---- Damaged streams ---------------------------------------------------------

TEST(TileCodecDamage, HuffmanStopsAtTheCapacity) {
    std::mt19937 random(31);
    const Bytes data = tileLike(random, 4096);
    const Bytes stream = writers::huffmanEncode(data);
    const Decoded decoded = huffman(stream, 1000);
    EXPECT_EQ(decoded.bytes, Bytes(data.begin(), data.begin() + 1000));
    EXPECT_TRUE(decoded.damaged);
    EXPECT_EQ(huffman(stream, 4096), (Decoded{data, false}));
}

TEST(TileCodecDamage, HuffmanMissingChildAndExhaustedInput) {
    writers::BitWriter missing;  // codes 00 (0x41) and 1 (end); data 01 has no child
    missing.bitText("0 00000 01000001 0 00001 00 0 00000 1 00 01");
    EXPECT_EQ(huffman(missing.bytes()), (Decoded{bytesOf({0x41}), true}));
    // The example stream without its last byte ends inside the table.
    EXPECT_EQ(huffman(bytesOf({0x01, 0x04, 0x00})), (Decoded{{}, true}));
    // A stream whose data never reaches the end code.
    writers::BitWriter endless;
    endless.bitText("0 00000 01000001 0 00000 0 0 00000 1 00000000");
    EXPECT_EQ(huffman(endless.bytes()).damaged, true);
}

TEST(TileCodecDamage, RunLengthOperationsThatDoNotFit) {
    // Input ends inside an operation: nothing of it is written.
    EXPECT_EQ(runLength(bytesOf({0x01, 4, 0x00})), (Decoded{Bytes(3, 4), true}));
    EXPECT_EQ(runLength(bytesOf({0x40, 0x00})), (Decoded{{}, true}));
    EXPECT_EQ(runLength(bytesOf({0x81, 0x00, 1, 2})), (Decoded{{}, true}));
    EXPECT_EQ(runLength(bytesOf({0xC3, 1, 2, 3})), (Decoded{{}, true}));
    EXPECT_EQ(runLength(bytesOf({0xE0})), (Decoded{{}, true}));
    // A run longer than the working space, or than the destination.
    EXPECT_EQ(runLength(bytesOf({0x53, 0x47, 9}), 20000), (Decoded{{}, true}));
    EXPECT_EQ(runLength(bytesOf({0x7F, 0xFF, 9}), 20000), (Decoded{{}, true}));
    EXPECT_EQ(runLength(bytesOf({0x02, 1, 0x3F, 9}), 10), (Decoded{Bytes(4, 1), true}));
    // A pattern whose expansion needs more than the working space: 65 bytes
    // 76 times would need 77 copies of room.
    Bytes pattern = bytesOf({0xBF, 74});
    pattern.insert(pattern.end(), 65, 3);
    EXPECT_EQ(runLength(pattern), (Decoded{{}, true}));
    // Literals longer than the working space.
    Bytes literals = bytesOf({0xF3, 0x68});  // 5001 bytes
    literals.insert(literals.end(), 5001, 1);
    EXPECT_EQ(runLength(literals), (Decoded{{}, true}));
    // Capacity exactly met is not damage.
    EXPECT_EQ(runLength(bytesOf({0x3F, 9}), 65), (Decoded{Bytes(65, 9), false}));
}

TEST(TileCodecDamage, RunLengthCutsAndNoise) {
    std::mt19937 random(32);
    const Bytes tile = tileLike(random, 4096);
    const Bytes stream = writers::rleEncode(tile);
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        const Decoded decoded = runLength(Bytes(stream.begin(), stream.begin() + cut), 4096);
        ASSERT_LE(decoded.bytes.size(), tile.size());
        ASSERT_TRUE(std::equal(decoded.bytes.begin(), decoded.bytes.end(), tile.begin())) << cut;
    }
    for (int round = 0; round < 2000; ++round) {
        Bytes noise(random() % 400);
        for (uint8_t& byte : noise) byte = static_cast<uint8_t>(random());
        runLength(noise, static_cast<uint32_t>(random() % 5000));
    }
}
