#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "coordinates.h"
#include "sheet_fixture.h"
#include "tile_encoder.h"

namespace {

// The sheet pixel that lands on the view's edge: the view's offset from the
// sheet's edge in sheet pixels, truncated toward zero.
int32_t edgePixel(int32_t viewEdge, int32_t sheetEdge, float scale) {
    return static_cast<int32_t>(static_cast<double>(viewEdge - sheetEdge) / scale);
}

writers::SheetFiles constantSheet(int32_t width, int32_t height, uint8_t value,
                                  const writers::SheetPalette& palette = distinctPalette()) {
    return writers::encodeSheet(width, height, [value](int32_t, int32_t) { return value; }, palette);
}

using SheetMap = SheetTest;

TEST_F(SheetMap, ZoomPicksTheFolderAsPassedAndIsRoundedToTenths) {
    const imagery::SheetView v = plan(0.1f, 4, 3);
    records_.push_back({"f", 0.1f, v.left - 10.0, v.top + 10.0, 0, 400, 400});
    for (int folder = 0; folder < 5; ++folder)
        ASSERT_TRUE(writers::writeSheetFiles(maps() + writers::kSheetZoomFolders[folder], "f",
                                             constantSheet(400, 400, static_cast<uint8_t>(10 + folder))));
    load();
    const struct { float zoom; int folder; float rounded; } cases[] = {
        {0.1f, 0, 0.1f}, {0.175f, 0, 0.1f}, {0.29f, 0, 0.3f},  {0.3f, 1, 0.3f},  {0.59f, 1, 0.6f},
        {0.6f, 2, 0.6f}, {1.19f, 2, 1.2f},  {2.39f, 3, 2.4f}, {2.4f, 4, 2.4f}, {3.04f, 4, 3.0f}};
    for (const auto& c : cases) {
        const MapCall call = map(c.zoom, 4, 3);
        EXPECT_EQ(call.result, 0) << c.zoom;
        EXPECT_EQ(call.zoom, c.rounded) << c.zoom;
        EXPECT_EQ(call.pixels, std::vector<uint8_t>(12, static_cast<uint8_t>(10 + c.folder))) << c.zoom;
    }
    // Unusable arguments: -1 with nothing written at all.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct { float zoom; int width, height; } bad[] = {
        {0.09f, 4, 3}, {nan, 4, 3}, {inf, 4, 3}, {1e30f, 4, 3}, {1e9f, 4, 3}, {0.3f, 0, 3}, {0.3f, 4, -1}};
    for (const auto& b : bad) {
        const MapCall call = map(b.zoom, b.width, b.height);
        EXPECT_EQ(call.result, -1) << b.zoom;
        EXPECT_TRUE(call.zoom == b.zoom || std::isnan(b.zoom)) << b.zoom;
        EXPECT_EQ(std::make_tuple(call.lat1, call.lon1, call.lat2, call.lon2),
                  std::make_tuple(kLatitude, kLongitude, 0.0, 0.0));
        EXPECT_EQ(call.pixels[0], 0xA5);
        EXPECT_EQ(call.palette[0], 0xA5);
    }
    double lat = kLatitude, lon = kLongitude, lat2 = 0, lon2 = 0;
    float zoom = 0.3f;
    uint8_t pixels[12], palette[1024];
    EXPECT_EQ(getMap(4, 3, &lat, &lon, &lat2, &lon2, &zoom, pixels, nullptr), -1);
    EXPECT_EQ(getMap(4, 3, &lat, &lon, nullptr, &lon2, &zoom, pixels, palette), -1);
    EXPECT_EQ(zoom, 0.3f);
}

TEST_F(SheetMap, CornersAreWrittenBackWhenNoSheetIsTaken) {
    records_.push_back({"elsewhere", 0.1f, 100000.0, 6000000.0, 0, 64, 64});
    load();
    const MapCall call = map(0.29f, 10, 7);
    EXPECT_EQ(call.result, -1);
    EXPECT_EQ(call.zoom, 0.3f);
    const imagery::SheetView v = plan(0.29f, 10, 7);
    EXPECT_EQ(v.right - v.left, 3);
    EXPECT_EQ(v.top - v.bottom, 3);  // 2.1000000313 below a positive northing
    double lat = 0, lon = 0;
    routing::gridToGeographic(v.easting, v.northing, &lat, &lon, v.centralMeridian, 0);
    EXPECT_EQ(std::make_pair(call.lat1, call.lon1), std::make_pair(lat, lon));
    routing::gridToGeographic(v.right, v.bottom, &lat, &lon, v.centralMeridian, 0);
    EXPECT_EQ(std::make_pair(call.lat2, call.lon2), std::make_pair(lat, lon));
    EXPECT_EQ(call.pixels, std::vector<uint8_t>(70, 0xA5));
    EXPECT_EQ(call.palette[1023], 0xA5);
}

