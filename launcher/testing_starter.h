#pragma once

// A task starter for trigger tests: it remembers the names of the tasks it
// was asked to start, in order, and starts nothing.

#include <memory>
#include <string>
#include <vector>

#include "common/task.h"
#include "launcher/task_starter.h"

namespace rv::testing {

struct RecordingStarter : TaskStarter {
  std::vector<std::string> started;
  void StartTask(const std::shared_ptr<RVTask>& task) override {
    started.push_back(task->TaskName);
  }
};

}  // namespace rv::testing
