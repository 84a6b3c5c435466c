// The task manager with a 1,000-task file:
//
// 1. FillTaskList with clear (the rows built from scratch and sorted by name
//    with the exchange sort), against two parts of it measured in the same
//    run: the exchange sort alone on a scrambled order, and a library sort of
//    the same names (the floor a sort could reach). Goal: the fill under
//    50 ms.
// 2. The settings program from its spawn to its main window shown (the line
//    --startup-time prints once the window is up), with the 1,000-task file
//    and with an empty one (the floor), each in a fresh home on Qt's
//    offscreen platform. Goal: under 500 ms.
//
// usage: settings_bench [SETTINGS_PROGRAM [RUNS]]

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/median.h"
#include "common/date_time.h"
#include "common/preferences.h"
#include "common/task_list.h"
#include "platform/registry.h"
#include "settings/keyboard_layout.h"
#include "settings/task_list_view_model.h"

extern char** environ;

namespace {

constexpr int kTasks = 1000;
constexpr double kFillGoalMs = 50.0;
constexpr double kStartGoalMs = 500.0;

using rv::bench::MedianMs;

// Names in a scrambled order, a third with a hotkey, most scheduled.
void Fill(rv::RVTaskList& list, int count) {
  std::vector<int> numbers(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    numbers[static_cast<size_t>(i)] = i;
  std::shuffle(numbers.begin(), numbers.end(), std::mt19937(7));
  const char* hotkeys[] = {"%^a", "+^b", "^{F5}", ""};
  for (int i : numbers) {
    auto task = list.Add();
    task->TaskName = (i % 2 ? "Nightly report " : "backup ") + std::to_string(i);
    task->LaunchDateTime = rv::EncodeDate(2026, 12, 1 + i % 28) + (i % 1440) / 1440.0;
    task->Frequency = 1 + i % 4;
    task->Interval = 1 + i % 30;
    task->Active = i % 3 != 0;
    task->Hotkey = hotkeys[i % 4];
    task->TaskTriggers =
        (i % 4 == 3 ? 0 : rv::TriggerBits::Hotkey) | (i % 5 == 0 ? 0 : rv::TriggerBits::Scheduled);
    task->Steps = {"PAUSE: 5 seconds"};
    task->StepCount = 1;
  }
}

std::string MakeHome() {
  char pattern[] = "/tmp/rv-settings-bench-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  if (made == nullptr) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  const std::string home = std::string(made) + "/";
  ::mkdir((home + "data").c_str(), 0700);
  return home;
}

void FillBench(int runs) {
  const std::string home = MakeHome();
  std::unique_ptr<rv::Registry> store = std::move(*rv::Registry::Open(home + "registry.db"));
  rv::RVPreferences prefs(store.get());
  rv::RVTaskList tasks(home + "data/TASKS.RVD", store.get());
  Fill(tasks, kTasks);
  rv::UsKeyboardLayout layout;
  rv::TaskListViewModel view(tasks, prefs, layout);

  const double fill =
      MedianMs(runs, [&] { view.FillTaskList(rv::ClearRows::Yes, rv::ForceFill::Yes); });
  // Scrambled by hotkey first, then sorted by name as the fill does.
  const double sort = MedianMs(runs,
                               [&] {
                                 view.SortTaskList(rv::SortMode::Hotkey, rv::InvertDirection::No);
                                 view.SortTaskList(rv::SortMode::TaskName, rv::InvertDirection::No);
                               }) /
                      2;
  std::vector<std::string> names;
  for (const rv::TaskRow& row : view.Rows())
    names.push_back(row.caption);
  std::shuffle(names.begin(), names.end(), std::mt19937(11));
  const double floor = MedianMs(runs, [&] {
    std::vector<std::string> copy = names;
    std::stable_sort(copy.begin(), copy.end());
  });

  std::printf("FillTaskList with clear, %d tasks: %.2f ms (goal < %.0f ms: %s)\n", kTasks, fill,
              kFillGoalMs, fill < kFillGoalMs ? "met" : "MISSED");
  std::printf("  exchange sort by name alone:   %.2f ms (%.0f%% of the fill)\n", sort,
              100.0 * sort / fill);
  std::printf("  library sort of the names:     %.3f ms (exchange sort / library sort: %.0fx)\n",
              floor, sort / floor);
  std::filesystem::remove_all(home);
}

// Spawn to the "shown" line; the program's own figure (from its main) too.
struct Start {
  double wall_ms;
  double reported_ms;
};

Start StartOnce(const std::string& program, int tasks) {
  const std::string home = MakeHome();
  {
    std::unique_ptr<rv::Registry> store = std::move(*rv::Registry::Open(home + "registry.db"));
    rv::RVPreferences prefs(store.get());
    prefs.TaskFile = home + "data/TASKS.RVD";
    prefs.WarnNoRunvane = false;
    prefs.Save();
    rv::RVTaskList list(prefs.TaskFile, store.get());
    Fill(list, tasks);
    if (!list.SaveToFile()) std::exit(1);
  }
  int out[2];
  if (::pipe(out) != 0) std::exit(1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> env_text = {"RUNVANE_HOME=" + home, "QT_QPA_PLATFORM=offscreen"};
  if (const char* path = std::getenv("PATH")) env_text.push_back(std::string("PATH=") + path);
  std::vector<char*> env;
  for (std::string& entry : env_text)
    env.push_back(entry.data());
  env.push_back(nullptr);
  std::string program_arg = program;
  std::string option = "--startup-time";
  char* args[] = {program_arg.data(), option.data(), nullptr};

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, args, env.data()) != 0) {
    std::perror(program.c_str());
    std::exit(1);
  }
  ::close(out[1]);
  std::string line;
  char c = 0;
  while (::read(out[0], &c, 1) == 1 && c != '\n')
    line += c;
  const auto shown = std::chrono::steady_clock::now();
  ::close(out[0]);
  ::waitpid(pid, nullptr, 0);
  posix_spawn_file_actions_destroy(&actions);
  std::filesystem::remove_all(home);
  if (line.empty()) {
    std::fprintf(stderr, "%s printed no start-up time\n", program.c_str());
    std::exit(1);
  }
  return {std::chrono::duration<double, std::milli>(shown - start).count(),
          std::atof(line.c_str())};
}

Start MedianStart(const std::string& program, int tasks, int runs) {
  std::vector<double> wall, reported;
  for (int i = 0; i < runs; ++i) {
    const Start one = StartOnce(program, tasks);
    wall.push_back(one.wall_ms);
    reported.push_back(one.reported_ms);
  }
  std::sort(wall.begin(), wall.end());
  std::sort(reported.begin(), reported.end());
  return {wall[wall.size() / 2], reported[reported.size() / 2]};
}

void StartBench(const std::string& program, int runs) {
  MedianStart(program, 0, 1);  // warms the file cache
  const Start empty = MedianStart(program, 0, runs);
  const Start full = MedianStart(program, kTasks, runs);
  std::printf(
      "settings start to main window shown, %d tasks: %.1f ms (in its main: %.1f ms; "
      "goal < %.0f ms: %s)\n",
      kTasks, full.wall_ms, full.reported_ms, kStartGoalMs,
      full.wall_ms < kStartGoalMs ? "met" : "MISSED");
  std::printf("  with an empty task file:     %.1f ms (in its main: %.1f ms); ratio %.2f\n",
              empty.wall_ms, empty.reported_ms, full.wall_ms / empty.wall_ms);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string program = argc > 1 ? argv[1] : RUNVANE_SETTINGS_PROGRAM;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
  FillBench(runs);
  StartBench(program, runs);
  return 0;
}
