#include "tile_codec.h"

#include <cstdlib>
#include <cstring>

namespace imagery {

namespace {

// The one decoder state. Plain data with no initialiser: zero at load, and
// every decode call sets up each field it reads.
struct CodecStream {
    const uint8_t* input;
    uint32_t inputLength;
    uint32_t inputPosition;
    uint32_t lookAheadPending;
    uint8_t lookAhead;
    uint8_t* output;
    uint32_t outputCount;
    uint32_t outputCapacity;
    uint32_t bitBuffer;
    uint8_t bitsHeld;
    bool damaged;
};

CodecStream codecStream;

constexpr uint32_t kSymbolCount = 257;
constexpr int32_t kEndSymbol = 256;
constexpr int32_t kInnerNode = 257;

struct HuffmanCodeEntry {
    uint8_t code[32];  // bit i of the code is bit (i % 8) of byte (i / 8)
    uint32_t length;
    uint8_t present;
};

struct HuffmanNode {
    int32_t value;
    HuffmanNode* one;
    HuffmanNode* zero;
};

// The nodes of one tree come from a single block sized for the longest
// possible set of paths, so building a tree costs one allocation.
struct HuffmanTree {
    HuffmanNode* nodes = nullptr;
    uint32_t used = 0;
    uint32_t capacity = 0;
};

void startStream(const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                 uint32_t capacity) {
    CodecStream& s = codecStream;
    s.input = source;
    s.inputLength = source == nullptr ? 0 : sourceLength;
    s.inputPosition = 0;
    s.lookAheadPending = 0;
    s.lookAhead = 0;
    s.output = destination;
    s.outputCount = 0;
    s.outputCapacity = destination == nullptr ? 0 : capacity;
    s.damaged = false;
}

bool streamAtEnd() {
    CodecStream& s = codecStream;
    if (s.lookAheadPending != 0) return false;
    if (s.inputPosition >= s.inputLength) {
        s.lookAheadPending = 0;
        return true;
    }
    s.lookAhead = s.input[s.inputPosition++];
    s.lookAheadPending = 1;
    return false;
}

uint32_t bytesAvailable() {
    const CodecStream& s = codecStream;
    return s.lookAheadPending + (s.inputLength - s.inputPosition);
}

// Callers check bytesAvailable() or streamAtEnd() first; reading past the
// input anyway marks the stream damaged instead of touching memory.
uint8_t readStreamByte() {
    CodecStream& s = codecStream;
    if (s.lookAheadPending != 0) {
        s.lookAheadPending = 0;
        return s.lookAhead;
    }
    if (s.inputPosition >= s.inputLength) {
        s.damaged = true;
        return 0;
    }
    return s.input[s.inputPosition++];
}

// No look-ahead byte is pending here: every caller has just taken the
// control byte (and its count byte) with readStreamByte.
void readStreamBytes(uint8_t* buffer, uint32_t n) {
    CodecStream& s = codecStream;
    std::memcpy(buffer, s.input + s.inputPosition, n);
    s.inputPosition += n;
}

void fillBytes(uint8_t* buffer, uint32_t n, uint8_t value) { std::memset(buffer, value, n); }

// Copies of the pattern placed one after another behind the destination;
// the source is always the pattern's first copy.
void repeatPattern(const uint8_t* pattern, uint8_t* destination, uint32_t length, uint32_t repeats) {
    for (uint32_t i = 0; i < repeats; ++i) std::memcpy(destination + i * length, pattern, length);
}

// Bits are taken from each byte most significant first.
uint32_t readBit() {
    CodecStream& s = codecStream;
    if (s.bitsHeld == 0) {
        if (streamAtEnd()) {
            s.damaged = true;
            return 0;
        }
        const uint8_t byte = readStreamByte();
        s.bitBuffer = byte & 0x7Fu;
        s.bitsHeld = 7;
        return byte >> 7;
    }
    --s.bitsHeld;
    const uint32_t bit = (s.bitBuffer >> s.bitsHeld) & 1u;
    s.bitBuffer &= (1u << s.bitsHeld) - 1u;
    return bit;
}

// An unsigned field of 1 to 8 bits. When the input ends first the stream is
// damaged and the value is 0.
uint32_t readBits(uint32_t n) {
    CodecStream& s = codecStream;
    while (s.bitsHeld < n) {
        if (streamAtEnd()) break;
        s.bitBuffer = (s.bitBuffer << 8) | readStreamByte();
        s.bitsHeld = static_cast<uint8_t>(s.bitsHeld + 8);
    }
    if (s.bitsHeld < n) {
        s.damaged = true;
        s.bitBuffer = 0;
        s.bitsHeld = 0;
        return 0;
    }
    s.bitsHeld = static_cast<uint8_t>(s.bitsHeld - n);
    const uint32_t value = s.bitBuffer >> s.bitsHeld;
    s.bitBuffer &= (1u << s.bitsHeld) - 1u;
    return value;
}

// False when the table runs past the input.
bool readHuffmanTable(HuffmanCodeEntry* table) {
    std::memset(table, 0, sizeof(HuffmanCodeEntry) * kSymbolCount);
    if (readBit() != 0) {
        for (uint32_t symbol = 0; symbol < 256; ++symbol) table[symbol].present = static_cast<uint8_t>(readBit());
    } else {
        const uint32_t listed = readBits(5) + 1;
        for (uint32_t i = 0; i < listed; ++i) table[readBits(8)].present = 1;
    }
    table[kEndSymbol].present = 1;
    for (uint32_t symbol = 0; symbol < kSymbolCount && !codecStream.damaged; ++symbol) {
        HuffmanCodeEntry& entry = table[symbol];
        if (entry.present == 0) continue;
        const uint32_t wide = readBit();
        const uint32_t length = readBits(wide != 0 ? 8 : 5) + 1;
        const uint32_t codeBytes = (length + 7) / 8;
        uint32_t wholeBytes = codeBytes;
        if (length % 8 != 0) {
            entry.code[codeBytes - 1] = static_cast<uint8_t>(readBits(length % 8));
            --wholeBytes;
        }
        while (wholeBytes > 0) {
            --wholeBytes;
            entry.code[wholeBytes] = static_cast<uint8_t>(readBits(8));
        }
        entry.length = length;
    }
    return !codecStream.damaged;
}

void freeHuffmanTree(HuffmanTree& tree) {
    std::free(tree.nodes);
    tree = HuffmanTree{};
}

HuffmanNode* newNode(HuffmanTree& tree) {
    HuffmanNode* node = &tree.nodes[tree.used++];
    node->value = kInnerNode;
    node->one = nullptr;
    node->zero = nullptr;
    return node;
}

// Codes are followed in the order they were sent; a later code may pass
// through or end on a node an earlier one made, and the node then takes the
// later code's meaning. Returns the root, or null when no memory was had.
HuffmanNode* buildHuffmanTree(const HuffmanCodeEntry* table, HuffmanTree& tree) {
    uint32_t pathNodes = 1;
    for (uint32_t symbol = 0; symbol < kSymbolCount; ++symbol) pathNodes += table[symbol].length;
    tree.nodes = static_cast<HuffmanNode*>(std::malloc(sizeof(HuffmanNode) * pathNodes));
    if (tree.nodes == nullptr) return nullptr;
    tree.capacity = pathNodes;
    HuffmanNode* root = newNode(tree);
    for (uint32_t symbol = 0; symbol < kSymbolCount; ++symbol) {
        const HuffmanCodeEntry& entry = table[symbol];
        HuffmanNode* node = root;
        for (uint32_t i = entry.length; i-- > 0;) {
            const bool bit = ((entry.code[i / 8] >> (i % 8)) & 1u) != 0;
            HuffmanNode*& child = bit ? node->one : node->zero;
            if (child == nullptr) child = newNode(tree);
            node = child;
            node->value = i > 0 ? kInnerNode : static_cast<int32_t>(symbol);
        }
    }
    return root;
}

// Lookup of the next kLookupBits (or fewer, for short code sets) bits of
// the coded data: what walking the tree bit by bit from the root with those
// bits meets first.
constexpr uint32_t kLookupBits = 10;
constexpr uint32_t kLookupMissing = 0x80000000u;  // a missing child
constexpr uint32_t kLookupDeeper = 0x40000000u;   // an inner node, low bits its index
constexpr uint32_t kLookupLengthShift = 16;       // else a symbol and its code length

void fillLookup(const HuffmanTree& tree, const HuffmanNode* node, uint32_t depth, uint32_t prefix,
                uint32_t tableBits, uint32_t* lookup) {
    const uint32_t first = prefix << (tableBits - depth);
    if (node->value != kInnerNode) {
        const uint32_t entry = static_cast<uint32_t>(node->value) | (depth << kLookupLengthShift);
        for (uint32_t i = 0; i < (1u << (tableBits - depth)); ++i) lookup[first + i] = entry;
        return;
    }
    if (depth == tableBits) {
        lookup[first] = kLookupDeeper | static_cast<uint32_t>(node - tree.nodes);
        return;
    }
    for (uint32_t bit = 0; bit < 2; ++bit) {
        const HuffmanNode* child = bit != 0 ? node->one : node->zero;
        const uint32_t childPrefix = (prefix << 1) | bit;
        if (child != nullptr) {
            fillLookup(tree, child, depth + 1, childPrefix, tableBits, lookup);
        } else {
            const uint32_t span = 1u << (tableBits - depth - 1);
            const uint32_t start = childPrefix << (tableBits - depth - 1);
            for (uint32_t i = 0; i < span; ++i) lookup[start + i] = kLookupMissing;
        }
    }
}

// The next `count` bits at bit position `position`, most significant first;
// bits past the input read as 0 (callers only look at bits that exist).
inline uint32_t peekBits(const uint8_t* input, uint32_t inputLength, uint64_t position, uint32_t count) {
    const uint64_t byte = position >> 3;
    uint32_t window = 0;
    if (byte + 4 <= inputLength) {
        window = (uint32_t{input[byte]} << 24) | (uint32_t{input[byte + 1]} << 16) |
                 (uint32_t{input[byte + 2]} << 8) | uint32_t{input[byte + 3]};
    } else {
        for (uint64_t i = 0; i < 4; ++i) {
            window <<= 8;
            if (byte + i < inputLength) window |= input[byte + i];
        }
    }
    return (window << (position & 7u)) >> (32u - count);
}

// Decodes the coded data that follows the table, from the stream's current
// bit position, until the end symbol or a fault.
void decodeHuffmanData(const HuffmanTree& tree, const HuffmanNode* root, uint32_t maxLength) {
    CodecStream& s = codecStream;
    const uint32_t tableBits = maxLength < kLookupBits ? maxLength : kLookupBits;
    uint32_t lookup[1u << kLookupBits];
    fillLookup(tree, root, 0, 0, tableBits, lookup);

    const uint8_t* input = s.input;
    const uint64_t totalBits = uint64_t{s.inputLength} * 8u;
    uint64_t position = (uint64_t{s.inputPosition} - s.lookAheadPending) * 8u - s.bitsHeld;
    uint8_t* output = s.output;
    uint32_t count = s.outputCount;
    const uint32_t capacity = s.outputCapacity;

    for (;;) {
        const HuffmanNode* node = root;
        int32_t symbol = kInnerNode;
        if (totalBits - position >= tableBits) {
            const uint32_t entry = lookup[peekBits(input, s.inputLength, position, tableBits)];
            if ((entry & kLookupMissing) != 0) {
                s.damaged = true;
                break;
            }
            if ((entry & kLookupDeeper) != 0) {
                node = tree.nodes + (entry & ~kLookupDeeper);
                position += tableBits;
            } else {
                symbol = static_cast<int32_t>(entry & 0xFFFFu);
                position += entry >> kLookupLengthShift;
            }
        }
        if (symbol == kInnerNode) {
            // Codes longer than the lookup, and the last few bits of the input.
            while (node != nullptr && node->value == kInnerNode) {
                if (position >= totalBits) {
                    node = nullptr;
                    break;
                }
                const bool bit = ((input[position >> 3] >> (7u - (position & 7u))) & 1u) != 0;
                ++position;
                node = bit ? node->one : node->zero;
            }
            if (node == nullptr) {
                s.damaged = true;
                break;
            }
            symbol = node->value;
        }
        if (symbol == kEndSymbol) break;
        if (count >= capacity) {
            s.damaged = true;
            break;
        }
        output[count++] = static_cast<uint8_t>(symbol);
    }
    s.outputCount = count;
}

void huffmanDecodeStream() {
    // The end test leaves the first byte pending, and the first bit read
    // takes it.
    if (streamAtEnd()) return;
    HuffmanCodeEntry table[kSymbolCount];
    if (!readHuffmanTable(table)) return;
    HuffmanTree tree;
    const HuffmanNode* root = buildHuffmanTree(table, tree);
    if (root != nullptr) {
        uint32_t maxLength = 1;
        for (uint32_t symbol = 0; symbol < kSymbolCount; ++symbol) {
            if (table[symbol].length > maxLength) maxLength = table[symbol].length;
        }
        decodeHuffmanData(tree, root, maxLength);
    } else {
        codecStream.damaged = true;
    }
    freeHuffmanTree(tree);
}

// Room for one operation's output, or the stream is damaged.
bool outputRoom(uint64_t bytes) {
    const CodecStream& s = codecStream;
    return bytes <= s.outputCapacity - s.outputCount;
}

// One operation; false when it cannot be carried out whole.
bool rleDecodeOperation() {
    CodecStream& s = codecStream;
    const uint8_t control = readStreamByte();
    uint8_t* out = s.output + s.outputCount;
    switch (control & 0xC0u) {
        case 0x00u:
        case 0x40u: {
            const bool longRun = (control & 0x40u) != 0;
            if (bytesAvailable() < (longRun ? 2u : 1u)) return false;
            uint32_t count = (control & 0x3Fu) + 2u;
            if (longRun) count = (control & 0x3Fu) * 256u + readStreamByte() + 66u;
            const uint8_t value = readStreamByte();
            if (count > kRunWorkingBytes || !outputRoom(count)) return false;
            fillBytes(out, count, value);
            s.outputCount += count;
            return true;
        }
        case 0x80u: {
            const uint32_t length = (control & 0x3Fu) + 2u;
            if (bytesAvailable() < 1u + length) return false;
            const uint32_t copies = readStreamByte() + 2u;
            // The pattern is expanded behind its own first copy.
            if ((copies + 1u) * length > kRunWorkingBytes || !outputRoom(uint64_t{copies} * length)) return false;
            readStreamBytes(out, length);
            repeatPattern(out, out + length, length, copies - 1u);
            s.outputCount += copies * length;
            return true;
        }
        default: {
            uint32_t count = (control & 0x1Fu) + 1u;
            if ((control & 0x20u) != 0) {
                if (bytesAvailable() < 1u) return false;
                count = (control & 0x1Fu) * 256u + readStreamByte() + 33u;
            }
            if (bytesAvailable() < count || count > kRunWorkingBytes || !outputRoom(count)) return false;
            readStreamBytes(out, count);
            s.outputCount += count;
            return true;
        }
    }
}

void rleDecodeStream() {
    while (!streamAtEnd()) {
        if (!rleDecodeOperation()) {
            codecStream.damaged = true;
            return;
        }
    }
}

}  // namespace

uint32_t huffmanDecode(const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                       uint32_t capacity) {
    startStream(source, sourceLength, destination, capacity);
    codecStream.bitBuffer = 0;
    codecStream.bitsHeld = 0;
    huffmanDecodeStream();
    return codecStream.outputCount;
}

uint32_t rleDecode(const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                   uint32_t capacity) {
    startStream(source, sourceLength, destination, capacity);
    rleDecodeStream();
    return codecStream.outputCount;
}

bool lastDecodeDamaged() { return codecStream.damaged; }

}  // namespace imagery
