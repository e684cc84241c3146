#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <queue>
#include <random>
#include <set>

#include "leg_search.h"
#include "path_search.h"
#include "road_fixture.h"
#include "route_arrays.h"
#include "routing_settings.h"
#include "travel_matrix.h"

using namespace routing;

namespace {

int32_t routeBetween(int32_t from, int32_t to, float margin = 0.5f) {
    routingSearch.points = {from, to};
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

// The travel-matrix row from source to each target: the path's minutes
// and km, kNoPathMinutes where there is none.
struct Row {
    std::vector<float> minutes;
    std::vector<float> km;
    bool complete = false;
};
Row travelRow(int32_t source, const std::vector<int32_t>& targets) {
    std::vector<int32_t> nodes = {source};
    nodes.insert(nodes.end(), targets.begin(), targets.end());
    Row row;
    buildTravelRows(nodes, 1, [&](const TravelRow& r) {
        if (r.source != 0) return;
        row.minutes.assign(r.minutes + 1, r.minutes + nodes.size());
        row.km.assign(r.km + 1, r.km + nodes.size());
        row.complete = r.complete;
    });
    return row;
}

bool search(int32_t source) { return searchFromNode(wholeNetworkSearch(), routingSearch, source); }
int32_t chainOf(int32_t target) { return collectPathChain(wholeNetworkSearch(), routingSearch, target); }

using PathSearch = WholeNetworkTest;

}  // namespace

TEST_F(PathSearch, SourceEqualToTargetIsASingleClosingEntry) {
    ASSERT_TRUE(load(graphFile(6, {{1, 2, 2}, {2, 3, 2}})));
    EXPECT_EQ(routeBetween(2, 2), 0);
    EXPECT_EQ(routeNode[0], 2);
    EXPECT_EQ(routeLink[0], 0);
    EXPECT_TRUE(routeReadable());

    const Row row = travelRow(2, {2, 3});
    EXPECT_TRUE(row.complete);
    EXPECT_EQ(row.minutes[0], 0.0f);
    EXPECT_EQ(row.km[0], 0.0f);
    EXPECT_EQ(row.minutes[1], 2.0f);
    EXPECT_EQ(row.km[1], 1.0f);
}

TEST_F(PathSearch, TheFirstOfParallelLinksIsTakenOnTheWholeNetwork) {
    // Two links from 1 to 2; the second is cheaper.
    ASSERT_TRUE(load(graphFile(6, {{1, 2, 5}, {1, 2, 2}, {2, 3, 1}})));
    ASSERT_EQ(routeBetween(1, 3), 2);
    EXPECT_EQ(routeLink[0], nodeFirstLink[1]);
    const Row row = travelRow(1, {3});
    EXPECT_TRUE(row.complete);
    EXPECT_EQ(row.minutes[0], 6.0f);  // the first link's 5 minutes, not the 2 that labelled it
}

TEST_F(PathSearch, TargetsWithoutAPathOrOutsideTheWindowFail) {
    ASSERT_TRUE(load(graphFile(8, {{1, 2, 1}, {2, 3, 1}, {4, 5, 1}})));
    EXPECT_EQ(routeBetween(1, 5), -1);
    EXPECT_EQ(lastRouteEntry, -1);
    EXPECT_FALSE(routeReadable());
    const Row row = travelRow(1, {3, 5});
    EXPECT_FALSE(row.complete);
    EXPECT_EQ(row.minutes[0], 2.0f);  // the reachable target has its time
    EXPECT_EQ(row.minutes[1], kNoPathMinutes);

    // A target excluded by the prepared window.
    prepareSearchLabels(routingSearch, nodeLatitude[2], nodeLatitude[1], 151.0f, 151.0f, 0.0);
    EXPECT_TRUE(search(1));
    EXPECT_EQ(routingSearch.label(3), kExcludedLabel);
    EXPECT_EQ(chainOf(3), -1);
}

TEST_F(PathSearch, AnEqualCostSecondPathKeepsTheFirstPredecessor) {
    // 1 -> 2 -> 4 and 1 -> 3 -> 4 cost the same; 2 is expanded first.
    ASSERT_TRUE(load(graphFile(8, {{1, 2, 1}, {1, 3, 1}, {2, 4, 2}, {3, 4, 2}})));
    prepareOpenSearchLabels(routingSearch);
    ASSERT_TRUE(search(1));
    EXPECT_EQ(routingSearch.predecessor(4), 2);
    EXPECT_EQ(routingSearch.predecessor(1), 0);
    EXPECT_EQ(routingSearch.predecessor(5), nodeCount);
}

TEST_F(PathSearch, AQueueThatWouldOverflowFailsTheRun) {
    // 1 reaches everything expensively and 2 cheaply right after: every
    // node is queued again while its first entry still waits.
    std::vector<std::array<float, 3>> arcs = {{1, 2, 1}};
    for (int k = 3; k <= 7; ++k) arcs.push_back({1, static_cast<float>(k), 100});
    for (int k = 3; k <= 7; ++k) arcs.push_back({2, static_cast<float>(k), 1});
    ASSERT_TRUE(load(graphFile(7, arcs)));
    prepareOpenSearchLabels(routingSearch);
    EXPECT_FALSE(search(1));
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
    prepareOpenSearchLabels(routingSearch);
    EXPECT_FALSE(search(-1));
    EXPECT_FALSE(search(4));
    EXPECT_EQ(chainOf(99), -1);
}

TEST_F(PathSearch, AChainWithoutALinkBetweenTwoOfItsNodesFails) {
    ASSERT_TRUE(load(graphFile(9, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}})));
    prepareOpenSearchLabels(routingSearch);
    ASSERT_TRUE(search(1));
    routingSearch.nodes[4].predecessor = 1;  // 1 has no link to 4
    allocateRouteArrays(0, 0);
    lastRouteEntry = -1;
    EXPECT_FALSE(appendPathToRoute(wholeNetworkSearch(), routingSearch, 4));
    EXPECT_EQ(lastRouteEntry, -1);
    routingSearch.nodes[4].predecessor = 77;  // not a node
    EXPECT_EQ(chainOf(4), -1);
}

