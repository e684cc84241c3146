// The scheduler as a host reaches it: records filled at their offsets, read
// back after the run.
#include <climits>
#include <cstring>
#include <vector>

#include "OstrimMapDll.h"
#include "library_handle.h"
#include "network_model.h"
#include "roadnet_writer.h"
#include "test_support.h"
#include "../unit/schedule_records.h"

TEST(ScheduleInterface, ARunDispatchesVisitsAndReleasesTheNetwork) {
    LibraryHandle library;
    ASSERT_TRUE(library.loaded());
    ScratchFolder folder;
    writers::GridCityOptions city;
    city.rows = 15;
    city.columns = 15;
    ASSERT_TRUE(writers::writeRoadnet(folder.path(), writers::toRoadnetFile(writers::makeGridCity(city))));
    OSTRIM_RESOLVE(library, setPath)(folder.path().c_str());

    std::vector<ScheduleVisit> visits;
    for (int k = 0; k < 8; ++k) visits.push_back(makeVisit(-33.80f - 0.003f * k, 151.10f + 0.002f * k, 10));
    std::vector<ScheduleTour> tours = {makeTour(4, 1, 1)};
    std::vector<ScheduleSite> sites = {makeSite(1, -33.80f, 151.10f)};
    auto runScheduleFn = OSTRIM_RESOLVE(library, runSchedule);
    EXPECT_EQ(runScheduleFn(8, visits.data(), 1, tours.data(), 1, sites.data()), 1);

    OSTRIM_RESOLVE(library, setScheduleParameters)(96, 84, 72, 68, 56, 32, 52, 40, 30, 26, 22, 16, 1, 0);
    OSTRIM_RESOLVE(library, setObjectiveFunction)(1.0f, 1.0f, 1.0f);
    ASSERT_EQ(runScheduleFn(8, visits.data(), 1, tours.data(), 1, sites.data()), 0);
    EXPECT_EQ(tours[0].done, 1);
    EXPECT_GE(tours[0].trips, 1);
    EXPECT_GE(sites[0].node, 1);
    int taken = 0;
    for (const ScheduleVisit& v : visits) taken += v.assignedTour == 4 ? 1 : 0;
    EXPECT_EQ(taken, 8);
    EXPECT_EQ(tours[0].startTime, 8 + tours[0].usedMinutes / 60);
}

namespace {

struct Day {
    std::vector<ScheduleVisit> visits;
    std::vector<ScheduleTour> tours;
    std::vector<ScheduleSite> sites;
};

class DispatchDay : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.loaded());
        writers::GridCityOptions options;
        options.rows = 15;
        options.columns = 15;
        options.missingRoadFraction = 0.0;
        options.withSpecialClasses = false;
        city = writers::makeGridCity(options);
        // A short road inside a block, joined to no other.
        island = city.addNode(-33.811, 151.111);
        city.addRoad(island, city.addNode(-33.811, 151.1114), 8, false);
        ASSERT_TRUE(writers::writeRoadnet(folder.path(), writers::toRoadnetFile(city)));
        OSTRIM_RESOLVE(library, setPath)(folder.path().c_str());
        OSTRIM_RESOLVE(library, setScheduleParameters)(96, 84, 72, 68, 56, 32, 52, 40, 30, 26, 22, 16, 1, 0);
    }

    ScheduleVisit visitAt(int32_t node) const {
        return makeVisit(city.nodes[node].latitude, city.nodes[node].longitude, 20);
    }

    // Thirty visits on the grid; two tours of three-hour trips from the
    // middle of the city, the second returning to a site in a corner.
    Day day() const {
        Day d;
        for (int k = 0; k < 30; ++k) d.visits.push_back(visitAt((k * 37 + 11) % 225));
        d.sites = {makeSite(5, city.nodes[112].latitude, city.nodes[112].longitude),
                   makeSite(6, city.nodes[0].latitude, city.nodes[0].longitude)};
        d.tours = {makeTour(1, 5), makeTour(2, 5, 6)};
        for (ScheduleTour& tour : d.tours) tour.tripMinutes = 180;
        return d;
    }

    int run(Day& d) {
        return OSTRIM_RESOLVE(library, runSchedule)(static_cast<int>(d.visits.size()), d.visits.data(),
                                                    static_cast<int>(d.tours.size()), d.tours.data(),
                                                    static_cast<int>(d.sites.size()), d.sites.data());
    }

    ScratchFolder folder;
    LibraryHandle library;
    writers::NetworkModel city;
    int32_t island = 0;
};

}  // namespace

TEST_F(DispatchDay, AVisitThatCannotBeReachedChangesNoOtherVisit) {
    Day without = day();
    Day with = day();
    constexpr size_t kIslandAt = 7;
    with.visits.insert(with.visits.begin() + kIslandAt, visitAt(island));
    ASSERT_EQ(run(without), 0);
    ASSERT_EQ(run(with), 0);
    int taken = 0;
    for (size_t i = 0; i < without.visits.size(); ++i) {
        const ScheduleVisit& same = with.visits[i < kIslandAt ? i : i + 1];
        EXPECT_EQ(std::memcmp(&without.visits[i], &same, sizeof same), 0) << "visit " << i;
        taken += without.visits[i].assignedTour != -1;
    }
    EXPECT_GE(taken, 10);
    EXPECT_EQ(with.visits[kIslandAt].assignedTour, -1);
    for (size_t t = 0; t < without.tours.size(); ++t) {
        EXPECT_EQ(std::memcmp(&without.tours[t], &with.tours[t], sizeof(ScheduleTour)), 0) << "tour " << t;
    }
}

TEST_F(DispatchDay, ExtremeTourMinutesAreDispatchedWithoutOverflow) {
    const struct {
        const char* name;
        int32_t totalMinutes, tripMinutes, tripStartMinutes;
    } cases[] = {
        {"largest trip, smallest start reserve", INT_MAX, INT_MAX, INT_MIN},
        {"smallest trip, largest start reserve", INT_MAX, INT_MIN, INT_MAX},
    };
    for (const auto& c : cases) {
        Day d = day();
        d.tours.resize(1);
        d.tours[0].totalMinutes = c.totalMinutes;
        d.tours[0].tripMinutes = c.tripMinutes;
        d.tours[0].tripStartMinutes = c.tripStartMinutes;
        EXPECT_EQ(run(d), 0) << c.name;
        EXPECT_EQ(d.tours[0].done, 1) << c.name;
    }
}
