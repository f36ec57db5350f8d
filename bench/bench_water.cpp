// Speed of the time step of open water with waves in it, alone and fused with the picture.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "objects/uGeneralExciter.h"
#include "objects/uIntensityScreen.h"
#include "objects/uProbe.h"
#include "raster/FastDIB.h"
#include "sim/WaterStepKernels.h"
#include "sim/WaterSweep.h"
#include "sim/WorkerPool.h"
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

TRef<TWater> WaterWithBeam(int32_t Size) {
  TRef<TWater> water = WavyWater(Size);
  water->add(NewNode<TGeneralExciter>().get());
  return water;
}

void CountCellSteps(benchmark::State& state, int32_t Size) {
  state.SetItemsProcessed(state.iterations() * int64_t(Size - 2) * (Size - 2));
  state.SetLabel("items = inner cell-steps");
}

void BM_SimulateStep(benchmark::State& state) {
  const auto size = static_cast<int32_t>(state.range(0));
  const TRef<TWater> water = WavyWater(size);
  for (auto _ : state) {
    water->SimulateStep();
    benchmark::ClobberMemory();
  }
  CountCellSteps(state, size);
}
BENCHMARK(BM_SimulateStep)->Arg(401)->Arg(1024)->Arg(2048)->Unit(benchmark::kMicrosecond);

// The same step with four probes and a screen across the tank sampling it: beside
// BM_SimulateStep, what the measuring tools cost.
void BM_SimulateStepWithTools(benchmark::State& state) {
  const auto size = static_cast<int32_t>(state.range(0));
  const TRef<TWater> water = WavyWater(size);
  for (int32_t i = 0; i < MaxProbes; ++i) {
    const TRef<TProbe> probe = NewNode<TProbe>();
    water->add(probe.get());
    probe->SetX1Percent(20 + 20 * float(i));
  }
  water->add(NewNode<TIntensityScreen>().get());
  for (auto _ : state) {
    water->SimulateStep();
    benchmark::ClobberMemory();
  }
  CountCellSteps(state, size);
}
BENCHMARK(BM_SimulateStepWithTools)->Arg(401)->Arg(1024)->Unit(benchmark::kMicrosecond);

// Each kernel variant this processor runs, over the same grid as BM_SimulateStep: the
// variants give the same bits, so the fastest is chosen at start-up.
void BM_SimulateStepKernel(benchmark::State& state, const detail::TStepKernels* k) {
  const auto size = static_cast<int32_t>(state.range(0));
  const TRef<TWater> water = WavyWater(size);
  TWaterGrid& c = *water->Cells();
  for (auto _ : state) {
    for (int32_t x = 1; x < size - 1; ++x) k->StepColumn(c[x - 1], c[x], c[x + 1], size, x > 1, nullptr, nullptr);
    k->DisplaceColumn(c[size - 2], size, nullptr, nullptr);
    benchmark::ClobberMemory();
  }
  CountCellSteps(state, size);
}

// Sweeps Water into a surface of its size with the given layout and kernels, past the water's
// own choice of them, for the whole benchmark.
void RunSweep(benchmark::State& state, TWater& Water, int32_t Size, const detail::TSweepLayout& Layout,
              const detail::TStepKernels& Kernels) {
  TFastDIB surface;
  surface.SetSize(Size, Size, 24);
  const detail::TColouring paint = detail::MakeColouring(Water.Exposure());
  detail::TWaterSweep sweep;
  for (auto _ : state) {
    sweep.Step(*Water.Cells(), &paint, surface.Rows24(), Layout, Kernels);
    benchmark::ClobberMemory();
  }
  CountCellSteps(state, Size);
}

// The whole sweep, step and picture, on one thread with each kernel variant: what a processor
// that lacks the faster ones gets of BM_StepAndRender.
void BM_StepAndRenderKernel(benchmark::State& state, const detail::TStepKernels* k) {
  const auto size = static_cast<int32_t>(state.range(0));
  RunSweep(state, *WavyWater(size), size, detail::TSweepLayout{}, *k);
}

