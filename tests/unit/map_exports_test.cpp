#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/rawbmp.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "OstrimMapDll.h"
#include "coordinates.h"
#include "layer_render.h"
#include "layer_store.h"
#include "layer_test_support.h"
#include "test_support.h"
#include "win_types.h"

namespace {

// Layer 1 of "PERTH" (code 1006, 2 metres per pixel), 1024 pixels square,
// placed around 33.85 S 151.15 E on the grid of the datum-shifted corners.
class MapExportsUnit : public ::testing::Test {
protected:
    void SetUp() override {
        double easting = 0.0;
        double northing = 0.0;
        int zone = 0;
        routing::geographicToGrid(-33.85, 151.15, &easting, &northing, &zone, 1);
        geometry = {static_cast<int32_t>(easting) - 1024, static_cast<int32_t>(northing) - 1024, 1024, 1024};
        writeScratchLayer(folder.path(), "PERTH/", 1, geometry);
    }

    // Geographic position (latitude, longitude) of a grid position.
    void toGeographic(double easting, double northing, double* latitude, double* longitude) const {
        routing::gridToGeographic(easting, northing, latitude, longitude, 153, 1);
    }

    int create(const std::string& file, const char* format) {
        return createMap(folder.path().c_str(), 1006, &lon1, &lat1, &lon2, &lat2, &width, &height, file.c_str(),
                         format);
    }

    ScratchFolder folder;
    writers::LayerGeometry geometry;
    double lon1 = 0.0, lat1 = 0.0, lon2 = 0.0, lat2 = 0.0;
    int width = 160;
    int height = 120;
};

std::vector<unsigned char> bitmapPixels(const wxBitmap& bitmap) {
    std::vector<unsigned char> rgb;
    wxNativePixelData pixels(const_cast<wxBitmap&>(bitmap));
    wxNativePixelData::Iterator row(pixels);
    for (int y = 0; y < pixels.GetHeight(); ++y) {
        wxNativePixelData::Iterator p = row;
        for (int x = 0; x < pixels.GetWidth(); ++x, ++p) rgb.insert(rgb.end(), {p.Red(), p.Green(), p.Blue()});
        row.OffsetY(pixels, 1);
    }
    return rgb;
}

}  // namespace

TEST_F(MapExportsUnit, CornersWrittenBackAreTheImageEdges) {
    // Request the view from full-resolution pixel (300, 500) at 2 m per
    // pixel, 160 by 120: level 4.
    toGeographic(geometry.left + 600.0, geometry.bottom + 1000.0 + 240.0, &lat1, &lon1);
    toGeographic(geometry.left + 600.0 + 320.0, geometry.bottom + 1000.0, &lat2, &lon2);
    double e1 = 0, n1 = 0, e2 = 0, n2 = 0;
    int zone = 0;
    routing::geographicToGrid(lat1, lon1, &e1, &n1, &zone, 1);
    routing::geographicToGrid(lat2, lon2, &e2, &n2, &zone, 1);
    ASSERT_EQ(create(folder.file("view.png"), "PNG"), mapOk);
    EXPECT_EQ(imagery::currentLevel, 4);
    EXPECT_FALSE(imagery::layerTileFile.isOpen());
    EXPECT_FALSE(imagery::layerOffsetFile.isOpen());

    // The origin: the first corner's easting and the second's northing as
    // floats, to a full-resolution pixel, down to the 64-pixel grid.
    const int top = geometry.bottom + 2048;
    const int column = static_cast<int>((static_cast<float>(e1) - static_cast<double>(geometry.left)) / 2048 * 1024);
    const int row = static_cast<int>(1024 - (top - static_cast<double>(static_cast<float>(n2))) / 2048 * 1024);
    EXPECT_EQ(imagery::viewOriginX, column / 64 * 64);
    EXPECT_EQ(imagery::viewOriginY, row / 64 * 64);
    const double left = (column / 64 * 64) * 2048.0 / 1024 + geometry.left;
    const double bottom = top + (row / 64 * 64 - 1024) * 2048.0 / 1024;
    double expectedLat = 0, expectedLon = 0;
    toGeographic(left, bottom + 240.0, &expectedLat, &expectedLon);
    EXPECT_EQ(lat1, expectedLat);
    EXPECT_EQ(lon1, expectedLon);
    toGeographic(left + 320.0, bottom, &expectedLat, &expectedLon);
    EXPECT_EQ(lat2, expectedLat);
    EXPECT_EQ(lon2, expectedLon);
    EXPECT_EQ(width, 160);
    EXPECT_EQ(height, 120);
}

