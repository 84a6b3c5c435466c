#include "launcher/window_trigger.h"

#include "common/task_list.h"
#include "launcher/task_starter.h"
#include "platform/desktop/desktop.h"

namespace rv {

TRVWindowTrigger::TRVWindowTrigger(std::unique_ptr<Timer> timer, TaskStarter& starter,
                                   Desktop& desktop)
    : timer_(std::move(timer)), starter_(starter), desktop_(desktop) {
  timer_->SetEnabled(false);
  timer_->SetCallback([this] { CheckTasks(); });
}

void TRVWindowTrigger::ToggleState(bool on) {
  if (on) {
    RefreshList();
    timer_->SetInterval(std::chrono::milliseconds(ScanTime > 0 ? ScanTime : 750));
    timer_->SetEnabled(true);
  } else {
    timer_->SetEnabled(false);
  }
  active_ = on;
}

void TRVWindowTrigger::RefreshList() {
  titles_.clear();
  task_indexes_.clear();
  if (list_ == nullptr) return;
  for (int32_t i = 0; i < list_->Count(); ++i) {
    const std::shared_ptr<RVTask> task = list_->Item(i);
    if (task->HasTrigger(TriggerBits::WindowAppears) && task->Active) {
      titles_.push_back(task->WindowName);
      task_indexes_.push_back(i);
    }
  }
}

void TRVWindowTrigger::CheckTasks() {
  if (titles_.empty()) {
    started_windows_.clear();
    return;
  }
  // One listing serves every watched title: the same first match per title
  // as a search per title, at a fraction of the cost.
  const std::vector<DesktopWindow> windows = desktop_.TopLevelWindows();
  std::set<uint64_t> open;
  for (const DesktopWindow& window : windows)
    open.insert(window.handle);
  for (auto it = started_windows_.begin(); it != started_windows_.end();) {
    it = open.count(*it) ? std::next(it) : started_windows_.erase(it);
  }
  for (size_t j = 0; j < titles_.size(); ++j) {
    const DesktopWindow* found = nullptr;
    for (const DesktopWindow& window : windows) {
      if (SameWindowText(window.title, titles_[j])) {
        found = &window;
        break;
      }
    }
    if (found == nullptr || !found->visible || started_windows_.count(found->handle)) continue;
    started_windows_.insert(found->handle);
    const int index = task_indexes_[j];
    // The list may have been reloaded without a refresh: the position then
    // names whatever record is there now, if any.
    if (list_ != nullptr && index < list_->Count()) starter_.StartTask(list_->Item(index));
  }
}

}  // namespace rv
