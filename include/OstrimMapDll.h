/* OstrimMapDll: road routing, map rendering and tour scheduling over the
 * street-map data files of Australian cities.
 *
 * Every function runs to completion on the calling thread; none may be
 * called while another is running. Narrow strings are NUL-terminated UTF-8.
 * Folder arguments end with a path separator: file names are appended to
 * them as they stand. */
#ifndef OSTRIM_MAP_DLL_H
#define OSTRIM_MAP_DLL_H

#include <stddef.h>
#include <stdint.h>

#include "ostrim_platform.h"

/* ---- Route generator ------------------------------------------------- */

/* Data folder of the road-network files; also resets the speed table. */
OSTRIM_EXPORT void OSTRIM_CALL setPath(const char* path);

/* Frees the route, the added points and the road network in memory. */
OSTRIM_EXPORT void OSTRIM_CALL clearData(void);

/* 0 or 1; other values are ignored. Stored only. */
OSTRIM_EXPORT void OSTRIM_CALL setRestrictions(int value);

/* 0: uniform speeds, 1: road-class speeds; other values are ignored. */
OSTRIM_EXPORT void OSTRIM_CALL setRouteMethod(int value);

/* ---- Multi-point routes ----------------------------------------------- */

/* Adds a point (degrees, latitude negative south) to the route, in travel
 * order. The name is not used. Points accumulate until clearData. */
OSTRIM_EXPORT void OSTRIM_CALL addToRoutegen(double lat, double lon, const char* name);

/* Routes through every added point over the road cells around them. Links
 * that end within 0.0003 degree of (blockLat, blockLon) are avoided where
 * any other way exists. Returns the index of the route's last entry (0 or
 * more), or -1 when there is no route. */
OSTRIM_EXPORT int OSTRIM_CALL generateRoute(float blockLat, float blockLon);

/* The route of the last successful generateRoute as (longitude, latitude)
 * float pairs along the roads, from the first added point to the last.
 * countOnly non-zero: returns an upper bound of the number of pairs and
 * leaves out alone (it may be null). countOnly zero: fills out, which must
 * hold that many pairs, and returns the number written. The pair that ends
 * each stretch of road, and the last pair, carry their latitude negated.
 * Returns -1, writing nothing, when there is no route or its shapes cannot
 * be read. */
OSTRIM_EXPORT int OSTRIM_CALL getRouteVectors(unsigned char countOnly, float* out);

/* ---- Two-point routes and stop ordering (whole network) ---------------- */

/* One stop of a trip for optimiseJRoute, 16 bytes. */
typedef struct JourneyStop {
    float longitude;     /* degrees */
    float latitude;      /* degrees, negative south */
    int32_t callerData;  /* the caller's own: never read or written */
    int32_t visitOrder;  /* written: the record index visited at this position */
} JourneyStop;

#ifdef __cplusplus
static_assert(sizeof(JourneyStop) == 16, "JourneyStop is 16 bytes");
static_assert(offsetof(JourneyStop, longitude) == 0, "JourneyStop layout");
static_assert(offsetof(JourneyStop, latitude) == 4, "JourneyStop layout");
static_assert(offsetof(JourneyStop, callerData) == 8, "JourneyStop layout");
static_assert(offsetof(JourneyStop, visitOrder) == 12, "JourneyStop layout");
#endif

/* Route between two positions over the whole network of "roadnet.dat":
 * 1 when found (it stays in the library until the next route or
 * clearData), -1 otherwise. */
OSTRIM_EXPORT int OSTRIM_CALL generateJRoute(float lat1, float lon1, float lat2, float lon2);

/* Orders the n stops of a trip, the first and last fixed: 1 when the
 * visiting order was written (in record k, the index of the record visited
 * at position k), -1 otherwise with the records untouched. */
OSTRIM_EXPORT int OSTRIM_CALL optimiseJRoute(int n, JourneyStop* stops);

