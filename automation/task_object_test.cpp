#include "automation/task_object.h"

#include <gtest/gtest.h>

#include <fstream>

#include "automation/error_info.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

// A record in the task data layout; `late` and `line5` fill lines 7 and 5.
std::string Record(const std::string& line5, int late, const std::vector<std::string>& steps,
                   const std::vector<std::string>& disabled = {}) {
  std::string r = "Backup\r\n06/09/1998 5:30:00 PM\r\n1\r\n2\r\n2\r\n" + line5 + "\r\n0\r\n" +
                  std::to_string(late) + "\r\n0\r\n1\r\n" + std::to_string(steps.size()) + "\r\n";
  for (const std::string& s : steps)
    r += s + "\r\n";
  r += std::to_string(disabled.size()) + "\r\n";
  for (const std::string& d : disabled)
    r += d + "\r\n";
  r += "1\r\n1\r\nnightly copy\r\n0\r\nCtrl+F5\r\nTitle\r\n";
  return r;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t p; (p = text.find("\r\n", start)) != std::string::npos; start = p + 2) {
    out.push_back(text.substr(start, p - start));
  }
  return out;
}

HRESULT Call(TTask& t, const char* name, std::vector<Variant> args, Variant* out = nullptr,
             InvokeKind kind = InvokeKind::Method | InvokeKind::PropertyGet) {
  DISPID id = 0;
  EXPECT_EQ(t.GetIDsOfNames(name, &id), S_OK) << name;
  ExcepInfo ex;
  return t.Invoke(id, kind, args, out, &ex);
}

HRESULT Put(TTask& t, const char* name, Variant v) {
  return Call(t, name, {std::move(v)}, nullptr, InvokeKind::PropertyPut);
}

Variant Get(TTask& t, const char* name, std::vector<Variant> args = {}) {
  Variant out;
  EXPECT_EQ(Call(t, name, std::move(args), &out), S_OK) << name;
  return out;
}

TEST(TaskObject, LateBitsReadAsChoicesAndRebuiltAsTheirSum) {
  auto t = MakeCom<TTask>();
  ASSERT_TRUE(t->SetTaskData(Record("1", 36, {})));
  EXPECT_EQ(Get(*t, "RunLate").int_value(), 2);
  EXPECT_EQ(Get(*t, "ScheduleLate").int_value(), 2);
  ASSERT_EQ(Put(*t, "RunLate", Variant::Long(0)), S_OK);
  EXPECT_EQ(Lines(t->TaskData())[7], "33");
}

TEST(TaskObject, LineFiveIsCarriedThroughAndDefaultsToOne) {
  for (const char* line5 : {"", "x"}) {
    auto t = MakeCom<TTask>();
    ASSERT_TRUE(t->SetTaskData(Record(line5, 9, {})));
    ASSERT_EQ(Put(*t, "Active", Variant::Long(0)), S_OK);
    std::vector<std::string> lines = Lines(t->TaskData());
    EXPECT_EQ(lines[5], "1") << line5;
    EXPECT_EQ(lines[9], "0");
  }
}

TEST(TaskObject, StepsKeepQuotesAndSplitUnquotedCommas) {
  auto t = MakeCom<TTask>();
  ASSERT_TRUE(
      t->SetTaskData(Record("1", 9, {"OPEN: \"/tmp/a b.txt\"", "SEND: 1,\"50\",{ENTER},x"})));
  EXPECT_EQ(Get(*t, "GetStepParamCount", {Variant::Long(0)}).int_value(), 1);
  EXPECT_EQ(Get(*t, "GetStepParamCount", {Variant::Long(1)}).int_value(), 4);
  EXPECT_EQ(Get(*t, "GetStepParameter", {Variant::Long(0), Variant::Long(0)}).str(),
            "\"/tmp/a b.txt\"");
  EXPECT_EQ(Get(*t, "GetStepCommand", {Variant::Long(1)}).str(), "SEND");
  EXPECT_EQ(Get(*t, "GetTaskStep", {Variant::Long(1)}).str(), "SEND: 1,\"50\",{ENTER},x");
}

TEST(TaskObject, StepStatusAndDisabledLines) {
  auto t = MakeCom<TTask>();
  ASSERT_TRUE(t->SetTaskData(Record("1", 9, {"BEEP: ", "BEEP: "}, {"1"})));
  EXPECT_EQ(Get(*t, "GetStepStatus", {Variant::Long(1)}).int_value(), 0);
  ASSERT_EQ(Call(*t, "SetStepStatus", {Variant::Long(0), Variant::Long(0)}), S_OK);
  std::vector<std::string> lines = Lines(t->TaskData());
  EXPECT_EQ(lines[13], "2");
  EXPECT_EQ(lines[14], "0");
  EXPECT_EQ(lines[15], "1");
  // A disabled position past the last step fails the parse.
  EXPECT_FALSE(t->SetTaskData(Record("1", 9, {"BEEP: "}, {"3"})));
}

