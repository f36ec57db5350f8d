// plashbox-cli: runs the tank without a window.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <string>

#include "objects/UniqueIDs.h"
#include "sim/uWater.h"

using namespace plashbox;

namespace {

struct TOptions {
  int32_t Width = 401;
  int32_t Height = 401;
  int32_t Steps = 300;
};

[[noreturn]] void Usage(const char* Problem) {
  if (Problem) std::fprintf(stderr, "plashbox-cli: %s\n", Problem);
  std::fprintf(stderr,
               "usage: plashbox-cli [--size WxH] [--steps N]\n"
               "  Drops one disturbance in the middle of open water, steps it and reports how the\n"
               "  ring spreads and fades in the absorbing border.\n");
  std::exit(Problem ? 2 : 0);
}

TOptions ParseOptions(int argc, char** argv) {
  TOptions o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) Usage(("missing value after " + arg).c_str());
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      Usage(nullptr);
    } else if (arg == "--size") {
      const std::string v = value();
      if (std::sscanf(v.c_str(), "%dx%d", &o.Width, &o.Height) != 2 || o.Width < 3 || o.Height < 3 ||
          o.Width > 8192 || o.Height > 8192)
        Usage("--size wants WxH with sides from 3 to 8192, for example 401x401");
    } else if (arg == "--steps") {
      const std::string v = value();
      char* end = nullptr;
      const long n = std::strtol(v.c_str(), &end, 10);
      if (*end != '\0' || n < 0 || n > 1000000) Usage("--steps wants a whole number from 0 to 1000000");
      o.Steps = static_cast<int32_t>(n);
    } else {
      Usage(("unknown argument " + arg).c_str());
    }
  }
  return o;
}

double Energy(const TWater& water) {
  double sum = 0;
  const TWaterGrid& cells = *water.Cells();
  for (int32_t x = 0; x < cells.Width(); ++x)
    for (int32_t y = 0; y < cells.Height(); ++y) sum += double(cells[x][y].Displacement) * cells[x][y].Displacement;
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  const TOptions o = ParseOptions(argc, argv);
  SeedUniqueIDs(1);
  const TRef<TWater> water = NewNode<TWater>();
  water->SetGridSize(o.Width, o.Height);
  (*water->Cells())[o.Width / 2][o.Height / 2].Displacement = 3.0f;

  std::printf("plashbox-cli: open water of %d x %d cells, border %d cells, %lld bytes\n", o.Width, o.Height,
              AbsorbingBorderWidth(o.Width, o.Height), static_cast<long long>(water->MemoryUsage()));
  const auto start = std::chrono::steady_clock::now();
  const int32_t report = std::max(1, o.Steps / 10);
  for (int32_t step = 1; step <= o.Steps; ++step) {
    water->SimulateStep();
    if (step % report == 0 || step == o.Steps)
      std::printf("step %6d  energy %.6g  centre %+.5f\n", step, Energy(*water),
                  water->DisplacementAt(o.Width / 2, o.Height - 1 - o.Height / 2));
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (o.Steps > 0 && seconds > 0)
    std::printf("%d steps in %.3f s (%.1f M cell-steps per second, with the reports)\n", o.Steps, seconds,
                double(o.Width - 2) * (o.Height - 2) * o.Steps / seconds / 1e6);
  return 0;
}
