#include "OstrimMapDll.h"
#include "export_guard.h"
#include "journey.h"
#include "routing_module.h"

namespace {

void writeNoRoute(double* km, double* minutes) {
    if (km != nullptr) *km = -1.0;
    if (minutes != nullptr) *minutes = -1.0;
}

}  // namespace

OSTRIM_EXPORT int OSTRIM_CALL getDistanceTime(double lat1, double lon1, double lat2, double lon2,
                                              double* km, double* minutes) {
    return platform::guardExport(
        -1,
        [&] {
            if (generateJRoute(static_cast<float>(lat1), static_cast<float>(lon1), static_cast<float>(lat2),
                               static_cast<float>(lon2)) == 1) {
                double sumKm = 0.0;
                double sumMinutes = 0.0;
                routing::sumRouteDistanceTime(&sumKm, &sumMinutes);
                if (km != nullptr) *km = sumKm;
                if (minutes != nullptr) *minutes = sumMinutes;
                clearData();
                return 1;
            }
            writeNoRoute(km, minutes);
            return -1;
        },
        [&]() noexcept {
            routing::abandonRoutingWork();
            writeNoRoute(km, minutes);
        });
}
