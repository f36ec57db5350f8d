// grid/: the cell grid and its medium, with the rounding and maths rules of every stored value.
// Rounding to an integer: to the nearest, halves to the even neighbour (the processor's
// default mode), as every stored position and colour of the system is rounded.
#pragma once

#include <cmath>
#include <cstdint>

namespace plashbox {

inline int32_t Round(double Value) { return static_cast<int32_t>(std::lrint(Value)); }
inline int32_t Trunc(double Value) { return static_cast<int32_t>(Value); }

}  // namespace plashbox
