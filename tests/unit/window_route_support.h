// Road networks for the window route tests: a model written to a scratch
// folder as every road-network file, the data path set to it, and readers
// of the route and polyline that the tests compare.
#ifndef OSTRIM_WINDOW_ROUTE_SUPPORT_H
#define OSTRIM_WINDOW_ROUTE_SUPPORT_H

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "OstrimMapDll.h"
#include "link_shape_writer.h"
#include "network_model.h"
#include "network_window.h"
#include "path_search.h"
#include "road_network.h"
#include "route_arrays.h"
#include "route_points.h"
#include "routing_module.h"
#include "routing_settings.h"
#include "test_support.h"
#include "window_writer.h"

using Pair = std::array<float, 2>;  // longitude, latitude as in the polyline

class WindowRouteTest : public ::testing::Test {
protected:
    void TearDown() override { clearData(); }

    void useNetwork(const writers::NetworkModel& model) {
        ASSERT_TRUE(writers::writeNetworkFiles(folder.path(), model));
        setPath(folder.path().c_str());
    }

    static void addPoint(double lat, double lon) { addToRoutegen(lat, lon, "stop"); }

    // Model node index (id - 1) of every route entry's node.
    static std::vector<int32_t> routeModelNodes() {
        std::vector<int32_t> nodes;
        for (int32_t j = 0; j <= routing::lastRouteEntry; ++j) {
            nodes.push_back(routing::nodeGlobalId[routing::routeNode[j]] - 1);
        }
        return nodes;
    }

    // Local window index of a model node, or -1.
    static int32_t windowNodeOf(int32_t modelNode) {
        for (int32_t k = 0; k < routing::nodeCount; ++k) {
            if (routing::nodeGlobalId[k] == modelNode + 1) return k;
        }
        return -1;
    }

    // Count mode, then fill mode into a buffer of exactly that size.
    static std::vector<Pair> polyline() {
        const int bound = getRouteVectors(1, nullptr);
        EXPECT_GT(bound, 0);
        if (bound <= 0) return {};
        std::vector<Pair> pairs(static_cast<size_t>(bound));
        const int written = getRouteVectors(0, pairs.front().data());
        EXPECT_GE(written, 0);
        EXPECT_LE(written, bound - 4);
        pairs.resize(written > 0 ? static_cast<size_t>(written) : 0);
        return pairs;
    }

    ScratchFolder folder;
};

// An east-west road of `count` nodes, `step` degrees apart, each stretch
// a two-way road with a shape of its own.
inline writers::NetworkModel straightRoad(double lat, double westLon, int count, double step,
                                          uint8_t roadClass = 5) {
    writers::NetworkModel model;
    for (int i = 0; i < count; ++i) model.addNode(lat, westLon + i * step);
    for (int i = 0; i + 1 < count; ++i) model.addRoad(i, i + 1, roadClass, false);
    return model;
}

// A generated city of rows x rows nodes 0.002 degree apart, its north-west
// corner at (-33.8505, 151.2005).
inline writers::NetworkModel testCity(int rows, uint32_t seed = 1) {
    writers::GridCityOptions city;
    city.rows = rows;
    city.columns = rows;
    city.northLatitude = -33.8505;
    city.westLongitude = 151.2005;
    city.seed = seed;
    return writers::makeGridCity(city);
}

// Nodes without links in one spot. The search collects a path's nodes in
// its queue, which has one slot per window node with four set aside, so a
// window of a handful of nodes holds no path of more than a few; these
// give a small test network's windows room for its paths.
inline void addIdleNodes(writers::NetworkModel& model, double lat, double lon, int count = 40) {
    for (int i = 0; i < count; ++i) model.addNode(lat, lon);
}

#endif
