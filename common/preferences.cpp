#include "common/preferences.h"

#include <strings.h>

#include <variant>

#include "common/store_keys.h"
#include "common/whole_number.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace rv {
namespace {

using BoolMember = bool RVPreferences::*;
using IntMember = int32_t RVPreferences::*;
using TextMember = std::string RVPreferences::*;

// One row per stored value, in the order Save writes them.
struct Setting {
  const char* name;
  std::variant<BoolMember, IntMember, TextMember> member;
  std::variant<bool, int32_t, const char*> fallback;  // text defaults are set in SetDefaults
};

using P = RVPreferences;
const Setting kSettings[] = {
    {"FirstRun", &P::FirstRun, true},
    {"SoundToPlay", &P::SoundToPlay, ""},
    {"ShowPrompt", &P::ShowPrompt, true},
    {"AdvanceManual", &P::AdvanceManual, false},
    {"PromptForReminders", &P::PromptForReminders, true},
    {"ShowTips", &P::ShowTips, false},
    {"PlaySound", &P::PlaySound, false},
    {"ScanTime", &P::ScanTime, 1},
    {"TaskFile", &P::TaskFile, "TASKS.RVD"},
    {"SettingsTop", &P::SettingsTop, -1},
    {"SettingsLeft", &P::SettingsLeft, -1},
    {"SettingsWidth", &P::SettingsWidth, 642},
    {"SettingsHeight", &P::SettingsHeight, 390},
    {"SettingsOpen", &P::SettingsOpen, false},
    {"SettingsMaxed", &P::SettingsMaxed, false},
    {"ShowToolbar", &P::ShowToolbar, true},
    {"ShowStatusbar", &P::ShowStatusbar, true},
    {"ErrorLogOpen", &P::ErrorLogOpen, false},
    {"ErrorLogTop", &P::ErrorLogTop, 0},
    {"ErrorLogLeft", &P::ErrorLogLeft, 0},
    {"ErrorLogWidth", &P::ErrorLogWidth, 200},
    {"ErrorLogHeight", &P::ErrorLogHeight, 200},
    {"StatusLogOpen", &P::StatusLogOpen, false},
    {"StatusLogTop", &P::StatusLogTop, 0},
    {"StatusLogLeft", &P::StatusLogLeft, 0},
    {"StatusLogWidth", &P::StatusLogWidth, 321},
    {"StatusLogHeight", &P::StatusLogHeight, 185},
    {"SBTop", &P::SBTop, 142},
    {"SBLeft", &P::SBLeft, 203},
    {"SBWidth", &P::SBWidth, 482},
    {"SBHeight", &P::SBHeight, 327},
    {"LogFile", &P::LogFile, "RUNVANE.LOG"},
    {"LogThreshold", &P::LogThreshold, 1},
    {"LogEvents", &P::LogEvents, true},
    {"RunvaneMessage", &P::RunvaneMessage, ""},
    {"WarnNoRunvane", &P::WarnNoRunvane, true},
    {"WarnOnShutdown", &P::WarnOnShutdown, true},
    {"Column1", &P::Column1, 165},
    {"Column2", &P::Column2, 80},
    {"Column3", &P::Column3, 80},
    {"Column4", &P::Column4, 70},
    {"Column5", &P::Column5, 100},
    {"Column6", &P::Column6, 60},
};

// Load reads the status-log height before its width.
const char* const kLoadOrder[] = {
    "FirstRun",        "SoundToPlay",    "ShowPrompt",     "AdvanceManual", "PromptForReminders",
    "ShowTips",        "PlaySound",      "ScanTime",       "TaskFile",      "SettingsTop",
    "SettingsLeft",    "SettingsWidth",  "SettingsHeight", "SettingsOpen",  "SettingsMaxed",
    "ShowToolbar",     "ShowStatusbar",  "ErrorLogOpen",   "ErrorLogTop",   "ErrorLogLeft",
    "ErrorLogWidth",   "ErrorLogHeight", "StatusLogOpen",  "StatusLogTop",  "StatusLogLeft",
    "StatusLogHeight", "StatusLogWidth", "SBTop",          "SBLeft",        "SBWidth",
    "SBHeight",        "LogFile",        "LogThreshold",   "LogEvents",     "RunvaneMessage",
    "WarnNoRunvane",   "WarnOnShutdown", "Column1",        "Column2",       "Column3",
    "Column4",         "Column5",        "Column6",
};

const Setting* FindSetting(const char* name) {
  for (const Setting& setting : kSettings) {
    if (strcasecmp(setting.name, name) == 0) return &setting;
  }
  return nullptr;
}

constexpr Hive kHive = Hive::CurrentUser;

}  // namespace

