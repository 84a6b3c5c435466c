#include "platform/manual_dispatcher.h"

#include <exception>
#include <utility>

namespace rv {

// One runAndWait() from another thread. It lives in shared ownership so that
// the waiting thread never touches the dispatcher after it was destroyed.
struct ManualDispatcher::Call {
  std::mutex mutex;
  std::condition_variable finished_signal;
  bool finished = false;
  std::exception_ptr failure;

  void Finish(std::exception_ptr error) {
    std::lock_guard lock(mutex);
    finished = true;
    failure = std::move(error);
    finished_signal.notify_all();
  }
};

ManualDispatcher::ManualDispatcher() : main_thread_(std::this_thread::get_id()) {}

ManualDispatcher::~ManualDispatcher() {
  std::deque<std::weak_ptr<Call>> waiting;
  {
    std::lock_guard lock(mutex_);
    waiting.swap(waiting_);
    queue_.clear();
  }
  for (auto& weak : waiting) {
    if (auto call = weak.lock()) call->Finish(nullptr);
  }
}

void ManualDispatcher::post(std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(work));
  }
  work_queued_.notify_all();
}

void ManualDispatcher::runAndWait(std::function<void()> work) {
  if (IsMainThread()) {
    work();
    return;
  }
  auto call = std::make_shared<Call>();
  {
    std::lock_guard lock(mutex_);
    // Forget calls that have finished so the list does not grow.
    while (!waiting_.empty() && waiting_.front().expired())
      waiting_.pop_front();
    waiting_.push_back(call);
    queue_.push_back([call, work = std::move(work)] {
      try {
        work();
      } catch (...) {
        call->Finish(std::current_exception());
        return;
      }
      call->Finish(nullptr);
    });
    // Under the lock: once it is released the dispatcher may be destroyed,
    // and from then on this thread touches only its call.
    work_queued_.notify_all();
  }

  std::unique_lock lock(call->mutex);
  call->finished_signal.wait(lock, [&] { return call->finished; });
  if (call->failure) std::rethrow_exception(call->failure);
}

size_t ManualDispatcher::RunPending() {
  size_t ran = 0;
  for (;;) {
    std::function<void()> work;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return ran;
      work = std::move(queue_.front());
      queue_.pop_front();
    }
    work();
    ++ran;
  }
}

size_t ManualDispatcher::WaitAndRunPending(std::chrono::milliseconds timeout) {
  {
    std::unique_lock lock(mutex_);
    work_queued_.wait_for(lock, timeout, [&] { return !queue_.empty(); });
  }
  return RunPending();
}

size_t ManualDispatcher::PendingCount() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

}  // namespace rv
