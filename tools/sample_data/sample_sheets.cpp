// Map sheets of the sample city in all five zoom folders: four street sheets
// of 0.1 m a pixel around the crossing of two arterial roads, in every
// folder, and behind them an overview sheet of 4.8 m a pixel of the whole
// city in the two coarsest folders. Each folder draws the roads wider the
// coarser it is, so that they stay visible at its zoom; the finest two add
// centre lines. The overview has its colours in another order, so the
// street sheets drawn over it are remapped.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "coordinates.h"
#include "sample_data.h"
#include "sheet_writer.h"

namespace {

enum Colour : uint8_t { kLand, kCasing, kLocal, kCollector, kArterial, kCentreLine, kColourCount };

const std::array<std::array<uint8_t, 3>, kColourCount> kColours = {{
    {238, 234, 222},  // land
    {150, 150, 150},  // road casing
    {255, 255, 255},  // local street
    {250, 225, 120},  // collector
    {240, 160, 80},   // arterial
    {110, 110, 110},  // centre line
}};

writers::SheetPalette paletteInOrder(bool reversed) {
    std::vector<std::array<uint8_t, 3>> colours(kColours.begin(), kColours.end());
    if (reversed) std::reverse(colours.begin(), colours.end());
    return writers::sheetPalette(colours);
}

struct GridPoint {
    double easting = 0.0;
    double northing = 0.0;
};

struct Road {
    std::vector<GridPoint> points;
    uint8_t roadClass = 0;
};

GridPoint toGrid(double latitude, double longitude) {
    GridPoint p;
    int zone = 0;
    routing::geographicToGrid(latitude, longitude, &p.easting, &p.northing, &zone, 0);
    return p;
}

std::vector<Road> cityRoads(const writers::NetworkModel& city) {
    std::vector<Road> roads;
    // The two links of a two-way road share one shape: draw it once. The
    // ferry and the other special classes are not streets.
    std::vector<bool> drawn(city.shapes.size(), false);
    for (const writers::ModelLink& link : city.links) {
        if (drawn[link.shape] || link.roadClass >= 20) continue;
        drawn[link.shape] = true;
        Road road;
        road.roadClass = link.roadClass;
        for (const auto& point : city.shapes[link.shape]) road.points.push_back(toGrid(point[1], point[0]));
        roads.push_back(road);
    }
    return roads;
}

// Half-width in metres of a road's paving, and its colour.
double halfWidth(uint8_t roadClass) { return roadClass == 2 ? 9.0 : roadClass == 5 ? 6.0 : 4.0; }
Colour fillColour(uint8_t roadClass) { return roadClass == 2 ? kArterial : roadClass == 5 ? kCollector : kLocal; }

// One sheet's pixels, padded to whole tiles, drawn in grid metres.
class SheetCanvas {
public:
    explicit SheetCanvas(const writers::SheetIndexRecord& record)
        : record_(record),
          across_((record.width + 63) / 64 * 64),
          down_((record.height + 63) / 64 * 64),
          pixels_(static_cast<size_t>(across_) * down_, kLand) {}

    // Paints every pixel whose centre lies within reach of the segment; a
    // dash length above 0 paints only the first half of each dash period.
    void segment(GridPoint a, GridPoint b, double reach, uint8_t colour, double dash = 0.0) {
        const double scale = record_.scale;
        const double bottom = record_.top - record_.height * scale;
        const auto column = [&](double e) { return (e - record_.left) / scale; };
        const auto row = [&](double n) { return (n - bottom) / scale; };
        const int x0 = std::max(0, static_cast<int>(std::floor(column(std::min(a.easting, b.easting) - reach))));
        const int x1 = std::min(across_ - 1, static_cast<int>(std::ceil(column(std::max(a.easting, b.easting) + reach))));
        const int y0 = std::max(0, static_cast<int>(std::floor(row(std::min(a.northing, b.northing) - reach))));
        const int y1 = std::min(down_ - 1, static_cast<int>(std::ceil(row(std::max(a.northing, b.northing) + reach))));
        const double dx = b.easting - a.easting, dy = b.northing - a.northing;
        const double length2 = std::max(dx * dx + dy * dy, 1e-9);
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const double e = record_.left + (x + 0.5) * scale - a.easting;
                const double n = bottom + (y + 0.5) * scale - a.northing;
                const double t = std::clamp((e * dx + n * dy) / length2, 0.0, 1.0);
                const double ex = e - t * dx, ny = n - t * dy;
                if (ex * ex + ny * ny > reach * reach) continue;
                if (dash > 0.0 && std::fmod(t * std::sqrt(length2), 2.0 * dash) > dash) continue;
                pixels_[static_cast<size_t>(y) * across_ + x] = colour;
            }
        }
    }

    writers::SheetFiles encode(const writers::SheetPalette& palette, bool reversed) const {
        return writers::encodeSheet(record_.width, record_.height,
                                    [&](int32_t px, int32_t py) {
                                        const uint8_t c = pixels_[static_cast<size_t>(py) * across_ + px];
                                        return reversed ? static_cast<uint8_t>(kColourCount - 1 - c) : c;
                                    },
                                    palette);
    }

