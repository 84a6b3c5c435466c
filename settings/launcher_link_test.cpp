#include "settings/launcher_link.h"

#include <gtest/gtest.h>

#include "platform/fake_dde_client.h"

namespace rv {
namespace {

TEST(LauncherLink, OnlyRunStartsTheLauncher) {
  dde::FakeClient client;
  LauncherLink link(client, "/opt/runvane/runvane");
  EXPECT_FALSE(link.IsRunning());
  EXPECT_TRUE(link.Kill("Backup"));
  EXPECT_TRUE(link.SetProcessing(false));
  EXPECT_TRUE(client.commands().empty());

  ASSERT_TRUE(link.Launch("Backup"));
  EXPECT_EQ(client.started_programs(), std::vector<std::string>{"/opt/runvane/runvane"});
  ASSERT_EQ(client.commands().size(), 1u);
  EXPECT_EQ(client.commands()[0].text, "LAUNCH: Backup");
  EXPECT_EQ(client.commands()[0].wait, dde::Wait::No);
}

TEST(LauncherLink, RunningLauncherGetsStopAndProcessingCommands) {
  dde::FakeClient client;
  client.SetRunning("Runvane", "System", true);
  LauncherLink link(client, "runvane");
  EXPECT_TRUE(link.IsRunning());
  ASSERT_TRUE(link.Kill("Backup"));
  ASSERT_TRUE(link.SetProcessing(true));
  ASSERT_TRUE(link.SetProcessing(false));
  std::vector<std::string> texts;
  for (const dde::Command& command : client.commands()) {
    EXPECT_EQ(command.service, "Runvane");
    EXPECT_EQ(command.topic, "System");
    // The launcher's answer comes back to this thread; see launcher_link.h.
    EXPECT_EQ(command.wait, dde::Wait::No);
    texts.push_back(command.text);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"KILL: Backup", "STARTPROCESSING", "STOPPROCESSING"}));
}

}  // namespace
}  // namespace rv
