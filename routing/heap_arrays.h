// The routing module's columns and lists live on the C heap, sized by
// counts held beside them. These keep the sizing in one place: a count of
// zero or less still gives a valid block, and a released array reads null.
#ifndef OSTRIM_HEAP_ARRAYS_H
#define OSTRIM_HEAP_ARRAYS_H

#include <cstdint>
#include <cstdlib>

namespace routing {

template <typename T>
void releaseArray(T*& array) {
    std::free(array);
    array = nullptr;
}

template <typename T>
T* allocateArray(int64_t count) {
    const size_t n = count > 0 ? static_cast<size_t>(count) : 0;
    return static_cast<T*>(std::malloc(n * sizeof(T) + 1));
}

// Resizes keeping the entries; false (array unchanged) when there is no
// room.
template <typename T>
bool growArray(T*& array, int64_t count) {
    const size_t n = count > 0 ? static_cast<size_t>(count) : 0;
    void* grown = std::realloc(array, n * sizeof(T) + 1);
    if (grown == nullptr) return false;
    array = static_cast<T*>(grown);
    return true;
}

}  // namespace routing

#endif
