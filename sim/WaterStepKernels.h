// The inner loops of the time step (internal to the water).
//
// The displacement pass of column x - 1 runs together with the velocity pass of column x:
// no later velocity reads column x - 1, so the result is exactly that of two full passes,
// while each column comes from the cache once instead of twice from memory. Every kernel
// variant does the same double arithmetic in the same order, so all give the same bits.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/WaterGrid.h"

namespace plashbox::detail {

inline constexpr float DisplacementLimit = 3.5f;

// Velocity pass of Centre (its neighbours Left and Right) over rows 1 .. H-2; when
// DisplaceLeft, then the displacement pass of Left over the same rows.
using TStepColumnFn = void (*)(TWaterCell* Left, TWaterCell* Centre, const TWaterCell* Right, int32_t H,
                               bool DisplaceLeft);
// Displacement pass of one column over rows 1 .. H-2.
using TDisplaceColumnFn = void (*)(TWaterCell* Column, int32_t H);

struct TStepKernels {
  TStepColumnFn StepColumn;
  TDisplaceColumnFn DisplaceColumn;
  const char* Name;
};

// Every variant this processor runs, the plain one first and the fastest last.
std::vector<const TStepKernels*> AvailableStepKernels();
const TStepKernels& BestStepKernels();

// One cell of each pass, shared by every variant for the rows a vector does not fill.
inline void UpdateVelocity(const TWaterCell* Left, TWaterCell* Centre, const TWaterCell* Right, int32_t y) {
  const double laplace = double(Left[y].Displacement) + double(Centre[y - 1].Displacement) +
                         double(Right[y].Displacement) + double(Centre[y + 1].Displacement) -
                         4.0 * double(Centre[y].Displacement);
  Centre[y].Velocity = static_cast<float>(double(Centre[y].Velocity) + double(Centre[y].SpeedFactor) * laplace);
}

inline void UpdateDisplacement(TWaterCell& c) {
  float d = static_cast<float>((double(c.Displacement) + double(c.Velocity)) * double(c.Damping));
  if (d > DisplacementLimit) d = DisplacementLimit;
  if (d < -DisplacementLimit) d = -DisplacementLimit;
  c.Displacement = d;
}

}  // namespace plashbox::detail
