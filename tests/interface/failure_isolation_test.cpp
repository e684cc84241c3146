// Calls that cannot complete, as a host meets them: memory that runs out
// part way, and whole-network loads that fail. The host lives, the call
// reports its failure, and nothing half-built stays readable.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <vector>

#include "OstrimMapDll.h"
#include "byte_writer.h"
#include "layer_writer.h"
#include "library_handle.h"
#include "link_shape_writer.h"
#include "sparse_file.h"
#include "test_support.h"
#include "unit/schedule_records.h"

namespace {

// The address sanitizer reserves far more address space than any limit
// would leave, so limits are tried only without it.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kAddressLimitsWork = false;
#else
constexpr bool kAddressLimitsWork = true;
#endif

// Lets the process grow by at most `headroom` bytes of address space.
void limitAddressSpace(rlim_t headroom) {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + headroom;
    const rlimit bounds{limit, limit};
    setrlimit(RLIMIT_AS, &bounds);
}

// Takes every block the allocator still hands out, chained through their
// first words, so that the next allocation anywhere fails.
void* takeAllMemory() {
    void* chain = nullptr;
    for (size_t size = size_t{1} << 26; size >= sizeof(void*); size /= 2) {
        while (void* block = std::malloc(size)) {
            *static_cast<void**>(block) = chain;
            chain = block;
        }
    }
    return chain;
}

void giveBack(void* chain) {
    while (chain != nullptr) {
        void* next = *static_cast<void**>(chain);
        std::free(chain);
        chain = next;
    }
}

class FailureIsolation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.loaded());
        writers::GridCityOptions city;
        ASSERT_TRUE(writers::writeNetworkFiles(roads.path(), writers::makeGridCity(city)));
        OSTRIM_RESOLVE(library, setPath)(roads.path().c_str());
        OSTRIM_RESOLVE(library, setScheduleParameters)(96, 84, 72, 68, 56, 32, 52, 40, 30, 26, 22, 16, 1, 0);
    }
    void TearDown() override { OSTRIM_RESOLVE(library, clearData)(); }

    int routeBetweenCorners() { return OSTRIM_RESOLVE(library, generateJRoute)(-33.801f, 151.101f, -33.831f, 151.131f); }
    int distanceBetweenCorners() {
        double km = 0.0, minutes = 0.0;
        return OSTRIM_RESOLVE(library, getDistanceTime)(-33.801, 151.101, -33.831, 151.131, &km, &minutes);
    }
    int orderStops() {
        JourneyStop stops[4] = {{151.101f, -33.801f, 0, 0}, {151.121f, -33.811f, 0, 0}, {151.111f, -33.831f, 0, 0},
                                {151.131f, -33.821f, 0, 0}};
        return OSTRIM_RESOLVE(library, optimiseJRoute)(4, stops);
    }
    int schedule() {
        ScheduleVisit visits[2] = {makeVisit(-33.81f, 151.11f), makeVisit(-33.82f, 151.12f)};
        ScheduleTour tour = makeTour(1, 5);
        ScheduleSite site = makeSite(5, -33.80f, 151.10f);
        return OSTRIM_RESOLVE(library, runSchedule)(2, visits, 1, &tour, 1, &site);
    }

    LibraryHandle library;
    ScratchFolder roads;
};

}  // namespace