TEST_F(PathSearch, NegativeAndNaNCostsNeitherHangNorEnterExcludedNodes) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // A NaN link into 4 and a negative one into 3; the file's stored times
    // of special classes are kept whatever they are.
    writers::RoadnetFile f = graphFile(9, {{1, 2, 1}, {1, 4, nan}, {2, 3, -5}, {3, 2, 1}, {3, 5, 1}, {5, 6, 1}});
    for (int link : {2, 3}) f.links[link].roadClass = 20;
    ASSERT_TRUE(load(f));
    prepareOpenSearchLabels(routingSearch);
    routingSearch.nodes[3].label = kExcludedLabel;
    ASSERT_TRUE(search(1));
    EXPECT_EQ(routingSearch.label(3), kExcludedLabel);
    EXPECT_EQ(routingSearch.predecessor(4), nodeCount);
    prepareOpenSearchLabels(routingSearch);
    ASSERT_TRUE(search(1));
    EXPECT_EQ(routingSearch.predecessor(3), nodeCount);
    EXPECT_EQ(routingSearch.predecessor(4), nodeCount);

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

TEST_F(PathSearch, StopOrderingLeavesNoRouteToRead) {
    std::vector<std::array<float, 3>> arcs;
    for (int k = 1; k < 40; ++k) arcs.push_back({static_cast<float>(k), static_cast<float>(k + 1), 1});
    ASSERT_TRUE(load(graphFile(40, arcs)));
    ASSERT_EQ(routeBetween(1, 3), 2);
    JourneyStop stops[4] = {{151.0f, -33.001f, 0, 0}, {151.0f, -33.002f, 0, 0}, {151.0f, -33.003f, 0, 0},
                            {151.0f, -33.004f, 0, 0}};
    EXPECT_EQ(optimiseJRoute(4, stops), 1);
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
        prepareOpenSearchLabels(routingSearch);
        ASSERT_TRUE(search(source));
        for (int t = 1; t <= n; ++t) {
            if (!std::isinf(expected[t])) {
                EXPECT_NEAR(routingSearch.label(t), expected[t], 1e-3 * (1 + expected[t]));
            } else {
                EXPECT_EQ(routingSearch.label(t), kUnreachedLabel);
            }
        }
        for (int t = 1; t <= n; ++t) {
            const float minutes = travelRow(source, {t}).minutes[0];
            if (std::isinf(expected[t]) || n + 1 - 4 < 2) {
                EXPECT_EQ(minutes, kNoPathMinutes) << round << " " << t;
                continue;
            }
            if (minutes == kNoPathMinutes) continue;  // chain longer than the scratch slots
            EXPECT_NEAR(minutes, expected[t], 1e-3 * (1 + expected[t])) << round << " " << t;
        }
    }
}

