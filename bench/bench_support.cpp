#include "bench_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "roadnet_writer.h"

namespace {

std::string scratchRoot() {
    static const std::string root = [] {
        const std::string path = (std::filesystem::temp_directory_path() /
                                  ("ostrim-bench-" + std::to_string(::getpid())))
                                     .string() +
                                 "/";
        std::filesystem::create_directories(path);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratchRoot(), ignored);
        });
        return path;
    }();
    return root;
}

}  // namespace

std::string benchScratchFolder(const std::string& name) {
    const std::string folder = scratchRoot() + name + "/";
    std::filesystem::create_directories(folder);
    return folder;
}

const writers::NetworkModel& largeNetworkModel() {
    static const writers::NetworkModel model = [] {
        writers::GridCityOptions options;
        options.rows = 560;
        options.columns = 560;
        options.northLatitude = -33.0;
        options.westLongitude = 150.5;
        options.spacingDegrees = 0.0015;
        options.missingRoadFraction = 0.03;
        return writers::makeGridCity(options);
    }();
    return model;
}

const std::string& largeNetworkFolder() {
    static const std::string folder = [] {
        const std::string path = benchScratchFolder("large-network");
        if (!writers::writeRoadnet(path, writers::toRoadnetFile(largeNetworkModel()))) {
            std::fprintf(stderr, "cannot write the benchmark network\n");
            std::exit(1);
        }
        return path;
    }();
    return folder;
}
