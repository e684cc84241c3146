// Dispatch on hand-made travel matrices. Times are multiples of a quarter
// hour where clocks are checked, so that every clock value is exact.
#include <gtest/gtest.h>

#include <vector>

#include "schedule_records.h"
#include "scheduler_state.h"
#include "travel_matrix.h"

using namespace scheduler;

namespace {

// Records in the converted form runSchedule hands to the dispatch: windows
// in hours, the tour clock in whole hours, minutes left set.
class Dispatch : public ::testing::Test {
protected:
    void TearDown() override {
        currentVisits = nullptr;
        currentTours = nullptr;
        currentSites = nullptr;
        visitCount = tourCount = siteCount = 0;
        travelTimeMatrix = nullptr;
        travelLengthMatrix = nullptr;
        travelWaitWeight = serviceWeight = divisorWeight = 1.0f;
    }

    // visits open all day; one site; every travel time `far` until set.
    void build(int nVisits, int nSites = 1, float far = 500.0f) {
        for (int i = 0; i < nVisits; ++i) {
            visits.push_back(makeVisit(0, 0, 30));
            visits.back().windowStart = 0.0f;
            visits.back().windowEnd = 24.0f;
        }
        for (int j = 0; j < nSites; ++j) sites.push_back(makeSite(j, 0, 0));
        ScheduleTour tour = makeTour(7, 0);
        tour.startTime = 8;
        tour.endSiteIndex = -1;
        tour.remainingMinutes = tour.totalMinutes;
        tours.push_back(tour);
        const size_t n = visits.size() + sites.size();
        time.assign(n * n, far);
        length.assign(n * n, 1.0f);
        for (size_t i = 0; i < n; ++i) time[i * n + i] = length[i * n + i] = 0.0f;
    }
    int site(int j = 0) const { return static_cast<int>(visits.size()) + j; }
    void set(int from, int to, float minutes, float km = 1.0f) {
        const size_t n = visits.size() + sites.size();
        time[from * n + to] = minutes;
        length[from * n + to] = km;
    }
    void dispatch(int tour = 0) {
        currentVisits = visits.data();
        currentTours = tours.data();
        currentSites = sites.data();
        visitCount = static_cast<int32_t>(visits.size());
        tourCount = static_cast<int32_t>(tours.size());
        siteCount = static_cast<int32_t>(sites.size());
        travelTimeMatrix = time.data();
        travelLengthMatrix = length.data();
        scheduleTour(tour);
    }

    std::vector<ScheduleVisit> visits;
    std::vector<ScheduleTour> tours;
    std::vector<ScheduleSite> sites;
    std::vector<float> time, length;
};

}  // namespace

TEST_F(Dispatch, NoMinutesMeansNoTrip) {
    build(2);
    tours[0].remainingMinutes = 0;
    visits[1].available = 0;
    dispatch();
    EXPECT_EQ(tours[0].done, 1);
    EXPECT_EQ(tours[0].trips, 0);
    EXPECT_EQ(visits[0].assignedTour, -7);
    EXPECT_EQ(visits[0].busy, 0);
    EXPECT_EQ(visits[1].busy, 1);
}

TEST_F(Dispatch, FiveSpareMinutesAreNotEnoughToPick) {
    build(1);
    set(site(), 0, 0.0f);
    tours[0].tripMinutes = 25;
    tours[0].tripStartMinutes = 20;
    dispatch();
    EXPECT_EQ(tours[0].trips, 1);
    EXPECT_EQ(tours[0].done, 1);
    EXPECT_EQ(tours[0].totalLength, 0);
    EXPECT_EQ(tours[0].usedMinutes, 20);
    EXPECT_EQ(visits[0].assignedTour, -7);
}