std::vector<std::string> PreferenceNames() {
  std::vector<std::string> names;
  for (const Setting& setting : kSettings)
    names.emplace_back(setting.name);
  return names;
}

std::optional<std::string> PreferenceText(const RVPreferences& prefs, const std::string& name) {
  const Setting* setting = FindSetting(name.c_str());
  if (setting == nullptr) return std::nullopt;
  if (auto* member = std::get_if<BoolMember>(&setting->member)) return prefs.*(*member) ? "1" : "0";
  if (auto* member = std::get_if<IntMember>(&setting->member)) {
    return std::to_string(prefs.*(*member));
  }
  return prefs.*std::get<TextMember>(setting->member);
}

Result<void> SetPreferenceText(RVPreferences& prefs, const std::string& name,
                               const std::string& text) {
  const Setting* setting = FindSetting(name.c_str());
  if (setting == nullptr) return MakeError("there is no preference named \"" + name + "\"");
  if (auto* member = std::get_if<TextMember>(&setting->member)) {
    prefs.*(*member) = text;
    return {};
  }
  Result<int32_t> number = ParseWholeNumber(text);
  if (!number) return MakeError(name + " takes a whole number, not \"" + text + "\"");
  if (auto* member = std::get_if<BoolMember>(&setting->member)) {
    if (*number != 0 && *number != 1)
      return MakeError(name + " takes 0 or 1, not \"" + text + "\"");
    prefs.*(*member) = *number != 0;
  } else {
    prefs.*std::get<IntMember>(setting->member) = *number;
  }
  return {};
}

const char* ChangeFlagName(ChangeFlag flag) {
  switch (flag) {
    case ChangeFlag::RunvaneChange:
      return "RunvaneChange";
    case ChangeFlag::SettingsChange:
      return "SettingsChange";
    case ChangeFlag::PrefsChanged:
      return "PrefsChanged";
    case ChangeFlag::Processing:
      return "Processing";
  }
  return "";
}

RVPreferences::RVPreferences(Registry* store, LoadNow load) : store_(store) {
  SetDefaults();
  if (load == LoadNow::Yes && !Load()) SetDefaults();
}

std::string RVPreferences::ProgramDirectory() {
  return paths::DataDirectory();
}

void RVPreferences::SetDefaults() {
  for (const Setting& setting : kSettings) {
    if (auto* member = std::get_if<BoolMember>(&setting.member)) {
      this->*(*member) = std::get<bool>(setting.fallback);
    } else if (auto* member = std::get_if<IntMember>(&setting.member)) {
      this->*(*member) = std::get<int32_t>(setting.fallback);
    } else {
      this->*std::get<TextMember>(setting.member) = std::get<const char*>(setting.fallback);
    }
  }
  TaskFile = ProgramDirectory() + "TASKS.RVD";
  LogFile = ProgramDirectory() + "RUNVANE.LOG";
}

