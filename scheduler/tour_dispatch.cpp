// Greedy dispatch of visits to one tour, trip by trip.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "scheduler_state.h"
#include "truncate.h"

namespace scheduler {

namespace {

// Spare minutes a trip needs, strictly exceeded, before it may pick.
constexpr float kLeastSpareMinutes = 5.0f;

bool anyEquals(const int32_t* list, int count, int32_t value) {
    return std::find(list, list + count, value) != list + count;
}

// The spare minutes a trip starts with. The caller's fields may be any
// int32, so the difference is formed in 64 bits and held within int32.
float tripBudget(const ScheduleTour& tour) {
    const int64_t budget = int64_t{std::min(tour.tripMinutes, tour.remainingMinutes)} - tour.tripStartMinutes;
    return static_cast<float>(std::clamp<int64_t>(budget, INT32_MIN, INT32_MAX));
}

bool amountFits(float amount, float limit, float running) {
    if (amount < 0.0f) return static_cast<double>(limit) >= -static_cast<double>(amount);
    if (amount > 0.0f) return static_cast<double>(running) - static_cast<double>(limit) >= static_cast<double>(amount);
    return true;
}

}  // namespace

bool isVisitSuitable(int32_t tourIndex, int32_t visitIndex) {
    const ScheduleTour& tour = currentTours[tourIndex];
    const ScheduleVisit& visit = currentVisits[visitIndex];
    if (visit.available == 0) return false;
    if (tour.visitTypes[0] >= 0 && visit.type >= 0 && !anyEquals(tour.visitTypes, 5, visit.type)) return false;
    if (visit.allowedTours[0] >= 0 && tour.id != -1 && !anyEquals(visit.allowedTours, 100, tour.id)) return false;
    if (visit.attributes[0] >= 0 && tour.attributes[0] != -1) {
        bool shared = false;
        for (int i = 0; i < 10 && !shared; ++i) shared = anyEquals(tour.attributes, 10, visit.attributes[i]);
        if (!shared) return false;
    }
    return amountFits(visit.amountA, tour.limitA, tour.runningA) &&
           amountFits(visit.amountB, tour.limitB, tour.runningB);
}

namespace {

// What the timing walk found for one visit, kept for a release.
struct WalkedLeg {
    int32_t visit = -1;
    float travel = 0.0f;
    float length = 0.0f;
    float wait = 0.0f;
};

// One trip of the tour being dispatched: where it stands and what it has
// taken, shared by its steps.
struct Trip {
    int32_t tourIndex;
    int32_t startPoint;
    int32_t endPoint;  // -1: none
    int32_t order = 1;  // the position the next pick receives
    bool kept = false;  // a pick took a visit and no release followed
    int32_t current;    // where the next pick measures travel from
    float length = 0.0f;
    float left;
    // The visits this trip holds, kept by the trip itself so that other
    // tours sharing its id cannot crowd into it; in visit array order, the
    // order the trip lists them in.
    std::vector<int32_t> visits;
    WalkedLeg lastLeg;  // of the last timing walk
};

// Every visit that is available and not taken is a candidate.
void markCandidates() {
    for (int32_t i = 0; i < visitCount; ++i) {
        currentVisits[i].busy = currentVisits[i].available == 1 && currentVisits[i].assigned == 0 ? 0 : 1;
    }
}

Trip startTrip(int32_t tourIndex) {
    ScheduleTour& tour = currentTours[tourIndex];
    tour.trips += 1;
    tour.runningA = tour.startA;
    tour.runningB = tour.startB;
    Trip trip;
    trip.tourIndex = tourIndex;
    trip.startPoint = visitCount + tour.siteIndex;
    trip.endPoint = tour.endSiteIndex >= 0 ? visitCount + tour.endSiteIndex : -1;
    trip.current = trip.startPoint;
    trip.left = tripBudget(tour);
    return trip;
}

// The cheapest suitable free visit from where the trip stands, or -1.
int32_t pickVisit(const Trip& trip) {
    const ScheduleTour& tour = currentTours[trip.tourIndex];
    const float now = static_cast<float>(tour.startTime + (static_cast<double>(tour.tripMinutes) - trip.left) / 60.0);
    float best = 999999.0f;
    int32_t choice = -1;
    for (int32_t i = 0; i < visitCount; ++i) {
        const ScheduleVisit& visit = currentVisits[i];
        if (visit.busy != 0 || !isVisitSuitable(trip.tourIndex, i)) continue;
        float wait = static_cast<float>(static_cast<double>(visit.windowStart) - now);
        if (wait < 0.0f) wait = 0.0f;
        float s = wrapHours(static_cast<float>(static_cast<double>(now) + wait));
        const float travel = getTravelTime(trip.current, i);
        if (static_cast<double>(wait) * 60.0 < travel) {
            s = static_cast<float>(static_cast<double>(s) + travel / 60.0 - wait);
        }
        if (s < visit.windowStart || static_cast<double>(s) + visit.serviceMinutes / 60.0 > visit.windowEnd) continue;
        const float cost = static_cast<float>(
            (static_cast<double>(serviceWeight) / visit.serviceMinutes +
             static_cast<double>(travelWaitWeight) * (static_cast<double>(wait) * 60.0 + travel)) /
            (static_cast<double>(visit.costDivisor) * divisorWeight));
        if (cost < best || travel == 0.0f) {
            best = cost;
            choice = i;
        }
    }
    return choice;
}

void takeVisit(Trip& trip, int32_t choice) {
    ScheduleTour& tour = currentTours[trip.tourIndex];
    ScheduleVisit& taken = currentVisits[choice];
    trip.kept = true;
    taken.assigned = 1;
    taken.busy = 1;
    taken.assignedTour = tour.id;
    taken.tripNumber = tour.trips;
    taken.tripPosition = trip.order++;
    tour.runningA = static_cast<float>(static_cast<double>(tour.runningA) + taken.amountA);
    tour.runningB = static_cast<float>(static_cast<double>(tour.runningB) + taken.amountB);
    trip.current = choice;
    trip.visits.insert(std::upper_bound(trip.visits.begin(), trip.visits.end(), choice), choice);
}

// The trip timed in position order from its start, with the end leg:
// each visit's leg and service start written, the trip's length and spare
// minutes found.
void walkTrip(Trip& trip) {
    const ScheduleTour& tour = currentTours[trip.tourIndex];
    float budget = tripBudget(tour);
    int32_t prev = trip.startPoint;
    trip.length = 0.0f;
    trip.lastLeg = WalkedLeg{};
    const int32_t listed = static_cast<int32_t>(trip.visits.size());
    for (int32_t k = 1; k <= listed; ++k) {
        int32_t v = -1;
        for (int32_t candidate : trip.visits) {
            if (currentVisits[candidate].tripPosition == k) {
                v = candidate;
                break;
            }
        }
        if (v < 0) continue;
        ScheduleVisit& visit = currentVisits[v];
        const float travel = getTravelTime(prev, v);
        const float legKm = getTravelLength(prev, v);
        trip.length = static_cast<float>(static_cast<double>(trip.length) + legKm);
        budget = static_cast<float>(static_cast<double>(budget) - travel);
        const float arrival =
            static_cast<float>(tour.startTime + (static_cast<double>(tour.tripMinutes) - budget) / 60.0);
        float wait = static_cast<float>(static_cast<double>(visit.windowStart) - arrival);
        if (wait < 0.0f) wait = 0.0f;
        visit.legLength = legKm;
        visit.legMinutes = travel;
        budget = static_cast<float>(static_cast<double>(budget) - static_cast<double>(wait) * 60.0);
        visit.serviceStart = hoursToClock(
            static_cast<float>(tour.startTime + (static_cast<double>(tour.tripMinutes) - budget) / 60.0));
        budget = static_cast<float>(static_cast<double>(budget) - visit.serviceMinutes);
        prev = v;
        trip.lastLeg = WalkedLeg{v, travel, legKm, wait};
    }
    if (trip.endPoint >= 0) {
        if (!(trip.order == 2 && tour.countSingleReturn != 1)) {
            budget = static_cast<float>(static_cast<double>(budget) - getTravelTime(prev, trip.endPoint));
        }
        trip.length = static_cast<float>(static_cast<double>(trip.length) + getTravelLength(prev, trip.endPoint));
    }
    trip.left = static_cast<float>(static_cast<double>(budget) - tour.tripEndMinutes);
}

// A trip that runs over gives back the visit it walked last.
void releaseLastVisit(Trip& trip) {
    ScheduleTour& tour = currentTours[trip.tourIndex];
    const WalkedLeg& leg = trip.lastLeg;
    ScheduleVisit& back = currentVisits[leg.visit];
    back.assigned = 0;
    back.assignedTour = -1;
    back.tripPosition = 0;
    back.legLength = 0.0f;
    back.legMinutes = 0.0f;
    back.serviceStart = 0;
    back.busy = 1;
    trip.order -= 1;
    tour.runningA = static_cast<float>(static_cast<double>(tour.runningA) - back.amountA);
    tour.runningB = static_cast<float>(static_cast<double>(tour.runningB) - back.amountB);
    trip.left = static_cast<float>(static_cast<double>(trip.left) +
                                   (back.serviceMinutes + static_cast<double>(leg.wait) * 60.0 + leg.travel));
    trip.length = static_cast<float>(static_cast<double>(trip.length) - leg.length);
    trip.visits.erase(std::find(trip.visits.begin(), trip.visits.end(), leg.visit));
    trip.current = trip.startPoint;
    int32_t highest = 0;
    for (int32_t v : trip.visits) {
        if (currentVisits[v].tripPosition > highest) {
            highest = currentVisits[v].tripPosition;
            trip.current = v;
        }
    }
    trip.kept = false;
}

// The trip's minutes and kilometres booked to the tour; the next trip
// starts on a whole hour.
void endTrip(const Trip& trip) {
    ScheduleTour& tour = currentTours[trip.tourIndex];
    const float used = static_cast<float>(tour.tripMinutes - static_cast<double>(trip.left));
    tour.usedMinutes = platform::truncToInt32(tour.usedMinutes + static_cast<double>(used));
    tour.totalLength = platform::truncToInt32(tour.totalLength + static_cast<double>(trip.length));
    tour.remainingMinutes = platform::truncToInt32(tour.remainingMinutes - static_cast<double>(used));
    tour.startTime = platform::truncToInt32(tour.startTime + used / 60.0);
}

}  // namespace

void scheduleTour(int32_t tourIndex) {
    ScheduleTour& tour = currentTours[tourIndex];
    markCandidates();
    if (tour.remainingMinutes <= 0) {
        tour.done = 1;
        return;
    }
    for (;;) {
        Trip trip = startTrip(tourIndex);
        bool pick = trip.left > kLeastSpareMinutes;
        while (pick) {
            const int32_t choice = pickVisit(trip);
            if (choice >= 0) takeVisit(trip, choice);
            walkTrip(trip);
            if (trip.left < 0.0f && trip.lastLeg.visit >= 0) releaseLastVisit(trip);
            pick = choice >= 0 && trip.left > kLeastSpareMinutes;
        }
        endTrip(trip);
        if (!trip.kept || tour.remainingMinutes <= 0) {
            tour.done = 1;
            return;
        }
    }
}

}  // namespace scheduler
