#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "OstrimMapDll.h"
#include "layer_writer.h"
#include "library_handle.h"
#include "test_support.h"

namespace {

// Layer 0 of "DARWIN" (22.222 metres per pixel) around Darwin: 1024 pixels
// from easting 689000 and northing 8611000 of zone 52, which holds the
// view around 130.85 E, 12.45 S. Each tile is one colour, different from
// its neighbours'.
uint8_t tileColour(int level, int column, int row) {
    return static_cast<uint8_t>((level * 7 + column * 3 + row * 5) % 118);
}

writers::LayerFiles darwinKeyLayer() {
    writers::LayerGeometry geometry{689000, 8611000, 1024, 1024};
    return writers::buildLayer(geometry, [](int level, int column, int row) {
        return std::vector<uint8_t>(4096, tileColour(level, column, row));
    });
}

struct View {
    double lon1 = 130.84;
    double lat1 = -12.44;
    double lon2 = 130.86;
    double lat2 = -12.455;
    int width = 100;
    int height = 90;
};

struct Rgb {
    int red, green, blue;
    bool operator==(const Rgb& o) const { return red == o.red && green == o.green && blue == o.blue; }
};

std::vector<Rgb> pixbufPixels(GdkPixbuf* pixbuf) {
    std::vector<Rgb> pixels;
    if (pixbuf == nullptr) return pixels;
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* data = gdk_pixbuf_read_pixels(pixbuf);
    for (int y = 0; y < gdk_pixbuf_get_height(pixbuf); ++y) {
        for (int x = 0; x < gdk_pixbuf_get_width(pixbuf); ++x) {
            const guchar* p = data + y * stride + x * channels;
            pixels.push_back({p[0], p[1], p[2]});
        }
    }
    return pixels;
}

std::vector<Rgb> imageFilePixels(const std::string& path, int* width = nullptr, int* height = nullptr) {
    GError* error = nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), &error);
    if (error != nullptr) g_error_free(error);
    if (pixbuf == nullptr) return {};
    if (width != nullptr) *width = gdk_pixbuf_get_width(pixbuf);
    if (height != nullptr) *height = gdk_pixbuf_get_height(pixbuf);
    std::vector<Rgb> pixels = pixbufPixels(pixbuf);
    g_object_unref(pixbuf);
    return pixels;
}

void markFinalised(gpointer flag, GObject*) { *static_cast<bool*>(flag) = true; }

class MapExports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.loaded()) << dlerror();
        createMapFn = OSTRIM_RESOLVE(library, createMap);
        createMapHBMPFn = OSTRIM_RESOLVE(library, createMapHBMP);
        ASSERT_NE(createMapFn, nullptr);
        ASSERT_NE(createMapHBMPFn, nullptr);
        writers::writeLayer(folder.file("DARWIN/"), 0, darwinKeyLayer());
    }

    int create(View& view, const std::string& file, const char* format, int code = 3) {
        return createMapFn(folder.path().c_str(), code, &view.lon1, &view.lat1, &view.lon2, &view.lat2, &view.width,
                           &view.height, file.c_str(), format);
    }

    int createHandle(View& view, HBITMAP* bitmap, int code = 3) {
        return createMapHBMPFn(folder.path().c_str(), code, &view.lon1, &view.lat1, &view.lon2, &view.lat2,
                               &view.width, &view.height, bitmap);
    }

    // Both exports give `result` and leave the view as it was.
    void expectBoth(int result, View view, int code = 3, const char* format = "PNG") {
        const View before = view;
        EXPECT_EQ(create(view, folder.file("out.png"), format, code), result);
        if (result != mapOk) {
            EXPECT_EQ(std::memcmp(&view, &before, sizeof view), 0);
        }
        if (result == mapBadFormat || result == mapNotSaved) return;
        view = before;
        HBITMAP bitmap = reinterpret_cast<HBITMAP>(0x1);
        EXPECT_EQ(createHandle(view, &bitmap, code), result);
        if (result != mapOk) {
            EXPECT_EQ(std::memcmp(&view, &before, sizeof view), 0);
            EXPECT_EQ(bitmap, reinterpret_cast<HBITMAP>(0x1));
        }
    }

    ScratchFolder folder;
    LibraryHandle library;
    decltype(&createMap) createMapFn = nullptr;
    decltype(&createMapHBMP) createMapHBMPFn = nullptr;
};

}  // namespace

// ---- Result codes ------------------------------------------------------------

