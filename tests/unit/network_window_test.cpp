#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <numeric>
#include <random>

#include "byte_writer.h"
#include "window_route_support.h"

using namespace routing;

namespace {

// One node at the middle of each cell of rows rowFirst..rowLast and
// columns colFirst..colLast (record rows and columns), no links.
writers::NetworkModel nodePerCell(int rowFirst, int rowLast, int colFirst, int colLast) {
    writers::NetworkModel model;
    for (int r = rowFirst; r <= rowLast; ++r) {
        for (int c = colFirst; c <= colLast; ++c) model.addNode(-10.005 - r * 0.01, 110.005 + c * 0.01);
    }
    return model;
}

std::vector<int32_t> loadedModelNodes() {
    std::vector<int32_t> nodes;
    for (int32_t k = kFirstWindowNode; k < nodeCount; ++k) nodes.push_back(nodeGlobalId[k] - 1);
    std::sort(nodes.begin(), nodes.end());
    return nodes;
}

}  // namespace

// ---- The files as written ---------------------------------------------

TEST(WindowFiles, IndexCoversTheWholeGridAndBlocksHoldTenColumns) {
    ScratchFolder folder;
    writers::NetworkModel model = straightRoad(-33.8555, 151.2055, 3, 0.01);
    ASSERT_TRUE(writers::writeNetworkFiles(folder.path(), model));
    EXPECT_EQ(std::filesystem::file_size(folder.file("roadnet.it")), 4501ull * 4501 * 12);
    EXPECT_EQ(writers::cellRecordOf(-33.8555f, 151.2055f), 2385 * 4501 + 4120);

    std::ifstream index(folder.file("roadnet.it"), std::ios::binary);
    auto record = [&](int64_t number) {
        std::array<int32_t, 3> fields{};
        index.seekg(number * 12);
        index.read(reinterpret_cast<char*>(fields.data()), 12);
        return fields;
    };
    // Offset, node count, link count; the middle cell's block follows the
    // first (one node, one link: 17 x 2 bytes).
    EXPECT_EQ(record(2385 * 4501 + 4120), (std::array<int32_t, 3>{0, 1, 1}));
    EXPECT_EQ(record(2385 * 4501 + 4121), (std::array<int32_t, 3>{34, 1, 2}));
    EXPECT_EQ(record(2385 * 4501 + 4119), (std::array<int32_t, 3>{0, 0, 0}));
    // Three cells of one node and 1 + 2 + 1 links.
    EXPECT_EQ(std::filesystem::file_size(folder.file("roadnet.nl")), 17u * (3 + 4));
}

// ---- Cell ranges ---------------------------------------------------------

TEST(WindowCellRange, OnePositionTakesSixColumnsAndSixLoopRows) {
    const CellRange range = windowCellRange(0.02f, 151.2055f, 151.2055f, -33.8555f, -33.8555f);
    // West edge 151.1855 lies in column 4118, east edge 151.2255 in 4122,
    // plus one east; north edge -33.8355 in record row 2383, plus one north
    // (loop row = record row + 1), down to the south edge's row 2387.
    EXPECT_EQ(range.colMin, 4118);
    EXPECT_EQ(range.colMax, 4124);
    EXPECT_EQ(range.rowMin, 2383);
    EXPECT_EQ(range.rowMax, 2389);
}

TEST(WindowCellRange, ClampsToTheGrid) {
    const CellRange range = windowCellRange(0.5f, 109.0f, 160.0f, -60.0f, -9.0f);
    EXPECT_EQ(range.colMin, 0);
    EXPECT_EQ(range.colMax, 4501);
    EXPECT_EQ(range.rowMin, 0);
    EXPECT_EQ(range.rowMax, 4501);
}

