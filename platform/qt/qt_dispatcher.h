#pragma once

// The dispatcher of a Qt program: work is posted to an object that lives on
// the thread that created the dispatcher (the main thread), so it runs from
// Qt's event loop, in posting order, also while the main thread sits in a
// nested loop such as a modal question.

#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dispatcher.h"

class QObject;

namespace rv {

class QtDispatcher final : public Dispatcher {
 public:
  // Create on the main thread, after the QCoreApplication.
  QtDispatcher();
  // Closes first (see Close).
  ~QtDispatcher() override;
  QtDispatcher(const QtDispatcher&) = delete;
  QtDispatcher& operator=(const QtDispatcher&) = delete;

  void post(std::function<void()> work) override;
  void runAndWait(std::function<void()> work) override;

  // For shutting down once the event loop no longer runs: releases every
  // thread waiting in runAndWait without its work having run; from then on
  // posted work is dropped and runAndWait returns at once.
  void Close();

  bool IsMainThread() const;

 private:
  struct Call {
    std::function<void()> work;
    std::mutex mutex;
    std::condition_variable done_changed;
    bool done = false;
    std::exception_ptr error;
  };

  std::unique_ptr<QObject> receiver_;
  mutable std::mutex mutex_;
  bool closed_ = false;
  std::vector<std::weak_ptr<Call>> waiting_;
};

}  // namespace rv
