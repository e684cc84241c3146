#include <array>
#include <vector>

#include "OstrimMapDll.h"
#include "library_handle.h"
#include "link_shape_writer.h"
#include "network_model.h"
#include "test_support.h"

namespace {

class RouteExports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.loaded()) << dlerror();
        setPathFn = OSTRIM_RESOLVE(library, setPath);
        clearDataFn = OSTRIM_RESOLVE(library, clearData);
        addFn = OSTRIM_RESOLVE(library, addToRoutegen);
        generateFn = OSTRIM_RESOLVE(library, generateRoute);
        vectorsFn = OSTRIM_RESOLVE(library, getRouteVectors);
        methodFn = OSTRIM_RESOLVE(library, setRouteMethod);
        writers::GridCityOptions city;
        city.rows = 30;
        city.columns = 30;
        city.northLatitude = -33.8505;
        city.westLongitude = 151.2005;
        model = writers::makeGridCity(city);
        ASSERT_TRUE(writers::writeNetworkFiles(folder.path(), model));
    }
    void TearDown() override {
        if (clearDataFn != nullptr) clearDataFn();
    }

    std::vector<std::array<float, 2>> polyline() {
        const int bound = vectorsFn(1, nullptr);
        if (bound <= 0) return {};
        std::vector<std::array<float, 2>> pairs(static_cast<size_t>(bound));
        const int written = vectorsFn(0, pairs.front().data());
        pairs.resize(written > 0 ? static_cast<size_t>(written) : 0);
        return pairs;
    }

    LibraryHandle library;
    ScratchFolder folder;
    writers::NetworkModel model;
    decltype(&setPath) setPathFn = nullptr;
    decltype(&clearData) clearDataFn = nullptr;
    decltype(&addToRoutegen) addFn = nullptr;
    decltype(&generateRoute) generateFn = nullptr;
    decltype(&getRouteVectors) vectorsFn = nullptr;
    decltype(&setRouteMethod) methodFn = nullptr;
};

}  // namespace

TEST_F(RouteExports, ARouteThroughFourPointsComesBackAsAPolyline) {
    setPathFn(folder.path().c_str());
    methodFn(1);
    addFn(-33.8525, 151.2025, "depot");
    addFn(-33.8705, 151.2305, "first");
    addFn(-33.9005, 151.2455, "second");
    addFn(-33.8605, 151.2515, "last");
    const int last = generateFn(0.0f, 0.0f);
    ASSERT_GT(last, 3);
    const std::vector<std::array<float, 2>> line = polyline();
    ASSERT_GE(line.size(), 4u);
    EXPECT_EQ(line.front(), (std::array<float, 2>{151.2025f, -33.8525f}));
    EXPECT_EQ(line.back(), (std::array<float, 2>{151.2515f, 33.8605f}));
    for (const auto& pair : line) {
        const float lat = pair[1] > 0.0f ? -pair[1] : pair[1];
        EXPECT_GT(lat, -33.91f);
        EXPECT_LT(lat, -33.84f);
        EXPECT_GT(pair[0], 151.19f);
        EXPECT_LT(pair[0], 151.27f);
    }
    // Asking again gives the same route and the same polyline.
    EXPECT_EQ(generateFn(0.0f, 0.0f), last);
    EXPECT_EQ(polyline(), line);
}

TEST_F(RouteExports, NothingToRouteOrDrawGivesMinusOne) {
    float buffer[8] = {};
    EXPECT_EQ(vectorsFn(1, nullptr), -1);
    EXPECT_EQ(generateFn(0.0f, 0.0f), -1);  // no points
    setPathFn((folder.path() + "missing/").c_str());
    addFn(-33.8525, 151.2025, "a");
    addFn(-33.8705, 151.2305, "b");
    EXPECT_EQ(generateFn(0.0f, 0.0f), -1);  // no road files there
    EXPECT_EQ(vectorsFn(0, buffer), -1);
    setPathFn(folder.path().c_str());
    ASSERT_GE(generateFn(0.0f, 0.0f), 0);
    EXPECT_GT(vectorsFn(1, nullptr), 0);
    EXPECT_EQ(vectorsFn(0, nullptr), -1);
    clearDataFn();
    EXPECT_EQ(vectorsFn(1, nullptr), -1);
    EXPECT_EQ(generateFn(0.0f, 0.0f), -1);  // the points went with clearData
}

TEST_F(RouteExports, FillWritesNoMorePairsThanTheCountSaid) {
    // The same roads with every shape drawn through twenty more points.
    writers::NetworkModel grown = model;
    for (writers::ShapePoints& shape : grown.shapes) {
        const std::array<float, 2> first = shape.front();
        shape.insert(shape.begin() + 1, 20, first);
    }
    ScratchFolder other;
    ASSERT_TRUE(writers::writeLinkShapes(other.path(), grown));
    for (const bool inPlace : {true, false}) {
        setPathFn(folder.path().c_str());
        addFn(-33.8525, 151.2025, "a");
        addFn(-33.8705, 151.2305, "b");
        ASSERT_GE(generateFn(0.0f, 0.0f), 0);
        const int bound = vectorsFn(1, nullptr);
        ASSERT_GT(bound, 0);
        if (inPlace) {
            ASSERT_TRUE(writers::writeLinkShapes(folder.path(), grown));
        } else {
            setPathFn(other.path().c_str());
        }
        std::vector<float> buffer(2 * static_cast<size_t>(bound) + 16, 7.0f);
        EXPECT_EQ(vectorsFn(0, buffer.data()), -1) << (inPlace ? "rewritten" : "other folder");
        EXPECT_EQ(buffer, std::vector<float>(buffer.size(), 7.0f)) << (inPlace ? "rewritten" : "other folder");
        // Counted again, the polyline fits what the count now says.
        const int regrown = vectorsFn(1, nullptr);
        buffer.assign(2 * static_cast<size_t>(regrown), 0.0f);
        EXPECT_GT(vectorsFn(0, buffer.data()), bound);
        ASSERT_TRUE(writers::writeLinkShapes(folder.path(), model));
        clearDataFn();
    }
}