/* ---- Scheduler ------------------------------------------------------- */

/* Clock times written HHMM are hours x 100 + minutes (1730 is 5.30 pm);
 * durations are minutes, lengths kilometres. Fields marked "out" are
 * written by runSchedule, "in/changed" read and then rewritten. */

/* A place a tour serves, 524 bytes. */
typedef struct ScheduleVisit {
    int32_t reserved0;
    int32_t type;              /* visit type; negative: none */
    float latitude;
    float longitude;
    int32_t serviceMinutes;    /* in/changed: below 1 becomes 1 */
    float windowStart;         /* in/changed: HHMM in, hours after the run */
    float windowEnd;           /* in/changed: HHMM in, hours after the run */
    float amountA;             /* signed amounts tested against the tour's limits */
    float amountB;
    int32_t available;         /* 1: may be dispatched; 0 when no road node is near */
    int32_t costDivisor;       /* in/changed: below 1 becomes 1 */
    int32_t allowedTours[100]; /* tour ids; negative first entry: any tour */
    int32_t attributes[10];    /* required; negative first entry: none */
    float snapDistance;        /* out: km to its road node, 999999.0 when none */
    int32_t node;              /* out: road node, -1 none */
    int32_t assignedTour;      /* out: tour id, -1 none */
    int32_t tripNumber;        /* out: from 1; 0 none */
    int32_t tripPosition;      /* out: from 1; 0 none */
    int32_t serviceStart;      /* out: HHMM, not folded at 24 */
    int32_t assigned;          /* in/out: non-zero keeps the visit out of dispatch */
    float legMinutes;          /* out: travel minutes into the visit */
    float legLength;           /* out: km of that leg */
    int32_t busy;              /* work */
} ScheduleVisit;

/* The traveller, 168 bytes. */
typedef struct ScheduleTour {
    int32_t id;
    int32_t visitTypes[5];     /* negative first entry: any type */
    int32_t attributes[10];    /* offered; first entry -1: every attribute */
    int32_t totalMinutes;
    int32_t startTime;         /* in/changed: HHMM in, whole hours after */
    int32_t tripMinutes;
    float runningA;            /* work: amounts of the current (last) trip */
    float runningB;
    float startA;              /* running amounts at each trip start */
    float startB;
    int32_t active;            /* 1: dispatch; 0 when a site has no road node */
    int32_t siteId;
    int32_t endSiteId;         /* negative: none */
    int32_t tripStartMinutes;  /* kept back at the start of each trip */
    int32_t tripEndMinutes;    /* kept back at the end of each trip */
    int32_t reserved112[2];
    float limitA;
    float limitB;
    int32_t remainingMinutes;  /* work: minutes left */
    int32_t reserved132;
    int32_t trips;             /* out: trips started */
    int32_t done;              /* out: 1 when dispatch ended */
    int32_t totalLength;       /* out: km, summed trip by trip */
    int32_t usedMinutes;       /* out: minutes, summed trip by trip */
    int32_t reserved152;
    int32_t siteIndex;         /* work */
    int32_t endSiteIndex;      /* work */
    int32_t countSingleReturn; /* 1: charge the return also after a single visit */
} ScheduleTour;

/* A start or end place, 20 bytes. */
typedef struct ScheduleSite {
    int32_t id;
    float latitude;
    float longitude;
    float snapDistance;        /* out */
    int32_t node;              /* out */
} ScheduleSite;

