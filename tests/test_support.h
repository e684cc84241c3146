// A scratch folder per test, removed afterwards; its path ends with '/'.
#ifndef OSTRIM_TEST_SUPPORT_H
#define OSTRIM_TEST_SUPPORT_H

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

class ScratchFolder {
public:
    ScratchFolder() {
        static std::atomic<int> serial{0};
        path_ = (std::filesystem::temp_directory_path() /
                 ("ostrim-test-" + std::to_string(::getpid()) + "-" + std::to_string(serial++)))
                    .string() +
                "/";
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

#endif
