// sim/: the water scene with its step and picture, and the collection of scenes.
// The inner loops of the time step (internal to the water).
//
// The displacement pass of column x - 1 runs together with the velocity pass of column x:
// no later velocity reads column x - 1, so the result is exactly that of two full passes,
// while each column comes from the cache once instead of twice from memory. Every kernel
// variant does the same double arithmetic in the same order, so all give the same bits: the
// passes are written once (WaterStepPasses.inc) over a lane type, and the cell-by-cell helpers
// below are their instantiation for plain doubles.
#pragma once

#include <cstdint>
#include <type_traits>
#include <vector>

#include "raster/FastDIB.h"
#include "grid/ExactMath.h"
#include "grid/Rounding.h"
#include "grid/WaterGrid.h"

namespace plashbox::detail {

inline constexpr float DisplacementLimit = 3.5f;

// How cells become pixels: grey levels for the height, a colour cast where the medium is slower.
struct TColouring {
  double Exposure;  // the displacement shown as full white
  double Scale;     // 256 / (2 x Exposure), as a single
};

// The exposure used when the set one is not positive: the smallest whose scale is still finite.
inline constexpr float MinimumExposure = 1e-36f;
TColouring MakeColouring(float Exposure);

// The kernels colour into a band of packed pixels (TPixelColor::Value, one column of the band
// after another, index y within a column) rather than into the picture: a picture column would
// take one cache line and one page per row, a band column is one short run of memory. The band
// goes to the picture row by row once its columns are done.
//
// Of the neighbours Left (unless it is displaced) and Right a kernel reads the displacements
// only, so a copy of those alone may stand in for them.
//
// Velocity pass of Centre (its neighbours Left and Right) over rows 1 .. H-2; when
// DisplaceLeft, then the displacement pass of Left over the same rows, each cell coloured into
// LeftPixels[y] when Paint is given.
using TStepColumnFn = void (*)(const TWaveColumn& Left, const TWaveColumn& Centre, const TConstWaterColumn& Right,
                               int32_t H, bool DisplaceLeft, const TColouring* Paint, uint32_t* LeftPixels);
// Two columns a call: the velocity passes of Centre and Next (Next's right neighbour Right), then
// the displacement passes of Left (when DisplaceLeft) and of Centre, coloured into LeftPixels
// and CentrePixels when Paint is given. Centre's displacements, read once, serve its velocity,
// its displacement and Next's left neighbours.
using TStepTwoColumnsFn = void (*)(const TWaveColumn& Left, const TWaveColumn& Centre, const TWaveColumn& Next,
                                   const TConstWaterColumn& Right, int32_t H, bool DisplaceLeft,
                                   const TColouring* Paint, uint32_t* LeftPixels, uint32_t* CentrePixels);
// Displacement pass of one column over rows 1 .. H-2, with the same colouring.
using TDisplaceColumnFn = void (*)(const TWaveColumn& Column, int32_t H, const TColouring* Paint, uint32_t* Pixels);
// The colours of rows 1 .. H-2 of a column without a step.
using TColourColumnFn = void (*)(const TConstWaterColumn& Column, int32_t H, const TColouring& Paint,
                                 uint32_t* Pixels);
// Rows 1 .. H-2 of a band of Columns columns (column c at Band + c x Stride) into the picture
// rows Rows[y] from pixel X on.
using TWriteBandFn = void (*)(const uint32_t* Band, int32_t Stride, int32_t Columns, int32_t H,
                              TPixelColor* const* Rows, int32_t X);

// A band of StreamColumns columns from pixel X, a multiple of them, into a picture whose rows
// start on cache lines, the same as a TWriteBandFn but past the caches. The bands come in
// twos from a multiple of 2 x StreamColumns: the first keeps part of every row in Carry (row y
// at Carry + y x CarryValues) for the second, which must follow it.
inline constexpr int32_t StreamColumns = 32;
inline constexpr int32_t CarryValues = 8;
inline constexpr bool FirstOfStreamedPair(int32_t X) { return X % (2 * StreamColumns) == 0; }
using TStreamBandFn = void (*)(const uint32_t* Band, int32_t Stride, int32_t H, TPixelColor* const* Rows, int32_t X,
                               uint32_t* Carry);
// The part of every row that the first of two streamed bands from X keeps in Carry, written
// out as it is when no second follows.
void WriteCarry(const uint32_t* Carry, int32_t H, TPixelColor* const* Rows, int32_t X);

struct TStepKernels {
  TStepColumnFn StepColumn;
  TDisplaceColumnFn DisplaceColumn;
  TColourColumnFn ColourColumn;
  TWriteBandFn WriteBand;
  TStepTwoColumnsFn StepTwoColumns;  // nil: the sweep goes a column at a time
  TStreamBandFn StreamBand;          // nil: every band goes through WriteBand
  const char* Name;
};

// Every variant this processor runs, the plain one first and the fastest last.
std::vector<const TStepKernels*> AvailableStepKernels();
const TStepKernels& BestStepKernels();

// How a kernel reads a column's neighbours below and above (see WaterStepPasses.inc).
enum class TNeighbourReads { Registers, Memory, ShiftedSingles };

// One row at a time in plain doubles and singles: the lane type of the portable kernels and of
// the rows after the last whole block of the vector kernels that have no masks.
struct TScalarLanes {
  static constexpr int32_t Lanes = 1;
  static constexpr bool PartBlocks = false;
  static constexpr bool ReadsWideMedium = false;
  static constexpr TNeighbourReads FixedReads = TNeighbourReads::Registers;
  static constexpr TNeighbourReads MovedReads = TNeighbourReads::Registers;
  using Singles = float;
  using Doubles = double;
  using Pixels = uint32_t;
  using TColourLanes = TScalarLanes;
  struct TWhole {};

