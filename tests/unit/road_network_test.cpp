#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "coordinates.h"
#include "path_search.h"
#include "road_fixture.h"
#include "routing_settings.h"
#include "search_state.h"

using namespace routing;

namespace {

// N = 2, M = 3 with a distinct value in every field, so a column read out
// of step shows up.
writers::RoadnetFile smallFile() {
    writers::RoadnetFile f;
    f.nodes = {{0.0f, 0.0f, 0, 0}, {-33.10f, 151.20f, 1, 2}, {-33.20f, 151.30f, 3, 1}};
    f.links = {{0, 0, 0.0f, 0.0f}, {2, 3, 1.5f, 2.5f}, {2, 7, -2.0f, 0.25f}, {1, 21, 3.0f, 0.5f}};
    f.bands = writers::buildBandTable(f.nodes);
    return f;
}

}  // namespace

using RoadnetFileFormat = WholeNetworkTest;

TEST_F(RoadnetFileFormat, ColumnsLoadInFileOrder) {
    const writers::RoadnetFile f = smallFile();
    EXPECT_EQ(writers::encodeRoadnet(f).size(), 4008u + 25 * 3 + 25 * 4);
    ASSERT_TRUE(load(f));
    ASSERT_EQ(nodeCount, 3);
    ASSERT_EQ(linkCount, 4);
    EXPECT_EQ(nodeLatitude[2], -33.20f);
    EXPECT_EQ(nodeLongitude[1], 151.20f);
    EXPECT_EQ(nodeFirstLink[2], 3);
    EXPECT_EQ(nodeDegree[1], 2);
    EXPECT_EQ(linkTarget[3], 1);
    EXPECT_EQ(linkClass[3], 21);
    EXPECT_EQ(linkLength[1], 1.5f);
    EXPECT_EQ(linkCost[1], 2.5f);
    EXPECT_EQ(std::memcmp(latitudeBandTable, f.bands.data(), 4000), 0);
    EXPECT_EQ(nodeGlobalId, nullptr);
    EXPECT_TRUE(wholeNetworkLoaded());
}

TEST_F(RoadnetFileFormat, LoadingTwiceGivesTheSameNetwork) {
    ASSERT_TRUE(load(smallFile()));
    const float cost = linkCost[2];
    loadRoadNetwork();
    EXPECT_EQ(networkLoaded, 1);
    EXPECT_EQ(nodeCount, 3);
    EXPECT_EQ(linkCount, 4);
    EXPECT_EQ(linkCost[2], cost);
}

TEST_F(RoadnetFileFormat, MissingFileKeepsTheNetworkInMemory) {
    ASSERT_TRUE(load(smallFile()));
    setPath((folder.path() + "elsewhere/").c_str());
    loadRoadNetwork();
    EXPECT_EQ(networkLoaded, 0);
    EXPECT_EQ(nodeCount, 3);
    EXPECT_EQ(nodeLatitude[1], -33.10f);
}

TEST_F(RoadnetFileFormat, ClearDataDropsTheNetwork) {
    ASSERT_TRUE(load(smallFile()));
    clearData();
    EXPECT_EQ(networkLoaded, 0);
    EXPECT_EQ(nodeCount, 0);
    EXPECT_EQ(nodeLatitude, nullptr);
    EXPECT_EQ(latitudeBandTable, nullptr);
    EXPECT_EQ(routingSearch.nodes, nullptr);
}

TEST_F(RoadnetFileFormat, TruncatedFilesDoNotLoad) {
    ASSERT_TRUE(load(smallFile()));
    const std::vector<uint8_t> whole = writers::encodeRoadnet(smallFile());
    for (size_t cut : {size_t{0}, size_t{3}, size_t{4}, size_t{20}, size_t{79}, size_t{83}, size_t{100},
                       whole.size() - 4000, whole.size() - 1}) {
        std::vector<uint8_t> bytes(whole.begin(), whole.begin() + cut);
        EXPECT_FALSE(loadBytes(bytes)) << cut;
        // What was loaded before is still whole.
        EXPECT_EQ(nodeCount, 3) << cut;
        EXPECT_EQ(linkTarget[1], 2) << cut;
    }
}

TEST_F(RoadnetFileFormat, AbsurdCountsDoNotLoad) {
    const std::vector<uint8_t> whole = writers::encodeRoadnet(smallFile());
    const size_t linkHeader = 4 + 25 * 3;
    for (int32_t bad : {-1, -2000000000, 2147483647, 1000000000, 200}) {
        std::vector<uint8_t> nodesBad = whole;
        std::memcpy(nodesBad.data(), &bad, 4);
        EXPECT_FALSE(loadBytes(nodesBad)) << bad;
        std::vector<uint8_t> linksBad = whole;
        std::memcpy(linksBad.data() + linkHeader, &bad, 4);
        EXPECT_FALSE(loadBytes(linksBad)) << bad;
        EXPECT_EQ(nodeCount, 0);
    }
}

