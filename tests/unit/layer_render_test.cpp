#include <gtest/gtest.h>
#include <wx/rawbmp.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <sstream>

#include "byte_writer.h"
#include "layer_render.h"
#include "layer_store.h"
#include "layer_test_support.h"
#include "map_exports.h"
#include "test_support.h"

namespace {

constexpr int kUnpainted = -1;

// Level pixel (x, y) of the pattern, or kUnpainted where the image shows
// no tile.
using ExpectedIndex = std::function<int(int imageX, int imageY)>;

// Layer 1 of "DARWIN" (code 1003, 2 metres per full-resolution pixel).
class LayerRender : public ::testing::Test {
protected:
    void TearDown() override { imagery::closeMapLayer(); }

    void writeLayer(const writers::LayerTileSource& tiles = writers::tilesFromPixels(identifyingIndex),
                    const writers::LayerWriteOptions& options = {}) {
        files = writeScratchLayer(folder.path(), "DARWIN/", 1, geometry, tiles, options);
    }

    void rewriteLayer() { writers::writeLayer(folder.file("DARWIN/"), 1, files); }

    // The steps of a render request up to the level choice.
    void prepare(int level, int width, int height) {
        imagery::initMapRenderer();
        imagery::renderWidth = width;
        imagery::renderHeight = height;
        ASSERT_TRUE(imagery::createMapBitmap(width, height));
        imagery::setMapBasePath(wxString::FromUTF8(folder.path()));
        float scale = 0.0f;
        ASSERT_TRUE(imagery::openMapLayer(1003, &scale));
        imagery::setPyramidLevel(level);
    }

    // Grid position of a full-resolution column or row.
    float eastingOf(double column) const { return static_cast<float>(geometry.left + column * 2.0); }
    float northingOf(double row) const { return static_cast<float>(geometry.bottom + row * 2.0); }

    // Paints the view whose south-west corner is full-resolution pixel
    // (column, row).
    int render(int level, int width, int height, double column, double row) {
        prepare(level, width, height);
        if (!imagery::setViewOrigin(eastingOf(column), northingOf(row))) return -1;
        return imagery::renderMapTiles(width, height);
    }

    // The pattern as the image must show it after a render at this level:
    // image row 0 is the top, level rows count from the bottom.
    ExpectedIndex patternView(int level, int height) const {
        const int s = 4 - level;
        const int x0 = imagery::viewOriginX >> s;
        const int y0 = imagery::viewOriginY >> s;
        const int levelWidth = (geometry.width >> s) / 64 * 64;
        const int levelHeight = (geometry.height >> s) / 64 * 64;
        return [=](int ix, int iy) {
            const int x = x0 + ix;
            const int y = y0 + height - 1 - iy;
            if (x >= levelWidth || y >= levelHeight) return kUnpainted;
            return static_cast<int>(identifyingIndex(level, x, y));
        };
    }

    // Every pixel of the render bitmap against the expectation; unpainted
    // pixels are black.
    void expectImage(const ExpectedIndex& expected) {
        wxNativePixelData pixels(imagery::renderBitmap);
        ASSERT_TRUE(pixels);
        int mismatches = 0;
        std::ostringstream first;
        wxNativePixelData::Iterator row(pixels);
        for (int y = 0; y < pixels.GetHeight(); ++y) {
            wxNativePixelData::Iterator p = row;
            for (int x = 0; x < pixels.GetWidth(); ++x, ++p) {
                const int index = expected(x, y);
                const uint8_t black[3] = {0, 0, 0};
                const uint8_t* want = index == kUnpainted ? black : imagery::renderPalette[index];
                if (p.Red() != want[0] || p.Green() != want[1] || p.Blue() != want[2]) {
                    if (mismatches++ < 5) {
                        first << " (" << x << "," << y << ") is " << int{p.Red()} << " " << int{p.Green()} << " "
                              << int{p.Blue()} << " not entry " << index << ";";
                    }
                }
            }
            row.OffsetY(pixels, 1);
        }
        EXPECT_EQ(mismatches, 0) << first.str();
    }

