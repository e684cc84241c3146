// "roadnet.dat": the whole road network, column by column, with the
// latitude band table at the end.
#ifndef OSTRIM_ROADNET_WRITER_H
#define OSTRIM_ROADNET_WRITER_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace writers {

struct RoadnetNode {
    float latitude = 0.0f;
    float longitude = 0.0f;
    int32_t firstLink = 0;
    uint8_t degree = 0;
};

struct RoadnetLink {
    int32_t target = 0;
    uint8_t roadClass = 0;
    float lengthKm = 0.0f;
    float minutes = 0.0f;  // below 1.0: computed from the speed table
};

using BandTable = std::array<int32_t, 1000>;

struct RoadnetFile {
    std::vector<RoadnetNode> nodes;  // node 0 is a dummy in well-formed data
    std::vector<RoadnetLink> links;  // link 0 likewise
    BandTable bands{};
};

// The latitude a band key stands for, formed as the library forms it.
double bandKeyLatitude(int32_t key);

// Band table for nodes sorted north first (entry 0 the dummy): 500 keys
// from just north of the first real node to south of the last, evenly
// spaced, each with the first node at or south of it.
BandTable buildBandTable(const std::vector<RoadnetNode>& nodes);
// The same with keys chosen by the caller (north to south).
BandTable bandTableForKeys(const std::vector<RoadnetNode>& nodes, const std::vector<int32_t>& keys);

std::vector<uint8_t> encodeRoadnet(const RoadnetFile& file);
// Writes folder + "roadnet.dat".
bool writeRoadnet(const std::string& folder, const RoadnetFile& file);

}  // namespace writers

#endif
