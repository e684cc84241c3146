#include "byte_writer.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace writers {

bool makeDirectories(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return !error;
}

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool writeFileText(const std::string& path, const std::string& text) {
    return writeFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace writers
