#include "settings/task_list_view_model.h"

#include <gtest/gtest.h>

#include "common/preferences.h"
#include "common/store_keys.h"
#include "common/task_list.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"
#include "settings/keyboard_layout.h"

namespace rv {
namespace {

struct TaskListView : ::testing::Test {
  std::unique_ptr<Registry> store = *Registry::Open(testing::MakeTempDir() + "registry.db");
  RVPreferences prefs{store.get()};
  RVTaskList tasks{"", store.get()};
  UsKeyboardLayout layout;
  TaskListViewModel view{tasks, prefs, layout};

  std::shared_ptr<RVTask> AddTask(const std::string& name, int32_t triggers = 0,
                                  TDateTime launch = 0) {
    auto task = tasks.Add();
    task->TaskName = name;
    task->TaskTriggers = triggers;
    task->LaunchDateTime = launch;
    task->Frequency = 1;
    task->Interval = 1;
    task->IntervalType = static_cast<int32_t>(IntervalUnit::Days);
    task->Active = true;
    return task;
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const TaskRow& row : view.Rows())
      captions.push_back(row.caption);
    return captions;
  }
  const TaskRow& Row(const std::string& caption) const {
    return view.Rows().at(view.IndexOfCaption(caption));
  }
  // Fill in list order, then sort as asked.
  void FillUnsorted() {
    view.SetMode(SortMode::Status);  // every status equal: no swaps
    view.FillTaskList(ClearRows::Yes, ForceFill::Yes);
  }
};

using Strings = std::vector<std::string>;

TEST_F(TaskListView, RowsShowScheduleHotkeyAndImageByTrigger) {
  const TDateTime launch = EncodeDateTime({{2026, 12, 14}, {7, 30, 0, 0}});
  auto both = AddTask("Both", TriggerBits::Scheduled | TriggerBits::Hotkey, launch);
  both->Hotkey = "&%b";
  AddTask("Scheduled", TriggerBits::Scheduled | TriggerBits::WindowAppears, launch);
  AddTask("Hotkey", TriggerBits::Hotkey | TriggerBits::WindowsEvents)->Hotkey = "%^a";
  AddTask("Neither")->Hotkey = "%^a";  // stored, but no hotkey trigger
  AddTask("Shifted key", TriggerBits::Hotkey)->Hotkey = "%A";
  view.FillTaskList(ClearRows::Yes, ForceFill::Yes);

  EXPECT_EQ(Row("Both").image_index, 4);
  EXPECT_EQ(Row("Both").sub_items,
            (std::array<std::string, 5>{"Shift+Ctrl+B", "7:30:00 AM", "12/14/2026", "Every day",
                                        "Active"}));
  EXPECT_EQ(Row("Scheduled").image_index, 2);
  EXPECT_EQ(Row("Scheduled").sub_items[SubItem::Hotkey], "N/A");
  EXPECT_EQ(Row("Hotkey").image_index, 3);
  EXPECT_EQ(Row("Hotkey").sub_items,
            (std::array<std::string, 5>{"Ctrl+Alt+A", "N/A", "N/A", "N/A", "Active"}));
  EXPECT_EQ(Row("Neither").image_index, 9);
  EXPECT_EQ(Row("Neither").sub_items[SubItem::Hotkey], "N/A");
  EXPECT_EQ(Row("Shifted key").sub_items[SubItem::Hotkey], "");
  EXPECT_EQ(Row("Both").task, both);
}

TEST_F(TaskListView, StatusFollowsRunningSetThenHoldingThenActive) {
  ASSERT_FALSE(store->KeyExists(Hive::CurrentUser, store_keys::kRunning));
  AddTask("Idle")->Active = false;
  AddTask("Waiting")->Holding = true;
  AddTask("On");
  AddTask("Busy")->Active = false;
  view.FillTaskList(ClearRows::Yes, ForceFill::Yes);
  EXPECT_TRUE(store->KeyExists(Hive::CurrentUser, store_keys::kRunning));  // created
  EXPECT_EQ(Row("Idle").sub_items[SubItem::Status], "Inactive");
  EXPECT_EQ(Row("Waiting").sub_items[SubItem::Status], "Holding");
  EXPECT_EQ(Row("On").sub_items[SubItem::Status], "Active");
  EXPECT_EQ(Row("Busy").sub_items[SubItem::Status], "Inactive");

  prefs.MarkRunning("BUSY");  // compared without regard to case
  view.FillTaskList(ClearRows::No, ForceFill::No);
  EXPECT_EQ(Row("Busy").sub_items[SubItem::Status], "Running");
}

TEST_F(TaskListView, RefreshWithoutClearKeepsOldCellsAndStaleRows) {
  AddTask("Kept", TriggerBits::Scheduled, 46000.5);
  auto gone = AddTask("Gone");
  view.FillTaskList(ClearRows::Yes, ForceFill::Yes);

  tasks.Item(0)->TaskTriggers = 0;  // no longer scheduled
  tasks.Remove(gone.get());
  view.FillTaskList(ClearRows::No, ForceFill::Yes);
  EXPECT_EQ(view.RowCount(), 2);
  EXPECT_EQ(Row("Kept").sub_items[SubItem::NextDate], "12/09/2025");
  EXPECT_EQ(Row("Gone").task, nullptr);
  // Sorting by next run copes with the row that has no task.
  view.SortTaskList(SortMode::NextRun, InvertDirection::No);

  view.FillTaskList(ClearRows::Yes, ForceFill::Yes);
  EXPECT_EQ(Captions(), Strings{"Kept"});
  EXPECT_EQ(Row("Kept").sub_items[SubItem::NextDate], "N/A");
}

TEST_F(TaskListView, RowsAreMatchedToTheLastRowOfTheirName) {
  AddTask("Twin");
  AddTask("Other");
  FillUnsorted();
  ASSERT_EQ(view.RowCount(), 2);
  // A rename may leave two tasks of one name: both land on the last row of
  // that name, which ends up showing the later task.
  tasks.Item(1)->TaskName = "Twin";
  tasks.Item(1)->Active = false;
  view.FillTaskList(ClearRows::No, ForceFill::No);
  ASSERT_EQ(view.RowCount(), 2);
  EXPECT_EQ(view.Rows()[0].task, tasks.Item(1));
  EXPECT_EQ(view.Rows()[0].sub_items[SubItem::Status], "Inactive");
  EXPECT_EQ(view.Rows()[1].caption, "Other");
  EXPECT_EQ(view.Rows()[1].task, nullptr);
}

TEST_F(TaskListView, AutoRefreshOffLeavesRowsUnlessForced) {
  AddTask("One");
  view.SetAutoRefresh(false);
  view.FillTaskList(ClearRows::Yes, ForceFill::No);
  EXPECT_EQ(view.RowCount(), 0);
  view.FillTaskList(ClearRows::Yes, ForceFill::Yes);
  EXPECT_EQ(view.RowCount(), 1);
}

TEST_F(TaskListView, NameSortIgnoresCaseAndFlagSetMeansDescending) {
  AddTask("alpha");
  AddTask("Beta");
  AddTask("\xc3\xa9lan");  // élan: upper-cased beyond ASCII, after both
  view.FillTaskList(ClearRows::Yes, ForceFill::Yes);
  ASSERT_TRUE(view.Descending());
  EXPECT_EQ(Captions(), (Strings{"\xc3\xa9lan", "Beta", "alpha"}));
  view.SetDescending(false);
  view.SortTaskList(SortMode::TaskName, InvertDirection::No);
  EXPECT_EQ(Captions(), (Strings{"alpha", "Beta", "\xc3\xa9lan"}));
}

TEST_F(TaskListView, EqualNamesSwapUnderTheInclusiveRule) {
  // "a" and "A" have the same key; the inclusive rule swaps them on the
  // way, so their order depends on the direction.
  auto first = AddTask("a");
  auto second = AddTask("A");
  AddTask("b");
  FillUnsorted();
  view.SortTaskList(SortMode::TaskName, InvertDirection::No);
  EXPECT_EQ(Captions(), (Strings{"b", "A", "a"}));
  EXPECT_EQ(view.Rows()[1].task, second);
  view.SetDescending(false);
  view.SortTaskList(SortMode::TaskName, InvertDirection::No);
  EXPECT_EQ(Captions(), (Strings{"a", "A", "b"}));
  EXPECT_EQ(view.Rows()[0].task, first);
}

TEST_F(TaskListView, HotkeySortSkipsPairsStartingAtNotAvailable) {
  AddTask("Ctrl", TriggerBits::Hotkey)->Hotkey = "%a";
  AddTask("None");
  AddTask("Alt", TriggerBits::Hotkey)->Hotkey = "^b";
  FillUnsorted();
  view.SetDescending(false);
  view.SortTaskList(SortMode::Hotkey, InvertDirection::No);
  // "N/A" never moves forward past a later row from its own position.
  EXPECT_EQ(Captions(), (Strings{"Alt", "None", "Ctrl"}));
  view.SetDescending(true);
  view.SortTaskList(SortMode::Hotkey, InvertDirection::No);
  EXPECT_EQ(Captions(), (Strings{"None", "Ctrl", "Alt"}));
}

TEST_F(TaskListView, NextRunSortCountsNotAvailableAsZeroOnlyAtS) {
  AddTask("A", TriggerBits::Scheduled, 3);
  AddTask("B", 0, 5);  // not scheduled: "N/A", stored moment 5
  AddTask("C", TriggerBits::Scheduled, 1);
  FillUnsorted();
  view.SetDescending(false);
  view.SortTaskList(SortMode::NextRun, InvertDirection::No);
  EXPECT_EQ(Captions(), (Strings{"C", "B", "A"}));
  view.SetDescending(true);
  view.SortTaskList(SortMode::NextRun, InvertDirection::No);
  EXPECT_EQ(Captions(), (Strings{"A", "B", "C"}));
}

TEST_F(TaskListView, StatusAndFrequencySortByText) {
  AddTask("Daily", TriggerBits::Scheduled, 1);
  auto weekly = AddTask("Weekly", TriggerBits::Scheduled, 1);
  weekly->IntervalType = static_cast<int32_t>(IntervalUnit::Weeks);
  weekly->Active = false;
  auto once = AddTask("Once", TriggerBits::Scheduled, 1);
  once->Frequency = 0;
  FillUnsorted();
  view.SetDescending(true);
  view.SortTaskList(SortMode::Frequency, InvertDirection::No);
  EXPECT_EQ(Captions(), (Strings{"Once", "Weekly", "Daily"}));
  view.SetDescending(false);
  view.SortTaskList(SortMode::Status, InvertDirection::No);
  EXPECT_EQ(Row("Weekly").sub_items[SubItem::Status], "Inactive");
  EXPECT_EQ(view.Rows().back().caption, "Weekly");
}

TEST_F(TaskListView, ColumnClickSortsThenFlipsTheDirection) {
  AddTask("x", TriggerBits::Scheduled, 2);
  AddTask("y", TriggerBits::Scheduled, 1);
  view.FillTaskList(ClearRows::Yes, ForceFill::Yes);
  EXPECT_EQ(Captions(), (Strings{"y", "x"}));  // by name, descending

  view.ColumnClick("Next Time");
  EXPECT_EQ(view.Mode(), SortMode::NextRun);
  EXPECT_EQ(Captions(), (Strings{"x", "y"}));  // descending by moment
  EXPECT_FALSE(view.Descending());
  // A refresh sorts the other way until the next click.
  view.FillTaskList(ClearRows::No, ForceFill::No);
  EXPECT_EQ(Captions(), (Strings{"y", "x"}));
  view.ColumnClick("Next Date");  // the same key
  EXPECT_EQ(view.Mode(), SortMode::NextRun);
  EXPECT_EQ(Captions(), (Strings{"y", "x"}));
  EXPECT_TRUE(view.Descending());
  view.ColumnClick("Nonsense");
  EXPECT_EQ(view.Mode(), SortMode::NextRun);
  EXPECT_TRUE(view.Descending());
}

}  // namespace
}  // namespace rv
