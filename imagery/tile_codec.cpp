#include "tile_codec.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace imagery {

namespace {

// The module's decoder for the entry points without one. Plain data: zero
// at load, and every decode sets up what it reads.
TileDecoder moduleDecoder;

constexpr uint32_t kSymbolCount = 257;
constexpr uint32_t kEndSymbol = 256;

// A lookup entry: what the tree walk meets first along the lookup's bits.
// Either a symbol (low 9 bits) with its code length, a missing child, or an
// inner node at the lookup's depth whose walk goes on bit by bit.
constexpr uint32_t kEntryMissing = 0x80000000u;
constexpr uint32_t kEntryDeeper = 0x40000000u;  // low bits: the tree node
constexpr uint32_t kEntryNotByte = kEntryMissing | kEntryDeeper | kEndSymbol;
constexpr uint32_t kEntryLengthShift = 16;
constexpr uint32_t kEntrySymbolMask = 0x1FFu;

constexpr uint32_t symbolEntry(uint32_t symbol, uint32_t length) { return symbol | (length << kEntryLengthShift); }
constexpr uint32_t entryLength(uint32_t entry) { return (entry >> kEntryLengthShift) & 0xFFu; }

// A several-symbol entry: up to seven byte symbols in the low 56 bits, their
// number in bits 56-58 and the bits they take in bits 59-61. No symbols
// means the next code is the end symbol, leads nowhere or is longer than
// the lookup; the exact one-symbol step deals with it. Bit 62 marks the
// entry of seven times a symbol whose code is a single bit: the run of that
// bit may go on well past the lookup.
constexpr uint32_t kMultiCountShift = 56;
constexpr uint32_t kMultiLengthShift = 59;
constexpr uint64_t kMultiRun = uint64_t{1} << 62;
// Code sets this small, in streams whose coded data is this long, pay for
// the several-symbol lookup.
constexpr uint32_t kMultiMostCodes = 8;
constexpr uint64_t kMultiLeastDataBits = 1024;

// The tree of the general case: codes that are longer than the lookup, or
// that are not prefix-free (a later code takes over the nodes it meets).
constexpr int32_t kInnerNode = 257;
constexpr uint32_t kTreeLookupBits = 10;

struct TreeNode {
    int32_t value;
    uint32_t child[2];  // 0 when absent: the root is never a child
};

inline uint64_t loadBigEndian64(const uint8_t* bytes) {
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    return word;
}

inline void storeLittleEndian64(uint8_t* bytes, uint64_t word) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    std::memcpy(bytes, &word, sizeof word);
}

// Bits are taken from each byte most significant first. The next bit is
// the top bit of `bits`; below the `held` valid bits lie only zeros or the
// stream's own following bits, so refilling ORs in nothing that differs.
struct BitReader {
    const uint8_t* next;
    const uint8_t* end;
    uint64_t bits;
    uint32_t held;

    bool eightBytesLeft() const { return end - next >= 8; }

    // Needs eightBytesLeft(); leaves at least 56 bits held.
    void refillFast() {
        bits |= loadBigEndian64(next) >> held;
        next += (63u - held) >> 3;
        held |= 56u;
    }

    // Byte by byte near the end: held then counts exactly the bits left
    // when fewer than 57 remain.
    void refill() {
        if (eightBytesLeft()) {
            refillFast();
            return;
        }
        while (held <= 56u && next < end) {
            bits |= uint64_t{*next++} << (56u - held);
            held += 8u;
        }
    }

    void consume(uint32_t n) {
        bits <<= n;
        held -= n;
    }

    // An unsigned field of 1 to 32 bits; false when the input ends first.
    bool take(uint32_t n, uint32_t* value) {
        if (held < n) {
            refill();
            if (held < n) return false;
        }
        *value = static_cast<uint32_t>(bits >> (64u - n));
        consume(n);
        return true;
    }

    uint64_t position(const uint8_t* start) const {
        return static_cast<uint64_t>(next - start) * 8u - held;
    }
};

