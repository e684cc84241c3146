#include "task_workers.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

unsigned taskWorkers(size_t tasks, unsigned limit) {
    unsigned workers = limit != 0 ? limit : std::thread::hardware_concurrency();
    if (tasks < workers) workers = static_cast<unsigned>(tasks);
    return std::max(workers, 1u);
}

void runTasks(size_t tasks, unsigned workers, const std::function<void(size_t task, unsigned worker)>& work,
              const std::function<void()>& alongside) {
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex failure;
    std::exception_ptr first;
    const auto fail = [&] {
        const std::lock_guard<std::mutex> lock(failure);
        if (!first) first = std::current_exception();
        failed.store(true, std::memory_order_relaxed);
    };
    const auto worker = [&](unsigned self) {
        while (!failed.load(std::memory_order_relaxed)) {
            const size_t task = next.fetch_add(1, std::memory_order_relaxed);
            if (task >= tasks) return;
            try {
                work(task, self);
            } catch (...) {
                fail();
            }
        }
    };
    std::vector<std::thread> threads;
    try {
        threads.reserve(workers > 0 ? workers - 1 : 0);
        for (unsigned self = 1; self < workers; ++self) threads.emplace_back(worker, self);
    } catch (...) {
        // Fewer threads than asked for: the ones started and this one do
        // the work.
    }
    if (alongside) {
        try {
            alongside();
        } catch (...) {
            fail();
        }
    }
    worker(0);
    for (std::thread& thread : threads) thread.join();
    if (first) std::rethrow_exception(first);
}

}  // namespace platform
