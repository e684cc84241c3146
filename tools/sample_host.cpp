// A host program in miniature: loads libOstrimMapDll.so by name, resolves
// its exports by name and prints what they return.
//   ostrim_sample_host <sample data folder>
#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "OstrimMapDll.h"

namespace {

void* library = nullptr;

template <typename Function>
Function resolve(const char* name) {
    void* symbol = dlsym(library, name);
    if (symbol == nullptr) {
        std::fprintf(stderr, "export %s not found\n", name);
        std::exit(1);
    }
    return reinterpret_cast<Function>(symbol);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <sample data folder>\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    if (folder.back() != '/') folder += '/';

    library = dlopen("libOstrimMapDll.so", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "cannot load libOstrimMapDll.so: %s\n", dlerror());
        return 1;
    }
    auto setPathFn = resolve<decltype(&setPath)>("setPath");
    auto setRouteMethodFn = resolve<decltype(&setRouteMethod)>("setRouteMethod");
    auto clearDataFn = resolve<decltype(&clearData)>("clearData");

    setPathFn(folder.c_str());
    setRouteMethodFn(1);
    std::printf("data folder set to %s\n", folder.c_str());
    clearDataFn();

    dlclose(library);
    return 0;
}
