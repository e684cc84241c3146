#include <unistd.h>

#include <algorithm>
#include <limits>

#include "route_generator.h"
#include "window_route_support.h"

using namespace routing;

namespace {

bool contains(const std::vector<int32_t>& nodes, int32_t node) {
    return std::find(nodes.begin(), nodes.end(), node) != nodes.end();
}

// Two banks of a river, east-west roads 0.02 degree apart with a node
// every 0.05 degree, joined only by a bridge 0.3 degree east of where the
// points are.
struct River {
    writers::NetworkModel model;
    int32_t northBridgeEnd = 0;
    int32_t southBridgeEnd = 0;
};
River riverWithFarBridge() {
    River river;
    writers::NetworkModel& model = river.model;
    for (int i = 0; i <= 6; ++i) model.addNode(-33.8455, 151.2005 + 0.05 * i);
    for (int i = 0; i <= 6; ++i) model.addNode(-33.8655, 151.2005 + 0.05 * i);
    for (int i = 0; i < 6; ++i) {
        model.addRoad(i, i + 1, 2, false);
        model.addRoad(7 + i, 8 + i, 2, false);
    }
    river.northBridgeEnd = 6;
    river.southBridgeEnd = 13;
    model.addRoad(river.northBridgeEnd, river.southBridgeEnd, 2, false);
    addIdleNodes(model, -33.8400, 151.2055);
    return river;
}

}  // namespace

// ---- Points -----------------------------------------------------------------

TEST(RoutePoints, CapacityGrowsByFiveFromLoadAndAfterClearData) {
    EXPECT_EQ(routePointCapacity, -1);
    std::vector<int32_t> seen;
    for (int p = 0; p < 5; ++p) {
        addToRoutegen(-33.0 - p, 151.0, "stop");
        seen.push_back(routePointCapacity);
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{4, 4, 4, 4, 9}));
    EXPECT_EQ(routePointLatitude[4], -37.0f);
    EXPECT_EQ(routePointLongitude[0], 151.0f);
    clearData();
    EXPECT_EQ(routePointCapacity, 0);
    EXPECT_EQ(routePointCount, 0);
    seen.clear();
    for (int p = 0; p < 6; ++p) {
        addToRoutegen(-33.0, 151.0, nullptr);
        seen.push_back(routePointCapacity);
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{5, 5, 5, 5, 5, 10}));
    clearData();
}

TEST(RoutePoints, OutOfRangeCoordinatesAreStoredAsInfinities) {
    addToRoutegen(-1e300, 1e300, "far");
    EXPECT_EQ(routePointLatitude[0], -std::numeric_limits<float>::infinity());
    EXPECT_EQ(routePointLongitude[0], std::numeric_limits<float>::infinity());
    EXPECT_EQ(generateRoute(0.0f, 0.0f), -1);
    clearData();
}

// ---- generateRoute ------------------------------------------------------------

class StubbedRouteTest : public WindowRouteTest {
protected:
    // Points on the middles of stub roads west of `from` and east of `to`:
    // whichever end of its stub a point snaps to, the route runs from
    // `from` to `to`.
    void routeBetween(writers::NetworkModel model, int32_t from, int32_t to) {
        const int32_t west = addStub(model, from, -0.004);
        const int32_t east = addStub(model, to, 0.004);
        addIdleNodes(model, model.nodes[from].latitude + 0.01, model.nodes[from].longitude);
        useNetwork(model);
        addPoint(model.nodes[west].latitude, model.nodes[west].longitude + 0.002);
        addPoint(model.nodes[east].latitude, model.nodes[east].longitude - 0.002);
    }

private:
    static int32_t addStub(writers::NetworkModel& model, int32_t node, double dLon) {
        const writers::ModelNode at = model.nodes[node];
        const int32_t end = model.addNode(at.latitude, at.longitude + dLon);
        model.addRoad(end, node, 8, false);
        return end;
    }
};

TEST_F(WindowRouteTest, NoPointsOrOnePointGiveNoRoute) {
    EXPECT_EQ(generateRoute(0.0f, 0.0f), -1);
    EXPECT_EQ(routeCapacity, 0);  // nothing was tried

    useNetwork(straightRoad(-33.8555, 151.2005, 3, 0.01));
    addPoint(-33.8555, 151.2105);
    // Every margin is tried: five fresh route arrays, 25 entries larger each.
    EXPECT_EQ(generateRoute(0.0f, 0.0f), -1);
    EXPECT_EQ(routeCapacity, 125);
    EXPECT_EQ(getRouteVectors(1, nullptr), -1);
}

