// A city map layer of the sample road network: layer 1 ("map.", 2 metres
// per pixel) of city 7, written to the region folder "SYDNEY" so that the
// library finds it through its fallback from the shared "URBANSET" folder.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "coordinates.h"
#include "layer_writer.h"
#include "sample_data.h"

namespace {

constexpr double kMetresPerPixel = 2.0;
constexpr uint8_t kLand = 38;

struct RoadStyle {
    uint8_t casing;
    uint8_t fill;
    double casingRadius;  // pixels
    double fillRadius;
};

RoadStyle styleOf(uint8_t roadClass) {
    if (roadClass == 2) return {98, 86, 7.0, 5.0};     // arterial
    if (roadClass == 5) return {88, 64, 5.5, 4.0};     // collector
    if (roadClass == 20) return {24, 24, 1.5, 1.5};    // ferry
    if (roadClass > 20) return {15, 17, 3.5, 2.5};     // special roads
    return {90, 118, 4.0, 3.0};                        // local street
}

// One level of the layer as palette indexes, rows from the bottom.
struct Raster {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    uint8_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

void stampDisc(Raster& raster, double cx, double cy, double radius, uint8_t colour) {
    const int r = static_cast<int>(std::ceil(radius));
    for (int dy = -r; dy <= r; ++dy) {
        for (int dx = -r; dx <= r; ++dx) {
            if (dx * dx + dy * dy > radius * radius) continue;
            const int x = static_cast<int>(cx) + dx;
            const int y = static_cast<int>(cy) + dy;
            if (x >= 0 && y >= 0 && x < raster.width && y < raster.height) raster.at(x, y) = colour;
        }
    }
}

void drawLine(Raster& raster, const std::vector<std::array<double, 2>>& points, double radius, uint8_t colour) {
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const double dx = points[i + 1][0] - points[i][0];
        const double dy = points[i + 1][1] - points[i][1];
        const int steps = std::max(1, static_cast<int>(std::hypot(dx, dy)));
        for (int s = 0; s <= steps; ++s) {
            stampDisc(raster, points[i][0] + dx * s / steps, points[i][1] + dy * s / steps, radius, colour);
        }
    }
}

// Half the size: a road anywhere in a 2 by 2 block keeps the block's pixel.
Raster halve(Raster& finer) {
    Raster coarser;
    coarser.width = finer.width / 2;
    coarser.height = finer.height / 2;
    coarser.pixels.assign(static_cast<size_t>(coarser.width) * coarser.height, kLand);
    for (int y = 0; y < coarser.height; ++y) {
        for (int x = 0; x < coarser.width; ++x) {
            const uint8_t block[4] = {finer.at(2 * x, 2 * y), finer.at(2 * x + 1, 2 * y),
                                      finer.at(2 * x, 2 * y + 1), finer.at(2 * x + 1, 2 * y + 1)};
            for (uint8_t p : block) {
                if (p != kLand) {
                    coarser.at(x, y) = p;
                    break;
                }
            }
        }
    }
    return coarser;
}

}  // namespace

bool writeSampleLayers(const std::string& root) {
    const writers::NetworkModel model = sampleCity();
    auto toGrid = [](double latitude, double longitude) {
        double easting = 0.0;
        double northing = 0.0;
        int zone = 0;
        routing::geographicToGrid(latitude, longitude, &easting, &northing, &zone, 1);
        return std::array<double, 2>{easting, northing};
    };
    double minE = 1e12, minN = 1e12, maxE = -1e12, maxN = -1e12;
    for (const writers::ModelNode& node : model.nodes) {
        const auto grid = toGrid(node.latitude, node.longitude);
        minE = std::min(minE, grid[0]);
        maxE = std::max(maxE, grid[0]);
        minN = std::min(minN, grid[1]);
        maxN = std::max(maxN, grid[1]);
    }
    // A margin of 500 m, whole multiples of 1024 pixels.
    writers::LayerGeometry geometry;
    geometry.left = static_cast<int32_t>(std::floor(minE)) - 500;
    geometry.bottom = static_cast<int32_t>(std::floor(minN)) - 500;
    auto pixelsFor = [](double metres) {
        return static_cast<int32_t>(std::ceil((metres + 1000.0) / kMetresPerPixel / 1024.0)) * 1024;
    };
    geometry.width = pixelsFor(maxE - minE);
    geometry.height = pixelsFor(maxN - minN);

    std::vector<Raster> levels(writers::kLayerLevels);
    Raster& full = levels.back();
    full.width = geometry.width;
    full.height = geometry.height;
    full.pixels.assign(static_cast<size_t>(full.width) * full.height, kLand);
    std::map<int32_t, uint8_t> shapeClass;
    for (const writers::ModelLink& link : model.links) shapeClass[link.shape] = link.roadClass;
    // Casings first, fills over them, the larger roads last.
    for (int pass = 0; pass < 2; ++pass) {
        for (uint8_t roadClass : {uint8_t{23}, uint8_t{22}, uint8_t{21}, uint8_t{9}, uint8_t{8}, uint8_t{5},
                                  uint8_t{2}, uint8_t{20}}) {
            const RoadStyle style = styleOf(roadClass);
            for (const auto& [shape, cls] : shapeClass) {
                if (cls != roadClass) continue;
                std::vector<std::array<double, 2>> points;
                for (const auto& point : model.shapes[shape]) {
                    const auto grid = toGrid(point[1], point[0]);
                    points.push_back({(grid[0] - geometry.left) / kMetresPerPixel,
                                      (grid[1] - geometry.bottom) / kMetresPerPixel});
                }
                drawLine(full, points, pass == 0 ? style.casingRadius : style.fillRadius,
                         pass == 0 ? style.casing : style.fill);
            }
        }
    }
    for (int level = writers::kLayerLevels - 2; level >= 0; --level) levels[level] = halve(levels[level + 1]);

    const writers::LayerFiles files = writers::buildLayer(geometry, [&](int level, int column, int row) {
        std::vector<uint8_t> tile(4096);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) tile[y * 64 + x] = levels[level].at(column * 64 + x, row * 64 + y);
        }
        return tile;
    });
    const std::string folder = root + "layers/SYDNEY/";
    if (!writers::writeLayer(folder, 1, files)) {
        std::fprintf(stderr, "cannot write the city layer to %s\n", folder.c_str());
        return false;
    }
    std::printf("city layer: %d x %d pixels at %.0f m, %zu bytes of tiles in %s\n", geometry.width, geometry.height,
                kMetresPerPixel, files.tiles.size(), folder.c_str());
    return true;
}