TEST_F(MapExports, FormatIsJudgedAfterTheCity) {
    for (const char* format : {"bmp", "GIF", "JPG", "BM", "", "png"}) {
        View view;
        const View before = view;
        EXPECT_EQ(create(view, folder.file("x"), format), mapBadFormat) << format;
        EXPECT_EQ(std::memcmp(&view, &before, sizeof view), 0);
    }
    View view;
    EXPECT_EQ(createMapFn(folder.path().c_str(), 3, &view.lon1, &view.lat1, &view.lon2, &view.lat2, &view.width,
                          &view.height, folder.file("x").c_str(), nullptr),
              mapBadFormat);
    EXPECT_EQ(create(view, folder.file("x"), "GIF", 11), mapBadCity);
    EXPECT_FALSE(std::filesystem::exists(folder.file("x")));
    View longer;
    EXPECT_EQ(create(longer, folder.file("a.bmp"), "BMPX"), mapOk);
    View png;
    EXPECT_EQ(create(png, folder.file("a.png"), "PNG image"), mapOk);
}

TEST_F(MapExports, CityCheck) {
    for (int code : {11, 1011, -1, 999, -999}) expectBoth(mapBadCity, View{}, code);
    expectBoth(mapLayerMissing, View{}, 1010);   // city 10 passes; its layer is missing
    expectBoth(mapLayerMissing, View{}, -2000);  // remainder 0 passes
}

TEST_F(MapExports, MissingLayerAndUnsavedImage) {
    expectBoth(mapLayerMissing, View{}, 1003);
    expectBoth(mapLayerMissing, View{}, 4);
    View view;
    EXPECT_EQ(create(view, folder.file("no such folder/out.png"), "PNG"), mapNotSaved);
    EXPECT_EQ(view.lon1, View{}.lon1);
    EXPECT_EQ(createMapFn(folder.path().c_str(), 3, &view.lon1, &view.lat1, &view.lon2, &view.lat2, &view.width,
                          &view.height, nullptr, "BMP"),
              mapNotSaved);
}

TEST_F(MapExports, ViewOutsideOrWhite) {
    View east;
    east.lon1 = 131.84;
    east.lon2 = 131.86;
    expectBoth(mapViewOutside, east);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {nan, inf, -inf, 1e300, -1e300}) {
        View view;
        view.lon1 = bad;
        expectBoth(mapViewOutside, view);
        view = View{};
        view.lat2 = bad;
        expectBoth(mapViewOutside, view);
    }
    View zero;  // a view of no extent still fits: it shows level 4
    zero.lon2 = zero.lon1;
    zero.lat2 = zero.lat1;
    expectBoth(mapOk, zero);
    // A layer painted white throughout.
    writers::writeLayer(folder.file("HOBART/"), 0,
                        writers::buildLayer({0, 0, 1024, 1024}, [](int, int, int) {
                            return std::vector<uint8_t>(4096, 255);
                        }));
    View hobart;
    hobart.lon1 = 147.0;
    hobart.lat1 = -89.9;
    expectBoth(mapViewOutside, hobart, 4);
}

TEST_F(MapExports, BadSizesGiveNoBitmap) {
    for (auto size : std::vector<std::pair<int, int>>{{0, 90}, {100, 0}, {-5, 90}, {100, -1}, {100000, 100000}}) {
        View view;
        view.width = size.first;
        view.height = size.second;
        expectBoth(mapNoBitmap, view);
    }
    View view;
    EXPECT_EQ(createMapFn(folder.path().c_str(), 3, &view.lon1, &view.lat1, &view.lon2, &view.lat2, nullptr,
                          &view.height, folder.file("a.png").c_str(), "PNG"),
              mapNoBitmap);
}

// ---- Images ----------------------------------------------------------------------

TEST_F(MapExports, SavedFilesAndHandleShowTheSameImage) {
    View bmpView;
    View pngView;
    View handleView;
    ASSERT_EQ(create(bmpView, folder.file("view.bmp"), "BMP"), mapOk);
    ASSERT_EQ(create(pngView, folder.file("view.png"), "PNG"), mapOk);
    HBITMAP bitmap = nullptr;
    ASSERT_EQ(createHandle(handleView, &bitmap), mapOk);
    ASSERT_NE(bitmap, nullptr);
    auto* pixbuf = static_cast<GdkPixbuf*>(bitmap);
    EXPECT_EQ(gdk_pixbuf_get_width(pixbuf), 100);
    EXPECT_EQ(gdk_pixbuf_get_height(pixbuf), 90);
    EXPECT_FALSE(gdk_pixbuf_get_has_alpha(pixbuf));

    int width = 0;
    int height = 0;
    const std::vector<Rgb> fromBmp = imageFilePixels(folder.file("view.bmp"), &width, &height);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(height, 90);
    const std::vector<Rgb> fromHandle = pixbufPixels(pixbuf);
    EXPECT_TRUE(fromBmp == imageFilePixels(folder.file("view.png")));
    EXPECT_TRUE(fromBmp == fromHandle);
    // Tiles of one colour each: the image holds several, none black.
    std::vector<Rgb> distinct;
    for (const Rgb& p : fromHandle) {
        EXPECT_FALSE(p.red == 0 && p.green == 0 && p.blue == 0);
        if (std::find(distinct.begin(), distinct.end(), p) == distinct.end()) distinct.push_back(p);
    }
    EXPECT_GE(distinct.size(), 4u);
    // The corners written back are those of the same view each time.
    EXPECT_EQ(std::memcmp(&bmpView, &pngView, sizeof bmpView), 0);
    EXPECT_EQ(std::memcmp(&bmpView, &handleView, sizeof bmpView), 0);
}

