#pragma once

// Starts a task when a window with the task's watched title appears: every
// ScanTime milliseconds the visible top-level windows are looked through,
// and each window starts the first task watching its title once. A window
// that closes is forgotten, so a later window that gets the same handle
// starts the task again.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/timer.h"

namespace rv {

class Desktop;
class RVPreferences;
class RVTaskList;
class TaskStarter;
class TRVLogger;

class TRVWindowTrigger {
 public:
  TRVWindowTrigger(std::unique_ptr<Timer> timer, TaskStarter& starter, Desktop& desktop);
  TRVWindowTrigger(const TRVWindowTrigger&) = delete;
  TRVWindowTrigger& operator=(const TRVWindowTrigger&) = delete;

  // The poll period; the launcher sets 750 before switching on.
  int ScanTime = 0;
  bool Active() const { return active_; }

  void SetTaskList(RVTaskList* list, RVPreferences* prefs, TRVLogger* logger) {
    list_ = list;
    prefs_ = prefs;
    logger_ = logger;
  }
  // On: rebuild the watch list and poll every ScanTime ms. Off: stop.
  void ToggleState(bool on);
  // The watched titles of active tasks with the window trigger, in list order.
  void RefreshList();
  // One poll.
  void CheckTasks();

  const std::vector<std::string>& WatchedTitles() const { return titles_; }

 private:
  std::unique_ptr<Timer> timer_;
  TaskStarter& starter_;
  Desktop& desktop_;
  RVTaskList* list_ = nullptr;
  RVPreferences* prefs_ = nullptr;
  TRVLogger* logger_ = nullptr;
  bool active_ = false;
  std::vector<std::string> titles_;
  std::vector<int> task_indexes_;
  // Windows that started a task, shared by every watched title.
  std::set<uint64_t> started_windows_;
};

}  // namespace rv
