// One full frame tick of the demonstration scene (beam source and glass block), as the window
// runs it: copy-out skipped, step fused with the picture, objects painted.
#include <benchmark/benchmark.h>

#include "frame/ClassRegistration.h"
#include "frame/uDemoMainFormCore.h"
#include "objects/UniqueIDs.h"

using namespace plashbox;

namespace {

void DemoSceneTick(benchmark::State& State) {
  static const bool registered = (RegisterClasses(), true);
  (void)registered;
  SeedUniqueIDs(1);
  const auto side = static_cast<int32_t>(State.range(0));
  TMainFormCore form;
  form.SetPaintAreaSize(side, side);  // the scene scales with the tank: block and beam in percent
  form.Create();
  for (int i = 0; i < 200; ++i) form.Tick();  // waves everywhere, as in a running demonstration
  for (auto _ : State) form.Tick();
  State.SetItemsProcessed(State.iterations() * int64_t(side - 2) * (side - 2));
}
BENCHMARK(DemoSceneTick)->Arg(401)->Arg(1024)->Arg(2048)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