    ScratchFolder folder;
    writers::LayerGeometry geometry{500000, 6000000, 1024, 1024};
    writers::LayerFiles files;
};

}  // namespace

// ---- Level choice -----------------------------------------------------------

TEST(MapLevelChoice, StrictComparisonsOnTheTruncatedQuotient) {
    // With s = 2: mpp 40, 5, 4 and 2 over a 100-pixel view.
    auto level = [](double mpp, float scale) {
        return imagery::chooseMapLevel(0.0, mpp * 100.0, mpp * 100.0, 0.0, 100, 100, scale);
    };
    EXPECT_EQ(level(40, 2.0f), 0);
    EXPECT_EQ(level(5, 2.0f), 2);
    EXPECT_EQ(level(4, 2.0f), 3);
    EXPECT_EQ(level(2, 2.0f), 4);
    EXPECT_EQ(level(16, 2.0f), 1);  // exactly 8 s
    EXPECT_EQ(level(2.5, 2.0f), 4);  // truncated to 2
    EXPECT_EQ(level(1000, 2.0f), 0);
    // s = 1: a horizontal 8.9 truncates to 8, exactly 8 s: level 1.
    EXPECT_EQ(imagery::chooseMapLevel(0.0, 500.0, 890.0, 0.0, 100, 100, 1.0f), 1);
    // The vertical quotient wins when larger, and is truncated too.
    EXPECT_EQ(imagery::chooseMapLevel(0.0, 1690.0, 100.0, 0.0, 100, 100, 2.0f), 1);
    EXPECT_EQ(imagery::chooseMapLevel(0.0, 1700.0, 100.0, 0.0, 100, 100, 2.0f), 0);
    // Corners given in reverse give level 4.
    EXPECT_EQ(imagery::chooseMapLevel(1000.0, 0.0, 0.0, 1000.0, 100, 100, 2.0f), 4);
    // The multiples are formed from the float scale.
    const float odd = 22.222f;
    const double eightS = 8.0f * odd;
    EXPECT_EQ(imagery::chooseMapLevel(0.0, 0.0, std::ceil(eightS) * 10.0, 0.0, 10, 10, odd), 0);
    EXPECT_EQ(imagery::chooseMapLevel(0.0, 0.0, std::floor(eightS) * 10.0, 0.0, 10, 10, odd), 1);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(imagery::chooseMapLevel(nan, nan, nan, nan, 10, 10, 2.0f), 4);
}

// ---- The view's place on the layer ----------------------------------------------

TEST_F(LayerRender, ViewFitsUpToTheImageEdges) {
    writeLayer(writers::tilesFromPixels([](int, int, int) { return 3; }));
    prepare(4, 64, 64);
    EXPECT_TRUE(imagery::setViewOrigin(eastingOf(960), northingOf(960)));
    EXPECT_EQ(imagery::viewOriginX, 960);
    EXPECT_EQ(imagery::viewOriginY, 960);
    EXPECT_FALSE(imagery::setViewOrigin(eastingOf(961), northingOf(0)));
    EXPECT_FALSE(imagery::setViewOrigin(eastingOf(0), northingOf(961)));
    // Less than one full-resolution pixel west or south still fits.
    EXPECT_TRUE(imagery::setViewOrigin(eastingOf(-0.75), northingOf(-0.75)));
    EXPECT_EQ(imagery::viewOriginX, 0);
    EXPECT_FALSE(imagery::setViewOrigin(eastingOf(-1.5), northingOf(0)));
    // A failed fit leaves the origin as it was.
    EXPECT_TRUE(imagery::setViewOrigin(eastingOf(130), northingOf(70)));
    EXPECT_FALSE(imagery::setViewOrigin(eastingOf(5000), northingOf(70)));
    EXPECT_EQ(imagery::viewOriginX, 128);
    EXPECT_EQ(imagery::viewOriginY, 64);
    // At level 2 the view spans four times as many full-resolution pixels.
    imagery::setPyramidLevel(2);
    EXPECT_TRUE(imagery::setViewOrigin(eastingOf(768), northingOf(0)));
    EXPECT_FALSE(imagery::setViewOrigin(eastingOf(769), northingOf(0)));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float huge = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(imagery::setViewOrigin(nan, northingOf(0)));
    EXPECT_FALSE(imagery::setViewOrigin(eastingOf(0), nan));
    EXPECT_FALSE(imagery::setViewOrigin(-huge, northingOf(0)));
    EXPECT_FALSE(imagery::setViewOrigin(3.0e38f, 3.0e38f));
}