TEST(TaskObject, StepEditing) {
  auto t = MakeCom<TTask>();
  ASSERT_TRUE(t->SetTaskData(Record("1", 9, {"COPY: \"a\",\"b\""})));
  ASSERT_EQ(Call(*t, "SetTaskStep", {Variant::Long(0), Variant::Str("COPY: \"c\", \"d\"")}), S_OK);
  EXPECT_EQ(Get(*t, "GetTaskStep", {Variant::Long(0)}).str(), "COPY: \"c\",\"d\"");
  EXPECT_EQ(Get(*t, "GetStepParamCount", {Variant::Long(0)}).int_value(), 2);
  ASSERT_EQ(Call(*t, "InsertTaskStep", {Variant::Long(1), Variant::Str("BEEP:")}), S_OK);
  ASSERT_EQ(Call(*t, "InsertTaskStep", {Variant::Long(0), Variant::Str("MSG: \"hi\"")}), S_OK);
  EXPECT_EQ(Get(*t, "StepCount").int_value(), 3);
  EXPECT_EQ(Get(*t, "GetTaskStep", {Variant::Long(2)}).str(), "BEEP: ");
  EXPECT_EQ(Call(*t, "InsertTaskStep", {Variant::Long(5), Variant::Str("BEEP:")}),
            DISP_E_EXCEPTION);
  ASSERT_EQ(Call(*t, "DeleteTaskStep", {Variant::Long(0)}), S_OK);
  EXPECT_EQ(Get(*t, "GetTaskStep", {Variant::Long(0)}).str(), "COPY: \"c\",\"d\"");
  ASSERT_EQ(Call(*t, "ClearSteps", {}), S_OK);
  EXPECT_EQ(Lines(t->TaskData())[10], "0");
}

TEST(TaskObject, FailingMemberReportsListIndexText) {
  auto t = MakeCom<TTask>();
  DISPID id = 0;
  ASSERT_EQ(t->GetIDsOfNames("gettaskstep", &id), S_OK);
  std::vector<Variant> args{Variant::Long(4)};
  ExcepInfo ex;
  EXPECT_EQ(t->Invoke(id, InvokeKind::Method, args, nullptr, &ex), DISP_E_EXCEPTION);
  EXPECT_EQ(ex.description, "List index out of bounds (4)");
  auto info = TakeThreadErrorInfo();
  ASSERT_TRUE(info);
  EXPECT_EQ(info->description, "List index out of bounds (4)");
}

TEST(TaskObject, DispatchIdsFollowTheInterfaceTable) {
  auto t = MakeCom<TTask>();
  for (auto [name, want] : {std::pair{"TaskName", 1},
                            {"ClearSteps", 30},
                            {"SaveToFile", 28},
                            {"LoadFromFile", 31},
                            {"Events", 27}}) {
    DISPID id = 0;
    ASSERT_EQ(t->GetIDsOfNames(name, &id), S_OK);
    EXPECT_EQ(id, want) << name;
  }
}

TEST(TaskObject, UnpaddedDateFailsAndPaddedDateRebuilds) {
  auto t = MakeCom<TTask>();
  std::string rec = Record("1", 9, {});
  std::string bad = "Backup\r\n1/5/1999 3:04:05 AM" + rec.substr(rec.find("\r\n1\r\n2"));
  Result<void> r = t->SetTaskData(bad);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error(), "'1/5/1999 3' is not a valid date");

  ASSERT_TRUE(t->SetTaskData(rec));
  EXPECT_EQ(Get(*t, "LaunchDate").str(), "06/09/1998");
  EXPECT_EQ(Get(*t, "LaunchTime").str(), "5:30:00 PM");
  ASSERT_EQ(Put(*t, "LaunchTime", Variant::Str("12:05:03 AM")), S_OK);
  EXPECT_EQ(Lines(t->TaskData())[1], "06/09/1998 12:05:03 AM");
}

TEST(TaskObject, FrequencyStrings) {
  struct Case {
    int freq, interval, type;
    const char* want;
  } cases[] = {{1, 1, 10, "Every second"},
               {1, 0, 10, "Every second"},
               {0, 3, 2, "Once"},
               {1, 3, 2, "Every 3 days"},
               {1, 2, 5, "Every 2 weekends"},
               {1, 1, 11, "Unknown Interval Type"}};
  for (const Case& c : cases) {
    auto t = MakeCom<TTask>();
    ASSERT_EQ(Put(*t, "Frequency", Variant::Long(c.freq)), S_OK);
    ASSERT_EQ(Put(*t, "Interval", Variant::Str(std::to_string(c.interval))), S_OK);
    ASSERT_EQ(Put(*t, "IntervalType", Variant::Long(c.type)), S_OK);
    EXPECT_EQ(Get(*t, "FrequencyString").str(), c.want);
  }
}

TEST(TaskObject, DetailsAndFileRoundTrip) {
  auto t = MakeCom<TTask>();
  ASSERT_TRUE(t->SetTaskData(Record("1", 9, {"BEEP: "})));
  ASSERT_EQ(Put(*t, "Details", Variant::Str("one\r\ntwo")), S_OK);
  EXPECT_EQ(Get(*t, "Details").str(), "one\r\ntwo\r\n");
  std::string path = rv::testing::MakeTempDir() + "/task.txt";
  ASSERT_EQ(Call(*t, "SaveToFile", {Variant::Str(path)}), S_OK);
  auto u = MakeCom<TTask>();
  ASSERT_EQ(Call(*u, "LoadFromFile", {Variant::Str(path)}), S_OK);
  EXPECT_EQ(u->TaskData(), t->TaskData());
  EXPECT_EQ(Call(*u, "LoadFromFile", {Variant::Str(path + ".missing")}), DISP_E_EXCEPTION);
}

}  // namespace
}  // namespace rv
