#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "journey.h"
#include "road_fixture.h"
#include "route_arrays.h"
#include "travel_matrix.h"

using namespace routing;

namespace {

// Two points 0.02 degree apart on one parallel with no road between them;
// the only way round goes through a node `detour` degrees north.
writers::NetworkModel detourNetwork(double detour) {
    writers::NetworkModel model;
    const int32_t top = model.addNode(-33.0 + detour, 151.01);
    const int32_t west = model.addNode(-33.0, 151.00);
    const int32_t east = model.addNode(-33.0, 151.02);
    model.addRoad(west, top, 3, false);
    model.addRoad(top, east, 3, false);
    // Filler nodes keep the chain of the path within the scratch slots.
    for (int k = 0; k < 6; ++k) model.addNode(-33.5 - 0.01 * k, 151.5);
    return model;
}

std::vector<int32_t> order(int32_t n, const std::vector<float>& minutes) {
    std::vector<int32_t> visit(static_cast<size_t>(n), -1);
    orderStopsByInsertion(n, minutes.data(), visit.data());
    return visit;
}

bool isTripPermutation(const std::vector<int32_t>& visit) {
    std::vector<int32_t> sorted = visit;
    std::sort(sorted.begin(), sorted.end());
    std::vector<int32_t> expected(visit.size());
    std::iota(expected.begin(), expected.end(), 0);
    return sorted == expected && visit.front() == 0 &&
           visit.back() == static_cast<int32_t>(visit.size()) - 1;
}

using TwoPointRoute = WholeNetworkTest;

}  // namespace

TEST_F(TwoPointRoute, MissingNetworkFileFailsBothExports) {
    EXPECT_EQ(generateJRoute(-33.0f, 151.0f, -33.1f, 151.1f), -1);
    JourneyStop stops[4] = {};
    stops[2].visitOrder = 77;
    EXPECT_EQ(optimiseJRoute(4, stops), -1);
    EXPECT_EQ(stops[2].visitOrder, 77);
}

TEST_F(TwoPointRoute, PointsOnOneNodeGiveASingleEntryAndZeroSums) {
    ASSERT_TRUE(writers::writeRoadnet(folder.path(), writers::toRoadnetFile(detourNetwork(0.05))));
    EXPECT_EQ(generateJRoute(-33.0f, 151.0f, -33.0001f, 151.0001f), 1);
    EXPECT_EQ(lastRouteEntry, 0);
    double km = -1, minutes = -1;
    sumRouteDistanceTime(&km, &minutes);
    EXPECT_EQ(km, 0.0);
    EXPECT_EQ(minutes, 0.0);
}

TEST_F(TwoPointRoute, MarginsWidenUntilTheDetourIsInside) {
    // Margins 0.1 and 0.3 leave the detour out, 0.5 takes it in.
    ASSERT_TRUE(writers::writeRoadnet(folder.path(), writers::toRoadnetFile(detourNetwork(0.45))));
    EXPECT_EQ(generateJRoute(-33.0f, 151.0f, -33.0f, 151.02f), 1);
    EXPECT_EQ(lastRouteEntry, 2);
    EXPECT_EQ(routeCapacity, 75);  // three searches, each on arrays 25 larger
    double km = 0, minutes = 0;
    sumRouteDistanceTime(&km, &minutes);
    EXPECT_NEAR(km, 2 * 50.0, 1.0);
    EXPECT_NEAR(minutes, km / 72.0 * 60.0, 1e-6);
}

TEST_F(TwoPointRoute, ADetourBeyondEveryMarginIsNotFound) {
    ASSERT_TRUE(writers::writeRoadnet(folder.path(), writers::toRoadnetFile(detourNetwork(0.95))));
    EXPECT_EQ(generateJRoute(-33.0f, 151.0f, -33.0f, 151.02f), -1);
    EXPECT_EQ(routeCapacity, 125);  // five searches
    double km = -1, minutes = -1;
    sumRouteDistanceTime(&km, &minutes);
    EXPECT_EQ(km, 0.0);
    EXPECT_EQ(minutes, 0.0);
}

TEST_F(TwoPointRoute, MinutesComeFromTheRoadClassSpeedsWhateverTheMethod) {
    writers::NetworkModel model = lineOfNodes(8, 0.01);
    model.addRoad(0, 1, 5, false);
    model.addRoad(1, 2, 12, false, {}, 30.0f);  // a stored time is not used for the sum
    ASSERT_TRUE(load(model));
    setRouteMethod(0);
    ASSERT_EQ(generateJRoute(-33.0f, 151.0f, -33.02f, 151.0f), 1);
    double km = 0, minutes = 0;
    sumRouteDistanceTime(&km, &minutes);
    const double a = linkLength[routeLink[0]];
    const double b = linkLength[routeLink[1]];
    EXPECT_EQ(km, a + b);
    EXPECT_EQ(minutes, a / 56.0 * 60.0 + b / 16.0 * 60.0);
}

