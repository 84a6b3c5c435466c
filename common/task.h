#pragma once

// One task: its schedule, triggers, steps and state flags. The stored numbers
// (unit codes, late-rule, trigger and event bits) keep the values the task
// file defines; the enums below give them names for the code around them.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/date_time.h"

namespace rv {

class RVTaskList;

// IntervalType codes as stored (not in display order).
enum class IntervalUnit : int32_t {
  Minutes = 0,
  Hours = 1,
  Days = 2,
  Weeks = 3,
  Weekdays = 4,
  WeekendDays = 5,
  BiWeeks = 6,
  Months = 7,
  Quarters = 8,
  Years = 9,
  Seconds = 10,
};

namespace LateRule {
inline constexpr int32_t RunImmediately = 1;
inline constexpr int32_t DoNotRun = 2;
inline constexpr int32_t Prompt = 4;
inline constexpr int32_t FromLaunchTime = 8;
inline constexpr int32_t FromRunMoment = 16;
inline constexpr int32_t Disable = 32;
}  // namespace LateRule

namespace TriggerBits {
inline constexpr int32_t Scheduled = 1;
inline constexpr int32_t WindowsEvents = 2;
inline constexpr int32_t WindowAppears = 4;
inline constexpr int32_t Hotkey = 8;
}  // namespace TriggerBits

namespace EventBits {
inline constexpr int32_t TimeChange = 1;
inline constexpr int32_t LowMemory = 2;
inline constexpr int32_t DeviceChange = 4;
inline constexpr int32_t DisplayChange = 8;
inline constexpr int32_t PaletteChange = 16;
inline constexpr int32_t SpoolerChange = 32;
}  // namespace EventBits

class RVTask {
 public:
  // LaunchDateTime starts at the clock's now; Active, Reserved, LateFlags and
  // TaskTriggers start at 0 (every creator assigns them).
  explicit RVTask(const Clock& clock = SystemClock::Instance());
  RVTask(const RVTask&) = delete;
  RVTask& operator=(const RVTask&) = delete;

  // Next launch moment strictly after now: from now when `from_run_moment`,
  // else from the present LaunchDateTime. An Interval below 1 counts as 1.
  void Reschedule(bool from_run_moment, const Clock& clock);
  // What the timer trigger does to a task it handled: run-once tasks are
  // disabled; recurring ones follow the reschedule bits 8, 16 and 32.
  void ApplyRescheduleRule(const Clock& clock);
  // "Once", "Every day", "Every 3 weekend", ...
  std::string FrequencyString() const;

  bool HasTrigger(int32_t bit) const { return (TaskTriggers & bit) != 0; }
  // The interpreter skips step `index` when its decimal text is listed.
  bool IsStepDisabled(int index) const;

  std::string TaskName;
  TDateTime LaunchDateTime = 0;
  int32_t Frequency = 0;
  int32_t Interval = 0;
  int32_t IntervalType = 0;
  bool Active = false;
  int32_t Reserved = 0;
  int32_t LateFlags = 0;
  // Written by the interpreter thread while the main thread may read it.
  std::atomic<bool> Running{false};
  std::atomic<bool> Holding{false};
  int32_t TaskTriggers = 0;
  std::vector<std::string> Steps;
  int32_t StepCount = 0;
  std::vector<std::string> DisabledSteps;
  int32_t DisabledStepCount = 0;
  int32_t DetailCount = 0;
  std::vector<std::string> Details;
  int32_t Events = 0;
  std::string Hotkey;
  std::string WindowName;
  // The list the record was added to (not owned); used to find a chained
  // task by name.
  RVTaskList* Owner = nullptr;
};

// Copies every field but Owner, in the order the task file lists them.
void CopyTaskFields(const RVTask& source, RVTask& target);

}  // namespace rv
