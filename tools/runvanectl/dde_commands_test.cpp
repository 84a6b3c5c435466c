// runvanectl's commands that talk to a running program, against a server of
// the test's own.

#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "platform/dde_server.h"
#include "platform/manual_dispatcher.h"
#include "platform/testing/run_program.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

using testing::ProgramResult;

ProgramResult Ctl(std::vector<std::string> args) {
  args.insert(args.begin(), testing::BuildDir() + "tools/runvanectl/runvanectl");
  return testing::RunProgram(args);
}

// Runs runvanectl on a thread while this (main) thread serves the commands.
ProgramResult CtlServed(ManualDispatcher& dispatcher, std::vector<std::string> args) {
  auto result = std::async(std::launch::async, [args] { return Ctl(args); });
  while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
    dispatcher.WaitAndRunPending(std::chrono::milliseconds(5));
  }
  return result.get();
}

TEST(RunvaneCtlSend, ShorthandsSendTheLauncherCommands) {
  ManualDispatcher dispatcher;
  std::vector<std::string> received;
  auto server = dde::Server::Start("Runvane", "System", dispatcher, [&](const std::string& text) {
    received.push_back(text);
    return true;
  });
  ASSERT_TRUE(server) << server.error();

  struct Row {
    std::vector<std::string> args;
    std::string text;
  };
  const Row rows[] = {
      {{"launch", "Morning backup"}, "LAUNCH: Morning backup"},
      {{"kill", "Morning backup"}, "KILL: Morning backup"},
      {{"update"}, "UPDATE"},
      {{"start-processing"}, "STARTPROCESSING"},
      {{"stop-processing"}, "STOPPROCESSING"},
      {{"quit"}, "KILLRUNVANE"},
      {{"play", "PAUSE: 1 seconds", "MAKEDIR: \"/tmp/x\""},
       "PLAYSTEPS: PAUSE: 1 seconds\r\nMAKEDIR: \"/tmp/x\""},
      {{"send", "--no-wait", "LAUNCH: A"}, "LAUNCH: A"},
      {{"send", "--service", "RUNVANE", "--topic", "system", "UPDATE"}, "UPDATE"},
  };
  for (const Row& row : rows) {
    received.clear();
    ProgramResult result = CtlServed(dispatcher, row.args);
    EXPECT_EQ(result.exit_status, 0) << row.args[0] << ": " << result.err;
    dispatcher.RunPending();
    ASSERT_EQ(received.size(), 1u) << row.args[0];
    EXPECT_EQ(received[0], row.text);
  }
}

TEST(RunvaneCtlSend, NobodyListeningIsAClearFailure) {
  ProgramResult result = Ctl({"launch", "Backup"});
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_NE(result.err.find("runvanectl: "), std::string::npos);
  EXPECT_FALSE(result.err.empty());
  ProgramResult usage = Ctl({"launch"});
  EXPECT_EQ(usage.exit_status, 2);
}

TEST(RunvaneCtlStep, PrintsHowTheInterpreterReadsALine) {
  ProgramResult send = Ctl({"step", "SEND: 0,\"50\",a,b\"c"});
  EXPECT_EQ(send.exit_status, 0) << send.err;
  EXPECT_NE(send.out.find("keyword: SEND\n"), std::string::npos) << send.out;
  EXPECT_NE(send.out.find(": a,b\"c\n"), std::string::npos) << send.out;
  ProgramResult comment = Ctl({"step", "REM: \"note\""});
  EXPECT_EQ(comment.out, "comment\n");
  ProgramResult unknown = Ctl({"step", "Start: x"});
  EXPECT_EQ(unknown.out, "keyword: Start (unknown)\n");
}

}  // namespace
}  // namespace rv
