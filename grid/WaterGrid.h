// grid/: the cell grid and its medium, with the rounding and maths rules of every stored value.
// The cells of a water: the grid that the scene steps and every tank object shares.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace plashbox {

struct TWaterCell {
  float Displacement;  // surface height, kept within -3.5 .. 3.5 by the step
  float Velocity;      // change of Displacement per step
  float SpeedFactor;   // squared wave speed in cells per step
  float Damping;       // factor applied to the displacement every step
};
static_assert(sizeof(TWaterCell) == 16, "a cell is four packed singles");

inline constexpr float OpenWaterSpeedFactor = 0.5f;

// A wall: no wave moves through it (speed factor 0). The step leaves a cell at rest there, and
// the sources and drips never write into one, so it stays a fixed edge that reflects.
inline bool IsWall(const TWaterCell& Cell) { return Cell.SpeedFactor == 0; }
inline constexpr float OpenWaterDamping = 0.999f;

// Cells[x][y]: Width columns, each one contiguous array of Height cells, y = 0 at the bottom.
class TWaterGrid {
 public:
  TWaterGrid(int32_t Width, int32_t Height);

  int32_t Width() const { return static_cast<int32_t>(Columns.size()); }
  int32_t Height() const { return Rows; }

  TWaterCell* operator[](int32_t X) { return Columns[static_cast<size_t>(X)].data(); }
  const TWaterCell* operator[](int32_t X) const { return Columns[static_cast<size_t>(X)].data(); }

 private:
  std::vector<std::vector<TWaterCell>> Columns;
  int32_t Rows;
};

// Grid rows count upward from the bottom; the paint area's and the surface's screen rows count
// downward from the top. Both ways are the same flip on a grid of height H.
inline int32_t GridRow(int32_t H, int32_t ScreenY) { return H - 1 - ScreenY; }
inline int32_t ScreenRow(int32_t H, int32_t y) { return H - 1 - y; }

// Shared by the water and its objects; a rebuild replaces it and hands the new one out.
using TCellsRef = std::shared_ptr<TWaterGrid>;

// Width of the absorbing border: the larger of a tenth of the shorter side and 40 cells.
int32_t AbsorbingBorderWidth(int32_t W, int32_t H);

// Open water everywhere (SpeedFactor 0.5, Damping 0.999) with the absorbing border ramp;
// displacements and velocities are left alone. The grid build and the objects' medium reset
// both use it, so the two borders cannot drift apart.
void ResetMedium(TWaterGrid& Cells);

}  // namespace plashbox