TEST_F(TwoPointRoute, SpecialClassesAreTimedByTheirStoredTravelTime) {
    writers::NetworkModel model = lineOfNodes(8, 0.01);
    model.addRoad(0, 1, 3, false);
    model.addRoad(1, 2, 20, false, {}, 12.0f);  // a ferry
    model.addRoad(2, 3, 23, false, {}, 0.5f);
    ASSERT_TRUE(load(model));
    ASSERT_EQ(generateJRoute(-33.0f, 151.0f, -33.03f, 151.0f), 1);
    ASSERT_EQ(lastRouteEntry, 3);
    double km = 0, minutes = 0;
    sumRouteDistanceTime(&km, &minutes);
    const double first = linkLength[routeLink[0]];
    EXPECT_DOUBLE_EQ(minutes, first / 72.0 * 60.0 + 12.0 + 0.5);
}

TEST_F(TwoPointRoute, AWindowLeftInMemoryIsReplacedByTheWholeNetwork) {
    ASSERT_TRUE(writers::writeRoadnet(folder.path(), writers::toRoadnetFile(detourNetwork(0.05))));
    // What a window route leaves: loaded, but no band table or travel times.
    freeRoadNetwork();
    allocateNodeArrays(3);
    nodeGlobalId = static_cast<int32_t*>(std::calloc(3, sizeof(int32_t)));
    networkLoaded = 1;
    EXPECT_EQ(generateJRoute(-33.0f, 151.0f, -33.0f, 151.02f), 1);
    EXPECT_TRUE(wholeNetworkLoaded());
}

TEST(StopOrdering, FourStopsWithTheSecondInsertedBeforeTheFirst) {
    // Stop 2 is farthest from stop 1 and goes in first; stop 3 then fits
    // best between stop 1 and stop 2.
    const std::vector<float> t = {0, 10, 5, 10,
                                  10, 0, 6, 4,
                                  5, 6, 0, 8,
                                  10, 4, 8, 0};
    EXPECT_EQ(order(4, t), (std::vector<int32_t>{0, 2, 1, 3}));
}

TEST(StopOrdering, FourStopsWithTheSecondInsertedAfterTheFirst) {
    // Asymmetric: 3 -> 2 is slow, 2 -> 3 fast, so stop 3 goes after stop 2.
    const std::vector<float> t = {0, 10, 5, 10,
                                  10, 0, 1, 4,
                                  5, 20, 0, 2,
                                  10, 4, 8, 0};
    EXPECT_EQ(order(4, t), (std::vector<int32_t>{0, 1, 2, 3}));
}

TEST(StopOrdering, TiesGoToTheLowerStopAndTheEarlierEdge) {
    std::vector<float> t(16, 1.0f);
    for (int i = 0; i < 4; ++i) t[i * 4 + i] = 0.0f;
    EXPECT_EQ(order(4, t), (std::vector<int32_t>{0, 2, 1, 3}));
}

TEST(StopOrdering, NegativeSavingsStillInsertAtTheFirstEdge) {
    // Nothing is saved anywhere: every saving counts as zero.
    const std::vector<float> t = {0, 0, 0, 1,
                                  0, 0, 9, 9,
                                  0, 9, 0, 9,
                                  1, 9, 9, 0};
    EXPECT_EQ(order(4, t), (std::vector<int32_t>{0, 2, 1, 3}));
}

TEST(StopOrdering, OnlyTheFirstFiftyNineEdgesArePlacesOfInsertion) {
    // Equal savings everywhere put each stop right after stop 1, so the
    // tour grows as 1, k, ..., 3, 2, n. Stop n - 1 saves less than the
    // others anywhere, so it goes in last; its one place with a saving is
    // between stop 2 and stop n, the last edge of the tour by then.
    auto matrix = [](int32_t n) {
        std::vector<float> t(static_cast<size_t>(n) * n, 1000.0f);
        for (int32_t i = 0; i < n; ++i) t[i * n + i] = 0.0f;
        const int32_t late = n - 1;
        for (int32_t a = 2; a <= n; ++a) {
            if (a == late) continue;
            t[(a - 1) * n + (late - 1)] = 2000.0f;
            t[(late - 1) * n + (a - 1)] = 2000.0f;
        }
        t[(2 - 1) * n + (late - 1)] = 1250.0f;
        t[(late - 1) * n + (n - 1)] = 1250.0f;
        return t;
    };
    // 38 edges: the place is reachable.
    std::vector<int32_t> visit = order(40, matrix(40));
    EXPECT_TRUE(isTripPermutation(visit));
    EXPECT_EQ(visit[38], 40 - 2);
    EXPECT_EQ(visit[37], 1);
    // 62 edges: it is not, and the stop goes in at the first edge.
    visit = order(64, matrix(64));
    EXPECT_TRUE(isTripPermutation(visit));
    EXPECT_EQ(visit[1], 64 - 2);
    EXPECT_EQ(visit[62], 1);
}

