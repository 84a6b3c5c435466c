#pragma once

// Starts scheduled tasks. Every ScanTime milliseconds it looks for active,
// scheduled tasks whose launch moment has passed: one that is only just due
// (within ScanTime / 1000 whole seconds) starts at once; a later one follows
// its late rules (run, skip, or ask the user). Either way the task is then
// rescheduled by name under the task-file lock and the file saved.

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "common/clock.h"
#include "platform/timer.h"

namespace rv {

class RVPreferences;
class RVTask;
class RVTaskList;
class TaskStarter;
class Threadmanager;
class TRVLogger;

class TRVTimerTrigger {
 public:
  // Asks whether to run a late task; the caption is the task's name. True
  // means Yes. May run a nested event loop, during which scans go on.
  using LateQuestion = std::function<bool(const std::string& text, const std::string& caption)>;

  TRVTimerTrigger(std::unique_ptr<Timer> timer, TaskStarter& starter, Threadmanager& threads,
                  LateQuestion ask, const Clock& clock = SystemClock::Instance());
  TRVTimerTrigger(const TRVTimerTrigger&) = delete;
  TRVTimerTrigger& operator=(const TRVTimerTrigger&) = delete;

  // The scan period in milliseconds. At 0 or less the trigger scans once a
  // second.
  int ScanTime = 1000;
  bool Active() const { return active_; }

  void SetTaskList(RVTaskList* list, RVPreferences* prefs, TRVLogger* logger) {
    list_ = list;
    prefs_ = prefs;
    logger_ = logger;
  }
  RVTaskList* TaskList() const { return list_; }

  // On: scanning starts one full period later. Off: no more scans.
  void ToggleEnable(bool on);
  void ScanForTasks();
  bool HandleOnTimeTask(const std::shared_ptr<RVTask>& task);
  bool HandleLateTask(const std::shared_ptr<RVTask>& task);

  // The text of the late-run question.
  static constexpr const char* kLateQuestion =
      "This task is late.  Would you like to launch it anyway?";

 private:
  void RescheduleByName(const std::string& name);
  void SetRunningMarker(const std::string& name, bool running);

  std::unique_ptr<Timer> timer_;
  TaskStarter& starter_;
  Threadmanager& threads_;
  LateQuestion ask_;
  const Clock& clock_;
  RVTaskList* list_ = nullptr;
  RVPreferences* prefs_ = nullptr;
  TRVLogger* logger_ = nullptr;
  bool active_ = false;
  // Tasks whose late question is open. A scan inside the question must not
  // ask again, also after a reload replaced the record that carries Holding.
  std::set<std::string> asking_;
};

}  // namespace rv
