#include "point_snapping.h"

#include <algorithm>
#include <cmath>

#include "coordinates.h"
#include "network_window.h"
#include "road_network.h"
#include "route_points.h"
#include "routing_module.h"
#include "routing_settings.h"

namespace routing {

namespace {

constexpr int kSnapSlots = 10;
constexpr int kSnapToleranceMetres = 30;

double squaredPlanar(const ShapePoint& a, const ShapePoint& b) {
    const double dLon = static_cast<double>(a.longitude) - static_cast<double>(b.longitude);
    const double dLat = static_cast<double>(a.latitude) - static_cast<double>(b.latitude);
    return dLon * dLon + dLat * dLat;
}

bool isWindowLink(int32_t j) { return j >= 0 && j < linkCount; }

// The nearest window nodes by planar distance in degrees, nearest first; a
// node as near as one already listed goes behind it.
class NearestNodes {
public:
    NearestNodes() {
        std::fill(distance_, distance_ + kSnapSlots, 99999999.0);
        std::fill(node_, node_ + kSnapSlots, -1);
    }

    void collect(float lat, float lon) {
        // The bound follows the last node that passed it, so it may grow.
        double bound = 99999999.0;
        for (int32_t i = kFirstWindowNode; i < nodeCount; ++i) {
            const float dLat = static_cast<float>(static_cast<double>(lat) - nodeLatitude[i]);
            if (!(std::fabs(dLat) < bound)) continue;
            const float dLon = static_cast<float>(static_cast<double>(lon) - nodeLongitude[i]);
            if (!(std::fabs(dLon) < bound)) continue;
            const double d = std::sqrt(static_cast<double>(dLon) * dLon + static_cast<double>(dLat) * dLat);
            if (!(d < bound)) continue;
            bound = d + 0.01;
            insert(d, i);
        }
    }

    int32_t node(int slot) const { return node_[slot]; }

private:
    void insert(double d, int32_t i) {
        for (int k = 0; k < kSnapSlots; ++k) {
            if (distance_[k] > d) {
                for (int m = kSnapSlots - 1; m > k; --m) {
                    distance_[m] = distance_[m - 1];
                    node_[m] = node_[m - 1];
                }
                distance_[k] = d;
                node_[k] = i;
                return;
            }
        }
    }

    double distance_[kSnapSlots];
    int32_t node_[kSnapSlots];
};

// One snapping: the candidate links are the outgoing links of the nearest
// nodes, each with its shape.
class Snapping {
public:
    Snapping(int32_t pointIndex, LinkShapeFiles& shapes)
        : lat_(routePointLatitude[pointIndex]), lon_(routePointLongitude[pointIndex]), shapes_(shapes) {
        near_.collect(lat_, lon_);
    }

    void run() {
        // Of equal projection distances the later segment wins.
        forEachCandidate([this](int32_t from, int32_t j) {
            for (size_t v = 0; v + 1 < shape_.size(); ++v) {
                float footLat = 0.0f;
                float footLon = 0.0f;
                const double d = projectOntoSegment(lat_, lon_, shape_[v].latitude, shape_[v].longitude,
                                                    shape_[v + 1].latitude, shape_[v + 1].longitude,
                                                    kSnapToleranceMetres, &footLat, &footLon);
                if (d > -1.0 && d <= best_) take(d, from, j, ShapePoint{footLon, footLat});
            }
        });
        if (node_ != -1) return;
        // Of equal vertex distances the earlier link wins.
        forEachCandidate([this](int32_t from, int32_t j) {
            ShapePoint vertex{};
            const double d = findNearestVertex(shape_.data(), static_cast<int32_t>(shape_.size()), lon_,
                                               lat_, &vertex);
            if (d > -1.0 && d < best_) take(d, from, j, vertex);
        });
    }

    int32_t node() const { return node_; }
    int32_t link() const { return link_; }

private:
    template <typename Examine>
    void forEachCandidate(Examine examine) {
        for (int slot = 0; slot < kSnapSlots; ++slot) {
            const int32_t from = near_.node(slot);
            if (from == -1) continue;
            const int32_t first = nodeFirstLink[from];
            for (int32_t j = first; j < first + nodeDegree[from]; ++j) {
                if (!isWindowLink(j) || linkLength[j] == kNeverSnappedCost) continue;
                // A link without a readable shape is no candidate.
                if (!shapes_.readShape(linkShapeIndex[j], &shape_)) continue;
                examine(from, j);
            }
        }
    }

    // The snapped node is the link's end that the shape's last point
    // stands for when the position is nearer that point, else its target.
    void take(double d, int32_t from, int32_t j, const ShapePoint& at) {
        best_ = d;
        link_ = j;
        node_ = squaredPlanar(at, shape_.back()) <= squaredPlanar(at, shape_.front()) ? from : linkTarget[j];
    }

