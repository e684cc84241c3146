// Writes the sample data set for the sample host:
//   ostrim_sample_data <root folder>
#include <cstdio>
#include <string>

#include "byte_writer.h"
#include "sample_data.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    std::string root = argv[1];
    if (root.empty() || root.back() != '/') root += '/';
    if (!writers::makeDirectories(root)) {
        std::fprintf(stderr, "cannot create %s\n", root.c_str());
        return 1;
    }
    bool written = writeSampleRoads(root);
    written = writeSampleSheets(root) && written;
    written = writeSampleLayers(root) && written;
    written = writeSampleRouteFiles(root) && written;
    return written ? 0 : 1;
}
