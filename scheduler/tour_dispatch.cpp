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

// What the timing walk found for one visit, kept for a release.
struct WalkedLeg {
    int32_t visit = -1;
    float travel = 0.0f;
    float length = 0.0f;
    float wait = 0.0f;
};

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

void scheduleTour(int32_t tourIndex) {
    ScheduleTour& tour = currentTours[tourIndex];
    const int32_t startPoint = visitCount + tour.siteIndex;
    const int32_t endPoint = tour.endSiteIndex >= 0 ? visitCount + tour.endSiteIndex : -1;
    for (int32_t i = 0; i < visitCount; ++i) {
        currentVisits[i].busy = currentVisits[i].available == 1 && currentVisits[i].assigned == 0 ? 0 : 1;
    }
    if (tour.remainingMinutes <= 0) {
        tour.done = 1;
        return;
    }
    for (;;) {
        // Trip start.
        tour.trips += 1;
        int32_t order = 1;
        bool tripKept = false;
        tour.runningA = tour.startA;
        tour.runningB = tour.startB;
        int32_t current = startPoint;
        float length = 0.0f;
        float left = tripBudget(tour);
        // The visits this trip holds, kept by the trip itself so that other
        // tours sharing its id cannot crowd into it.
        std::vector<int32_t> tripVisits;

        bool pick = left > kLeastSpareMinutes;
        while (pick) {
            // Pick pass: the cheapest suitable free visit from where the tour stands.
            const float now = static_cast<float>(tour.startTime + (static_cast<double>(tour.tripMinutes) - left) / 60.0);
            float best = 999999.0f;
            int32_t choice = -1;
            for (int32_t i = 0; i < visitCount; ++i) {
                const ScheduleVisit& visit = currentVisits[i];
                if (visit.busy != 0 || !isVisitSuitable(tourIndex, i)) continue;
                float wait = static_cast<float>(static_cast<double>(visit.windowStart) - now);
                if (wait < 0.0f) wait = 0.0f;
                float s = wrapHours(static_cast<float>(static_cast<double>(now) + wait));
                const float travel = getTravelTime(current, i);
                if (static_cast<double>(wait) * 60.0 < travel) {
                    s = static_cast<float>(static_cast<double>(s) + travel / 60.0 - wait);
                }
                if (s < visit.windowStart ||
                    static_cast<double>(s) + visit.serviceMinutes / 60.0 > visit.windowEnd)
                    continue;
                const float cost = static_cast<float>(
                    (static_cast<double>(serviceWeight) / visit.serviceMinutes +
                     static_cast<double>(travelWaitWeight) * (static_cast<double>(wait) * 60.0 + travel)) /
                    (static_cast<double>(visit.costDivisor) * divisorWeight));
                if (cost < best || travel == 0.0f) {
                    best = cost;
                    choice = i;
                }
            }
            const bool passTook = choice >= 0;
            if (passTook) {
                ScheduleVisit& taken = currentVisits[choice];
                tripKept = true;
                taken.assigned = 1;
                taken.busy = 1;
                taken.assignedTour = tour.id;
                taken.tripNumber = tour.trips;
                taken.tripPosition = order++;
                tour.runningA = static_cast<float>(static_cast<double>(tour.runningA) + taken.amountA);
                tour.runningB = static_cast<float>(static_cast<double>(tour.runningB) + taken.amountB);
                current = choice;
                // Kept in visit array order, the order the trip lists them in.
                tripVisits.insert(std::upper_bound(tripVisits.begin(), tripVisits.end(), choice), choice);
            }

            // Timing walk over the trip in position order.
            float budget = tripBudget(tour);
            int32_t prev = startPoint;
            length = 0.0f;
            WalkedLeg lastLeg;
            const int32_t listed = static_cast<int32_t>(tripVisits.size());
            for (int32_t k = 1; k <= listed; ++k) {
                int32_t v = -1;
                for (int32_t candidate : tripVisits) {
                    if (currentVisits[candidate].tripPosition == k) {
                        v = candidate;
                        break;
                    }
                }
                if (v < 0) continue;
                ScheduleVisit& visit = currentVisits[v];
                const float travel = getTravelTime(prev, v);
                const float legKm = getTravelLength(prev, v);
                length = static_cast<float>(static_cast<double>(length) + legKm);
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
                lastLeg = WalkedLeg{v, travel, legKm, wait};
            }
            if (endPoint >= 0) {
                if (!(order == 2 && tour.countSingleReturn != 1)) {
                    budget = static_cast<float>(static_cast<double>(budget) - getTravelTime(prev, endPoint));
                }
                length = static_cast<float>(static_cast<double>(length) + getTravelLength(prev, endPoint));
            }
            left = static_cast<float>(static_cast<double>(budget) - tour.tripEndMinutes);

            // A trip that runs over gives back its last visit.
            if (left < 0.0f && lastLeg.visit >= 0) {
                ScheduleVisit& back = currentVisits[lastLeg.visit];
                back.assigned = 0;
                back.assignedTour = -1;
                back.tripPosition = 0;
                back.legLength = 0.0f;
                back.legMinutes = 0.0f;
                back.serviceStart = 0;
                back.busy = 1;
                order -= 1;
                tour.runningA = static_cast<float>(static_cast<double>(tour.runningA) - back.amountA);
                tour.runningB = static_cast<float>(static_cast<double>(tour.runningB) - back.amountB);
                left = static_cast<float>(static_cast<double>(left) +
                                          (back.serviceMinutes + static_cast<double>(lastLeg.wait) * 60.0 +
                                           lastLeg.travel));
                length = static_cast<float>(static_cast<double>(length) - lastLeg.length);
                tripVisits.erase(std::find(tripVisits.begin(), tripVisits.end(), lastLeg.visit));
                current = startPoint;
                int32_t highest = 0;
                for (int32_t v : tripVisits) {
                    if (currentVisits[v].tripPosition > highest) {
                        highest = currentVisits[v].tripPosition;
                        current = v;
                    }
                }
                tripKept = false;
            }
            pick = passTook && left > kLeastSpareMinutes;
        }

        // Trip end: book its minutes and kilometres.
        const float used = static_cast<float>(tour.tripMinutes - static_cast<double>(left));
        tour.usedMinutes = platform::truncToInt32(tour.usedMinutes + static_cast<double>(used));
        tour.totalLength = platform::truncToInt32(tour.totalLength + static_cast<double>(length));
        tour.remainingMinutes = platform::truncToInt32(tour.remainingMinutes - static_cast<double>(used));
        tour.startTime = platform::truncToInt32(tour.startTime + used / 60.0);
        if (!tripKept || tour.remainingMinutes <= 0) {
            tour.done = 1;
            return;
        }
    }
}

}  // namespace scheduler
