// Writes a small, self-consistent sample data set for the sample host:
//   ostrim_sample_data <folder>
// The folder receives the road-network files of a generated city.
#include <cstdio>
#include <string>

#include "byte_writer.h"
#include "network_model.h"
#include "roadnet_writer.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    if (folder.empty() || folder.back() != '/') folder += '/';
    if (!writers::makeDirectories(folder)) {
        std::fprintf(stderr, "cannot create %s\n", folder.c_str());
        return 1;
    }
    writers::GridCityOptions city;
    city.rows = 60;
    city.columns = 60;
    city.northLatitude = -33.80;
    city.westLongitude = 151.10;
    city.spacingDegrees = 0.002;
    const writers::NetworkModel model = writers::makeGridCity(city);
    if (!writers::writeRoadnet(folder, writers::toRoadnetFile(model))) {
        std::fprintf(stderr, "cannot write the road network\n");
        return 1;
    }
    std::printf("sample data in %s: %zu nodes, %zu links\n", folder.c_str(), model.nodes.size(),
                model.links.size());
    return 0;
}
