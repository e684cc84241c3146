#include "network_window.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "coordinates.h"
#include "point_snapping.h"
#include "road_network.h"
#include "route_points.h"
#include "routing_module.h"
#include "routing_settings.h"
#include "search_state.h"
#include "truncate.h"

namespace routing {

namespace {

constexpr int64_t kBlockBytesPerEntry = 17;  // per node 4+4+4+4+1, per link 4+4+4+4+1

// Index 0 of both tables: a node without links, a link that leads nowhere.
bool appendPlaceholders() {
    if (!growWindowNodeArrays(1) || !growWindowLinkArrays(1)) return false;
    nodeGlobalId[0] = 0;
    nodeLatitude[0] = std::numeric_limits<float>::quiet_NaN();
    nodeLongitude[0] = std::numeric_limits<float>::quiet_NaN();
    nodeFirstLink[0] = -1;
    nodeDegree[0] = 0;
    linkCellId[0] = 0;
    linkTarget[0] = -1;
    linkLength[0] = -1.0f;
    linkShapeIndex[0] = -1;
    linkClass[0] = 0;
    return true;
}

// count records of one row from record firstRecord on; records that cannot be
// read in full count as empty cells.
std::vector<NetworkCellRecord> readCellRecords(platform::DataFile& indexFile, int64_t firstRecord,
                                               int32_t count) {
    std::vector<NetworkCellRecord> records(static_cast<size_t>(count), NetworkCellRecord{0, 0, 0});
    size_t whole = 0;
    if (indexFile.seek(firstRecord * static_cast<int64_t>(sizeof(NetworkCellRecord)))) {
        whole = indexFile.read(records.data(), records.size() * sizeof(NetworkCellRecord)) /
                sizeof(NetworkCellRecord);
    }
    std::fill(records.begin() + static_cast<std::ptrdiff_t>(whole), records.end(), NetworkCellRecord{0, 0, 0});
    return records;
}

// (id, local index) of entries first .. end - 1, sorted by id.
std::vector<IdPair> sortedIdTable(const int32_t* ids, int32_t first, int32_t end) {
    std::vector<IdPair> table;
    table.reserve(static_cast<size_t>(end - first));
    for (int32_t k = first; k < end; ++k) table.push_back(IdPair{ids[k], k});
    sortPairsByKey(table.data(), 0, static_cast<int32_t>(table.size()) - 1);
    return table;
}

void resolveLinkTargets() {
    const std::vector<IdPair> nodes = sortedIdTable(nodeGlobalId, kFirstWindowNode, nodeCount);
    const int32_t last = static_cast<int32_t>(nodes.size()) - 1;
    for (int32_t j = kFirstWindowLink; j < linkCount; ++j) {
        const int32_t target = findPairByKey(linkTarget[j], nodes.data(), last);
        if (target == -1) linkLength[j] = -1.0f;
        linkTarget[j] = target;
    }
}

// A node whose first link is not in the window, or whose links would run
// past the link table, is given no links.
void resolveFirstLinks() {
    const std::vector<IdPair> links = sortedIdTable(linkCellId, kFirstWindowLink, linkCount);
    const int32_t last = static_cast<int32_t>(links.size()) - 1;
    for (int32_t k = kFirstWindowNode; k < nodeCount; ++k) {
        const int32_t first = findPairByKey(nodeFirstLink[k], links.data(), last);
        nodeFirstLink[k] = first;
        if (first < 0 || int64_t{first} + nodeDegree[k] > linkCount) nodeDegree[k] = 0;
    }
}

void sortPairRange(IdPair* pairs, int32_t lo, int32_t hi, int depthBudget) {
    while (lo < hi) {
        // Data with many equal ids would drive the partition to one pair per
        // pass; past the depth of a fair sort the rest is sorted otherwise.
        if (depthBudget-- == 0) {
            std::sort(pairs + lo, pairs + hi + 1,
                      [](const IdPair& a, const IdPair& b) { return a.key < b.key; });
            return;
        }
        const int32_t middle = lo + (hi - lo + 1) / 2;
        const IdPair pivot = pairs[middle];
        pairs[middle] = pairs[lo];
        int32_t up = lo;
        int32_t down = hi;
        while (up < down) {
            while (up < down && pairs[down].key >= pivot.key) --down;
            pairs[up] = pairs[down];
            while (up < down && pairs[up].key < pivot.key) ++up;
            pairs[down] = pairs[up];
        }
        pairs[up] = pivot;
        // The smaller side by recursion keeps the stack shallow.
        if (up - lo < hi - up) {
            sortPairRange(pairs, lo, up - 1, depthBudget);
            lo = up + 1;
        } else {
            sortPairRange(pairs, up + 1, hi, depthBudget);
            hi = up - 1;
        }
    }
}

float scaledStep(int32_t count) {
    return static_cast<float>(static_cast<double>(count) * static_cast<double>(0.01f));
}

float offsetBy(float base, float step) {
    return static_cast<float>(static_cast<double>(base) + static_cast<double>(step));
}

}  // namespace

void sortPairsByKey(IdPair* pairs, int32_t lo, int32_t hi) {
    if (pairs == nullptr || lo >= hi) return;
    int depthBudget = 16;
    for (int64_t n = int64_t{hi} - lo + 1; n > 1; n >>= 1) depthBudget += 2;
    sortPairRange(pairs, lo, hi, depthBudget);
}

int32_t findPairByKey(int32_t key, const IdPair* pairs, int32_t hi) {
    if (pairs == nullptr || hi < 0) return -1;
    if (pairs[hi].key == key) return pairs[hi].value;
    int32_t lo = 0;
    // Probes until the range stops shrinking, however large the table.
    for (;;) {
        const int32_t middle = static_cast<int32_t>((int64_t{lo} + hi) / 2);
        const int32_t probe = pairs[middle].key;
        if (probe == key) return pairs[middle].value;
        const int32_t oldLo = lo;
        const int32_t oldHi = hi;
        if (key > probe) {
            lo = middle;
        } else {
            hi = middle;
        }
        if (lo == oldLo && hi == oldHi) return -1;
    }
}

CellRange windowCellRange(float margin, float minLon, float maxLon, float minLat, float maxLat) {
    const double m = margin;
    CellRange range{};
    range.colMin = std::max(0, platform::truncToInt32((minLon - m - 110.0) * 100.0));
    range.colMax = std::min(kCellGridSize, platform::truncToInt32((m + maxLon - 110.0) * 100.0 + 2.0));
    range.rowMin = std::max(0, platform::truncToInt32((-10.0 - maxLat - m) * 100.0));
    range.rowMax = std::min(kCellGridSize, platform::truncToInt32((m - (minLat + 10.0)) * 100.0 + 2.0));
    return range;
}

CellCorridor::CellCorridor(float widthMetres) {
    if (routePointCount != 2 || routePointLatitude == nullptr || routePointLongitude == nullptr) return;
    a_ = toGridPosition(routePointLatitude[0], routePointLongitude[0]);
    b_ = toGridPosition(routePointLatitude[1], routePointLongitude[1]);
    // Two points at one grid position make no segment for a corner to lie
    // near; the window is then the cells around the point.
    everyCell_ = a_.easting == b_.easting && a_.northing == b_.northing;
    tolerance_ = platform::truncToInt32(widthMetres);
}

bool CellCorridor::takes(int32_t row, int32_t column) const {
    if (everyCell_) return true;
    const float rowStep = scaledStep(row);
    const float columnStep = scaledStep(column);
    const GridPosition southWest = toGridPosition(offsetBy(-10.0f, -rowStep), offsetBy(110.0f, columnStep));
    if (projectOntoGridSegment(southWest, a_, b_, tolerance_, nullptr, nullptr) > -1.0) return true;
    const GridPosition northEast = toGridPosition(offsetBy(-9.99f, -rowStep), offsetBy(110.01f, columnStep));
    return projectOntoGridSegment(northEast, a_, b_, tolerance_, nullptr, nullptr) > -1.0;
}

bool cellNearCorridor(int32_t row, int32_t column, float widthMetres) {
    return CellCorridor(widthMetres).takes(row, column);
}

void loadNetworkCell(platform::DataFile& blockFile, int64_t blockFileLength,
                     const NetworkCellRecord& record) {
    const int32_t n = record.nodeCount;
    const int32_t m = record.linkCount;
    if (n <= 0) return;
    if (m < 0 || record.blockOffset < 0) return;
    if (record.blockOffset + kBlockBytesPerEntry * (int64_t{n} + m) > blockFileLength) return;
    const int32_t oldNodes = nodeCount;
    const int32_t oldLinks = linkCount;
    if (!growWindowNodeArrays(n)) return;
    if (!growWindowLinkArrays(m)) {
        nodeCount = oldNodes;
        return;
    }
    const size_t nn = static_cast<size_t>(n);
    const size_t mm = static_cast<size_t>(m);
    const bool whole =
        blockFile.readAt(record.blockOffset, nodeGlobalId + oldNodes, 4 * nn) &&
        blockFile.readExact(nodeLatitude + oldNodes, 4 * nn) &&
        blockFile.readExact(nodeLongitude + oldNodes, 4 * nn) &&
        blockFile.readExact(nodeFirstLink + oldNodes, 4 * nn) &&
        blockFile.readExact(nodeDegree + oldNodes, nn) &&
        blockFile.readExact(linkCellId + oldLinks, 4 * mm) &&
        blockFile.readExact(linkTarget + oldLinks, 4 * mm) &&
        blockFile.readExact(linkLength + oldLinks, 4 * mm) &&
        blockFile.readExact(linkShapeIndex + oldLinks, 4 * mm) &&
        blockFile.readExact(linkClass + oldLinks, mm);
    if (!whole) {
        nodeCount = oldNodes;
        linkCount = oldLinks;
    }
}

void loadNetworkWindow(float margin, float minLon, float maxLon, float minLat, float maxLat) {
    const wxString indexPath = dataPath + wxS("roadnet.it");
    const wxString blockPath = dataPath + wxS("roadnet.nl");
    if (!platform::DataFile::exists(indexPath) || !platform::DataFile::exists(blockPath)) {
        networkLoaded = 0;
        return;
    }
    const CellRange range = windowCellRange(margin, minLon, maxLon, minLat, maxLat);
    freeRoadNetwork();
    networkLoaded = 0;
    cellIndexFile.open(indexPath);
    cellDataFile.open(blockPath);
    const int64_t blockFileLength = cellDataFile.length();

    // The corridor of a two-point route is the margin measured in metres
    // along the meridian of the first point.
    float widthMetres = 0.0f;
    if (routePointCount == 2 && routePointLatitude != nullptr && routePointLongitude != nullptr) {
        const float lat0 = routePointLatitude[0];
        const float lon0 = routePointLongitude[0];
        widthMetres = static_cast<float>(
            greatCircleDistance(lat0, lon0, static_cast<double>(lat0) + margin, lon0) * 1000.0);
    }

    const CellCorridor corridor(widthMetres);
    if (appendPlaceholders() && range.colMin < range.colMax) {
        // Loop row 0 lies north of the grid.
        for (int32_t i = std::max(range.rowMin, 1); i < range.rowMax; ++i) {
            const std::vector<NetworkCellRecord> row = readCellRecords(
                cellIndexFile, int64_t{i - 1} * kCellGridSize + range.colMin, range.colMax - range.colMin);
            for (int32_t j = range.colMin; j < range.colMax; ++j) {
                if (corridor.takes(i, j)) {
                    loadNetworkCell(cellDataFile, blockFileLength, row[static_cast<size_t>(j - range.colMin)]);
                }
            }
        }
    }
    cellIndexFile.close();
    cellDataFile.close();
    if (nodeCount <= kFirstWindowNode) {
        freeRoadNetwork();
        return;
    }
    networkLoaded = 1;
    allocateSearchArrays();
    resolveLinkTargets();
    resolveFirstLinks();
}

}  // namespace routing
