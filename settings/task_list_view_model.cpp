#include "settings/task_list_view_model.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "common/date_time.h"
#include "common/preferences.h"
#include "common/store_keys.h"
#include "common/task_list.h"
#include "platform/registry.h"
#include "settings/hotkey_shortcut.h"
#include "settings/upper_case_key.h"

namespace rv {
namespace {

// The store compares value names without regard to ASCII case; so does the
// running set.
std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return text;
}

std::string StatusOf(const RVTask& task, const std::unordered_set<std::string>& running) {
  if (running.count(AsciiLower(task.TaskName)) != 0) return "Running";
  if (task.Holding.load()) return "Holding";
  return task.Active ? "Active" : "Inactive";
}

// The sort swaps positions in an order of row numbers (and the keys that
// travel with them); the rows move once at the end. The result is the same
// as swapping whole rows at every step, without moving their texts each time.
template <typename... Keys>
void SwapPositions(std::vector<size_t>& order, size_t r, size_t s, Keys&... keys) {
  std::swap(order[r], order[s]);
  (std::swap(keys[r], keys[s]), ...);
}

// Rows r from the first to `r_end` (exclusive), s from r to the last; the
// rule decides a swap from the keys at r and s.
template <typename Key, typename Rule>
void ExchangeSort(std::vector<size_t>& order, std::vector<Key>& keys, size_t r_end,
                  Rule swap_when) {
  const size_t n = order.size();
  for (size_t r = 0; r < r_end; ++r) {
    for (size_t s = r; s < n; ++s) {
      if (s != r && swap_when(keys[r], keys[s])) SwapPositions(order, r, s, keys);
    }
  }
}

void Reorder(std::vector<TaskRow>& rows, const std::vector<size_t>& order) {
  std::vector<TaskRow> sorted;
  sorted.reserve(rows.size());
  for (size_t from : order)
    sorted.push_back(std::move(rows[from]));
  rows = std::move(sorted);
}

}  // namespace

TaskListViewModel::TaskListViewModel(const RVTaskList& tasks, const RVPreferences& preferences,
                                     const KeyboardLayout& layout)
    : tasks_(tasks), preferences_(preferences), layout_(layout) {}

std::optional<SortMode> TaskListViewModel::ModeOfCaption(const std::string& caption) {
  if (caption == "Task Name") return SortMode::TaskName;
  if (caption == "Hotkey") return SortMode::Hotkey;
  if (caption == "Next Date" || caption == "Next Time") return SortMode::NextRun;
  if (caption == "Status") return SortMode::Status;
  if (caption == "Frequency") return SortMode::Frequency;
  return std::nullopt;
}

std::string TaskListViewModel::StatusText(const RVTask& task,
                                          const std::vector<std::string>& running) {
  std::unordered_set<std::string> lowered;
  for (const std::string& name : running)
    lowered.insert(AsciiLower(name));
  return StatusOf(task, lowered);
}

int TaskListViewModel::ImageIndex(const RVTask& task) {
  const bool scheduled = task.HasTrigger(TriggerBits::Scheduled);
  const bool hotkey = task.HasTrigger(TriggerBits::Hotkey);
  if (scheduled && hotkey) return RowImage::ScheduledHotkey;
  if (scheduled) return RowImage::Scheduled;
  if (hotkey) return RowImage::Hotkey;
  return RowImage::Plain;
}

std::vector<std::string> TaskListViewModel::ReadRunningSet() const {
  if (Registry* store = preferences_.Store()) {
    (void)store->OpenKey(Hive::CurrentUser, store_keys::kRunning, CreateKey::Yes);
  }
  return preferences_.RunningTasks();
}

void TaskListViewModel::FillTaskList(ClearRows clear, ForceFill force) {
  const std::vector<std::string> running_names = ReadRunningSet();
  if (!auto_refresh_ && force == ForceFill::No) return;
  if (clear == ClearRows::Yes) rows_.clear();
  for (TaskRow& row : rows_)
    row.task = nullptr;

  std::unordered_set<std::string> running;
  for (const std::string& name : running_names)
    running.insert(AsciiLower(name));
  // The last row of each caption, as the search from the end would find it.
  std::unordered_map<std::string, size_t> row_of_caption;
  for (size_t i = 0; i < rows_.size(); ++i)
    row_of_caption[rows_[i].caption] = i;

  for (int32_t i = 0; i < tasks_.Count(); ++i) {
    std::shared_ptr<RVTask> task = tasks_.Item(i);
    size_t index;
    if (auto found = row_of_caption.find(task->TaskName); found != row_of_caption.end()) {
      index = found->second;
    } else {
      rows_.emplace_back();
      index = rows_.size() - 1;
      row_of_caption.emplace(task->TaskName, index);
    }
    TaskRow& row = rows_[index];
    row.task = task;
    row.caption = task->TaskName;
    row.image_index = ImageIndex(*task);
    if (task->HasTrigger(TriggerBits::Scheduled)) {
      row.sub_items[SubItem::NextTime] = FormatLongTime(task->LaunchDateTime);
      row.sub_items[SubItem::NextDate] = FormatShortDate(task->LaunchDateTime);
      row.sub_items[SubItem::Frequency] = task->FrequencyString();
    }
    if (task->HasTrigger(TriggerBits::Hotkey)) {
      row.sub_items[SubItem::Hotkey] = HotkeyDisplayText(task->Hotkey, layout_);
    }
    row.sub_items[SubItem::Status] = StatusOf(*task, running);
  }
  SortTaskList(mode_, InvertDirection::No);
}