TEST_F(Dispatch, SingleVisitTripsChargeTheReturnOnlyWhenAsked) {
    // Out 15 minutes, back to the start site in 30; 30 minutes of service.
    for (int charge : {0, 1}) {
        visits.clear();
        sites.clear();
        tours.clear();
        build(1);
        set(site(), 0, 15.0f, 5.0f);
        set(0, site(), 30.0f, 7.0f);
        tours[0].endSiteIndex = 0;
        tours[0].countSingleReturn = charge;
        dispatch();
        const ScheduleTour& t = tours[0];
        const ScheduleVisit& v = visits[0];
        EXPECT_EQ(v.assignedTour, 7);
        EXPECT_EQ(v.tripNumber, 1);
        EXPECT_EQ(v.tripPosition, 1);
        EXPECT_EQ(v.serviceStart, 815);
        EXPECT_EQ(v.legMinutes, 15.0f);
        EXPECT_EQ(v.legLength, 5.0f);
        // A second, empty trip follows: its clock runs as if its minutes lay
        // at the end of a full trip, so it books the same minutes again.
        EXPECT_EQ(t.trips, 2);
        EXPECT_EQ(t.done, 1);
        EXPECT_EQ(t.totalLength, 12);
        if (charge == 0) {
            EXPECT_EQ(t.usedMinutes, 90);
            EXPECT_EQ(t.remainingMinutes, 390);
            EXPECT_EQ(t.startTime, 8);
        } else {
            EXPECT_EQ(t.usedMinutes, 150);
            EXPECT_EQ(t.remainingMinutes, 330);
            EXPECT_EQ(t.startTime, 10);
        }
    }
}

TEST_F(Dispatch, ATripThatRunsOverGivesBackItsLastVisit) {
    build(2);
    tours[0].tripMinutes = 60;
    set(site(), 0, 15.0f, 2.0f);
    set(site(), 1, 45.0f);
    set(0, 1, 15.0f, 3.0f);
    dispatch();
    const ScheduleVisit& kept = visits[0];
    const ScheduleVisit& back = visits[1];
    EXPECT_EQ(kept.assignedTour, 7);
    EXPECT_EQ(kept.tripPosition, 1);
    EXPECT_EQ(kept.serviceStart, 815);
    EXPECT_EQ(back.assignedTour, -1);
    EXPECT_EQ(back.assigned, 0);
    EXPECT_EQ(back.tripPosition, 0);
    EXPECT_EQ(back.tripNumber, 1);
    EXPECT_EQ(back.serviceStart, 0);
    EXPECT_EQ(back.legMinutes, 0.0f);
    EXPECT_EQ(back.legLength, 0.0f);
    EXPECT_EQ(back.busy, 1);
    EXPECT_EQ(tours[0].trips, 1);
    EXPECT_EQ(tours[0].done, 1);
    EXPECT_EQ(tours[0].usedMinutes, 45);
    EXPECT_EQ(tours[0].totalLength, 2);
    EXPECT_EQ(tours[0].remainingMinutes, 435);
}

TEST_F(Dispatch, EqualCostsGoToTheEarlierVisitAndZeroTravelWinsUnlessUndercut) {
    build(3);
    set(site(), 0, 20.0f);
    set(site(), 1, 20.0f);
    dispatch();
    EXPECT_EQ(visits[0].tripPosition, 1);

    visits.clear();
    sites.clear();
    tours.clear();
    build(3);
    set(site(), 0, 10.0f);
    set(site(), 1, 0.0f);  // no travel, but a two-hour wait
    visits[1].windowStart = 10.0f;
    dispatch();
    EXPECT_EQ(visits[1].tripPosition, 1);

    visits.clear();
    sites.clear();
    tours.clear();
    build(3);
    set(site(), 0, 10.0f);
    set(site(), 1, 0.0f);
    visits[1].windowStart = 10.0f;
    set(site(), 2, 20.0f);  // later and cheaper than the zero-travel visit
    dispatch();
    EXPECT_EQ(visits[2].tripPosition, 1);
}

