// grid/: the cell grid and its medium, with the rounding and maths rules of every stored value.
// The maths functions of the simulation, taking and giving doubles only. Called on a float,
// <cmath> picks the single-precision overload and loses the bits that the rest of the
// arithmetic keeps; here a float argument does not compile, so every call converts first.
// The simulation's own code (grid/, objects/, sim/) calls these and never <cmath> directly.
#pragma once

#include <cmath>

namespace plashbox::exact {

#define PLASHBOX_EXACT_UNARY(Name, Std) \
  inline double Name(double X) { return Std(X); } \
  double Name(float) = delete;

PLASHBOX_EXACT_UNARY(Sin, std::sin)
PLASHBOX_EXACT_UNARY(Cos, std::cos)
PLASHBOX_EXACT_UNARY(Exp, std::exp)
PLASHBOX_EXACT_UNARY(Sqrt, std::sqrt)
PLASHBOX_EXACT_UNARY(Abs, std::fabs)
PLASHBOX_EXACT_UNARY(Tan, std::tan)
PLASHBOX_EXACT_UNARY(Ceil, std::ceil)

#undef PLASHBOX_EXACT_UNARY

inline double Pow(double X, double Y) { return std::pow(X, Y); }
inline double Atan2(double Y, double X) { return std::atan2(Y, X); }
inline double Fmod(double X, double Y) { return std::fmod(X, Y); }
double Pow(float, float) = delete;
double Atan2(float, float) = delete;
double Fmod(float, double) = delete;

}  // namespace plashbox::exact
