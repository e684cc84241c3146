#include <cmath>
#include <cstdlib>
#include <vector>

#include "export_guard.h"
#include "task_workers.h"
#include "road_network.h"
#include "routing_module.h"
#include "scheduler_state.h"
#include "travel_matrix.h"
#include "truncate.h"

namespace scheduler {

ScheduleVisit* currentVisits = nullptr;
ScheduleTour* currentTours = nullptr;
ScheduleSite* currentSites = nullptr;
int32_t visitCount = 0;
int32_t tourCount = 0;
int32_t siteCount = 0;
float* travelTimeMatrix = nullptr;
float* travelLengthMatrix = nullptr;

namespace {

size_t pointCount() { return static_cast<size_t>(visitCount) + static_cast<size_t>(siteCount); }
size_t entry(int32_t from, int32_t to) { return pointCount() * static_cast<size_t>(from) + static_cast<size_t>(to); }

// A clock written HHMM (possibly with a fraction of a minute) in hours.
float clockToHours(float hhmm) {
    const double hours = std::trunc(static_cast<double>(hhmm) / 100.0);
    return static_cast<float>(hours + (static_cast<double>(hhmm) - 100.0 * hours) / 60.0);
}

// The tour clock is kept in whole hours.
int32_t tourStartHours(int32_t hhmm) {
    const int32_t hours = hhmm / 100;
    const int32_t minutes = hhmm - 100 * hours;
    return platform::truncToInt32(hours + minutes / 60.0);
}

int32_t findSite(int32_t id) {
    for (int32_t j = 0; j < siteCount; ++j) {
        if (currentSites[j].id == id) return j;
    }
    return -1;
}

}  // namespace

float getTravelTime(int32_t from, int32_t to) { return travelTimeMatrix[entry(from, to)]; }
void setTravelTime(int32_t from, int32_t to, float minutes) { travelTimeMatrix[entry(from, to)] = minutes; }
float getTravelLength(int32_t from, int32_t to) { return travelLengthMatrix[entry(from, to)]; }
void setTravelLength(int32_t from, int32_t to, float km) { travelLengthMatrix[entry(from, to)] = km; }

float wrapHours(float hours) {
    if (!(hours >= 0.0f)) return 0.0f;
    if (!std::isfinite(hours)) return 0.0f;
    if (hours <= 24.0f) return hours;
    // What subtracting 24 until at most 24 is left gives, at once. Below
    // 2^27, where 24 is a whole multiple of the spacing of floats, every
    // such subtraction is exact: the loop ends on the exact remainder,
    // reached as 24 rather than 0, and that is what fmod gives for every
    // value.
    const float folded = std::fmod(hours, 24.0f);
    return folded == 0.0f ? 24.0f : folded;
}

int32_t hoursToClock(float hours) {
    const double whole = std::trunc(static_cast<double>(hours));
    return platform::truncToInt32(100.0 * whole + 60.0 * (static_cast<double>(hours) - whole));
}

void buildTravelMatrices() {
    const int32_t n = static_cast<int32_t>(pointCount());
    // Points without a road node take no part in the searches; their
    // entries, and those of pairs no search connects, keep these values.
    for (int32_t from = 0; from < n; ++from) {
        for (int32_t to = 0; to < n; ++to) {
            setTravelTime(from, to, from == to ? 0.0f : routing::kNoPathMinutes);
            setTravelLength(from, to, from == to ? 0.0f : routing::kNoPathKm);
        }
    }
    std::vector<int32_t> points;  // point numbers that have a node
    std::vector<int32_t> nodes;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t node = i < visitCount ? currentVisits[i].node : currentSites[i - visitCount].node;
        if (node >= 0 && node < routing::nodeCount) {
            points.push_back(i);
            nodes.push_back(node);
        }
    }
    // Each target has its own path or "no path", so one point that cannot
    // be reached costs only its own entries; a search that fails (queue
    // full) leaves its row as it is.
    routing::buildTravelRows(nodes, platform::taskWorkers(nodes.size()), [&](const routing::TravelRow& row) {
        const int32_t from = points[row.source];
        for (size_t t = 0; t < points.size(); ++t) {
            setTravelTime(from, points[t], row.minutes[t]);
            setTravelLength(from, points[t], row.km[t]);
        }
    });
}

void releaseMatrices() {
    std::free(travelTimeMatrix);
    std::free(travelLengthMatrix);
    travelTimeMatrix = nullptr;
    travelLengthMatrix = nullptr;
}

