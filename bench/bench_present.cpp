// The copy of a finished frame to the window's paint area: the picture's rows, stored bottom
// up, mirrored onto the widget's backing store. Run on Qt's offscreen platform, so it measures
// the program's own copy, not the window system's.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWindow>

#include "app/QtDIBPlatform.h"
#include "raster/FastDIB.h"
#include "sim/WorkerPool.h"

using namespace plashbox;

namespace {

void PresentFrame(benchmark::State& State) {
  const auto w = static_cast<int32_t>(State.range(0)), h = static_cast<int32_t>(State.range(1));
  SetDIBPlatform(&TQtDIBPlatform::Instance());
  SharedWorkerPool().Reserve(HardwareThreads() - 1);  // as the window's water does
  TPaintBox box;
  box.resize(w, h);
  box.show();
  // Painting starts once the window is exposed.
  while (!box.windowHandle() || !box.windowHandle()->isExposed()) QApplication::processEvents();
  TFastDIB surface;
  surface.SetUsePlatformBitmap(true);
  surface.SetSize(w, h, 24);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) surface.Rows24()[y][x] = TPixelColor{uint8_t(x), uint8_t(y), uint8_t(x + y)};
  for (auto _ : State) surface.Draw(box.Handle(), 0, 0, w, h, 0, 0);
  State.SetItemsProcessed(State.iterations() * int64_t(w) * h);
}
BENCHMARK(PresentFrame)
    ->Args({401, 401})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->UseRealTime()  // a big frame's copy is shared out on the pool
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
