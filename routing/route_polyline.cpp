#include "route_polyline.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "OstrimMapDll.h"
#include "coordinates.h"
#include "export_guard.h"
#include "network_window.h"
#include "point_snapping.h"
#include "road_network.h"
#include "route_arrays.h"
#include "route_points.h"
#include "routing_settings.h"

namespace routing {

namespace {

constexpr int kFootToleranceMetres = 50;
// Pairs beyond the shapes' points: the first point, its foot, the last
// point's foot and the last point, with room to spare.
constexpr int64_t kPairsBesideShapes = 6;

bool inRange(int32_t value, int32_t first, int32_t end) { return value >= first && value < end; }

// Only a route found over the window still in memory can be drawn: its
// nodes and links index that window, and both end points carry the links
// they were snapped to.
bool windowRouteDrawable() {
    if (!routeReadable() || routeKind != RouteKind::Window) return false;
    if (nodeGlobalId == nullptr || linkShapeIndex == nullptr || nodeLatitude == nullptr ||
        nodeLongitude == nullptr) {
        return false;
    }
    if (routePointCount < 1 || routePointLink == nullptr || routePointLatitude == nullptr ||
        routePointLongitude == nullptr) {
        return false;
    }
    if (!inRange(routePointLink[0], kFirstWindowLink, linkCount) ||
        !inRange(routePointLink[routePointCount - 1], kFirstWindowLink, linkCount)) {
        return false;
    }
    for (int32_t j = 0; j <= lastRouteEntry; ++j) {
        if (!inRange(routeNode[j], 0, nodeCount) || !inRange(routeLink[j], 0, linkCount)) return false;
    }
    return true;
}

// The links drawn, in order: the first point's snapped link, the links of
// route entries middleBegin .. middleEnd - 1, the last point's snapped link.
struct RoutePlan {
    int32_t firstLink = 0;
    int32_t middleBegin = 0;
    int32_t middleEnd = 0;
    int32_t lastLink = 0;

