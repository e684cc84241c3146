// The polyline of a window route: from the first added point onto the
// road it was snapped to, along the shapes of the route's links, and off
// the road to the last added point.
#ifndef OSTRIM_ROUTE_POLYLINE_H
#define OSTRIM_ROUTE_POLYLINE_H

#include <cstdint>

#include "link_shapes.h"

namespace routing {

// Reverses the order of count pairs in place; nothing for count <= 0.
void reversePairs(ShapePoint* pairs, int32_t count);

// Whether p lies strictly nearer a than b by planar distance.
bool closerToFirst(float px, float py, float ax, float ay, float bx, float by);

// Count mode: an upper bound of the pairs that fill mode writes. Fill
// mode: the pairs written to out, never more than the last count-mode
// result for this route. -1, with nothing written, when there is no window
// route, a shape on it cannot be read or the polyline no longer fits.
int32_t routeVectors(bool countOnly, float* out);

}  // namespace routing

#endif
