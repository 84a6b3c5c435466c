#pragma once

// Starts tasks on system-wide hotkeys and on system events. A task with the
// hotkey trigger gets its hotkey registered under its list position while
// the trigger is on, and a press starts it unless it is inactive or already
// running. The six system events start every task with the events trigger
// and that event's bit (active ones only, except for a time change), also
// while processing is off.

#include <string>

namespace rv {

class Desktop;
class RVTaskList;
class TaskStarter;
class TRVLogger;

class TRVWinTrigger {
 public:
  TRVWinTrigger(TaskStarter& starter, Desktop& desktop);
  ~TRVWinTrigger();
  TRVWinTrigger(const TRVWinTrigger&) = delete;
  TRVWinTrigger& operator=(const TRVWinTrigger&) = delete;

  void SetTaskList(RVTaskList* list, TRVLogger* logger) {
    list_ = list;
    logger_ = logger;
  }
  bool Active() const { return active_; }
  // On registers the hotkeys (failures are logged); off unregisters them.
  void ToggleActive(bool on);
  void UnregisterAllHotKeys();

  // A registered hotkey was pressed (on the main thread).
  void HotkeyPressed(int id);

  void DoTimeChange();
  void DoMemChange();
  void DoDevChange();
  void DoDispChange();
  void DoPalChange();
  void DoSpoolChange();

 private:
  void RegisterHotKeys();
  void StartOnEvent(int event_bit, bool needs_active);

  TaskStarter& starter_;
  Desktop& desktop_;
  RVTaskList* list_ = nullptr;
  TRVLogger* logger_ = nullptr;
  bool active_ = false;
  // The highest identifier registered, so that all of them go again even
  // after the list shrank.
  int registered_count_ = 0;
};

}  // namespace rv
