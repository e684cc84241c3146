// "link.ind" and "link.dat": the shapes of the links. "link.ind" holds one
// 8-byte record (first point, point count) per shape; "link.dat" the
// points as (longitude, latitude) float pairs, shape after shape.
#ifndef OSTRIM_LINK_SHAPE_WRITER_H
#define OSTRIM_LINK_SHAPE_WRITER_H

#include <cstdint>
#include <string>

#include "network_model.h"

namespace writers {

// Where the model's shapes are placed: shape s gets record recordBase + s;
// its points start at pointBase plus the points of the shapes before it.
// Records and points before the bases are holes that read as zeros.
struct ShapeFileLayout {
    int32_t recordBase = 0;
    int32_t pointBase = 0;
};

bool writeLinkShapes(const std::string& folder, const NetworkModel& model,
                     const ShapeFileLayout& layout = {});

// Every road-network file of the model in one folder: "roadnet.dat",
// "roadnet.it", "roadnet.nl", "link.ind" and "link.dat".
bool writeNetworkFiles(const std::string& folder, const NetworkModel& model);

}  // namespace writers

#endif
