// First-in-first-out label-correcting search over the loaded network, path
// extraction, and the route arrays that the legs are appended to.
#ifndef OSTRIM_PATH_SEARCH_H
#define OSTRIM_PATH_SEARCH_H

#include <cstddef>
#include <cstdint>

namespace routing {

constexpr float kUnreachedLabel = 3200000.0f;
constexpr float kExcludedLabel = -1.0f;

// One entry per node, allocated with the node arrays.
extern float* searchLabel;
extern int32_t* searchPredecessor;
extern int32_t* searchQueue;

// Lists owned by the caller of a search.
extern int32_t* searchPoints;
extern float* targetCosts;
extern float* targetLengths;

// The lists of one search request, allocated together on the C heap and
// released (pointers cleared) when the request ends: `points` entries of
// searchPoints and `targets` entries each of targetCosts and targetLengths.
class SearchLists {
public:
    SearchLists(size_t points, size_t targets);
    ~SearchLists();
    SearchLists(const SearchLists&) = delete;
    SearchLists& operator=(const SearchLists&) = delete;
    bool allocated() const { return allocated_; }

private:
    bool allocated_ = false;
};

// The route: per entry a node and the link leaving it toward the next
// entry, link 0 closing a leg.
// Route arrays grow by this many entries at a time.
constexpr int32_t kRouteGrowth = 25;

extern int32_t* routeNode;
extern int32_t* routeLink;
extern int32_t routeCapacity;
extern int32_t lastRouteEntry;

// What the route arrays hold. A one-to-many search uses lastRouteEntry as
// a result counter, so only a kind other than None means there is a route
// to read.
enum class RouteKind { None, WholeNetwork, Window };
extern RouteKind routeKind;

// Changes whenever the route is dropped, so that what was learnt about one
// route (the pair bound of its polyline) is not applied to the next.
extern uint32_t routeSerial;

// No route: what every search does first, and what a network that is
// replaced or abandoned leaves behind.
void dropRoute();

// The two ways the network is searched: on the whole network the travel
// time column and the first of parallel links; on a window the cost that
// replaced the link lengths and the cheapest of parallel links.
struct SearchVariant {
    const float* cost;
    bool cheapestParallelLink;
};
SearchVariant wholeNetworkSearch();
SearchVariant windowSearch();

void prepareSearchLabels(float minLat, float maxLat, float minLon, float maxLon, double margin);
// Every node reachable, none excluded.
void prepareOpenSearchLabels();

// One run from source over the prepared labels; false when the ring queue
// overflows or the source is not a node.
bool searchFromNode(int32_t source, const SearchVariant& variant);
bool searchFromNode(int32_t source);

// Collects the predecessor chain of target into searchQueue from slot 4
// (target first, source last). Returns the chain length, or -1 when the
// target was not reached or the chain does not fit.
int32_t collectPathChain(int32_t target);
inline int32_t pathChainNode(int32_t i) { return searchQueue[4 + i]; }

// The link of a that leads to b under the variant's parallel-link rule,
// or -1 when there is none.
int32_t linkBetween(int32_t a, int32_t b, const SearchVariant& variant);

void allocateRouteArrays(int32_t capacity, unsigned char keep);
bool appendRouteEntry(int32_t node, int32_t link);
// Appends the found path to target, closed by (target, 0); false when the
// path cannot be extracted.
bool appendPathToRoute(int32_t target, const SearchVariant& variant);
bool routeReadable();

int32_t searchLegs(int32_t legs, float margin, float minLat, float maxLat, float minLon,
                   float maxLon);
int32_t searchOneToMany(int32_t pointCount);

// After a whole-network run: the summed travel time and length of the path
// to target, or false when it has none.
bool pathSums(int32_t target, float* minutes, float* km);

}  // namespace routing

#endif
