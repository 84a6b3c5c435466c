#pragma once

// The commands other programs send the launcher (service "Runvane", topic
// "System"). Each keyword is looked for anywhere in the first line of the
// command, in a fixed order, and every one found is acted on; an argument
// starts right after the keyword's length, counted from the start of the
// line.

#include <string>
#include <vector>

namespace rv {

class LauncherActions {
 public:
  virtual ~LauncherActions() = default;
  // Starts the named task at once, even when inactive; nothing when missing.
  virtual void LaunchTask(const std::string& name) = 0;
  virtual void ReloadTasks() = 0;
  // Asks the named task's run to stop; nothing when none runs.
  virtual void KillTask(const std::string& name) = 0;
  virtual void SetProcessing(bool on) = 0;
  // Logs, tells the task manager and ends the launcher.
  virtual void KillRunvane() = 0;
  // Runs the steps once as the unnamed "Task Interpreter".
  virtual void PlaySteps(const std::vector<std::string>& steps) = 0;
};

// Handles one command text. Returns whether the text was accepted (always:
// a text without any keyword is simply ignored).
bool SystemExecuteMacro(const std::string& command, LauncherActions& actions);

// The steps of a "PLAYSTEPS: " command: the whole text with CR LF after each
// line, split again from its twelfth character on.
std::vector<std::string> PlayStepsLines(const std::vector<std::string>& command_lines);

}  // namespace rv