// The code table: for every symbol that has a code, in ascending order, its
// length, its first bits and where the code lies in the stream. False when
// the table runs past the input.
bool readCodeTable(TileDecoder& d, BitReader& in, const uint8_t* start, uint32_t* codes, uint32_t* maxLength) {
    // Symbol s is bit 63 - s % 64 of word s / 64, in the order the presence
    // bitmap sends them; the end symbol always has a code.
    uint64_t present[5] = {0, 0, 0, 0, uint64_t{1} << 63};
    uint32_t flag = 0;
    if (!in.take(1, &flag)) return false;
    if (flag != 0) {
        for (uint32_t word = 0; word < 4; ++word) {
            uint32_t high = 0;
            uint32_t low = 0;
            if (!in.take(32, &high) || !in.take(32, &low)) return false;
            present[word] = (uint64_t{high} << 32) | low;
        }
    } else {
        uint32_t listed = 0;
        if (!in.take(5, &listed)) return false;
        for (uint32_t i = 0; i <= listed; ++i) {
            uint32_t symbol = 0;
            if (!in.take(8, &symbol)) return false;
            present[symbol / 64] |= uint64_t{1} << (63 - symbol % 64);
        }
    }
    uint32_t count = 0;
    uint32_t longest = 0;
    for (uint32_t word = 0; word < 5; ++word) {
        for (uint64_t left = present[word]; left != 0;) {
            const auto bit = static_cast<uint32_t>(__builtin_clzll(left));
            left &= ~(uint64_t{1} << (63 - bit));
            // The width flag, the length field and a code of up to 32 bits
            // in one piece when the bits are there; otherwise field by field.
            if (in.held < 41) in.refill();
            const uint32_t fieldBits = (in.bits >> 63) != 0 ? 8 : 5;
            uint32_t length = 0;
            uint32_t top = 0;
            if (in.held >= 1 + fieldBits) {
                length = static_cast<uint32_t>((in.bits << 1) >> (64 - fieldBits)) + 1;
            }
            if (length != 0 && length <= 32 && in.held >= 1 + fieldBits + length) {
                d.codeStarts[count] = static_cast<uint32_t>(in.position(start)) + 1 + fieldBits;
                top = static_cast<uint32_t>((in.bits << (1 + fieldBits)) >> (64 - length));
                in.consume(1 + fieldBits + length);
            } else {
                uint32_t wide = 0;
                uint32_t field = 0;
                if (!in.take(1, &wide) || !in.take(wide != 0 ? 8 : 5, &field)) return false;
                length = field + 1;
                d.codeStarts[count] = static_cast<uint32_t>(in.position(start));
                // The first bits serve the lookups; the rest is passed over
                // and read again from the stream only if the tree needs it.
                if (!in.take(std::min(length, 32u), &top)) return false;
                for (uint32_t rest = length > 32 ? length - 32 : 0; rest > 0;) {
                    const uint32_t n = std::min(rest, 32u);
                    uint32_t ignored = 0;
                    if (!in.take(n, &ignored)) return false;
                    rest -= n;
                }
            }
            d.symbols[count] = static_cast<uint16_t>(word * 64 + bit);
            d.lengths[count] = static_cast<uint16_t>(length);
            d.codeTops[count] = top;
            longest = std::max(longest, length);
            ++count;
        }
    }
    *codes = count;
    *maxLength = longest;
    return true;
}

// The usual case: every code fits the lookup and none is a prefix of
// another, so each lookup entry belongs to at most one code and the lookup
// alone is the tree. Codes go in from the shortest, so a code that has an
// earlier one as its prefix finds its first entry taken. False when two
// codes overlap.
bool fillDirectLookup(TileDecoder& d, uint32_t codes, uint32_t bits) {
    uint32_t* lookup = d.lookup;
    std::fill(lookup, lookup + (1u << bits), kEntryMissing);
    uint32_t ofLength[kLookupMaxBits + 2] = {};
    for (uint32_t k = 0; k < codes; ++k) ++ofLength[d.lengths[k] + 1];
    for (uint32_t length = 1; length <= bits; ++length) ofLength[length + 1] += ofLength[length];
    uint16_t order[kSymbolCount];
    for (uint32_t k = 0; k < codes; ++k) order[ofLength[d.lengths[k]]++] = static_cast<uint16_t>(k);
    for (uint32_t i = 0; i < codes; ++i) {
        const uint32_t k = order[i];
        const uint32_t length = d.lengths[k];
        const uint32_t first = d.codeTops[k] << (bits - length);
        if (lookup[first] != kEntryMissing) return false;
        std::fill(lookup + first, lookup + first + (1u << (bits - length)), symbolEntry(d.symbols[k], length));
    }
    return true;
}

