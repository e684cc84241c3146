/* A plain C host that knows the library only as an installed package: the
 * public header and the library linked by name. It checks the layout of
 * the caller records and the answers of exports that need no data files.
 *   ostrim_install_check <empty folder ending with a separator> */
#include <stddef.h>
#include <stdio.h>

#include <OstrimMapDll.h>

static int failures = 0;
static int checks = 0;

static void check(int holds, const char* what) {
    ++checks;
    if (!holds) {
        fprintf(stderr, "install check: %s\n", what);
        ++failures;
    }
}

static void checkRecords(void) {
    check(sizeof(JourneyStop) == 16 && offsetof(JourneyStop, visitOrder) == 12, "JourneyStop layout");
    check(sizeof(ScheduleVisit) == 524 && offsetof(ScheduleVisit, busy) == 520, "ScheduleVisit layout");
    check(sizeof(ScheduleTour) == 168 && offsetof(ScheduleTour, countSingleReturn) == 164,
          "ScheduleTour layout");
    check(sizeof(ScheduleSite) == 20 && offsetof(ScheduleSite, node) == 16, "ScheduleSite layout");
}

static void checkScheduler(const char* folder) {
    float travelWait = 0.0f;
    float service = 0.0f;
    float divisor = 0.0f;
    ScheduleTour tour = {0};

    getObjectiveFunction(&travelWait, &service, &divisor);
    check(travelWait == 1.0f && service == 1.0f && divisor == 1.0f, "weights at load");
    setObjectiveFunction(2.0f, 3.0f, 0.05f);
    getObjectiveFunction(&travelWait, &service, &divisor);
    check(travelWait == 2.0f && service == 3.0f && divisor == 0.1f, "weights stored");

    check(runSchedule(0, NULL, 0, NULL, 0, NULL) == scheduleNoParameters, "runSchedule before parameters");
    setPath(folder);
    setScheduleParameters(90, 80, 70, 60, 60, 50, 50, 40, 40, 30, 30, 20, 1, 0);
    tour.siteId = 7;
    tour.endSiteId = -1;
    check(runSchedule(0, NULL, 1, &tour, 0, NULL) == scheduleNoStartSite, "runSchedule without sites");
    check(runSchedule(0, NULL, 0, NULL, 0, NULL) == scheduleNoNetwork, "runSchedule without roadnet.dat");
}

static void checkRouting(const char* folder) {
    double km = 0.0;
    double minutes = 0.0;
    JourneyStop stops[4] = {{151.0f, -33.8f, 0, 0}, {151.1f, -33.9f, 0, 0},
                            {151.2f, -33.8f, 0, 0}, {151.3f, -33.9f, 0, 0}};

    setPath(folder);
    addToRoutegen(-33.81, 151.10, "first");
    addToRoutegen(-33.85, 151.16, NULL);
    check(generateRoute(0.0f, 0.0f) == -1, "generateRoute without network files");
    check(getRouteVectors(1, NULL) == -1, "getRouteVectors without a route");
    clearData();
    check(generateJRoute(-33.81f, 151.10f, -33.85f, 151.16f) == -1, "generateJRoute without roadnet.dat");
    check(getDistanceTime(-33.81, 151.10, -33.85, 151.16, &km, &minutes) == -1 && km == -1.0 &&
              minutes == -1.0,
          "getDistanceTime without roadnet.dat");
    check(optimiseJRoute(4, stops) == -1 && stops[1].visitOrder == 0, "optimiseJRoute without roadnet.dat");
}

static void checkImagery(const char* folder) {
    double lat1 = -33.86;
    double lon1 = 151.20;
    double lat2 = 0.0;
    double lon2 = 0.0;
    float zoom = 1.0f;
    unsigned char pixels[16];
    unsigned char palette[1024];
    double west = 151.20;
    double north = -33.86;
    double east = 151.21;
    double south = -33.87;
    int width = 8;
    int height = 8;
    HBITMAP bitmap = NULL;

    InitialiseMaps(folder);
    check(getMap(4, 4, &lat1, &lon1, &lat2, &lon2, &zoom, pixels, palette) == -1 && zoom == 1.0f &&
              lat2 < lat1 && lon2 > lon1,
          "getMap without sheets");
    check(createMap(folder, 11, &west, &north, &east, &south, &width, &height, "out.png", "PNG") == mapBadCity,
          "createMap with city 11");
    check(createMap(folder, 1006, &west, &north, &east, &south, &width, &height, "out.gif", "GIF") ==
              mapBadFormat,
          "createMap with format GIF");
    check(createMapHBMP(folder, 1006, &west, &north, &east, &south, &width, &height, &bitmap) ==
              mapLayerMissing && bitmap == NULL && west == 151.20,
          "createMapHBMP without layer files");
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s <empty folder ending with a separator>\n", argv[0]);
        return 2;
    }
    checkRecords();
    checkScheduler(argv[1]);
    checkRouting(argv[1]);
    checkImagery(argv[1]);
    printf("install check: %d of %d checks passed\n", checks - failures, checks);
    return failures == 0 ? 0 : 1;
}
