// Working memory of one operation, grown to the largest size asked of it
// and taken from the C heap, so that a failed allocation is a null result
// the caller handles, never an exception.
#ifndef OSTRIM_SCRATCH_BUFFER_H
#define OSTRIM_SCRATCH_BUFFER_H

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace imagery {

class ScratchBuffer {
public:
    ScratchBuffer() = default;
    ~ScratchBuffer() { std::free(data_); }
    ScratchBuffer(const ScratchBuffer&) = delete;
    ScratchBuffer& operator=(const ScratchBuffer&) = delete;

    // At least size bytes, zero-filled; null when they cannot be had.
    uint8_t* zeroed(size_t size) {
        if (size > capacity_) {
            std::free(data_);
            data_ = static_cast<uint8_t*>(std::malloc(size));
            capacity_ = data_ != nullptr ? size : 0;
            if (data_ == nullptr) return nullptr;
        }
        if (size > 0) std::memset(data_, 0, size);
        return data_;
    }

private:
    uint8_t* data_ = nullptr;
    size_t capacity_ = 0;
};

}  // namespace imagery

#endif
