#include "launcher/launcher_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace rv {
namespace {

using ::testing::ElementsAre;

struct Recorder : LauncherActions {
  std::vector<std::string> calls;
  void LaunchTask(const std::string& name) override { calls.push_back("launch [" + name + "]"); }
  void ReloadTasks() override { calls.push_back("reload"); }
  void KillTask(const std::string& name) override { calls.push_back("kill [" + name + "]"); }
  void SetProcessing(bool on) override { calls.push_back(on ? "processing on" : "processing off"); }
  void KillRunvane() override { calls.push_back("quit"); }
  void PlaySteps(const std::vector<std::string>& steps) override {
    std::string joined;
    for (const auto& step : steps)
      joined += "[" + step + "]";
    calls.push_back("play " + joined);
  }
};

TEST(LauncherCommands, KeywordsAnywhereInTheFirstLineInTableOrder) {
  struct Row {
    const char* command;
    std::vector<std::string> calls;
  };
  const Row rows[] = {
      {"LAUNCH: Backup", {"launch [Backup]"}},
      {"LAUNCH: Nightly UPDATE run", {"launch [Nightly UPDATE run]", "reload"}},
      {"UPDATE", {"reload"}},
      {"KILL: backup", {"kill [backup]"}},
      {"STOPPROCESSING", {"processing off"}},
      {"STARTPROCESSING", {"processing on"}},
      {"KILLRUNVANE", {"quit"}},
      {"  LAUNCH: X", {"launch [: X]"}},  // the argument is taken by position
      {"launch: lower case", {}},
      {"nothing here", {}},
      {"", {}},
      {"LAUNCH: First\r\nUPDATE", {"launch [First]"}},  // only the first line counts
  };
  for (const Row& row : rows) {
    Recorder recorder;
    EXPECT_TRUE(SystemExecuteMacro(row.command, recorder));
    EXPECT_EQ(recorder.calls, row.calls) << row.command;
  }
}

TEST(LauncherCommands, PlayStepsTakesEveryLine) {
  Recorder recorder;
  SystemExecuteMacro("PLAYSTEPS: PAUSE: 1 seconds\r\nSTART: \"x\",\"\",0,\"0\"\r\nREM: \"c\"",
                     recorder);
  EXPECT_THAT(recorder.calls,
              ElementsAre("play [PAUSE: 1 seconds][START: \"x\",\"\",0,\"0\"][REM: \"c\"]"));
  Recorder one;
  SystemExecuteMacro("PLAYSTEPS: COPY: \"a\",\"b\"\r", one);
  EXPECT_THAT(one.calls, ElementsAre("play [COPY: \"a\",\"b\"]"));
}

}  // namespace
}  // namespace rv