bool RVPreferences::Load() {
  if (store_ == nullptr) return false;
  // The store starts empty; "Software" is always present in the hive the
  // programs know, so it is made here rather than treated as a failure.
  if (!store_->OpenKey(kHive, "Software", CreateKey::Yes)) return false;
  if (!store_->KeyExists(kHive, "Software\\Brindlo") ||
      !store_->KeyExists(kHive, store_keys::kRunvane)) {
    Save();
    return false;
  }
  for (const char* name : kLoadOrder) {
    const Setting& setting = *FindSetting(name);
    bool failed = false;
    if (auto* member = std::get_if<TextMember>(&setting.member)) {
      if (store_->ValueExists(kHive, store_keys::kRunvane, name)) {
        Result<std::string> text = store_->ReadString(kHive, store_keys::kRunvane, name);
        if (text) {
          this->*(*member) = *text;
        } else {
          failed = true;
        }
      } else {
        this->*(*member) = "";
      }
    } else {
      Result<int32_t> number = store_->ReadInteger(kHive, store_keys::kRunvane, name);
      if (!number) {
        failed = true;
      } else if (auto* flag = std::get_if<BoolMember>(&setting.member)) {
        this->*(*flag) = *number != 0;
      } else {
        this->*std::get<IntMember>(setting.member) = *number;
      }
    }
    if (failed) {
      SetDefaults();
      Save();
      return true;
    }
  }
  if (LogFile.empty()) LogFile = ProgramDirectory() + "RUNVANE.LOG";
  return true;
}

bool RVPreferences::Save() {
  if (store_ == nullptr) return false;
  Result<void> saved = store_->Transaction([&]() -> Result<void> {
    if (Result<void> key = store_->OpenKey(kHive, store_keys::kRunvane, CreateKey::Yes); !key) {
      return key;
    }
    for (const Setting& setting : kSettings) {
      if (std::string_view(setting.name) == "RunvaneMessage") continue;
      Result<void> written;
      if (auto* member = std::get_if<BoolMember>(&setting.member)) {
        written = store_->WriteInteger(kHive, store_keys::kRunvane, setting.name,
                                       this->*(*member) ? 1 : 0);
      } else if (auto* member = std::get_if<IntMember>(&setting.member)) {
        written = store_->WriteInteger(kHive, store_keys::kRunvane, setting.name, this->*(*member));
      } else {
        written = store_->WriteString(kHive, store_keys::kRunvane, setting.name,
                                      this->*std::get<TextMember>(setting.member));
      }
      if (!written) return written;
    }
    return {};
  });
  return saved.ok();
}

bool RVPreferences::SetChangeFlag(ChangeFlag flag, bool value) {
  if (store_ == nullptr) return false;
  return store_->WriteInteger(kHive, store_keys::kRunvane, ChangeFlagName(flag), value ? 1 : 0)
      .ok();
}

bool RVPreferences::GetChangeFlag(ChangeFlag flag) const {
  const bool fallback = flag == ChangeFlag::Processing;
  if (store_ == nullptr) return fallback;
  Result<int32_t> value = store_->ReadInteger(kHive, store_keys::kRunvane, ChangeFlagName(flag));
  return value ? *value != 0 : fallback;
}

bool RVPreferences::ClearRunningList() {
  if (store_ == nullptr) return false;
  if (!store_->KeyExists(kHive, store_keys::kRunning)) return true;
  return store_->DeleteKey(kHive, store_keys::kRunning).ok();
}

void RVPreferences::ClearFileLock() {
  if (store_ == nullptr) return;
  (void)store_->WriteInteger(kHive, store_keys::kIpc, store_keys::kFileLocked, 0);
}

bool RVPreferences::MarkRunning(const std::string& task_name) {
  if (store_ == nullptr) return false;
  return store_->WriteInteger(kHive, store_keys::kRunning, task_name, 1).ok();
}

bool RVPreferences::UnmarkRunning(const std::string& task_name) {
  if (store_ == nullptr) return false;
  return store_->DeleteValue(kHive, store_keys::kRunning, task_name).ok();
}

std::vector<std::string> RVPreferences::RunningTasks() const {
  if (store_ == nullptr || !store_->KeyExists(kHive, store_keys::kRunning)) return {};
  Result<std::vector<std::string>> names = store_->ValueNames(kHive, store_keys::kRunning);
  return names ? *names : std::vector<std::string>{};
}

bool RVPreferences::IsRunning(const std::string& task_name) const {
  return store_ != nullptr && store_->ValueExists(kHive, store_keys::kRunning, task_name);
}

}  // namespace rv
