#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "byte_writer.h"
#include "layer_store.h"
#include "layer_test_support.h"
#include "test_support.h"

namespace {

using imagery::LayerHeader;

LayerHeader parsed(const std::string& text, bool expectComplete = true) {
    LayerHeader header{};
    EXPECT_EQ(imagery::parseMapHeader(text.c_str(), &header), expectComplete) << text;
    return header;
}

// A layer whose three files exist with a well-formed header: the tiles are
// all palette entry 5.
void writeTinyLayer(const std::string& cityFolder, int layer, const writers::LayerWriteOptions& options = {}) {
    writers::LayerGeometry geometry;
    geometry.left = 300000;
    geometry.bottom = 6200000;
    writeScratchLayer("", cityFolder, layer, geometry, writers::tilesFromPixels([](int, int, int) { return 5; }),
                      options);
}

class LayerStore : public ::testing::Test {
protected:
    void SetUp() override {
        imagery::initMapRenderer();
        imagery::setMapBasePath(wxString::FromUTF8(folder.path()));
    }
    void TearDown() override { imagery::closeMapLayer(); }

    bool open(int code, float* scale = nullptr) {
        float ignored = -1.0f;
        return imagery::openMapLayer(code, scale != nullptr ? scale : &ignored);
    }

    ScratchFolder folder;
};

}  // namespace

// ---- Header text --------------------------------------------------------------

TEST(LayerHeaderText, CommasAndLineEnds) {
    LayerHeader header = parsed("1,2,3,4,5,6,7,8,9,10,11,12,13,14");
    EXPECT_EQ(header.left, 1);
    EXPECT_EQ(header.bottom, 2);
    EXPECT_EQ(header.width, 3);
    EXPECT_EQ(header.height, 4);
    EXPECT_EQ(header.offsetTableBytes[0], 5);
    EXPECT_EQ(header.tileBytes[0], 6);
    EXPECT_EQ(header.offsetTableBytes[3], 11);
    EXPECT_EQ(header.tileBytes[3], 12);

    // One number per CR LF line works when the first is followed by a comma.
    header = parsed("10,\r\n20\r\n30\r\n40\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n14\r\n");
    EXPECT_EQ(header.left, 10);
    EXPECT_EQ(header.bottom, 20);
    EXPECT_EQ(header.tileBytes[3], 12);

    // Without that comma the first field runs over the first line end and
    // swallows the second number.
    header = parsed("10\r\n20\r\n30,40\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n14\r\n15\r\n16");
    EXPECT_EQ(header.left, 10);
    EXPECT_EQ(header.bottom, 40);
    EXPECT_FALSE(imagery::parseMapHeader("10\r\n20,30\r\n40\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n14", &header));
}

TEST(LayerHeaderText, RunsOfSeparatorsSignsAndSpaces) {
    LayerHeader header = parsed(",,1,,2,\r,3\r\r4,  +5,\t-6,7x,abc,9,10,11,12,13,14");
    EXPECT_EQ(header.left, 1);
    EXPECT_EQ(header.bottom, 2);
    EXPECT_EQ(header.width, 3);
    EXPECT_EQ(header.height, 4);
    EXPECT_EQ(header.offsetTableBytes[0], 5);
    EXPECT_EQ(header.tileBytes[0], -6);
    EXPECT_EQ(header.offsetTableBytes[1], 7);  // reading stops at the first non-digit
    EXPECT_EQ(header.tileBytes[1], 0);         // a field without digits reads as 0
    EXPECT_EQ(header.offsetTableBytes[2], 9);
    header = parsed("-2147483648,2147483647,0,0,0,0,0,0,0,0,0,0,0,0");
    EXPECT_EQ(header.left, INT32_MIN);
    EXPECT_EQ(header.bottom, INT32_MAX);
}

