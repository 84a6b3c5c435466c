#pragma once

// The program's main thread, as the core sees it. The main thread owns the
// task list, the triggers, the timers, the DDE servers and the dialogs; other
// threads hand it work through this interface. The GUI programs adapt their
// event loop to it; tests and simple blocking loops use ManualDispatcher.

#include <functional>

namespace rv {

class Dispatcher {
 public:
  virtual ~Dispatcher() = default;

  // Queues `work` to run on the main thread and returns at once. Work runs in
  // the order it was posted.
  virtual void post(std::function<void()> work) = 0;

  // Runs `work` on the main thread and returns when it has run (the thread
  // class's synchronizing call). Called on the main thread, it runs `work`
  // directly. An exception thrown by `work` reaches the caller.
  virtual void runAndWait(std::function<void()> work) = 0;
};

}  // namespace rv