[[maybe_unused]] const bool KernelBenchmarksRegistered = [] {
  for (const detail::TStepKernels* k : detail::AvailableStepKernels()) {
    benchmark::RegisterBenchmark((std::string("BM_SimulateStepKernel/") + k->Name).c_str(), BM_SimulateStepKernel, k)
        ->Arg(401)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((std::string("BM_StepAndRenderKernel/") + k->Name).c_str(), BM_StepAndRenderKernel,
                                 k)
        ->Arg(401)
        ->Arg(2048)
        ->Unit(benchmark::kMicrosecond);
  }
  return true;
}();

// Args: the side, then the threads (0: one per core).
// Steps and draws Water into a surface of its size for the whole benchmark.
void RunStepAndRender(benchmark::State& state, TWater& Water, int32_t Size) {
  TFastDIB surface;
  surface.SetSize(Size, Size, 24);
  for (auto _ : state) {
    Water.StepAndRender(surface);
    benchmark::ClobberMemory();
  }
  CountCellSteps(state, Size);
}

void BM_StepAndRender(benchmark::State& state) {
  const auto size = static_cast<int32_t>(state.range(0));
  const TRef<TWater> water = WaterWithBeam(size);
  water->SetThreads(state.range(1) > 0 ? static_cast<int32_t>(state.range(1)) : HardwareThreads());
  RunStepAndRender(state, *water, size);
  state.counters["threads"] = water->Threads();
}
BENCHMARK(BM_StepAndRender)
    ->Args({401, 1})
    ->Args({401, 0})
    ->Args({1024, 1})
    ->Args({2048, 1})
    ->Args({2048, 0})
    ->UseRealTime()  // the pool's workers do part of the work: the rate is per second of the clock
    ->Unit(benchmark::kMicrosecond);

// The sweep on every core with the picture stored through the caches (0) or past them in whole
// lines (1): from detail::StreamedPictureBytes on, the water streams it.
void BM_StepAndRenderStores(benchmark::State& state) {
  const auto size = static_cast<int32_t>(state.range(0));
  SharedWorkerPool().Reserve(HardwareThreads() - 1);
  const detail::TSweepLayout layout{HardwareThreads(), detail::DefaultBandColumns,
                                    state.range(1) ? detail::TPictureStores::Streamed : detail::TPictureStores::Cached};
  RunSweep(state, *WaterWithBeam(size), size, layout, detail::BestStepKernels());
}
BENCHMARK(BM_StepAndRenderStores)
    ->ArgsProduct({{1024, 1280, 2048}, {0, 1}})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

// The same with the picture of the time-averaged intensity, or with the blue-white-red scheme:
// the mean rides along in the sweep; the wave view above must not pay for it. Args: the side,
// then 1 for the intensity view, 0 for the scheme.
void BM_StepAndRenderView(benchmark::State& state) {
  const auto size = static_cast<int32_t>(state.range(0));
  const TRef<TWater> water = WaterWithBeam(size);
  water->SetThreads(1);
  if (state.range(1))
    water->SetIntensityView(true);
  else
    water->SetColourScheme(csBlueWhiteRed);
  RunStepAndRender(state, *water, size);
}
BENCHMARK(BM_StepAndRenderView)
    ->Args({401, 1})
    ->Args({1024, 1})
    ->Args({401, 0})
    ->Args({1024, 0})
    ->Unit(benchmark::kMicrosecond);