TEST_F(MapExports, CornersWrittenBackDescribeTheImage) {
    View view;
    const View requested = view;
    ASSERT_EQ(create(view, folder.file("view.png"), "PNG"), mapOk);
    EXPECT_EQ(view.width, requested.width);
    EXPECT_EQ(view.height, requested.height);
    // Level 4 at 22.222 m per pixel: the image spans 100 by 90 pixels of
    // it, from a south-west corner up to 63 pixels west and south of the
    // requested one.
    const double metresPerDegreeLatitude = 110700.0;
    const double metresPerDegreeLongitude = 108700.0;
    EXPECT_NEAR((view.lat1 - view.lat2) * metresPerDegreeLatitude, 90 * 22.222, 30.0);
    EXPECT_NEAR((view.lon2 - view.lon1) * metresPerDegreeLongitude, 100 * 22.222, 30.0);
    EXPECT_LE(view.lon1, requested.lon1 + 2.0 / metresPerDegreeLongitude);
    EXPECT_GE(view.lon1, requested.lon1 - 64 * 22.222 / metresPerDegreeLongitude);
    EXPECT_LE(view.lat2, requested.lat2 + 2.0 / metresPerDegreeLatitude);
    EXPECT_GE(view.lat2, requested.lat2 - 64 * 22.222 / metresPerDegreeLatitude);
}

// ---- The handle's lifetime --------------------------------------------------------

TEST_F(MapExports, HandleLivesUntilTheNextRenderThatPassesTheChecks) {
    View view;
    HBITMAP bitmap = nullptr;
    ASSERT_EQ(createHandle(view, &bitmap), mapOk);
    auto* pixbuf = static_cast<GdkPixbuf*>(bitmap);
    bool finalised = false;
    g_object_weak_ref(G_OBJECT(pixbuf), markFinalised, &finalised);
    const std::vector<Rgb> before = pixbufPixels(pixbuf);

    View other;
    EXPECT_EQ(create(other, folder.file("x.gif"), "GIF"), mapBadFormat);
    EXPECT_EQ(create(other, folder.file("x.png"), "PNG", 1011), mapBadCity);
    HBITMAP second = nullptr;
    EXPECT_EQ(createHandle(other, &second, 12), mapBadCity);
    ASSERT_FALSE(finalised);
    EXPECT_TRUE(pixbufPixels(pixbuf) == before);

    // A render that fails after the checks still replaces the bitmap.
    EXPECT_EQ(create(other, folder.file("x.png"), "PNG", 1003), mapLayerMissing);
    EXPECT_TRUE(finalised);
}

TEST_F(MapExports, HandleIsReplacedByTheNextHandle) {
    View view;
    HBITMAP first = nullptr;
    ASSERT_EQ(createHandle(view, &first), mapOk);
    bool finalised = false;
    g_object_weak_ref(G_OBJECT(first), markFinalised, &finalised);
    View next;
    HBITMAP second = nullptr;
    ASSERT_EQ(createHandle(next, &second), mapOk);
    EXPECT_TRUE(finalised);
    EXPECT_NE(second, nullptr);
    View again;
    EXPECT_EQ(createHandle(again, nullptr), mapOk);  // no place for the handle: nothing written
}

TEST(MapExportsLoad, UnloadReleasesTheHandedOutBitmap) {
    ScratchFolder folder;
    writers::writeLayer(folder.file("DARWIN/"), 0, darwinKeyLayer());
    bool finalised = false;
    {
        LibraryHandle library;
        ASSERT_TRUE(library.loaded()) << dlerror();
        auto createMapHBMPFn = OSTRIM_RESOLVE(library, createMapHBMP);
        View view;
        HBITMAP bitmap = nullptr;
        ASSERT_EQ(createMapHBMPFn(folder.path().c_str(), 3, &view.lon1, &view.lat1, &view.lon2, &view.lat2,
                                  &view.width, &view.height, &bitmap),
                  mapOk);
        g_object_weak_ref(G_OBJECT(bitmap), markFinalised, &finalised);
    }
    EXPECT_TRUE(finalised);
    // Loaded again, it renders again.
    LibraryHandle library;
    ASSERT_TRUE(library.loaded());
    auto createMapFn = OSTRIM_RESOLVE(library, createMap);
    View view;
    EXPECT_EQ(createMapFn(folder.path().c_str(), 3, &view.lon1, &view.lat1, &view.lon2, &view.lat2, &view.width,
                          &view.height, folder.file("again.png").c_str(), "PNG"),
              mapOk);
}