// The byte codes that fit the several-symbol lookup.
struct ShortCodes {
    uint32_t count = 0;
    uint8_t symbol[kSymbolCount];
    uint8_t length[kSymbolCount];
    uint8_t code[kSymbolCount];
};

// Every run of byte codes that fits the several-symbol lookup's bits: a
// run's entries are filled, then each longer run overwrites its own. Seven
// codes that take seven bits can only be a single-bit code seven times.
void fillMultiRuns(uint64_t* multi, const ShortCodes& codes, uint32_t prefix, uint32_t used, uint64_t symbols,
                   uint32_t count) {
    const uint32_t shift = kMultiLookupBits - used;
    uint64_t entry = symbols | (uint64_t{count} << kMultiCountShift) | (uint64_t{used} << kMultiLengthShift);
    if (count == kMultiLookupBits) entry |= kMultiRun;
    std::fill(multi + (prefix << shift), multi + ((prefix + 1) << shift), entry);
    for (uint32_t k = 0; k < codes.count; ++k) {
        const uint32_t length = codes.length[k];
        if (used + length > kMultiLookupBits) continue;
        fillMultiRuns(multi, codes, (prefix << length) | codes.code[k], used + length,
                      symbols | (uint64_t{codes.symbol[k]} << (8 * count)), count + 1);
    }
}

void fillMultiLookup(TileDecoder& d, uint32_t codes) {
    ShortCodes shortCodes;
    for (uint32_t k = 0; k < codes; ++k) {
        if (d.symbols[k] == kEndSymbol || d.lengths[k] > kMultiLookupBits) continue;
        shortCodes.symbol[shortCodes.count] = static_cast<uint8_t>(d.symbols[k]);
        shortCodes.length[shortCodes.count] = static_cast<uint8_t>(d.lengths[k]);
        shortCodes.code[shortCodes.count] = static_cast<uint8_t>(d.codeTops[k]);
        ++shortCodes.count;
    }
    fillMultiRuns(d.multiLookup + (1u << kMultiLookupBits), shortCodes, 0, 0, 0, 0);
}

inline uint32_t streamBit(const uint8_t* source, uint32_t position) {
    return (source[position >> 3] >> (7u - (position & 7u))) & 1u;
}

// The tree, each code followed in the order its bits were sent: the node
// reached takes the symbol at the code's last bit, and every node passed on
// the way becomes inner. Null when no memory was had.
TreeNode* buildTree(const TileDecoder& d, const uint8_t* source, uint32_t codes) {
    uint32_t nodes = 1;
    for (uint32_t k = 0; k < codes; ++k) nodes += d.lengths[k];
    auto* tree = static_cast<TreeNode*>(std::malloc(sizeof(TreeNode) * nodes));
    if (tree == nullptr) return nullptr;
    uint32_t used = 1;
    tree[0] = TreeNode{kInnerNode, {0, 0}};
    for (uint32_t k = 0; k < codes; ++k) {
        uint32_t node = 0;
        const uint32_t length = d.lengths[k];
        for (uint32_t i = 0; i < length; ++i) {
            uint32_t& child = tree[node].child[streamBit(source, d.codeStarts[k] + i)];
            if (child == 0) {
                tree[used] = TreeNode{kInnerNode, {0, 0}};
                child = used++;
            }
            node = child;
            tree[node].value = i + 1 < length ? kInnerNode : static_cast<int32_t>(d.symbols[k]);
        }
    }
    return tree;
}

void fillTreeLookup(uint32_t* lookup, const TreeNode* tree, uint32_t node, uint32_t depth, uint32_t prefix,
                    uint32_t bits) {
    const uint32_t first = prefix << (bits - depth);
    const uint32_t span = 1u << (bits - depth);
    if (tree[node].value != kInnerNode) {
        std::fill(lookup + first, lookup + first + span,
                  symbolEntry(static_cast<uint32_t>(tree[node].value), depth));
    } else if (depth == bits) {
        lookup[first] = kEntryDeeper | node;
    } else {
        for (uint32_t bit = 0; bit < 2; ++bit) {
            const uint32_t child = tree[node].child[bit];
            if (child != 0) {
                fillTreeLookup(lookup, tree, child, depth + 1, (prefix << 1) | bit, bits);
            } else {
                const uint32_t half = span / 2;
                std::fill(lookup + first + bit * half, lookup + first + (bit + 1) * half, kEntryMissing);
            }
        }
    }
}

enum class Step { symbol, end, damaged };

