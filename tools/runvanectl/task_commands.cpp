#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "common/clock.h"
#include "common/date_line.h"
#include "common/date_time.h"
#include "common/preferences.h"
#include "common/task_list.h"
#include "platform/registry.h"
#include "tools/runvanectl/command.h"
#include "tools/runvanectl/json.h"

namespace rv::ctl {
namespace {

// Checks that `path` is a task file and loads it whole; on failure prints
// the reason and returns false.
bool LoadWhole(RVTaskList& list, const std::string& path, Streams io) {
  if (!RVTaskList::IsValidTaskFile(path)) {
    if (::access(path.c_str(), R_OK) != 0) {
      io.err << path << ": cannot open: " << std::strerror(errno) << "\n";
    } else {
      io.err << path << ": not a task file\n";
    }
    return false;
  }
  list.FileName = path;
  if (Result<void> loaded = list.LoadFromFile(); !loaded) {
    io.err << loaded.error() << "\n";
    return false;
  }
  return true;
}

std::string StatusOf(const RVTask& task, const std::vector<std::string>& running) {
  for (const std::string& name : running) {
    // The running set's names ignore letter case, as every store name does.
    if (name.size() == task.TaskName.size() &&
        std::equal(name.begin(), name.end(), task.TaskName.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) ==
                 std::tolower(static_cast<unsigned char>(b));
        })) {
      return "Running";
    }
  }
  if (task.Holding) return "Holding";
  return task.Active ? "Active" : "Inactive";
}

std::string TriggerNames(int32_t bits) {
  static constexpr struct {
    int32_t bit;
    const char* name;
  } kNames[] = {{TriggerBits::Scheduled, "Scheduled"},
                {TriggerBits::WindowsEvents, "Windows Events"},
                {TriggerBits::WindowAppears, "Window Appears"},
                {TriggerBits::Hotkey, "Hotkey"}};
  std::string text;
  for (const auto& entry : kNames) {
    if ((bits & entry.bit) == 0) continue;
    if (!text.empty()) text += ", ";
    text += entry.name;
  }
  return text.empty() ? "NONE" : text;
}

// The store is optional for reading: without it nothing counts as running.
std::unique_ptr<Registry> OpenStore(Streams io, bool required) {
  Result<std::unique_ptr<Registry>> store = Registry::OpenDefault();
  if (!store) {
    if (required) io.err << "runvanectl: " << store.error() << "\n";
    return nullptr;
  }
  return std::move(*store);
}

}  // namespace

int CheckCommand(const Arguments& args, Streams io) {
  if (args.size() != 1) {
    io.err << "usage: runvanectl check FILE\n";
    return 2;
  }
  RVTaskList list;
  if (!LoadWhole(list, args[0], io)) return 1;
  io.out << args[0] << ": " << list.Count() << " tasks\n";
  return 0;
}

int ListCommand(const Arguments& args, Streams io) {
  bool json = false;
  std::optional<std::string> file;
  for (const std::string& arg : args) {
    if (arg == "--json") {
      json = true;
    } else if (!file && (arg.empty() || arg[0] != '-')) {
      file = arg;
    } else {
      io.err << "usage: runvanectl list [--json] FILE\n";
      return 2;
    }
  }
  if (!file) {
    io.err << "usage: runvanectl list [--json] FILE\n";
    return 2;
  }
  RVTaskList list;
  if (!LoadWhole(list, *file, io)) return 1;
  std::unique_ptr<Registry> store = OpenStore(io, false);
  RVPreferences prefs(store.get(), RVPreferences::LoadNow::No);
  const std::vector<std::string> running = prefs.RunningTasks();

  if (json) io.out << "[";
  for (int32_t i = 0; i < list.Count(); ++i) {
    const RVTask& task = *list.Item(i);
    const std::string status = StatusOf(task, running);
    const std::string date = FormatShortDate(task.LaunchDateTime);
    const std::string time = FormatLongTime(task.LaunchDateTime);
    const std::string frequency = task.FrequencyString();
    const std::string triggers = TriggerNames(task.TaskTriggers);
    if (json) {
      io.out << (i == 0 ? "\n  " : ",\n  ") << "{\"name\": " << JsonString(task.TaskName)
             << ", \"status\": " << JsonString(status) << ", \"date\": " << JsonString(date)
             << ", \"time\": " << JsonString(time) << ", \"frequency\": " << JsonString(frequency)
             << ", \"triggers\": " << JsonString(triggers) << "}";
    } else {
      io.out << task.TaskName << '\t' << status << '\t' << date << '\t' << time << '\t' << frequency
             << '\t' << triggers << '\n';
    }
  }
  if (json) io.out << (list.Count() == 0 ? "]\n" : "\n]\n");
  return 0;
}

int RescheduleCommand(const Arguments& args, Streams io) {
  const char* usage = "usage: runvanectl reschedule FILE NAME --now \"DATE LINE\" [--write]\n";
  std::vector<std::string> positional;
  std::optional<std::string> now_text;
  bool write = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--now" && i + 1 < args.size()) {
      now_text = args[++i];
    } else if (args[i] == "--write") {
      write = true;
    } else if (args[i].rfind("--", 0) == 0) {
      io.err << usage;
      return 2;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2 || !now_text) {
    io.err << usage;
    return 2;
  }
  const std::string& file = positional[0];
  const std::string& name = positional[1];
  Result<TDateTime> now = ParseDateLine(*now_text);
  if (!now) {
    io.err << "runvanectl: --now: " << now.error() << "\n";
    return 2;
  }
  const ManualClock clock(*now);

  std::unique_ptr<Registry> store;
  if (write) {
    store = OpenStore(io, true);
    if (!store) return 1;
  }
  RVTaskList list("", store.get(), clock);
  if (!LoadWhole(list, file, io)) return 1;
  if (write && list.LockFile(1) != 1) {
    io.err << "runvanectl: cannot lock " << file << ": " << list.LastError() << "\n";
    return 1;
  }
  auto fail = [&](const std::string& message) {
    if (write) list.UnlockFile();
    io.err << "runvanectl: " << message << "\n";
    return 1;
  };
  std::shared_ptr<RVTask> task = list.FindByName(name);
  if (!task) return fail("no task named \"" + name + "\" in " + file);
  task->ApplyRescheduleRule(clock);
  if (write) {
    if (Result<void> saved = list.SaveToFile(); !saved) return fail(saved.error());
    RVPreferences prefs(store.get(), RVPreferences::LoadNow::No);
    prefs.SetChangeFlag(ChangeFlag::SettingsChange, true);
    prefs.SetChangeFlag(ChangeFlag::RunvaneChange, true);
    list.UnlockFile();
  }
  io.out << FormatDateLine(task->LaunchDateTime) << "\n"
         << (task->Active ? "Active" : "Inactive") << "\n";
  return 0;
}

}  // namespace rv::ctl