TEST_F(FailureIsolation, AnExportWhoseMemoryRunsOutReportsFailureAndTheHostLives) {
    if (!kAddressLimitsWork) GTEST_SKIP() << "address-space limits do not work under the address sanitizer";
    ScratchFolder maps;
    ASSERT_TRUE(writers::writeLayer(maps.file("DARWIN/"), 0, writers::buildLayer({689000, 8611000, 1024, 1024}, [](int, int, int) {
                                        return std::vector<uint8_t>(4096, 40);
                                    })));
    const std::string image = maps.file("view.bmp");  // made while there is memory
    auto render = [&] {
        double lon1 = 130.84, lat1 = -12.44, lon2 = 130.86, lat2 = -12.455;
        int width = 100, height = 90;
        return OSTRIM_RESOLVE(library, createMap)(maps.path().c_str(), 3, &lon1, &lat1, &lon2, &lat2, &width, &height,
                                                  image.c_str(), "BMP");
    };
    const struct {
        const char* name;
        std::function<int()> call;
        int failure, success;
    } cases[] = {
        {"setPath", [&] { OSTRIM_RESOLVE(library, setPath)(roads.path().c_str()); return 0; }, 0, 0},
        {"generateJRoute", [&] { return routeBetweenCorners(); }, -1, 1},
        {"getDistanceTime", [&] { return distanceBetweenCorners(); }, -1, 1},
        {"optimiseJRoute", [&] { return orderStops(); }, -1, 1},
        {"runSchedule", [&] { return schedule(); }, 4, 0},
        {"createMap", render, mapNoBitmap, mapOk},
    };
    for (const auto& c : cases) {
        // 1: the starved call failed; 2: with the memory back it works.
        const int outcome = runInChild([&] {
            limitAddressSpace(rlim_t{64} << 20);
            void* taken = takeAllMemory();
            const bool failed = c.call() == c.failure;
            giveBack(taken);
            return (failed ? 1 : 0) + (c.call() == c.success ? 2 : 0);
        });
        EXPECT_EQ(outcome, 3) << c.name;
    }
}

TEST_F(FailureIsolation, AWholeNetworkLoadDropsAnEarlierRouteOnlyOnceItHasBegun) {
    OSTRIM_RESOLVE(library, addToRoutegen)(-33.802, 151.102, "a");
    OSTRIM_RESOLVE(library, addToRoutegen)(-33.822, 151.124, "b");
    ASSERT_GE(OSTRIM_RESOLVE(library, generateRoute)(0.0f, 0.0f), 0);
    auto vectors = OSTRIM_RESOLVE(library, getRouteVectors);
    const int bound = vectors(1, nullptr);
    ASSERT_GT(bound, 0);

    const std::string file = roads.file("roadnet.dat");
    constexpr int64_t kNodes = int64_t{1} << 24;  // columns of 64 MiB
    const struct {
        const char* name;
        std::function<bool()> write;
        bool routeKept;
    } states[] = {
        {"missing", [&] { return std::remove(file.c_str()) == 0; }, true},
        {"counts beyond the file", [&] { return writers::writeFileBytes(file, {0xFF, 0xFF, 0x00, 0x00}); }, true},
        {"more than memory holds",
         [&] {
             return writers::createSparseFile(file, 8 + 25 * kNodes + 25 + 4000) &&
                    writers::writeBytesAt(file, 0, {0xFF, 0xFF, 0xFF, 0x00});
         },
         false},
    };
    const struct {
        const char* name;
        std::function<int()> call;
    } loaders[] = {
        {"generateJRoute", [&] { return routeBetweenCorners(); }},
        {"optimiseJRoute", [&] { return orderStops(); }},
        {"getDistanceTime", [&] { return distanceBetweenCorners(); }},
        {"runSchedule", [&] { return schedule(); }},
    };
    for (const auto& state : states) {
        if (!state.routeKept && !kAddressLimitsWork) continue;
        ASSERT_TRUE(state.write()) << state.name;
        for (const auto& loader : loaders) {
            // 1: the route reads as before; 0: there is no route.
            const int outcome = runInChild([&] {
                if (!state.routeKept) limitAddressSpace(rlim_t{32} << 20);
                loader.call();
                const int now = vectors(1, nullptr);
                return now == bound ? 1 : now == -1 ? 0 : 2;
            });
            EXPECT_EQ(outcome, state.routeKept ? 1 : 0) << state.name << ", " << loader.name;
        }
    }
}
