#include "objects/ToolMeasures.h"

#include <algorithm>
#include <cmath>

namespace plashbox {

TTraceMeasure MeasureTrace(std::span<const float> Trace) {
  TTraceMeasure m;
  if (Trace.size() < 3) return m;
  const auto [low, high] = std::minmax_element(Trace.begin(), Trace.end());
  const double bottom = *low, top = *high;
  m.PeakToPeak = top - bottom;
  // A float's rounding on a trace near rest is no oscillation.
  if (!(m.PeakToPeak > 1e-6)) return m;
  const double middle = (top + bottom) / 2, arm = middle - m.PeakToPeak / 8;
  bool armed = false;
  int32_t rises = 0;
  double first = 0, last = 0;
  for (size_t i = 1; i < Trace.size(); ++i) {
    const double before = Trace[i - 1], now = Trace[i];
    if (before < arm) armed = true;
    if (!armed || !(before < middle && now >= middle)) continue;
    const double at = double(i - 1) + (middle - before) / (now - before);
    if (rises++ == 0) first = at;
    last = at;
    armed = false;
  }
  if (rises < 2) return m;
  m.Valid = true;
  m.PeriodSteps = (last - first) / (rises - 1);
  m.LastRise = last;
  return m;
}

double PhaseLag(const TTraceMeasure& A, const TTraceMeasure& B) {
  if (!A.Valid || !B.Valid) return 0;
  const double period = (A.PeriodSteps + B.PeriodSteps) / 2;
  double turns = (B.LastRise - A.LastRise) / period;
  turns -= std::floor(turns);  // 0 <= turns < 1
  if (turns > 0.5) turns -= 1;
  const double degrees = 360 * turns;
  return degrees <= -180 ? degrees + 360 : degrees;
}

std::vector<double> FindMaxima(std::span<const float> Profile, double MinFraction) {
  std::vector<double> found;
  if (Profile.empty()) return found;
  const double highest = *std::max_element(Profile.begin(), Profile.end());
  if (!(highest > 0)) return found;
  const double floor = MinFraction * highest;
  const size_t n = Profile.size();
  for (size_t i = 0; i < n;) {
    // The run of equal samples that starts here.
    size_t end = i + 1;
    while (end < n && Profile[end] == Profile[i]) ++end;
    const double v = Profile[i];
    const bool upFromLeft = i == 0 || Profile[i - 1] < v;
    const bool downToRight = end == n || Profile[end] < v;
    if (upFromLeft && downToRight && v >= floor) {
      double at = (double(i) + double(end - 1)) / 2;
      if (end == i + 1 && i > 0 && end < n) {
        const double l = Profile[i - 1], r = Profile[i + 1];
        const double bend = l - 2 * v + r;
        if (bend < 0) at += (l - r) / (2 * bend);
      }
      found.push_back(at);
    }
    i = end;
  }
  return found;
}

}  // namespace plashbox
