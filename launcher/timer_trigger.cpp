#include "launcher/timer_trigger.h"

#include "common/logger.h"
#include "common/preferences.h"
#include "common/task_list.h"
#include "launcher/task_starter.h"
#include "launcher/thread_manager.h"

namespace rv {

TRVTimerTrigger::TRVTimerTrigger(std::unique_ptr<Timer> timer, TaskStarter& starter,
                                 Threadmanager& threads, LateQuestion ask, const Clock& clock)
    : timer_(std::move(timer)),
      starter_(starter),
      threads_(threads),
      ask_(std::move(ask)),
      clock_(clock) {
  timer_->SetEnabled(false);
  timer_->SetCallback([this] { ScanForTasks(); });
}

void TRVTimerTrigger::ToggleEnable(bool on) {
  active_ = on;
  if (on) {
    timer_->SetInterval(std::chrono::milliseconds(ScanTime > 0 ? ScanTime : 1000));
    timer_->SetEnabled(true);
  } else {
    timer_->SetEnabled(false);
  }
}

void TRVTimerTrigger::ScanForTasks() {
  if (list_ == nullptr) return;
  const TDateTime now = clock_.Now();
  const int tolerance_seconds = ScanTime / 1000;
  const TDateTime tolerance = static_cast<TDateTime>(tolerance_seconds) / 86400.0;
  // Handling a task reloads the list, so its count is read again every time.
  for (int32_t i = 0; i < list_->Count(); ++i) {
    std::shared_ptr<RVTask> task = list_->Item(i);
    if (!task->Active || !task->HasTrigger(TriggerBits::Scheduled) ||
        !(now > task->LaunchDateTime) || task->Holding || asking_.count(task->TaskName) != 0) {
      continue;
    }
    if (!(task->LaunchDateTime + tolerance < now)) {
      HandleOnTimeTask(task);
    } else {
      HandleLateTask(task);
    }
  }
}

bool TRVTimerTrigger::HandleOnTimeTask(const std::shared_ptr<RVTask>& task) {
  const std::string name = task->TaskName;
  starter_.StartTask(task);
  RescheduleByName(name);
  return true;
}

bool TRVTimerTrigger::HandleLateTask(const std::shared_ptr<RVTask>& task) {
  const std::string name = task->TaskName;
  bool started = false;
  if (task->LateFlags & LateRule::Prompt) {
    SetRunningMarker(name, true);
    threads_.AddPlaceholder(name);
    task->Holding = true;
    asking_.insert(name);
    const bool yes = ask_ ? ask_(kLateQuestion, name) : false;
    asking_.erase(name);
    task->Holding = false;
    // The placeholder has served its purpose; left in place it would swallow
    // every later "KILL: " of this task.
    threads_.RemovePlaceholder(name);
    if (yes) {
      starter_.StartTask(task);
      started = true;
    } else {
      SetRunningMarker(name, false);
    }
  }
  if (task->LateFlags & LateRule::RunImmediately) {
    starter_.StartTask(task);
    started = true;
  }
  RescheduleByName(name);
  return started;
}

void TRVTimerTrigger::RescheduleByName(const std::string& name) {
  if (list_ == nullptr || list_->LockFile(1) != 1) return;
  if (std::shared_ptr<RVTask> task = list_->FindByName(name)) {
    task->ApplyRescheduleRule(clock_);
    if (Result<void> saved = list_->SaveToFile(); !saved) {
      if (logger_) logger_->LogEvent("(!) " + saved.error(), 90);
    } else if (prefs_) {
      prefs_->SetChangeFlag(ChangeFlag::RunvaneChange, true);
    }
  }
  list_->UnlockFile();
}

void TRVTimerTrigger::SetRunningMarker(const std::string& name, bool running) {
  if (prefs_ == nullptr) return;
  if (running) {
    prefs_->MarkRunning(name);
  } else if (prefs_->IsRunning(name)) {
    prefs_->UnmarkRunning(name);
  }
}

}  // namespace rv
