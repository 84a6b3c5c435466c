#include "settings/preferences_editor.h"

#include <algorithm>
#include <charconv>

#include "common/preferences.h"

namespace rv {
namespace {

// A whole number as the edit holds it: leading blanks, a sign, digits,
// nothing after them, within 32 bits.
std::optional<int32_t> ToInteger(const std::string& text) {
  size_t at = text.find_first_not_of(' ');
  if (at == std::string::npos) return std::nullopt;
  if (text[at] == '+') {
    ++at;
    if (at < text.size() && text[at] == '-') return std::nullopt;
  }
  if (at >= text.size()) return std::nullopt;
  int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data() + at, end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// The log file the launcher uses when none is named; the same name the
// preferences fall back to, so an empty field means the same file on a
// file system that tells case apart.
std::string DefaultLogFile() {
  return RVPreferences::ProgramDirectory() + "RUNVANE.LOG";
}

}  // namespace

ScanTextOutcome PreferencesEditor::Activate(const RVPreferences& prefs) {
  const ScanTextOutcome outcome = SetScanText(std::to_string(prefs.ScanTime));
  bar_position = std::clamp<int32_t>(prefs.ScanTime, kScanMinimum, kScanMaximum);
  task_file = prefs.TaskFile;
  log_events = prefs.LogEvents;
  log_file = prefs.LogFile;
  warn_no_runvane = prefs.WarnNoRunvane;
  warn_on_shutdown = prefs.WarnOnShutdown;
  for (int index = 0; index < static_cast<int>(kLogLevels.size()); ++index) {
    if (kLogLevels[index].threshold == prefs.LogThreshold) level = index;
  }
  Changed();
  return outcome;
}

ScanTextOutcome PreferencesEditor::SetScanText(const std::string& text) {
  scan_text = text;
  ScanTextOutcome outcome = ScanTextOutcome::Ignored;
  if (!text.empty()) {
    const std::optional<int32_t> value = ToInteger(text);
    if (!value) {
      outcome = ScanTextOutcome::NotANumber;
    } else if (*value <= 0) {
      outcome = ScanTextOutcome::NotPositive;
    } else {
      bar_position = std::clamp<int32_t>(*value, kScanMinimum, kScanMaximum);
      outcome = ScanTextOutcome::Moved;
    }
  }
  Changed();
  return outcome;
}

void PreferencesEditor::MoveBar(int position) {
  bar_position = std::clamp(position, kScanMinimum, kScanMaximum);
  scan_text = std::to_string(bar_position);
  Changed();
}

bool PreferencesEditor::AcceptsScanCharacter(char32_t character) {
  if (character < 0x20 || character == 0x7f) return true;
  return character >= '0' && character <= '9';
}

void PreferencesEditor::SetLogEvents(bool on) {
  log_events = on;
  Changed();
}

FileDialogRequest PreferencesEditor::TaskFileRequest() {
  FileDialogRequest request{"Task File", "Runvane Taskfile (*.rvd);;All files (*)", "rvd", false,
                            false};
  request.confirm_create = true;
  return request;
}

FileDialogRequest PreferencesEditor::LogFileRequest() {
  FileDialogRequest request{"Log File", "Log File (*.log);;All files (*)", "log", false, false};
  request.confirm_create = true;
  return request;
}

void PreferencesEditor::BrowseTaskFile(FileDialogs& dialogs) {
  FileDialogRequest request = TaskFileRequest();
  request.initial_file = last_browsed_;
  if (std::optional<std::string> chosen = dialogs.Open(request)) last_browsed_ = *chosen;
  if (!last_browsed_.empty()) task_file = last_browsed_;
  Changed();
}

void PreferencesEditor::BrowseLogFile(FileDialogs& dialogs) {
  FileDialogRequest request = LogFileRequest();
  request.initial_file = last_browsed_;
  std::optional<std::string> chosen = dialogs.Open(request);
  if (!chosen) return;
  last_browsed_ = *chosen;
  log_file = *chosen;
  Changed();
}

PreferencesEditor::Accepted PreferencesEditor::Accept(RVPreferences& prefs) {
  Accepted accepted;
  if (log_events && log_file.empty()) {
    accepted.notices.push_back(MessageRequest{
        "No log file has been entered.  Runvane will default to the previously used log file.",
        "Using default log file.",
        MessageIcon::Warning,
        {},
        {},
        false});
    log_file = DefaultLogFile();
  }
  if (log_events != prefs.LogEvents || log_file != prefs.LogFile) {
    accepted.notices.push_back(
        MessageRequest{"Logging changes will take effect next time "
                       "Runvane is started.",
                       "Log change",
                       MessageIcon::Information,
                       {},
                       {},
                       false});
  }

  // Stored only, and reset by every OK.
  prefs.ShowPrompt = false;
  prefs.AdvanceManual = false;
  prefs.PromptForReminders = false;
  prefs.ShowTips = false;
  prefs.PlaySound = false;
  prefs.SoundToPlay = "0";
  // The bar, not the edit: typing 500 saves 120, typing 0 keeps the bar.
  prefs.ScanTime = bar_position;
  prefs.LogEvents = log_events;
  prefs.LogFile = log_file;
  prefs.WarnNoRunvane = warn_no_runvane;
  prefs.WarnOnShutdown = warn_on_shutdown;
  if (level) prefs.LogThreshold = kLogLevels.at(*level).threshold;
  if (!task_file.empty()) prefs.TaskFile = task_file;

  // A store that cannot be written is not reported; the values stay in
  // the main window's object and are written again when it closes.
  prefs.Save();
  prefs.SetChangeFlag(ChangeFlag::PrefsChanged, true);
  accepted.scan_status = ScanStatusText(prefs.ScanTime);
  Changed();
  return accepted;
}

MessageRequest PreferencesEditor::NotPositiveMessage() {
  return MessageRequest{"This value must be greater than zero.",
                        "Invalid Entry",
                        MessageIcon::Warning,
                        {},
                        {},
                        false};
}

std::string PreferencesEditor::ScanStatusText(int32_t scan_time) {
  return "Scan: Every " + std::to_string(scan_time) + " seconds";
}

void PreferencesEditor::Changed() const {
  if (on_changed) on_changed();
}

}  // namespace rv
