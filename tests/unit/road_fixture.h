// Whole-network tests: a scratch data folder that the library's data path
// points at, and small hand-made networks.
#ifndef OSTRIM_ROAD_FIXTURE_H
#define OSTRIM_ROAD_FIXTURE_H

#include <gtest/gtest.h>

#include "OstrimMapDll.h"
#include "byte_writer.h"
#include "network_model.h"
#include "road_network.h"
#include "roadnet_writer.h"
#include "test_support.h"

class WholeNetworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        clearData();
        setPath(folder.path().c_str());
    }
    void TearDown() override { clearData(); }

    // Writes the file and loads it; true when the library took it.
    bool load(const writers::RoadnetFile& file) {
        EXPECT_TRUE(writers::writeRoadnet(folder.path(), file));
        routing::loadRoadNetwork();
        return routing::networkLoaded != 0;
    }
    bool load(const writers::NetworkModel& model) { return load(writers::toRoadnetFile(model)); }
    bool loadBytes(const std::vector<uint8_t>& bytes) {
        EXPECT_TRUE(writers::writeFileBytes(folder.file("roadnet.dat"), bytes));
        routing::loadRoadNetwork();
        return routing::networkLoaded != 0;
    }

    ScratchFolder folder;
};

// Nodes added north to south keep their order in the file: model node k is
// file node k + 1.
inline writers::NetworkModel lineOfNodes(int count, double latitudeStep = 0.001) {
    writers::NetworkModel model;
    for (int k = 0; k < count; ++k) model.addNode(-33.0 - k * latitudeStep, 151.0);
    return model;
}

#endif