// Matrix rows searched on several workers, each with a state of its own,
// equal those searched one after another, bit for bit: rows with points
// that no road reaches, and rows whose search overflows the ring queue.
TEST_F(PathSearch, RowsOnSeveralWorkersEqualRowsOnOne) {
    for (const char* kind : {"points without a road", "a source that overflows the queue"}) {
        const bool overflow = kind[0] == 'a';
        writers::GridCityOptions options;
        options.rows = 40;
        options.columns = 40;
        writers::NetworkModel city = writers::makeGridCity(options);
        std::vector<int32_t> points;
        for (int k = 0; k < 60; ++k) points.push_back((k * 37) % 1600);
        const int32_t odd = city.addNode(-33.811, 151.111);  // the island, or the gadget's source
        points.push_back(odd);
        if (overflow) {
            // Each hub lowers the labels of all leaves again: 10 x 200
            // entries would wait in a queue of 1812 slots.
            std::vector<int32_t> leaves;
            for (int l = 0; l < 200; ++l) leaves.push_back(city.addNode(-33.812 - 0.00001 * l, 151.112));
            for (int h = 1; h <= 10; ++h) {
                const int32_t hub = city.addNode(-33.811 - 0.0001 * h, 151.111);
                city.addLink(odd, hub, 3, 0.1f, 1.0f);
                for (const int32_t leaf : leaves) city.addLink(hub, leaf, 3, 0.1f, 100.0f / static_cast<float>(h));
                points.push_back(hub);
            }
        } else {
            city.addRoad(odd, city.addNode(-33.8113, 151.111), 8, false);
        }
        std::vector<int32_t> fileIndex;
        ASSERT_TRUE(load(writers::toRoadnetFile(city, &fileIndex)));
        std::vector<int32_t> nodes;
        for (const int32_t p : points) nodes.push_back(fileIndex[static_cast<size_t>(p)]);
        const size_t n = nodes.size();
        auto rows = [&](unsigned workers) {
            std::vector<float> all(n * (2 * n + 1));
            buildTravelRows(nodes, workers, [&](const TravelRow& r) {
                float* row = all.data() + r.source * (2 * n + 1);
                std::copy(r.minutes, r.minutes + n, row);
                std::copy(r.km, r.km + n, row + n);
                row[2 * n] = r.complete ? 1.0f : 0.0f;
            });
            return all;
        };
        const std::vector<float> one = rows(1);
        for (const unsigned workers : {2u, 7u}) {
            const std::vector<float> many = rows(workers);
            EXPECT_EQ(std::memcmp(one.data(), many.data(), one.size() * sizeof(float)), 0) << kind << ", " << workers;
        }
        // What the case stands for: the city's first row reaches the city
        // but not the odd point; the gadget's source reaches not even its
        // first hub.
        EXPECT_LT(one[59], 1000.0f) << kind;
        EXPECT_EQ(one[60], kNoPathMinutes) << kind;
        EXPECT_EQ(one[60 * (2 * n + 1) + 61], overflow ? kNoPathMinutes : 0.0f) << kind;
    }
}
