// objects/: the tank objects placed in the water: sources, maps and their controls.
// Anything that shapes the medium of the water it stands in: a slower region (a block, a lens,
// a prism) or a wall, later damping. A region says which cells it covers and what it writes
// there; the water composes its medium from open water and then every region among its
// children, in child order, whenever any of them changes, so that a later region writes over
// an earlier one and moving one never erases another.
#pragma once

#include <cstdint>
#include <functional>

#include "grid/WaterGrid.h"

namespace plashbox {

// What a region writes into every cell it covers.
struct TRegionMedium {
  float SpeedFactor = OpenWaterSpeedFactor;  // 0: a wall
  bool AtRest = false;                       // the cell's wave is held at zero (a wall)
};

// Called with a covered cell's grid position, y upward.
using TCoveredCellVisitor = std::function<void(int32_t x, int32_t y)>;

class TMediumRegion {
 public:
  virtual TRegionMedium RegionMedium() const = 0;
  // Calls Visit for every cell of the grid the region covers as it stands now, each at least
  // once and only cells on the grid. The region brings its own cell geometry up to date first
  // (its placement on the grid, what it draws), which is why this is not const.
  virtual void VisitCoveredCells(const TCoveredCellVisitor& Visit) = 0;
  // Whether the region covers grid cell (x, y): one look at every covered cell, for a press.
  bool CoversCell(int32_t x, int32_t y);

 protected:
  ~TMediumRegion() = default;
};

// Writes Region's medium into the cells of Grid it covers, over what is there.
void WriteRegion(TWaterGrid& Grid, TMediumRegion& Region);

}  // namespace plashbox
