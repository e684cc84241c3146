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

    // At least size bytes whose contents are left as they are; null when
    // they cannot be had.
    uint8_t* atLeast(size_t size) {
        if (size > capacity_) {
            std::free(data_);
            data_ = static_cast<uint8_t*>(std::malloc(size));
            capacity_ = data_ != nullptr ? size : 0;
        }
        return data_;
    }

    // At least size bytes, zero-filled; null when they cannot be had.
    uint8_t* zeroed(size_t size) {
        uint8_t* data = atLeast(size);
        if (data != nullptr && size > 0) std::memset(data, 0, size);
        return data;
    }

private:
    uint8_t* data_ = nullptr;
    size_t capacity_ = 0;
};

// The u32 at bytes[0..3], least significant byte first, as the data files
// hold their offsets.
inline uint32_t littleEndianU32(const uint8_t* bytes) {
    return uint32_t{bytes[0]} | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 16) | (uint32_t{bytes[3]} << 24);
}

}  // namespace imagery

#endif
