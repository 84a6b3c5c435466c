#pragma once

// The user's settings for both programs and the change flags through which
// the launcher and the task manager tell each other about changes. Everything
// lives under Software\Brindlo\Runvane in the per-user store.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/result.h"

namespace rv {

class Registry;

enum class ChangeFlag : int {
  RunvaneChange = 0,
  SettingsChange = 1,
  PrefsChanged = 2,
  Processing = 4,
};

const char* ChangeFlagName(ChangeFlag flag);

class RVPreferences;

// The stored preferences by name, as text, for tools: names in the order
// they are saved; flags read and take "0" or "1".
std::vector<std::string> PreferenceNames();
std::optional<std::string> PreferenceText(const RVPreferences& prefs, const std::string& name);
// Fails, saying why, for an unknown name or a value of the wrong kind.
Result<void> SetPreferenceText(RVPreferences& prefs, const std::string& name,
                               const std::string& text);

class RVPreferences {
 public:
  enum class LoadNow { No, Yes };
  // With LoadNow::Yes the store is read; when that reports false the
  // defaults are set again.
  explicit RVPreferences(Registry* store, LoadNow load = LoadNow::Yes);

  void SetDefaults();
  // False when the key did not exist (then the defaults were written). A
  // number or flag that is missing or of the wrong type resets every value to
  // its default, which is saved, and still reports true.
  bool Load();
  // Every value but RunvaneMessage, in one store transaction.
  bool Save();

  bool SetChangeFlag(ChangeFlag flag, bool value);
  bool GetChangeFlag(ChangeFlag flag) const;

  // The data directory, with a trailing slash.
  static std::string ProgramDirectory();

  bool ClearRunningList();
  void ClearFileLock();

  // The running set: one value per task being run, named after the task.
  bool MarkRunning(const std::string& task_name);
  bool UnmarkRunning(const std::string& task_name);
  std::vector<std::string> RunningTasks() const;
  bool IsRunning(const std::string& task_name) const;

  Registry* Store() const { return store_; }

  bool FirstRun;
  std::string SoundToPlay;
  bool ShowPrompt;
  bool AdvanceManual;
  bool PromptForReminders;
  bool ShowTips;
  bool PlaySound;
  int32_t ScanTime;
  std::string TaskFile;
  int32_t SettingsTop, SettingsLeft, SettingsWidth, SettingsHeight;
  bool SettingsOpen;
  bool SettingsMaxed;
  bool ShowToolbar, ShowStatusbar;
  bool ErrorLogOpen;
  int32_t ErrorLogTop, ErrorLogLeft, ErrorLogWidth, ErrorLogHeight;
  bool StatusLogOpen;
  int32_t StatusLogTop, StatusLogLeft, StatusLogWidth, StatusLogHeight;
  int32_t SBTop, SBLeft, SBWidth, SBHeight;
  std::string LogFile;
  int32_t LogThreshold;
  bool LogEvents;
  std::string RunvaneMessage;
  bool WarnNoRunvane;
  bool WarnOnShutdown;
  int32_t Column1, Column2, Column3, Column4, Column5, Column6;

 private:
  Registry* store_;
};

}  // namespace rv
