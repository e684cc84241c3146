#include <vector>

#include "host.h"

namespace {

ScheduleVisit visitAt(float lat, float lon, int serviceMinutes, float opens, float closes) {
    ScheduleVisit v{};
    v.type = -1;
    v.latitude = lat;
    v.longitude = lon;
    v.serviceMinutes = serviceMinutes;
    v.windowStart = opens;
    v.windowEnd = closes;
    v.available = 1;
    v.costDivisor = 1;
    v.allowedTours[0] = -1;
    v.attributes[0] = -1;
    return v;
}

ScheduleTour tourFrom(int id, int site, int startHhmm, int tripMinutes) {
    ScheduleTour t{};
    t.id = id;
    t.visitTypes[0] = -1;
    t.attributes[0] = -1;
    t.totalMinutes = 480;
    t.startTime = startHhmm;
    t.tripMinutes = tripMinutes;
    t.active = 1;
    t.siteId = site;
    t.endSiteId = site;
    t.tripStartMinutes = 10;
    t.tripEndMinutes = 10;
    return t;
}

}  // namespace

bool showSchedule(const Library& library, const std::string& dataRoot) {
    auto setPathFn = HOST_RESOLVE(library, setPath);
    auto setScheduleParametersFn = HOST_RESOLVE(library, setScheduleParameters);
    auto setObjectiveFunctionFn = HOST_RESOLVE(library, setObjectiveFunction);
    auto runScheduleFn = HOST_RESOLVE(library, runSchedule);

    setPathFn((dataRoot + "roads/").c_str());
    setScheduleParametersFn(96, 84, 72, 68, 56, 32, 52, 40, 30, 26, 22, 16, 1, 0);
    setObjectiveFunctionFn(1.0f, 1.0f, 1.0f);

    std::vector<ScheduleVisit> visits;
    for (int k = 0; k < 16; ++k) {
        visits.push_back(visitAt(-33.805f - 0.007f * static_cast<float>((k * 5) % 16), 151.105f + 0.007f * static_cast<float>((k * 3) % 16),
                                 10 + 5 * (k % 3), k % 4 == 0 ? 1000.0f : 800.0f, 1700.0f));
    }
    std::vector<ScheduleSite> sites = {{1, -33.80f, 151.10f, 0, 0}, {2, -33.90f, 151.20f, 0, 0}};
    std::vector<ScheduleTour> tours = {tourFrom(100, 1, 800, 120), tourFrom(200, 2, 830, 90)};
    const int result = runScheduleFn(static_cast<int>(visits.size()), visits.data(), static_cast<int>(tours.size()),
                                     tours.data(), static_cast<int>(sites.size()), sites.data());
    std::printf("schedule: result %d\n", result);
    for (const ScheduleTour& t : tours) {
        std::printf("  tour %d: %d trips, %d minutes, %d km\n", t.id, t.trips, t.usedMinutes, t.totalLength);
    }
    for (size_t i = 0; i < visits.size(); ++i) {
        const ScheduleVisit& v = visits[i];
        if (v.assignedTour < 0) {
            std::printf("  visit %zu: not taken\n", i);
        } else {
            std::printf("  visit %zu: tour %d trip %d position %d, service from %04d\n", i, v.assignedTour,
                        v.tripNumber, v.tripPosition, v.serviceStart);
        }
    }
    return result == 0;
}