TEST_F(SheetMap, SheetsThatOnlyTouchTheViewAreTakenAndDrawNothing) {
    const imagery::SheetView v = plan(0.1f, 20, 10);
    // On the right edge, and above a sheet so fine that its first tile row
    // lies above its last (nothing may be read for it).
    addSheet({"right", 0.1f, double(v.right), double(v.top), 0, 64, 64}, constantSheet(64, 64, 9));
    addSheet({"below", 0.005f, v.left + 1.0, double(v.bottom), 0, 60, 60}, constantSheet(60, 60, 9));
    ASSERT_EQ(edgePixel(v.bottom, v.bottom - 1, 0.005f) / 64, 3);
    for (int only = 0; only < 2; ++only) {
        std::vector<writers::SheetIndexRecord> all = records_;
        records_ = {all[only]};
        load();
        const MapCall call = map(0.1f, 20, 10);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.pixels, std::vector<uint8_t>(200, 0));
        EXPECT_TRUE(std::equal(call.palette.begin(), call.palette.end(), distinctPalette().begin()));
        records_ = all;
    }
}

// A view inside one sheet at zooms 0.1 to 0.5: each output pixel shows the
// bottom-left cell of its block, which is the sheet pixel z10 x (j, k) from
// the pixel at the view's truncated bottom-left edge.
TEST_F(SheetMap, DownSamplingTakesTheBottomLeftCellOfEachBlock) {
    const imagery::SheetView first = plan(0.1f, 30, 20);
    addIdSheet("big", 0.1f, first.left - 20.0, first.top + 30.0, 1000, 1000, {"1//", "3//"});
    load();
    const imagery::MapSheet& s = imagery::sheetTable[0];
    for (float zoom : {0.1f, 0.3f, 0.5f}) {
        const imagery::SheetView v = plan(zoom, 30, 20);
        const int32_t bx = edgePixel(v.left, s.left, s.scale);
        const int32_t by = edgePixel(v.bottom, s.bottom, s.scale);
        EXPECT_EQ(bx, 199);  // 200 less the single-precision artefact
        const MapCall call = map(zoom, 30, 20);
        ASSERT_EQ(call.result, 0);
        for (int k = 0; k < 20; ++k)
            for (int j = 0; j < 30; ++j)
                ASSERT_EQ(call.at(j, k, 30), pixelId(v.z10 * j + bx, v.z10 * k + by)) << zoom << " " << j << "," << k;
    }
}

// A sheet inside the view: its whole tiles are drawn, padding included; the
// last pixel across and up smears into one more cell; the rest is index 0.
TEST_F(SheetMap, SheetInsideTheViewDrawsPaddingAndSmear) {
    const imagery::SheetView v = plan(0.1f, 200, 200);
    addIdSheet("small", 0.1f, v.left + 5.0, v.top - 10.0, 100, 70);
    load();
    const imagery::MapSheet& s = imagery::sheetTable[0];
    const int32_t bx = edgePixel(v.left, s.left, s.scale);
    const int32_t by = edgePixel(v.bottom, s.bottom, s.scale);
    EXPECT_EQ(bx, -49);
    const auto source = [](int32_t pixel) { return pixel >= 0 && pixel < 128 ? pixel : pixel == 128 ? 127 : -1; };
    const MapCall call = map(0.1f, 200, 200);
    ASSERT_EQ(call.result, 0);
    for (int k = 0; k < 200; ++k) {
        for (int j = 0; j < 200; ++j) {
            const int32_t px = source(j + bx), py = source(k + by);
            ASSERT_EQ(call.at(j, k, 200), px < 0 || py < 0 ? 0 : pixelId(px, py)) << j << "," << k;
        }
    }
}

// A sheet of 0.2 m per pixel steps two cells a pixel, so at zoom 0.2 it is
// shown pixel for pixel.
TEST_F(SheetMap, OtherScalesArePlacedInProportion) {
    const imagery::SheetView v = plan(0.2f, 40, 30);
    addIdSheet("coarse", 0.2f, v.left - 7.0, v.top + 9.0, 300, 300);
    load();
    const imagery::MapSheet& s = imagery::sheetTable[0];
    const auto origin = [](int32_t viewEdge, int32_t sheetEdge) {
        return static_cast<int32_t>((static_cast<double>(viewEdge - sheetEdge) / 0.2f) * 2.0) / 2;
    };
    const int32_t ox = origin(v.left, s.left), oy = origin(v.bottom, s.bottom);
    const MapCall call = map(0.2f, 40, 30);
    ASSERT_EQ(call.result, 0);
    for (int k = 0; k < 30; ++k)
        for (int j = 0; j < 40; ++j) ASSERT_EQ(call.at(j, k, 40), pixelId(j + ox, k + oy)) << j << "," << k;
}

