// frame/: the window's logic without a window, shared by every front end and the tests.
// What the probes' and the screen's panels show, measured here so that the panels only draw:
// per probe its period, frequency (and beat) and peak-to-peak amplitude, the phases between the
// probes, and the screen's maxima. The window's panels and the page show these very texts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame/TankSession.h"
#include "objects/ToolMeasures.h"

namespace plashbox {

class TIntensityScreen;
class TProbe;
class TWater;

// The steps the water makes in a second at a speed: the window ticks every 16 ms.
double StepsPerSecond(const TSimulationSpeed& Speed);

// The steps the probes' graphs show and their peak-to-peak amplitudes are read over; the
// frequencies are read over every sample a probe keeps, for a finer and steadier reading.
inline constexpr int32_t ProbeGraphSteps = 400;

struct TProbeReading {
  const TProbe* Probe = nullptr;
  TTraceMeasure Measure;  // over all the samples the probe keeps
  double Hertz = 0;       // 0 while the period is not known
  double BeatHertz = 0;   // 0 unless it beats
  double PeakToPeak = 0;  // over the graph's steps
};

struct TProbePhase {
  size_t Probe = 0;       // its index in the report's Probes
  double LagDegrees = 0;  // by which it lags the reference, in (-180, 180]
};

struct TProbeReport {
  std::vector<TProbeReading> Probes;  // in the water's child order
  // The phases are taken against the first probe that reads one steady frequency (it does not
  // beat), for every later probe of that frequency: a phase between different frequencies
  // drifts, so it would mean nothing.
  size_t Reference = 0;
  std::vector<TProbePhase> Phases;
};

// The probes of Water measured: their frequencies over every sample they keep, their
// amplitudes over their last GraphSteps samples, and the phases over the samples the two of a
// pair both hold (each trace ends at the step just made, however long it is).
TProbeReport ReadProbes(TWater& Water, double StepsPerSecond, int32_t GraphSteps = ProbeGraphSteps);

// "28.3 steps, 2.21 Hz, p-p 0.412"; beating, "2.32 Hz, beat 0.33 Hz, p-p 1.23" (the frequency
// of the wave under the beat, then the beat's); the measures not known yet show as "-".
std::string ProbeReadingText(const TProbeReading& Reading);
// "2 lags 1 by 90°, 3 leads 1 by 30°"; "no phase: the frequencies differ" when two probes or
// more read a frequency and none shares the reference's; else empty.
std::string PhaseText(const TProbeReport& Report);
// The screen's panel lists at most this many maxima: the highest, in their order along the line.
inline constexpr size_t ListedMaxima = 5;
// "maxima at 12, 40.5, 71 cells", "... cells and 4 weaker" past ListedMaxima, "no maxima yet"
// while the profile has none.
std::string MaximaText(const TIntensityScreen& Screen);
// What the screen's panel says: the maxima, or that its water keeps no intensity yet.
std::string ScreenReadingText(TIntensityScreen& Screen);

}  // namespace plashbox
