// Little-endian byte building and whole-file helpers for the data writers.
#ifndef OSTRIM_BYTE_WRITER_H
#define OSTRIM_BYTE_WRITER_H

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace writers {

class ByteWriter {
public:
    void u8(uint8_t v) { bytes_.push_back(v); }
    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void f32(float v) {
        uint32_t bits = 0;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    void raw(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    void zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    size_t size() const { return bytes_.size(); }
    std::vector<uint8_t>& bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// Creates the folder and every missing parent.
bool makeDirectories(const std::string& folder);
bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool writeFileText(const std::string& path, const std::string& text);
std::vector<uint8_t> readFileBytes(const std::string& path);

}  // namespace writers

#endif
