// The shared library as a host loads it: by path with dlopen, exports
// resolved by name.
#ifndef OSTRIM_LIBRARY_HANDLE_H
#define OSTRIM_LIBRARY_HANDLE_H

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

class LibraryHandle {
public:
    LibraryHandle() : handle_(dlopen(OSTRIM_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL)) {}
    ~LibraryHandle() {
        if (handle_ != nullptr) dlclose(handle_);
    }
    LibraryHandle(const LibraryHandle&) = delete;
    LibraryHandle& operator=(const LibraryHandle&) = delete;

    bool loaded() const { return handle_ != nullptr; }

    template <typename Function>
    Function get(const char* name) const {
        return reinterpret_cast<Function>(dlsym(handle_, name));
    }

private:
    void* handle_;
};

#define OSTRIM_RESOLVE(library, name) (library).get<decltype(&name)>(#name)

#endif