TEST(WindowCellRange, NonFiniteValuesGiveDefinedRanges) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const CellRange a = windowCellRange(nan, 151.0f, 151.0f, -33.0f, -33.0f);
    EXPECT_EQ(a.colMin, 0);
    EXPECT_EQ(a.colMax, 0);
    const CellRange b = windowCellRange(0.02f, -inf, inf, -33.0f, -33.0f);
    EXPECT_EQ(b.colMin, 0);
    EXPECT_EQ(b.colMax, 4501);
    const CellRange c = windowCellRange(0.02f, 1e30f, 1e30f, -1e30f, 1e30f);
    EXPECT_GE(c.colMin, c.colMax);
}

TEST_F(WindowRouteTest, RowNorthOfTheGridIsSkippedAndRecordRowZeroRead) {
    useNetwork(nodePerCell(0, 1, 2000, 2001));
    const CellRange range = windowCellRange(0.02f, 130.015f, 130.015f, -10.001f, -10.001f);
    EXPECT_EQ(range.rowMin, 0);
    loadNetworkWindow(0.02f, 130.015f, 130.015f, -10.001f, -10.001f);
    ASSERT_EQ(networkLoaded, 1);
    EXPECT_EQ(loadedModelNodes(), (std::vector<int32_t>{0, 1, 2, 3}));
}

// ---- Which cells a window takes -------------------------------------------

TEST_F(WindowRouteTest, TwoPointsTakeTheCorridorAndThreePointsEveryCellOfTheRange) {
    // Record rows 2382 (one north of the range's cell holding the widened
    // north edge) to 2388, columns 4114 to 4122.
    useNetwork(nodePerCell(2382, 2388, 4114, 4122));
    addPoint(-33.8550, 151.1550);
    addPoint(-33.8650, 151.1650);
    auto loadAroundPoints = [] {
        loadNetworkWindow(0.02f, 151.155f, 151.165f, -33.865f, -33.855f);
        return loadedModelNodes();
    };
    const std::vector<int32_t> corridor = loadAroundPoints();
    // The extra north row's corners lie north of the widened grid box.
    for (int32_t node : corridor) EXPECT_GE(node, 9) << node;
    EXPECT_FALSE(corridor.empty());

    addPoint(-33.8650, 151.1650);  // a third point: the same box
    const std::vector<int32_t> every = loadAroundPoints();
    const CellRange range = windowCellRange(0.02f, 151.155f, 151.165f, -33.865f, -33.855f);
    const int rows = std::min(range.rowMax - 1, 2389) - std::max(range.rowMin - 1, 2382);
    const int columns = std::min(range.colMax, 4123) - std::max(range.colMin, 4114);
    EXPECT_EQ(static_cast<int>(every.size()), rows * columns);
    EXPECT_EQ(every.front(), 0);  // the extra north row is read
    EXPECT_GT(every.size(), corridor.size());
}

TEST_F(WindowRouteTest, CorridorCornerTests) {
    addPoint(-33.8550, 151.1550);
    addPoint(-33.8650, 151.1650);
    const float width = 2000.0f;
    // Loop row i is the cell of record row i - 1: its south-west corner is
    // at -10 - i * 0.01. The cell of record row 2385, column 4115, holds
    // the first point.
    EXPECT_TRUE(cellNearCorridor(2386, 4115, width));
    // Five rows north: both corners about 3.5 km north of the box.
    EXPECT_FALSE(cellNearCorridor(2380, 4115, width));
    // Two points at one grid position: every cell of the range.
    routePointLatitude[1] = routePointLatitude[0];
    routePointLongitude[1] = routePointLongitude[0];
    EXPECT_TRUE(cellNearCorridor(2380, 4115, width));
    // Non-finite points make no corridor.
    routePointLatitude[1] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(cellNearCorridor(2386, 4115, width));
}

TEST_F(WindowRouteTest, TwoIdenticalPointsLoadTheCellsAroundThem) {
    useNetwork(nodePerCell(2384, 2386, 4119, 4121));
    addPoint(-33.8555, 151.2055);
    addPoint(-33.8555, 151.2055);
    loadNetworkWindow(0.02f, 151.2055f, 151.2055f, -33.8555f, -33.8555f);
    ASSERT_EQ(networkLoaded, 1);
    EXPECT_EQ(loadedModelNodes().size(), 9u);
}

// ---- Load order, ids and placeholders -------------------------------------