TEST(LayerHeaderText, ShortOrOutOfRangeHeadersAreRefused) {
    LayerHeader header{};
    EXPECT_FALSE(imagery::parseMapHeader("", &header));
    EXPECT_FALSE(imagery::parseMapHeader("1,2,3,4,5,6,7,8,9,10,11,12,13", &header));
    EXPECT_FALSE(imagery::parseMapHeader("1,2,3,4,5,6,7,8,9,10,11,12,13,,,", &header));
    EXPECT_FALSE(imagery::parseMapHeader("1,2,3,4,5,6,7,8,9,10,11,12,13,2147483648", &header));
    EXPECT_FALSE(imagery::parseMapHeader("1,2,3,4,-99999999999999999999999,6,7,8,9,10,11,12,13,14", &header));
}

// ---- City table and palette ------------------------------------------------------

TEST(LayerStoreTables, CityFoldersAndPalette) {
    imagery::initMapRenderer();
    EXPECT_EQ(imagery::cityFolders[0], "ADELAIDE");
    EXPECT_EQ(imagery::cityFolders[6], "PERTH");
    for (int city = 7; city <= 10; ++city) EXPECT_EQ(imagery::cityFolders[city], "URBANSET");
    const uint8_t first[3] = {192, 59, 66};
    const uint8_t last[3] = {22, 22, 22};
    EXPECT_EQ(std::memcmp(imagery::renderPalette[0], first, 3), 0);
    EXPECT_EQ(std::memcmp(imagery::renderPalette[126], last, 3), 0);
    for (int entry = 0; entry < 256; ++entry) {
        const uint8_t* rgb = imagery::renderPalette[entry];
        const bool white = rgb[0] == 255 && rgb[1] == 255 && rgb[2] == 255;
        EXPECT_EQ(white, entry == 118 || entry == 255) << entry;
        if (entry >= 127 && entry <= 254) {
            EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0) << entry;
        }
    }
}

// ---- Opening a layer -------------------------------------------------------------

TEST_F(LayerStore, CodesNameLayerAndCityFolder) {
    writeTinyLayer(folder.file("ADELAIDE/"), 0);
    writeTinyLayer(folder.file("URBANSET/"), 2);
    writeTinyLayer(folder.file("URBANSET/"), 3);
    writeTinyLayer(folder.file("PERTH/"), 1);
    float scale = 0.0f;
    EXPECT_TRUE(open(0, &scale));
    EXPECT_EQ(scale, 12.0f);
    EXPECT_TRUE(open(2010, &scale));
    EXPECT_EQ(scale, 1.0f);
    EXPECT_TRUE(open(3010, &scale));
    EXPECT_EQ(scale, 0.5f);
    EXPECT_TRUE(open(1006, &scale));
    EXPECT_EQ(scale, 2.0f);
    EXPECT_TRUE(imagery::layerTileFile.isOpen());
    EXPECT_TRUE(imagery::layerOffsetFile.isOpen());
    imagery::closeMapLayer();
    EXPECT_FALSE(imagery::layerTileFile.isOpen());
    EXPECT_FALSE(imagery::layerOffsetFile.isOpen());
    // Layer 0 of city 6 is missing and city 6 has no region folder.
    EXPECT_FALSE(open(6, &scale));
    EXPECT_EQ(scale, 16.0f);
    EXPECT_FALSE(imagery::layerTileFile.isOpen());
}

