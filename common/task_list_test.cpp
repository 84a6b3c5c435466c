#include "common/task_list.h"

#include <gtest/gtest.h>

namespace rv {
namespace {

TEST(TaskList, AddLinksRecordsAndIndexOfNameMatchesExactly) {
  RVTaskList list;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.FileName, "");
  EXPECT_EQ(list.Head(), nullptr);

  auto first = list.Add();
  EXPECT_EQ(list.Head(), first);
  EXPECT_EQ(list.Tail(), first);
  EXPECT_EQ(first->Owner, &list);
  first->TaskName = "Backup";
  auto second = list.Add();
  second->TaskName = "Backup";
  list.Add()->TaskName = "Mail";

  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Tail()->TaskName, "Mail");
  EXPECT_EQ(list.IndexOfName("Backup"), 0);  // the first of two
  EXPECT_EQ(list.IndexOfName("Mail"), 2);
  EXPECT_EQ(list.IndexOfName("mail"), -1);
  EXPECT_EQ(list.IndexOfName("Mail "), -1);
  EXPECT_EQ(list.Item(1), second);
}

TEST(TaskList, ClearedRecordsStayValidForTheirHolders) {
  RVTaskList list;
  auto held = list.Add();
  held->TaskName = "Running task";
  held->Steps = {"PAUSE: 1 seconds"};
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Head(), nullptr);
  auto fresh = list.Add();
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Head(), fresh);
  EXPECT_EQ(held->TaskName, "Running task");
  EXPECT_EQ(held->Steps.size(), 1u);
}

TEST(TaskList, RemoveUnlinksOnlyRecordsOfTheList) {
  RVTaskList list;
  auto a = list.Add();
  auto b = list.Add();
  auto c = list.Add();
  RVTaskList other;
  auto stranger = other.Add();
  EXPECT_FALSE(list.Remove(stranger.get()));
  EXPECT_TRUE(list.Remove(b.get()));
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Item(1), c);
  EXPECT_TRUE(list.Remove(a.get()));
  EXPECT_TRUE(list.Remove(c.get()));
  EXPECT_EQ(list.Head(), nullptr);
  EXPECT_EQ(list.Tail(), nullptr);
}

TEST(TaskList, CopyTaskReplacesEveryFieldButTheOwner) {
  ManualClock clock(EncodeDate(2026, 1, 1));
  RVTaskList list("", nullptr, clock);
  RVTaskList other;
  auto source = list.Add();
  source->TaskName = "Source";
  source->LaunchDateTime = EncodeDate(2027, 5, 5) + 0.5;
  source->Frequency = 1;
  source->Interval = 3;
  source->IntervalType = 7;
  source->Active = true;
  source->Reserved = 42;
  source->LateFlags = 1 | 16;
  source->TaskTriggers = 1 | 8;
  source->Running = true;
  source->Holding = true;
  source->Steps = {"A: 1", "B: 2", "C: 3"};
  source->StepCount = 3;
  source->DisabledSteps = {"1"};
  source->DisabledStepCount = 1;
  source->Details = {"about"};
  source->DetailCount = 1;
  source->Events = 4;
  source->Hotkey = "%^a";
  source->WindowName = "Calculator";

  auto target = other.Add();
  target->Steps = {"1", "2", "3", "4", "5"};
  target->StepCount = 5;
  RVTaskList::CopyTask(*source, *target);

  EXPECT_EQ(target->Owner, &other);
  EXPECT_EQ(target->TaskName, "Source");
  EXPECT_EQ(target->LaunchDateTime, source->LaunchDateTime);
  EXPECT_EQ(target->Steps, source->Steps);
  EXPECT_EQ(target->StepCount, 3);
  EXPECT_EQ(target->DisabledSteps, std::vector<std::string>{"1"});
  EXPECT_TRUE(target->IsStepDisabled(1));
  EXPECT_FALSE(target->IsStepDisabled(0));
  EXPECT_EQ(target->Reserved, 42);
  EXPECT_EQ(target->LateFlags, 17);
  EXPECT_TRUE(target->Running);
  EXPECT_TRUE(target->Holding);
  EXPECT_EQ(target->Hotkey, "%^a");
  EXPECT_EQ(target->WindowName, "Calculator");
  EXPECT_EQ(target->Events, 4);
}

TEST(TaskList, NewRecordsStartAtTheClocksNow) {
  ManualClock clock(EncodeDate(2026, 12, 11) + 0.25);
  RVTaskList list("", nullptr, clock);
  auto task = list.Add();
  EXPECT_EQ(task->LaunchDateTime, clock.Now());
  EXPECT_EQ(task->Frequency, 0);
  EXPECT_FALSE(task->Running);
  EXPECT_TRUE(task->Steps.empty());
}

}  // namespace
}  // namespace rv
