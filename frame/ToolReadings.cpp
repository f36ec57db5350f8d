#include "frame/ToolReadings.h"

#include <array>
#include <cmath>

#include "objects/uBaseExciter.h"
#include "objects/uIntensityScreen.h"
#include "objects/uProbe.h"
#include "sim/uWater.h"

namespace plashbox {

double StepsPerSecond(const TSimulationSpeed& Speed) {
  return double(Speed.StepsPerTick) / (double(Speed.TicksPerStep) * TBaseExciter::StepSeconds);
}

TProbeReport ReadProbes(TWater& Water, double StepsPerSecond, int32_t Steps) {
  TProbeReport report;
  std::array<float, TProbe::TraceLength> trace{};
  for (const TProbe* probe : ChildrenOf<TProbe>(Water)) {
    TProbeReading reading;
    reading.Probe = probe;
    const int32_t n = probe->CopyTrace(trace, Steps);
    reading.Measure = MeasureTrace(std::span<const float>(trace.data(), size_t(n)));
    if (reading.Measure.Valid) reading.Hertz = StepsPerSecond / reading.Measure.PeriodSteps;
    report.Probes.push_back(reading);
  }
  // Both traces end at the same step, so their rises compare when they hold as many samples.
  if (report.Probes.size() >= 2) {
    const TProbeReading &a = report.Probes[0], &b = report.Probes[1];
    if (a.Measure.Valid && b.Measure.Valid && a.Probe->Samples() == b.Probe->Samples()) {
      report.HasPhase = true;
      report.PhaseDegrees = PhaseLag(a.Measure, b.Measure);
    }
  }
  return report;
}

std::string ProbeReadingText(const TProbeReading& Reading) {
  const TTraceMeasure& m = Reading.Measure;
  const std::string period = m.Valid ? FormatReadout("%.1f", m.PeriodSteps) : "-";
  const std::string hertz = m.Valid ? FormatReadout("%.2f", Reading.Hertz) : "-";
  return period + " steps, " + hertz + " Hz, p-p " + FormatReadout("%.3g", m.PeakToPeak);
}

std::string PhaseText(const TProbeReport& Report) {
  if (!Report.HasPhase) return {};
  const double lag = Report.PhaseDegrees;
  return (lag < 0 ? "2 leads 1 by " : "2 lags 1 by ") + FormatReadout("%.0f", std::abs(lag)) + "\u00b0";
}

std::string MaximaText(const TIntensityScreen& Screen) {
  const std::vector<double> maxima = Screen.Maxima();
  if (maxima.empty()) return "no maxima yet";
  std::string text = maxima.size() == 1 ? "maximum at " : "maxima at ";
  for (size_t i = 0; i < maxima.size(); ++i) text += (i ? ", " : "") + FormatReadout("%.3g", maxima[i]);
  return text + " cells";
}

std::string ScreenReadingText(TIntensityScreen& Screen) {
  return Screen.HasIntensity() ? MaximaText(Screen) : "no intensity kept yet";
}

}  // namespace plashbox
