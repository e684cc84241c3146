#include <vector>

#include "host.h"

bool showRouting(const Library& library, const std::string& dataRoot) {
    auto setPathFn = HOST_RESOLVE(library, setPath);
    auto clearDataFn = HOST_RESOLVE(library, clearData);
    auto getDistanceTimeFn = HOST_RESOLVE(library, getDistanceTime);
    auto optimiseJRouteFn = HOST_RESOLVE(library, optimiseJRoute);

    const std::string roads = dataRoot + "roads/";
    setPathFn(roads.c_str());
    std::printf("road data folder: %s\n", roads.c_str());

    // Across the sample city, corner to corner.
    double km = 0.0, minutes = 0.0;
    const int found = getDistanceTimeFn(-33.802, 151.102, -33.915, 151.215, &km, &minutes);
    std::printf("two-point route: result %d, %.3f km, %.1f minutes\n", found, km, minutes);

    // A trip of ten stops, first and last fixed.
    std::vector<JourneyStop> stops;
    const float positions[10][2] = {{-33.805f, 151.105f}, {-33.880f, 151.190f}, {-33.830f, 151.120f},
                                    {-33.900f, 151.110f}, {-33.815f, 151.200f}, {-33.860f, 151.150f},
                                    {-33.845f, 151.105f}, {-33.890f, 151.170f}, {-33.820f, 151.160f},
                                    {-33.910f, 151.210f}};
    for (const auto& p : positions) stops.push_back(JourneyStop{p[1], p[0], 0, 0});
    const int ordered = optimiseJRouteFn(static_cast<int>(stops.size()), stops.data());
    std::printf("trip of %zu stops: result %d, visiting order", stops.size(), ordered);
    for (const JourneyStop& stop : stops) std::printf(" %d", stop.visitOrder);
    std::printf("\n");
    clearDataFn();
    return found == 1 && ordered == 1;
}
