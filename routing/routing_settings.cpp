#include "routing_settings.h"

#include <cstring>

#include "OstrimMapDll.h"
#include "export_guard.h"
#include "file_names.h"
#include "load_order.h"

namespace routing {

OSTRIM_ROUTING_SETTINGS_OBJECT wxString dataPath;
int32_t routeMethod = 0;
int32_t restrictionsFlag = 0;
float speedTable[kRoadClasses][2] = {};
float currentSpeeds[kRoadClasses] = {};

namespace {

const float kDefaultSpeeds[kRoadClasses][2] = {
    {50, 50}, {50, 96}, {50, 84}, {50, 72}, {50, 68}, {50, 56}, {32, 32},
    {50, 52}, {50, 40}, {50, 30}, {50, 26}, {50, 22}, {32, 16},
};

}  // namespace

void resetSpeedTable() { std::memcpy(speedTable, kDefaultSpeeds, sizeof(speedTable)); }

void setClassSpeeds(const float speeds[12]) {
    for (int c = 1; c <= 12; ++c) speedTable[c][1] = speeds[c - 1];
}

void selectCurrentSpeeds() {
    const int column = routeMethod == 0 ? 0 : 1;
    for (int c = 0; c < kRoadClasses; ++c) currentSpeeds[c] = speedTable[c][column];
}

}  // namespace routing

using namespace routing;

OSTRIM_EXPORT void OSTRIM_CALL setPath(const char* path) {
    platform::guardVoidExport([&] {
        // Converted in full before anything changes, so a failure leaves
        // the old folder and speed table.
        wxString folder = platform::fromUtf8(path);
        dataPath.swap(folder);
        resetSpeedTable();
    });
}

OSTRIM_EXPORT void OSTRIM_CALL setRestrictions(int value) {
    platform::guardVoidExport([&] {
        if (value == 0 || value == 1) restrictionsFlag = value;
    });
}

OSTRIM_EXPORT void OSTRIM_CALL setRouteMethod(int value) {
    platform::guardVoidExport([&] {
        if (value == 0 || value == 1) routeMethod = value;
    });
}