#ifdef __cplusplus
static_assert(sizeof(ScheduleVisit) == 524, "ScheduleVisit is 524 bytes");
static_assert(offsetof(ScheduleVisit, type) == 4 && offsetof(ScheduleVisit, latitude) == 8 &&
              offsetof(ScheduleVisit, longitude) == 12 && offsetof(ScheduleVisit, serviceMinutes) == 16 &&
              offsetof(ScheduleVisit, windowStart) == 20 && offsetof(ScheduleVisit, windowEnd) == 24 &&
              offsetof(ScheduleVisit, amountA) == 28 && offsetof(ScheduleVisit, amountB) == 32 &&
              offsetof(ScheduleVisit, available) == 36 && offsetof(ScheduleVisit, costDivisor) == 40 &&
              offsetof(ScheduleVisit, allowedTours) == 44 && offsetof(ScheduleVisit, attributes) == 444 &&
              offsetof(ScheduleVisit, snapDistance) == 484 && offsetof(ScheduleVisit, node) == 488 &&
              offsetof(ScheduleVisit, assignedTour) == 492 && offsetof(ScheduleVisit, tripNumber) == 496 &&
              offsetof(ScheduleVisit, tripPosition) == 500 && offsetof(ScheduleVisit, serviceStart) == 504 &&
              offsetof(ScheduleVisit, assigned) == 508 && offsetof(ScheduleVisit, legMinutes) == 512 &&
              offsetof(ScheduleVisit, legLength) == 516 && offsetof(ScheduleVisit, busy) == 520,
              "ScheduleVisit layout");
static_assert(sizeof(ScheduleTour) == 168, "ScheduleTour is 168 bytes");
static_assert(offsetof(ScheduleTour, visitTypes) == 4 && offsetof(ScheduleTour, attributes) == 24 &&
              offsetof(ScheduleTour, totalMinutes) == 64 && offsetof(ScheduleTour, startTime) == 68 &&
              offsetof(ScheduleTour, tripMinutes) == 72 && offsetof(ScheduleTour, runningA) == 76 &&
              offsetof(ScheduleTour, runningB) == 80 && offsetof(ScheduleTour, startA) == 84 &&
              offsetof(ScheduleTour, startB) == 88 && offsetof(ScheduleTour, active) == 92 &&
              offsetof(ScheduleTour, siteId) == 96 && offsetof(ScheduleTour, endSiteId) == 100 &&
              offsetof(ScheduleTour, tripStartMinutes) == 104 && offsetof(ScheduleTour, tripEndMinutes) == 108 &&
              offsetof(ScheduleTour, limitA) == 120 && offsetof(ScheduleTour, limitB) == 124 &&
              offsetof(ScheduleTour, remainingMinutes) == 128 && offsetof(ScheduleTour, trips) == 136 &&
              offsetof(ScheduleTour, done) == 140 && offsetof(ScheduleTour, totalLength) == 144 &&
              offsetof(ScheduleTour, usedMinutes) == 148 && offsetof(ScheduleTour, siteIndex) == 156 &&
              offsetof(ScheduleTour, endSiteIndex) == 160 && offsetof(ScheduleTour, countSingleReturn) == 164,
              "ScheduleTour layout");
static_assert(sizeof(ScheduleSite) == 20, "ScheduleSite is 20 bytes");
static_assert(offsetof(ScheduleSite, latitude) == 4 && offsetof(ScheduleSite, longitude) == 8 &&
              offsetof(ScheduleSite, snapDistance) == 12 && offsetof(ScheduleSite, node) == 16,
              "ScheduleSite layout");
#endif

/* Weights of the dispatch cost: travel plus waiting, service, and the
 * visit's cost divisor (never below 0.1). All 1.0 until set. */
OSTRIM_EXPORT void OSTRIM_CALL setObjectiveFunction(float travelWaitWeight, float serviceWeight,
                                                    float divisorWeight);
OSTRIM_EXPORT void OSTRIM_CALL getObjectiveFunction(float* travelWaitWeight, float* serviceWeight,
                                                    float* divisorWeight);

/* km/h of road classes 1 to 12, the route method and the restriction
 * setting; must be called before runSchedule. */
OSTRIM_EXPORT void OSTRIM_CALL setScheduleParameters(float class1, float class2, float class3,
                                                     float class4, float class5, float class6,
                                                     float class7, float class8, float class9,
                                                     float class10, float class11, float class12,
                                                     int routeMethod, int restrictions);