TEST_F(RoadnetFileFormat, OutOfRangeEntriesAreMadeHarmless) {
    writers::RoadnetFile f = smallFile();
    f.links[1].target = 99;      // past the nodes
    f.links[2].target = -7;
    f.nodes[2].firstLink = 3;    // 3 + 2 runs past the four links
    f.nodes[2].degree = 2;
    f.bands[500] = -5;
    f.bands[501] = 1000;
    ASSERT_TRUE(load(f));
    EXPECT_EQ(linkTarget[1], -1);
    EXPECT_EQ(linkTarget[2], -1);
    EXPECT_EQ(nodeDegree[2], 0);
    EXPECT_EQ(latitudeBandTable[500], 0);
    EXPECT_EQ(latitudeBandTable[501], 3);
    // Searches over such a file stay inside the arrays.
    prepareOpenSearchLabels(routingSearch);
    EXPECT_TRUE(searchFromNode(wholeNetworkSearch(), routingSearch, 1));
    EXPECT_EQ(collectPathChain(wholeNetworkSearch(), routingSearch, 2), -1);
}

using LinkCosting = WholeNetworkTest;

TEST_F(LinkCosting, ComputedStoredAndSpecialClassTimes) {
    writers::RoadnetFile f = smallFile();
    f.links[1] = {2, 3, -10.0f, 0.5f};   // computed from class 3, length made positive
    f.links[2] = {2, 3, 10.0f, 1.0f};    // stored time of a minute or more stays
    f.links[3] = {1, 20, 4.0f, 0.5f};    // special classes keep whatever is stored
    setRouteMethod(0);
    ASSERT_TRUE(load(f));
    EXPECT_EQ(routeMethod, 1);
    EXPECT_EQ(linkLength[1], 10.0f);
    EXPECT_EQ(linkCost[1], static_cast<float>(10.0 * 60.0 / 72.0));
    EXPECT_EQ(linkCost[2], 1.0f);
    EXPECT_EQ(linkCost[3], 0.5f);
    EXPECT_EQ(currentSpeeds[3], 72.0f);
}

TEST_F(LinkCosting, UsesTheColumnOfTheRouteMethodAndTheCallersSpeeds) {
    writers::RoadnetFile f = smallFile();
    f.links[1] = {2, 12, 8.0f, 0.0f};
    ASSERT_TRUE(load(f));
    float speeds[12];
    for (int i = 0; i < 12; ++i) speeds[i] = 10.0f * (i + 1);
    setClassSpeeds(speeds);
    EXPECT_EQ(speedTable[0][1], 50.0f);
    EXPECT_EQ(speedTable[12][1], 120.0f);
    EXPECT_EQ(speedTable[12][0], 32.0f);
    linkCost[1] = 0.0f;
    computeLinkCosts();
    EXPECT_EQ(linkCost[1], static_cast<float>(8.0 * 60.0 / 120.0));
    setRouteMethod(0);
    linkCost[1] = 0.0f;
    computeLinkCosts();
    EXPECT_EQ(linkCost[1], static_cast<float>(8.0 * 60.0 / 32.0));
    resetSpeedTable();
    EXPECT_EQ(speedTable[12][1], 16.0f);
    EXPECT_EQ(speedTable[1][1], 96.0f);
}

TEST_F(LinkCosting, RouteMethodIgnoresValuesOtherThanZeroAndOne) {
    setRouteMethod(0);
    setRouteMethod(2);
    EXPECT_EQ(routeMethod, 0);
    setRouteMethod(-1);
    EXPECT_EQ(routeMethod, 0);
    setRestrictions(1);
    setRestrictions(7);
    EXPECT_EQ(restrictionsFlag, 1);
}

TEST_F(LinkCosting, WithoutASpeedTableComputedLinksCannotBeDriven) {
    // No setPath yet: every speed is zero.
    std::memset(speedTable, 0, sizeof speedTable);
    writers::NetworkModel model = lineOfNodes(8);
    for (int k = 0; k + 1 < 8; ++k) model.addRoad(k, k + 1, 3, false);
    ASSERT_TRUE(load(model));
    EXPECT_TRUE(std::isinf(linkCost[1]));
    prepareOpenSearchLabels(routingSearch);
    EXPECT_TRUE(searchFromNode(wholeNetworkSearch(), routingSearch, 1));
    EXPECT_EQ(collectPathChain(wholeNetworkSearch(), routingSearch, 2), -1);
}

