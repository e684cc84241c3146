#include <cmath>
#include <filesystem>
#include <limits>

#include "coordinates.h"
#include "point_snapping.h"
#include "window_route_support.h"

using namespace routing;

// ---- Link costs --------------------------------------------------------------

class WindowLinkCostTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSpeedTable();
        ASSERT_TRUE(growWindowNodeArrays(3));
        ASSERT_TRUE(growWindowLinkArrays(10));
        nodeLatitude[1] = -33.0f;
        nodeLongitude[1] = 151.0f;
        nodeLatitude[2] = -33.1f;
        nodeLongitude[2] = 151.1f;
        const struct {
            float length;
            uint8_t cls;
            int32_t target;
        } links[] = {{-1.0f, 5, -1}, {720.0f, 3, 2}, {720.0f, 20, 2}, {720.0f, 21, 2}, {720.0f, 22, 2},
                     {720.0f, 23, 2}, {720.0f, 17, 2}, {720.0f, 5, 1}, {720.0f, 12, 1}, {-10.0f, 20, 2}};
        for (int j = 0; j < 10; ++j) {
            linkLength[j] = links[j].length;
            linkClass[j] = links[j].cls;
            linkTarget[j] = links[j].target;
        }
    }
    void TearDown() override {
        freeRoadNetwork();
        routeMethod = 0;
    }
};

TEST_F(WindowLinkCostTest, RoadClassSpeedsOfTheRouteMethod) {
    routeMethod = 1;
    setWindowLinkCosts(0.0f, 0.0f);
    EXPECT_EQ(currentSpeeds[3], 72.0f);
    EXPECT_EQ(linkLength[1], 10.0f);           // 720 m at 72 km/h
    EXPECT_EQ(linkLength[2], 0.0f);            // class 20
    EXPECT_EQ(linkLength[3], 720.0f / 68.0f);  // class 21 as class 4
    EXPECT_EQ(linkLength[4], 720.0f / 96.0f);  // class 22 as class 1
    EXPECT_EQ(linkLength[5], 720.0f / 30.0f);  // class 23 as class 9
    EXPECT_EQ(linkLength[6], 720.0f);          // other classes keep the length
    EXPECT_EQ(linkLength[8], 720.0f / 16.0f);
}

TEST_F(WindowLinkCostTest, UniformSpeedsOfMethodZero) {
    routeMethod = 0;
    setWindowLinkCosts(0.0f, 0.0f);
    EXPECT_EQ(linkLength[1], 720.0f / 50.0f);
    EXPECT_EQ(linkLength[8], 720.0f / 32.0f);
}

TEST_F(WindowLinkCostTest, NegativeLengthsAndLinksIntoTheBlockedPointArePricedOut) {
    setWindowLinkCosts(-33.00029f, 151.00029f);
    EXPECT_EQ(linkLength[0], 99999.0f);  // leaves the window
    EXPECT_EQ(linkLength[9], 99999.0f);  // negative length, whatever the class
    EXPECT_EQ(linkLength[7], 99999.0f);  // ends at the blocked node
    EXPECT_EQ(linkLength[8], 99999.0f);
    EXPECT_EQ(linkLength[1], 720.0f / 50.0f);  // ends elsewhere
}

TEST_F(WindowLinkCostTest, ABlockedPointJustOutOfReachPricesNothing) {
    setWindowLinkCosts(-33.0f, 151.0f + 0.0003f);
    EXPECT_EQ(linkLength[7], 720.0f / 50.0f);
}

// ---- Geometry -------------------------------------------------------------------

TEST(NearEqual, WithinThreeTenThousandthsOfADegree) {
    EXPECT_TRUE(nearEqual(151.2f, 151.2f));
    EXPECT_TRUE(nearEqual(0.0f, 0.00029f));
    EXPECT_FALSE(nearEqual(0.0f, 0.0003f));
    EXPECT_FALSE(nearEqual(std::numeric_limits<float>::quiet_NaN(), 0.0f));
}

