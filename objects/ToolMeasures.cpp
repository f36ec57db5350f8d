#include "objects/ToolMeasures.h"

#include <algorithm>
#include <numbers>

#include "grid/ExactMath.h"

namespace plashbox {

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;

// A float's rounding on a trace near rest is no oscillation.
constexpr double RestLevel = 1e-6;
// A beat's weaker tone is at least this part of the stronger, and the two are within this part
// of their mean frequency of each other; the spectrum's side lobes stay far below the first.
constexpr double BeatStrength = 0.4, BeatCloseness = 0.2;

// The Hann window over N samples, taken at the middle of each.
double HannWeight(size_t I, size_t N) { return 0.5 - 0.5 * exact::Cos(TwoPi * (double(I) + 0.5) / double(N)); }

// The trace about its mean, windowed.
std::vector<double> Windowed(std::span<const float> Trace) {
  const size_t n = Trace.size();
  double mean = 0;
  for (const float v : Trace) mean += v;
  mean /= double(n);
  std::vector<double> out(n);
  for (size_t i = 0; i < n; ++i) out[i] = (double(Trace[i]) - mean) * HannWeight(i, n);
  return out;
}

// The magnitudes of the spectrum of Samples padded with zeros to Size (a power of two), line k
// at k / Size cycles per step for k = 0 .. Size / 2; a radix-2 transform in place.
std::vector<double> Magnitudes(const std::vector<double>& Samples, size_t Size) {
  std::vector<double> re(Size, 0.0), im(Size, 0.0);
  std::copy(Samples.begin(), Samples.end(), re.begin());
  for (size_t i = 1, j = 0; i < Size; ++i) {
    size_t bit = Size >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j |= bit;
    if (i < j) {
      std::swap(re[i], re[j]);
      std::swap(im[i], im[j]);
    }
  }
  for (size_t length = 2; length <= Size; length <<= 1) {
    const size_t half = length / 2;
    for (size_t k = 0; k < half; ++k) {
      const double angle = -TwoPi * double(k) / double(length);
      const double wr = exact::Cos(angle), wi = exact::Sin(angle);
      for (size_t at = k; at < Size; at += length) {
        const size_t other = at + half;
        const double tr = wr * re[other] - wi * im[other], ti = wr * im[other] + wi * re[other];
        re[other] = re[at] - tr;
        im[other] = im[at] - ti;
        re[at] += tr;
        im[at] += ti;
      }
    }
  }
  std::vector<double> out(Size / 2 + 1);
  for (size_t k = 0; k < out.size(); ++k) out[k] = exact::Sqrt(re[k] * re[k] + im[k] * im[k]);
  return out;
}

struct TTone {
  double CyclesPerStep = 0;
  double Amplitude = 0;  // in the spectrum's units, to compare tones
};

// The peak of the spectrum at line K, refined by the parabola through it and its neighbours.
TTone ToneAt(const std::vector<double>& Spectrum, size_t K, size_t Size) {
  const double l = Spectrum[K - 1], m = Spectrum[K], r = Spectrum[K + 1];
  const double bend = l - 2 * m + r;
  const double shift = bend < 0 ? 0.5 * (l - r) / bend : 0;
  return {(double(K) + shift) / double(Size), m - 0.25 * (l - r) * shift};
}

}  // namespace

TTraceMeasure MeasureTrace(std::span<const float> Trace) {
  TTraceMeasure m;
  if (Trace.size() < 8 || !(PeakToPeak(Trace) > RestLevel)) return m;
  // The still water before a wave reaches the probe is left out: its sudden start would make
  // the tone look like two.
  double reach = 0;
  for (const float v : Trace) reach = std::max(reach, exact::Abs(double(v) - double(Trace[0])));
  size_t start = 0;
  while (exact::Abs(double(Trace[start]) - double(Trace[0])) <= 0.1 * reach) ++start;
  Trace = Trace.subspan(start > 0 ? start - 1 : 0);
  const size_t n = Trace.size();
  if (n < 8) return m;
  size_t size = 2;
  while (size < 2 * n) size <<= 1;  // at least twice the trace: lines half a period's worth apart
  const std::vector<double> spectrum = Magnitudes(Windowed(Trace), size);
  std::vector<size_t> peaks;
  for (size_t k = 1; k + 1 < spectrum.size(); ++k)
    if (spectrum[k] > spectrum[k - 1] && spectrum[k] >= spectrum[k + 1]) peaks.push_back(k);
  if (peaks.empty()) return m;
  const auto louder = [&](size_t A, size_t B) { return spectrum[A] < spectrum[B]; };
  const size_t strongest = *std::max_element(peaks.begin(), peaks.end(), louder);
  const TTone tone = ToneAt(spectrum, strongest, size);
  // The strongest other tone near it, if it is strong enough to make the trace beat.
  TTone partner;
  for (const size_t k : peaks) {
    if (k == strongest || spectrum[k] < BeatStrength * spectrum[strongest]) continue;
    const TTone other = ToneAt(spectrum, k, size);
    const double gap = exact::Abs(other.CyclesPerStep - tone.CyclesPerStep);
    if (gap <= BeatCloseness * (other.CyclesPerStep + tone.CyclesPerStep) / 2 && other.Amplitude > partner.Amplitude)
      partner = other;
  }
  double cycles = tone.CyclesPerStep;
  if (partner.Amplitude > 0) {
    cycles = (tone.Amplitude * tone.CyclesPerStep + partner.Amplitude * partner.CyclesPerStep) /
             (tone.Amplitude + partner.Amplitude);
    m.Beats = true;
    m.BeatPeriodSteps = 1 / exact::Abs(partner.CyclesPerStep - tone.CyclesPerStep);
  }
  if (!(cycles * double(n) >= 2)) return TTraceMeasure{};
  m.Valid = true;
  m.PeriodSteps = 1 / cycles;
  return m;
}

