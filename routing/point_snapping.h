// Between loading a network window and searching it: the window's link
// costs, and the attachment of every route point to one window link and
// one window node. Also the small geometric helpers that the window loader
// and the route polyline share.
#ifndef OSTRIM_POINT_SNAPPING_H
#define OSTRIM_POINT_SNAPPING_H

#include <cstdint>

#include "link_shapes.h"

namespace routing {

// Cost of a link that leaves the window or ends at the blocked point: high
// but finite, so a route still takes it when there is no other way.
constexpr float kPricedOutCost = 99999.0f;
// A link whose cost is exactly this is never a snapping candidate.
constexpr float kNeverSnappedCost = 9999999.0f;

// Replaces every window link length (metres) by its cost (metres per
// km/h) under the current route method, and lays the links out for the
// search with those costs. Once per loaded window.
void setWindowLinkCosts(float blockLat, float blockLon);

// Writes the snapped node and link of route point pointIndex (-1 and -1
// when no window link lies near it). Opens and closes the shape files.
void snapPointToNetwork(int32_t pointIndex);

// Distance in metres from the point to the line through A and B, measured
// on the grid, or -1.0 when the point lies outside the segment's grid box
// widened by toleranceMetres or A and B are one grid position. The foot of
// the perpendicular is written only when a distance is returned.
double projectOntoSegment(float lat, float lon, float aLat, float aLon, float bLat, float bLon,
                          int toleranceMetres, float* footLat, float* footLon);

// A position on the grid of its own zone, without the datum shift.
struct GridPosition {
    double easting;
    double northing;
    int zone;
};
GridPosition toGridPosition(float lat, float lon);

// projectOntoSegment on positions already on the grid; the foot is written
// only when both out-values are given.
double projectOntoGridSegment(const GridPosition& point, const GridPosition& a, const GridPosition& b,
                              int toleranceMetres, float* footLat, float* footLon);

// Smallest planar distance in degrees from (lon, lat) to a point of the
// shape, that point copied to *nearest; 9999999.0 (nothing written) when
// count is 0 or less.
double findNearestVertex(const ShapePoint* points, int32_t count, float lon, float lat,
                         ShapePoint* nearest);

// Equal within 0.0003 degree.
bool nearEqual(float a, float b);

}  // namespace routing

#endif
