// The network window: the 0.01-degree cells around the route points, read
// from the cell index "roadnet.it" and the cell blocks "roadnet.nl" into the
// road network arrays, with the cells' global ids turned into local indexes.
//
// Index 0 of the window's nodes and of its links is a placeholder that no
// cell fills, as in the whole network: predecessor 0 ends every path and
// link 0 closes every leg, so the first real node and link are index 1.
#ifndef OSTRIM_NETWORK_WINDOW_H
#define OSTRIM_NETWORK_WINDOW_H

#include <cstdint>

#include "data_file.h"
#include "point_snapping.h"

namespace routing {

constexpr int32_t kCellGridSize = 4501;
constexpr int32_t kFirstWindowNode = 1;
constexpr int32_t kFirstWindowLink = 1;

struct NetworkCellRecord {
    int32_t blockOffset;
    int32_t nodeCount;  // 0 or less: an empty cell
    int32_t linkCount;
};
static_assert(sizeof(NetworkCellRecord) == 12, "12-byte records in \"roadnet.it\"");

// Loop rows and columns of the cells a window reads; the ends are
// exclusive. Loop row i stands for record row i - 1.
struct CellRange {
    int32_t rowMin;
    int32_t rowMax;
    int32_t colMin;
    int32_t colMax;
};
CellRange windowCellRange(float margin, float minLon, float maxLon, float minLat, float maxLat);

// Replaces the road network by the window around the box widened by the
// margin; networkLoaded tells whether it holds a node. With both window
// files missing nothing in memory changes and networkLoaded is 0.
void loadNetworkWindow(float margin, float minLon, float maxLon, float minLat, float maxLat);

// Whether the window takes the cell of loop row `row`: every cell for
// routes of other than two points, else only cells with a corner in the
// two points' grid box widened by widthMetres.
bool cellNearCorridor(int32_t row, int32_t column, float widthMetres);

// The same test with the route points put on the grid once, for a window
// that asks it of every cell.
class CellCorridor {
public:
    explicit CellCorridor(float widthMetres);
    bool takes(int32_t row, int32_t column) const;

private:
    bool everyCell_ = true;
    int tolerance_ = 0;
    GridPosition a_{0.0, 0.0, 0};
    GridPosition b_{0.0, 0.0, 0};
};

// Appends one cell's nodes and links as its record and block give them. A
// cell whose counts or block do not fit "roadnet.nl" (blockFileLength
// bytes) or cannot be read whole adds nothing.
void loadNetworkCell(platform::DataFile& blockFile, int64_t blockFileLength,
                     const NetworkCellRecord& record);

struct IdPair {
    int32_t key;
    int32_t value;
};
// Sorts pairs[lo .. hi] by key (signed); equal keys keep no order.
void sortPairsByKey(IdPair* pairs, int32_t lo, int32_t hi);
// The value paired with key in the sorted pairs[0 .. hi], or -1.
int32_t findPairByKey(int32_t key, const IdPair* pairs, int32_t hi);

}  // namespace routing

#endif