    const float lat_;
    const float lon_;
    LinkShapeFiles& shapes_;
    NearestNodes near_;
    ShapePoints shape_;
    double best_ = 100000000.0;
    int32_t node_ = -1;
    int32_t link_ = -1;
};

// Cost of link j, by the first rule that matches.
float windowLinkCost(int32_t j, float blockLat, float blockLon) {
    const float length = linkLength[j];
    if (length < 0.0f) return kPricedOutCost;
    const int32_t target = linkTarget[j];
    if (target < 0 || target >= nodeCount) return kPricedOutCost;
    if (nearEqual(nodeLatitude[target], blockLat) && nearEqual(nodeLongitude[target], blockLon)) {
        return kPricedOutCost;
    }
    auto per = [length](float speed) {
        return static_cast<float>(static_cast<double>(length) / static_cast<double>(speed));
    };
    const uint8_t cls = linkClass[j];
    if (cls < kRoadClasses) return per(currentSpeeds[cls]);
    switch (cls) {
        case 20: return 0.0f;
        case 21: return per(currentSpeeds[4]);
        case 22: return per(currentSpeeds[1]);
        case 23: return per(currentSpeeds[9]);
        default: return length;
    }
}

}  // namespace

bool nearEqual(float a, float b) {
    return a == b || std::fabs(static_cast<double>(a) - static_cast<double>(b)) < 0.0003;
}

void setWindowLinkCosts(float blockLat, float blockLon) {
    selectCurrentSpeeds();
    if (linkLength == nullptr || linkTarget == nullptr || linkClass == nullptr) return;
    for (int32_t j = 0; j < linkCount; ++j) linkLength[j] = windowLinkCost(j, blockLat, blockLon);
    layOutSearchLinks(linkLength);
}

void snapPointToNetwork(int32_t pointIndex) {
    if (pointIndex < 0 || pointIndex >= routePointCount || routePointNode == nullptr ||
        routePointLink == nullptr || routePointLatitude == nullptr || routePointLongitude == nullptr) {
        return;
    }
    // Without a window there is nothing to snap to; a point keeps no link
    // from an earlier window either way.
    int32_t node = -1;
    int32_t link = -1;
    if (nodeCount > kFirstWindowNode && nodeFirstLink != nullptr && nodeDegree != nullptr &&
        linkShapeIndex != nullptr && linkLength != nullptr && linkTarget != nullptr) {
        LinkShapeFiles shapes(linkIndexFile, linkDataFile);
        Snapping snapping(pointIndex, shapes);
        if (shapes.open()) snapping.run();
        node = snapping.node();
        link = snapping.link();
    }
    routePointNode[pointIndex] = node;
    routePointLink[pointIndex] = link;
}

GridPosition toGridPosition(float lat, float lon) {
    GridPosition position{0.0, 0.0, 0};
    geographicToGrid(lat, lon, &position.easting, &position.northing, &position.zone, 0);
    return position;
}

double projectOntoGridSegment(const GridPosition& point, const GridPosition& a, const GridPosition& b,
                              int toleranceMetres, float* footLat, float* footLon) {
    const double e = point.easting;
    const double n = point.northing;
    const double ea = a.easting;
    const double na = a.northing;
    const double eb = b.easting;
    const double nb = b.northing;
    // Ends with one easting (both on a zone's central meridian, say) make
    // a vertical line, which has no slope.
    const bool vertical = ea == eb;
    if (vertical && na == nb) return -1.0;
    const double t = toleranceMetres;
    const bool inBox = e >= std::min(ea, eb) - t && e <= std::max(ea, eb) + t &&
                       n >= std::min(na, nb) - t && n <= std::max(na, nb) + t;
    if (!inBox) return -1.0;
    double footE = ea;
    double footN = n;
    double distance = std::fabs(e - ea);
    if (!vertical) {
        const double m = (na - nb) / (ea - eb);
        const double c = na - m * ea;
        footE = (e + m * (n - c)) / (m * m + 1.0);
        footN = m * footE + c;
        distance = std::fabs(n - m * e - c) / std::sqrt(m * m + 1.0);
    }
    if (footLat != nullptr && footLon != nullptr) {
        // Back through the zone of the segment's second end.
        double footLatitude = 0.0;
        double footLongitude = 0.0;
        gridToGeographic(footE, footN, &footLatitude, &footLongitude, b.zone, 0);
        *footLat = static_cast<float>(footLatitude);
        *footLon = static_cast<float>(footLongitude);
    }
    return distance;
}

double projectOntoSegment(float lat, float lon, float aLat, float aLon, float bLat, float bLon,
                          int toleranceMetres, float* footLat, float* footLon) {
    return projectOntoGridSegment(toGridPosition(lat, lon), toGridPosition(aLat, aLon), toGridPosition(bLat, bLon),
                                  toleranceMetres, footLat, footLon);
}

double findNearestVertex(const ShapePoint* points, int32_t count, float lon, float lat,
                         ShapePoint* nearest) {
    double best = 9999999.0;
    for (int32_t v = 0; v < count; ++v) {
        const double dLon = static_cast<double>(points[v].longitude) - static_cast<double>(lon);
        const double dLat = static_cast<double>(points[v].latitude) - static_cast<double>(lat);
        const double d = std::sqrt(dLon * dLon + dLat * dLat);
        if (d < best) {
            best = d;
            *nearest = points[v];
        }
    }
    return best;
}

}  // namespace routing
