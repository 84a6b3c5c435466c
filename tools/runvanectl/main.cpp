// runvanectl: inspect and drive Runvane from the command line.

#include <iostream>
#include <string>
#include <vector>

#include "tools/runvanectl/command.h"

namespace {

constexpr const char* kHelp = R"(usage: runvanectl COMMAND [ARGUMENTS]

Commands:
  check FILE                 Check that FILE is a task file that loads completely.
                             Prints "FILE: N tasks", or the first error with its line.
  list [--json] FILE         One line per task: name, status, next date, next time,
                             frequency and triggers, separated by tabs.
  reschedule FILE NAME --now "DATE LINE" [--write]
                             Reschedule task NAME as after a run at that moment
                             ("12/11/2026 9:30:0 AM") and print the new launch moment
                             and whether the task stays active. --write saves the
                             result under the task-file lock and tells the launcher
                             and the task manager to reload.
  registry [KEY]             Print the settings store below KEY (default: all of the
                             current user's keys) as "key\value = type:data" lines.
  prefs [NAME=VALUE...]      Show the preferences, or change them (a running
                             launcher picks the change up): prefs ScanTime=5
  registry --set KEY\NAME=integer:N|string:TEXT
                             Write one value into the store.
  step 'LINE'                Show how the launcher reads a step line: its keyword and
                             the values its command takes, in order.
  send [--service S] [--topic T] [--no-wait] [--start PROGRAM] TEXT
                             Send one command to a running program (default: the
                             launcher, service "Runvane", topic "System"). With
                             --start, PROGRAM is started when nothing answers.
  launch NAME                Run the task NAME now, even when it is inactive.
  kill NAME                  Stop the run of task NAME before its next step.
  update                     Make the launcher reload the task file.
  start-processing           Switch the launcher's triggers on.
  stop-processing            Switch them off; tasks still run when launched.
  quit                       End the launcher.
  play STEP...               Run the given step lines once, as a test run.
                             (The last seven take the options of send.)
  register [LIBRARY]         Register the automation server (default: librvole.so
                             beside runvanectl) in the store's classes hive.
  unregister [LIBRARY]       Remove that registration.
  help                       Show this text.

Runvane keeps its files under $RUNVANE_HOME when that is set.
)";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kHelp;
    return 2;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  rv::ctl::Streams io{std::cout, std::cerr};
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kHelp;
    return 0;
  }
  if (command == "check") return rv::ctl::CheckCommand(args, io);
  if (command == "list") return rv::ctl::ListCommand(args, io);
  if (command == "reschedule") return rv::ctl::RescheduleCommand(args, io);
  if (command == "registry") return rv::ctl::RegistryCommand(args, io);
  if (command == "send") return rv::ctl::SendCommand(args, io);
  if (command == "prefs") return rv::ctl::PrefsCommand(args, io);
  if (command == "step") return rv::ctl::StepCommand(args, io);
  if (command == "register" || command == "unregister") {
    return rv::ctl::ServerCommand(command, args, io);
  }
  for (const char* shorthand :
       {"launch", "kill", "update", "start-processing", "stop-processing", "quit", "play"}) {
    if (command == shorthand) return rv::ctl::LauncherShorthand(command, args, io);
  }
  std::cerr << "runvanectl: unknown command \"" << command << "\" (see runvanectl --help)\n";
  return 2;
}
