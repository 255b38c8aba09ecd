#include "platform/work_pool.h"

#include <sched.h>

#include <cstdlib>
#include <string>

namespace platform {

namespace {

constexpr int kMostThreads = 256;

int ForcedThreads() {
  const char* text = std::getenv("TALLOWCRAFT_THREADS");
  if (text == nullptr || *text == '\0') return 0;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value < 1 || value > kMostThreads) return 0;
  return static_cast<int>(value);
}

}  // namespace

int UsableThreads() {
  if (const int forced = ForcedThreads(); forced > 0) return forced;
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  const int count = CPU_COUNT(&set);
  return count < 1 ? 1 : count > kMostThreads ? kMostThreads : count;
}

WorkPool::WorkPool(int size) : size_(size < 1 ? 1 : size) {}

WorkPool::~WorkPool() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  ready_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

WorkPool& WorkPool::Shared() {
  // Never destroyed: work may still be queued by objects destroyed at exit.
  static WorkPool* pool = new WorkPool(UsableThreads());
  return *pool;
}

void WorkPool::Push(std::function<void()> task) {
  {
    const std::lock_guard lock(mutex_);
    queue_.push_back(std::move(task));
    // The workers start with the first work handed over: a run that hands
    // none over (a one-page job) starts no thread.
    if (workers_.empty())
      for (int i = 1; i < size_; ++i) workers_.emplace_back([this] { Work(); });
  }
  ready_.notify_one();
}

bool WorkPool::RunOne() {
  std::function<void()> task;
  {
    const std::lock_guard lock(mutex_);
    if (queue_.empty()) return false;
    task = std::move(queue_.front());
    queue_.pop_front();
  }
  task();
  return true;
}

void WorkPool::Work() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;  // stopping, nothing left
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    task();
  }
}

}  // namespace platform
