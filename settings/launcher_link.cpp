#include "settings/launcher_link.h"

#include <utility>

namespace rv {
namespace {
constexpr const char* kService = "Runvane";
constexpr const char* kTopic = "System";
}  // namespace

LauncherLink::LauncherLink(dde::Client& client, std::string launcher_program)
    : client_(client), launcher_program_(std::move(launcher_program)) {}

bool LauncherLink::IsRunning() {
  return client_.IsServiceRunning(kService, kTopic);
}

Result<void> LauncherLink::Launch(const std::string& task_name) {
  return client_.Execute(
      dde::Command{kService, kTopic, "LAUNCH: " + task_name, dde::Wait::No, launcher_program_});
}

Result<void> LauncherLink::Kill(const std::string& task_name) {
  return SendIfRunning("KILL: " + task_name);
}

Result<void> LauncherLink::SetProcessing(bool on) {
  return SendIfRunning(on ? "STARTPROCESSING" : "STOPPROCESSING");
}

Result<void> LauncherLink::SendIfRunning(const std::string& text) {
  if (!IsRunning()) return {};
  return client_.Execute(kService, kTopic, text, dde::Wait::No);
}

}  // namespace rv