TEST_F(WindowRouteTest, LocalIndexesFollowRecordOrderBehindPlaceholders) {
    writers::NetworkModel model;
    const int32_t south = model.addNode(-33.8655, 151.2055);
    const int32_t north = model.addNode(-33.8555, 151.2155);
    const int32_t west = model.addNode(-33.8555, 151.2055);
    model.addRoad(south, north, 5, false);
    model.addRoad(west, north, 5, false);
    useNetwork(model);
    loadNetworkWindow(0.02f, 151.2055f, 151.2155f, -33.8655f, -33.8555f);
    ASSERT_EQ(networkLoaded, 1);
    ASSERT_EQ(nodeCount, 4);
    ASSERT_EQ(linkCount, 5);
    // Northern row first, west to east within it.
    EXPECT_EQ(nodeGlobalId[1], west + 1);
    EXPECT_EQ(nodeGlobalId[2], north + 1);
    EXPECT_EQ(nodeGlobalId[3], south + 1);
    // Index 0 is a node without links and a link that leads nowhere.
    EXPECT_EQ(nodeDegree[0], 0);
    EXPECT_EQ(linkTarget[0], -1);
    EXPECT_LT(linkLength[0], 0.0f);
    // The first link of the first cell is index 1, and cross-cell targets
    // resolve to local indexes.
    EXPECT_EQ(nodeFirstLink[1], 1);
    EXPECT_EQ(linkTarget[1], 2);
    EXPECT_EQ(nodeDegree[2], 2);
    EXPECT_EQ(linkTarget[nodeFirstLink[2]], 3);
    EXPECT_EQ(linkTarget[nodeFirstLink[2] + 1], 1);
    EXPECT_EQ(linkTarget[nodeFirstLink[3]], 2);
    EXPECT_NEAR(linkLength[1], 1000.0f * writers::polylineKm(model.shapes[1]), 1e-3);
}

TEST_F(WindowRouteTest, LinksToNodesOutsideTheWindowLeadNowhere) {
    writers::NetworkModel model = straightRoad(-33.8555, 151.2055, 2, 0.3);
    useNetwork(model);
    loadNetworkWindow(0.02f, 151.2055f, 151.2055f, -33.8555f, -33.8555f);
    ASSERT_EQ(networkLoaded, 1);
    ASSERT_EQ(nodeCount, 2);
    ASSERT_EQ(nodeDegree[1], 1);
    EXPECT_EQ(linkTarget[nodeFirstLink[1]], -1);
    EXPECT_EQ(linkLength[nodeFirstLink[1]], -1.0f);
}

TEST_F(WindowRouteTest, MissingFilesLeaveTheNetworkInMemoryAlone) {
    useNetwork(straightRoad(-33.8555, 151.2055, 3, 0.004));
    loadNetworkWindow(0.02f, 151.2055f, 151.2135f, -33.8555f, -33.8555f);
    ASSERT_EQ(nodeCount, 4);
    float* columnBefore = nodeLatitude;
    std::filesystem::remove(folder.file("roadnet.nl"));
    loadNetworkWindow(0.02f, 151.2055f, 151.2135f, -33.8555f, -33.8555f);
    EXPECT_EQ(networkLoaded, 0);
    EXPECT_EQ(nodeCount, 4);
    EXPECT_EQ(nodeLatitude, columnBefore);
}

TEST_F(WindowRouteTest, AWindowWithoutNodesIsNotLoaded) {
    useNetwork(straightRoad(-33.8555, 151.2055, 3, 0.004));
    loadNetworkWindow(0.02f, 140.0f, 140.0f, -20.0f, -20.0f);
    EXPECT_EQ(networkLoaded, 0);
    EXPECT_EQ(nodeCount, 0);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    loadNetworkWindow(nan, nan, nan, nan, nan);
    EXPECT_EQ(networkLoaded, 0);
    loadNetworkWindow(0.02f, -1e30f, 1e30f, -1e30f, 1e30f);
    EXPECT_EQ(networkLoaded, 1);  // the whole grid, within bounds
}