TEST_F(WindowRouteTest, AnEmptyPathWithOnePointTriesNothing) {
    useNetwork(straightRoad(-33.8555, 151.2005, 3, 0.01));
    setPath("");
    addPoint(-33.8555, 151.2105);
    EXPECT_EQ(generateRoute(0.0f, 0.0f), -1);
    EXPECT_EQ(routeCapacity, 0);
}

TEST_F(WindowRouteTest, AnEmptyPathWithTwoPointsOpensTheBareFileNames) {
    writers::NetworkModel model = straightRoad(-33.8555, 151.2005, 5, 0.01);
    addIdleNodes(model, -33.8455, 151.2205);
    useNetwork(model);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
    setPath("");
    addPoint(-33.8555, 151.2055);
    addPoint(-33.8555, 151.2355);
    const int result = generateRoute(0.0f, 0.0f);
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_GE(result, 2);
}

TEST_F(WindowRouteTest, FirstMarginIsAFifthOfTheExtentAtLeastTwoHundredths) {
    // Points 0.05 degree apart: margin 0.02. Lone nodes 0.015 and 0.035
    // degree west of the box: only the first lies in the window.
    writers::NetworkModel model = straightRoad(-33.8555, 151.2055, 6, 0.01);
    const int32_t inside = model.addNode(-33.8555, 151.1905);
    const int32_t outside = model.addNode(-33.8555, 151.1705);
    addIdleNodes(model, -33.8455, 151.2305);
    useNetwork(model);
    addPoint(-33.8555, 151.2055);
    addPoint(-33.8555, 151.2555);
    ASSERT_GE(generateRoute(0.0f, 0.0f), 0);
    EXPECT_EQ(routeCapacity, 25);  // found at the first attempt
    EXPECT_GE(windowNodeOf(inside), 0);
    EXPECT_EQ(windowNodeOf(outside), -1);
}

TEST_F(WindowRouteTest, FirstMarginIsAtMostHalfADegreeAndFollowsTheLargerExtent) {
    // Points 3 degrees apart north to south: margin 0.5, from latitude.
    writers::NetworkModel model;
    const int32_t north = model.addNode(-31.0055, 151.0055);
    const int32_t south = model.addNode(-34.0055, 151.0055);
    model.addRoad(north, south, 1, false);
    const int32_t inside = model.addNode(-34.4555, 151.0055);
    const int32_t outside = model.addNode(-34.6055, 151.0055);
    addIdleNodes(model, -31.0155, 151.0155);
    useNetwork(model);
    addPoint(-31.0055, 151.0055);
    addPoint(-34.0055, 151.0055);
    ASSERT_GE(generateRoute(0.0f, 0.0f), 0);
    EXPECT_EQ(routeCapacity, 25);
    EXPECT_GE(windowNodeOf(inside), 0);
    EXPECT_EQ(windowNodeOf(outside), -1);
}

TEST_F(WindowRouteTest, ARiverCrossingBeyondTheFirstMarginIsFoundWithAWiderOne) {
    const River river = riverWithFarBridge();
    useNetwork(river.model);
    addPoint(-33.8455, 151.2055);
    addPoint(-33.8655, 151.2055);
    const int result = generateRoute(0.0f, 0.0f);
    ASSERT_GE(result, 0);
    EXPECT_EQ(routeCapacity, 50);  // the second attempt found it
    const std::vector<int32_t> nodes = routeModelNodes();
    EXPECT_TRUE(contains(nodes, river.northBridgeEnd));
    EXPECT_TRUE(contains(nodes, river.southBridgeEnd));
    EXPECT_EQ(routeLink[result], 0);
    EXPECT_EQ(routeNode[0], routePointNode[0]);
    EXPECT_EQ(routeNode[result], routePointNode[1]);
}

