#pragma once

// What the main form needs of a trigger (the components that decide when a
// task starts): switching it on and off, and handing it the task list after
// a reload.

namespace rv {

class RVTaskList;

class Trigger {
 public:
  virtual ~Trigger() = default;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual void SetTaskList(RVTaskList* list) = 0;
};

}  // namespace rv
