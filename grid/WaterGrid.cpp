#include "grid/WaterGrid.h"

#include <algorithm>
#include <cmath>

#include "grid/ExactMath.h"
#include "grid/Rounding.h"

namespace plashbox {

TWaterGrid::TWaterGrid(int32_t Width, int32_t Height)
    : Columns(static_cast<size_t>(std::max(Width, 0)),
              std::vector<TWaterCell>(static_cast<size_t>(std::max(Height, 0)),
                                      TWaterCell{0, 0, OpenWaterSpeedFactor, OpenWaterDamping})),
      Rows(std::max(Height, 0)) {}

int32_t AbsorbingBorderWidth(int32_t W, int32_t H) {
  return Round(std::max(std::min(W, H) * 0.1, 40.0));
}

void ResetMedium(TWaterGrid& Cells) {
  const int32_t W = Cells.Width();
  const int32_t H = Cells.Height();
  for (int32_t x = 0; x < W; ++x)
    for (TWaterCell *c = Cells[x], *end = c + H; c != end; ++c) {
      c->SpeedFactor = OpenWaterSpeedFactor;
      c->Damping = OpenWaterDamping;
    }

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
      for (int32_t y = i; y <= H - 1 - i; ++y) Cells[x][y].Damping = d;
    }
    for (const int32_t y : {i, H - i}) {
      if (y < 0 || y >= H) continue;
      for (int32_t x = i; x <= W - 1 - i; ++x) Cells[x][y].Damping = d;
    }
  }
}

}  // namespace plashbox
