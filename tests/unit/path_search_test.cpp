#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <queue>
#include <random>
#include <set>

#include "path_search.h"
#include "road_fixture.h"
#include "routing_module.h"

using namespace routing;

namespace {

int32_t routeBetween(int32_t from, int32_t to, float margin = 0.5f) {
    SearchLists lists(3, 3);
    searchPoints[0] = from;
    searchPoints[1] = to;
    const float lat = nodeLatitude[from];
    const float lon = nodeLongitude[from];
    return searchLegs(1, margin, std::min(lat, nodeLatitude[to]), std::max(lat, nodeLatitude[to]),
                      std::min(lon, nodeLongitude[to]), std::max(lon, nodeLongitude[to]));
}

// A file of n real nodes on a meridian (file node k at k) whose links are
// given as (from, to, minutes) with computed lengths of 1 km.
writers::RoadnetFile graphFile(int n, const std::vector<std::array<float, 3>>& arcs) {
    writers::RoadnetFile f;
    f.nodes.push_back({});
    for (int k = 1; k <= n; ++k) f.nodes.push_back({static_cast<float>(-33.0 - 0.001 * k), 151.0f, 0, 0});
    f.links.push_back({});
    for (int k = 1; k <= n; ++k) {
        f.nodes[k].firstLink = static_cast<int32_t>(f.links.size());
        for (const auto& arc : arcs) {
            if (static_cast<int>(arc[0]) != k) continue;
            f.links.push_back({static_cast<int32_t>(arc[1]), 3, 1.0f, arc[2]});
            ++f.nodes[k].degree;
        }
    }
    f.bands = writers::buildBandTable(f.nodes);
    return f;
}

using PathSearch = WholeNetworkTest;

}  // namespace

TEST_F(PathSearch, SourceEqualToTargetIsASingleClosingEntry) {
    ASSERT_TRUE(load(graphFile(6, {{1, 2, 2}, {2, 3, 2}})));
    EXPECT_EQ(routeBetween(2, 2), 0);
    EXPECT_EQ(routeNode[0], 2);
    EXPECT_EQ(routeLink[0], 0);
    EXPECT_TRUE(routeReadable());

    SearchLists lists(4, 4);
    prepareOpenSearchLabels();
    searchPoints[0] = 2;
    searchPoints[1] = 2;
    searchPoints[2] = 3;
    EXPECT_EQ(searchOneToMany(3), 1);
    EXPECT_EQ(targetCosts[0], 0.0f);
    EXPECT_EQ(targetLengths[0], 0.0f);
    EXPECT_EQ(targetCosts[1], 2.0f);
    EXPECT_EQ(targetLengths[1], 1.0f);
}

TEST_F(PathSearch, TheFirstOfParallelLinksIsTakenOnTheWholeNetwork) {
    // Two links from 1 to 2; the second is cheaper.
    ASSERT_TRUE(load(graphFile(6, {{1, 2, 5}, {1, 2, 2}, {2, 3, 1}})));
    ASSERT_EQ(routeBetween(1, 3), 2);
    EXPECT_EQ(routeLink[0], nodeFirstLink[1]);
    SearchLists lists(3, 3);
    prepareOpenSearchLabels();
    searchPoints[0] = 1;
    searchPoints[1] = 3;
    EXPECT_EQ(searchOneToMany(2), 0);
    EXPECT_EQ(targetCosts[0], 6.0f);  // the first link's 5 minutes, not the 2 that labelled it
}

TEST_F(PathSearch, TargetsWithoutAPathOrOutsideTheWindowFail) {
    ASSERT_TRUE(load(graphFile(8, {{1, 2, 1}, {2, 3, 1}, {4, 5, 1}})));
    EXPECT_EQ(routeBetween(1, 5), -1);
    EXPECT_EQ(lastRouteEntry, -1);
    EXPECT_FALSE(routeReadable());
    SearchLists lists(4, 4);
    prepareOpenSearchLabels();
    searchPoints[0] = 1;
    searchPoints[1] = 3;
    searchPoints[2] = 5;
    EXPECT_EQ(searchOneToMany(3), -1);
    EXPECT_EQ(targetCosts[0], 2.0f);  // the reachable target before it stays written

    // A target excluded by the prepared window.
    prepareSearchLabels(nodeLatitude[2], nodeLatitude[1], 151.0f, 151.0f, 0.0);
    EXPECT_TRUE(searchFromNode(1));
    EXPECT_EQ(searchLabel[3], kExcludedLabel);
    EXPECT_EQ(collectPathChain(3), -1);
}

