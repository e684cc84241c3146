/* OstrimMapDll: road routes, street-map images and delivery-tour schedules
 * over the read-only street-map data files of Australian cities.
 *
 * Link with -lOstrimMapDll (pkg-config OstrimMapDll, or the CMake target
 * OstrimMapDll::OstrimMapDll). This header needs only the C standard
 * headers and compiles as C (C99 or later) and as C++ (C++11 or later).
 *
 * Rules that hold for every function:
 * - One call at a time. The library keeps one set of state for the whole
 *   process (one road network, one route, one scheduler, one renderer), and
 *   no function may start while another is running, on any thread. A call
 *   returns when its work is done; nothing of the library runs between
 *   calls.
 * - Loading the library starts the wxWidgets toolkit in the host's process
 *   (wxInitialize, all image handlers); unloading stops it.
 * - Text arguments are NUL-terminated UTF-8. A null pointer, or text that
 *   is not valid UTF-8, reads as empty text.
 * - Folder arguments end with a path separator: file names are appended to
 *   them as they stand ("/data/" + "roadnet.dat"). An empty folder means
 *   the current directory.
 * - Positions are decimal degrees, latitude negative south. Arguments give
 *   latitude before longitude, except the corners of createMap and
 *   createMapHBMP; buffers of point pairs hold longitude first.
 * - Failures are reported by results only (-1, or the codes of the enums
 *   below); nothing is printed or logged and no exception leaves a call.
 *   Missing, short or damaged data files, null pointers and out-of-range
 *   numbers give the documented failure result, never a crash.
 * - The caller owns every buffer and record it passes; the library keeps
 *   no pointer to them after the call. What the library hands out (the
 *   image of createMapHBMP) stays the library's.
 * - Data files are only read, never written; the library writes nothing
 *   but the image files that createMap is asked for. */
#ifndef OSTRIM_MAP_DLL_H
#define OSTRIM_MAP_DLL_H

#include <stddef.h>
#include <stdint.h>

#include "OstrimMapDllPlatform.h"

/* ==== Routing set-up ====================================================
 * Road-network files, read from the data folder: "roadnet.dat" (the whole
 * network), "roadnet.it" and "roadnet.nl" (the network by 0.01-degree
 * cells), "link.ind" and "link.dat" (road shapes). */

/* Sets the data folder of the road-network files and resets the speed
 * table to its defaults (undoing the speeds of setScheduleParameters). A
 * network already in memory stays there: call clearData to change data
 * folders. Call it before any other routing or scheduling function. */
OSTRIM_EXPORT void OSTRIM_CALL setPath(const char* path);

/* Speeds of the next costing of the road links: 0 the same speed on every
 * road, 1 road-class speeds. 0 at load; other values are ignored. Takes
 * effect at the next generateRoute. Every load of the whole network (by
 * generateJRoute, optimiseJRoute, getDistanceTime and runSchedule) costs
 * its links at road-class speeds and sets the method to 1. */
OSTRIM_EXPORT void OSTRIM_CALL setRouteMethod(int value);

/* Stores 0 or 1 (other values are ignored). Kept for callers that set it;
 * no route depends on it. */
OSTRIM_EXPORT void OSTRIM_CALL setRestrictions(int value);

/* Releases the added points, any route and the road network in memory, so
 * that the next request starts afresh and reloads its files. The data
 * folder, route method, restriction setting and speeds stay. Unloading the
 * library does not release them: call it before unloading. */
OSTRIM_EXPORT void OSTRIM_CALL clearData(void);

/* ==== Routes through several points =====================================
 * setPath; addToRoutegen for each point in travel order; generateRoute;
 * getRouteVectors twice (count, then fill); clearData before the next,
 * independent request. These work on the cells of the network around the
 * points, not on the whole network. */

/* Appends a point of the route. The name may be null and is not kept.
 * Points accumulate until clearData, which getDistanceTime (on a found
 * route) and runSchedule (when it completes) also perform. */
