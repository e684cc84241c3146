// The sample host: the library loaded by name, exports resolved by name.
#ifndef OSTRIM_SAMPLE_HOST_H
#define OSTRIM_SAMPLE_HOST_H

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "OstrimMapDll.h"

class Library {
public:
    explicit Library(void* handle) : handle_(handle) {}

    template <typename Function>
    Function resolve(const char* name) const {
        void* symbol = dlsym(handle_, name);
        if (symbol == nullptr) {
            std::fprintf(stderr, "export %s not found\n", name);
            std::exit(1);
        }
        return reinterpret_cast<Function>(symbol);
    }

private:
    void* handle_;
};

#define HOST_RESOLVE(library, name) (library).resolve<decltype(&name)>(#name)

// dataRoot: the sample data set; outputRoot: where images are written.
// Each prints what the library returned and returns false on a failure.
bool showRouting(const Library& library, const std::string& dataRoot);
bool showSchedule(const Library& library, const std::string& dataRoot);
bool showSheets(const Library& library, const std::string& dataRoot, const std::string& outputRoot);
bool showLayers(const Library& library, const std::string& dataRoot, const std::string& outputRoot);
bool showRoute(const Library& library, const std::string& dataRoot);

#endif
