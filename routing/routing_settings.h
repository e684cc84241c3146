// What a caller sets for routing and what stays until it is set again: the
// data folder of every road-data file, the route method (the column of the
// speed table), the restriction setting, and the speed table itself with
// the column in use.
#ifndef OSTRIM_ROUTING_SETTINGS_H
#define OSTRIM_ROUTING_SETTINGS_H

#include <wx/string.h>

#include <cstdint>

namespace routing {

extern wxString dataPath;
extern int32_t routeMethod;
extern int32_t restrictionsFlag;

constexpr int kRoadClasses = 13;
// km/h by road class, column 0 for route method 0, column 1 for method 1.
extern float speedTable[kRoadClasses][2];
// The column of the route method, as the last costing of the links took it.
extern float currentSpeeds[kRoadClasses];

void resetSpeedTable();
// speeds[0..11] into column 1 of classes 1 to 12.
void setClassSpeeds(const float speeds[12]);
// Takes the route method's column into currentSpeeds: the first step of
// every costing of the links.
void selectCurrentSpeeds();

}  // namespace routing

#endif
