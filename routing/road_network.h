// The road network in memory, one heap array per field, filled either whole
// from "roadnet.dat" or as a window of cells; the latitude band table of the
// whole network; the link costing and the links laid out for the search.
#ifndef OSTRIM_ROAD_NETWORK_H
#define OSTRIM_ROAD_NETWORK_H

#include <cstdint>

#include "search_network.h"

namespace routing {

// Node columns (nodeCount entries).
extern float* nodeLatitude;
extern float* nodeLongitude;
extern int32_t* nodeFirstLink;
extern uint8_t* nodeDegree;
extern int32_t* nodeGlobalId;  // window only

// Link columns (linkCount entries).
extern int32_t* linkTarget;
extern uint8_t* linkClass;
extern float* linkLength;
extern float* linkCost;        // whole network only
extern int32_t* linkShapeIndex;  // window only
extern int32_t* linkCellId;      // window only

extern int32_t nodeCount;
extern int32_t linkCount;
extern unsigned char networkLoaded;

constexpr int kBandKeys = 500;
constexpr int kBandTableSize = 1000;
// Entries 0..499 are band keys north to south, 500..999 the first node of
// each band. Null until a whole-network load.
extern int32_t* latitudeBandTable;

// Loads dataPath + "roadnet.dat". On a missing or malformed file
// networkLoaded is 0 and the arrays in memory are left as they were.
void loadRoadNetwork();
unsigned char isNetworkLoaded();

// True when the arrays hold the whole network (not a window).
bool wholeNetworkLoaded();

struct BandWindow {
    int32_t first;
    int32_t end;  // exclusive; empty when first >= end
    bool empty() const { return first >= end; }
};
BandWindow findBandWindow(float south, float north);

// Nearest node of the whole network by great-circle distance, or -1;
// *km receives its distance (999999.0 when none).
int32_t findNearestNode(float lat, float lon, float* km);

// Bounding box of nodes' coordinates.
struct NodeBox {
    float minLat = 99999.0f;
    float maxLat = -99999.0f;
    float minLon = 99999.0f;
    float maxLon = -99999.0f;
    void add(int32_t node);
};

// Costs the whole network's links from the speed table, then lays them
// out for the search.
void computeLinkCosts();
// Lays out every link's target and cost (from `cost`, a link column) side
// by side for the search, making the links that must not be driven
// harmless. Runs once per costing, after it.
void layOutSearchLinks(const float* cost);
// The network as the search reads it: the travel time column and the first
// of parallel links on the whole network, the window cost that replaced
// the link lengths and the cheapest of parallel links on a window. Not
// usable unless the links were laid out from that column.
SearchNetwork wholeNetworkSearch();
SearchNetwork windowSearch();

void allocateNodeArrays(int32_t n);
void allocateLinkArrays(int32_t m);
void allocateBandTable();
// Grow the window's node (link) columns by n (m) entries, keeping their
// contents; false, with nothing counted, when memory runs out.
bool growWindowNodeArrays(int32_t n);
bool growWindowLinkArrays(int32_t m);
void freeRoadNetwork();

}  // namespace routing

#endif
