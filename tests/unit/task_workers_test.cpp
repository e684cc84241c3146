#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "task_workers.h"

// Every task runs once whatever the workers; one worker runs them in order
// on the calling thread; a task's exception reaches the caller after the
// workers are joined.
TEST(TaskWorkers, EveryTaskOnceAndFailuresHandedBack) {
    for (unsigned workers : {1u, 3u, 8u}) {
        std::vector<std::atomic<int>> runs(200);
        std::vector<size_t> order;
        bool alongside = false;
        const std::thread::id caller = std::this_thread::get_id();
        platform::runTasks(
            runs.size(), workers,
            [&](size_t task, unsigned worker) {
                EXPECT_LT(worker, workers);
                ++runs[task];
                if (workers == 1) {
                    EXPECT_EQ(std::this_thread::get_id(), caller);
                    order.push_back(task);
                }
            },
            [&] { alongside = std::this_thread::get_id() == caller; });
        EXPECT_TRUE(alongside) << workers;
        for (const std::atomic<int>& count : runs) EXPECT_EQ(count.load(), 1) << workers;
        if (workers == 1) {
            for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], i);
        }
        EXPECT_THROW(platform::runTasks(50, workers, [](size_t task, unsigned) {
            if (task == 7) throw std::runtime_error("task 7");
        }), std::runtime_error) << workers;
    }
    EXPECT_EQ(platform::taskWorkers(0), 1u);
    EXPECT_EQ(platform::taskWorkers(3, 8), 3u);
}
