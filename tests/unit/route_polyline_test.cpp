#include <cmath>
#include <filesystem>
#include <random>

#include "byte_writer.h"
#include "leg_search.h"
#include "route_polyline.h"
#include "sparse_file.h"
#include "window_route_support.h"

using namespace routing;

namespace {

constexpr double kRoadLat = -33.8555;
constexpr double kWest = 151.2005;
constexpr double kNorthOfRoad = 0.00018;  // about 20 m

// Nodes 0..4 west to east along kRoadLat, 0.01 degree apart.
writers::NetworkModel fiveNodeRoad(bool middleDrawnBackwards = false) {
    writers::NetworkModel model;
    for (int i = 0; i < 5; ++i) model.addNode(kRoadLat, kWest + 0.01 * i);
    for (int i = 0; i < 4; ++i) {
        const bool backwards = middleDrawnBackwards && (i == 1 || i == 2);
        model.addRoad(backwards ? i + 1 : i, backwards ? i : i + 1, 5, false);
    }
    addIdleNodes(model, kRoadLat + 0.012, kWest + 0.02);
    return model;
}

float nodeLon(int i) { return static_cast<float>(kWest + 0.01 * i); }
const float kRoadLatF = static_cast<float>(kRoadLat);

bool flagged(const Pair& pair) { return pair[1] > 0.0f; }

}  // namespace

class PolylineTest : public WindowRouteTest {
protected:
    // From 20 m north of the road between nodes 0 and 1 to 20 m north of
    // it between nodes 3 and 4.
    void routeAlongTheRoad(const writers::NetworkModel& model) {
        useNetwork(model);
        addPoint(kRoadLat + kNorthOfRoad, kWest + 0.003);
        addPoint(kRoadLat + kNorthOfRoad, kWest + 0.037);
        ASSERT_EQ(generateRoute(0.0f, 0.0f), 3);
    }
};

TEST_F(PolylineTest, LayoutAndEndFlags) {
    routeAlongTheRoad(fiveNodeRoad());
    // Four road pieces of two points each, plus six.
    EXPECT_EQ(getRouteVectors(1, nullptr), 14);
    const std::vector<Pair> line = polyline();
    ASSERT_EQ(line.size(), 8u);
    // The first point as added, never flagged.
    EXPECT_EQ(line[0], (Pair{routePointLongitude[0], routePointLatitude[0]}));
    // Its foot on the road, then the rest of the first piece.
    EXPECT_NEAR(line[1][0], kWest + 0.003, 3e-5);
    EXPECT_NEAR(line[1][1], kRoadLat, 1e-5);
    EXPECT_EQ(line[2], (Pair{nodeLon(1), -kRoadLatF}));
    // Each middle piece without its end at the pair before, flagged.
    EXPECT_EQ(line[3], (Pair{nodeLon(2), -kRoadLatF}));
    EXPECT_EQ(line[4], (Pair{nodeLon(3), -kRoadLatF}));
    // The last piece up to the nearest vertex before the foot (its first
    // point repeats the pair before), the foot, and the last point.
    EXPECT_EQ(line[5], (Pair{nodeLon(3), -kRoadLatF}));
    EXPECT_NEAR(line[6][0], kWest + 0.037, 3e-5);
    EXPECT_NEAR(line[6][1], kRoadLat, 1e-5);
    EXPECT_EQ(line[7], (Pair{routePointLongitude[1], -routePointLatitude[1]}));
}

TEST_F(PolylineTest, ShapesDrawnAgainstTheLinkDirectionComeOutInTravelOrder) {
    routeAlongTheRoad(fiveNodeRoad());
    const std::vector<Pair> forwards = polyline();
    clearData();
    ScratchFolder other;
    ASSERT_TRUE(writers::writeNetworkFiles(other.path(), fiveNodeRoad(true)));
    setPath(other.path().c_str());
    addPoint(kRoadLat + kNorthOfRoad, kWest + 0.003);
    addPoint(kRoadLat + kNorthOfRoad, kWest + 0.037);
    ASSERT_EQ(generateRoute(0.0f, 0.0f), 3);
    EXPECT_EQ(polyline(), forwards);
}

