// The host sees results, never C++ exceptions: every exported function runs
// its body through this guard. An exception (an allocation that failed
// inside a container or a string, above all) becomes the export's failure
// result, after `recover` has put the module state back into a form that
// holds no half-built work. recover must not throw.
#ifndef OSTRIM_EXPORT_GUARD_H
#define OSTRIM_EXPORT_GUARD_H

namespace platform {

inline void nothingToRecover() noexcept {}

template <typename Result, typename Body, typename Recover = void (*)() noexcept>
Result guardExport(Result failure, Body&& body, Recover&& recover = nothingToRecover) noexcept {
    try {
        return body();
    } catch (...) {
        recover();
        return failure;
    }
}

// The same for exports without a result.
template <typename Body, typename Recover = void (*)() noexcept>
void guardVoidExport(Body&& body, Recover&& recover = nothingToRecover) noexcept {
    try {
        body();
    } catch (...) {
        recover();
    }
}

}  // namespace platform

#endif
