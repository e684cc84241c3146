// A host program in miniature: loads libOstrimMapDll.so by name, resolves
// its exports by name and prints what they return.
//   ostrim_sample_host <sample data folder> <output folder>
#include <cstdio>
#include <string>

#include "host.h"

namespace {

std::string withSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <sample data folder> <output folder>\n", argv[0]);
        return 2;
    }
    const std::string dataRoot = withSeparator(argv[1]);
    const std::string outputRoot = withSeparator(argv[2]);

    void* handle = dlopen("libOstrimMapDll.so", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        std::fprintf(stderr, "cannot load libOstrimMapDll.so: %s\n", dlerror());
        return 1;
    }
    const Library library(handle);
    bool ok = showRouting(library, dataRoot);
    ok = showSchedule(library, dataRoot) && ok;
    ok = showSheets(library, dataRoot, outputRoot) && ok;
    ok = showLayers(library, dataRoot, outputRoot) && ok;
    ok = showRoute(library, dataRoot) && ok;
    dlclose(handle);
    return ok ? 0 : 1;
}
