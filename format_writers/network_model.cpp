#include "network_model.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace writers {

int32_t NetworkModel::addNode(double latitude, double longitude) {
    ModelNode node;
    node.id = static_cast<int32_t>(nodes.size()) + 1;
    node.latitude = static_cast<float>(latitude);
    node.longitude = static_cast<float>(longitude);
    nodes.push_back(node);
    return static_cast<int32_t>(nodes.size()) - 1;
}

int32_t NetworkModel::addLink(int32_t from, int32_t to, uint8_t roadClass, float lengthKm,
                              float storedMinutes, const ShapePoints& points) {
    ShapePoints shape = points;
    if (shape.empty()) {
        shape.push_back({nodes[from].longitude, nodes[from].latitude});
        shape.push_back({nodes[to].longitude, nodes[to].latitude});
    }
    shapes.push_back(shape);
    ModelLink link;
    link.id = static_cast<int32_t>(links.size()) + 1;
    link.from = from;
    link.to = to;
    link.roadClass = roadClass;
    link.lengthKm = lengthKm;
    link.storedMinutes = storedMinutes;
    link.shape = static_cast<int32_t>(shapes.size()) - 1;
    links.push_back(link);
    return static_cast<int32_t>(links.size()) - 1;
}

void NetworkModel::addRoad(int32_t a, int32_t b, uint8_t roadClass, bool oneWay,
                           const ShapePoints& bends, float storedMinutes) {
    ShapePoints shape;
    shape.push_back({nodes[a].longitude, nodes[a].latitude});
    shape.insert(shape.end(), bends.begin(), bends.end());
    shape.push_back({nodes[b].longitude, nodes[b].latitude});
    const float km = polylineKm(shape);
    shapes.push_back(shape);
    const int32_t shapeIndex = static_cast<int32_t>(shapes.size()) - 1;
    for (int direction = 0; direction < (oneWay ? 1 : 2); ++direction) {
        ModelLink link;
        link.id = static_cast<int32_t>(links.size()) + 1;
        link.from = direction == 0 ? a : b;
        link.to = direction == 0 ? b : a;
        link.roadClass = roadClass;
        link.lengthKm = km;
        link.storedMinutes = storedMinutes;
        link.shape = shapeIndex;
        links.push_back(link);
    }
}

float polylineKm(const ShapePoints& points) {
    constexpr double kRadius = 6366.707019493715;
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    double total = 0.0;
    for (size_t i = 1; i < points.size(); ++i) {
        const double lat1 = points[i - 1][1] * kRad;
        const double lat2 = points[i][1] * kRad;
        const double dLat = lat2 - lat1;
        const double dLon = (points[i][0] - points[i - 1][0]) * kRad;
        const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                         std::cos(lat1) * std::cos(lat2) * std::sin(dLon / 2) * std::sin(dLon / 2);
        total += 2.0 * kRadius * std::asin(std::min(1.0, std::sqrt(h)));
    }
    return static_cast<float>(total);
}

NetworkModel makeGridCity(const GridCityOptions& options) {
    NetworkModel model;
    std::mt19937 random(options.seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int rows = options.rows;
    const int cols = options.columns;
    std::vector<int32_t> index(static_cast<size_t>(rows) * cols);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            // A little jitter keeps distances from tying everywhere.
            const double jitterLat = (unit(random) - 0.5) * options.spacingDegrees * 0.2;
            const double jitterLon = (unit(random) - 0.5) * options.spacingDegrees * 0.2;
            index[static_cast<size_t>(r) * cols + c] =
                model.addNode(options.northLatitude - r * options.spacingDegrees + jitterLat,
                              options.westLongitude + c * options.spacingDegrees + jitterLon);
        }
    }
    auto streetClass = [](int line) -> uint8_t {
        if (line % 10 == 0) return 2;
        if (line % 5 == 0) return 5;
        return line % 2 == 0 ? 8 : 9;
    };
    auto at = [&](int r, int c) { return index[static_cast<size_t>(r) * cols + c]; };
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            if (c + 1 < cols && unit(random) >= options.missingRoadFraction) {
                const uint8_t cls = streetClass(r);
                // Every seventh street runs one way, alternating direction.
                const bool oneWay = cls >= 8 && r % 7 == 3;
                ShapePoints bends;
                if ((r + c) % 4 == 1) {
                    const auto& a = model.nodes[at(r, c)];
                    const auto& b = model.nodes[at(r, c + 1)];
                    bends.push_back({(a.longitude + b.longitude) / 2,
                                     (a.latitude + b.latitude) / 2 +
                                         static_cast<float>(options.spacingDegrees * 0.1)});
                }
                if (oneWay && (r / 7) % 2 == 1) {
                    model.addRoad(at(r, c + 1), at(r, c), cls, true, ShapePoints(bends.rbegin(), bends.rend()));
                } else {
                    model.addRoad(at(r, c), at(r, c + 1), cls, oneWay, bends);
                }
            }
            if (r + 1 < rows && unit(random) >= options.missingRoadFraction) {
                const uint8_t cls = streetClass(c);
                const bool oneWay = cls >= 8 && c % 7 == 3;
                model.addRoad(at(r, c), at(r + 1, c), cls, oneWay);
            }
        }
    }
    if (options.withSpecialClasses && rows > 4 && cols > 4) {
        // A ferry with a stored crossing time, and one link each of the
        // other special classes.
        model.addRoad(at(1, 1), at(rows - 2, cols - 2), 20, false, {}, 12.0f);
        model.addRoad(at(2, 1), at(2, 3), 21, false);
        model.addRoad(at(3, 1), at(3, 3), 22, false);
        model.addRoad(at(1, 2), at(3, 2), 23, true);
    }
    return model;
}

RoadnetFile toRoadnetFile(const NetworkModel& model, std::vector<int32_t>* nodeIndex) {
    const size_t count = model.nodes.size();
    std::vector<int32_t> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        return model.nodes[a].latitude > model.nodes[b].latitude;
    });
    std::vector<int32_t> fileIndex(count);
    for (size_t k = 0; k < count; ++k) fileIndex[order[k]] = static_cast<int32_t>(k) + 1;

    std::vector<std::vector<int32_t>> outgoing(count);
    for (size_t j = 0; j < model.links.size(); ++j) outgoing[model.links[j].from].push_back(static_cast<int32_t>(j));

    RoadnetFile file;
    file.nodes.resize(count + 1);
    file.links.resize(1);
    for (size_t k = 0; k < count; ++k) {
        const int32_t m = order[k];
        RoadnetNode& node = file.nodes[k + 1];
        node.latitude = model.nodes[m].latitude;
        node.longitude = model.nodes[m].longitude;
        node.firstLink = static_cast<int32_t>(file.links.size());
        node.degree = static_cast<uint8_t>(std::min<size_t>(outgoing[m].size(), 255));
        for (size_t i = 0; i < node.degree; ++i) {
            const ModelLink& link = model.links[outgoing[m][i]];
            RoadnetLink out;
            out.target = fileIndex[link.to];
            out.roadClass = link.roadClass;
            out.lengthKm = link.lengthKm;
            out.minutes = link.storedMinutes;
            file.links.push_back(out);
        }
    }
    file.bands = buildBandTable(file.nodes);
    if (nodeIndex != nullptr) *nodeIndex = fileIndex;
    return file;
}

}  // namespace writers
