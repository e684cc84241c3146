// A scratch folder per test, removed afterwards; its path ends with '/'.
#ifndef OSTRIM_TEST_SUPPORT_H
#define OSTRIM_TEST_SUPPORT_H

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
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

// Runs body in a child process that the time limit ends. Returns the low
// byte of body's result (-1 gives 255), or -1000 when the child did not
// exit by itself (a crash, a hang). The child never returns into the
// test's frames, not even by an exception.
inline int runInChild(const std::function<int()>& body, unsigned timeLimitSeconds = 20) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(timeLimitSeconds);
        int result = 254;
        try {
            result = body() & 0xff;
        } catch (...) {
        }
        ::_exit(result);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1000;
    return WEXITSTATUS(status);
}

#endif
