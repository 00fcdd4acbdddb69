// A queue that runs its tasks one after another on a thread of its own, in the order they came:
// what is asked of one host process is carried out in order, whichever request asked.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace live {

class SerialQueue {
 public:
  SerialQueue() : worker_([this] { work(); }) {}
  // Runs what is queued, then ends.
  ~SerialQueue() {
    {
      std::lock_guard lock(mutex_);
      ending_ = true;
    }
    wake_.notify_all();
    worker_.join();
  }
  SerialQueue(const SerialQueue&) = delete;
  SerialQueue& operator=(const SerialQueue&) = delete;

  // Queues the task; the future holds its result once it has run.
  template <typename Task>
  auto submit(Task task) -> std::future<decltype(task())> {
    using Result = decltype(task());
    auto packaged = std::make_shared<std::packaged_task<Result()>>(std::move(task));
    std::future<Result> result = packaged->get_future();
    {
      std::lock_guard lock(mutex_);
      tasks_.push_back([packaged] { (*packaged)(); });
    }
    wake_.notify_all();
    return result;
  }

 private:
  void work() {
    for (;;) {
      std::function<void()> task;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return ending_ || !tasks_.empty(); });
        if (tasks_.empty()) return;
        task = std::move(tasks_.front());
        tasks_.pop_front();
      }
      task();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  bool ending_ = false;
  std::thread worker_;  // last: it starts once the rest is ready
};

}  // namespace live