/* Dispatches the visits to the tours in trips, writing the results into
 * the records. 0 done; 1 parameters not set; 2 a tour's start site not
 * found; 3 a tour's end site not found; 4 road network not loaded. */
OSTRIM_EXPORT int OSTRIM_CALL runSchedule(int nVisits, ScheduleVisit* visits, int nTours,
                                          ScheduleTour* tours, int nSites, ScheduleSite* sites);

/* Road distance (km) and travel time (minutes, road-class speeds) between
 * two positions over the whole network: 1 when a route was found (the
 * network is then released), -1 with both outputs -1.0 otherwise. */
OSTRIM_EXPORT int OSTRIM_CALL getDistanceTime(double lat1, double lon1, double lat2, double lon2,
                                              double* km, double* minutes);

/* ---- Map sheets ------------------------------------------------------ */

/* Maps folder (ending with a separator) holding the zoom folders "1//",
 * "3//", "6//", "12//" and "24//"; reads the sheet index "1//index.dat". */
OSTRIM_EXPORT void OSTRIM_CALL InitialiseMaps(const char* folder);

/* Composes width x height palette indexes of the map sheets, bottom row
 * first, for the view whose top-left corner is (*lat1, *lon1) at *zoom
 * metres per pixel. Writes back the zoom rounded to tenths, the top-left
 * corner after a round trip through the grid and the bottom-right corner
 * (*lat2, *lon2), then returns 0 with all of pixels and the 1024-byte
 * palette (256 entries of 4 bytes) written, or -1 when no sheet was drawn.
 * A zoom below 0.1 or unusable arguments give -1 with nothing written. */
OSTRIM_EXPORT int OSTRIM_CALL getMap(int width, int height, double* lat1, double* lon1, double* lat2,
                                     double* lon2, float* zoom, unsigned char* pixels,
                                     unsigned char* palette);
/* ---- Map layer rendering ---------------------------------------------- */

/* Results of createMap and createMapHBMP. */
typedef enum CreateMapResult {
    mapOk = 0,           /* image made, corners written back */
    mapBadFormat = 1,    /* createMap: format is neither "BMP" nor "PNG" */
    mapBadCity = 2,      /* code % 1000 outside 0..10 */
    mapLayerMissing = 3, /* the layer's files are missing or unusable */
    mapNotSaved = 4,     /* createMap: the image file was not written */
    mapViewOutside = 5,  /* the view leaves the layer image, or all of it is white */
    mapNoBitmap = 6      /* no bitmap of that size could be made */
} CreateMapResult;

/* Renders a view of one city map layer. folder: base folder of the city
 * folders; code: layer * 1000 + city. The corners are the north-west
 * (lon1, lat1) and south-east (lon2, lat2) corners of the requested view in
 * degrees; on mapOk they are overwritten with the corners the image shows.
 * width and height are read only. format: "BMP" or "PNG" (first three
 * characters). Returns a CreateMapResult. */
OSTRIM_EXPORT int OSTRIM_CALL createMap(const char* folder, int code, double* lon1, double* lat1,
                                        double* lon2, double* lat2, int* width, int* height,
                                        const char* file, const char* format);

/* As createMap, but hands out the rendered bitmap instead of saving it: on
 * mapOk *bitmap is the library's own image (a GdkPixbuf* on this platform,
 * 24-bit RGB). The caller must not free it; it stays valid until the next
 * createMap or createMapHBMP call that passes the city check (and, for
 * createMap, the format check), or until the library is unloaded. */
OSTRIM_EXPORT int OSTRIM_CALL createMapHBMP(const char* folder, int code, double* lon1, double* lat1,
                                            double* lon2, double* lat2, int* width, int* height,
                                            HBITMAP* bitmap);

#endif
