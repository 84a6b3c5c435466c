// One poll of the window trigger with 50 watched titles and 200 open
// windows, none of them new (goal: under 1 ms). The desktop is the test fake,
// so this is the trigger's own share; under X11 one window listing is added.

#include <benchmark/benchmark.h>

#include "common/task_list.h"
#include "launcher/task_starter.h"
#include "launcher/window_trigger.h"
#include "platform/desktop/fake_desktop.h"
#include "platform/manual_timer.h"

namespace {

struct CountingStarter : rv::TaskStarter {
  int started = 0;
  void StartTask(const std::shared_ptr<rv::RVTask>&) override { ++started; }
};

void PollFiftyTitlesTwoHundredWindows(benchmark::State& state) {
  rv::RVTaskList list;
  for (int i = 0; i < 50; ++i) {
    auto task = list.Add();
    task->TaskName = "Watcher " + std::to_string(i);
    task->WindowName = "Report " + std::to_string(i * 4) + " - Editor";
    task->Active = true;
    task->TaskTriggers = rv::TriggerBits::WindowAppears;
  }
  rv::FakeDesktop desktop;
  for (int i = 0; i < 200; ++i)
    desktop.AddWindow("Report " + std::to_string(i) + " - Editor");
  CountingStarter starter;
  rv::TRVWindowTrigger trigger(std::make_unique<rv::ManualTimer>(), starter, desktop);
  trigger.SetTaskList(&list, nullptr, nullptr);
  trigger.ToggleState(true);
  trigger.CheckTasks();  // every watched window starts its task once
  for (auto _ : state)
    trigger.CheckTasks();
  if (starter.started != 50) state.SkipWithError("every watched window should start once");
}
BENCHMARK(PollFiftyTitlesTwoHundredWindows)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
