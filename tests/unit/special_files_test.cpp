// A FIFO in place of a data file: the library refuses it without waiting
// for a writer, and the caller gets what a missing file gives.
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "byte_writer.h"
#include "layer_writer.h"
#include "link_shape_writer.h"
#include "network_model.h"
#include "sheet_fixture.h"

using SpecialFiles = SheetTest;

TEST_F(SpecialFiles, AFifoInPlaceOfAnyDataFileFailsAsAMissingFileDoes) {
    const std::string root = scratch_.path();
    const std::string road = root + "road/";
    const std::string image = root + "view.bmp";
    const std::string mapsFolder = maps();
    writers::GridCityOptions city;
    city.rows = 10;
    city.columns = 10;
    ASSERT_TRUE(writers::makeDirectories(road));
    ASSERT_TRUE(writers::writeNetworkFiles(road, writers::makeGridCity(city)));
    const imagery::SheetView view = plan(0.1f, 4, 3);
    addIdSheet("f", 0.1f, view.left - 10.0, view.top + 10.0, 400, 400);
    ASSERT_TRUE(writers::writeSheetIndex(mapsFolder, records_));
    ASSERT_TRUE(writers::writeLayer(root + "DARWIN/", 0, writers::buildLayer({689000, 8611000, 1024, 1024}, [](int, int, int) {
                                        return std::vector<uint8_t>(4096, 40);
                                    })));

    auto route = [&] {
        setPath(road.c_str());
        addToRoutegen(-33.802, 151.102, "a");
        addToRoutegen(-33.812, 151.114, "b");
        const int last = generateRoute(0.0f, 0.0f);
        return last < 0 ? last : getRouteVectors(1, nullptr);
    };
    auto distance = [&] {
        double km = 0.0, minutes = 0.0;
        setPath(road.c_str());
        return getDistanceTime(-33.802, 151.102, -33.812, 151.114, &km, &minutes);
    };
    auto sheet = [&] {
        InitialiseMaps(mapsFolder.c_str());
        return map(0.1f, 4, 3).result;
    };
    auto layer = [&] {
        double lon1 = 130.84, lat1 = -12.44, lon2 = 130.86, lat2 = -12.455;
        int width = 100, height = 90;
        return createMap(root.c_str(), 3, &lon1, &lat1, &lon2, &lat2, &width, &height, image.c_str(), "BMP");
    };
    const struct {
        const char* file;
        std::function<int()> call;
    } cases[] = {
        {"road/roadnet.dat", distance}, {"road/roadnet.it", route},  {"road/roadnet.nl", route},
        {"road/link.ind", route},       {"road/link.dat", route},    {"maps/1//index.dat", sheet},
        {"maps/1//f.cmp", sheet},       {"maps/1//f.pal", sheet},    {"maps/1//f.off", sheet},
        {"DARWIN/key.txt", layer},      {"DARWIN/key.off", layer},   {"DARWIN/key.cmp", layer},
    };
    for (const auto& c : cases) {
        const std::string path = root + c.file;
        const int present = runInChild(c.call);
        std::filesystem::rename(path, path + ".away");
        const int missing = runInChild(c.call);
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0) << c.file;
        const int fifo = runInChild(c.call, 5);
        std::filesystem::remove(path);
        std::filesystem::rename(path + ".away", path);
        EXPECT_NE(present, missing) << c.file;
        EXPECT_EQ(fifo, missing) << c.file;
    }
}
