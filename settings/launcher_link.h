#pragma once

// The task manager's commands to the launcher (service "Runvane", topic
// "System"), each in a conversation of its own. Only "LAUNCH: " starts the
// launcher when it is not running; the others are sent only to a running
// launcher.
//
// The commands wait for the launcher's receipt, not for its handler: the
// handlers answer with a "MESSAGE: " that waits for this program's main
// thread, which would sit blocked in the send until both waits time out.

#include <string>

#include "platform/dde_client.h"
#include "platform/result.h"

namespace rv {

class LauncherLink {
 public:
  // `launcher_program` is started by a run request when no launcher answers.
  LauncherLink(dde::Client& client, std::string launcher_program);

  bool IsRunning();
  Result<void> Launch(const std::string& task_name);
  // Nothing is sent (and the result is ok) when the launcher is not running.
  Result<void> Kill(const std::string& task_name);
  Result<void> SetProcessing(bool on);

  const std::string& launcher_program() const { return launcher_program_; }

 private:
  Result<void> SendIfRunning(const std::string& text);

  dde::Client& client_;
  std::string launcher_program_;
};

}  // namespace rv
