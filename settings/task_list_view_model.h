#pragma once

// The rows of the task manager's task list: one row per task with its name,
// hotkey, next time and date, frequency and status, built from the task list
// and the launcher's running set, and sorted by a column.
//
// Rows outlive the records they show: a row whose task left the list keeps
// its cells and has no task until a refresh that clears the view. Cells a
// refresh does not write keep their previous text. The widget shows the rows
// and repaints when told through the change callbacks.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/task.h"

namespace rv {

class KeyboardLayout;
class RVPreferences;
class RVTaskList;

// Column captions and initial widths, in column order.
inline constexpr std::array<const char*, 6> kTaskColumnCaptions = {
    "Task Name", "Hotkey", "Next Time", "Next Date", "Frequency", "Status"};
inline constexpr std::array<int, 6> kTaskColumnWidths = {165, 80, 80, 70, 100, 60};

// Sub-item positions (column number minus one).
namespace SubItem {
inline constexpr int Hotkey = 0;
inline constexpr int NextTime = 1;
inline constexpr int NextDate = 2;
inline constexpr int Frequency = 3;
inline constexpr int Status = 4;
}  // namespace SubItem

// Row pictures by trigger: 2 scheduled, 3 hotkey, 4 both, 9 neither.
namespace RowImage {
inline constexpr int Scheduled = 2;
inline constexpr int Hotkey = 3;
inline constexpr int ScheduledHotkey = 4;
inline constexpr int Plain = 9;
}  // namespace RowImage

inline constexpr const char* kNotAvailable = "N/A";

struct TaskRow {
  std::string caption;
  int image_index = RowImage::Plain;
  // Null when the row's task is no longer in the list.
  std::shared_ptr<RVTask> task;
  std::array<std::string, 5> sub_items{kNotAvailable, kNotAvailable, kNotAvailable, kNotAvailable,
                                       kNotAvailable};
};

enum class SortMode : int { TaskName = 0, Hotkey = 1, NextRun = 2, Status = 3, Frequency = 4 };

enum class ClearRows { No, Yes };
enum class ForceFill { No, Yes };
enum class InvertDirection { No, Yes };

class TaskListViewModel {
 public:
  // The list, the preferences (for the running set in their store) and the
  // layout must outlive the model.
  TaskListViewModel(const RVTaskList& tasks, const RVPreferences& preferences,
                    const KeyboardLayout& layout);

  // Refreshes the rows from the task list: with ClearRows::Yes from scratch;
  // without ForceFill::Yes only while Auto Refresh is on. Sorts afterwards by
  // the current mode without inverting the direction.
  void FillTaskList(ClearRows clear, ForceFill force);
  // An exchange sort over whole rows; with InvertDirection::Yes the
  // direction flag flips afterwards.
  void SortTaskList(SortMode mode, InvertDirection invert);
  // A click on a column header: sorts by that column in the current
  // direction, flips the direction and remembers the mode. Unknown captions
  // are ignored.
  void ColumnClick(const std::string& caption);
  static std::optional<SortMode> ModeOfCaption(const std::string& caption);

  const std::vector<TaskRow>& Rows() const { return rows_; }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // -1 when no row has that caption.
  int IndexOfCaption(const std::string& caption) const;

  // In-place changes the task commands make without a refresh.
  void SetStatus(int row, const std::string& status);
  void SetCaption(int row, const std::string& caption);

  bool AutoRefresh() const { return auto_refresh_; }
  void SetAutoRefresh(bool on) { auto_refresh_ = on; }
  SortMode Mode() const { return mode_; }
  void SetMode(SortMode mode) { mode_ = mode; }
  // Set: descending.
  bool Descending() const { return descending_; }
  void SetDescending(bool descending) { descending_ = descending; }

  // The status a task shows: "Running" when its name is in the running set
  // (compared without regard to case), else "Holding", "Active", "Inactive".
  static std::string StatusText(const RVTask& task, const std::vector<std::string>& running);
  static int ImageIndex(const RVTask& task);

  // Called after the rows changed as a whole (fill, sort) and after one
  // row's cells changed.
  std::function<void()> on_rows_reset;
  std::function<void(int row)> on_row_changed;

 private:
  std::vector<std::string> ReadRunningSet() const;
  void NotifyReset() const;

  const RVTaskList& tasks_;
  const RVPreferences& preferences_;
  const KeyboardLayout& layout_;
  std::vector<TaskRow> rows_;
  SortMode mode_ = SortMode::TaskName;
  bool descending_ = true;
  bool auto_refresh_ = true;
};

}  // namespace rv
