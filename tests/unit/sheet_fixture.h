// Map sheets around one view corner P, written to a scratch maps folder.
#ifndef OSTRIM_SHEET_FIXTURE_H
#define OSTRIM_SHEET_FIXTURE_H

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "OstrimMapDll.h"
#include "sheet_composer.h"
#include "sheet_index.h"
#include "sheet_writer.h"
#include "test_support.h"

// A value that tells the source pixel apart from its neighbours.
inline uint8_t pixelId(int32_t px, int32_t py) { return static_cast<uint8_t>((px & 15) | ((py & 15) << 4)); }

// Colour k is (k, 255 - k, k / 2): all distinct, so equal palettes remap
// each index to itself.
inline writers::SheetPalette distinctPalette() {
    std::vector<std::array<uint8_t, 3>> colours;
    for (int k = 0; k < 256; ++k)
        colours.push_back({static_cast<uint8_t>(k), static_cast<uint8_t>(255 - k), static_cast<uint8_t>(k / 2)});
    return writers::sheetPalette(colours);
}

struct MapCall {
    int result = 0;
    float zoom = 0.0f;
    double lat1 = 0.0, lon1 = 0.0, lat2 = 0.0, lon2 = 0.0;
    std::vector<uint8_t> pixels;
    std::array<uint8_t, 1024> palette{};

    uint8_t at(int j, int k, int width) const { return pixels[static_cast<size_t>(k) * width + j]; }
};

class SheetTest : public ::testing::Test {
protected:
    static constexpr double kLatitude = -33.85;
    static constexpr double kLongitude = 151.15;

    void TearDown() override { InitialiseMaps("/nonexistent/"); }

    std::string maps() const { return scratch_.path() + "maps/"; }

    // The view at P; its left and top are whole grid metres that sheets
    // are placed from.
    static imagery::SheetView plan(float zoom, int width, int height) {
        imagery::SheetView view;
        EXPECT_TRUE(imagery::planSheetView(width, height, zoom, kLatitude, kLongitude, &view));
        return view;
    }

    void addSheet(const writers::SheetIndexRecord& record, const writers::SheetFiles& files,
                  const std::vector<std::string>& folders = {"1//"}) {
        records_.push_back(record);
        for (const std::string& folder : folders) ASSERT_TRUE(writers::writeSheetFiles(maps() + folder, record.name, files));
    }

    // A sheet of pixelId values with the distinct palette.
    void addIdSheet(const std::string& name, float scale, double left, double top, int32_t width, int32_t height,
                    const std::vector<std::string>& folders = {"1//"}) {
        addSheet({name, scale, left, top, 0, width, height},
                 writers::encodeSheet(width, height, pixelId, distinctPalette()), folders);
    }

    void load() {
        ASSERT_TRUE(writers::writeSheetIndex(maps(), records_));
        InitialiseMaps(maps().c_str());
    }

    static MapCall map(float zoom, int width, int height, uint8_t fill = 0xA5) {
        MapCall call;
        call.zoom = zoom;
        call.lat1 = kLatitude;
        call.lon1 = kLongitude;
        call.pixels.assign(static_cast<size_t>(width > 0 && height > 0 ? width * height : 1), fill);
        call.palette.fill(fill);
        call.result = getMap(width, height, &call.lat1, &call.lon1, &call.lat2, &call.lon2, &call.zoom,
                             call.pixels.data(), call.palette.data());
        return call;
    }

    ScratchFolder scratch_;
    std::vector<writers::SheetIndexRecord> records_;
};

#endif
