#include <cstdio>

#include "byte_writer.h"
#include "link_shape_writer.h"
#include "sample_data.h"
#include "window_writer.h"

bool writeSampleRouteFiles(const std::string& root) {
    const std::string folder = root + "roads/";
    const writers::NetworkModel model = sampleCity();
    const writers::WindowFiles window = writers::toWindowFiles(model);
    if (!writers::makeDirectories(folder) || !writers::writeWindowFiles(folder, window) ||
        !writers::writeLinkShapes(folder, model)) {
        std::fprintf(stderr, "cannot write the road cells and link shapes to %s\n", folder.c_str());
        return false;
    }
    std::printf("road cells: %zu non-empty cells, %zu link shapes in %s\n", window.cells.size(),
                model.shapes.size(), folder.c_str());
    return true;
}