TEST_F(MapExportsUnit, SavedImagesReadBackAsRendered) {
    toGeographic(geometry.left + 100.0, geometry.bottom + 1500.0, &lat1, &lon1);
    toGeographic(geometry.left + 400.0, geometry.bottom + 1200.0, &lat2, &lon2);
    const double request[4] = {lon1, lat1, lon2, lat2};
    ASSERT_EQ(create(folder.file("view.bmp"), "BMP"), mapOk);
    const std::vector<unsigned char> rendered = bitmapPixels(imagery::renderBitmap);
    lon1 = request[0], lat1 = request[1], lon2 = request[2], lat2 = request[3];
    ASSERT_EQ(create(folder.file("view.png"), "PNG"), mapOk);
    for (const char* name : {"view.bmp", "view.png"}) {
        wxImage image;
        ASSERT_TRUE(image.LoadFile(wxString::FromUTF8(folder.file(name)))) << name;
        ASSERT_EQ(image.GetWidth(), 160);
        ASSERT_EQ(image.GetHeight(), 120);
        EXPECT_EQ(std::vector<unsigned char>(image.GetData(), image.GetData() + 160 * 120 * 3), rendered) << name;
    }
    // Top-left pixel: level 4 pixel (viewOriginX, viewOriginY + 119).
    const uint8_t* colour =
        imagery::renderPalette[identifyingIndex(4, imagery::viewOriginX, imagery::viewOriginY + 119)];
    EXPECT_EQ(rendered[0], colour[0]);
    EXPECT_EQ(rendered[1], colour[1]);
    EXPECT_EQ(rendered[2], colour[2]);
}

TEST_F(MapExportsUnit, WhatEachFailureLeavesBehind) {
    toGeographic(geometry.left + 100.0, geometry.bottom + 1500.0, &lat1, &lon1);
    toGeographic(geometry.left + 400.0, geometry.bottom + 1200.0, &lat2, &lon2);
    HBITMAP handle = nullptr;
    ASSERT_EQ(createMapHBMP(folder.path().c_str(), 1006, &lon1, &lat1, &lon2, &lat2, &width, &height, &handle),
              mapOk);
    EXPECT_EQ(handle, imagery::renderBitmap.GetPixbuf());

    // 1 and 2 touch nothing: not even the fallback of a region city.
    imagery::cityFolders[7] = "SYDNEY";
    EXPECT_EQ(create(folder.file("x"), "GIF"), mapBadFormat);
    EXPECT_EQ(createMapHBMP(folder.path().c_str(), 11, &lon1, &lat1, &lon2, &lat2, &width, &height, &handle),
              mapBadCity);
    EXPECT_EQ(imagery::cityFolders[7], "SYDNEY");
    EXPECT_EQ(imagery::renderBitmap.GetPixbuf(), handle);

    // 6 resets the renderer and releases the bitmap.
    width = 0;
    EXPECT_EQ(create(folder.file("x.png"), "PNG"), mapNoBitmap);
    EXPECT_EQ(imagery::cityFolders[7], "URBANSET");
    EXPECT_FALSE(imagery::renderBitmap.IsOk());
    EXPECT_EQ(imagery::renderWidth, 0);

    // 3: a new bitmap, unpainted (black), and no layer file open.
    width = 160;
    EXPECT_EQ(createMap((folder.path() + "nowhere/").c_str(), 1006, &lon1, &lat1, &lon2, &lat2, &width, &height,
                        folder.file("x.png").c_str(), "PNG"),
              mapLayerMissing);
    EXPECT_TRUE(imagery::renderBitmap.IsOk());
    const std::vector<unsigned char> blank = bitmapPixels(imagery::renderBitmap);
    EXPECT_EQ(std::count(blank.begin(), blank.end(), 0), static_cast<long>(blank.size()));
    EXPECT_FALSE(imagery::layerTileFile.isOpen());

    // 5: the level is set, the layer closed, no file written.
    const double far = lon1 + 1.0;
    double farEast = far;
    EXPECT_EQ(createMap(folder.path().c_str(), 1006, &farEast, &lat1, &lon2, &lat2, &width, &height,
                        folder.file("x.png").c_str(), "PNG"),
              mapViewOutside);
    EXPECT_EQ(farEast, far);
    EXPECT_FALSE(imagery::layerTileFile.isOpen());
    EXPECT_FALSE(std::filesystem::exists(folder.file("x.png")));
}

TEST(LibraryLoadEntry, ReportsSuccessForEveryReason) {
    EXPECT_EQ(DllMain(nullptr, DLL_THREAD_ATTACH, nullptr), TRUE);
    EXPECT_EQ(DllMain(nullptr, DLL_THREAD_DETACH, nullptr), TRUE);
    EXPECT_EQ(DllMain(nullptr, 77, nullptr), TRUE);
    // A second attach and its detach keep the toolkit's start count even.
    EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr), TRUE);
    EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_DETACH, nullptr), TRUE);
    EXPECT_TRUE(wxImage::FindHandler(wxBITMAP_TYPE_PNG) != nullptr);
}