// One code the exact way, every bit held against the end of the input. The
// lookup's bits past the end read as zeros; an entry is taken only when its
// code lies wholly within the input, and anything else is damage whichever
// way the missing bits would have gone.
inline Step decodeOneCode(const uint32_t* lookup, uint32_t lookupBits, const TreeNode* tree, BitReader& in,
                          uint32_t* symbol) {
    in.refill();
    const uint32_t entry = lookup[in.bits >> (64u - lookupBits)];
    if ((entry & kEntryMissing) != 0) return Step::damaged;
    if ((entry & kEntryDeeper) != 0) {
        if (in.held < lookupBits) return Step::damaged;
        in.consume(lookupBits);
        uint32_t node = entry & ~kEntryDeeper;
        while (tree[node].value == kInnerNode) {
            if (in.held == 0) {
                in.refill();
                if (in.held == 0) return Step::damaged;
            }
            const auto bit = static_cast<uint32_t>(in.bits >> 63);
            in.consume(1);
            node = tree[node].child[bit];
            if (node == 0) return Step::damaged;
        }
        *symbol = static_cast<uint32_t>(tree[node].value);
    } else {
        const uint32_t length = entryLength(entry);
        if (in.held < length) return Step::damaged;
        in.consume(length);
        *symbol = entry & kEntrySymbolMask;
    }
    return *symbol == kEndSymbol ? Step::end : Step::symbol;
}

// Fast loops for the bulk of the coded data, each run while eight input
// bytes remain and the output has room for whatever one pass of the loop
// writes, with no test of each code beyond its lookup entry. They stop at
// anything else (the end symbol, a fault, a long code) and leave it to the
// exact step. The reader's state is held in locals, where it can stay in
// registers.
uint32_t decodeFastSingle(const uint32_t* lookup, uint32_t lookupBits, BitReader& in, uint8_t* out, uint32_t count,
                          uint32_t capacity) {
    BitReader r = in;
    const uint32_t shift = 64u - lookupBits;
    // Four codes of at most twelve bits fit the 56 bits a refill leaves.
    while (r.eightBytesLeft() && capacity - count >= 4) {
        r.refillFast();
        for (int i = 0; i < 4; ++i) {
            const uint32_t entry = lookup[r.bits >> shift];
            if ((entry & kEntryNotByte) != 0) {
                in = r;
                return count;
            }
            out[count++] = static_cast<uint8_t>(entry);
            r.consume(entryLength(entry));
        }
    }
    in = r;
    return count;
}

uint32_t decodeFastMulti(const uint64_t* multi, BitReader& in, uint8_t* out, uint32_t count, uint32_t capacity) {
    BitReader r = in;
    const uint64_t* lookup = multi + (1u << kMultiLookupBits);
    constexpr uint32_t kShift = 64u - kMultiLookupBits;
    constexpr uint32_t kRunBytes = 64;  // a run takes at most the 63 bits held
    // Up to eight lookups of seven bits a refill, each storing eight bytes
    // and keeping at most seven; or one run.
    while (r.eightBytesLeft() && capacity - count >= kRunBytes + 8 * 8) {
        r.refillFast();
        for (int i = 0; i < 8; ++i) {
            const uint64_t entry = lookup[r.bits >> kShift];
            const auto symbols = static_cast<uint32_t>(entry >> kMultiCountShift) & 7u;
            if (symbols == 0) {
                in = r;
                return count;
            }
            if ((entry & kMultiRun) != 0) {
                // As many of the symbol as the bits held repeat its code bit.
                const uint64_t differ = (r.bits >> 63) != 0 ? ~r.bits : r.bits;
                const uint32_t run =
                    differ == 0 ? r.held : std::min(static_cast<uint32_t>(__builtin_clzll(differ)), r.held);
                std::memset(out + count, static_cast<uint8_t>(entry), kRunBytes);
                count += run;
                r.consume(run);
                break;
            }
            storeLittleEndian64(out + count, entry);
            count += symbols;
            r.consume(static_cast<uint32_t>(entry >> kMultiLengthShift) & 7u);
        }
    }
    in = r;
    return count;
}