OSTRIM_EXPORT void OSTRIM_CALL addToRoutegen(double lat, double lon, const char* name);

/* Routes through every added point in order over the road cells around
 * them, snapping each point to its nearest road. The search margin starts
 * at a fifth of the points' extent (0.02 to 0.5 degree) and widens by half
 * a degree after each failed search, up to five searches. Links that end
 * within 0.0003 degree of (blockLat, blockLon) are taken only where there
 * is no other way ((0, 0) blocks nothing here). Returns 0 or more (the
 * index of the route's last entry) when a route was found, -1 when not
 * (fewer than two points, a cell or shape file missing, no road near a
 * point, or no way through). Replaces any route and network in memory. */
OSTRIM_EXPORT int OSTRIM_CALL generateRoute(float blockLat, float blockLon);

/* Hands back the route of the last generateRoute as (longitude, latitude)
 * float pairs along the road shapes, from the first added point as given
 * to the last. countOnly non-zero: returns an upper bound of the number of
 * pairs, out may be null. countOnly zero: fills out, which must hold that
 * many pairs (8 bytes each), and returns the number written. The pair that
 * ends each stretch of road and the last pair carry their latitude negated
 * (positive south of the equator); negate it back for the position.
 * Returns -1 and writes nothing when there is no such route (none found,
 * or released by clearData or by a call that loads the whole network),
 * when "link.ind" or "link.dat" cannot be read, when out is null in fill
 * mode, or when the polyline no longer fits the count last returned for
 * this route (the shape files changed in between). The route is not
 * changed: repeated calls agree. */
OSTRIM_EXPORT int OSTRIM_CALL getRouteVectors(unsigned char countOnly, float* out);

/* ==== Two-point routes and stop ordering ================================
 * These load the whole network from "roadnet.dat" when it is not already
 * in memory (replacing the cells of generateRoute and its route) and keep
 * it until clearData. Positions snap to the nearest road node within 0.1
 * degree of latitude. */

/* One stop of optimiseJRoute, 16 bytes. */
typedef struct JourneyStop {
    float longitude;     /* degrees */
    float latitude;      /* degrees, negative south */
    int32_t callerData;  /* the caller's own: never read or written */
    int32_t visitOrder;  /* out: the record index visited at this position */
} JourneyStop;

OSTRIM_LAYOUT_CHECK(JourneyStop_size, sizeof(JourneyStop) == 16);
OSTRIM_LAYOUT_CHECK(JourneyStop_fields, offsetof(JourneyStop, latitude) == 4 &&
                                            offsetof(JourneyStop, callerData) == 8 &&
                                            offsetof(JourneyStop, visitOrder) == 12);

/* Road distance and travel time between two positions: km as the route's
 * length, minutes at the road-class speeds as the speed table stands at
 * the call (defaults, or those of setScheduleParameters). Either output
 * may be null. Returns 1 when a route was found, then releases everything
 * as clearData does (the next call reads "roadnet.dat" again); -1 with both
 * outputs -1.0 when not (no "roadnet.dat", no road near a position, or no
 * route within 0.9 degree of the two). */
OSTRIM_EXPORT int OSTRIM_CALL getDistanceTime(double lat1, double lon1, double lat2, double lon2,
                                              double* km, double* minutes);

/* Whether two positions are joined by road: searches a window around them
 * from 0.1 degree, widened by 0.2 up to 0.9 until a route is found.
 * Returns 1 when found, -1 otherwise (also when "roadnet.dat" is missing
 * or no road node is near a position). Only the answer is handed back:
 * getRouteVectors answers -1 for this route, getDistanceTime gives a
 * route's length and time. */
OSTRIM_EXPORT int OSTRIM_CALL generateJRoute(float lat1, float lon1, float lat2, float lon2);

