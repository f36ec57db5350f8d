#include "objects/MediumRegion.h"

namespace plashbox {

bool TMediumRegion::CoversCell(int32_t x, int32_t y) {
  bool covered = false;
  VisitCoveredCells([&](int32_t cx, int32_t cy) { covered = covered || (cx == x && cy == y); });
  return covered;
}

void WriteRegion(TWaterGrid& Grid, TMediumRegion& Region) {
  const TRegionMedium medium = Region.RegionMedium();
  Region.VisitCoveredCells([&](int32_t x, int32_t y) {
    const TCellRef c = Grid.Writable(x)[y];
    c.SpeedFactor = medium.SpeedFactor;
    if (!medium.AtRest) return;
    c.Displacement = 0;
    c.Velocity = 0;
  });
}

}  // namespace plashbox