// ---- Damaged cells ----------------------------------------------------------

class DamagedCellTest : public WindowRouteTest {
protected:
    // Two cells side by side: west holds nodes 0 and 1, east node 2.
    void SetUp() override {
        model.addNode(-33.8555, 151.2052);
        model.addNode(-33.8556, 151.2058);
        model.addNode(-33.8555, 151.2155);
        model.addRoad(0, 1, 5, false);
        model.addRoad(1, 2, 5, false);
        files = writers::toWindowFiles(model);
        ASSERT_EQ(files.cells.size(), 2u);
    }

    void write() {
        ASSERT_TRUE(writers::writeWindowFiles(folder.path(), files));
        ASSERT_TRUE(writers::writeLinkShapes(folder.path(), model));
        setPath(folder.path().c_str());
    }

    void setEastRecord(int64_t offset, int32_t nodes, int32_t links) {
        ASSERT_TRUE(writers::writeCellRecord(folder.path(), files.cells[1].record, static_cast<int32_t>(offset),
                                             nodes, links));
    }

    std::vector<int32_t> load() {
        loadNetworkWindow(0.02f, 151.2052f, 151.2155f, -33.8556f, -33.8555f);
        return loadedModelNodes();
    }

    int64_t eastOffset() const { return 17 * int64_t(files.cells[0].nodeIds.size() + files.cells[0].linkIds.size()); }

    writers::NetworkModel model;
    writers::WindowFiles files;
};