// Keys 10 units (0.01 degree) apart from key 2000 (30 degrees south), two
// nodes in each of bands 0 to 5.
class BandWindowTest : public WholeNetworkTest {
protected:
    void SetUp() override {
        WholeNetworkTest::SetUp();
        writers::RoadnetFile f;
        f.nodes.push_back({});
        for (int band = 0; band < 6; ++band) {
            for (int i = 0; i < 2; ++i) {
                f.nodes.push_back({static_cast<float>(-30.0 - 0.01 * band - 0.003 - 0.004 * i), 150.0f, 0, 0});
            }
        }
        std::vector<int32_t> keys(500);
        for (int j = 0; j < 500; ++j) keys[j] = 2000 - 10 * j;
        f.links.push_back({});
        f.bands = writers::bandTableForKeys(f.nodes, keys);
        ASSERT_TRUE(load(f));
    }
    static float keyLat(int j) { return static_cast<float>(-30.0 - 0.01 * j); }
    static int32_t start(int j) { return latitudeBandTable[500 + j]; }
};

TEST_F(BandWindowTest, BoundsInsideOneBandGiveThatBand) {
    for (int j = 1; j <= 4; ++j) {
        const BandWindow w = findBandWindow(keyLat(j) - 0.008f, keyLat(j) - 0.002f);
        EXPECT_EQ(w.first, start(j)) << j;
        EXPECT_EQ(w.end, start(j + 1)) << j;
        EXPECT_EQ(w.end - w.first, 2) << j;
    }
}

TEST_F(BandWindowTest, BoundsInsideBandZeroReachToTheLastBand) {
    const BandWindow w = findBandWindow(keyLat(0) - 0.008f, keyLat(0) - 0.002f);
    EXPECT_EQ(w.first, start(0));
    EXPECT_EQ(w.end, start(499));
}

TEST_F(BandWindowTest, RangesSpanningBandsAndReachingNorthOfTheTop) {
    BandWindow w = findBandWindow(keyLat(3) - 0.005f, keyLat(1) - 0.005f);
    EXPECT_EQ(w.first, start(1));
    EXPECT_EQ(w.end, start(4));
    w = findBandWindow(keyLat(2) - 0.005f, -29.0f);
    EXPECT_EQ(w.first, start(0));
    EXPECT_EQ(w.end, start(3));
}

TEST_F(BandWindowTest, RangeSouthOfEveryKeyIsEmpty) {
    const BandWindow w = findBandWindow(-40.0f, -39.0f);
    EXPECT_TRUE(w.empty());
    float km = 0.0f;
    EXPECT_EQ(findNearestNode(-39.5f, 150.0f, &km), -1);
    EXPECT_EQ(km, 999999.0f);
}

TEST_F(WholeNetworkTest, BoundsEqualToAKeyLatitude) {
    // Key 0 stands for exactly 32 degrees south, a value a float holds.
    writers::RoadnetFile f;
    f.nodes.push_back({});
    for (int band = 0; band < 4; ++band) f.nodes.push_back({static_cast<float>(-31.985 - 0.01 * band), 150.0f, 0, 0});
    std::vector<int32_t> keys(500);
    for (int j = 0; j < 500; ++j) keys[j] = 20 - 10 * j;  // key 0 at j = 2
    f.links.push_back({});
    f.bands = writers::bandTableForKeys(f.nodes, keys);
    ASSERT_TRUE(load(f));
    // North on the key: its band (band 2) is the first of the window.
    BandWindow w = findBandWindow(-32.5f, -32.0f);
    EXPECT_EQ(w.first, latitudeBandTable[502]);
    // South on the key: its band is left out.
    w = findBandWindow(-32.0f, -31.975f);
    EXPECT_EQ(w.end, latitudeBandTable[502]);
}

using NearestNode = WholeNetworkTest;

TEST_F(NearestNode, TiesGoToTheLowerIndexAndTheDistanceIsReported) {
    writers::NetworkModel model;
    model.addNode(-33.50, 151.01);
    model.addNode(-33.50, 150.99);
    model.addNode(-33.52, 151.00);
    ASSERT_TRUE(load(model));
    float km = 0.0f;
    EXPECT_EQ(findNearestNode(-33.50f, 151.00f, &km), 1);
    EXPECT_NEAR(km, greatCircleDistance(-33.50f, 151.01f, -33.50f, 151.00f), 1e-4);
    EXPECT_EQ(findNearestNode(-33.519f, 151.00f, &km), 3);
}

TEST_F(NearestNode, OnlyTheBandsWithinATenthOfADegreeAreMeasured) {
    writers::NetworkModel model;
    model.addNode(-33.00, 151.0);
    model.addNode(-33.30, 151.0);
    ASSERT_TRUE(load(model));
    float km = 0.0f;
    EXPECT_EQ(findNearestNode(-33.15f, 151.0f, &km), -1);
    EXPECT_EQ(km, 999999.0f);
    // Longitude does not bound it.
    EXPECT_EQ(findNearestNode(-33.29f, 160.0f, &km), 2);
}

TEST_F(NearestNode, NeedsTheWholeNetwork) {
    float km = 0.0f;
    EXPECT_EQ(findNearestNode(-33.0f, 151.0f, &km), -1);
    EXPECT_EQ(km, 999999.0f);
    EXPECT_EQ(findNearestNode(NAN, 151.0f, &km), -1);
}