TEST(StopOrdering, RowsWithoutTimesStillGiveAPermutation) {
    const int32_t n = 7;
    std::vector<float> t(n * n, 3.0f);
    for (int32_t i = 0; i < n; ++i) t[i * n + i] = 0.0f;
    for (int32_t j = 0; j < n; ++j) {
        t[3 * n + j] = j == 3 ? 0.0f : kNoPathMinutes;  // stop 4 reaches nothing
        t[0 * n + j] = j == 0 ? 0.0f : kNoPathMinutes;  // nor does stop 1
    }
    EXPECT_TRUE(isTripPermutation(order(n, t)));
    std::vector<float> unranked(n * n, std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE(isTripPermutation(order(n, unranked)));
}

using StopOrderingExport = WholeNetworkTest;

TEST_F(StopOrderingExport, OrdersATripOnARealNetworkAndKeepsTheCallersField) {
    writers::GridCityOptions city;
    city.rows = 30;
    city.columns = 30;
    ASSERT_TRUE(load(writers::makeGridCity(city)));
    std::vector<JourneyStop> stops(9);
    for (int k = 0; k < 9; ++k) {
        stops[k].latitude = static_cast<float>(-33.80 - 0.006 * ((k * 5) % 9));
        stops[k].longitude = static_cast<float>(151.10 + 0.006 * ((k * 2) % 9));
        stops[k].callerData = 1000 + k;
        stops[k].visitOrder = -5;
    }
    ASSERT_EQ(optimiseJRoute(9, stops.data()), 1);
    std::vector<int32_t> visit;
    for (int k = 0; k < 9; ++k) {
        visit.push_back(stops[k].visitOrder);
        EXPECT_EQ(stops[k].callerData, 1000 + k);
    }
    EXPECT_TRUE(isTripPermutation(visit));
    // The same request gives the same order.
    ASSERT_EQ(optimiseJRoute(9, stops.data()), 1);
    for (int k = 0; k < 9; ++k) EXPECT_EQ(stops[k].visitOrder, visit[k]);
}

TEST_F(StopOrderingExport, TooFewStopsOrNoRecordsFailWithRecordsUntouched) {
    writers::GridCityOptions city;
    city.rows = 10;
    city.columns = 10;
    ASSERT_TRUE(writers::writeRoadnet(folder.path(), writers::toRoadnetFile(writers::makeGridCity(city))));
    JourneyStop stops[3] = {{151.1f, -33.8f, 1, 9}, {151.11f, -33.81f, 2, 9}, {151.12f, -33.8f, 3, 9}};
    EXPECT_EQ(optimiseJRoute(3, stops), -1);
    EXPECT_EQ(networkLoaded, 1);  // loaded all the same
    for (const JourneyStop& s : stops) EXPECT_EQ(s.visitOrder, 9);
    EXPECT_EQ(optimiseJRoute(5, nullptr), -1);
    EXPECT_EQ(optimiseJRoute(-4, stops), -1);
}

TEST_F(StopOrderingExport, AStopWithoutANodeFails) {
    writers::GridCityOptions city;
    city.rows = 10;
    city.columns = 10;
    ASSERT_TRUE(load(writers::makeGridCity(city)));
    JourneyStop stops[4] = {{151.1f, -33.8f, 0, 9}, {151.11f, -33.81f, 0, 9}, {151.1f, -40.0f, 0, 9},
                            {151.12f, -33.8f, 0, 9}};
    EXPECT_EQ(optimiseJRoute(4, stops), -1);
    for (const JourneyStop& s : stops) EXPECT_EQ(s.visitOrder, 9);
}

TEST_F(StopOrderingExport, AStopThatNoRoadReachesStillGetsAPlace) {
    writers::GridCityOptions city;
    city.rows = 12;
    city.columns = 12;
    writers::NetworkModel model = writers::makeGridCity(city);
    model.addNode(-33.81, 151.13);  // a node with no road at all
    ASSERT_TRUE(load(model));
    JourneyStop stops[6] = {{151.10f, -33.80f, 0, 0}, {151.13f, -33.81f, 0, 0}, {151.104f, -33.81f, 0, 0},
                            {151.11f, -33.806f, 0, 0}, {151.116f, -33.814f, 0, 0}, {151.12f, -33.80f, 0, 0}};
    ASSERT_EQ(optimiseJRoute(6, stops), 1);
    std::vector<int32_t> visit;
    for (const JourneyStop& s : stops) visit.push_back(s.visitOrder);
    EXPECT_TRUE(isTripPermutation(visit));
}
