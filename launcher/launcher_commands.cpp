#include "launcher/launcher_commands.h"

#include "common/task_file_reader.h"

namespace rv {
namespace {

// Everything after the keyword's length, counted from the start of the line.
std::string ArgumentAfter(const std::string& line, const char* keyword) {
  const size_t skip = std::char_traits<char>::length(keyword);
  return line.size() > skip ? line.substr(skip) : std::string();
}

bool Has(const std::string& line, const char* keyword) {
  return line.find(keyword) != std::string::npos;
}

}  // namespace

std::vector<std::string> PlayStepsLines(const std::vector<std::string>& command_lines) {
  std::string whole;
  for (const std::string& line : command_lines)
    whole += line + "\r\n";
  constexpr size_t kSkip = 11;  // "PLAYSTEPS: "
  return SplitTaskFileLines(whole.size() > kSkip ? std::string_view(whole).substr(kSkip)
                                                 : std::string_view());
}

bool SystemExecuteMacro(const std::string& command, LauncherActions& actions) {
  const std::vector<std::string> lines = SplitTaskFileLines(command);
  if (lines.empty()) return true;
  const std::string& first = lines.front();
  if (Has(first, "LAUNCH: ")) actions.LaunchTask(ArgumentAfter(first, "LAUNCH: "));
  if (Has(first, "UPDATE")) actions.ReloadTasks();
  if (Has(first, "KILL: ")) actions.KillTask(ArgumentAfter(first, "KILL: "));
  if (Has(first, "STARTPROCESSING")) actions.SetProcessing(true);
  if (Has(first, "STOPPROCESSING")) actions.SetProcessing(false);
  if (Has(first, "KILLRUNVANE")) actions.KillRunvane();
  if (Has(first, "PLAYSTEPS: ")) actions.PlaySteps(PlayStepsLines(lines));
  return true;
}

}  // namespace rv
