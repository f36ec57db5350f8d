#include "frame/ToolReadings.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "objects/uBaseExciter.h"
#include "objects/uIntensityScreen.h"
#include "objects/uProbe.h"
#include "sim/uWater.h"
#include "text/TextCatalogue.h"

namespace plashbox {

double StepsPerSecond(const TSimulationSpeed& Speed) {
  return double(Speed.StepsPerTick) / (double(Speed.TicksPerStep) * TBaseExciter::StepSeconds);
}

TProbeReport ReadProbes(TWater& Water, double StepsPerSecond, int32_t GraphSteps) {
  TProbeReport report;
  std::vector<std::vector<float>> traces;
  for (const TProbe* probe : ChildrenOf<TProbe>(Water)) {
    std::vector<float>& trace = traces.emplace_back(size_t(TProbe::TraceLength));
    trace.resize(size_t(probe->CopyTrace(trace, TProbe::TraceLength)));
    TProbeReading reading;
    reading.Probe = probe;
    reading.Measure = MeasureTrace(trace);
    const TTraceMeasure& m = reading.Measure;
    if (m.Valid) reading.Hertz = StepsPerSecond / m.PeriodSteps;
    if (m.Valid && m.Beats) reading.BeatHertz = StepsPerSecond / m.BeatPeriodSteps;
    const size_t shown = std::min(trace.size(), size_t(std::max(GraphSteps, 0)));
    reading.PeakToPeak = PeakToPeak(std::span<const float>(trace).last(shown));
    report.Probes.push_back(reading);
  }
  const std::vector<TProbeReading>& probes = report.Probes;
  const auto steady = [](const TProbeReading& R) { return R.Measure.Valid && !R.Measure.Beats; };
  const auto reference = std::find_if(probes.begin(), probes.end(), steady);
  if (reference == probes.end()) return report;
  report.Reference = size_t(reference - probes.begin());
  const TTraceMeasure& base = reference->Measure;
  for (size_t i = report.Reference + 1; i < probes.size(); ++i) {
    const TTraceMeasure& m = probes[i].Measure;
    if (!SameFrequency(base, m)) continue;
    const double period = (base.PeriodSteps + m.PeriodSteps) / 2;
    report.Phases.push_back({i, PhaseLag(traces[report.Reference], traces[i], period)});
  }
  return report;
}

std::string ProbeReadingText(const TProbeReading& Reading) {
  const TTraceMeasure& m = Reading.Measure;
  const std::string amplitude =
      FormattedText("reading.probe.amplitude", {{"value", FormatReadout("%.3g", Reading.PeakToPeak)}});
  if (!m.Valid) return FormattedText("reading.probe.unmeasured", {{"amplitude", amplitude}});
  const std::string hertz = FormatReadout("%.2f", Reading.Hertz);
  // Beating, the wave's period in steps gives way to the beat: the row has room for one of them.
  if (m.Beats)
    return FormattedText("reading.probe.beat", {{"hertz", hertz},
                                                {"beat", FormatReadout("%.2f", Reading.BeatHertz)},
                                                {"amplitude", amplitude}});
  return FormattedText("reading.probe.period",
                       {{"steps", FormatReadout("%.1f", m.PeriodSteps)}, {"hertz", hertz}, {"amplitude", amplitude}});
}

std::string PhaseText(const TProbeReport& Report) {
  std::string text;
  const std::string reference = std::to_string(Report.Reference + 1);
  for (const TProbePhase& phase : Report.Phases) {
    const double lag = phase.LagDegrees;
    const std::initializer_list<TTextValue> values{{"probe", std::to_string(phase.Probe + 1)},
                                                   {"reference", reference},
                                                   {"degrees", FormatReadout("%.0f", std::abs(lag))}};
    const std::string item =
        lag < 0 ? FormattedText("reading.phase.leads", values) : FormattedText("reading.phase.lags", values);
    text = text.empty() ? item : FormattedText("reading.list", {{"list", text}, {"item", item}});
  }
  const auto valid = std::count_if(Report.Probes.begin(), Report.Probes.end(),
                                   [](const TProbeReading& R) { return R.Measure.Valid; });
  if (text.empty() && valid >= 2) return TextOf("reading.phase.none");
  return text;
}

namespace {

// A distance along the screen: three figures, whole cells from 100 on.
std::string CellsText(double Cells) { return FormatReadout(Cells < 100 ? "%.3g" : "%.0f", Cells); }

}  // namespace

std::string MaximaText(const TIntensityScreen& Screen) {
  std::vector<TProfileMaximum> maxima = Screen.ProfileMaxima();
  if (maxima.empty()) return TextOf("reading.maxima.none");
  const size_t weaker = maxima.size() > ListedMaxima ? maxima.size() - ListedMaxima : 0;
  if (weaker) {
    // The highest, back in their order along the line.
    std::stable_sort(maxima.begin(), maxima.end(),
                     [](const TProfileMaximum& A, const TProfileMaximum& B) { return A.Height > B.Height; });
    maxima.resize(ListedMaxima);
    std::sort(maxima.begin(), maxima.end(),
              [](const TProfileMaximum& A, const TProfileMaximum& B) { return A.At < B.At; });
  }
  const double cells = Screen.CellsPerSample();
  std::string places;
  for (const TProfileMaximum& maximum : maxima) {
    const std::string place = CellsText(maximum.At * cells);
    places = places.empty() ? place : FormattedText("reading.list", {{"list", places}, {"item", place}});
  }
  const std::string text = maxima.size() == 1 ? FormattedText("reading.maxima.one", {{"places", places}})
                                              : FormattedText("reading.maxima.many", {{"places", places}});
  return weaker ? FormattedText("reading.maxima.weaker", {{"maxima", text}, {"weaker", std::to_string(weaker)}}) : text;
}

std::string ScreenReadingText(TIntensityScreen& Screen) {
  return Screen.HasIntensity() ? MaximaText(Screen) : TextOf("reading.screen.empty");
}

}  // namespace plashbox