TEST(FindNearestVertex, FirstOfEqualsAndEmptyShapes) {
    const ShapePoint shape[] = {{151.0f, -33.0f}, {151.5f, -33.0f}, {151.0f, -33.5f}};
    ShapePoint nearest{0.0f, 0.0f};
    EXPECT_EQ(findNearestVertex(shape, 3, 151.25f, -33.0f, &nearest), 0.25);
    EXPECT_EQ(nearest.longitude, 151.0f);
    EXPECT_EQ(nearest.latitude, -33.0f);
    ShapePoint untouched{1.0f, 2.0f};
    EXPECT_EQ(findNearestVertex(shape, 0, 151.1f, -33.0f, &untouched), 9999999.0);
    EXPECT_EQ(untouched.longitude, 1.0f);
}

// Segments just east of the central meridian 153, where a parallel runs
// almost along a grid row. The grid round trip moves a foot about a metre
// east, hence the foot tolerances.
TEST(ProjectOntoSegment, PointOnAndBesideASegment) {
    float lat = 0.0f;
    float lon = 0.0f;
    const double on = projectOntoSegment(-33.0f, 153.015f, -33.0f, 153.01f, -33.0f, 153.02f, 30, &lat, &lon);
    EXPECT_NEAR(on, 0.0, 0.5);
    EXPECT_NEAR(lon, 153.015f, 3e-5);
    EXPECT_NEAR(lat, -33.0f, 1e-5);
    // 25 m north of the middle: inside a box widened by 30 m, not by 20 m;
    // the distance itself is not held against the tolerance.
    const float north = -33.0f + 0.000225f;
    EXPECT_NEAR(projectOntoSegment(north, 153.015f, -33.0f, 153.01f, -33.0f, 153.02f, 30, &lat, &lon), 25.0, 1.0);
    lat = 7.0f;
    EXPECT_EQ(projectOntoSegment(north, 153.015f, -33.0f, 153.01f, -33.0f, 153.02f, 20, &lat, &lon), -1.0);
    EXPECT_EQ(lat, 7.0f);  // no foot without a distance
}

TEST(ProjectOntoSegment, BeyondTheEndsWithinAndPastTheTolerance) {
    float lat = 0.0f;
    float lon = 0.0f;
    // 0.00022 degree of longitude is about 20 m here, 0.00043 about 40 m.
    const double near = projectOntoSegment(-33.0f, 153.02022f, -33.0f, 153.01f, -33.0f, 153.02f, 30, &lat, &lon);
    EXPECT_NEAR(near, 0.0, 0.5);  // onto the line's extension
    EXPECT_NEAR(lon, 153.02022f, 3e-5);
    EXPECT_EQ(projectOntoSegment(-33.0f, 153.02043f, -33.0f, 153.01f, -33.0f, 153.02f, 30, &lat, &lon), -1.0);
}

TEST(ProjectOntoSegment, EndsOnOneCentralMeridianMakeAVerticalLine) {
    // 153 is the central meridian of its zone: both ends have one easting.
    // A slope of one would put the point kilometres off the line.
    float lat = 0.0f;
    float lon = 0.0f;
    const double d = projectOntoSegment(-33.05f, 153.0002f, -33.0f, 153.0f, -33.1f, 153.0f, 30, &lat, &lon);
    const double across = greatCircleDistance(-33.05, 153.0002, -33.05, 153.0) * 1000.0;
    EXPECT_NEAR(d, across, 0.5);
    EXPECT_NEAR(lat, -33.05f, 1e-5);
    EXPECT_NEAR(lon, 153.0f, 3e-5);
    // Ends at one grid position make no line at all.
    EXPECT_EQ(projectOntoSegment(-33.05f, 153.0f, -33.0f, 153.0f, -33.0f, 153.0f, 30, &lat, &lon), -1.0);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(projectOntoSegment(nan, 153.0f, -33.0f, 153.0f, -33.1f, 153.0f, 30, &lat, &lon), -1.0);
}

// ---- Snapping ---------------------------------------------------------------------

class SnappingTest : public WindowRouteTest {
protected:
    // Nodes 0, 1, 2 west to east, 0.002 degree (about 186 m) apart.
    void SetUp() override { useNetwork(straightRoad(-33.8555, 151.2005, 3, 0.002)); }

    void snap(double lat, double lon) {
        addPoint(lat, lon);
        loadNetworkWindow(0.02f, static_cast<float>(lon), static_cast<float>(lon), static_cast<float>(lat),
                          static_cast<float>(lat));
        ASSERT_EQ(networkLoaded, 1);
        setWindowLinkCosts(0.0f, 0.0f);
        snapPointToNetwork(routePointCount - 1);
    }