private:
    writers::SheetIndexRecord record_;
    int across_;
    int down_;
    std::vector<uint8_t> pixels_;
};

// The roads of the city on one sheet, with widths for a zoom folder whose
// output pixel is folderZoom metres.
writers::SheetFiles drawSheet(const writers::SheetIndexRecord& record, const std::vector<Road>& roads,
                              double folderZoom, bool overviewColours) {
    SheetCanvas canvas(record);
    const double widen = std::max(1.0, folderZoom / 0.6);
    // At least a sheet pixel wide, so that coarse sheets keep it unbroken.
    const double casing = 0.5 + folderZoom + record.scale;
    for (int pass = 0; pass < 3; ++pass) {
        for (const Road& road : roads) {
            const double reach = halfWidth(road.roadClass) * widen;
            for (size_t i = 0; i + 1 < road.points.size(); ++i) {
                const GridPoint a = road.points[i], b = road.points[i + 1];
                if (pass == 0) canvas.segment(a, b, reach + casing, kCasing);
                if (pass == 1) canvas.segment(a, b, reach, fillColour(road.roadClass));
                if (pass == 2 && folderZoom < 0.5 && road.roadClass <= 5) canvas.segment(a, b, 0.15, kCentreLine, 3.0);
            }
        }
    }
    return canvas.encode(paletteInOrder(overviewColours), overviewColours);
}

}  // namespace

bool writeSampleSheets(const std::string& root) {
    const std::string maps = root + "maps/";
    const writers::NetworkModel city = sampleCity();
    const std::vector<Road> roads = cityRoads(city);
    const double folderZooms[5] = {0.1, 0.3, 0.6, 1.2, 2.4};

    // The whole city with a margin, then 2 x 2 street sheets of 1024 pixels
    // centred on the crossing of arterial row 10 and arterial column 10.
    double west = 1e300, east = -1e300, south = 1e300, north = -1e300;
    for (const writers::ModelNode& node : city.nodes) {
        const GridPoint p = toGrid(node.latitude, node.longitude);
        west = std::min(west, p.easting), east = std::max(east, p.easting);
        south = std::min(south, p.northing), north = std::max(north, p.northing);
    }
    std::vector<writers::SheetIndexRecord> records;
    const float overviewScale = 4.8f;
    records.push_back({"overview", overviewScale, std::floor(west - 300.0), std::ceil(north + 300.0), 0,
                       static_cast<int32_t>((east - west + 600.0) / overviewScale),
                       static_cast<int32_t>((north - south + 600.0) / overviewScale)});
    const writers::ModelNode& crossing = city.nodes[10 * 60 + 10];
    const GridPoint centre = toGrid(crossing.latitude, crossing.longitude);
    for (int k = 0; k < 4; ++k) {
        const double left = std::floor(centre.easting) - 102.0 + (k % 2) * 102.0;
        const double top = std::floor(centre.northing) + 102.0 - (k / 2) * 102.0;
        records.push_back({"street" + std::to_string(k), 0.1f, left, top, 0, 1024, 1024});
    }
    if (!writers::writeSheetIndex(maps, records)) {
        std::fprintf(stderr, "cannot write the sheet index to %s\n", maps.c_str());
        return false;
    }
    size_t written = 0;
    for (int folder = 0; folder < 5; ++folder) {
        for (const writers::SheetIndexRecord& record : records) {
            const bool overview = record.name == "overview";
            if (overview && folder < 3) continue;
            const std::string path = maps + writers::kSheetZoomFolders[folder];
            if (!writers::writeSheetFiles(path, record.name, drawSheet(record, roads, folderZooms[folder], overview))) {
                std::fprintf(stderr, "cannot write sheet %s to %s\n", record.name.c_str(), path.c_str());
                return false;
            }
            ++written;
        }
    }
    std::printf("map sheets: %zu index records, %zu sheets in five zoom folders of %s\n", records.size(), written,
                maps.c_str());
    return true;
}