TEST_F(LayerStore, RegionFolderFallbackSwitchesAllFourCities) {
    const char* regions[4] = {"SYDNEY/", "SYDNEY/CENTRAL COAST/", "SYDNEY/NEWCASTLE/", "SYDNEY/WOLLONGONG/"};
    const float scales[4] = {11.0f, 11.0f, 27.266f, 22.56f};
    for (const char* region : regions) writeTinyLayer(folder.file(region), 0);
    for (int city = 7; city <= 10; ++city) {
        imagery::initMapRenderer();
        float scale = 0.0f;
        ASSERT_TRUE(open(city, &scale)) << city;
        EXPECT_EQ(scale, scales[city - 7]);
        EXPECT_EQ(imagery::cityFolders[7], "SYDNEY");
        EXPECT_EQ(imagery::cityFolders[8], "SYDNEY\\CENTRAL COAST");
        EXPECT_EQ(imagery::cityFolders[9], "SYDNEY\\NEWCASTLE");
        EXPECT_EQ(imagery::cityFolders[10], "SYDNEY\\WOLLONGONG");
        imagery::closeMapLayer();
    }
    imagery::initMapRenderer();
    for (int city = 7; city <= 10; ++city) EXPECT_EQ(imagery::cityFolders[city], "URBANSET");
    // A layer the shared folder holds serves every region city without a switch.
    writeTinyLayer(folder.file("URBANSET/"), 1);
    EXPECT_TRUE(open(1008));
    EXPECT_EQ(imagery::cityFolders[8], "URBANSET");
}

TEST_F(LayerStore, LayerOutsideZeroToThreeKeepsTheLastScale) {
    float scale = -1.0f;
    EXPECT_FALSE(open(4002, &scale));
    EXPECT_EQ(scale, imagery::layerScale);
    writeTinyLayer(folder.file("CANBERRA/"), 1);
    EXPECT_TRUE(open(1002, &scale));
    imagery::closeMapLayer();
    // The tested path is the folder name directly followed by "cmp".
    EXPECT_FALSE(open(4002, &scale));
    EXPECT_EQ(scale, 2.0f);
    writers::writeFileText(folder.file("CANBERRAcmp"), "x");
    writers::writeFileText(folder.file("CANBERRAoff"), "x");
    writers::writeFileText(folder.file("CANBERRAtxt"), "0,0,1024,1024,0,0,0,0,0,0,0,0,0,0");
    EXPECT_TRUE(open(4002, &scale));
    imagery::closeMapLayer();
    // Layer -2 of city 0: no prefix either.
    for (const char* extension : {"cmp", "off", "txt"}) {
        writers::writeFileBytes(folder.file(std::string("ADELAIDE") + extension),
                                writers::readFileBytes(folder.file(std::string("CANBERRA") + extension)));
    }
    EXPECT_TRUE(open(-2000, &scale));
}

TEST_F(LayerStore, CityOutsideTheTableOpensNothing) {
    float scale = -1.0f;
    EXPECT_FALSE(open(11, &scale));
    EXPECT_FALSE(open(-1, &scale));
    EXPECT_FALSE(open(1999, &scale));
    EXPECT_EQ(scale, 2.0f);
}

TEST_F(LayerStore, MissingOrBrokenCompanionFilesCloseEverything) {
    const std::string city = folder.file("DARWIN/");
    writeTinyLayer(city, 1);
    ASSERT_TRUE(open(1003));
    const imagery::PyramidLevel before = imagery::pyramidLevels[4];
    imagery::closeMapLayer();

    auto expectRefused = [&](const char* what) {
        EXPECT_FALSE(open(1003)) << what;
        EXPECT_FALSE(imagery::layerTileFile.isOpen()) << what;
        EXPECT_FALSE(imagery::layerOffsetFile.isOpen()) << what;
        EXPECT_EQ(std::memcmp(&imagery::pyramidLevels[4], &before, sizeof before), 0) << what;
        writeTinyLayer(city, 1);
    };
    std::remove((city + "map.off").c_str());
    expectRefused("no .off");
    std::remove((city + "map.txt").c_str());
    expectRefused("no .txt");
    writers::writeFileText(city + "map.txt", "300000,6200000,1024,1024,8,100,20,200,68,300");
    expectRefused("short header");
    writers::writeFileText(city + "map.txt", "300000,2147483000,1024,1024,8,100,20,200,68,300,260,400,0,0");
    expectRefused("top past the 32-bit range");
    writers::writeFileText(city + "map.txt", "0,0,1024,1024,8,2147483000,20,2147483000,68,300,260,400,0,0");
    expectRefused("tile bases past the 32-bit range");
    writers::writeFileText(city + "map.txt", "0,0,2000000000,1024,8,100,20,200,68,300,260,400,0,0");
    expectRefused("easting extent past the 32-bit range");
    EXPECT_TRUE(open(1003));
}

