#include "export_guard.h"
#include "routing_settings.h"
#include "scheduler_state.h"

namespace scheduler {

float travelWaitWeight = 1.0f;
float serviceWeight = 1.0f;
float divisorWeight = 1.0f;
unsigned char scheduleParametersSet = 0;

}  // namespace scheduler

using namespace scheduler;

OSTRIM_EXPORT void OSTRIM_CALL setObjectiveFunction(float travelWait, float service, float divisor) {
    platform::guardVoidExport([&] {
        travelWaitWeight = travelWait;
        serviceWeight = service;
        // The weight divides the dispatch cost: it never falls to zero or below.
        divisorWeight = divisor > 0.1f ? divisor : 0.1f;
    });
}

OSTRIM_EXPORT void OSTRIM_CALL getObjectiveFunction(float* travelWait, float* service, float* divisor) {
    platform::guardVoidExport([&] {
        if (travelWait != nullptr) *travelWait = travelWaitWeight;
        if (service != nullptr) *service = serviceWeight;
        if (divisor != nullptr) *divisor = divisorWeight;
    });
}

OSTRIM_EXPORT void OSTRIM_CALL setScheduleParameters(float class1, float class2, float class3,
                                                     float class4, float class5, float class6,
                                                     float class7, float class8, float class9,
                                                     float class10, float class11, float class12,
                                                     int routeMethod, int restrictions) {
    platform::guardVoidExport([&] {
        setRouteMethod(routeMethod);
        setRestrictions(restrictions);
        scheduleParametersSet = 1;
        const float speeds[12] = {class1, class2, class3, class4, class5,  class6,
                                  class7, class8, class9, class10, class11, class12};
        routing::resetSpeedTable();
        routing::setClassSpeeds(speeds);
        setRouteMethod(routeMethod);
        setRestrictions(restrictions);
    });
}
