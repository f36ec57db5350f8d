// grid/: the cell grid and its medium, with the rounding and maths rules of every stored value.
// The maths functions of the simulation, taking and giving doubles only. Called on a float,
// <cmath> picks the single-precision overload and loses the bits that the rest of the
// arithmetic keeps; here a float argument does not compile, so every call converts first.
// The simulation's own code (grid/, objects/, sim/) calls these and never <cmath> directly.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

namespace plashbox::exact {

// Sine, cosine, tangent, the exponential and atan2 are computed here, in plain double arithmetic
// that every IEEE machine rounds alike, instead of by the C library: glibc and the browser
// build's C library (musl) round about one sine in thirty differently in the last bit, and those
// bits reach the picture. Accuracy is within an ulp or so; what matters is that every build agrees.
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
double Fmod(float, double) = delete;

namespace detail {

// The upper 32 bits of |X| (exponent and leading fraction), for atan2's test of a quotient too
// large or too small to matter.
inline int32_t HighWord(double X) {
  uint64_t bits;
  std::memcpy(&bits, &X, sizeof bits);
  return static_cast<int32_t>((bits >> 32) & 0x7fffffff);
}

// fdlibm's arctangent: |X| reduced to one of five intervals around 0, 1/2, 1, 3/2 and infinity by
// the addition formula, then an odd polynomial of degree 23 (in two interleaved halves); each
// interval's angle is kept in two parts so the sum loses nothing.
inline double Atan(double X) {
  static constexpr double AtanHi[] = {4.63647609000806093515e-01, 7.85398163397448278999e-01,
                                      9.82793723247329054082e-01, 1.57079632679489655800e+00};
  static constexpr double AtanLo[] = {2.26987774529616870924e-17, 3.06161699786838301793e-17,
                                      1.39033110312309984516e-17, 6.12323399573676603587e-17};
  static constexpr double T[] = {3.33333333333329318027e-01,  -1.99999999998764832476e-01, 1.42857142725034663711e-01,
                                 -1.11111104054623557880e-01, 9.09088713343650656196e-02,  -7.69187620504482999495e-02,
                                 6.66107313738753120669e-02,  -5.83357013379057348645e-02, 4.97687799461593236017e-02,
                                 -3.65315727442169155270e-02, 1.62858201153657823623e-02};
  const double a = std::fabs(X);
  if (std::isnan(X)) return X + X;
  if (a >= 0x1p66) return std::signbit(X) ? -(AtanHi[3] + AtanLo[3]) : AtanHi[3] + AtanLo[3];
  int id = -1;
  double x = X;
  if (a < 0.4375) {
    if (a < 0x1p-27) return X;  // keeps the sign of a zero
  } else if (a < 1.1875) {
    if (a < 0.6875) id = 0, x = (2.0 * a - 1.0) / (2.0 + a);
    else id = 1, x = (a - 1.0) / (a + 1.0);
  } else if (a < 2.4375) {
    id = 2, x = (a - 1.5) / (1.0 + 1.5 * a);
  } else {
    id = 3, x = -1.0 / a;
  }
  const double z = x * x, w = z * z;
  const double s1 = z * (T[0] + w * (T[2] + w * (T[4] + w * (T[6] + w * (T[8] + w * T[10])))));
  const double s2 = w * (T[1] + w * (T[3] + w * (T[5] + w * (T[7] + w * T[9]))));
  if (id < 0) return x - x * (s1 + s2);
  const double r = AtanHi[id] - ((x * (s1 + s2) - AtanLo[id]) - x);
  return std::signbit(X) ? -r : r;
}

}  // namespace detail

// The angle of the point (X, Y), -pi to pi, as fdlibm computes it: the arctangent of |Y / X|
// taken into the point's quadrant, pi in two parts; the signed zeros and the infinities give
// the angles IEEE 754 names (atan2(+0, -0) is pi, atan2(-inf, +inf) is -pi/4).
inline double Atan2(double Y, double X) {
  static constexpr double Pi = 3.1415926535897931160e+00, PiLo = 1.2246467991473531772e-16;
  static constexpr double HalfPi = 1.5707963267948965580e+00, QuarterPi = 7.8539816339744827900e-01;
  if (std::isnan(X) || std::isnan(Y)) return X + Y;
  if (X == 1.0) return detail::Atan(Y);
  // 0 for the right upper half-plane, 1 lower, 2 left upper, 3 left lower; zeros by their sign.
  const int m = (std::signbit(Y) ? 1 : 0) | (std::signbit(X) ? 2 : 0);
  if (Y == 0) return m == 0 || m == 1 ? Y : m == 2 ? Pi : -Pi;
  if (X == 0) return Y < 0 ? -HalfPi : HalfPi;
  if (std::isinf(X)) {
    if (std::isinf(Y)) {
      static constexpr double Corner[] = {QuarterPi, -QuarterPi, 3 * QuarterPi, -3 * QuarterPi};
      return Corner[m];
    }
    static constexpr double Edge[] = {0.0, -0.0, Pi, -Pi};
    return Edge[m];
  }
  if (std::isinf(Y)) return Y < 0 ? -HalfPi : HalfPi;
  // Quotients beyond 2^60 either way are upright or flat to the last bit.
  const int32_t k = (detail::HighWord(Y) - detail::HighWord(X)) >> 20;
  double z;
  int quadrant = m;
  if (k > 60) {
    z = HalfPi + 0.5 * PiLo;
    quadrant &= 1;
  } else if (std::signbit(X) && k < -60) {
    z = 0.0;
  } else {
    z = detail::Atan(std::fabs(Y / X));
  }
  switch (quadrant) {
    case 0: return z;
    case 1: return -z;
    case 2: return Pi - (z - PiLo);
    default: return (z - PiLo) - Pi;
  }
}
double Atan2(float, float) = delete;

}  // namespace plashbox::exact
