// A road network described independently of any file layout: nodes with
// global ids, directed links with their road class, length, stored travel
// time and shape. Every road-network file is written from one model, so
// the whole-network file and the cell files describe the same roads.
#ifndef OSTRIM_NETWORK_MODEL_H
#define OSTRIM_NETWORK_MODEL_H

#include <array>
#include <cstdint>
#include <vector>

#include "roadnet_writer.h"

namespace writers {

struct ModelNode {
    int32_t id = 0;
    float latitude = 0.0f;
    float longitude = 0.0f;
};

struct ModelLink {
    int32_t id = 0;
    int32_t from = 0;  // index into nodes
    int32_t to = 0;
    uint8_t roadClass = 8;
    float lengthKm = 0.0f;
    float storedMinutes = 0.0f;
    int32_t shape = 0;  // index into shapes
};

// Points as (longitude, latitude). A shape may run against the direction
// of the links that use it.
using ShapePoints = std::vector<std::array<float, 2>>;

struct NetworkModel {
    std::vector<ModelNode> nodes;
    std::vector<ModelLink> links;
    std::vector<ShapePoints> shapes;

    int32_t addNode(double latitude, double longitude);
    // A road between two nodes: one link each way (or only from a to b when
    // oneWay), both on one shape drawn from a to b through the given bends.
    void addRoad(int32_t a, int32_t b, uint8_t roadClass, bool oneWay,
                 const ShapePoints& bends = {}, float storedMinutes = 0.0f);
    // A single directed link with its own shape (a straight segment unless
    // points are given).
    int32_t addLink(int32_t from, int32_t to, uint8_t roadClass, float lengthKm,
                    float storedMinutes = 0.0f, const ShapePoints& points = {});
};

// Kilometres along a polyline, by the haversine formula on a sphere of the
// library's earth radius.
float polylineKm(const ShapePoints& points);

struct GridCityOptions {
    int rows = 20;
    int columns = 20;
    double northLatitude = -33.80;
    double westLongitude = 151.10;
    double spacingDegrees = 0.002;
    uint32_t seed = 1;
    double missingRoadFraction = 0.05;  // streets left out at random
    bool withSpecialClasses = true;     // a few links of classes 20 to 23
};

// A city-like grid: arterials every tenth street, collectors every fifth,
// local streets between, some one-way streets, bends in some roads and
// streets left out at random.
NetworkModel makeGridCity(const GridCityOptions& options);

// "roadnet.dat" contents for the model: nodes sorted north first behind a
// dummy node 0, links grouped by source node behind a dummy link 0.
// nodeIndex, when given, receives the file index of each model node.
RoadnetFile toRoadnetFile(const NetworkModel& model, std::vector<int32_t>* nodeIndex = nullptr);

}  // namespace writers

#endif
