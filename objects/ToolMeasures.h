// objects/: the tank objects placed in the water: sources, maps and their controls.
// What the measuring tools read off their samples: the frequency of a probe's trace (and its
// beat, when two tones close together make it swell and fade), the phase between two traces and
// the maxima along a screen's profile. Plain double arithmetic on the samples, with no toolkit,
// so that the panels only show it and every build reads the same.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace plashbox {

struct TTraceMeasure {
  // False while the trace holds less than two whole periods of an oscillation.
  bool Valid = false;
  // In steps: of the strongest tone; of the wave under the beat while the trace beats.
  double PeriodSteps = 0;
  // Two tones of nearly one frequency (within a fifth of their mean, the weaker at least 40%
  // as strong): the trace swells and fades with the difference of their frequencies.
  bool Beats = false;
  double BeatPeriodSteps = 0;  // from one loudest moment to the next; 0 unless Beats
};

// Trace holds one sample per step, the oldest first; the still water before a wave first moves
// it is left out. The tones are the peaks of its spectrum (Hann-windowed, about its mean,
// refined between the lines); a beat's wave has the two tones' frequencies averaged, weighted
// by their amplitudes, as its crests come in the loud part.
TTraceMeasure MeasureTrace(std::span<const float> Trace);

// From the lowest sample to the highest; 0 for an empty trace.
double PeakToPeak(std::span<const float> Trace);

// Whether two valid measures show one steady frequency, so that a phase between them means
// something: neither beats and their periods are within 2% of each other.
bool SameFrequency(const TTraceMeasure& A, const TTraceMeasure& B);

// The phase by which B lags A at the period PeriodSteps, in degrees in (-180, 180]: from the
// samples both hold, the newest of each, as traces that end at the same step. 0 while they
// share less than two periods.
double PhaseLag(std::span<const float> A, std::span<const float> B, double PeriodSteps);

struct TProfileMaximum {
  double At = 0;      // in samples from the first, refined to a fraction
  double Height = 0;  // the profile's value there
  bool operator==(const TProfileMaximum&) const = default;
};

// A maximum stands out of the profile by at least this part of its range (highest less lowest).
inline constexpr double MinMaximumProminence = 0.05;

// The maxima of a profile along it: samples higher than both neighbours (a flat top counts
// once, at its middle; the ends never count, as the profile may go on rising past them), each
// refined by the parabola through its top three samples, that rise above the lower of the two
// valleys on their sides (down to higher ground or the end) by MinProminence of the profile's
// range and a hundredth of its highest value, so that ripples and a notch in a peak are not
// taken for maxima. Of two closer than MinSeparation samples only the higher is kept. Empty for
// a profile that is everywhere 0.
std::vector<TProfileMaximum> FindMaxima(std::span<const float> Profile, double MinSeparation,
                                        double MinProminence = MinMaximumProminence);

}  // namespace plashbox
