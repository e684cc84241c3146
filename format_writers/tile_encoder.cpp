#include "tile_encoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <queue>
#include <tuple>

namespace writers {

void BitWriter::bits(uint32_t value, uint32_t count) {
    for (uint32_t i = count; i-- > 0;) {
        if (bitCount_ % 8 == 0) bytes_.push_back(0);
        if (((value >> i) & 1u) != 0) bytes_.back() |= static_cast<uint8_t>(0x80u >> (bitCount_ % 8));
        ++bitCount_;
    }
}

void BitWriter::bitText(const std::string& text) {
    for (char c : text) {
        if (c == '0' || c == '1') bits(c == '1' ? 1u : 0u, 1);
    }
}

namespace {

constexpr int kSymbols = 257;
constexpr int kEnd = 256;
// Working space of one run-length operation in the decoder.
constexpr size_t kWorkingBytes = 5000;

// Codes as the bits in the order they are sent.
using Code = std::vector<bool>;

std::array<Code, kSymbols> optimalCodes(const std::array<uint64_t, kSymbols>& weights,
                                        const std::vector<int>& symbols) {
    std::array<Code, kSymbols> codes{};
    if (symbols.size() == 1) {
        codes[symbols[0]] = Code{false};
        return codes;
    }
    // Tree nodes: leaves first, then inner nodes with their two children.
    struct Node {
        int symbol;
        int zero;
        int one;
    };
    std::vector<Node> nodes;
    using Item = std::tuple<uint64_t, int>;  // weight, node; ties go to the older node
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> queue;
    for (int symbol : symbols) {
        queue.emplace(weights[symbol], static_cast<int>(nodes.size()));
        nodes.push_back({symbol, -1, -1});
    }
    while (queue.size() > 1) {
        const auto [w0, n0] = queue.top();
        queue.pop();
        const auto [w1, n1] = queue.top();
        queue.pop();
        queue.emplace(w0 + w1, static_cast<int>(nodes.size()));
        nodes.push_back({-1, n0, n1});
    }
    std::vector<std::pair<int, Code>> pending{{std::get<1>(queue.top()), Code{}}};
    while (!pending.empty()) {
        auto [index, prefix] = pending.back();
        pending.pop_back();
        const Node& node = nodes[index];
        if (node.symbol >= 0) {
            codes[node.symbol] = prefix;
            continue;
        }
        Code zero = prefix;
        zero.push_back(false);
        Code one = prefix;
        one.push_back(true);
        pending.emplace_back(node.zero, zero);
        pending.emplace_back(node.one, one);
    }
    return codes;
}

std::array<Code, kSymbols> skewedCodes(const std::array<uint64_t, kSymbols>& weights,
                                       std::vector<int> symbols) {
    std::stable_sort(symbols.begin(), symbols.end(),
                     [&](int a, int b) { return weights[a] > weights[b]; });
    std::array<Code, kSymbols> codes{};
    for (size_t rank = 0; rank < symbols.size(); ++rank) {
        Code code(rank, true);
        if (rank + 1 < symbols.size() || symbols.size() == 1) code.push_back(false);
        codes[symbols[rank]] = code;
    }
    return codes;
}

void writeCode(BitWriter& out, const Code& code) {
    for (bool bit : code) out.bits(bit ? 1u : 0u, 1);
}

}  // namespace

std::vector<uint8_t> huffmanEncode(const std::vector<uint8_t>& data, const HuffmanEncodeOptions& options) {
    std::array<uint64_t, kSymbols> weights{};
    std::array<bool, kSymbols> present{};
    for (uint8_t byte : data) {
        ++weights[byte];
        present[byte] = true;
    }
    for (uint8_t byte : options.extraSymbols) present[byte] = true;
    weights[kEnd] = 1;
    present[kEnd] = true;

    int listed = 0;
    for (int symbol = 0; symbol < 256; ++symbol) listed += present[symbol] ? 1 : 0;
    bool useList = false;
    switch (options.tableForm) {
        case HuffmanTableForm::shortest: useList = listed <= 31; break;
        case HuffmanTableForm::presenceBitmap: useList = false; break;
        case HuffmanTableForm::symbolList: useList = listed <= 32; break;
    }
    // The list names at least one byte value.
    if (useList && listed == 0) {
        present[0] = true;
        listed = 1;
    }

    std::vector<int> symbols;
    for (int symbol = 0; symbol < kSymbols; ++symbol) {
        if (present[symbol]) symbols.push_back(symbol);
    }
    std::array<Code, kSymbols> codes = options.codeShape == HuffmanCodeShape::skewed
                                           ? skewedCodes(weights, symbols)
                                           : optimalCodes(weights, symbols);
    const size_t minimum = std::clamp<uint32_t>(options.minimumCodeLength, 1, 256);
    for (int symbol : symbols) {
        if (codes[symbol].size() < minimum) codes[symbol].resize(minimum, false);
    }

    BitWriter out;
    out.bits(useList ? 0u : 1u, 1);
    if (useList) {
        out.bits(static_cast<uint32_t>(listed - 1), 5);
        for (int symbol = 0; symbol < 256; ++symbol) {
            if (present[symbol]) out.bits(static_cast<uint32_t>(symbol), 8);
        }
    } else {
        for (int symbol = 0; symbol < 256; ++symbol) out.bits(present[symbol] ? 1u : 0u, 1);
    }
    bool wideTurn = true;
    for (int symbol : symbols) {
        const uint32_t length = static_cast<uint32_t>(codes[symbol].size());
        bool wide = length > 32;
        if (options.lengthField == HuffmanLengthField::wide) wide = true;
        if (options.lengthField == HuffmanLengthField::alternate && !wide) {
            wide = wideTurn;
            wideTurn = !wideTurn;
        }
        out.bits(wide ? 1u : 0u, 1);
        out.bits(length - 1, wide ? 8 : 5);
        writeCode(out, codes[symbol]);
    }
    for (uint8_t byte : data) writeCode(out, codes[byte]);
    writeCode(out, codes[kEnd]);
    return out.bytes();
}

namespace {

void flushLiterals(std::vector<uint8_t>& out, const uint8_t* literals, size_t count) {
    while (count > 0) {
        size_t take = std::min(count, kWorkingBytes);
        if (take >= 33) {
            const size_t extra = take - 33;
            out.push_back(static_cast<uint8_t>(0xE0u | (extra >> 8)));
            out.push_back(static_cast<uint8_t>(extra & 0xFFu));
        } else {
            out.push_back(static_cast<uint8_t>(0xC0u | (take - 1)));
        }
        out.insert(out.end(), literals, literals + take);
        literals += take;
        count -= take;
    }
}

// The longest stretch from `at` that one pattern operation covers with a
// gain over literals: (length, copies), or copies 0.
std::pair<size_t, size_t> bestPattern(const std::vector<uint8_t>& data, size_t at) {
    std::pair<size_t, size_t> best{0, 0};
    size_t bestGain = 0;
    for (size_t length = 2; length <= 65 && at + 2 * length <= data.size(); ++length) {
        size_t copies = 1;
        while (copies < 257 && (copies + 2) * length <= kWorkingBytes &&
               at + (copies + 1) * length <= data.size() && data[at] == data[at + copies * length] &&
               std::memcmp(&data[at], &data[at + copies * length], length) == 0) {
            ++copies;
        }
        if (copies < 2) continue;
        const size_t covered = copies * length;
        const size_t cost = length + 2;
        if (covered > cost + 1 && covered - cost > bestGain) {
            bestGain = covered - cost;
            best = {length, copies};
        }
    }
    return best;
}

}  // namespace

std::vector<uint8_t> rleEncode(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    size_t literalStart = 0;
    size_t at = 0;
    while (at < data.size()) {
        size_t run = 1;
        while (run < kWorkingBytes && at + run < data.size() && data[at + run] == data[at]) ++run;
        if (run >= 2) {
            flushLiterals(out, &data[literalStart], at - literalStart);
            if (run <= 65) {
                out.push_back(static_cast<uint8_t>(run - 2));
            } else {
                const size_t extra = run - 66;
                out.push_back(static_cast<uint8_t>(0x40u | (extra >> 8)));
                out.push_back(static_cast<uint8_t>(extra & 0xFFu));
            }
            out.push_back(data[at]);
            at += run;
            literalStart = at;
            continue;
        }
        const auto [length, copies] = bestPattern(data, at);
        if (copies >= 2) {
            flushLiterals(out, &data[literalStart], at - literalStart);
            out.push_back(static_cast<uint8_t>(0x80u | (length - 2)));
            out.push_back(static_cast<uint8_t>(copies - 2));
            out.insert(out.end(), &data[at], &data[at] + length);
            at += copies * length;
            literalStart = at;
            continue;
        }
        ++at;
    }
    if (at > literalStart) flushLiterals(out, &data[literalStart], at - literalStart);
    return out;
}

std::vector<uint8_t> encodeSheetTile(const std::vector<uint8_t>& tile4096) {
    return huffmanEncode(tile4096);
}

std::vector<uint8_t> encodeLayerTile(const std::vector<uint8_t>& tile4096) {
    return huffmanEncode(rleEncode(tile4096));
}

}  // namespace writers
