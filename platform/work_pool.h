#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace platform {

// The threads the process may run at once: TALLOWCRAFT_THREADS when it holds
// a number from 1 to 256 (for benches and tests), else the CPUs the process
// may use (sched_getaffinity), so that a job pinned with taskset or a
// container's cpuset gets as many threads as it has cores.
int UsableThreads();

// A fixed set of worker threads for independent pieces of work (deflating a
// stream, drawing a page). A pool of size n runs n - 1 workers: the thread
// that submits is the n-th, and it runs queued work itself while it waits
// (Wait), so a pool of size 1 runs everything on the caller, in order, at
// submission.
class WorkPool {
 public:
  explicit WorkPool(int size);
  ~WorkPool();  // runs what is queued, then joins
  WorkPool(const WorkPool&) = delete;
  WorkPool& operator=(const WorkPool&) = delete;

  int size() const { return size_; }

  // The pool of the process, of UsableThreads() threads.
  static WorkPool& Shared();

  // Queues `work` and returns its result to come; exceptions arrive there.
  template <typename Work>
  auto Submit(Work work) -> std::future<std::invoke_result_t<Work>> {
    using Result = std::invoke_result_t<Work>;
    auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
    std::future<Result> result = task->get_future();
    if (size_ == 1) {
      (*task)();
      return result;
    }
    Push([task] { (*task)(); });
    return result;
  }

  // Waits for `result`, running queued work meanwhile instead of idling.
  template <typename Result>
  Result Wait(std::future<Result>& result) {
    while (result.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
      if (!RunOne()) result.wait();
    return result.get();
  }

 private:
  void Push(std::function<void()> task);
  // Runs one queued task on the calling thread; false when none is queued.
  bool RunOne();
  void Work();

  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> queue_;
  bool stopping_ = false;
  const int size_;
  std::vector<std::thread> workers_;  // started by the first Push
};

}  // namespace platform