    template <typename Visit>
    void forEachMiddleLink(Visit visit) const {
        for (int32_t j = middleBegin; j < middleEnd; ++j) {
            // Entries that close inner legs lead nowhere and draw nothing.
            if (routeLink[j] != 0) visit(routeLink[j]);
        }
    }
};

RoutePlan planRoute() {
    RoutePlan plan;
    plan.firstLink = routePointLink[0];
    plan.lastLink = routePointLink[routePointCount - 1];
    // A route link on the road piece an end point lies on is drawn with
    // that end point's link, not again.
    plan.middleBegin = linkShapeIndex[routeLink[0]] == linkShapeIndex[plan.firstLink] ? 1 : 0;
    plan.middleEnd = lastRouteEntry;
    if (lastRouteEntry >= 1 && linkShapeIndex[routeLink[lastRouteEntry - 1]] == linkShapeIndex[plan.lastLink]) {
        plan.middleEnd = lastRouteEntry - 1;
    }
    return plan;
}

int64_t pairBound(LinkShapeFiles& shapes, const RoutePlan& plan) {
    int64_t bound = kPairsBesideShapes;
    auto add = [&](int32_t link) {
        const int32_t count = shapes.pointCount(linkShapeIndex[link]);
        if (count < 1 || bound < 0) {
            bound = -1;
        } else {
            bound += count;
        }
    };
    add(plan.firstLink);
    plan.forEachMiddleLink(add);
    add(plan.lastLink);
    return bound;
}

bool atNode(const ShapePoint& point, int32_t node) {
    return nearEqual(point.latitude, nodeLatitude[node]) && nearEqual(point.longitude, nodeLongitude[node]);
}

// Foot of (lat, lon) on the nearest segment within the tolerance (of
// equal distances the earlier segment), else the nearest shape point.
ShapePoint footOnShape(const ShapePoints& shape, float lat, float lon) {
    float best = 99999.0f;
    bool found = false;
    ShapePoint foot{0.0f, 0.0f};
    for (size_t i = 0; i + 1 < shape.size(); ++i) {
        float footLat = 0.0f;
        float footLon = 0.0f;
        const double d = projectOntoSegment(lat, lon, shape[i].latitude, shape[i].longitude, shape[i + 1].latitude,
                                            shape[i + 1].longitude, kFootToleranceMetres, &footLat, &footLon);
        if (d > -1.0 && d < static_cast<double>(best)) {
            best = static_cast<float>(d);
            found = true;
            foot = ShapePoint{footLon, footLat};
        }
    }
    if (!found) findNearestVertex(shape.data(), static_cast<int32_t>(shape.size()), lon, lat, &foot);
    return foot;
}

// Shape point nearest to the foot by great-circle distance; the first of
// equals.
size_t nearestVertexTo(const ShapePoints& shape, const ShapePoint& foot) {
    double best = 9999999.0;
    size_t nearest = 0;
    for (size_t k = 0; k < shape.size(); ++k) {
        const double d = greatCircleDistance(foot.latitude, foot.longitude, shape[k].latitude, shape[k].longitude);
        if (d < best) {
            best = d;
            nearest = k;
        }
    }
    return nearest;
}

void reverseShape(ShapePoints* shape) { reversePairs(shape->data(), static_cast<int32_t>(shape->size())); }

// The pairs in travel order; a flag negates the latitude of the pair that
// ends a stretch. `previous` is the true position of the last pair.
class Polyline {
public:
    void write(const ShapePoint& point) {
        pairs_.push_back(point);
        previous_ = point;
    }
    void flag() { pairs_.back().latitude = -pairs_.back().latitude; }
    const ShapePoint& previous() const { return previous_; }
    const ShapePoints& pairs() const { return pairs_; }

private:
    ShapePoints pairs_;
    ShapePoint previous_{0.0f, 0.0f};
};

// The first point's road piece, turned to run toward the route, from the
// first point's foot on.
void drawFirstLink(Polyline& line, ShapePoints& shape) {
    const float lat = routePointLatitude[0];
    const float lon = routePointLongitude[0];
    const ShapePoint foot = footOnShape(shape, lat, lon);
    const int32_t n0 = routeNode[0];
    // A route of one closing entry has no second node.
    const bool hasSecond = lastRouteEntry >= 1;
    const int32_t n1 = hasSecond ? routeNode[1] : -1;
    bool reverse = false;
    if (hasSecond && atNode(shape.front(), n1)) {
        reverse = true;
    } else if (atNode(shape.front(), n0) && hasSecond && atNode(shape.back(), n1)) {
        reverse = false;
    } else {
        reverse = atNode(shape.front(), n0);
    }
    if (reverse) reverseShape(&shape);
    const size_t nearest = nearestVertexTo(shape, foot);
    line.write(foot);
    for (size_t v = nearest + 1; v < shape.size(); ++v) line.write(shape[v]);
    line.flag();
}

// A middle road piece, leaving out its end nearer the pair before it (on
// a tie its last point).
void drawMiddleLink(Polyline& line, const ShapePoints& shape) {
    const ShapePoint& previous = line.previous();
    const size_t count = shape.size();
    if (closerToFirst(previous.latitude, previous.longitude, shape.front().latitude, shape.front().longitude,
                      shape.back().latitude, shape.back().longitude)) {
        for (size_t v = 1; v < count; ++v) line.write(shape[v]);
    } else {
        for (size_t v = count - 1; v-- > 0;) line.write(shape[v]);
    }
    if (count >= 2) line.flag();
}

// The last point's road piece up to its foot, then the last point.
void drawLastLink(Polyline& line, ShapePoints& shape) {
    const int32_t last = routePointCount - 1;
    const float lat = routePointLatitude[last];
    const float lon = routePointLongitude[last];
    const ShapePoint& previous = line.previous();
    if (!(nearEqual(shape.front().latitude, previous.latitude) &&
          nearEqual(shape.front().longitude, previous.longitude))) {
        reverseShape(&shape);
    }
    const ShapePoint foot = footOnShape(shape, lat, lon);
    const size_t nearest = nearestVertexTo(shape, foot);
    for (size_t v = 0; v < nearest; ++v) line.write(shape[v]);
    if (nearest >= 1) line.flag();
    line.write(foot);
    line.write(ShapePoint{lon, lat});
    line.flag();
}

// Draws the polyline; *shapePoints receives the points of the shapes
// drawn, from which count mode forms its bound.
bool drawRoute(LinkShapeFiles& shapes, const RoutePlan& plan, Polyline& line, int64_t* shapePoints) {
    ShapePoints shape;
    *shapePoints = 0;
    auto read = [&](int32_t link) {
        if (!shapes.readShape(linkShapeIndex[link], &shape)) return false;
        *shapePoints += static_cast<int64_t>(shape.size());
        return true;
    };
    line.write(ShapePoint{routePointLongitude[0], routePointLatitude[0]});
    if (!read(plan.firstLink)) return false;
    drawFirstLink(line, shape);
    bool whole = true;
    plan.forEachMiddleLink([&](int32_t link) {
        whole = whole && read(link);
        if (whole) drawMiddleLink(line, shape);
    });
    if (!whole || !read(plan.lastLink)) return false;
    drawLastLink(line, shape);
    return true;
}

// The last count-mode result and the route it was given for. The caller
// sized its buffer by it: fill mode never writes more, even when the shape
// files changed in between (rewritten, or another folder set).
struct CountedPairs {
    uint32_t routeSerial = 0;
    int32_t bound = -1;
    bool counted = false;
};
CountedPairs lastCount;

}  // namespace

void reversePairs(ShapePoint* pairs, int32_t count) {
    if (pairs == nullptr || count <= 0) return;
    std::reverse(pairs, pairs + count);
}

bool closerToFirst(float px, float py, float ax, float ay, float bx, float by) {
    const double pax = static_cast<double>(px) - ax;
    const double pay = static_cast<double>(py) - ay;
    const double pbx = static_cast<double>(px) - bx;
    const double pby = static_cast<double>(py) - by;
    return pax * pax + pay * pay < pbx * pbx + pby * pby;
}

namespace {

constexpr int64_t kRoomUncounted = -1;

// Count mode (out null): the bound, or -1 when there is nothing to draw.
// Fill mode: the pairs written, at most `room`, or -1 with nothing written
// when they do not fit or there is nothing to draw.
int32_t countOrFill(float* out, int64_t room) {
    if (!platform::DataFile::exists(dataPath + wxS("link.ind")) || !windowRouteDrawable()) return -1;
    platform::DataFile indexFile;
    platform::DataFile pointFile;
    LinkShapeFiles shapes(indexFile, pointFile);
    if (!shapes.open()) return -1;
    const RoutePlan plan = planRoute();
    if (out == nullptr) {
        const int64_t bound = pairBound(shapes, plan);
        return bound <= std::numeric_limits<int32_t>::max() ? static_cast<int32_t>(bound) : -1;
    }
    Polyline line;
    int64_t shapePoints = 0;
    if (!drawRoute(shapes, plan, line, &shapePoints)) return -1;
    const ShapePoints& pairs = line.pairs();
    // A caller that did not count this route can only have sized out by
    // the shapes as they are now.
    if (room == kRoomUncounted) room = shapePoints + kPairsBesideShapes;
    if (static_cast<int64_t>(pairs.size()) > room) return -1;
    std::memcpy(out, pairs.data(), pairs.size() * sizeof(ShapePoint));
    return static_cast<int32_t>(pairs.size());
}

}  // namespace

int32_t routeVectors(bool countOnly, float* out) {
    if (countOnly) {
        lastCount = CountedPairs{routeSerial, countOrFill(nullptr, 0), true};
        return lastCount.bound;
    }
    if (out == nullptr) return -1;
    const bool counted = lastCount.counted && lastCount.routeSerial == routeSerial;
    if (counted && lastCount.bound < 0) return -1;
    return countOrFill(out, counted ? lastCount.bound : kRoomUncounted);
}

}  // namespace routing

OSTRIM_EXPORT int OSTRIM_CALL getRouteVectors(unsigned char countOnly, float* out) {
    return platform::guardExport(-1, [&] { return routing::routeVectors(countOnly != 0, out); });
}