TEST_F(PolylineTest, ARouteOfOneClosingEntry) {
    // Both points on the first road piece snap to node 0: the route is the
    // single entry (node 0, 0), which has no second node.
    useNetwork(fiveNodeRoad());
    addPoint(kRoadLat + kNorthOfRoad, kWest + 0.003);
    addPoint(kRoadLat + kNorthOfRoad, kWest + 0.007);
    ASSERT_EQ(generateRoute(0.0f, 0.0f), 0);
    EXPECT_EQ(getRouteVectors(1, nullptr), 10);
    const std::vector<Pair> line = polyline();
    ASSERT_EQ(line.size(), 4u);
    // The first foot alone makes the first stretch and carries its flag;
    // the last piece adds no shape point before the last foot.
    EXPECT_NEAR(line[1][0], kWest + 0.003, 3e-5);
    EXPECT_TRUE(flagged(line[1]));
    EXPECT_NEAR(line[2][0], kWest + 0.007, 3e-5);
    EXPECT_FALSE(flagged(line[2]));
    EXPECT_TRUE(flagged(line[3]));
}

TEST_F(PolylineTest, InnerLegEndsDrawNothing) {
    useNetwork(fiveNodeRoad());
    addPoint(kRoadLat + kNorthOfRoad, kWest + 0.003);
    addPoint(kRoadLat + kNorthOfRoad, kWest + 0.021);
    addPoint(kRoadLat + kNorthOfRoad, kWest + 0.037);
    const int last = generateRoute(0.0f, 0.0f);
    ASSERT_GT(last, 3);
    int innerEnds = 0;
    for (int j = 0; j < last; ++j) innerEnds += routeLink[j] == 0 ? 1 : 0;
    EXPECT_EQ(innerEnds, 1);
    const std::vector<Pair> line = polyline();
    ASSERT_GE(line.size(), 6u);
    // Eastward all the way (a foot may lie a metre east of its point):
    // nothing from elsewhere is drawn in between.
    for (size_t i = 1; i < line.size(); ++i) EXPECT_GE(line[i][0], line[i - 1][0] - 3e-5f) << i;
}

TEST_F(PolylineTest, ShapeOffsetsBeyondTwoGigabytes) {
    routeAlongTheRoad(fiveNodeRoad());
    const std::vector<Pair> near = polyline();
    clearData();
    // Shape records from record 2^28 + 3 and points from 2^28 + 5: both
    // byte offsets lie past 2^31.
    const writers::NetworkModel model = fiveNodeRoad();
    const writers::ShapeFileLayout far{(1 << 28) + 3, (1 << 28) + 5};
    ScratchFolder other;
    ASSERT_TRUE(writers::writeWindowFiles(other.path(), writers::toWindowFiles(model, far.recordBase)));
    ASSERT_TRUE(writers::writeLinkShapes(other.path(), model, far));
    setPath(other.path().c_str());
    addPoint(kRoadLat + kNorthOfRoad, kWest + 0.003);
    addPoint(kRoadLat + kNorthOfRoad, kWest + 0.037);
    ASSERT_EQ(generateRoute(0.0f, 0.0f), 3);
    EXPECT_EQ(polyline(), near);
}

// ---- Calls that find nothing to draw ---------------------------------------------

class PolylineRefusalTest : public PolylineTest {
protected:
    // -1 in both modes, and the buffer left as it was.
    static void expectNothingDrawn() {
        std::vector<float> buffer(64, 12345.0f);
        EXPECT_EQ(getRouteVectors(1, nullptr), -1);
        EXPECT_EQ(getRouteVectors(1, buffer.data()), -1);
        EXPECT_EQ(getRouteVectors(0, buffer.data()), -1);
        for (float v : buffer) ASSERT_EQ(v, 12345.0f);
    }

    void patchShapeRecord(int32_t link, int32_t first, int32_t count) {
        writers::ByteWriter record;
        record.i32(first);
        record.i32(count);
        ASSERT_TRUE(writers::writeBytesAt(folder.file("link.ind"), int64_t{linkShapeIndex[link]} * 8, record.bytes()));
    }
};

TEST_F(PolylineRefusalTest, BeforeAnyRouteAndAfterClearData) {
    expectNothingDrawn();
    routeAlongTheRoad(fiveNodeRoad());
    EXPECT_EQ(getRouteVectors(0, nullptr), -1);
    clearData();
    expectNothingDrawn();
}

