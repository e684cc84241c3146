#include "map_exports.h"

#include <wx/log.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "OstrimMapDll.h"
#include "bitmap_support.h"
#include "coordinates.h"
#include "export_guard.h"
#include "file_names.h"
#include "layer_render.h"
#include "layer_store.h"
#include "truncate.h"

namespace imagery {

namespace {

// The four corner arguments: longitude before latitude, north-west first.
struct ViewCorners {
    double* lon1;
    double* lat1;
    double* lon2;
    double* lat2;
};

bool cityKnown(int code) {
    const int city = code % 1000;
    return city >= 0 && city < kCityCount;
}

// A missing value reads as NaN, which no view fits.
double readValue(const double* value) {
    return value != nullptr ? *value : std::numeric_limits<double>::quiet_NaN();
}

float narrowToFloat(double value) {
    if (value > FLT_MAX) return std::numeric_limits<float>::infinity();
    if (value < -FLT_MAX) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

// The corner on the grid, with the datum shift. A longitude that is not a
// finite number of sensible size has no zone; it becomes NaN here.
void cornerToGrid(double latitude, double longitude, double* easting, double* northing, int* centralMeridian) {
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::fabs(longitude) > 1.0e9) {
        *easting = std::numeric_limits<double>::quiet_NaN();
        *northing = *easting;
        return;
    }
    routing::geographicToGrid(latitude, longitude, easting, northing, centralMeridian, 1);
}

// Every request after the argument checks: steps shared by both exports.
// deliver() hands the painted image on; its failure gives deliverFailure.
template <typename Deliver>
int renderRequest(const char* folder, int code, const ViewCorners& corners, const int* width, const int* height,
                  Deliver deliver, int deliverFailure) {
    initMapRenderer();
    const int w = width != nullptr ? *width : 0;
    const int h = height != nullptr ? *height : 0;
    renderWidth = w;
    renderHeight = h;
    if (!createMapBitmap(w, h)) return mapNoBitmap;
    setMapBasePath(platform::fromUtf8(folder));
    float scale = 0.0f;
    if (!openMapLayer(code, &scale)) return mapLayerMissing;

    double e1 = 0.0;
    double n1 = 0.0;
    double e2 = 0.0;
    double n2 = 0.0;
    int centralMeridian = 0;  // the second corner's zone is the one kept
    cornerToGrid(readValue(corners.lat1), readValue(corners.lon1), &e1, &n1, &centralMeridian);
    cornerToGrid(readValue(corners.lat2), readValue(corners.lon2), &e2, &n2, &centralMeridian);
    setPyramidLevel(chooseMapLevel(e1, n1, e2, n2, w, h, scale));

    int result = mapOk;
    if (!setViewOrigin(narrowToFloat(e1), narrowToFloat(n2)) || renderMapTiles(w, h) != 1) {
        result = mapViewOutside;
    } else if (!deliver()) {
        result = deliverFailure;
    } else {
        // The outer edges of the image's pixels, not pixel centres.
        const double left = pixelToEasting(0.0f);
        const double right = pixelToEasting(static_cast<float>(renderWidth));
        const double top = pixelToNorthing(0, renderHeight);
        const double bottom = pixelToNorthing(renderHeight, renderHeight);
        double latitude = 0.0;
        double longitude = 0.0;
        routing::gridToGeographic(left, top, &latitude, &longitude, centralMeridian, 1);
        *corners.lat1 = latitude;
        *corners.lon1 = longitude;
        routing::gridToGeographic(right, bottom, &latitude, &longitude, centralMeridian, 1);
        *corners.lat2 = latitude;
        *corners.lon2 = longitude;
    }
    closeMapLayer();
    return result;
}

// Kind of image for the format's first three characters, 0 for neither.
int formatKind(const char* format) {
    if (format == nullptr) return 0;
    if (std::strncmp(format, "BMP", 3) == 0) return mapImageBmp;
    if (std::strncmp(format, "PNG", 3) == 0) return mapImagePng;
    return 0;
}

}  // namespace

bool saveMapImage(const char* file, int kind) {
    wxBitmapType type = wxBITMAP_TYPE_INVALID;
    if (kind == mapImageBmp) type = wxBITMAP_TYPE_BMP;
    if (kind == mapImagePng) type = wxBITMAP_TYPE_PNG;
    const wxString name = platform::fromUtf8(file);
    if (type == wxBITMAP_TYPE_INVALID || name.empty() || !renderBitmap.IsOk()) return false;
    wxLogNull quiet;
    return renderBitmap.SaveFile(name, type, nullptr);
}

bool createMapBitmap(int width, int height) { return platform::createRgbBitmap(renderBitmap, width, height); }

wxBitmap copyMapBitmap() { return renderBitmap; }

int chooseMapLevel(double easting1, double northing1, double easting2, double northing2, int width, int height,
                   float scale) {
    const int32_t horizontal = platform::truncToInt32((easting2 - easting1) / width);
    const double vertical = (northing1 - northing2) / height;
    const float mpp = static_cast<float>(vertical > horizontal ? platform::truncToInt32(vertical) : horizontal);
    if (mpp > 8.0f * scale) return 0;
    if (mpp > 4.0f * scale) return 1;
    if (mpp > 2.0f * scale) return 2;
    if (mpp > scale) return 3;
    return 4;
}

}  // namespace imagery

using imagery::renderRequest;
using imagery::ViewCorners;

// A render that cannot complete (its memory ran out) reports that no image
// could be made, and leaves no layer file open.
OSTRIM_EXPORT int OSTRIM_CALL createMap(const char* folder, int code, double* lon1, double* lat1, double* lon2,
                                        double* lat2, int* width, int* height, const char* file,
                                        const char* format) {
    return platform::guardExport(int{mapNoBitmap}, [&]() -> int {
        const int kind = imagery::formatKind(format);
        if (!imagery::cityKnown(code)) return mapBadCity;
        if (kind == 0) return mapBadFormat;
        return renderRequest(
            folder, code, ViewCorners{lon1, lat1, lon2, lat2}, width, height,
            [&] { return imagery::saveMapImage(file, kind); }, mapNotSaved);
    }, imagery::closeMapLayer);
}

OSTRIM_EXPORT int OSTRIM_CALL createMapHBMP(const char* folder, int code, double* lon1, double* lat1,
                                            double* lon2, double* lat2, int* width, int* height,
                                            HBITMAP* bitmap) {
    return platform::guardExport(int{mapNoBitmap}, [&]() -> int {
        // Released at every return, which leaves the render bitmap the only
        // owner of the image handed out.
        wxBitmap shown;
        if (!imagery::cityKnown(code)) return mapBadCity;
        return renderRequest(
            folder, code, ViewCorners{lon1, lat1, lon2, lat2}, width, height,
            [&] {
                const wxBitmap copy = imagery::copyMapBitmap();
                if (!shown.IsSameAs(copy)) shown.Ref(copy);
                if (bitmap != nullptr) *bitmap = platform::nativeBitmapHandle(shown);
                return true;
            },
            mapOk);
    }, imagery::closeMapLayer);
}
