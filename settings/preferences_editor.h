#pragma once

// What the preferences dialog edits, and its rules, without widgets: the two
// warnings, the start-up task file, the event log (on or off, its file and
// level) and the scan time as an edit and a track bar that follow each
// other. The editor outlives every showing of the dialog, so the level
// selection and the file last chosen with Browse carry over.
//
// Activate fills the fields from the preferences; Accept writes them back,
// saves and tells the launcher. Every change is reported through on_changed
// so the dialog can show it.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "settings/file_dialogs.h"

namespace rv {

class RVPreferences;

struct LogLevel {
  const char* caption;
  int32_t threshold;
};

// The levels in the order the dialog offers them.
inline constexpr std::array<LogLevel, 6> kLogLevels = {{
    {"All Events", 1},
    {"Low", 10},
    {"Medium", 20},
    {"High", 30},
    {"Critical", 90},
    {"Debug", 0},
}};

enum class ScanTextOutcome {
  // Empty text: nothing happens.
  Ignored,
  // The bar stands at the value, clamped to its range.
  Moved,
  // Zero or less: the user is told, the bar stays.
  NotPositive,
  // Not a 32-bit whole number: dropped, the bar stays.
  NotANumber,
};

class PreferencesEditor {
 public:
  static constexpr int kScanMinimum = 1;
  static constexpr int kScanMaximum = 120;

  // The fields as the dialog shows them.
  bool warn_no_runvane = true;
  bool warn_on_shutdown = true;
  std::string task_file;
  bool log_events = true;
  std::string log_file;
  // Index into kLogLevels; none selected is possible only in principle.
  std::optional<int> level = 1;
  std::string scan_text;
  int bar_position = kScanMinimum;

  // Fills the fields from `prefs`. The scan time's text goes through the
  // edit rule first (so a stored value of 0 or less is answered like a typed
  // one), then the bar takes the stored value, clamped.
  ScanTextOutcome Activate(const RVPreferences& prefs);

  // The edit's text changed, typed or set.
  ScanTextOutcome SetScanText(const std::string& text);
  // The user moved the bar: the edit shows the new position.
  void MoveBar(int position);
  // Which typed characters reach the scan-time edit: digits only; control
  // keys (Backspace among them) pass.
  static bool AcceptsScanCharacter(char32_t character);

  void SetLogEvents(bool on);
  // The log file's edit and the level group follow "Log Events".
  bool LogControlsEnabled() const { return log_events; }

  // The Browse buttons. Both share one file dialog that keeps the name last
  // chosen in it: cancelling the task file's Browse still copies that name.
  void BrowseTaskFile(FileDialogs& dialogs);
  void BrowseLogFile(FileDialogs& dialogs);
  const std::string& LastBrowsed() const { return last_browsed_; }
  static FileDialogRequest TaskFileRequest();
  static FileDialogRequest LogFileRequest();

  struct Accepted {
    // To show in this order before the dialog closes.
    std::vector<MessageRequest> notices;
    // For the first panel of the main window's status bar.
    std::string scan_status;
  };
  // OK: writes the fields into `prefs`, saves them and sets "PrefsChanged",
  // whether or not anything changed.
  Accepted Accept(RVPreferences& prefs);

  static MessageRequest NotPositiveMessage();
  static std::string ScanStatusText(int32_t scan_time);

  std::function<void()> on_changed;

 private:
  void Changed() const;

  std::string last_browsed_;
};

}  // namespace rv