TEST_F(SheetMap, LaterSheetsAreRemappedToTheFirstPalette) {
    const imagery::SheetView v = plan(0.1f, 60, 20);
    // Sheets whose palette or tile offsets are missing are passed over as a
    // sheet without tiles is, so neither supplies the palette.
    const writers::SheetPalette grey = writers::sheetPalette({{1, 2, 3}});
    writers::SheetFiles noPalette = constantSheet(400, 400, 1, grey), noOffsets = noPalette;
    noPalette.pal.clear();
    noOffsets.off.clear();
    addSheet({"absent", 0.1f, v.left - 10.0, v.top + 10.0, 0, 400, 400}, noPalette, {});
    addSheet({"noPalette", 0.1f, v.left - 10.0, v.top + 10.0, 0, 400, 400}, noPalette);
    addSheet({"noOffsets", 0.1f, v.left - 10.0, v.top + 10.0, 0, 400, 400}, noOffsets);
    std::filesystem::remove(maps() + "1//noPalette.pal");
    std::filesystem::remove(maps() + "1//noOffsets.off");

    writers::SheetPalette first = writers::sheetPalette({{0, 0, 0}, {10, 10, 10}, {10, 10, 10}, {100, 0, 0}, {0, 200, 0}});
    first[4 * 3 + 3] = 77;  // handed back as it stands, never compared
    writers::SheetPalette second = writers::sheetPalette({{}, {}, {}, {}, {}, {10, 10, 10}, {98, 1, 0}, {5, 190, 0}});
    second[4 * 5 + 3] = 200;
    addSheet({"first", 0.1f, v.left - 10.0, v.top + 10.0, 0, 400, 400}, constantSheet(400, 400, 2, first));
    // Covers the left part of the view only, with indexes 5, 6 and 7.
    addSheet({"second", 0.1f, v.left - 10.0, v.top + 10.0, 0, 100, 400},
             writers::encodeSheet(100, 400, [](int32_t px, int32_t) { return uint8_t(5 + px % 3); }, second));
    load();
    const MapCall call = map(0.1f, 60, 20);
    ASSERT_EQ(call.result, 0);
    EXPECT_TRUE(std::equal(call.palette.begin(), call.palette.end(), first.begin()));
    const uint8_t remapped[3] = {1, 3, 4};  // the tie goes to the lowest index
    const int32_t bx = edgePixel(v.left, imagery::sheetTable[4].left, 0.1f);
    for (int j = 0; j < 60; ++j) {
        const int32_t px = j + bx;
        const uint8_t expected = px < 128 ? remapped[px % 3] : px == 128 ? remapped[127 % 3] : 2;
        for (int k = 0; k < 20; ++k) ASSERT_EQ(call.at(j, k, 60), expected) << j << "," << k;
    }
}

// One column of four tiles filled with 10 to 13, its files damaged in turn;
// the middle of each tile shows what was drawn of it.
TEST_F(SheetMap, DamagedTilesAndColumnsAreLeftOut) {
    const imagery::SheetView v = plan(0.1f, 100, 300);
    std::vector<std::vector<uint8_t>> coded;
    for (int r = 0; r < 4; ++r) coded.push_back(writers::encodeSheetTile(std::vector<uint8_t>(4096, uint8_t(10 + r))));
    // Tile 3 decodes to 100 bytes only: the rest is index 0, not tile 2's.
    std::vector<std::vector<uint8_t>> shortLast = coded;
    shortLast[3] = writers::encodeSheetTile(std::vector<uint8_t>(100, 13));
    const writers::SheetFiles good = writers::assembleSheet(coded, distinctPalette());
    const auto setOffset = [](writers::SheetFiles files, int entry, uint32_t value) {
        for (int b = 0; b < 4; ++b) files.off[4 * entry + b] = uint8_t(value >> (8 * b));
        return files;
    };
    const auto cut = [](writers::SheetFiles files, bool offsets, size_t size) {
        (offsets ? files.off : files.cmp).resize(size);
        return files;
    };
    const uint32_t tile2 = static_cast<uint32_t>(coded[0].size() + coded[1].size());
    const struct { writers::SheetFiles files; std::array<int, 4> middles; } cases[] = {
        {good, {10, 11, 12, 13}},
        {writers::assembleSheet(shortLast, distinctPalette()), {10, 11, 12, 0}},
        {setOffset(good, 2, 0xFFFFFF00u), {10, 0, 0, 13}},
        {setOffset(good, 4, static_cast<uint32_t>(good.cmp.size() + 1)), {10, 11, 12, 0}},
        {cut(good, false, tile2 + 3), {10, 11, 0, 0}},
        {cut(good, true, 19), {0, 0, 0, 0}},
        {setOffset(good, 0, 0xFFFFFFF0u), {0, 0, 0, 0}},
        {setOffset(good, 4, 0), {0, 0, 0, 0}},
    };
    records_.push_back({"column", 0.1f, v.left + 1.0, v.top - 1.0, 0, 64, 256});
    for (const auto& c : cases) {
        ASSERT_TRUE(writers::writeSheetFiles(maps() + "1//", "column", c.files));
        load();
        const imagery::MapSheet& s = imagery::sheetTable[0];
        const int32_t bx = edgePixel(v.left, s.left, 0.1f), by = edgePixel(v.bottom, s.bottom, 0.1f);
        const MapCall call = map(0.1f, 100, 300);
        ASSERT_EQ(call.result, 0);
        for (int r = 0; r < 4; ++r) EXPECT_EQ(call.at(40 - bx, 64 * r + 40 - by, 100), c.middles[r]) << r;
    }
}

}  // namespace