  static double Wide(const float* Values, TWhole) { return *Values; }
  static float Load(const float* Values, TWhole) { return *Values; }
  static double Load(const double* Values, TWhole) { return *Values; }
  static void Store(float* Values, float Value, TWhole) { *Values = Value; }
  static void Store(uint32_t* Values, uint32_t Value, TWhole) { *Values = Value; }
  static double Splat(double Value) { return Value; }
  static float SplatSingles(float Value) { return Value; }
  static double Add(double A, double B) { return A + B; }
  static double Mul(double A, double B) { return A * B; }
  static double LessFourTimes(double Sum, double Centre) { return Sum - 4.0 * Centre; }
  static float Narrow(double Value) { return static_cast<float>(Value); }
  static double Widen(float Value) { return Value; }
  static float MinSingles(float A, float B) { return A < B ? A : B; }
  static float MaxSingles(float A, float B) { return A > B ? A : B; }
  static double MinDoubles(double A, double B) { return A < B ? A : B; }
  static double MaxDoubles(double A, double B) { return A > B ? A : B; }
  static uint32_t RoundDoubles(double Level) { return static_cast<uint32_t>(Round(Level)); }
  static uint32_t RoundSingles(float Level) { return RoundDoubles(Level); }
  static bool AllOpenWater(float SpeedFactor) { return SpeedFactor == OpenWaterSpeedFactor; }
  static uint32_t Grey(uint32_t Red) { return Red * 0x010101u; }
  static uint32_t Pack(uint32_t Red, uint32_t Green) { return Red << 16 | Green << 8 | Green; }
  static double RowsBelow(double, double Previous) { return Previous; }
  static double RowsAbove(double, double Next) { return Next; }
  static float LastRow(double Row) { return static_cast<float>(Row); }
};

namespace scalar {
#include "sim/WaterStepPasses.inc"
}  // namespace scalar

inline float Displaced(float Displacement, float Velocity, float Damping) {
  return scalar::Displaced<TScalarLanes>(Displacement, Velocity, Damping);
}

inline TPixelColor CellColour(float Displacement, float SpeedFactor, const TColouring& Paint) {
  return TPixelColor::FromValue(
      scalar::Colours<TScalarLanes>(&Displacement, &SpeedFactor, TScalarLanes::TWhole{}, Paint));
}
inline TPixelColor CellColour(const TWaterCell& c, const TColouring& Paint) {
  return CellColour(c.Displacement, c.SpeedFactor, Paint);
}

// The intensity view shows the amplitude of a sine of the cell's mean square, sqrt(2 x mean),
// at the height levels of the wave picture: an amplitude of half the exposure is the
// brightest level. The medium level follows the same rule as the wave's.
inline TPixelColor IntensityColour(float Mean, float SpeedFactor, const TColouring& Paint) {
  const auto t = static_cast<float>(exact::Sqrt(2.0 * double(Mean)) * 4.0 * Paint.Scale);
  return TPixelColor::FromValue(scalar::Shade<TScalarLanes>(t, SpeedFactor));
}

// The running mean of the squared height of one column (rows 1 .. H-2), updated after the
// column's displacement pass: Rate is the new square's share, one over the time constant in
// steps. With Paint, each cell's intensity colour goes into Pixels[y].
inline void AccumulateIntensity(const TConstWaterColumn& Column, float* Mean, int32_t H, double Rate,
                                const TColouring* Paint, uint32_t* Pixels) {
  for (int32_t y = 1; y < H - 1; ++y) {
    const double d = Column.Displacement[y], m = Mean[y];
    Mean[y] = static_cast<float>(m + Rate * (d * d - m));
    if (Paint) Pixels[y] = IntensityColour(Mean[y], Column.SpeedFactor[y], *Paint).Value();
  }
}

inline void ColourIntensity(const TConstWaterColumn& Column, const float* Mean, int32_t H, const TColouring& Paint,
                            uint32_t* Pixels) {
  for (int32_t y = 1; y < H - 1; ++y) Pixels[y] = IntensityColour(Mean[y], Column.SpeedFactor[y], Paint).Value();
}

}  // namespace plashbox::detail
