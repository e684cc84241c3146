// The road network in memory, one heap array per field, filled either whole
// from "roadnet.dat" or as a window of cells; the latitude band table of the
// whole network; the speed table and the link costing.
#ifndef OSTRIM_ROAD_NETWORK_H
#define OSTRIM_ROAD_NETWORK_H

#include <cstdint>

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

constexpr int kRoadClasses = 13;
extern float speedTable[kRoadClasses][2];
extern float currentSpeeds[kRoadClasses];

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

void computeLinkCosts();
void resetSpeedTable();
void setClassSpeeds(const float speeds[12]);

void allocateNodeArrays(int32_t n);
void allocateLinkArrays(int32_t m);
void allocateSearchArrays();
void freeRoadNetwork();

}  // namespace routing

#endif
