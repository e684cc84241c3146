// Two-point routes and stop ordering as a host reaches them.
#include <vector>

#include "OstrimMapDll.h"
#include "library_handle.h"
#include "network_model.h"
#include "roadnet_writer.h"
#include "test_support.h"

namespace {

class JourneyInterface : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.loaded());
        writers::GridCityOptions city;
        city.rows = 25;
        city.columns = 25;
        ASSERT_TRUE(writers::writeRoadnet(folder.path(), writers::toRoadnetFile(writers::makeGridCity(city))));
        OSTRIM_RESOLVE(library, setPath)(folder.path().c_str());
    }
    void TearDown() override { OSTRIM_RESOLVE(library, clearData)(); }

    ScratchFolder folder;
    LibraryHandle library;
};

}  // namespace

TEST_F(JourneyInterface, DistanceAndTimeAcrossTheCity) {
    auto getDistanceTimeFn = OSTRIM_RESOLVE(library, getDistanceTime);
    double km = 0, minutes = 0;
    ASSERT_EQ(getDistanceTimeFn(-33.80, 151.10, -33.84, 151.14, &km, &minutes), 1);
    // At least the straight line, at most a generous detour.
    EXPECT_GT(km, 5.0);
    EXPECT_LT(km, 12.0);
    EXPECT_GT(minutes, km / 96.0 * 60.0);
    // The same query again (the network was released and loads afresh).
    double km2 = 0, minutes2 = 0;
    ASSERT_EQ(getDistanceTimeFn(-33.80, 151.10, -33.84, 151.14, &km2, &minutes2), 1);
    EXPECT_EQ(km, km2);
    EXPECT_EQ(minutes, minutes2);
}

TEST_F(JourneyInterface, NoRouteGivesMinusOneEverywhere) {
    auto getDistanceTimeFn = OSTRIM_RESOLVE(library, getDistanceTime);
    double km = 0, minutes = 0;
    EXPECT_EQ(getDistanceTimeFn(-33.80, 151.10, -40.0, 151.14, &km, &minutes), -1);
    EXPECT_EQ(km, -1.0);
    EXPECT_EQ(minutes, -1.0);
    EXPECT_EQ(OSTRIM_RESOLVE(library, generateJRoute)(-33.80f, 151.10f, -40.0f, 151.14f), -1);
}

TEST_F(JourneyInterface, TripOrderIsAPermutationWithTheEndsFixed) {
    std::vector<JourneyStop> stops;
    for (int k = 0; k < 12; ++k) {
        stops.push_back(JourneyStop{static_cast<float>(151.10 + 0.004 * ((k * 7) % 12)),
                                    static_cast<float>(-33.80 - 0.004 * ((k * 5) % 12)), k * 11, -1});
    }
    ASSERT_EQ(OSTRIM_RESOLVE(library, optimiseJRoute)(12, stops.data()), 1);
    std::vector<bool> seen(12, false);
    for (int k = 0; k < 12; ++k) {
        ASSERT_GE(stops[k].visitOrder, 0);
        ASSERT_LT(stops[k].visitOrder, 12);
        EXPECT_FALSE(seen[stops[k].visitOrder]);
        seen[stops[k].visitOrder] = true;
        EXPECT_EQ(stops[k].callerData, k * 11);
    }
    EXPECT_EQ(stops[0].visitOrder, 0);
    EXPECT_EQ(stops[11].visitOrder, 11);
}
