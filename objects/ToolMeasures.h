// objects/: the tank objects placed in the water: sources, maps and their controls.
// What the measuring tools read off their samples: the period, the peak-to-peak amplitude and
// the phase of a probe's trace, and the maxima along a screen's profile. Plain arithmetic on
// the samples, with no toolkit, so that the panels only show it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace plashbox {

struct TTraceMeasure {
  // False while the trace holds less than one whole period of an oscillation.
  bool Valid = false;
  // In steps, between the first and the last upward crossing of the trace's middle level.
  double PeriodSteps = 0;
  double PeakToPeak = 0;
  // Where the last upward crossing lies, in steps from the trace's first sample (fractional).
  double LastRise = 0;
};

// Trace holds one sample per step, the oldest first. A crossing counts only once the trace has
// gone a quarter of its amplitude below the middle, so rounding noise on a level stretch is not
// taken for a wave.
TTraceMeasure MeasureTrace(std::span<const float> Trace);

// The phase by which B lags A, in degrees in (-180, 180], from the last rises of two traces of
// the same steps; 0 unless both are valid.
double PhaseLag(const TTraceMeasure& A, const TTraceMeasure& B);

// The positions of the maxima of a profile (sample indices, refined to a fraction by the
// parabola through the top three samples): the samples higher than both neighbours (a flat top
// counts once, at its middle) that reach at least MinFraction of the highest. Empty for a
// profile that is everywhere 0.
std::vector<double> FindMaxima(std::span<const float> Profile, double MinFraction = 0.1);

}  // namespace plashbox