TEST_F(LayerRender, LayerOfNoExtentFitsNothing) {
    writeLayer(writers::tilesFromPixels([](int, int, int) { return 3; }));
    writers::writeFileText(folder.file("DARWIN/map.txt"), "500000,6000000,0,0,0,0,0,0,0,0,0,0,0,0");
    prepare(4, 64, 64);
    EXPECT_FALSE(imagery::setViewOrigin(eastingOf(0), northingOf(0)));
    EXPECT_EQ(imagery::renderMapTiles(64, 64), 0);
}

// ---- Placement, flip and clipping, pixel by pixel -----------------------------

TEST_F(LayerRender, FullResolutionViewClippedRightAndTop) {
    writeLayer();
    // 100 by 100: two tile columns (the right one clipped to 36 columns)
    // of two tiles (the upper one placed at y = -28).
    ASSERT_EQ(render(4, 100, 100, 130, 70), 1);
    EXPECT_EQ(imagery::viewOriginX, 128);
    EXPECT_EQ(imagery::viewOriginY, 64);
    expectImage(patternView(4, 100));
}

TEST_F(LayerRender, ImageLowerThanOneTile) {
    writeLayer();
    ASSERT_EQ(render(4, 64, 50, 0, 0), 1);
    expectImage(patternView(4, 50));
}

TEST_F(LayerRender, CoarseLevelRealignsTheOrigin) {
    writeLayer();
    prepare(2, 120, 70);
    ASSERT_TRUE(imagery::setViewOrigin(eastingOf(130), northingOf(300)));
    EXPECT_EQ(imagery::viewOriginX, 128);
    EXPECT_EQ(imagery::viewOriginY, 256);
    ASSERT_EQ(imagery::renderMapTiles(120, 70), 1);
    // Multiples of 256 full-resolution pixels at level 2.
    EXPECT_EQ(imagery::viewOriginX, 0);
    EXPECT_EQ(imagery::viewOriginY, 256);
    expectImage(patternView(2, 70));
}

TEST_F(LayerRender, EveryLevelShowsItsOwnPixels) {
    writeLayer();
    for (int level = 0; level <= 4; ++level) {
        const int side = 1024 >> (4 - level);
        const int size = std::min(side, 200);
        ASSERT_EQ(render(level, size, size, 0, 0), 1) << level;
        expectImage(patternView(level, size));
    }
}

TEST_F(LayerRender, OnlyWhitePaintedGivesZero) {
    writeLayer(writers::tilesFromPixels([](int, int x, int) { return x % 2 == 0 ? 118 : 255; }));
    EXPECT_EQ(render(4, 128, 128, 0, 0), 0);
    EXPECT_EQ(imagery::nonWhiteDrawn, 0);
    writeLayer(writers::tilesFromPixels([](int, int x, int y) { return x == 100 && y == 5 ? 127 : 118; }));
    EXPECT_EQ(render(4, 128, 128, 0, 0), 1);
    EXPECT_EQ(render(4, 64, 64, 0, 0), 0);  // the black pixel lies outside this view
}

TEST_F(LayerRender, CornersOfTheImage) {
    writeLayer();
    ASSERT_EQ(render(3, 100, 60, 300, 200), 1);
    // Level 3: 4 metres per pixel; origin snapped to 256 and 128 full-resolution pixels.
    EXPECT_EQ(imagery::pixelToEasting(0.0f), geometry.left + 256 * 2.0);
    EXPECT_EQ(imagery::pixelToEasting(100.0f) - imagery::pixelToEasting(0.0f), 400.0);
    EXPECT_EQ(imagery::pixelToNorthing(60, 60), geometry.bottom + 128 * 2.0);
    EXPECT_EQ(imagery::pixelToNorthing(0, 60) - imagery::pixelToNorthing(60, 60), 240.0);
}

