// The scheduler as a host reaches it: records filled at their offsets, read
// back after the run.
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