// The measuring stick: the same arithmetic as two plain loops over cells stored as records
// of four values, one array per column, every cell reached through its column, the picture
// written column by column, no vectors, no threads: the plain loop as anyone would first write
// it, and as the reference loop of the measuring kit is written.
void BM_PlainTwoPasses(benchmark::State& state) {
  const auto size = static_cast<int32_t>(state.range(0));
  const TRef<TWater> water = WaterWithBeam(size);
  const TWaterGrid& grid = *water->Cells();
  std::vector<std::vector<TWaterCell>> c(static_cast<size_t>(size));
  for (int32_t x = 0; x < size; ++x)
    for (int32_t y = 0; y < size; ++y) c[size_t(x)].push_back(grid[x][y]);
  TFastDIB surface;
  surface.SetSize(size, size, 24);
  const detail::TColouring paint = detail::MakeColouring(water->Exposure());
  for (auto _ : state) {
    for (size_t x = 1; x < size_t(size) - 1; ++x)
      for (size_t y = 1; y < size_t(size) - 1; ++y)
        c[x][y].Velocity = static_cast<float>(
            double(c[x][y].Velocity) +
            double(c[x][y].SpeedFactor) * (double(c[x - 1][y].Displacement) + double(c[x][y - 1].Displacement) +
                                           double(c[x + 1][y].Displacement) + double(c[x][y + 1].Displacement) -
                                           4.0 * double(c[x][y].Displacement)));
    for (size_t x = 1; x < size_t(size) - 1; ++x)
      for (size_t y = 1; y < size_t(size) - 1; ++y) {
        TWaterCell& cell = c[x][y];
        cell.Displacement = detail::Displaced(cell.Displacement, cell.Velocity, cell.Damping);
        surface.Rows24()[y][x] = detail::CellColour(cell, paint);
      }
    benchmark::ClobberMemory();
  }
  CountCellSteps(state, size);
}
BENCHMARK(BM_PlainTwoPasses)->Arg(401)->Arg(2048)->Unit(benchmark::kMicrosecond);

// The same frame with the picture drawn in a pass of its own, to show what the fusion saves.
void BM_StepThenRenderGrid(benchmark::State& state) {
  const auto size = static_cast<int32_t>(state.range(0));
  const TRef<TWater> water = WaterWithBeam(size);
  TFastDIB surface;
  surface.SetSize(size, size, 24);
  for (auto _ : state) {
    water->SimulateStep();
    water->RenderGrid(surface);
    benchmark::ClobberMemory();
  }
  CountCellSteps(state, size);
}
BENCHMARK(BM_StepThenRenderGrid)->Arg(401)->Arg(1024)->Arg(2048)->Unit(benchmark::kMicrosecond);

// The console's report, then each fused step's speed as a multiple of the plain two passes of
// the same side, so that one run shows the ratios that matter. With repetitions, the medians.
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  // Coloured only on a terminal, as the library's own main does by default.
  TRatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_Defaults : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& Runs) override {
    ConsoleReporter::ReportRuns(Runs);
    for (const Run& run : Runs) {
      if (run.error_occurred) continue;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      const auto rate = run.counters.find("items_per_second");
      if (rate == run.counters.end()) continue;
      const std::string& function = run.run_name.function_name;
      const std::string& args = run.run_name.args;  // the side first: "401/1"
      if (function == "BM_PlainTwoPasses") Plain[args] = rate->second.value;
      if (function == "BM_StepAndRender")
        Fused.push_back({function + "/" + args, args.substr(0, args.find('/')), rate->second.value});
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    bool header = false;
    for (const TFused& fused : Fused) {
      const auto plain = Plain.find(fused.Side);
      if (plain == Plain.end() || plain->second <= 0) continue;
      if (!header) std::printf("\nAgainst the plain two passes of the same side (M inner cell-steps/s):\n");
      header = true;
      std::printf("  %-36s %8.1f  plain %7.1f  %5.2fx\n", fused.Name.c_str(), fused.Rate / 1e6, plain->second / 1e6,
                  fused.Rate / plain->second);
    }
  }

 private:
  struct TFused {
    std::string Name, Side;
    double Rate;
  };
  std::map<std::string, double> Plain;  // by side
  std::vector<TFused> Fused;            // in the order run
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
