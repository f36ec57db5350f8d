#include "grid/WaterGrid.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "grid/ExactMath.h"
#include "grid/Rounding.h"

namespace plashbox {

namespace {

constexpr size_t LineFloats = 64 / sizeof(float);

void FillOpenWater(TWaterGrid& Cells) {
  for (int32_t x = 0; x < Cells.Width(); ++x) {
    const TWaterColumn c = Cells[x];
    std::fill_n(c.SpeedFactor, Cells.Height(), OpenWaterSpeedFactor);
    std::fill_n(c.Damping, Cells.Height(), OpenWaterDamping);
  }
}

}  // namespace

TWaterGrid::TWaterGrid(int32_t Width, int32_t Height)
    : Columns(std::max(Width, 0)),
      Rows(std::max(Height, 0)),
      Plane(int32_t((size_t(Rows) + LineFloats - 1) / LineFloats * LineFloats)),
      Origin(0) {
  if (Columns == 0 || Rows == 0) return;
  Values.assign(size_t(Columns) * 4 * size_t(Plane) + LineFloats, 0.0f);
  // Row 1 of every array on a cache line: the vector's block is only as aligned as the heap's.
  const auto row1 = reinterpret_cast<uintptr_t>(Values.data() + 1);
  Origin = (64 - row1 % 64) % 64 / sizeof(float);
  FillOpenWater(*this);
}

bool SameCells(const TWaterGrid& A, const TWaterGrid& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height()) return false;
  const size_t bytes = size_t(A.Height()) * sizeof(float);
  for (int32_t x = 0; x < A.Width(); ++x) {
    const TConstWaterColumn a = A[x], b = B[x];
    if (std::memcmp(a.Displacement, b.Displacement, bytes) != 0 || std::memcmp(a.Velocity, b.Velocity, bytes) != 0 ||
        std::memcmp(a.SpeedFactor, b.SpeedFactor, bytes) != 0 || std::memcmp(a.Damping, b.Damping, bytes) != 0)
      return false;
  }
  return true;
}

int32_t AbsorbingBorderWidth(int32_t W, int32_t H) {
  return Round(std::max(std::min(W, H) * 0.1, 40.0));
}

void ResetMedium(TWaterGrid& Cells) {
  const int32_t W = Cells.Width();
  const int32_t H = Cells.Height();
  FillOpenWater(Cells);

  // Ring i runs from the outside (i = 1, strongest damping) inwards. The far sides use W - i
  // and H - i, so on the right and at the top the ramp reaches one cell further out, into the
  // last column and row, which are never stepped. Column 0 and row 0 keep open-water damping.
  // On a grid narrower than the border a ring's column or row may not exist; it is skipped.
  const int32_t N = AbsorbingBorderWidth(W, H);
  for (int32_t i = 1; i < N; ++i) {
    const double ramp = 0.015 * (N - i);
    const auto d = static_cast<float>(0.999 * exact::Exp(-(ramp * ramp)));
    for (const int32_t x : {i, W - i}) {
      if (x < 0 || x >= W) continue;
      for (int32_t y = i; y <= H - 1 - i; ++y) Cells[x].Damping[y] = d;
    }
    for (const int32_t y : {i, H - i}) {
      if (y < 0 || y >= H) continue;
      for (int32_t x = i; x <= W - 1 - i; ++x) Cells[x].Damping[y] = d;
    }
  }
}

}  // namespace plashbox
