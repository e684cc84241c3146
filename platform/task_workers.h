// Work shared out over threads that live for one call only: the calling
// thread works too, and the others are started here and joined before the
// call returns, so none outlives it.
#ifndef OSTRIM_TASK_WORKERS_H
#define OSTRIM_TASK_WORKERS_H

#include <cstddef>
#include <functional>

namespace platform {

// Workers for `tasks` tasks: one per hardware thread, or `limit` when that
// is not 0; never more than the tasks, and at least one.
unsigned taskWorkers(size_t tasks, unsigned limit = 0);

// Runs work(task, worker) once for every task in [0, tasks) over `workers`
// workers numbered from 0, the calling thread being worker 0. A worker runs
// one task at a time and takes the lowest one not yet taken; with one
// worker every task runs on the calling thread, in order. When alongside
// is given, the calling thread runs it first, while the other workers
// start on the tasks, and then joins them. An exception thrown by a task
// or by alongside is caught on its own thread, no task starts after it,
// and the first one caught is rethrown on the calling thread once every
// worker has been joined. A thread that cannot be started leaves its
// share to the others.
void runTasks(size_t tasks, unsigned workers, const std::function<void(size_t task, unsigned worker)>& work,
              const std::function<void()>& alongside = nullptr);

}  // namespace platform

#endif