/* Puts the n stops of a trip in visiting order, the first record staying
 * first and the last staying last, by cheapest insertion over the travel
 * times between the stops (stops that cannot reach one another count as
 * very far apart). Returns 1 with visitOrder written in every record:
 * read in record order, the visitOrder values list the record indexes in
 * visiting order (record 0 holds 0, record n-1 holds n-1). Returns -1 with
 * the records untouched when n is below 4, stops is null, "roadnet.dat"
 * is missing or a stop has no road node near it. The travel times are
 * searched on every processor of the machine, on threads that end before
 * the call returns; the order is the same on any number of them. */
OSTRIM_EXPORT int OSTRIM_CALL optimiseJRoute(int n, JourneyStop* stops);

/* ==== Tour scheduling ===================================================
 * setPath; setScheduleParameters (once at least); setObjectiveFunction
 * when weights other than 1.0 are wanted; runSchedule.
 * Clock times written HHMM are hours x 100 + minutes (1730 is 5.30 pm);
 * durations are minutes, lengths kilometres. In the records, "in/changed"
 * fields are read and then rewritten in place, "out" fields written and
 * "work" fields overwritten during a run; unmarked fields are read only,
 * reserved ones neither read nor written. Before another run over the
 * same arrays, restore the changed clocks to HHMM and clear assigned in
 * the visits to be dispatched again. */

/* A place a tour serves, 524 bytes. */
typedef struct ScheduleVisit {
    int32_t reserved0;
    int32_t type;              /* visit type; negative: none */
    float latitude;
    float longitude;
    int32_t serviceMinutes;    /* in/changed: below 1 becomes 1 */
    float windowStart;         /* in/changed: HHMM in, hours after the run */
    float windowEnd;           /* in/changed: HHMM in, hours after the run */
    /* Amounts: a negative one fits a tour whose limit is at least its size,
     * a positive one a trip whose running amount less the limit is at least
     * it; a taken visit adds it to the trip's running amount. */
    float amountA;
    float amountB;
    int32_t available;         /* in/changed: only 1 may be dispatched; 0 when no road node is near */
    int32_t costDivisor;       /* in/changed: divides the visit's cost; below 1 becomes 1 */
    int32_t allowedTours[100]; /* tour ids that may take it; negative first entry: any tour */
    int32_t attributes[10];    /* the tour must offer one; negative first entry: none needed */
    float snapDistance;        /* out: km to its road node, 999999.0 when none */
    int32_t node;              /* out: road node, -1 none */
    int32_t assignedTour;      /* out: id of the tour that took it, -1 none */
    int32_t tripNumber;        /* out: that tour's trip, from 1; 0 none */
    int32_t tripPosition;      /* out: position in the trip, from 1; 0 none */
    int32_t serviceStart;      /* out: HHMM, not folded at 24 (2530) */
    int32_t assigned;          /* in/out: non-zero keeps it out of dispatch; 1 when taken */
    float legMinutes;          /* out: travel minutes into the visit */
    float legLength;           /* out: km of that leg */
    int32_t busy;              /* work */
} ScheduleVisit;

/* The traveller, 168 bytes; tour ids are unique and not -1. */
typedef struct ScheduleTour {
    int32_t id;
    int32_t visitTypes[5];     /* types it takes; negative first entry: any type */
    int32_t attributes[10];    /* offered; first entry -1: every attribute */
    int32_t totalMinutes;      /* working minutes of the tour */
    int32_t startTime;         /* in/changed: HHMM in, whole hours after */
    int32_t tripMinutes;       /* length of one trip */
    float runningA;            /* work: amounts of the current (last) trip */
    float runningB;
    float startA;              /* the running amounts at each trip start */
    float startB;
    int32_t active;            /* in/changed: 1 dispatch; 0 when a site has no road node */
    int32_t siteId;            /* start site of every trip */
    int32_t endSiteId;         /* end site of every trip; negative: none */
    int32_t tripStartMinutes;  /* kept back at the start of each trip */
    int32_t tripEndMinutes;    /* kept back at the end of each trip */
    int32_t reserved112[2];
    float limitA;              /* thresholds of the amount tests */
    float limitB;
    int32_t remainingMinutes;  /* work: minutes left */
    int32_t reserved132;
    int32_t trips;             /* out: trips started */
    int32_t done;              /* out: 1 when dispatched */
    int32_t totalLength;       /* out: km, summed trip by trip */
    int32_t usedMinutes;       /* out: minutes, summed trip by trip */
    int32_t reserved152;
    int32_t siteIndex;         /* work: index of the start site */
    int32_t endSiteIndex;      /* work: index of the end site, -1 none */
    int32_t countSingleReturn; /* 1: charge the return also after a single visit */
} ScheduleTour;

