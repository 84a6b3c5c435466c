#pragma once

// Starting a task: every trigger, the launch and play-steps commands and task
// chaining go through one StartTask, on the launcher's main thread.

#include <memory>

namespace rv {

class RVTask;

class TaskStarter {
 public:
  virtual ~TaskStarter() = default;
  virtual void StartTask(const std::shared_ptr<RVTask>& task) = 0;
};

}  // namespace rv
