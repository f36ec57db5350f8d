// grid/: the cell grid and its medium, with the rounding and maths rules of every stored value.
// The maths functions of the simulation, taking and giving doubles only. Called on a float,
// <cmath> picks the single-precision overload and loses the bits that the rest of the
// arithmetic keeps; here a float argument does not compile, so every call converts first.
// The simulation's own code (grid/, objects/, sim/) calls these and never <cmath> directly.
#pragma once

#include <cmath>

namespace plashbox::exact {

// Sine, cosine, tangent and the exponential are computed here, in plain double arithmetic that
// every IEEE machine rounds alike, instead of by the C library: glibc and the browser build's
// C library (musl) round about one sine in thirty differently in the last bit, and those bits
// reach the picture. Accuracy is within an ulp or so; what matters is that every build agrees.
namespace detail {

// The classic minimax polynomials of sine and cosine on [-pi/4, pi/4] (fdlibm's).
inline double SinKernel(double X) {
  const double z = X * X, v = z * X;
  const double r = 8.33333333332248946124e-03 +
                   z * (-1.98412698298579493134e-04 +
                        z * (2.75573137070700676789e-06 + z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)));
  return X + v * (-1.66666666666666324348e-01 + z * r);
}

inline double CosKernel(double X) {
  const double z = X * X;
  const double r =
      z * (4.16666666666666019037e-02 +
           z * (-1.38888888888741095749e-03 +
                z * (2.48015872894767294178e-05 +
                     z * (-2.75573143513906633035e-07 + z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
  const double hz = 0.5 * z, w = 1.0 - hz;
  return w + (((1.0 - w) - hz) + z * r);
}

// X less the nearest multiple N of pi/2, in three parts of pi/2 whose products with N are exact
// for |N| below 2^20; a larger X is first taken modulo 2 pi (fmod is exact).
inline double ReducedQuarter(double X, int& Quadrant) {
  if (!(std::fabs(X) < 1.0e6)) X = std::fmod(X, 6.28318530717958647692);
  const double n = std::floor(X * 6.36619772367581382433e-01 + 0.5);
  Quadrant = static_cast<int>(n) & 3;
  return ((X - n * 1.57079632673412561417e+00) - n * 6.07710050630396597660e-11) - n * 2.02226624871116645580e-21;
}

// The sine of r + Quadrant x pi/2 for a reduced r.
inline double SineInQuadrant(double R, int Quadrant) {
  switch (Quadrant & 3) {
    case 0: return SinKernel(R);
    case 1: return CosKernel(R);
    case 2: return -SinKernel(R);
    default: return -CosKernel(R);
  }
}

// Shift 0 for the sine, 1 for the cosine (the sine a quarter turn on).
inline double SineShifted(double X, int Shift) {
  if (std::isnan(X) || std::isinf(X)) return X - X;
  int q = 0;
  const double r = ReducedQuarter(X, q);
  return SineInQuadrant(r, q + Shift);
}

}  // namespace detail

// Below 2^-27 the sine rounds to X itself (and keeps the sign of a zero).
inline double Sin(double X) { return std::fabs(X) < 0x1p-27 ? X : detail::SineShifted(X, 0); }
inline double Cos(double X) { return detail::SineShifted(X, 1); }

inline double Tan(double X) { return Sin(X) / Cos(X); }

// fdlibm's exponential: X = k ln 2 + r, a rational approximation of e^r, scaled by 2^k
// (ldexp is exact, and rounds a subnormal result as IEEE says).
inline double Exp(double X) {
  if (std::isnan(X)) return X;
  if (X > 709.782712893383973096) return HUGE_VAL;
  if (X < -745.133219101941108420) return 0.0;
  if (std::fabs(X) < 3.7252902984e-09) return 1.0 + X;
  const double k = std::floor(X * 1.44269504088896338700e+00 + 0.5);
  const double hi = X - k * 6.93147180369123816490e-01, lo = k * 1.90821492927058770002e-10;
  const double r = hi - lo, t = r * r;
  const double c = r - t * (1.66666666666666019037e-01 +
                            t * (-2.77777777770155933842e-03 +
                                 t * (6.61375632143793436117e-05 +
                                      t * (-1.65339022054652515390e-06 + t * 4.13813679705723846039e-08))));
  const double y = 1.0 - ((lo - (r * c) / (2.0 - c)) - hi);
  return std::ldexp(y, static_cast<int>(k));
}

double Sin(float) = delete;
double Cos(float) = delete;
double Tan(float) = delete;
double Exp(float) = delete;

// These are exact in IEEE arithmetic, so the C library's are the same everywhere.
#define PLASHBOX_EXACT_UNARY(Name, Std) \
  inline double Name(double X) { return Std(X); } \
  double Name(float) = delete;

PLASHBOX_EXACT_UNARY(Sqrt, std::sqrt)
PLASHBOX_EXACT_UNARY(Abs, std::fabs)
PLASHBOX_EXACT_UNARY(Ceil, std::ceil)

#undef PLASHBOX_EXACT_UNARY

inline double Fmod(double X, double Y) { return std::fmod(X, Y); }
// From the C library still: the lens's and the prism's angles only, and only when dragged.
inline double Pow(double X, double Y) { return std::pow(X, Y); }
inline double Atan2(double Y, double X) { return std::atan2(Y, X); }
double Pow(float, float) = delete;
double Atan2(float, float) = delete;
double Fmod(float, double) = delete;

}  // namespace plashbox::exact
