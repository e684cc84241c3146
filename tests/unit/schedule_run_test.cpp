#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "road_fixture.h"
#include "routing_settings.h"
#include "schedule_records.h"
#include "scheduler_state.h"

using namespace scheduler;

namespace {

const float kSpeeds[12] = {96, 84, 72, 68, 56, 32, 52, 40, 30, 26, 22, 16};

void setDefaultParameters() {
    setScheduleParameters(kSpeeds[0], kSpeeds[1], kSpeeds[2], kSpeeds[3], kSpeeds[4], kSpeeds[5], kSpeeds[6],
                          kSpeeds[7], kSpeeds[8], kSpeeds[9], kSpeeds[10], kSpeeds[11], 1, 0);
}

class ScheduleRun : public WholeNetworkTest {
protected:
    void SetUp() override {
        WholeNetworkTest::SetUp();
        writers::GridCityOptions city;
        city.rows = 20;
        city.columns = 20;
        city.withSpecialClasses = false;
        ASSERT_TRUE(writers::writeRoadnet(folder.path(), writers::toRoadnetFile(writers::makeGridCity(city))));
        setDefaultParameters();
    }
    int run() {
        return runSchedule(static_cast<int>(visits.size()), visits.data(), static_cast<int>(tours.size()),
                           tours.data(), static_cast<int>(sites.size()), sites.data());
    }
    std::vector<ScheduleVisit> visits;
    std::vector<ScheduleTour> tours;
    std::vector<ScheduleSite> sites;
};

}  // namespace

TEST(ScheduleSettings, ObjectiveWeightsAndTheirFloor) {
    travelWaitWeight = serviceWeight = divisorWeight = 1.0f;
    float a = 0, b = 0, c = 0;
    getObjectiveFunction(&a, &b, &c);
    EXPECT_EQ(a, 1.0f);
    EXPECT_EQ(b, 1.0f);
    EXPECT_EQ(c, 1.0f);
    for (float low : {0.05f, 0.1f, 0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN()}) {
        setObjectiveFunction(2.0f, 3.0f, low);
        getObjectiveFunction(&a, &b, &c);
        EXPECT_EQ(a, 2.0f);
        EXPECT_EQ(b, 3.0f);
        EXPECT_EQ(c, 0.1f) << low;
    }
    setObjectiveFunction(2.0f, 3.0f, 0.2f);
    getObjectiveFunction(&a, &b, &c);
    EXPECT_EQ(c, 0.2f);
    travelWaitWeight = serviceWeight = divisorWeight = 1.0f;
}

TEST(ScheduleSettings, ParametersSetTheClassSpeedsAndTheMethod) {
    setRouteMethod(0);
    setScheduleParameters(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 1);
    EXPECT_EQ(routing::speedTable[0][1], 50.0f);
    EXPECT_EQ(routing::speedTable[5][1], 5.0f);
    EXPECT_EQ(routing::speedTable[12][1], 12.0f);
    EXPECT_EQ(routing::speedTable[12][0], 32.0f);
    EXPECT_EQ(routing::routeMethod, 1);
    EXPECT_EQ(routing::restrictionsFlag, 1);
    EXPECT_EQ(scheduleParametersSet, 1);
    setScheduleParameters(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 5, 9);
    EXPECT_EQ(routing::routeMethod, 1);  // ignored, kept
}