/* A start or end place, 20 bytes; the first site carrying an id is used. */
typedef struct ScheduleSite {
    int32_t id;
    float latitude;
    float longitude;
    float snapDistance;        /* out: km to its road node, 999999.0 when none */
    int32_t node;              /* out: road node, -1 none */
} ScheduleSite;

OSTRIM_LAYOUT_CHECK(ScheduleVisit_size, sizeof(ScheduleVisit) == 524);
OSTRIM_LAYOUT_CHECK(ScheduleVisit_fields,
    offsetof(ScheduleVisit, type) == 4 && offsetof(ScheduleVisit, latitude) == 8 &&
    offsetof(ScheduleVisit, longitude) == 12 && offsetof(ScheduleVisit, serviceMinutes) == 16 &&
    offsetof(ScheduleVisit, windowStart) == 20 && offsetof(ScheduleVisit, windowEnd) == 24 &&
    offsetof(ScheduleVisit, amountA) == 28 && offsetof(ScheduleVisit, amountB) == 32 &&
    offsetof(ScheduleVisit, available) == 36 && offsetof(ScheduleVisit, costDivisor) == 40 &&
    offsetof(ScheduleVisit, allowedTours) == 44 && offsetof(ScheduleVisit, attributes) == 444 &&
    offsetof(ScheduleVisit, snapDistance) == 484 && offsetof(ScheduleVisit, node) == 488 &&
    offsetof(ScheduleVisit, assignedTour) == 492 && offsetof(ScheduleVisit, tripNumber) == 496 &&
    offsetof(ScheduleVisit, tripPosition) == 500 && offsetof(ScheduleVisit, serviceStart) == 504 &&
    offsetof(ScheduleVisit, assigned) == 508 && offsetof(ScheduleVisit, legMinutes) == 512 &&
    offsetof(ScheduleVisit, legLength) == 516 && offsetof(ScheduleVisit, busy) == 520);
OSTRIM_LAYOUT_CHECK(ScheduleTour_size, sizeof(ScheduleTour) == 168);
OSTRIM_LAYOUT_CHECK(ScheduleTour_fields,
    offsetof(ScheduleTour, visitTypes) == 4 && offsetof(ScheduleTour, attributes) == 24 &&
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
    offsetof(ScheduleTour, endSiteIndex) == 160 && offsetof(ScheduleTour, countSingleReturn) == 164);
OSTRIM_LAYOUT_CHECK(ScheduleSite_size, sizeof(ScheduleSite) == 20);
OSTRIM_LAYOUT_CHECK(ScheduleSite_fields,
    offsetof(ScheduleSite, latitude) == 4 && offsetof(ScheduleSite, longitude) == 8 &&
    offsetof(ScheduleSite, snapDistance) == 12 && offsetof(ScheduleSite, node) == 16);

/* Weights of the dispatch cost, stored as given except the third, which is
 * never below 0.1 (smaller values and NaN store 0.1). All 1.0 at load. */
OSTRIM_EXPORT void OSTRIM_CALL setObjectiveFunction(float travelWaitWeight, float serviceWeight,
                                                    float divisorWeight);

/* Writes the three weights; a null pointer is passed over. */
OSTRIM_EXPORT void OSTRIM_CALL getObjectiveFunction(float* travelWaitWeight, float* serviceWeight,
                                                    float* divisorWeight);