// The coded data after the table, until the end symbol or a fault: the
// fast loop while it can go, the exact step for whatever it leaves.
uint32_t decodeData(TileDecoder& d, BitReader& in, uint32_t lookupBits, const TreeNode* tree, bool multi,
                    uint8_t* out, uint32_t capacity) {
    uint32_t count = 0;
    for (;;) {
        count = multi ? decodeFastMulti(d.multiLookup, in, out, count, capacity)
                      : decodeFastSingle(d.lookup, lookupBits, in, out, count, capacity);
        uint32_t symbol = 0;
        const Step step = decodeOneCode(d.lookup, lookupBits, tree, in, &symbol);
        if (step == Step::end) break;
        if (step == Step::damaged || count >= capacity) {
            d.damaged = true;
            break;
        }
        out[count++] = static_cast<uint8_t>(symbol);
    }
    return count;
}

// Wide stores for the short runs and copies that most operations are: the
// caller keeps room for the last block to spill over (into output that a
// later operation writes, or past the count but within the capacity) and
// for its source bytes to be read.
constexpr uint32_t kBlock = 16;

inline void fillBlocks(uint8_t* out, uint8_t value, uint32_t n) {
    uint8_t block[kBlock];
    std::memset(block, value, kBlock);
    for (uint32_t i = 0; i < n; i += kBlock) std::memcpy(out + i, block, kBlock);
}

inline void copyBlocks(uint8_t* out, const uint8_t* in, uint32_t n) {
    for (uint32_t i = 0; i < n; i += kBlock) std::memcpy(out + i, in + i, kBlock);
}

// Copies of the first `length` bytes at out, one after another up to
// `total` bytes; each copy is made from bytes already in place, a copy of
// the pattern or of several. With room to spill, the copies go by blocks
// once the repeated part is a block long.
void repeatPattern(uint8_t* out, uint32_t length, uint32_t total, bool spill) {
    uint32_t filled = length;
    while (filled < total && (filled < kBlock || !spill)) {
        const uint32_t n = std::min(filled, total - filled);
        if (spill) {
            for (uint32_t i = 0; i < n; ++i) out[filled + i] = out[i];
        } else {
            std::memcpy(out + filled, out, n);
        }
        filled += n;
    }
    for (uint32_t i = filled; i < total; i += kBlock) std::memcpy(out + i, out + i - filled, kBlock);
}

// True when the source begins with the bits of the table that the
// decoder's lookups were made from.
bool startsWithKeptTable(const TileDecoder& d, const uint8_t* source, uint32_t sourceLength) {
    const uint32_t bits = d.tableBits;
    if (bits == 0 || uint64_t{sourceLength} * 8u < bits) return false;
    const uint32_t whole = bits / 8;
    for (uint32_t i = 0; i < whole; ++i) {
        if (source[i] != d.tableBytes[i]) return false;
    }
    const uint32_t spare = bits % 8;
    const auto mask = static_cast<uint8_t>(0xFF00u >> spare);
    return spare == 0 || ((source[whole] ^ d.tableBytes[whole]) & mask) == 0;
}

// The general case: the tree, with a lookup of its first levels.
uint32_t decodeWithTree(TileDecoder& d, BitReader& in, const uint8_t* source, uint32_t codes, uint32_t maxLength,
                        uint8_t* destination, uint32_t capacity) {
    TreeNode* tree = buildTree(d, source, codes);
    if (tree == nullptr) {
        d.damaged = true;
        return 0;
    }
    const uint32_t lookupBits = std::min(maxLength, kTreeLookupBits);
    fillTreeLookup(d.lookup, tree, 0, 0, 0, lookupBits);
    const uint32_t count = decodeData(d, in, lookupBits, tree, false, destination, capacity);
    std::free(tree);
    return count;
}

}  // namespace

OwnedTileDecoder newTileDecoder() {
    void* memory = std::malloc(sizeof(TileDecoder));
    return OwnedTileDecoder(memory != nullptr ? new (memory) TileDecoder() : nullptr);
}

