#include "settings/settings_command.h"

#include <gtest/gtest.h>

namespace rv {
namespace {

TEST(SettingsCommand, EveryKeywordOfTheFirstLineActs) {
  const struct {
    const char* text;
    bool task_start;
    std::optional<std::string> message;
    bool update;
    bool shutdown;
  } cases[] = {
      {"TASKSTART: Backup", true, std::nullopt, false, false},
      {"MESSAGE: Done", false, "Done", false, false},
      {"MESSAGE: ", false, "", false, false},
      {"UPDATE", false, std::nullopt, true, false},
      {"SHUTDOWN", false, std::nullopt, false, true},
      {"TASKSTART: UPDATE notes", true, std::nullopt, true, false},
      {"TASKEND: Backup", false, std::nullopt, false, false},
      {"update", false, std::nullopt, false, false},  // keywords are case-sensitive
      {"MESSAGE: first\r\nSHUTDOWN", false, "first", false, false},
      {"\nSHUTDOWN", false, std::nullopt, false, false},
  };
  for (const auto& c : cases) {
    const SettingsCommand command = ParseSettingsCommand(c.text);
    EXPECT_EQ(command.task_start, c.task_start) << c.text;
    EXPECT_EQ(command.message, c.message) << c.text;
    EXPECT_EQ(command.update, c.update) << c.text;
    EXPECT_EQ(command.shutdown, c.shutdown) << c.text;
  }
}

}  // namespace
}  // namespace rv