TEST_F(WindowRouteTest, ASecondLegThatNoMarginFindsGivesNoRoute) {
    River river = riverWithFarBridge();
    // An island road between the banks, joined to nothing.
    const int32_t a = river.model.addNode(-33.8555, 151.2105);
    const int32_t b = river.model.addNode(-33.8555, 151.2205);
    river.model.addRoad(a, b, 5, false);
    useNetwork(river.model);
    addPoint(-33.8455, 151.2055);
    addPoint(-33.8655, 151.2055);
    addPoint(-33.8555, 151.2155);
    // Every attempt finds the first leg (from the second on) and fails the
    // second: that is no route, not the first leg's last entry.
    EXPECT_EQ(generateRoute(0.0f, 0.0f), -1);
    EXPECT_EQ(routeCapacity, 125);
    EXPECT_EQ(lastRouteEntry, -1);
    EXPECT_EQ(getRouteVectors(1, nullptr), -1);
}

TEST_F(StubbedRouteTest, RouteMethodsChooseDifferentRoads) {
    // A local street straight from A to B, and a freeway by way of N.
    writers::NetworkModel model;
    const int32_t a = model.addNode(-33.8555, 151.2055);
    const int32_t b = model.addNode(-33.8555, 151.2155);
    const int32_t n = model.addNode(-33.8525, 151.2105);
    model.addRoad(a, b, 9, false);
    model.addRoad(a, n, 1, false);
    model.addRoad(n, b, 1, false);
    routeBetween(model, a, b);

    setRouteMethod(0);  // uniform speeds: the shorter street
    ASSERT_GE(generateRoute(0.0f, 0.0f), 0);
    EXPECT_FALSE(contains(routeModelNodes(), n));
    setRouteMethod(1);  // road-class speeds: the freeway
    ASSERT_GE(generateRoute(0.0f, 0.0f), 0);
    EXPECT_TRUE(contains(routeModelNodes(), n));
    setRouteMethod(2);  // ignored
    ASSERT_GE(generateRoute(0.0f, 0.0f), 0);
    EXPECT_TRUE(contains(routeModelNodes(), n));
    setRouteMethod(0);
}

TEST_F(StubbedRouteTest, ABlockedPointIsPassedOnlyWhenThereIsNoOtherWay) {
    writers::NetworkModel model;
    const int32_t a = model.addNode(-33.8555, 151.2055);
    const int32_t b = model.addNode(-33.8555, 151.2155);
    const int32_t shortWay = model.addNode(-33.8545, 151.2105);
    const int32_t longWay = model.addNode(-33.8455, 151.2105);
    for (int32_t middle : {shortWay, longWay}) {
        model.addRoad(a, middle, 5, false);
        model.addRoad(middle, b, 5, false);
    }
    routeBetween(model, a, b);
    ASSERT_GE(generateRoute(0.0f, 0.0f), 0);
    EXPECT_TRUE(contains(routeModelNodes(), shortWay));
    ASSERT_GE(generateRoute(-33.8545f, 151.2105f), 0);
    EXPECT_TRUE(contains(routeModelNodes(), longWay));
    EXPECT_FALSE(contains(routeModelNodes(), shortWay));
    // Both ways blocked at once is impossible; block where they meet.
    ASSERT_GE(generateRoute(-33.8555f, 151.2155f), 0);
    EXPECT_TRUE(contains(routeModelNodes(), b));
}

TEST_F(StubbedRouteTest, ARouteThroughTheFirstNodeAndLinkOfTheFirstCell) {
    // Apex alone in the northernmost cell: the window's first node, its
    // first outgoing link (to the east foot) the window's first link.
    writers::NetworkModel model;
    const int32_t apex = model.addNode(-33.8455, 151.2105);
    const int32_t west = model.addNode(-33.8655, 151.2005);
    const int32_t east = model.addNode(-33.8655, 151.2205);
    model.addRoad(apex, east, 5, false);
    model.addRoad(west, apex, 5, false);
    routeBetween(model, west, east);
    const int result = generateRoute(0.0f, 0.0f);
    ASSERT_GE(result, 2);
    ASSERT_EQ(windowNodeOf(apex), kFirstWindowNode);
    const std::vector<int32_t> nodes = routeModelNodes();
    const auto at = std::find(nodes.begin(), nodes.end(), apex);
    ASSERT_NE(at, nodes.end());
    ASSERT_NE(at, nodes.begin());
    const auto entry = at - nodes.begin();
    EXPECT_EQ(nodes[static_cast<size_t>(entry - 1)], west);
    EXPECT_EQ(nodes[static_cast<size_t>(entry + 1)], east);
    EXPECT_EQ(routeLink[entry], kFirstWindowLink);
    for (int32_t j = 0; j < result; ++j) EXPECT_NE(routeLink[j], 0) << j;
}