TEST_F(Dispatch, WindowsRejectLateServiceAndChargeWaiting) {
    build(2);
    set(site(), 0, 0.0f);
    visits[0].windowEnd = 8.25f;  // 30 minutes of service would end at 8.30
    set(site(), 1, 60.0f);
    dispatch();
    EXPECT_NE(visits[0].assignedTour, 7);
    EXPECT_EQ(visits[1].tripPosition, 1);
    EXPECT_EQ(visits[1].serviceStart, 900);

    // A window that opens later costs its wait; travel longer than the
    // wait starts service on arrival.
    visits.clear();
    sites.clear();
    tours.clear();
    build(2);
    set(site(), 0, 15.0f);
    visits[0].windowStart = 10.0f;  // 105 minutes of waiting on top
    set(site(), 1, 60.0f);
    set(1, 0, 15.0f);
    dispatch();
    EXPECT_EQ(visits[1].tripPosition, 1);
    EXPECT_EQ(visits[0].tripPosition, 2);
    EXPECT_EQ(visits[0].serviceStart, 1000);
}

TEST_F(Dispatch, ServiceStartsPastMidnightAreNotFolded) {
    build(1);
    tours[0].startTime = 25;
    set(site(), 0, 30.0f);
    dispatch();
    EXPECT_EQ(visits[0].serviceStart, 2530);
}

TEST_F(Dispatch, SuitabilityRules) {
    build(1);
    currentVisits = visits.data();
    currentTours = tours.data();
    ScheduleVisit& v = visits[0];
    ScheduleTour& t = tours[0];
    EXPECT_TRUE(isVisitSuitable(0, 0));
    v.available = 0;
    EXPECT_FALSE(isVisitSuitable(0, 0));
    v.available = 1;

    t.visitTypes[0] = 3;
    t.visitTypes[4] = 9;
    v.type = 9;
    EXPECT_TRUE(isVisitSuitable(0, 0));
    v.type = 4;
    EXPECT_FALSE(isVisitSuitable(0, 0));
    v.type = -1;
    EXPECT_TRUE(isVisitSuitable(0, 0));
    t.visitTypes[0] = -1;

    v.allowedTours[0] = 3;
    v.allowedTours[99] = 7;
    EXPECT_TRUE(isVisitSuitable(0, 0));
    v.allowedTours[99] = 8;
    EXPECT_FALSE(isVisitSuitable(0, 0));
    t.id = -1;
    EXPECT_TRUE(isVisitSuitable(0, 0));
    t.id = 7;
    v.allowedTours[0] = -1;

    v.attributes[0] = 4;
    for (int i = 1; i < 10; ++i) v.attributes[i] = 0;
    for (int i = 0; i < 10; ++i) t.attributes[i] = 1;
    EXPECT_FALSE(isVisitSuitable(0, 0));
    t.attributes[9] = 4;
    EXPECT_TRUE(isVisitSuitable(0, 0));
    t.attributes[9] = 1;
    t.attributes[0] = -1;  // offers everything
    EXPECT_TRUE(isVisitSuitable(0, 0));
    // Unused slots of -1 on both sides match each other.
    t.attributes[0] = 1;
    t.attributes[5] = -1;
    v.attributes[3] = -1;
    EXPECT_TRUE(isVisitSuitable(0, 0));
    v.attributes[0] = -1;

    v.amountA = -3.0f;
    t.limitA = 2.0f;
    EXPECT_FALSE(isVisitSuitable(0, 0));
    v.amountA = 3.0f;
    t.runningA = 10.0f;
    t.limitA = 6.0f;
    EXPECT_TRUE(isVisitSuitable(0, 0));
    t.runningA = 8.0f;
    EXPECT_FALSE(isVisitSuitable(0, 0));
    v.amountA = 0.0f;
    v.amountB = 1.0f;
    EXPECT_FALSE(isVisitSuitable(0, 0));
}

TEST_F(Dispatch, OnlyAvailableOneMakesAVisitFree) {
    build(2);
    set(site(), 0, 10.0f);
    set(site(), 1, 20.0f);
    visits[0].available = 2;
    dispatch();
    EXPECT_EQ(visits[0].busy, 1);
    EXPECT_NE(visits[0].assignedTour, 7);
    EXPECT_EQ(visits[1].tripPosition, 1);
}

TEST_F(Dispatch, UnreachableVisitsAreNeverTaken) {
    build(2, 1, routing::kNoPathMinutes);
    set(site(), 1, 30.0f);
    dispatch();
    EXPECT_NE(visits[0].assignedTour, 7);
    EXPECT_EQ(visits[1].assignedTour, 7);
}
