#include "sparse_file.h"

#include <filesystem>
#include <fstream>

namespace writers {

bool createSparseFile(const std::string& path, int64_t size) {
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out) return false;
    }
    std::error_code error;
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(size), error);
    return !error;
}

bool writeBytesAt(const std::string& path, int64_t offset, const std::vector<uint8_t>& bytes) {
    std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
    if (!out) return false;
    out.seekp(static_cast<std::streamoff>(offset));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace writers