TEST_F(PathSearch, AnEqualCostSecondPathKeepsTheFirstPredecessor) {
    // 1 -> 2 -> 4 and 1 -> 3 -> 4 cost the same; 2 is expanded first.
    ASSERT_TRUE(load(graphFile(8, {{1, 2, 1}, {1, 3, 1}, {2, 4, 2}, {3, 4, 2}})));
    prepareOpenSearchLabels();
    ASSERT_TRUE(searchFromNode(1));
    EXPECT_EQ(searchPredecessor[4], 2);
    EXPECT_EQ(searchPredecessor[1], 0);
    EXPECT_EQ(searchPredecessor[5], nodeCount);
}

TEST_F(PathSearch, AQueueThatWouldOverflowFailsTheRun) {
    // 1 reaches everything expensively and 2 cheaply right after: every
    // node is queued again while its first entry still waits.
    std::vector<std::array<float, 3>> arcs = {{1, 2, 1}};
    for (int k = 3; k <= 7; ++k) arcs.push_back({1, static_cast<float>(k), 100});
    for (int k = 3; k <= 7; ++k) arcs.push_back({2, static_cast<float>(k), 1});
    ASSERT_TRUE(load(graphFile(7, arcs)));
    prepareOpenSearchLabels();
    EXPECT_FALSE(searchFromNode(1));
    EXPECT_EQ(routeBetween(1, 7), -1);
}

TEST_F(PathSearch, ChainsLongerThanTheScratchSlotsFail) {
    // Nine nodes: the chain can hold 9 + 1 - 4 = 6 nodes.
    std::vector<std::array<float, 3>> arcs;
    for (int k = 1; k < 9; ++k) arcs.push_back({static_cast<float>(k), static_cast<float>(k + 1), 1});
    ASSERT_TRUE(load(graphFile(9, arcs)));
    EXPECT_EQ(routeBetween(1, 6), 5);
    EXPECT_EQ(routeBetween(1, 7), -1);
}

TEST_F(PathSearch, TinyNetworksFailWithoutTouchingMemoryOutsideTheArrays) {
    ASSERT_TRUE(load(graphFile(3, {{1, 2, 1}, {2, 3, 1}})));
    ASSERT_EQ(nodeCount, 4);
    EXPECT_EQ(routeBetween(1, 3), -1);
    EXPECT_EQ(routeBetween(1, 1), -1);
    prepareOpenSearchLabels();
    EXPECT_FALSE(searchFromNode(-1));
    EXPECT_FALSE(searchFromNode(4));
    EXPECT_EQ(collectPathChain(99), -1);
}

TEST_F(PathSearch, AChainWithoutALinkBetweenTwoOfItsNodesFails) {
    ASSERT_TRUE(load(graphFile(9, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}})));
    prepareOpenSearchLabels();
    ASSERT_TRUE(searchFromNode(1));
    searchPredecessor[4] = 1;  // 1 has no link to 4
    allocateRouteArrays(0, 0);
    lastRouteEntry = -1;
    EXPECT_FALSE(appendPathToRoute(4, wholeNetworkSearch()));
    EXPECT_EQ(lastRouteEntry, -1);
    searchPredecessor[4] = 77;  // not a node
    EXPECT_EQ(collectPathChain(4), -1);
}

TEST_F(PathSearch, NegativeAndNaNCostsNeitherHangNorEnterExcludedNodes) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // A negative cycle 2 <-> 3 and a NaN link into 4.
    ASSERT_TRUE(load(graphFile(9, {{1, 2, 1}, {2, 3, -5}, {3, 2, -5}, {3, 5, 1}, {1, 4, nan}, {5, 6, 1}})));
    // Stored times below 1.0 are recomputed: put the bad values back.
    linkCost[2] = -5.0f;
    linkCost[3] = -5.0f;
    linkCost[5] = nan;
    prepareOpenSearchLabels();
    searchLabel[3] = kExcludedLabel;
    ASSERT_TRUE(searchFromNode(1));
    EXPECT_EQ(searchLabel[3], kExcludedLabel);
    EXPECT_EQ(searchPredecessor[4], nodeCount);
    prepareOpenSearchLabels();
    ASSERT_TRUE(searchFromNode(1));
    EXPECT_EQ(searchPredecessor[3], nodeCount);
    EXPECT_EQ(searchPredecessor[4], nodeCount);

    // Speeds set below zero give negative computed costs too.
    float speeds[12];
    for (float& s : speeds) s = -40.0f;
    setClassSpeeds(speeds);
    ASSERT_TRUE(load(graphFile(9, {{1, 2, 0}, {2, 1, 0}, {2, 3, 0}})));
    EXPECT_LT(linkCost[1], 0.0f);
    EXPECT_EQ(routeBetween(1, 3), -1);
}