// Each tour's sites found, its clock in hours and its totals reset, in
// tour order up to the first tour whose site is not there.
RunScheduleResult prepareTours() {
    for (int32_t t = 0; t < tourCount; ++t) {
        ScheduleTour& tour = currentTours[t];
        if (siteCount < 1) return scheduleNoStartSite;
        const int32_t start = findSite(tour.siteId);
        if (start < 0) return scheduleNoStartSite;
        tour.siteIndex = start;
        if (tour.endSiteId >= 0) {
            const int32_t end = findSite(tour.endSiteId);
            if (end < 0) return scheduleNoEndSite;
            tour.endSiteIndex = end;
        } else {
            tour.endSiteIndex = -1;
        }
        tour.startTime = tourStartHours(tour.startTime);
        tour.usedMinutes = 0;
        tour.totalLength = 0;
        tour.trips = 0;
        tour.remainingMinutes = tour.totalMinutes;
        tour.done = 0;
    }
    return scheduleOk;
}

// Every visit reset, snapped to its road node and its clocks in hours;
// the visits are independent, so they are snapped side by side.
void prepareVisits() {
    const size_t count = static_cast<size_t>(visitCount);
    platform::runTasks(count, platform::taskWorkers(count), [](size_t i, unsigned) {
        ScheduleVisit& visit = currentVisits[i];
        visit.tripNumber = 0;
        visit.tripPosition = 0;
        visit.assignedTour = -1;
        visit.node = routing::findNearestNode(visit.latitude, visit.longitude, &visit.snapDistance);
        if (visit.node == -1) visit.available = 0;
        visit.windowStart = clockToHours(visit.windowStart);
        visit.windowEnd = clockToHours(visit.windowEnd);
        if (visit.costDivisor < 1) visit.costDivisor = 1;
        if (visit.serviceMinutes < 1) visit.serviceMinutes = 1;
    });
}

// Every site snapped; a tour that starts or ends at a site without a road
// node is not dispatched.
void prepareSites() {
    const size_t count = static_cast<size_t>(siteCount);
    platform::runTasks(count, platform::taskWorkers(count), [](size_t j, unsigned) {
        ScheduleSite& site = currentSites[j];
        site.node = routing::findNearestNode(site.latitude, site.longitude, &site.snapDistance);
    });
    for (int32_t j = 0; j < siteCount; ++j) {
        if (currentSites[j].node != -1) continue;
        for (int32_t t = 0; t < tourCount; ++t) {
            if (currentTours[t].siteIndex == j || currentTours[t].endSiteIndex == j) currentTours[t].active = 0;
        }
    }
}

bool allocateMatrices() {
    const size_t n = pointCount();
    const bool fits = n == 0 || n <= SIZE_MAX / sizeof(float) / n;
    travelTimeMatrix = fits ? static_cast<float*>(std::malloc(n * n * sizeof(float) + 1)) : nullptr;
    travelLengthMatrix = fits ? static_cast<float*>(std::malloc(n * n * sizeof(float) + 1)) : nullptr;
    if (travelTimeMatrix != nullptr && travelLengthMatrix != nullptr) return true;
    releaseMatrices();
    return false;
}

}  // namespace scheduler

using namespace scheduler;

namespace {

RunScheduleResult scheduleVisits(int32_t nVisits, ScheduleVisit* visits, int32_t nTours, ScheduleTour* tours,
                                 int32_t nSites, ScheduleSite* sites) {
    // An array that is not there holds no records.
    currentVisits = visits;
    currentTours = tours;
    currentSites = sites;
    visitCount = visits != nullptr && nVisits > 0 ? nVisits : 0;
    tourCount = tours != nullptr && nTours > 0 ? nTours : 0;
    siteCount = sites != nullptr && nSites > 0 ? nSites : 0;
    if (scheduleParametersSet == 0) return scheduleNoParameters;
    const RunScheduleResult tourResult = prepareTours();
    if (tourResult != scheduleOk) return tourResult;

    routing::loadRoadNetwork();
    if (routing::isNetworkLoaded() == 0 || !routing::wholeNetworkLoaded()) return scheduleNoNetwork;
    prepareVisits();
    prepareSites();
    if (!allocateMatrices()) {
        // Matrices this large cannot be held: nothing can be dispatched.
        clearData();
        return scheduleNoNetwork;
    }
    buildTravelMatrices();
    for (int32_t t = 0; t < tourCount; ++t) {
        if (currentTours[t].active == 1) scheduleTour(t);
    }
    releaseMatrices();
    clearData();
    return scheduleOk;
}

}  // namespace

OSTRIM_EXPORT int OSTRIM_CALL runSchedule(int nVisits, ScheduleVisit* visits, int nTours, ScheduleTour* tours,
                                          int nSites, ScheduleSite* sites) {
    // A run that cannot complete gives the code of a run without a network,
    // with neither matrices nor network left behind.
    return platform::guardExport(
        static_cast<int>(scheduleNoNetwork),
        [&]() -> int { return scheduleVisits(nVisits, visits, nTours, tours, nSites, sites); },
        [] {
            releaseMatrices();
            routing::abandonRoutingWork();
        });
}
