// The route: per entry a node and the link leaving it toward the next
// entry, link 0 closing a leg; legs follow one another.
#ifndef OSTRIM_ROUTE_ARRAYS_H
#define OSTRIM_ROUTE_ARRAYS_H

#include <cstdint>

namespace routing {

// Route arrays grow by this many entries at a time.
constexpr int32_t kRouteGrowth = 25;

extern int32_t* routeNode;
extern int32_t* routeLink;
extern int32_t routeCapacity;
extern int32_t lastRouteEntry;

// What the route arrays hold: only a kind other than None means there is
// a route to read.
enum class RouteKind { None, WholeNetwork, Window };
extern RouteKind routeKind;

// Changes whenever the route is dropped, so that what was learnt about one
// route (the pair bound of its polyline) is not applied to the next.
extern uint32_t routeSerial;

// No route: what every search does first, and what a network that is
// replaced or abandoned leaves behind.
void dropRoute();

void allocateRouteArrays(int32_t capacity, unsigned char keep);
// false when the arrays cannot grow to hold the entry.
bool appendRouteEntry(int32_t node, int32_t link);
bool routeReadable();
// No route arrays: what clearData leaves (lastRouteEntry aside).
void releaseRouteArrays();

}  // namespace routing

#endif