uint32_t huffmanDecode(TileDecoder& d, const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                       uint32_t capacity) {
    d.damaged = false;
    if (source == nullptr || sourceLength == 0) return 0;
    if (destination == nullptr) capacity = 0;
    BitReader in{source, source + sourceLength, 0, 0};
    if (startsWithKeptTable(d, source, sourceLength)) {
        in.next += d.tableBits / 8;
        in.refill();
        in.consume(d.tableBits % 8);
    } else {
        d.tableBits = 0;
        uint32_t codes = 0;
        uint32_t maxLength = 0;
        if (!readCodeTable(d, in, source, &codes, &maxLength)) {
            d.damaged = true;
            return 0;
        }
        if (maxLength > kLookupMaxBits || !fillDirectLookup(d, codes, maxLength)) {
            return decodeWithTree(d, in, source, codes, maxLength, destination, capacity);
        }
        const uint64_t tableBits = in.position(source);
        if (tableBits <= 8 * sizeof d.tableBytes) {
            std::memcpy(d.tableBytes, source, (tableBits + 7) / 8);
            d.tableBits = static_cast<uint32_t>(tableBits);
        }
        d.tableLookupBits = maxLength;
        d.tableCodes = codes;
        d.tableMulti = false;
    }
    const uint64_t dataBits = uint64_t{sourceLength} * 8u - in.position(source);
    const bool multi = d.tableCodes <= kMultiMostCodes && dataBits >= kMultiLeastDataBits;
    if (multi && !d.tableMulti) {
        fillMultiLookup(d, d.tableCodes);
        d.tableMulti = true;
    }
    return decodeData(d, in, d.tableLookupBits, nullptr, multi, destination, capacity);
}

uint32_t rleDecode(TileDecoder& d, const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                   uint32_t capacity) {
    d.damaged = false;
    if (source == nullptr) sourceLength = 0;
    if (destination == nullptr) capacity = 0;
    const uint8_t* in = source;
    const uint8_t* const end = source + sourceLength;
    uint32_t count = 0;
    // Each operation is checked whole before any of it is written: the
    // bytes it needs, its working space and the room left.
    while (in < end) {
        const uint32_t control = *in++;
        const auto left = static_cast<uint32_t>(end - in);
        const uint32_t room = capacity - count;
        uint8_t* out = destination + count;
        uint32_t produced = 0;
        switch (control >> 6) {
            case 0: {
                produced = (control & 0x3Fu) + 2u;
                if (left < 1u || produced > room) break;
                if (room - produced >= kBlock) {
                    fillBlocks(out, in[0], produced);
                } else {
                    std::memset(out, in[0], produced);
                }
                in += 1;
                count += produced;
                continue;
            }
            case 1: {
                if (left < 2u) break;
                produced = (control & 0x3Fu) * 256u + in[0] + 66u;
                if (produced > kRunWorkingBytes || produced > room) break;
                std::memset(out, in[1], produced);
                in += 2;
                count += produced;
                continue;
            }
            case 2: {
                const uint32_t length = (control & 0x3Fu) + 2u;
                if (left < 1u + length) break;
                const uint32_t copies = in[0] + 2u;
                // The pattern is expanded behind its own first copy.
                produced = copies * length;
                if ((copies + 1u) * length > kRunWorkingBytes || produced > room) break;
                std::memcpy(out, in + 1, length);
                repeatPattern(out, length, produced, room - produced >= kBlock);
                in += 1u + length;
                count += produced;
                continue;
            }
            default: {
                uint32_t available = left;
                produced = (control & 0x1Fu) + 1u;
                if ((control & 0x20u) != 0) {
                    if (left < 1u) break;
                    produced = (control & 0x1Fu) * 256u + in[0] + 33u;
                    ++in;
                    --available;
                }
                if (available < produced || produced > kRunWorkingBytes || produced > room) break;
                if (room - produced >= kBlock && available - produced >= kBlock) {
                    copyBlocks(out, in, produced);
                } else {
                    std::memcpy(out, in, produced);
                }
                in += produced;
                count += produced;
                continue;
            }
        }
        d.damaged = true;
        break;
    }
    return count;
}

bool decodeLayerTile(TileDecoder& d, const uint8_t* coded, uint32_t codedLength, uint8_t* tile) {
    const uint32_t length = std::min(codedLength, maxCodedBytes(kRunStreamBytes));
    const uint32_t runBytes = huffmanDecode(d, coded, length, d.runs, kRunStreamBytes);
    if (d.damaged) return false;
    return rleDecode(d, d.runs, runBytes, tile, kTileBytes) == kTileBytes && !d.damaged;
}

uint32_t huffmanDecode(const uint8_t* source, uint32_t sourceLength, uint8_t* destination, uint32_t capacity) {
    return huffmanDecode(moduleDecoder, source, sourceLength, destination, capacity);
}

uint32_t rleDecode(const uint8_t* source, uint32_t sourceLength, uint8_t* destination, uint32_t capacity) {
    return rleDecode(moduleDecoder, source, sourceLength, destination, capacity);
}

bool lastDecodeDamaged() { return moduleDecoder.damaged; }

}  // namespace imagery