TEST_F(PathSearch, RouteArraysGrowByTwentyFiveEntries) {
    std::vector<std::array<float, 3>> arcs;
    for (int k = 1; k < 40; ++k) arcs.push_back({static_cast<float>(k), static_cast<float>(k + 1), 1});
    ASSERT_TRUE(load(graphFile(40, arcs)));
    ASSERT_EQ(routeCapacity, 0);
    EXPECT_EQ(routeBetween(1, 30), 29);
    EXPECT_EQ(routeCapacity, 50);
    EXPECT_EQ(routeNode[29], 30);
    EXPECT_EQ(routeLink[29], 0);
    for (int i = 0; i < 29; ++i) {
        EXPECT_EQ(routeNode[i], i + 1);
        EXPECT_EQ(linkTarget[routeLink[i]], i + 2);
    }
    // Each search starts from fresh arrays 25 entries larger.
    EXPECT_EQ(routeBetween(1, 3), 2);
    EXPECT_EQ(routeCapacity, 75);
}

TEST_F(PathSearch, OneToManyLeavesNoRouteToRead) {
    std::vector<std::array<float, 3>> arcs;
    for (int k = 1; k < 40; ++k) arcs.push_back({static_cast<float>(k), static_cast<float>(k + 1), 1});
    ASSERT_TRUE(load(graphFile(40, arcs)));
    ASSERT_EQ(routeBetween(1, 3), 2);
    SearchLists lists(36, 36);
    prepareOpenSearchLabels();
    searchPoints[0] = 1;
    for (int j = 1; j <= 34; ++j) searchPoints[j] = j + 1;
    EXPECT_EQ(searchOneToMany(35), 33);
    EXPECT_GE(lastRouteEntry, routeCapacity);
    EXPECT_FALSE(routeReadable());
}

namespace {

std::vector<double> dijkstra(int n, const std::vector<std::array<float, 3>>& arcs, int source) {
    std::vector<std::vector<std::pair<int, double>>> adjacent(n + 1);
    for (const auto& a : arcs) adjacent[static_cast<int>(a[0])].push_back({static_cast<int>(a[1]), a[2]});
    std::vector<double> distance(n + 1, std::numeric_limits<double>::infinity());
    using Item = std::pair<double, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
    distance[source] = 0;
    open.push({0, source});
    while (!open.empty()) {
        auto [d, u] = open.top();
        open.pop();
        if (d > distance[u]) continue;
        for (auto [v, c] : adjacent[u]) {
            if (d + c < distance[v]) {
                distance[v] = d + c;
                open.push({distance[v], v});
            }
        }
    }
    return distance;
}

}  // namespace

TEST_F(PathSearch, RandomGraphsAgreeWithDijkstra) {
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        const int n = 10 + static_cast<int>(random() % 60);
        std::vector<std::array<float, 3>> arcs;
        const int edges = n * (1 + static_cast<int>(random() % 4));
        std::set<std::pair<int, int>> taken;
        for (int e = 0; e < edges; ++e) {
            const int a = 1 + static_cast<int>(random() % n);
            const int b = 1 + static_cast<int>(random() % n);
            // Parallel links would be summed by the first, not the cheapest.
            if (!taken.insert({a, b}).second) continue;
            // Stored times of a minute or more, so the file's values stand.
            arcs.push_back({static_cast<float>(a), static_cast<float>(b),
                            1.0f + static_cast<float>(random() % 1000) / 37.0f});
        }
        ASSERT_TRUE(load(graphFile(n, arcs)));
        const int source = 1 + static_cast<int>(random() % n);
        const std::vector<double> expected = dijkstra(n, arcs, source);
        prepareOpenSearchLabels();
        ASSERT_TRUE(searchFromNode(source));
        for (int t = 1; t <= n; ++t) {
            if (!std::isinf(expected[t])) {
                EXPECT_NEAR(searchLabel[t], expected[t], 1e-3 * (1 + expected[t]));
            } else {
                EXPECT_EQ(searchLabel[t], kUnreachedLabel);
            }
        }
        for (int t = 1; t <= n; ++t) {
            SearchLists lists(3, 3);
            searchPoints[0] = source;
            searchPoints[1] = t;
            prepareOpenSearchLabels();
            const int32_t r = searchOneToMany(2);
            if (std::isinf(expected[t]) || n + 1 - 4 < 2) {
                EXPECT_EQ(r, -1) << round << " " << t;
                continue;
            }
            if (r == -1) continue;  // chain longer than the scratch slots
            EXPECT_NEAR(targetCosts[0], expected[t], 1e-3 * (1 + expected[t])) << round << " " << t;
        }
    }
}
