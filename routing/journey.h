// Two-point routes and stop ordering over the whole road network.
#ifndef OSTRIM_JOURNEY_H
#define OSTRIM_JOURNEY_H

#include <cstdint>

namespace routing {

// Kilometres and minutes of the route in the route arrays (a route from
// generateJRoute); minutes at the road-class speeds. Both 0 when there is
// no such route.
void sumRouteDistanceTime(double* km, double* minutes);

// Minutes between two stops that cannot be reached from one another within
// the search window.
constexpr float kNoPathMinutes = 3200000.0f;

// Visiting order of n stops (n >= 3) from an n x n matrix of minutes, row i
// holding the times from stop i: the first stop stays first and the last
// last, the others are inserted one at a time where they save most.
// visitOrder[k] receives the 0-based index of the stop visited at
// position k.
void orderStopsByInsertion(int32_t n, const float* minutes, int32_t* visitOrder);

// Bounding box of nodes' coordinates.
struct NodeBox {
    float minLat = 99999.0f;
    float maxLat = -99999.0f;
    float minLon = 99999.0f;
    float maxLon = -99999.0f;
    void add(int32_t node);
};

// Loads "roadnet.dat" unless the whole network is what is loaded; false
// when it is not there.
bool ensureWholeNetwork();

}  // namespace routing

#endif
