#include "host.h"

bool showRouting(const Library& library, const std::string& dataRoot) {
    auto setPathFn = HOST_RESOLVE(library, setPath);
    auto setRouteMethodFn = HOST_RESOLVE(library, setRouteMethod);
    auto clearDataFn = HOST_RESOLVE(library, clearData);

    const std::string roads = dataRoot + "roads/";
    setPathFn(roads.c_str());
    setRouteMethodFn(1);
    std::printf("road data folder: %s\n", roads.c_str());
    clearDataFn();
    return true;
}
