// One scan of the timer trigger over 10,000 tasks of which none is due
// (goal: under 1 ms).

#include <benchmark/benchmark.h>

#include "common/task_list.h"
#include "launcher/task_starter.h"
#include "launcher/thread_manager.h"
#include "launcher/timer_trigger.h"
#include "platform/manual_timer.h"

namespace {

struct NoStarts : rv::TaskStarter {
  void StartTask(const std::shared_ptr<rv::RVTask>&) override { std::abort(); }
};

void ScanTenThousandNoneDue(benchmark::State& state) {
  const rv::TDateTime now = rv::EncodeDate(2026, 12, 11) + 0.5;
  rv::ManualClock clock(now);
  rv::RVTaskList list("", nullptr, clock);
  for (int i = 0; i < 10'000; ++i) {
    auto task = list.Add();
    task->TaskName = "Task " + std::to_string(i);
    task->Active = i % 4 != 0;
    task->TaskTriggers = i % 3 == 0 ? rv::TriggerBits::Hotkey : rv::TriggerBits::Scheduled;
    task->LaunchDateTime = now + 1 + (i % 100);
  }
  NoStarts starter;
  rv::Threadmanager threads;
  rv::TRVTimerTrigger trigger(std::make_unique<rv::ManualTimer>(), starter, threads, nullptr,
                              clock);
  trigger.SetTaskList(&list, nullptr, nullptr);
  for (auto _ : state)
    trigger.ScanForTasks();
}
BENCHMARK(ScanTenThousandNoneDue)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
