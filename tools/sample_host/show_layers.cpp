#include <filesystem>

#include "host.h"

namespace {

const char* resultName(int result) {
    static const char* const names[] = {"mapOk",       "mapBadFormat",   "mapBadCity",  "mapLayerMissing",
                                        "mapNotSaved", "mapViewOutside", "mapNoBitmap"};
    return result >= 0 && result <= 6 ? names[result] : "?";
}

}  // namespace

bool showLayers(const Library& library, const std::string& dataRoot, const std::string& outputRoot) {
    auto createMapFn = HOST_RESOLVE(library, createMap);
    auto createMapHBMPFn = HOST_RESOLVE(library, createMapHBMP);

    // Layer 1 of city 7: the shared "URBANSET" folder lacks it, so the
    // library takes it from the region folder "SYDNEY".
    const std::string layers = dataRoot + "layers/";
    const std::string image = outputRoot + "city_layer.png";
    std::error_code ignored;
    std::filesystem::create_directories(outputRoot, ignored);
    double lon1 = 151.13, lat1 = -33.83, lon2 = 151.17, lat2 = -33.86;
    int width = 1024, height = 768;
    const int saved = createMapFn(layers.c_str(), 1007, &lon1, &lat1, &lon2, &lat2, &width, &height,
                                  image.c_str(), "PNG");
    std::printf("createMap: %s\n", resultName(saved));
    if (saved == mapOk) {
        std::printf("  %s shows %.5f,%.5f to %.5f,%.5f\n", image.c_str(), lon1, lat1, lon2, lat2);
    }

    double hLon1 = 151.14, hLat1 = -33.84, hLon2 = 151.15, hLat2 = -33.85;
    int hWidth = 320, hHeight = 240;
    HBITMAP bitmap = nullptr;
    const int handed = createMapHBMPFn(layers.c_str(), 1007, &hLon1, &hLat1, &hLon2, &hLat2, &hWidth, &hHeight,
                                       &bitmap);
    std::printf("createMapHBMP: %s, bitmap %s, showing %.5f,%.5f to %.5f,%.5f\n", resultName(handed),
                bitmap != nullptr ? "handed out" : "none", hLon1, hLat1, hLon2, hLat2);
    return saved == mapOk && handed == mapOk && bitmap != nullptr;
}