void TaskListViewModel::SortTaskList(SortMode mode, InvertDirection invert) {
  const size_t n = rows_.size();
  const bool descending = descending_;
  if (n > 1) {
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i)
      order[i] = i;
    switch (mode) {
      case SortMode::TaskName: {
        std::vector<std::string> keys;
        keys.reserve(n);
        for (const TaskRow& row : rows_)
          keys.push_back(UpperCaseKey(row.caption));
        // Equal names swap too: the rule is <= and >=.
        ExchangeSort(order, keys, n - 1, [descending](const auto& at_r, const auto& at_s) {
          return descending ? at_r <= at_s : at_r >= at_s;
        });
        break;
      }
      case SortMode::Hotkey:
      case SortMode::Status:
      case SortMode::Frequency: {
        const int cell = mode == SortMode::Hotkey   ? SubItem::Hotkey
                         : mode == SortMode::Status ? SubItem::Status
                                                    : SubItem::Frequency;
        std::vector<std::string> keys;
        keys.reserve(n);
        for (const TaskRow& row : rows_)
          keys.push_back(row.sub_items[cell]);
        const bool skip_na = mode == SortMode::Hotkey;
        ExchangeSort(order, keys, n - 1, [descending, skip_na](const auto& at_r, const auto& at_s) {
          if (skip_na && at_r == kNotAvailable) return false;
          return descending ? at_r < at_s : at_r > at_s;
        });
        break;
      }
      case SortMode::NextRun: {
        // At r the task's own moment; at s the same, or 0 for a row that was
        // never scheduled ("N/A"). A row without a task counts as 0.
        std::vector<TDateTime> at_r_keys(n);
        std::vector<TDateTime> at_s_keys(n);
        for (size_t i = 0; i < n; ++i) {
          at_r_keys[i] = rows_[i].task ? rows_[i].task->LaunchDateTime : 0;
          at_s_keys[i] = rows_[i].sub_items[SubItem::NextTime] == kNotAvailable ? 0 : at_r_keys[i];
        }
        for (size_t r = 0; r < n; ++r) {
          for (size_t s = r + 1; s < n; ++s) {
            const TDateTime key_r = at_r_keys[r];
            const TDateTime key_s = at_s_keys[s];
            if (descending ? key_r < key_s : key_r > key_s) {
              SwapPositions(order, r, s, at_r_keys, at_s_keys);
            }
          }
        }
        break;
      }
    }
    Reorder(rows_, order);
  }
  if (invert == InvertDirection::Yes) descending_ = !descending_;
  NotifyReset();
}

void TaskListViewModel::ColumnClick(const std::string& caption) {
  const std::optional<SortMode> mode = ModeOfCaption(caption);
  if (!mode) return;
  SortTaskList(*mode, InvertDirection::Yes);
  mode_ = *mode;
}

int TaskListViewModel::IndexOfCaption(const std::string& caption) const {
  for (size_t i = rows_.size(); i > 0; --i) {
    if (rows_[i - 1].caption == caption) return static_cast<int>(i - 1);
  }
  return -1;
}

void TaskListViewModel::SetStatus(int row, const std::string& status) {
  if (row < 0 || row >= RowCount()) return;
  rows_[row].sub_items[SubItem::Status] = status;
  if (on_row_changed) on_row_changed(row);
}

void TaskListViewModel::SetCaption(int row, const std::string& caption) {
  if (row < 0 || row >= RowCount()) return;
  rows_[row].caption = caption;
  if (rows_[row].task) rows_[row].task->TaskName = caption;
  if (on_row_changed) on_row_changed(row);
}

void TaskListViewModel::NotifyReset() const {
  if (on_rows_reset) on_rows_reset();
}

}  // namespace rv