TEST_F(WindowRouteTest, ConsecutivePointsOnOneNodeGiveALegOfOneEntry) {
    writers::NetworkModel model = straightRoad(-33.8555, 151.2055, 4, 0.01);
    addIdleNodes(model, -33.8455, 151.2205);
    useNetwork(model);
    addPoint(-33.8555, 151.2105);
    addPoint(-33.8555, 151.2105);
    // Two identical points: the cells around them, and a route of the one
    // closing entry.
    ASSERT_EQ(generateRoute(0.0f, 0.0f), 0);
    EXPECT_EQ(routeLink[0], 0);
    addPoint(-33.8555, 151.2305);
    const int result = generateRoute(0.0f, 0.0f);
    ASSERT_GE(result, 2);
    EXPECT_EQ(routeLink[0], 0);
    EXPECT_EQ(routeNode[1], routeNode[0]);
}

TEST_F(WindowRouteTest, RepeatedCallsGiveTheSameRouteAndClearDataStartsAfresh) {
    useNetwork(testCity(15));
    addPoint(-33.8525, 151.2025);
    addPoint(-33.8705, 151.2205);
    addPoint(-33.8605, 151.2215);
    const int first = generateRoute(0.0f, 0.0f);
    ASSERT_GE(first, 0);
    const std::vector<int32_t> nodes(routeNode, routeNode + first + 1);
    const std::vector<int32_t> links(routeLink, routeLink + first + 1);
    const std::vector<Pair> line = polyline();
    EXPECT_EQ(generateRoute(0.0f, 0.0f), first);
    EXPECT_EQ(std::vector<int32_t>(routeNode, routeNode + first + 1), nodes);
    EXPECT_EQ(std::vector<int32_t>(routeLink, routeLink + first + 1), links);
    EXPECT_EQ(polyline(), line);
    EXPECT_EQ(routeCapacity, 50);  // fresh arrays 25 larger per call

    clearData();
    EXPECT_EQ(routeCapacity, 0);
    EXPECT_EQ(networkLoaded, 0);
    EXPECT_EQ(getRouteVectors(1, nullptr), -1);
    addPoint(-33.8705, 151.2205);
    addPoint(-33.8525, 151.2025);
    const int reverse = generateRoute(0.0f, 0.0f);
    ASSERT_GE(reverse, 0);
    EXPECT_EQ(routeCapacity, 25);
    EXPECT_EQ(routeNode[0], routePointNode[0]);
    EXPECT_EQ(routeNode[reverse], routePointNode[1]);
}

TEST_F(WindowRouteTest, NonFinitePointsGiveNoRoute) {
    useNetwork(straightRoad(-33.8555, 151.2055, 4, 0.01));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    addPoint(-33.8555, 151.2105);
    addPoint(nan, 151.2105);
    EXPECT_EQ(generateRoute(0.0f, 0.0f), -1);
    clearData();
    addPoint(-33.8555, -inf);
    addPoint(-33.8555, 151.2105);
    EXPECT_EQ(generateRoute(nan, nan), -1);
    clearData();
    addPoint(nan, nan);
    addPoint(inf, -inf);
    EXPECT_EQ(generateRoute(0.0f, 0.0f), -1);
}

TEST_F(WindowRouteTest, MissingWindowFilesGiveNoRouteWithoutWidening) {
    useNetwork(straightRoad(-33.8555, 151.2055, 4, 0.01));
    std::filesystem::remove(folder.file("roadnet.it"));
    addPoint(-33.8555, 151.2105);
    addPoint(-33.8555, 151.2305);
    EXPECT_EQ(searchWindowLegs(1, 0.02f, 151.2105f, 151.2305f, -33.8555f, -33.8555f, 0.0f, 0.0f),
              kNoWindowNetwork);
    EXPECT_EQ(generateRoute(0.0f, 0.0f), -1);
    EXPECT_EQ(routeCapacity, 0);
}