/* Road-class speeds in km/h for classes 1 to 12 (taken as given; the rest
 * of the speed table goes back to its defaults), the route method and the
 * restriction setting (as setRouteMethod and setRestrictions). The speeds
 * apply to generateRoute at method 1, to the links whose stored travel
 * time is under a minute at the next load of the whole network, and to
 * the minutes of getDistanceTime. Required once before runSchedule;
 * setPath resets the speeds to their defaults. */
OSTRIM_EXPORT void OSTRIM_CALL setScheduleParameters(float class1, float class2, float class3,
                                                     float class4, float class5, float class6,
                                                     float class7, float class8, float class9,
                                                     float class10, float class11, float class12,
                                                     int routeMethod, int restrictions);

/* Results of runSchedule. */
typedef enum RunScheduleResult {
    scheduleOk = 0,           /* dispatch done, results written into the records */
    scheduleNoParameters = 1, /* setScheduleParameters was never called; nothing changed */
    scheduleNoStartSite = 2,  /* a tour's siteId matches no site (or there is no site) */
    scheduleNoEndSite = 3,    /* a tour's non-negative endSiteId matches no site */
    scheduleNoNetwork = 4     /* "roadnet.dat" missing or unreadable, too many points, or
                                 memory ran out before the dispatch completed */
} RunScheduleResult;

/* Dispatches the visits to the tours. Reloads the whole network (at
 * road-class speeds), snaps every visit and site to its nearest road node
 * and builds the travel times between all of them. Then each active tour,
 * in array order, works in trips from its start site: while more than 5
 * of the trip's minutes are left, it takes, from where it stands, the
 * free suitable visit whose service fits its time window at the lowest
 * cost (travelWaitWeight x (wait + travel minutes) + serviceWeight /
 * serviceMinutes) / (costDivisor x divisorWeight), the earlier visit on a
 * tie, one at zero travel time over any earlier one. A trip that runs
 * over gives its last visit back; the next trip starts on a whole hour,
 * until the tour's minutes are used or a trip takes nothing. Suitable:
 * available is 1, type among visitTypes, tour id in allowedTours, a
 * required attribute offered, amounts within the limits; a visit that no
 * road joins to where the tour stands is never taken. Counts below 1
 * or null arrays count as no records. Returns a RunScheduleResult; on 2
 * and 3 the tours before the failing one, on 4 all tours, have their
 * startTime in hours already. On 0 it ends with clearData (points, route
 * and network released). The snapping and the travel times are worked
 * out on every processor of the machine, on threads that end before the
 * call returns; the results are the same on any number of them. */
OSTRIM_EXPORT int OSTRIM_CALL runSchedule(int nVisits, ScheduleVisit* visits, int nTours,
                                          ScheduleTour* tours, int nSites, ScheduleSite* sites);

/* ==== Map sheets ========================================================
 * A maps folder holds the zoom folders "1", "3", "6", "12" and "24", each
 * with the sheets' ".cmp", ".off" and ".pal" files, and one sheet index
 * "1/index.dat" for all five. */

/* Sets the maps folder and reads its sheet index (up to 5000 sheets). A
 * missing index, or a null folder, leaves no sheet, so getMap returns -1.
 * Required before getMap; may be called again to change folders. */
OSTRIM_EXPORT void OSTRIM_CALL InitialiseMaps(const char* folder);

/* Composes a width x height view of the map sheets whose top-left corner
 * is (*lat1, *lon1) at *zoom metres per pixel, from the zoom folder that
 * the zoom selects (below 0.3 "1", 0.6 "3", 1.2 "6", 2.4 "12", else "24").
 * Writes back the zoom rounded to tenths, the top-left corner after a
 * round trip through the grid and the bottom-right corner (*lat2, *lon2);
 * then returns 0 with every byte of pixels written (palette indexes,
 * bottom row first, rows width bytes long; 0 where no sheet lies) and
 * palette (1024 bytes: 256 entries of 4, the ".pal" of the first sheet
 * drawn), or -1 with both buffers untouched when no sheet overlapping the
 * view can be read. Sheets are drawn in index order, a later one over an
 * earlier, their colours mapped to the nearest of the first sheet's. A
 * zoom below 0.1 or NaN, a size of 0 or less, a null pointer or a corner
 * far off the map grid give -1 with nothing written. */
