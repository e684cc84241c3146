#include <cstdio>
#include <set>
#include <string>

#include "OstrimMapDll.h"
#include "library_handle.h"
#include "network_model.h"
#include "roadnet_writer.h"
#include "test_support.h"

namespace {

// Dynamic symbols the library defines, less the linker's own markers and
// the sanitizers' instrumentation hooks.
std::set<std::string> definedDynamicSymbols() {
    std::set<std::string> names;
    const std::string command =
        std::string("nm -D --defined-only --extern-only ") + OSTRIM_LIBRARY_PATH;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return names;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        const size_t space = text.rfind(' ');
        const std::string name = space == std::string::npos ? text : text.substr(space + 1);
        if (name.empty() || name == "_init" || name == "_fini" || name == "_edata" ||
            name == "_end" || name == "__bss_start")
            continue;
        if (name.rfind("__asan", 0) == 0 || name.rfind("___asan", 0) == 0 ||
            name.rfind("__ubsan", 0) == 0 || name.rfind("__odr_asan", 0) == 0 ||
            name.rfind("__sanitizer", 0) == 0)
            continue;
        names.insert(name);
    }
    pclose(pipe);
    return names;
}

const std::set<std::string> kExports = {
    "setPath", "clearData", "setRestrictions", "setRouteMethod", "generateJRoute", "optimiseJRoute",
    "getDistanceTime", "setObjectiveFunction", "getObjectiveFunction", "setScheduleParameters", "runSchedule",
    "InitialiseMaps", "getMap",
    "createMap", "createMapHBMP",
    "addToRoutegen", "generateRoute", "getRouteVectors",
};

}  // namespace

TEST(Exports, OnlyTheExportedFunctionsAreVisible) {
    EXPECT_EQ(definedDynamicSymbols(), kExports);
}

TEST(Exports, EveryExportResolvesByName) {
    LibraryHandle library;
    ASSERT_TRUE(library.loaded()) << dlerror();
    for (const std::string& name : kExports) {
        EXPECT_NE(library.get<void (*)()>(name.c_str()), nullptr) << name;
    }
}

// Each round orders stops, which searches its rows on worker threads,
// right before the library goes: no thread of the call may outlive it.
TEST(Exports, LoadsAndUnloadsRepeatedly) {
    ScratchFolder folder;
    ASSERT_TRUE(writers::writeRoadnet(folder.path(), writers::toRoadnetFile(writers::makeGridCity({}))));
    for (int round = 0; round < 3; ++round) {
        LibraryHandle library;
        ASSERT_TRUE(library.loaded()) << dlerror();
        OSTRIM_RESOLVE(library, setPath)(folder.path().c_str());
        JourneyStop stops[6];
        for (int k = 0; k < 6; ++k) stops[k] = {151.101f + 0.006f * k, -33.801f - 0.005f * (k % 3), 0, 0};
        EXPECT_EQ(OSTRIM_RESOLVE(library, optimiseJRoute)(6, stops), 1);
        OSTRIM_RESOLVE(library, clearData)();
    }
}
