#pragma once

// The launcher's messages to the task manager (service "Settings", topic
// "System"). Nothing is sent when the task manager is not running.

#include <string>

#include "common/clock.h"
#include "platform/dde_client.h"

namespace rv {

inline constexpr const char* kSettingsService = "Settings";
inline constexpr const char* kLauncherService = "Runvane";
inline constexpr const char* kSystemTopic = "System";

class SettingsLink {
 public:
  SettingsLink(dde::Client& client, const Clock& clock) : client_(client), clock_(clock) {}

  bool SettingsRunning();
  // Sends `text` as it is; true when it was delivered.
  bool Notify(const std::string& text, bool wait);
  // "MESSAGE: (" + date and time + "): " + text, waiting.
  bool SendMessageToSettings(const std::string& text);

 private:
  dde::Client& client_;
  const Clock& clock_;
};

}  // namespace rv
