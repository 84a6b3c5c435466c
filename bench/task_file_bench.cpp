// Load and save of a 10,000-task file against the floor of the same run:
// writing the same bytes with write + fsync + rename, and reading them and
// splitting them into lines. Prints medians and the ratios.
//
// usage: task_file_bench [FOLDER]   (default: a fresh folder under /tmp)

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/median.h"
#include "common/atomic_file.h"
#include "common/task_file_reader.h"
#include "common/task_file_writer.h"
#include "common/task_list.h"

namespace {

using rv::bench::MedianMs;

void Fill(rv::RVTaskList& list, int count) {
  for (int i = 0; i < count; ++i) {
    auto task = list.Add();
    task->TaskName = "Nightly report " + std::to_string(i);
    task->LaunchDateTime = rv::EncodeDate(2026, 12, 11) + (i % 1440) / 1440.0;
    task->Frequency = 1;
    task->Interval = 1 + i % 30;
    task->IntervalType = i % 11;
    task->Active = i % 3 != 0;
    task->LateFlags = 1 | 8;
    task->TaskTriggers = 1;
    task->Steps = {
        "COPY: \"/home/alex/Reports/daily-" + std::to_string(i) + ".csv\",\"/srv/archive/\"",
        "PAUSE: 5 seconds", "MESSAGE: \"Report " + std::to_string(i) + " archived\",0"};
    task->StepCount = 3;
    task->DisabledSteps = {"1"};
    task->DisabledStepCount = 1;
    task->Details = {"Archives the daily report of the sales team."};
    task->DetailCount = 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  if (argc > 1) {
    folder = argv[1];
  } else {
    char pattern[] = "/tmp/rvbench-XXXXXX";
    folder = ::mkdtemp(pattern);
  }
  const std::string path = folder + "/TASKS.RVD";
  constexpr int kTasks = 10'000;
  constexpr int kRuns = 15;

  rv::RVTaskList list(path);
  Fill(list, kTasks);
  if (!list.SaveToFile()) return 1;
  const std::string bytes = rv::SerializeTaskFile(list);

  const double floor_save = MedianMs(kRuns, [&] {
    const std::string temp = path + ".floor";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
    ::fsync(fd);
    ::close(fd);
    ::rename(temp.c_str(), (path + ".floor-target").c_str());
  });
  const double save = MedianMs(kRuns, [&] {
    if (!list.SaveToFile()) std::abort();
  });
  size_t line_count = 0;
  const double floor_load = MedianMs(kRuns, [&] {
    auto read = rv::ReadWholeFile(path);
    line_count = rv::SplitTaskFileLines(*read).size();
  });
  const double load = MedianMs(kRuns, [&] {
    rv::RVTaskList loaded(path);
    if (!loaded.LoadFromFile() || loaded.Count() != kTasks) std::abort();
  });

  std::printf("task file: %d tasks, %zu bytes, %zu lines\n", kTasks, bytes.size(), line_count);
  std::printf("save  %8.2f ms   floor (write + fsync + rename) %8.2f ms   ratio %.2f (goal <= 2)\n",
              save, floor_save, save / floor_save);
  std::printf("load  %8.2f ms   floor (read + split lines)     %8.2f ms   ratio %.2f (goal <= 3)\n",
              load, floor_load, load / floor_load);
  if (argc <= 1) {
    std::string command = "rm -rf '" + folder + "'";
    if (std::system(command.c_str()) != 0) return 1;
  }
  return 0;
}
