#include "common/task.h"

namespace rv {

RVTask::RVTask(const Clock& clock) : LaunchDateTime(clock.Now()) {}

bool RVTask::IsStepDisabled(int index) const {
  const std::string text = std::to_string(index);
  for (const std::string& line : DisabledSteps) {
    if (line == text) return true;
  }
  return false;
}

void CopyTaskFields(const RVTask& source, RVTask& target) {
  if (&source == &target) return;
  target.TaskName = source.TaskName;
  target.LaunchDateTime = source.LaunchDateTime;
  target.Frequency = source.Frequency;
  target.Interval = source.Interval;
  target.IntervalType = source.IntervalType;
  target.Active = source.Active;
  target.Reserved = source.Reserved;
  target.LateFlags = source.LateFlags;
  target.TaskTriggers = source.TaskTriggers;
  target.Running.store(source.Running.load());
  target.Holding.store(source.Holding.load());
  target.Steps = source.Steps;
  target.StepCount = source.StepCount;
  target.DisabledSteps = source.DisabledSteps;
  target.DisabledStepCount = source.DisabledStepCount;
  target.DetailCount = source.DetailCount;
  target.Details = source.Details;
  target.Events = source.Events;
  target.Hotkey = source.Hotkey;
  target.WindowName = source.WindowName;
}

}  // namespace rv
