#include <cmath>
#include <cstdlib>
#include <vector>

#include "export_guard.h"
#include "journey.h"
#include "path_search.h"
#include "road_network.h"
#include "routing_module.h"
#include "scheduler_state.h"
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

void releaseMatrices() {
    std::free(travelTimeMatrix);
    std::free(travelLengthMatrix);
    travelTimeMatrix = nullptr;
    travelLengthMatrix = nullptr;
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
            setTravelTime(from, to, from == to ? 0.0f : kNoPathMinutes);
            setTravelLength(from, to, from == to ? 0.0f : kNoPathKm);
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
    routing::NodeBox box;
    for (int32_t node : nodes) box.add(node);
    // One search per source; each target then has its path or keeps "no
    // path", so one point that cannot be reached costs only its own
    // entries. A search that fails (queue full) leaves its row as it is.
    for (size_t k = 0; k < nodes.size(); ++k) {
        routing::prepareSearchLabels(box.minLat, box.maxLat, box.minLon, box.maxLon, 0.2);
        if (!routing::searchFromNode(nodes[k])) continue;
        for (size_t t = 0; t < nodes.size(); ++t) {
            float minutes = 0.0f;
            float km = 0.0f;
            if (!routing::pathSums(nodes[t], &minutes, &km)) continue;
            setTravelTime(points[k], points[t], minutes);
            setTravelLength(points[k], points[t], km);
        }
    }
}

}  // namespace scheduler

using namespace scheduler;

namespace {

int32_t scheduleVisits(int32_t nVisits, ScheduleVisit* visits, int32_t nTours, ScheduleTour* tours, int32_t nSites,
                       ScheduleSite* sites) {
    // An array that is not there holds no records.
    currentVisits = visits;
    currentTours = tours;
    currentSites = sites;
    visitCount = visits != nullptr && nVisits > 0 ? nVisits : 0;
    tourCount = tours != nullptr && nTours > 0 ? nTours : 0;
    siteCount = sites != nullptr && nSites > 0 ? nSites : 0;
    if (scheduleParametersSet == 0) return 1;

    for (int32_t t = 0; t < tourCount; ++t) {
        ScheduleTour& tour = currentTours[t];
        if (siteCount < 1) return 2;
        const int32_t start = findSite(tour.siteId);
        if (start < 0) return 2;
        tour.siteIndex = start;
        if (tour.endSiteId >= 0) {
            const int32_t end = findSite(tour.endSiteId);
            if (end < 0) return 3;
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

    routing::loadRoadNetwork();
    if (routing::isNetworkLoaded() == 0 || !routing::wholeNetworkLoaded()) return 4;

    for (int32_t i = 0; i < visitCount; ++i) {
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
    }
    for (int32_t j = 0; j < siteCount; ++j) {
        ScheduleSite& site = currentSites[j];
        site.node = routing::findNearestNode(site.latitude, site.longitude, &site.snapDistance);
        if (site.node != -1) continue;
        for (int32_t t = 0; t < tourCount; ++t) {
            if (currentTours[t].siteIndex == j || currentTours[t].endSiteIndex == j) currentTours[t].active = 0;
        }
    }

    const size_t n = pointCount();
    const bool fits = n == 0 || n <= SIZE_MAX / sizeof(float) / n;
    travelTimeMatrix = fits ? static_cast<float*>(std::malloc(n * n * sizeof(float) + 1)) : nullptr;
    travelLengthMatrix = fits ? static_cast<float*>(std::malloc(n * n * sizeof(float) + 1)) : nullptr;
    if (travelTimeMatrix == nullptr || travelLengthMatrix == nullptr) {
        // Matrices this large cannot be held: nothing can be dispatched.
        releaseMatrices();
        clearData();
        return 4;
    }
    buildTravelMatrices();
    for (int32_t t = 0; t < tourCount; ++t) {
        if (currentTours[t].active == 1) scheduleTour(t);
    }
    releaseMatrices();
    clearData();
    return 0;
}

}  // namespace

OSTRIM_EXPORT int OSTRIM_CALL runSchedule(int nVisits, ScheduleVisit* visits, int nTours, ScheduleTour* tours,
                                          int nSites, ScheduleSite* sites) {
    // A run that cannot complete gives the code of a run without a network,
    // with neither matrices nor network left behind.
    return platform::guardExport(
        4, [&] { return scheduleVisits(nVisits, visits, nTours, tours, nSites, sites); },
        [] {
            releaseMatrices();
            routing::abandonRoutingWork();
        });
}
