// Rescheduling a per-second task whose stored time lies ten years back: the
// arithmetic jump against stepping one second at a time (goal: under 10 us).

#include <benchmark/benchmark.h>

#include "common/schedule.h"
#include "common/testing/schedule_literal.h"

namespace {

const rv::TDateTime kBase = rv::EncodeDate(2016, 12, 11) + rv::EncodeTime(8, 0, 0, 123);
const rv::TDateTime kNow = rv::EncodeDate(2026, 12, 11) + rv::EncodeTime(8, 30, 0, 500);

void FastTenYearsPerSecond(benchmark::State& state) {
  rv::ManualClock clock(kNow);
  for (auto _ : state)
    benchmark::DoNotOptimize(rv::schedule::NextLaunch(kBase, 10, 1, clock));
}
BENCHMARK(FastTenYearsPerSecond);

void FastTenYearsWeekdays(benchmark::State& state) {
  rv::ManualClock clock(kNow);
  for (auto _ : state)
    benchmark::DoNotOptimize(rv::schedule::NextLaunch(kBase, 4, 1, clock));
}
BENCHMARK(FastTenYearsWeekdays);

void FastTenYearsMonthly(benchmark::State& state) {
  rv::ManualClock clock(kNow);
  for (auto _ : state)
    benchmark::DoNotOptimize(rv::schedule::NextLaunch(kBase, 7, 1, clock));
}
BENCHMARK(FastTenYearsMonthly);

// One pass per missed second: about 315 million passes.
void LiteralTenYearsPerSecond(benchmark::State& state) {
  rv::ManualClock clock(kNow);
  for (auto _ : state) {
    benchmark::DoNotOptimize(rv::testing::LiteralNextLaunch(kBase, 10, 1, clock));
  }
}
BENCHMARK(LiteralTenYearsPerSecond)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