OSTRIM_EXPORT int OSTRIM_CALL getMap(int width, int height, double* lat1, double* lon1, double* lat2,
                                     double* lon2, float* zoom, unsigned char* pixels,
                                     unsigned char* palette);

/* ==== City map layers ===================================================
 * code = layer x 1000 + city. Cities 0 to 6 have the folders ADELAIDE,
 * BRISBANE, CANBERRA, DARWIN, HOBART, MELBOURNE and PERTH; cities 7 to 10
 * are read from URBANSET or, where it lacks the layer, from SYDNEY,
 * "SYDNEY/CENTRAL COAST", "SYDNEY/NEWCASTLE" and "SYDNEY/WOLLONGONG".
 * Layers 0 "key." (metres per pixel by city), 1 "map." (2 m), 2 "map2."
 * (1 m) and 3 "map1." (0.5 m) are three files each: folder + city folder
 * + "/" + layer name + "cmp", "off" and "txt" ("/maps/PERTH/map.cmp" for
 * code 1006). The image is never resampled: it shows width x height
 * pixels of the finest of the layer's five levels (full resolution down
 * to 1/16) whose pixel is at least the requested metres per pixel (whole
 * metres, the larger of the two directions), or else of the coarsest,
 * from the tile-grid corner at or south-west of the requested one. */

/* Results of createMap and createMapHBMP. */
typedef enum CreateMapResult {
    mapOk = 0,           /* image made, corners written back */
    mapBadFormat = 1,    /* createMap: format is neither "BMP" nor "PNG" */
    mapBadCity = 2,      /* code % 1000 outside 0..10 */
    mapLayerMissing = 3, /* the layer's files are missing or unusable */
    mapNotSaved = 4,     /* createMap: the image file was not written */
    mapViewOutside = 5,  /* the view leaves the layer image, or all of it is white */
    mapNoBitmap = 6      /* no image of that size (below 1, or over 1 GiB of pixels), or
                            the render could not complete for want of memory */
} CreateMapResult;

/* Renders a view of one city map layer and saves it as a 24-bit image to
 * file (null or empty: mapNotSaved). folder: base folder of the city
 * folders. The corners are the north-west (*lon1, *lat1) and south-east
 * (*lon2, *lat2) corners of the requested view; on mapOk they are
 * overwritten with the outer corners of the image's pixels, on any other
 * result left alone (a null corner gives mapViewOutside). *width and
 * *height, the image size in pixels, are read only (null reads as 0).
 * format: "BMP" or "PNG", its first three characters compared, case
 * sensitive. The city is checked first, then the format. Every call that
 * gets past both replaces the library's image, so a handle from
 * createMapHBMP ends there, whatever the result. Returns a
 * CreateMapResult. */
OSTRIM_EXPORT int OSTRIM_CALL createMap(const char* folder, int code, double* lon1, double* lat1,
                                        double* lon2, double* lat2, int* width, int* height,
                                        const char* file, const char* format);

/* As createMap, but hands out the rendered image instead of saving it: on
 * mapOk, *bitmap (when bitmap is not null) is the library's own image, a
 * GdkPixbuf* on this platform (24-bit RGB, no alpha). The caller must not
 * free or change it; it stays valid until the next createMap or
 * createMapHBMP call that passes the city check (and, for createMap, the
 * format check), or until the library is unloaded: copy it to keep it.
 * Returns mapOk, mapBadCity, mapLayerMissing, mapViewOutside or
 * mapNoBitmap. */
OSTRIM_EXPORT int OSTRIM_CALL createMapHBMP(const char* folder, int code, double* lon1, double* lat1,
                                            double* lon2, double* lat2, int* width, int* height,
                                            HBITMAP* bitmap);

#endif
