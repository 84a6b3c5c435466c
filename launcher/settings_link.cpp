#include "launcher/settings_link.h"

namespace rv {

bool SettingsLink::SettingsRunning() {
  return client_.IsServiceRunning(kSettingsService, kSystemTopic);
}

bool SettingsLink::Notify(const std::string& text, bool wait) {
  if (!SettingsRunning()) return false;
  return client_
      .Execute(kSettingsService, kSystemTopic, text, wait ? dde::Wait::Yes : dde::Wait::No)
      .ok();
}

bool SettingsLink::SendMessageToSettings(const std::string& text) {
  return Notify("MESSAGE: (" + FormatDateTime(clock_.Now()) + "): " + text, true);
}

}  // namespace rv
