#include "roadnet_writer.h"

#include <algorithm>
#include <cmath>

#include "byte_writer.h"

namespace writers {

double bandKeyLatitude(int32_t key) {
    return static_cast<double>(key) * static_cast<double>(0.001f) - 32.0;
}

BandTable bandTableForKeys(const std::vector<RoadnetNode>& nodes, const std::vector<int32_t>& keys) {
    BandTable table{};
    const int32_t count = static_cast<int32_t>(nodes.size());
    for (int j = 0; j < 500; ++j) {
        const int32_t key = j < static_cast<int>(keys.size()) ? keys[j] : keys.back() - (j - static_cast<int>(keys.size()) + 1);
        table[j] = key;
        // First real node that is not north of the band's top.
        int32_t k = 1;
        while (k < count && static_cast<double>(nodes[k].latitude) > bandKeyLatitude(key)) ++k;
        table[500 + j] = std::min(k, count);
    }
    return table;
}

BandTable buildBandTable(const std::vector<RoadnetNode>& nodes) {
    double north = -90.0;
    double south = 90.0;
    for (size_t k = 1; k < nodes.size(); ++k) {
        north = std::max(north, static_cast<double>(nodes[k].latitude));
        south = std::min(south, static_cast<double>(nodes[k].latitude));
    }
    if (nodes.size() < 2) north = south = -33.0;
    const int32_t top = static_cast<int32_t>(std::ceil((north + 32.0) * 1000.0)) + 1;
    const int32_t bottom = static_cast<int32_t>(std::floor((south + 32.0) * 1000.0)) - 2;
    const int32_t step = std::max<int32_t>(1, (top - bottom + 498) / 499);
    std::vector<int32_t> keys(500);
    for (int j = 0; j < 500; ++j) keys[j] = top - j * step;
    return bandTableForKeys(nodes, keys);
}

std::vector<uint8_t> encodeRoadnet(const RoadnetFile& file) {
    ByteWriter out;
    out.i32(static_cast<int32_t>(file.nodes.size()) - 1);
    for (const auto& n : file.nodes) out.f32(n.latitude);
    for (const auto& n : file.nodes) out.f32(n.longitude);
    for (const auto& n : file.nodes) out.i32(n.firstLink);
    for (const auto& n : file.nodes) out.u8(n.degree);
    out.zeros(12 * file.nodes.size());
    out.i32(static_cast<int32_t>(file.links.size()) - 1);
    for (const auto& l : file.links) out.i32(l.target);
    for (const auto& l : file.links) out.u8(l.roadClass);
    for (const auto& l : file.links) out.f32(l.lengthKm);
    for (const auto& l : file.links) out.f32(l.minutes);
    out.zeros(12 * file.links.size());
    for (int32_t v : file.bands) out.i32(v);
    return std::move(out.bytes());
}

bool writeRoadnet(const std::string& folder, const RoadnetFile& file) {
    return writeFileBytes(folder + "roadnet.dat", encodeRoadnet(file));
}

}  // namespace writers