double PeakToPeak(std::span<const float> Trace) {
  if (Trace.empty()) return 0;
  const auto [low, high] = std::minmax_element(Trace.begin(), Trace.end());
  return double(*high) - double(*low);
}

bool SameFrequency(const TTraceMeasure& A, const TTraceMeasure& B) {
  if (!A.Valid || !B.Valid || A.Beats || B.Beats) return false;
  return exact::Abs(A.PeriodSteps - B.PeriodSteps) <= 0.02 * (A.PeriodSteps + B.PeriodSteps) / 2;
}

double PhaseLag(std::span<const float> A, std::span<const float> B, double PeriodSteps) {
  const size_t n = std::min(A.size(), B.size());
  if (!(PeriodSteps > 0) || !(double(n) >= 2 * PeriodSteps)) return 0;
  const std::vector<double> a = Windowed(A.last(n)), b = Windowed(B.last(n));
  // Each trace's component at the period, as a pointer whose angle is its phase.
  double aRe = 0, aIm = 0, bRe = 0, bIm = 0;
  for (size_t i = 0; i < n; ++i) {
    const double angle = TwoPi * double(i) / PeriodSteps, c = exact::Cos(angle), s = exact::Sin(angle);
    aRe += a[i] * c;
    aIm -= a[i] * s;
    bRe += b[i] * c;
    bIm -= b[i] * s;
  }
  double turns = (exact::Atan2(aIm, aRe) - exact::Atan2(bIm, bRe)) / TwoPi;
  turns -= std::floor(turns);  // 0 <= turns < 1
  if (turns > 0.5) turns -= 1;
  return 360 * turns;
}

std::vector<TProfileMaximum> FindMaxima(std::span<const float> Profile, double MinSeparation, double MinProminence) {
  std::vector<TProfileMaximum> found;
  if (Profile.empty()) return found;
  const auto [low, high] = std::minmax_element(Profile.begin(), Profile.end());
  const double highest = *high;
  if (!(highest > 0)) return found;
  const double needed = std::max(MinProminence * (highest - double(*low)), 0.01 * highest);
  const size_t n = Profile.size();
  for (size_t i = 1; i < n;) {
    // The run of equal samples that starts here.
    size_t end = i + 1;
    while (end < n && Profile[end] == Profile[i]) ++end;
    const float v = Profile[i];
    if (end == n || !(Profile[i - 1] < v && Profile[end] < v)) {
      i = end;
      continue;
    }
    // The valleys on either side: the lowest samples before the profile rises above this top.
    float left = v, right = v;
    for (size_t k = i; k-- > 0 && Profile[k] <= v;) left = std::min(left, Profile[k]);
    for (size_t k = end; k < n && Profile[k] <= v; ++k) right = std::min(right, Profile[k]);
    if (double(v) - double(std::max(left, right)) >= needed) {
      double at = (double(i) + double(end - 1)) / 2;
      if (end == i + 1) {
        const double l = Profile[i - 1], r = Profile[i + 1];
        const double bend = l - 2 * double(v) + r;
        if (bend < 0) at += (l - r) / (2 * bend);
      }
      found.push_back({at, v});
    }
    i = end;
  }
  // The higher first, so that each keeps its place against the lower ones near it.
  std::stable_sort(found.begin(), found.end(),
                   [](const TProfileMaximum& A, const TProfileMaximum& B) { return A.Height > B.Height; });
  std::vector<TProfileMaximum> kept;
  for (const TProfileMaximum& m : found)
    if (std::none_of(kept.begin(), kept.end(),
                     [&](const TProfileMaximum& k) { return exact::Abs(k.At - m.At) < MinSeparation; }))
      kept.push_back(m);
  std::sort(kept.begin(), kept.end(), [](const TProfileMaximum& A, const TProfileMaximum& B) { return A.At < B.At; });
  return kept;
}

}  // namespace plashbox