// ---- Pyramid geometry -------------------------------------------------------------

TEST_F(LayerStore, PyramidLevelsAndFileBases) {
    const std::string city = folder.file("DARWIN/");
    writers::makeDirectories(city);
    writers::writeFileBytes(city + "map.cmp", {1});
    writers::writeFileBytes(city + "map.off", {1});
    writers::writeFileText(city + "map.txt", "500000,6000000,16384,12288,11,21,12,22,13,23,14,24,0,0");
    float scale = 0.0f;
    ASSERT_TRUE(open(1003, &scale));
    EXPECT_EQ(scale, 2.0f);
    const int widths[5] = {1024, 2048, 4096, 8192, 16384};
    const int heights[5] = {768, 1536, 3072, 6144, 12288};
    for (int level = 0; level < 5; ++level) {
        const imagery::PyramidLevel& p = imagery::pyramidLevels[level];
        EXPECT_EQ(p.width, widths[level]);
        EXPECT_EQ(p.height, heights[level]);
        EXPECT_EQ(p.left, 500000);
        EXPECT_EQ(p.top, 6000000 + 24576);
        EXPECT_EQ(p.eastingExtent, 32768);
        EXPECT_EQ(p.northingExtent, 24576);
    }
    const int tileBases[5] = {0, 21, 43, 66, 90};
    const int offsetBases[5] = {0, 11, 23, 36, 50};
    for (int level = 0; level < 5; ++level) {
        EXPECT_EQ(imagery::levelFileBases[level].tileBase, tileBases[level]);
        EXPECT_EQ(imagery::levelFileBases[level].offsetBase, offsetBases[level]);
    }
    // Scales that are not whole: the top and the extents truncate.
    writers::writeFileBytes(city + "key.cmp", {1});
    writers::writeFileBytes(city + "key.off", {1});
    writers::writeFileText(city + "key.txt", "-100,-5000,1000,3000,0,0,0,0,0,0,0,0,0,0");
    ASSERT_TRUE(open(3, &scale));
    EXPECT_EQ(scale, 22.222f);
    EXPECT_EQ(imagery::pyramidLevels[0].width, 62);
    EXPECT_EQ(imagery::pyramidLevels[4].eastingExtent, static_cast<int>(1000 * static_cast<double>(22.222f)));
    EXPECT_EQ(imagery::pyramidLevels[4].top, static_cast<int>(3000 * static_cast<double>(22.222f) - 5000));
}

TEST_F(LayerStore, WriterBasesMatchTheHeaderWithPadding) {
    writers::LayerWriteOptions options;
    options.levelPadding = 37;
    options.headerStyle = writers::LayerHeaderStyle::linesFirstComma;
    writers::LayerGeometry geometry;
    geometry.width = 2048;
    geometry.height = 1024;
    const writers::LayerFiles files = writeScratchLayer(
        folder.path(), "HOBART/", 1, geometry, writers::tilesFromPixels([](int, int, int) { return 7; }), options);
    ASSERT_TRUE(open(1004));
    for (int level = 0; level < 5; ++level) {
        EXPECT_EQ(static_cast<uint32_t>(imagery::levelFileBases[level].tileBase), files.tileBase[level]);
        EXPECT_EQ(static_cast<uint32_t>(imagery::levelFileBases[level].offsetBase), files.offsetBase[level]);
        EXPECT_EQ(imagery::pyramidLevels[level].width / 64, files.tilesAcross[level]);
        EXPECT_EQ(imagery::pyramidLevels[level].height / 64, files.tilesDown[level]);
    }
}