// ---- Damaged layers ---------------------------------------------------------------

TEST_F(LayerRender, DamagedTilesAreSkipped) {
    writeLayer();
    // Tile (2, 0) of level 4: its coded bytes overwritten.
    const size_t at = files.tilePosition(4, 2, 0);
    for (size_t i = at; i < at + 40; ++i) files.tiles[i] = 0xFF;
    // Tile (0, 1): decreasing offsets make it end before it starts.
    files.setOffsetEntry(4, 0, 2, files.offsetEntry(4, 0, 1) - 1);
    rewriteLayer();
    ASSERT_EQ(render(4, 192, 128, 0, 0), 1);
    const ExpectedIndex pattern = patternView(4, 128);
    expectImage([&](int x, int y) {
        const int column = x / 64;
        const int row = (127 - y) / 64;
        if ((column == 2 && row == 0) || (column == 0 && row == 1)) return kUnpainted;
        return pattern(x, y);
    });
}

TEST_F(LayerRender, TruncatedTileFileAndOffsetsPastIt) {
    writeLayer();
    // Cut the file inside level 4's tile (15, 1): that tile and every later
    // one is gone; the column's earlier tiles stay.
    files.tiles.resize(files.tilePosition(4, 15, 1) + 10);
    files.setOffsetEntry(4, 14, 1, 0x7FFFFFF0u);  // an offset past the file
    rewriteLayer();
    ASSERT_EQ(render(4, 128, 192, 896, 0), 1);
    const ExpectedIndex pattern = patternView(4, 192);
    expectImage([&](int x, int y) {
        const int column = 14 + x / 64;
        const int row = (191 - y) / 64;
        if (column == 15 && row >= 1) return kUnpainted;
        if (column == 14 && (row == 0 || row == 1)) return kUnpainted;  // tile 0 ends where tile 1 starts
        return pattern(x, y);
    });
}

TEST_F(LayerRender, ViewAtTheEdgeOfAnUnevenGridReadsOnlyTilesThatExist) {
    // 1100 pixels across: level 4 has 17 whole tiles, and 12 pixels of no tile.
    geometry.width = 1100;
    writeLayer(writers::tilesFromPixels([](int, int, int) { return 40; }));
    ASSERT_EQ(render(4, 70, 64, 1030, 0), 1);
    EXPECT_EQ(imagery::viewOriginX, 1024);
    expectImage([](int x, int) { return x < 64 ? 40 : kUnpainted; });
}

TEST_F(LayerRender, ColumnsOfMoreThan99Rows) {
    geometry.width = 1024;
    geometry.height = 7168;
    writeLayer([](int level, int, int row) { return std::vector<uint8_t>(4096, static_cast<uint8_t>(level == 4 ? row % 110 : 0)); });
    ASSERT_EQ(render(4, 64, 6464, 0, 0), 1);
    expectImage([](int, int y) { return (6463 - y) / 64 % 110; });
}

TEST_F(LayerRender, CodedTilesLargerThanALowImageAllows) {
    // Noise tiles code to about 4 kB each, far above 64 bytes per image row.
    std::mt19937 random(5);
    std::vector<std::vector<uint8_t>> noise(4, std::vector<uint8_t>(4096));
    for (auto& tile : noise) {
        for (uint8_t& b : tile) b = static_cast<uint8_t>(random() % 118);
    }
    writeLayer([&](int, int column, int row) { return noise[(column + row) % 4]; });
    ASSERT_EQ(render(4, 128, 1, 0, 0), 1);
    // The one image row shows the bottom row of each tile.
    expectImage([&](int x, int) { return noise[x / 64][x % 64]; });
}
