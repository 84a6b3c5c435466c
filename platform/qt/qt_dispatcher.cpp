#include "platform/qt/qt_dispatcher.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <algorithm>

namespace rv {

QtDispatcher::QtDispatcher() : receiver_(std::make_unique<QObject>()) {}

QtDispatcher::~QtDispatcher() {
  Close();
}

bool QtDispatcher::IsMainThread() const {
  return QThread::currentThread() == receiver_->thread();
}

void QtDispatcher::post(std::function<void()> work) {
  std::lock_guard lock(mutex_);
  if (closed_) return;
  // Posting is thread-safe; the queued call runs on the receiver's thread.
  QMetaObject::invokeMethod(
      receiver_.get(), [work = std::move(work)] { work(); }, Qt::QueuedConnection);
}

void QtDispatcher::runAndWait(std::function<void()> work) {
  if (IsMainThread()) {
    work();
    return;
  }
  auto call = std::make_shared<Call>();
  call->work = std::move(work);
  {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    std::erase_if(waiting_, [](const std::weak_ptr<Call>& entry) { return entry.expired(); });
    waiting_.push_back(call);
    // Not BlockingQueuedConnection: the waiter must be releasable by Close().
    QMetaObject::invokeMethod(
        receiver_.get(),
        [call] {
          std::exception_ptr error;
          try {
            call->work();
          } catch (...) {
            error = std::current_exception();
          }
          std::lock_guard call_lock(call->mutex);
          call->error = error;
          call->done = true;
          call->done_changed.notify_all();
        },
        Qt::QueuedConnection);
  }
  std::unique_lock call_lock(call->mutex);
  call->done_changed.wait(call_lock, [&] { return call->done; });
  if (call->error) std::rethrow_exception(call->error);
}

void QtDispatcher::Close() {
  std::vector<std::shared_ptr<Call>> release;
  {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    closed_ = true;
    for (const std::weak_ptr<Call>& entry : waiting_) {
      if (auto call = entry.lock()) release.push_back(std::move(call));
    }
    waiting_.clear();
  }
  for (const auto& call : release) {
    std::lock_guard call_lock(call->mutex);
    call->done = true;
    call->done_changed.notify_all();
  }
}

}  // namespace rv
