// Two-point routes and stop ordering over the whole road network.
#ifndef OSTRIM_JOURNEY_H
#define OSTRIM_JOURNEY_H

#include <cstdint>

namespace routing {

// Kilometres and minutes of the route in the route arrays (a route from
// generateJRoute); minutes at the road-class speeds. Both 0 when there is
// no such route.
void sumRouteDistanceTime(double* km, double* minutes);

// Visiting order of n stops (n >= 3) from an n x n matrix of minutes, row i
// holding the times from stop i: the first stop stays first and the last
// last, the others are inserted one at a time where they save most.
// visitOrder[k] receives the 0-based index of the stop visited at
// position k.
void orderStopsByInsertion(int32_t n, const float* minutes, int32_t* visitOrder);

// Loads "roadnet.dat" unless the whole network is what is loaded; false
// when it is not there.
bool ensureWholeNetwork();

}  // namespace routing

#endif
