#pragma once

// A dispatcher driven by hand: posted work waits in a queue until the main
// thread calls RunPending(). The main thread is the thread that created the
// object. Tests use it to decide exactly when main-thread work happens; a
// program without an event loop of its own can loop on WaitAndRunPending().

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/dispatcher.h"

namespace rv {

class ManualDispatcher final : public Dispatcher {
 public:
  ManualDispatcher();
  // Work still queued is dropped; threads blocked in runAndWait() are
  // released without their work having run.
  ~ManualDispatcher() override;
  ManualDispatcher(const ManualDispatcher&) = delete;
  ManualDispatcher& operator=(const ManualDispatcher&) = delete;

  void post(std::function<void()> work) override;
  void runAndWait(std::function<void()> work) override;

  // Runs queued work on the calling thread until the queue is empty, work
  // queued meanwhile included. Returns how many items ran. An exception from
  // posted work propagates; the rest stays queued.
  size_t RunPending();

  // Waits until work is queued (at most `timeout`), then runs RunPending().
  size_t WaitAndRunPending(std::chrono::milliseconds timeout);

  bool IsMainThread() const { return std::this_thread::get_id() == main_thread_; }
  size_t PendingCount() const;

 private:
  struct Call;

  const std::thread::id main_thread_;
  mutable std::mutex mutex_;
  std::condition_variable work_queued_;
  std::deque<std::function<void()>> queue_;
  // Calls of other threads still waiting, so that destruction can release them.
  std::deque<std::weak_ptr<Call>> waiting_;
};

}  // namespace rv
