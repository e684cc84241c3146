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

// Entries between points that no search connected.
constexpr float kNoPathMinutes = 3200000.0f;
constexpr float kNoPathKm = 0.0f;

float getTravelTime(int32_t from, int32_t to);
void setTravelTime(int32_t from, int32_t to, float minutes);
float getTravelLength(int32_t from, int32_t to);
void setTravelLength(int32_t from, int32_t to, float km);

void buildTravelMatrices();

// Folds a clock value in hours into 0 .. 24.
float wrapHours(float hours);
// A clock value in hours as HHMM, not folded at 24.
int32_t hoursToClock(float hours);

bool isVisitSuitable(int32_t tour, int32_t visit);
void scheduleTour(int32_t tour);

}  // namespace scheduler

#endif
