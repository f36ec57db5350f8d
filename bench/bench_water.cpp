// Speed of the time step of open water with waves in it.
#include <benchmark/benchmark.h>

#include <cmath>

#include "sim/uWater.h"

using namespace plashbox;

namespace {

// Open water with a field of waves in it, so the step does real arithmetic.
TRef<TWater> WavyWater(int32_t Size) {
  TRef<TWater> water = NewNode<TWater>();
  water->SetGridSize(Size, Size);
  TWaterGrid& cells = *water->Cells();
  for (int32_t x = 1; x < Size - 1; ++x)
    for (int32_t y = 1; y < Size - 1; ++y)
      cells[x][y].Displacement = static_cast<float>(std::sin(x * 0.21) * std::cos(y * 0.17));
  return water;
}

void BM_SimulateStep(benchmark::State& state) {
  const auto size = static_cast<int32_t>(state.range(0));
  const TRef<TWater> water = WavyWater(size);
  for (auto _ : state) {
    water->SimulateStep();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(size - 2) * (size - 2));
  state.SetLabel("items = inner cell-steps");
}
BENCHMARK(BM_SimulateStep)->Arg(101)->Arg(201)->Arg(401)->Arg(1024)->Arg(2048)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