TEST_F(PolylineRefusalTest, AfterAnAddedPoint) {
    routeAlongTheRoad(fiveNodeRoad());
    addPoint(kRoadLat, kWest + 0.02);
    expectNothingDrawn();  // its snapped link is not known yet
}

TEST_F(PolylineRefusalTest, AfterAFailedRoute) {
    routeAlongTheRoad(fiveNodeRoad());
    std::filesystem::remove(folder.file("roadnet.nl"));
    EXPECT_EQ(generateRoute(0.0f, 0.0f), -1);
    expectNothingDrawn();
}

TEST_F(PolylineRefusalTest, AfterAWholeNetworkRoute) {
    routeAlongTheRoad(fiveNodeRoad());
    clearData();
    loadRoadNetwork();
    ASSERT_EQ(networkLoaded, 1);
    std::vector<int32_t> fileIndex;
    writers::toRoadnetFile(fiveNodeRoad(), &fileIndex);
    routingSearch.points = {fileIndex[0], fileIndex[3]};
    searchLegs(1, 0.2f, -34.0f, -33.0f, 151.0f, 152.0f);
    ASSERT_EQ(routeKind, RouteKind::WholeNetwork);
    expectNothingDrawn();
}

TEST_F(PolylineRefusalTest, MissingOrShortShapeFiles) {
    routeAlongTheRoad(fiveNodeRoad());
    const auto dat = folder.file("link.dat");
    const auto size = std::filesystem::file_size(dat);
    std::filesystem::resize_file(dat, size - 4);  // the last shape's last point cut
    expectNothingDrawn();
    std::filesystem::remove(dat);
    expectNothingDrawn();
    std::filesystem::remove(folder.file("link.ind"));
    expectNothingDrawn();
}

TEST_F(PolylineRefusalTest, ShapeRecordsWithoutPoints) {
    routeAlongTheRoad(fiveNodeRoad());
    const int32_t link = routeLink[1];
    patchShapeRecord(link, 0, 0);
    expectNothingDrawn();
    patchShapeRecord(link, 0, -3);
    expectNothingDrawn();
    patchShapeRecord(link, -2, 2);
    expectNothingDrawn();
    patchShapeRecord(link, 0x7ffffff0, 100);
    expectNothingDrawn();
}

// ---- Many routes ---------------------------------------------------------------------

TEST_F(WindowRouteTest, FillModeStaysWithinCountModeOverManyRoutes) {
    useNetwork(testCity(25, 5));
    std::mt19937 random(3);
    std::uniform_real_distribution<double> lat(-33.8985, -33.8505);
    std::uniform_real_distribution<double> lon(151.2005, 151.2485);
    constexpr size_t kGuard = 8;
    constexpr float kUntouched = 777.0f;
    int routes = 0;
    for (int trial = 0; trial < 60; ++trial) {
        clearData();
        setRouteMethod(trial % 2);
        const int points = 2 + trial % 4;
        for (int p = 0; p < points; ++p) addPoint(lat(random), lon(random));
        if (generateRoute(0.0f, 0.0f) < 0) continue;
        ++routes;
        const int bound = getRouteVectors(1, nullptr);
        ASSERT_GT(bound, 0) << trial;
        std::vector<Pair> buffer(static_cast<size_t>(bound) + kGuard, Pair{kUntouched, kUntouched});
        const int written = getRouteVectors(0, buffer.front().data());
        ASSERT_GE(written, 4) << trial;
        ASSERT_LE(written, bound - 4) << trial;
        for (size_t i = static_cast<size_t>(written); i < buffer.size(); ++i) {
            ASSERT_EQ(buffer[i], (Pair{kUntouched, kUntouched})) << trial << " pair " << i;
        }
        const size_t n = static_cast<size_t>(written);
        EXPECT_EQ(buffer[0], (Pair{routePointLongitude[0], routePointLatitude[0]}));
        EXPECT_FALSE(flagged(buffer[n - 2]));
        EXPECT_EQ(buffer[n - 1], (Pair{routePointLongitude[points - 1], -routePointLatitude[points - 1]}));
        EXPECT_EQ(getRouteVectors(0, buffer.front().data()), written);
    }
    EXPECT_GE(routes, 40);
    setRouteMethod(0);
}
