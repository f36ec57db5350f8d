// frame/: the window's logic without a window, shared by every front end and the tests.
// What the probes' and the screen's panels show, measured here so that the panels only draw:
// per probe its period, frequency and peak-to-peak amplitude, and the phase between the first
// two probes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame/uDemoMainFormCore.h"
#include "objects/ToolMeasures.h"

namespace plashbox {

class TIntensityScreen;
class TProbe;
class TWater;

// The steps the water makes in a second at a speed: the window ticks every 16 ms.
double StepsPerSecond(const TSimulationSpeed& Speed);

// The steps the probes' graphs show and measure.
inline constexpr int32_t ProbeGraphSteps = 400;

struct TProbeReading {
  const TProbe* Probe = nullptr;
  TTraceMeasure Measure;
  double Hertz = 0;  // 0 while the period is not known
};

struct TProbeReport {
  std::vector<TProbeReading> Probes;  // in the water's child order
  bool HasPhase = false;              // two valid probes or more
  double PhaseDegrees = 0;            // by which the second lags the first
};

// The probes of Water measured over their last Steps samples.
TProbeReport ReadProbes(TWater& Water, double StepsPerSecond, int32_t Steps = ProbeGraphSteps);

// "24.0 steps, 2.60 Hz, p-p 0.412"; the measures not known yet show as "-".
std::string ProbeReadingText(const TProbeReading& Reading);
// "2 lags 1 by 90°" or "2 leads 1 by 30°", empty without a phase.
std::string PhaseText(const TProbeReport& Report);
// "maxima at 12, 40.5, 71 cells", "no maxima yet" while the profile is flat.
std::string MaximaText(const TIntensityScreen& Screen);
// What the screen's panel says: the maxima, or that its water keeps no intensity yet.
std::string ScreenReadingText(TIntensityScreen& Screen);

}  // namespace plashbox