TEST_F(DamagedCellTest, IntactCellsLoadWhole) {
    write();
    EXPECT_EQ(load(), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(linkCount, 5);
}

TEST_F(DamagedCellTest, BadCountsOrBlocksSkipTheCellWhole) {
    write();
    const std::vector<int32_t> westOnly{0, 1};
    struct Case {
        int64_t offset;
        int32_t nodes;
        int32_t links;
    };
    const int64_t east = eastOffset();
    const Case cases[] = {
        {east, -5, 1},                    // negative node count: an empty cell
        {east, 1, -1},                    // negative link count
        {east, INT32_MAX, 1},             // more nodes than the file holds
        {east, 1, INT32_MAX},             // more links than the file holds
        {east + 17, 1, 1},                // block runs past the end
        {-17, 1, 1},                      // negative offset
        {INT32_MAX, 1, 1},                // far past the end
    };
    for (const Case& c : cases) {
        setEastRecord(c.offset, c.nodes, c.links);
        EXPECT_EQ(load(), westOnly) << c.offset << " " << c.nodes << " " << c.links;
        EXPECT_EQ(linkCount, 4);  // placeholder and the west cell's three
    }
}

TEST_F(DamagedCellTest, TruncatedFilesSkipWhatIsCut) {
    write();
    std::filesystem::resize_file(folder.file("roadnet.nl"), static_cast<uintmax_t>(eastOffset() + 5));
    EXPECT_EQ(load(), (std::vector<int32_t>{0, 1}));
    // An index that ends inside the east cell's record.
    write();
    std::filesystem::resize_file(folder.file("roadnet.it"), static_cast<uintmax_t>(files.cells[1].record * 12 + 8));
    EXPECT_EQ(load(), (std::vector<int32_t>{0, 1}));
}

TEST_F(DamagedCellTest, NodesWhoseLinksAreNotThereHaveNone) {
    files.cells[0].firstLinkIds[0] = 999999;   // no such link, degree 1
    files.cells[1].degrees[0] = 200;           // past the link table
    write();
    ASSERT_EQ(load(), (std::vector<int32_t>{0, 1, 2}));
    const int32_t first = windowNodeOf(0);
    const int32_t last = windowNodeOf(2);
    EXPECT_EQ(nodeFirstLink[first], -1);
    EXPECT_EQ(nodeDegree[first], 0);
    EXPECT_EQ(nodeDegree[last], 0);
    EXPECT_EQ(nodeDegree[windowNodeOf(1)], 2);
    // The search runs over such nodes without leaving the tables.
    setWindowLinkCosts(0.0f, 0.0f);
    prepareOpenSearchLabels(routingSearch);
    EXPECT_TRUE(searchFromNode(windowSearch(), routingSearch, windowNodeOf(1)));
}

// ---- Pairs of (id, index) ---------------------------------------------------

TEST(IdPairs, EmptyAndSingleTables) {
    sortPairsByKey(nullptr, 0, -1);
    EXPECT_EQ(findPairByKey(5, nullptr, -1), -1);
    IdPair one[] = {{7, 3}};
    sortPairsByKey(one, 0, 0);
    EXPECT_EQ(findPairByKey(7, one, 0), 3);
    EXPECT_EQ(findPairByKey(6, one, 0), -1);
    EXPECT_EQ(findPairByKey(8, one, 0), -1);
}

TEST(IdPairs, SignedOrderAndAbsentKeys) {
    std::vector<IdPair> pairs;
    for (int32_t key = -500; key <= 500; key += 2) pairs.push_back({key, key * 3});
    std::mt19937 random(7);
    std::shuffle(pairs.begin(), pairs.end(), random);
    pairs.push_back({INT32_MIN, 1});
    pairs.push_back({INT32_MAX, 2});
    const int32_t hi = static_cast<int32_t>(pairs.size()) - 1;
    sortPairsByKey(pairs.data(), 0, hi);
    EXPECT_TRUE(std::is_sorted(pairs.begin(), pairs.end(),
                               [](const IdPair& a, const IdPair& b) { return a.key < b.key; }));
    for (int32_t key = -500; key <= 500; key += 2) EXPECT_EQ(findPairByKey(key, pairs.data(), hi), key * 3);
    for (int32_t key = -501; key <= 501; key += 2) EXPECT_EQ(findPairByKey(key, pairs.data(), hi), -1);
    EXPECT_EQ(findPairByKey(INT32_MIN, pairs.data(), hi), 1);
    EXPECT_EQ(findPairByKey(INT32_MAX, pairs.data(), hi), 2);
    EXPECT_EQ(findPairByKey(INT32_MIN + 1, pairs.data(), hi), -1);
}

TEST(IdPairs, EveryKeyOfATableAboveTwoToTheTwentyIsFound) {
    const int32_t count = (1 << 20) + 1;
    std::vector<IdPair> pairs(static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k) pairs[static_cast<size_t>(k)] = {3 * k - count, k};
    std::mt19937 random(11);
    std::shuffle(pairs.begin(), pairs.end(), random);
    sortPairsByKey(pairs.data(), 0, count - 1);
    int32_t missed = 0;
    for (int32_t k = 0; k < count; ++k) {
        if (findPairByKey(3 * k - count, pairs.data(), count - 1) != k) ++missed;
    }
    EXPECT_EQ(missed, 0);
    EXPECT_EQ(findPairByKey(1 - count, pairs.data(), count - 1), -1);
    EXPECT_EQ(findPairByKey(3 * count, pairs.data(), count - 1), -1);
}

TEST(IdPairs, EqualKeysAreSortedAndFound) {
    // A block of equal ids (a zero-filled cell, say) among distinct ones.
    const int32_t count = 1 << 20;
    std::vector<IdPair> pairs(static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k) pairs[static_cast<size_t>(k)] = {k % 4 == 0 ? k : 0, k};
    sortPairsByKey(pairs.data(), 0, count - 1);
    EXPECT_TRUE(std::is_sorted(pairs.begin(), pairs.end(),
                               [](const IdPair& a, const IdPair& b) { return a.key < b.key; }));
    const int32_t zero = findPairByKey(0, pairs.data(), count - 1);
    EXPECT_TRUE(zero == 0 || zero % 4 != 0) << zero;
    EXPECT_EQ(findPairByKey(4 * 1000, pairs.data(), count - 1), 4000);
    std::vector<IdPair> same(static_cast<size_t>(count), IdPair{9, 1});
    sortPairsByKey(same.data(), 0, count - 1);
    EXPECT_EQ(findPairByKey(9, same.data(), count - 1), 1);
}
