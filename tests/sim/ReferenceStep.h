// The time step written out plainly, as two full passes, for the tests that check the optimised
// sweep against it; with a picture, every cell is coloured after its displacement pass.
#pragma once

#include <cmath>
#include <vector>

#include "sim/WaterStepKernels.h"

namespace plashbox::tests {

inline void ReferenceStep(TWaterGrid& c, std::vector<TPixelColor>* Picture = nullptr,
                          const detail::TColouring* Paint = nullptr) {
  const int32_t W = c.Width(), H = c.Height();
  for (int32_t x = 1; x < W - 1; ++x)
    for (int32_t y = 1; y < H - 1; ++y) {
      const double sum = double(c[x - 1][y].Displacement) + double(c[x][y - 1].Displacement) +
                         double(c[x + 1][y].Displacement) + double(c[x][y + 1].Displacement) -
                         4.0 * double(c[x][y].Displacement);
      c[x][y].Velocity = float(double(c[x][y].Velocity) + double(c[x][y].SpeedFactor) * sum);
    }
  for (int32_t x = 1; x < W - 1; ++x)
    for (int32_t y = 1; y < H - 1; ++y) {
      float d = float((double(c[x][y].Displacement) + double(c[x][y].Velocity)) * double(c[x][y].Damping));
      if (std::fabs(d) > 3.5f) d = std::copysign(3.5f, d);
      c[x][y].Displacement = d;
      if (Picture) (*Picture)[size_t(y) * W + x] = detail::CellColour(c[x][y], *Paint);
    }
}

}  // namespace plashbox::tests
