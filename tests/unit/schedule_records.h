// Records for scheduler tests with every field at a neutral value: any
// type, any tour, no attributes, a 0 to 24 hour window, no amounts.
#ifndef OSTRIM_SCHEDULE_RECORDS_H
#define OSTRIM_SCHEDULE_RECORDS_H

#include <cstring>

#include "OstrimMapDll.h"

inline ScheduleVisit makeVisit(float lat, float lon, int32_t serviceMinutes = 10) {
    ScheduleVisit v;
    std::memset(&v, 0, sizeof v);
    v.type = -1;
    v.latitude = lat;
    v.longitude = lon;
    v.serviceMinutes = serviceMinutes;
    v.windowStart = 0.0f;
    v.windowEnd = 2400.0f;
    v.available = 1;
    v.costDivisor = 1;
    v.allowedTours[0] = -1;
    v.attributes[0] = -1;
    v.node = -7;
    v.assignedTour = -7;
    return v;
}

inline ScheduleTour makeTour(int32_t id, int32_t siteId, int32_t endSiteId = -1) {
    ScheduleTour t;
    std::memset(&t, 0, sizeof t);
    t.id = id;
    t.visitTypes[0] = -1;
    t.attributes[0] = -1;
    t.totalMinutes = 480;
    t.startTime = 800;
    t.tripMinutes = 480;
    t.active = 1;
    t.siteId = siteId;
    t.endSiteId = endSiteId;
    return t;
}

inline ScheduleSite makeSite(int32_t id, float lat, float lon) {
    return ScheduleSite{id, lat, lon, 0.0f, -7};
}

#endif
