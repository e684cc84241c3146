#include <cstdio>

#include "byte_writer.h"
#include "roadnet_writer.h"
#include "sample_data.h"

writers::NetworkModel sampleCity() {
    writers::GridCityOptions city;
    city.rows = 60;
    city.columns = 60;
    city.northLatitude = -33.80;
    city.westLongitude = 151.10;
    city.spacingDegrees = 0.002;
    return writers::makeGridCity(city);
}

bool writeSampleRoads(const std::string& root) {
    const std::string folder = root + "roads/";
    const writers::NetworkModel model = sampleCity();
    if (!writers::makeDirectories(folder) || !writers::writeRoadnet(folder, writers::toRoadnetFile(model))) {
        std::fprintf(stderr, "cannot write the road network to %s\n", folder.c_str());
        return false;
    }
    std::printf("road network: %zu nodes, %zu links in %s\n", model.nodes.size(), model.links.size(),
                folder.c_str());
    return true;
}