TEST(ScheduleSettings, ClockFolding) {
    EXPECT_EQ(wrapHours(-3.0f), 0.0f);
    EXPECT_EQ(wrapHours(24.0f), 24.0f);
    EXPECT_EQ(wrapHours(30.0f), 6.0f);
    EXPECT_EQ(wrapHours(48.0f), 24.0f);
    EXPECT_EQ(wrapHours(48.5f), 0.5f);
    EXPECT_EQ(wrapHours(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(wrapHours(std::numeric_limits<float>::infinity()), 0.0f);
    // Folded at once, it gives what subtracting 24 at a time gives: the
    // loop itself where it is exact, the exact remainder (24 for 0) where
    // it would not end.
    auto byLoop = [](float h) {
        while (h > 24.0f) h -= 24.0f;
        return h;
    };
    for (float h = 0.001f; h < 4194304.0f; h *= 1.01f) {
        const float multiple = 24.0f * std::round(h / 24.0f);
        for (float x : {h, multiple, std::nextafter(multiple, 0.0f), std::nextafter(multiple, 1e9f)}) {
            ASSERT_EQ(wrapHours(x), byLoop(x)) << x;
        }
    }
    for (float x : {std::numeric_limits<float>::max(), 1e30f, 16777216.0f * 24.0f + 16.0f, 3.0e9f}) {
        const double rest = std::fmod(static_cast<double>(x), 24.0);
        EXPECT_EQ(wrapHours(x), rest == 0.0 ? 24.0f : static_cast<float>(rest)) << x;
    }
    EXPECT_EQ(hoursToClock(25.5f), 2530);
    EXPECT_EQ(hoursToClock(8.25f), 815);
}

TEST_F(ScheduleRun, RefusesToRunBeforeTheParametersAreSet) {
    scheduleParametersSet = 0;
    visits.push_back(makeVisit(-33.81f, 151.11f));
    tours.push_back(makeTour(1, 5));
    sites.push_back(makeSite(5, -33.80f, 151.10f));
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(visits[0].node, -7);
    EXPECT_EQ(tours[0].startTime, 800);
}

TEST_F(ScheduleRun, SiteLookupFailures) {
    tours.push_back(makeTour(1, 5));
    EXPECT_EQ(run(), 2);  // no site at all
    sites.push_back(makeSite(5, -33.80f, 151.10f));
    tours.push_back(makeTour(2, 6));
    tours.push_back(makeTour(3, 5));
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(tours[0].startTime, 8);  // the tour before is converted
    EXPECT_EQ(tours[1].startTime, 800);
    EXPECT_EQ(tours[2].startTime, 800);
    tours[0] = makeTour(1, 5, 9);
    tours.resize(1);
    EXPECT_EQ(run(), 3);
    EXPECT_EQ(tours[0].siteIndex, 0);
    EXPECT_EQ(tours[0].startTime, 800);
}

TEST_F(ScheduleRun, MissingNetworkGivesFourAfterTheToursAreConverted) {
    setPath((folder.path() + "nothing/").c_str());
    setDefaultParameters();
    tours.push_back(makeTour(1, 5));
    sites.push_back(makeSite(5, -33.80f, 151.10f));
    visits.push_back(makeVisit(-33.81f, 151.11f));
    EXPECT_EQ(run(), 4);
    EXPECT_EQ(tours[0].startTime, 8);
    EXPECT_EQ(visits[0].node, -7);
}

TEST_F(ScheduleRun, ConvertsClocksAndFloorsAndSnapsWithoutTours) {
    visits.push_back(makeVisit(-33.81f, 151.11f, 0));
    visits[0].windowStart = 800.0f;
    visits[0].windowEnd = 1730.0f;
    visits[0].costDivisor = -4;
    visits.push_back(makeVisit(-33.82f, 151.12f, -5));
    visits[1].windowStart = 0.0f;
    visits[1].windowEnd = 2400.0f;
    visits.push_back(makeVisit(-20.0f, 120.0f));  // far from every road (south of no band)
    visits[2].latitude = -45.0f;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(visits[0].windowStart, 8.0f);
    EXPECT_EQ(visits[0].windowEnd, 17.5f);
    EXPECT_EQ(visits[0].serviceMinutes, 1);
    EXPECT_EQ(visits[0].costDivisor, 1);
    EXPECT_EQ(visits[1].serviceMinutes, 1);
    EXPECT_EQ(visits[1].windowEnd, 24.0f);
    EXPECT_GE(visits[0].node, 1);
    EXPECT_LT(visits[0].snapDistance, 0.5f);
    EXPECT_EQ(visits[2].node, -1);
    EXPECT_EQ(visits[2].snapDistance, 999999.0f);
    EXPECT_EQ(visits[2].available, 0);
    EXPECT_EQ(visits[2].assignedTour, -1);
    EXPECT_EQ(routing::networkLoaded, 0);  // released at the end
}

TEST_F(ScheduleRun, TourStartsInWholeHours) {
    sites.push_back(makeSite(5, -33.80f, 151.10f));
    for (int32_t start : {830, 1200, 1290}) {
        tours.push_back(makeTour(static_cast<int32_t>(tours.size()) + 1, 5));
        tours.back().startTime = start;
        tours.back().totalMinutes = 0;
    }
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(tours[0].startTime, 8);
    EXPECT_EQ(tours[1].startTime, 12);
    EXPECT_EQ(tours[2].startTime, 13);
    EXPECT_EQ(tours[0].done, 1);
    EXPECT_EQ(tours[0].trips, 0);
}

TEST_F(ScheduleRun, SitesWithoutANodeTakeTheirToursOutAndDuplicateIdsTakeTheFirst) {
    sites.push_back(makeSite(5, -33.80f, 151.10f));
    sites.push_back(makeSite(6, -45.0f, 151.10f));
    sites.push_back(makeSite(5, -33.83f, 151.13f));
    tours.push_back(makeTour(1, 5, 6));
    tours.push_back(makeTour(2, 5));
    visits.push_back(makeVisit(-33.81f, 151.11f));
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(tours[1].siteIndex, 0);
    EXPECT_EQ(tours[0].active, 0);
    EXPECT_EQ(tours[0].trips, 0);
    EXPECT_EQ(tours[0].done, 0);
    EXPECT_EQ(tours[1].done, 1);
    EXPECT_EQ(visits[0].assignedTour, 2);
}

TEST_F(ScheduleRun, VisitsAlreadyAssignedStayOut) {
    sites.push_back(makeSite(5, -33.80f, 151.10f));
    tours.push_back(makeTour(1, 5));
    visits.push_back(makeVisit(-33.81f, 151.11f));
    visits[0].assigned = 1;
    visits[0].serviceStart = 1234;
    visits[0].legMinutes = 4.5f;
    visits[0].tripNumber = 3;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(visits[0].assignedTour, -1);
    EXPECT_EQ(visits[0].tripNumber, 0);
    EXPECT_EQ(visits[0].tripPosition, 0);
    EXPECT_EQ(visits[0].serviceStart, 1234);
    EXPECT_EQ(visits[0].legMinutes, 4.5f);
}

TEST_F(ScheduleRun, DispatchesACityOfVisitsConsistently) {
    sites.push_back(makeSite(1, -33.80f, 151.10f));
    sites.push_back(makeSite(2, -33.83f, 151.13f));
    tours.push_back(makeTour(10, 1, 2));
    tours.push_back(makeTour(20, 2, 1));
    tours[0].tripMinutes = 120;
    tours[1].tripMinutes = 90;
    for (int k = 0; k < 30; ++k) {
        visits.push_back(makeVisit(static_cast<float>(-33.80 - 0.0013 * ((k * 7) % 29)),
                                   static_cast<float>(151.10 + 0.0013 * ((k * 11) % 29)), 5 + k % 7));
        visits.back().windowStart = static_cast<float>(800 + 100 * (k % 3));
        visits.back().windowEnd = static_cast<float>(1400 + 100 * (k % 4));
    }
    EXPECT_EQ(run(), 0);
    int taken = 0;
    for (const ScheduleTour& tour : tours) {
        EXPECT_EQ(tour.done, 1);
        EXPECT_GE(tour.trips, 1);
        EXPECT_LE(tour.usedMinutes, tour.totalMinutes + tour.tripMinutes);
        for (int trip = 1; trip <= tour.trips; ++trip) {
            std::vector<int> positions;
            for (const ScheduleVisit& v : visits) {
                if (v.assignedTour == tour.id && v.tripNumber == trip) positions.push_back(v.tripPosition);
            }
            std::sort(positions.begin(), positions.end());
            for (size_t i = 0; i < positions.size(); ++i) EXPECT_EQ(positions[i], static_cast<int>(i) + 1);
        }
    }
    for (const ScheduleVisit& v : visits) {
        if (v.assignedTour == -1) continue;
        ++taken;
        EXPECT_EQ(v.assigned, 1);
        const float start = std::trunc(v.serviceStart / 100.0f) + (v.serviceStart % 100) / 60.0f;
        EXPECT_GE(start + 1.0f / 60.0f, v.windowStart);
    }
    EXPECT_GT(taken, 5);
}
