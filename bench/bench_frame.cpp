// One full frame tick of the demonstration scene (beam source and glass block) and of the double
// slit, as the window runs them: copy-out skipped, step fused with the picture, objects painted.
#include <benchmark/benchmark.h>

#include "frame/ClassRegistration.h"
#include "frame/Experiments.h"
#include "frame/TankSession.h"
#include "objects/UniqueIDs.h"

using namespace plashbox;

namespace {

// Args: width, height, threads (0: one per core).
void DemoSceneTick(benchmark::State& State) {
  static const bool registered = (RegisterClasses(), true);
  (void)registered;
  SeedUniqueIDs(1);
  const auto W = static_cast<int32_t>(State.range(0)), H = static_cast<int32_t>(State.range(1));
  TTankSession form;
  if (State.range(2) > 0) form.SetThreads(static_cast<int32_t>(State.range(2)));
  form.SetPaintAreaSize(W, H);  // the scene scales with the tank: block and beam in percent
  form.Create();
  for (int i = 0; i < 200; ++i) form.Tick();  // waves everywhere, as in a running demonstration
  for (auto _ : State) form.Tick();
  State.SetItemsProcessed(State.iterations() * int64_t(W - 2) * (H - 2));
  State.counters["threads"] = form.Threads();
}
BENCHMARK(DemoSceneTick)
    ->Args({401, 401, 1})
    ->Args({401, 401, 0})
    ->Args({2048, 2048, 0})
    ->Args({3840, 2160, 1})
    ->Args({3840, 2160, 0})
    ->UseRealTime()  // the pool's workers do part of the work: the rate is per second of the clock
    ->Unit(benchmark::kMicrosecond);

// The double slit of the shipped experiments: a wall costs nothing per step, so this should run
// as fast as the demonstration. Arg: threads (0: one per core).
void DoubleSlitTick(benchmark::State& State) {
  static const bool registered = (RegisterClasses(), true);
  (void)registered;
  SeedUniqueIDs(1);
  TTankSession form;
  if (State.range(0) > 0) form.SetThreads(static_cast<int32_t>(State.range(0)));
  form.CreateScene(MakeExperiments());
  form.ShowSlide(2);
  for (int i = 0; i < 200; ++i) form.Tick();
  for (auto _ : State) form.Tick();
  State.SetItemsProcessed(State.iterations() * int64_t(399) * 399);
  State.counters["threads"] = form.Threads();
}
BENCHMARK(DoubleSlitTick)->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
