// The simulation's own sine, cosine, tangent, exponential and atan2: close to the C library's
// (they replace it) and pinned to their bits, which the browser build must compute alike (the
// browser tests compare whole frames with the driver's, and the page's MathDigest with the one
// pinned here).
#include "grid/ExactMath.h"

#include "grid/ExactMathDigest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace plashbox::exact {
namespace {

uint64_t Bits(double X) {
  uint64_t u;
  std::memcpy(&u, &X, sizeof u);
  return u;
}

// How many doubles lie between A and B (both finite, of one sign).
int64_t UlpsApart(double A, double B) {
  if (A == B) return 0;
  const auto a = int64_t(Bits(A)), b = int64_t(Bits(B));
  return a > b ? a - b : b - a;
}

// Arguments spread over the ranges the tank uses: phases, Gaussian exponents, angles.
template <typename F>
void ForSpreadArguments(double From, double To, F&& Check) {
  uint64_t state = 12345;
  for (int i = 0; i < 100000; ++i) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    Check(From + (To - From) * double(state >> 11) / double(uint64_t{1} << 53));
  }
}

TEST(ExactMath, SineAndCosineStayWithinOneUlpOfTheCLibrary) {
  ForSpreadArguments(-100, 100, [](double x) {
    const double s = std::sin(x), c = std::cos(x);
    // Near a zero the absolute error is what counts: the reduction keeps about 2^-80 of pi/2.
    if (std::fabs(s) > 1e-6) EXPECT_LE(UlpsApart(Sin(x), s), 1) << x;
    else EXPECT_NEAR(Sin(x), s, 1e-20) << x;
    if (std::fabs(c) > 1e-6) EXPECT_LE(UlpsApart(Cos(x), c), 1) << x;
    else EXPECT_NEAR(Cos(x), c, 1e-20) << x;
  });
}

TEST(ExactMath, ExponentialAndTangentStayClose) {
  ForSpreadArguments(-700, 700, [](double x) { EXPECT_LE(UlpsApart(Exp(x), std::exp(x)), 1) << x; });
  ForSpreadArguments(-1.5, 1.5, [](double x) { EXPECT_LE(UlpsApart(Tan(x), std::tan(x)), 3) << x; });
}

// Points in every quadrant with quotients from 2^-75 to 2^75, which take the arctangent
// through all five of its intervals and atan2 through both of its cut-offs.
TEST(ExactMath, Atan2StaysWithinOneUlpOfTheCLibrary) {
  uint64_t state = 987654321;
  const auto next = [&state] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return double(state >> 11) / double(uint64_t{1} << 53);
  };
  for (int i = 0; i < 100000; ++i) {
    const double x = 2 * next() - 1, y = (2 * next() - 1) * std::ldexp(1.0, int(next() * 150) - 75);
    EXPECT_LE(UlpsApart(Atan2(y, x), std::atan2(y, x)), 1) << std::hexfloat << y << ", " << x;
  }
  // Along the x axis of 1 atan2 is the arctangent itself; the angles of the tank's handles.
  ForSpreadArguments(-20, 20, [](double y) { EXPECT_LE(UlpsApart(Atan2(y, 1.0), std::atan(y)), 1) << y; });
  ForSpreadArguments(-3.2, 3.2, [](double a) {
    const double y = std::sin(a) * 37.0, x = std::cos(a) * 37.0;
    EXPECT_LE(UlpsApart(Atan2(y, x), std::atan2(y, x)), 1) << a;
  });
}

// Zeros, infinities and NaN give what IEEE 754 names, to the bit, as the C library does.
TEST(ExactMath, Atan2OfTheSpecialValues) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  const double values[] = {0.0, -0.0, inf, -inf, 1.0, -1.0, 0x1p-1074, -0x1p-1074, 1e300, -1e300, 3.0, -0.5, nan};
  for (const double y : values)
    for (const double x : values) {
      const double ours = Atan2(y, x), theirs = std::atan2(y, x);
      if (std::isnan(theirs)) EXPECT_TRUE(std::isnan(ours)) << y << ", " << x;
      else EXPECT_EQ(Bits(ours), Bits(theirs)) << y << ", " << x << ": " << ours << " for " << theirs;
    }
  EXPECT_EQ(Atan2(0.0, -0.0), 3.1415926535897931160);
  EXPECT_TRUE(std::signbit(Atan2(-0.0, 2.0)));
}

TEST(ExactMath, EdgesOfTheRanges) {
  EXPECT_EQ(Sin(0.0), 0.0);
  EXPECT_TRUE(std::signbit(Sin(-0.0)));
  EXPECT_EQ(Cos(0.0), 1.0);
  EXPECT_TRUE(std::isnan(Sin(std::numeric_limits<double>::infinity())));
  EXPECT_TRUE(std::isnan(Cos(std::numeric_limits<double>::quiet_NaN())));
  // Beyond the three-part reduction the argument is first taken modulo 2 pi.
  EXPECT_NEAR(Sin(1e9), std::sin(1e9), 1e-6);
  EXPECT_EQ(Exp(0.0), 1.0);
  EXPECT_EQ(Exp(-800.0), 0.0);
  EXPECT_TRUE(std::isinf(Exp(710.0)));
  EXPECT_GT(Exp(-740.0), 0.0);  // subnormal, not flushed
  EXPECT_LE(UlpsApart(Exp(-740.0), std::exp(-740.0)), 1);
  EXPECT_TRUE(std::isnan(Exp(std::numeric_limits<double>::quiet_NaN())));
}

// The bits themselves, as every build must produce them; a change here changes every frame.
TEST(ExactMath, BitsArePinned) {
  EXPECT_EQ(Bits(Sin(2.5)), 0x3fe326af0dcfcab0ULL) << std::hexfloat << Sin(2.5);
  EXPECT_EQ(Bits(Cos(2.5)), 0xbfe9a2f7ef858b7dULL) << std::hexfloat << Cos(2.5);
  EXPECT_EQ(Bits(Exp(-0.5)), 0x3fe368b2fc6f960aULL) << std::hexfloat << Exp(-0.5);
  EXPECT_EQ(Bits(Atan2(0.75, -2.0)), 0x400643382c07913aULL) << std::hexfloat << Atan2(0.75, -2.0);
}

// The page computes this digest in WebAssembly and its browser test expects the same value:
// 200,000 sines and cosines, 200,000 atan2s (and as many exponentials) agree to the bit.
TEST(ExactMath, DigestIsPinned) { EXPECT_EQ(MathDigest(200000), "3201e02e734efb74"); }

}  // namespace
}  // namespace plashbox::exact
