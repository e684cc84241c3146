// The scheduler's module state: objective weights, the records of the
// running call and the travel matrices between its points (visit i is
// point i, site j is point nVisits + j).
#ifndef OSTRIM_SCHEDULER_STATE_H
#define OSTRIM_SCHEDULER_STATE_H

#include <cstdint>

#include "OstrimMapDll.h"

namespace scheduler {

extern float travelWaitWeight;
extern float serviceWeight;
extern float divisorWeight;
extern unsigned char scheduleParametersSet;

extern ScheduleVisit* currentVisits;
extern ScheduleTour* currentTours;
extern ScheduleSite* currentSites;
extern int32_t visitCount;
extern int32_t tourCount;
extern int32_t siteCount;

extern float* travelTimeMatrix;
extern float* travelLengthMatrix;

float getTravelTime(int32_t from, int32_t to);
void setTravelTime(int32_t from, int32_t to, float minutes);
float getTravelLength(int32_t from, int32_t to);
void setTravelLength(int32_t from, int32_t to, float km);

// The steps of runSchedule on the current records, in the order it takes
// them: the tours (their sites found, clocks converted; a site not there
// ends the run), then after the network load the visits and the sites
// (reset, snapped, converted), the matrices, the dispatch of each active
// tour, and the matrices released.
RunScheduleResult prepareTours();
void prepareVisits();
void prepareSites();
// false, with neither allocated, when they cannot be held.
bool allocateMatrices();
void releaseMatrices();

// Both matrices for the current records: the rows of the points that have
// a road node from the searches (on every core), every other entry "no
// path" (0 on the diagonal).
void buildTravelMatrices();

// Folds a clock value in hours into 0 .. 24.
float wrapHours(float hours);
// A clock value in hours as HHMM, not folded at 24.
int32_t hoursToClock(float hours);

bool isVisitSuitable(int32_t tour, int32_t visit);
void scheduleTour(int32_t tour);

}  // namespace scheduler

#endif
