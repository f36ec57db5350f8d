// The cost of a recorded frame: the window's copy of the surface (on the GUI thread) and the
// GIF encoding and PNG picture (on the recorder's worker), for the demonstration scene in full
// swing. A recording keeps up with the tank while a frame encodes in under 16 ms.
#include <benchmark/benchmark.h>

#include <memory>

#include "frame/ClassRegistration.h"
#include "frame/FileWriting.h"
#include "frame/GifAnimation.h"
#include "frame/PngPicture.h"
#include "frame/RgbPicture.h"
#include "frame/TankSession.h"
#include "objects/UniqueIDs.h"

using namespace plashbox;

namespace {

// The demonstration scene's picture after 200 ticks at W x H.
std::unique_ptr<TTankSession> RunningTank(int32_t W, int32_t H) {
  static const bool registered = (RegisterClasses(), true);
  (void)registered;
  SeedUniqueIDs(1);
  auto form = std::make_unique<TTankSession>();
  form->SetPaintAreaSize(W, H);
  form->Create();
  for (int i = 0; i < 200; ++i) form->Tick();
  return form;
}

void CopySurface(benchmark::State& State) {
  const auto form = RunningTank(int32_t(State.range(0)), int32_t(State.range(1)));
  for (auto _ : State) benchmark::DoNotOptimize(SurfaceAsRgb(form->GetSurface()));
}
BENCHMARK(CopySurface)->Args({401, 401})->Args({1024, 1024})->Unit(benchmark::kMicrosecond);

void GifFrame(benchmark::State& State) {
  const auto form = RunningTank(int32_t(State.range(0)), int32_t(State.range(1)));
  const TRgbPicture picture = SurfaceAsRgb(form->GetSurface());
  TStreamingFile file("/dev/null");
  TGifAnimation gif(file, picture.Width, picture.Height, 16);
  for (auto _ : State) gif.AddFrame(picture);
  State.counters["colours"] = double(IndexColours(picture).Palette.size() / 3);
}
BENCHMARK(GifFrame)->Args({401, 401})->Args({1024, 1024})->Unit(benchmark::kMillisecond);

void PngPicture(benchmark::State& State) {
  const auto form = RunningTank(int32_t(State.range(0)), int32_t(State.range(1)));
  const TRgbPicture picture = SurfaceAsRgb(form->GetSurface());
  for (auto _ : State) benchmark::DoNotOptimize(EncodePng(picture));
}
BENCHMARK(PngPicture)->Args({401, 401})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
