#include "platform/linux_session.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/detached_process.h"
#include "platform/linux_shell.h"

namespace rv {
namespace {

Result<void> Request(const std::string& name, std::vector<std::string> arguments) {
  const std::string program = FindInPath(name);
  if (program.empty()) return MakeError("\"" + name + "\" was not found in PATH");
  arguments.insert(arguments.begin(), name);
  Result<int> started = StartDetached(DetachedStart{program, arguments, "/", true});
  if (!started) return MakeError(started.error());
  return {};
}

}  // namespace

// Applications that hold an inhibitor lock would otherwise hold the restart
// up; ignoring them is the forced close. Units are still stopped cleanly.
Result<void> LinuxSession::Reboot() {
  return Request("systemctl", {"reboot", "--ignore-inhibitors"});
}

Result<void> LinuxSession::PowerOff() {
  return Request("systemctl", {"poweroff", "--ignore-inhibitors"});
}

Result<void> LinuxSession::LogOff() {
  // Without a session id of its own, loginctl ends the caller's session.
  const char* id = std::getenv("XDG_SESSION_ID");
  if (id != nullptr && *id != '\0') return Request("loginctl", {"terminate-session", id});
  return Request("loginctl", {"terminate-session"});
}

}  // namespace rv
