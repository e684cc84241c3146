// Independent tasks of one call spread over worker threads. The threads are
// started and joined inside runTasks, so none outlives the call and the
// library can be unloaded at any time; the calling thread is worker 0, so
// one worker means no thread at all.
#ifndef OSTRIM_PARALLEL_TASKS_H
#define OSTRIM_PARALLEL_TASKS_H

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <thread>
#include <vector>

namespace platform {

// Workers for `tasks` tasks: one per hardware thread, at most one per task,
// at least one.
inline unsigned workerCount(size_t tasks) {
    const size_t machine = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::max<size_t>(1, std::min(machine, tasks)));
}

// Runs task(worker, index) once for every index below `tasks`, on at most
// `workers` threads; worker is below `workers`, so per-worker state can be
// indexed by it. Indexes are taken in increasing order. When a task throws,
// or a thread cannot be started, the work goes on with the workers there
// are; a throw ends the handing out of further indexes and the exception is
// rethrown on the calling thread once every worker has been joined.
template <typename Task>
void runTasks(size_t tasks, unsigned workers, Task&& task) {
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr firstError;
    std::atomic_flag errorTaken = ATOMIC_FLAG_INIT;
    auto work = [&](unsigned worker) {
        try {
            for (size_t i = next++; i < tasks && !failed.load(); i = next++) task(worker, i);
        } catch (...) {
            if (!errorTaken.test_and_set()) firstError = std::current_exception();
            failed = true;
        }
    };
    std::vector<std::thread> threads;
    try {
        const unsigned wanted = std::max(1u, workers);
        threads.reserve(wanted - 1);
        for (unsigned w = 1; w < wanted; ++w) threads.emplace_back(work, w);
    } catch (...) {
        // Fewer threads than asked for: the ones running and this one share the work.
    }
    work(0);
    for (std::thread& t : threads) t.join();
    if (firstError) std::rethrow_exception(firstError);
}

}  // namespace platform

#endif
