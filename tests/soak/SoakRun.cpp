// plashbox-soak: runs every source type for a million ticks on a 201 x 201 tank, with drips and
// a turning block now and then, and checks that every cell stays finite and bounded and that the
// resident memory stays flat. Exits 1 on the first failure.
//
//   plashbox-soak [ticks]        (default 1000000)
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "frame/ClassRegistration.h"
#include "frame/SceneEditing.h"
#include "frame/TankSession.h"
#include "objects/UniqueIDs.h"
#include "objects/uGeneralExciter.h"

using namespace plashbox;

namespace {

// The step keeps heights within 3.5; the sources write up to 6 and a drip 4.5 on top of that; the
// line source adds its signal to the outermost rows too, which the step leaves alone, so they
// carry a sum of a sine: bounded by 1.5 / sin(pi / period), about 17 at the default wavelength.
constexpr double MaxDisplacement = 20;

// Resident memory in kB, from the kernel's own count.
long ResidentKilobytes() {
  std::ifstream status("/proc/self/statm");
  long pages = 0, resident = 0;
  status >> pages >> resident;
  return resident * 4;
}

// The largest magnitude of any displacement, or -1 when a cell is not finite.
double LargestDisplacement(TWater& Water) {
  const TWaterGrid& cells = *Water.Cells();
  double largest = 0;
  for (int32_t x = 0; x < cells.Width(); ++x)
    for (int32_t y = 0; y < cells.Height(); ++y) {
      const TWaterCell& c = cells[x][y];
      if (!std::isfinite(c.Displacement) || !std::isfinite(c.Velocity)) return -1;
      largest = std::max(largest, std::fabs(double(c.Displacement)));
    }
  return largest;
}

bool Soak(int32_t BeamType, long Ticks) {
  SeedUniqueIDs(1);
  TTankSession form;
  form.SetPaintAreaSize(201, 201);
  form.CreateScene();
  TWater& water = *form.ActiveWater();
  ApplySetting(water, {"TGeneralExciter", "BeamType", std::to_string(BeamType)});
  long startMemory = 0, endMemory = 0;
  double largest = 0;
  for (long tick = 1; tick <= Ticks; ++tick) {
    // A drip every 50,000 ticks; a turn of the block by its handle every 200,000.
    if (tick % 50000 == 1000) {
      form.SetTool(TTankTool::Drip);
      form.BoxMouseDown(mbLeft, 0, 60 + int32_t(tick / 50000 % 80), 70);
      form.SetTool(TTankTool::Select);
    }
    if (tick % 50000 == 1010) form.BoxMouseUp(mbLeft, 0, 60, 70);
    if (tick % 200000 == 5000) {
      form.BoxMouseDown(mbLeft, 0, 140, 100);
      form.BoxMouseMove(0, 160, 60);
      form.BoxMouseUp(mbLeft, 0, 160, 60);
    }
    form.Tick();
    if (tick % 10000 == 0) {
      const double d = LargestDisplacement(water);
      if (d < 0) {
        std::printf("%s: a cell is not finite after tick %ld\n", TGeneralExciter::BeamTypeName(BeamType).c_str(), tick);
        return false;
      }
      largest = std::max(largest, d);
      if (tick == 10000) startMemory = ResidentKilobytes();
      endMemory = ResidentKilobytes();
    }
  }
  std::printf("%-15s %ld ticks, largest |displacement| %.3f, resident %ld kB at tick 10000, %ld kB at the end\n",
              TGeneralExciter::BeamTypeName(BeamType).c_str(), Ticks, largest, startMemory, endMemory);
  // The step allocates nothing, so a growth of more than a page or two is a leak.
  if (largest > MaxDisplacement || endMemory - startMemory > 64) {
    std::printf("  FAILED: %s\n", largest > MaxDisplacement ? "displacement out of bounds" : "resident memory grew");
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const long ticks = argc > 1 ? std::atol(argv[1]) : 1000000;
  if (ticks < 10000) {
    std::fprintf(stderr, "plashbox-soak: at least 10000 ticks\n");
    return 2;
  }
  RegisterClasses();
  bool sound = true;
  for (int32_t type = 0; type < TGeneralExciter::BeamTypeCount(); ++type) sound = Soak(type, ticks) && sound;
  std::printf(sound ? "soak passed\n" : "soak FAILED\n");
  return sound ? 0 : 1;
}