    // Local index of the link from model node a to model node b.
    static int32_t link(int32_t a, int32_t b) {
        const int32_t from = windowNodeOf(a);
        for (int32_t j = nodeFirstLink[from]; j < nodeFirstLink[from] + nodeDegree[from]; ++j) {
            if (linkTarget[j] == windowNodeOf(b)) return j;
        }
        return -1;
    }

    int32_t snappedNode() const { return routePointNode[routePointCount - 1]; }
    int32_t snappedLink() const { return routePointLink[routePointCount - 1]; }
};

TEST_F(SnappingTest, OnASegmentTheLaterOfEqualLinksWins) {
    // Nearest nodes 0, 1, 2. Links 0->1 and 1->0 share one shape drawn
    // from 0 to 1 and project equally; 1->0, examined later, is taken. The
    // foot lies nearer the shape's first point, so the node is 1->0's
    // target.
    snap(-33.8555, 151.2012);
    EXPECT_EQ(snappedLink(), link(1, 0));
    EXPECT_EQ(snappedNode(), windowNodeOf(0));
}

TEST_F(SnappingTest, NearerTheShapesLastPointTheNodeIsTheLinksOwn) {
    snap(-33.8555, 151.2022);
    // Nearest nodes 1, 0, 2: links 1->0, 1->2, 0->1, 2->1 in that order;
    // 0->1 and 1->0 project equally and 0->1 comes last. The foot lies
    // nearer node 1, the shape's last point: node 0, the link's own.
    EXPECT_EQ(snappedLink(), link(0, 1));
    EXPECT_EQ(snappedNode(), windowNodeOf(0));
}

TEST_F(SnappingTest, ALinkPricedAtTheExcludedCostIsNoCandidate) {
    addPoint(-33.8555, 151.2012);
    loadNetworkWindow(0.02f, 151.2012f, 151.2012f, -33.8555f, -33.8555f);
    setWindowLinkCosts(0.0f, 0.0f);
    linkLength[link(1, 0)] = kNeverSnappedCost;
    snapPointToNetwork(0);
    EXPECT_EQ(routePointLink[0], link(0, 1));
    EXPECT_EQ(routePointNode[0], windowNodeOf(1));
}

TEST_F(SnappingTest, BeyondTheRoadsEndWithinTheTolerance) {
    snap(-33.8555, 151.2005 - 0.00022);  // about 20 m west of node 0
    EXPECT_EQ(snappedLink(), link(1, 0));
    EXPECT_EQ(snappedNode(), windowNodeOf(0));
}

TEST_F(SnappingTest, PastTheToleranceTheNearestVertexDecidesAndTheEarlierLinkWins) {
    snap(-33.8555, 151.2005 - 0.00043);  // about 40 m west of node 0
    // 0->1 (from the nearest node) and 1->0 both have node 0's vertex at
    // the same distance; the first examined keeps it.
    EXPECT_EQ(snappedLink(), link(0, 1));
    EXPECT_EQ(snappedNode(), windowNodeOf(1));
}

TEST_F(SnappingTest, BesideTheRoadBeyondTheToleranceToo) {
    snap(-33.8555 + 0.0009, 151.2044);  // 100 m north, near node 2
    EXPECT_EQ(snappedLink(), link(2, 1));
    EXPECT_EQ(snappedNode(), windowNodeOf(2));
}

TEST_F(SnappingTest, NothingToSnapToLeavesNoLinkFromAnEarlierWindow) {
    snap(-33.8555, 151.2012);
    ASSERT_GE(snappedLink(), 0);
    std::filesystem::remove(folder.file("link.dat"));
    snapPointToNetwork(0);
    EXPECT_EQ(routePointNode[0], -1);
    EXPECT_EQ(routePointLink[0], -1);
}

TEST_F(SnappingTest, NonFinitePointsSnapToNothing) {
    snap(-33.8555, 151.2012);
    addPoint(std::numeric_limits<double>::quiet_NaN(), 151.2012);
    addPoint(-33.8555, std::numeric_limits<double>::infinity());
    snapPointToNetwork(1);
    snapPointToNetwork(2);
    for (int p = 1; p <= 2; ++p) {
        EXPECT_EQ(routePointNode[p], -1);
        EXPECT_EQ(routePointLink[p], -1);
    }
}
