// The measuring tools: what a probe's trace and a screen's profile are read as, the probe's
// ring of samples, and the screen's line through a known intensity field.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "objects/ToolMeasures.h"
#include "objects/UniqueIDs.h"
#include "objects/uIntensityScreen.h"
#include "objects/uProbe.h"
#include "xmlworker/XMLFormat.h"

using namespace plashbox;

namespace {

std::vector<float> Sine(int32_t Steps, double Period, double Amplitude, double PhaseDegrees = 0, double Offset = 0) {
  std::vector<float> out;
  for (int32_t i = 0; i < Steps; ++i)
    out.push_back(static_cast<float>(
        Offset + Amplitude * std::sin(2 * std::numbers::pi * (i / Period) - PhaseDegrees * std::numbers::pi / 180)));
  return out;
}

TEST(ToolMeasures, ASineIsReadAsItsPeriodAndPeakToPeak) {
  const std::vector<float> sine = Sine(400, 23.7, 0.4, 0, 0.05);
  const TTraceMeasure m = MeasureTrace(sine);
  ASSERT_TRUE(m.Valid);
  EXPECT_FALSE(m.Beats);
  EXPECT_NEAR(m.PeriodSteps, 23.7, 0.02);
  EXPECT_NEAR(PeakToPeak(sine), 0.8, 0.002);
  EXPECT_NEAR(MeasureTrace(Sine(1024, 28.28, 1, 40)).PeriodSteps, 28.28, 0.01);
  // Less than two periods, a level trace and one of rounding noise say nothing of a period.
  EXPECT_FALSE(MeasureTrace(Sine(40, 23.7, 0.4)).Valid);
  EXPECT_TRUE(MeasureTrace(Sine(60, 23.7, 0.4)).Valid);
  EXPECT_FALSE(MeasureTrace(std::vector<float>(400, 0.3f)).Valid);
  std::vector<float> noise(400, 0.0f);
  for (size_t i = 0; i < noise.size(); i += 2) noise[i] = 1e-8f;
  EXPECT_FALSE(MeasureTrace(noise).Valid);
  // A small ripple on a big wave, and a harmonic far from it, leave the period alone.
  std::vector<float> rippled = Sine(400, 40, 1), harmonic = Sine(400, 40, 1);
  const std::vector<float> third = Sine(400, 40.0 / 3, 0.6);
  for (size_t i = 0; i < rippled.size(); ++i) {
    rippled[i] += (i % 2 ? 0.02f : -0.02f);
    harmonic[i] += third[i];
  }
  EXPECT_NEAR(MeasureTrace(rippled).PeriodSteps, 40, 0.2);
  const TTraceMeasure shaped = MeasureTrace(harmonic);
  EXPECT_NEAR(shaped.PeriodSteps, 40, 0.2);
  EXPECT_FALSE(shaped.Beats);
}

// The beats slide's tones, 28.28 and 24.6 steps; the second half as strong as the first.
TEST(ToolMeasures, BeatsAreReadAsTheWaveUnderTheBeatAndTheBeat) {
  const double p1 = 20 / 0.7071, p2 = p1 / 1.15;
  std::vector<float> beats = Sine(1024, p1, 1), even = Sine(1024, p1, 0.5);
  const std::vector<float> second = Sine(1024, p2, 0.5, 70);
  for (size_t i = 0; i < beats.size(); ++i) {
    beats[i] += second[i];
    even[i] += second[i];
  }
  const TTraceMeasure m = MeasureTrace(beats);
  ASSERT_TRUE(m.Valid);
  EXPECT_TRUE(m.Beats);
  // The crests come at the tones' frequencies weighted by their amplitudes.
  EXPECT_NEAR(1 / m.PeriodSteps, (1 / p1 + 0.5 / p2) / 1.5, 0.0003);
  EXPECT_NEAR(m.BeatPeriodSteps, 1 / (1 / p2 - 1 / p1), 3);
  // As strong as each other, at their mean.
  const TTraceMeasure e = MeasureTrace(even);
  EXPECT_TRUE(e.Beats);
  EXPECT_NEAR(1 / e.PeriodSteps, (1 / p1 + 1 / p2) / 2, 0.0003);
  EXPECT_FALSE(SameFrequency(m, m)) << "no phase between beating traces";
}

TEST(ToolMeasures, ThePhaseLagIsTakenIntoAHalfTurnEitherWayOverTheStepsBothHold) {
  const std::vector<float> a = Sine(400, 30, 1);
  EXPECT_NEAR(PhaseLag(a, Sine(400, 30, 1, 90), 30), 90, 1);
  EXPECT_NEAR(PhaseLag(a, Sine(400, 30, 1, 270), 30), -90, 1);
  EXPECT_NEAR(PhaseLag(a, Sine(400, 30, 0.2, 360), 30), 0, 1) << "a whole period later is in phase";
  EXPECT_EQ(PhaseLag(a, std::vector<float>(40, 0.0f), 30), 0) << "less than two periods in common";
  // A probe added later holds fewer steps; both end at the step just made.
  const std::vector<float> whole = Sine(1024, 30, 1, 45);
  const std::vector<float> late(whole.end() - 100, whole.end());
  EXPECT_NEAR(PhaseLag(Sine(1024, 30, 1), late, 30), 45, 1);
  EXPECT_NEAR(PhaseLag(late, Sine(1024, 30, 1), 30), -45, 1);
  // One frequency within 2%, not two.
  EXPECT_TRUE(SameFrequency(MeasureTrace(a), MeasureTrace(Sine(400, 30.3, 1))));
  EXPECT_FALSE(SameFrequency(MeasureTrace(a), MeasureTrace(Sine(400, 33, 1))));
  EXPECT_FALSE(SameFrequency(MeasureTrace(a), MeasureTrace(std::vector<float>(400, 0.0f))));
}

std::vector<double> Positions(const std::vector<TProfileMaximum>& Maxima) {
  std::vector<double> out;
  for (const TProfileMaximum& m : Maxima) out.push_back(m.At);
  return out;
}

TEST(ToolMeasures, MaximaAreFoundToAFraction) {
  // cos² fringes 20 samples apart, the first at 5.5: the parabola finds them between samples.
  std::vector<float> fringes;
  for (int i = 0; i < 76; ++i) fringes.push_back(static_cast<float>(std::pow(std::cos(std::numbers::pi * (i - 5.5) / 20), 2)));
  const std::vector<TProfileMaximum> found = FindMaxima(fringes, 4);
  ASSERT_EQ(found.size(), 4u);
  for (size_t k = 0; k < found.size(); ++k) EXPECT_NEAR(found[k].At, 5.5 + 20.0 * double(k), 0.1);
  EXPECT_NEAR(found[0].Height, 1, 0.02);
  // A flat top counts once at its middle.
  EXPECT_EQ(Positions(FindMaxima(std::vector<float>{0, 2, 2, 2, 0, 1, 0}, 1)), (std::vector<double>{2, 5}));
  EXPECT_TRUE(FindMaxima(std::vector<float>(10, 0.0f), 1).empty());
}

// What the single slit's screen showed: wiggles at its ends, ripples and a notch on its bands.
TEST(ToolMeasures, RipplesEdgesAndNotchesAreNoMaxima) {
  // A broad band on a low floor, rippled by 1% of its height every other sample.
  std::vector<float> band;
  for (int i = 0; i < 300; ++i) {
    const double x = (i - 150) / 40.0;
    band.push_back(static_cast<float>(0.02 + 0.16 * std::exp(-x * x) + (i % 2 ? 0.0016 : 0)));
  }
  // A wiggle near either end, rising to the end itself.
  band[10] += 0.004f;
  band[299] += 0.01f;
  const std::vector<TProfileMaximum> one = FindMaxima(band, 4);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_NEAR(one[0].At, 150, 1.5);
  // Two bands, one with a notch on its top: the notch splits nothing.
  std::vector<float> two;
  for (int i = 0; i < 120; ++i) two.push_back(static_cast<float>(std::pow(std::sin(std::numbers::pi * i / 60), 2)));
  two[30] -= 0.02f;
  EXPECT_EQ(FindMaxima(two, 4).size(), 2u);
  // Two clear peaks 3 samples apart: one, the higher, unless they may be that close.
  const std::vector<float> close{0, 0.2f, 1, 0.2f, 0.1f, 0.9f, 0.1f, 0};
  EXPECT_EQ(Positions(FindMaxima(close, 4)).size(), 1u);
  EXPECT_NEAR(FindMaxima(close, 4)[0].At, 2, 0.01);
  EXPECT_EQ(FindMaxima(close, 2).size(), 2u);
}

class Tools : public ::testing::Test {
 protected:
  void SetUp() override {
    SeedUniqueIDs(5);
    Probe->AttachGrid(Cells, 41, 31);
  }
  TCellsRef Cells = std::make_shared<TWaterGrid>(41, 31);
  TRef<TProbe> Probe = NewNode<TProbe>();
};

TEST_F(Tools, AProbeKeepsTheLastStepsOfItsCellInOrder) {
  Probe->X1 = 7;
  Probe->Y1 = 9;
  for (int i = 1; i <= 1500; ++i) {
    (*Cells)[7][9].Displacement = float(i);
    Probe->SampleWater();
  }
  EXPECT_EQ(Probe->Samples(), TProbe::TraceLength);
  EXPECT_EQ(Probe->Latest(), 1500.0f);
  std::vector<float> trace(TProbe::TraceLength + 10);
  ASSERT_EQ(Probe->CopyTrace(trace, 400), 400);
  EXPECT_EQ(trace[0], 1101.0f);
  EXPECT_EQ(trace[399], 1500.0f);
  ASSERT_EQ(Probe->CopyTrace(trace, 5000), TProbe::TraceLength) << "never more than the ring holds";
  EXPECT_EQ(trace[0], 1500.0f - TProbe::TraceLength + 1);
  // Fewer than asked for while it fills, and nothing after a restart.
  Probe->Restart();
  EXPECT_EQ(Probe->CopyTrace(trace, 400), 0);
  EXPECT_EQ(Probe->Latest(), 0.0f);
  Probe->SampleWater();
  EXPECT_EQ(Probe->CopyTrace(trace, 400), 1);
  // Dragged off the grid it reads still water.
  Probe->X1 = -20;
  Probe->SampleWater();
  EXPECT_EQ(Probe->Latest(), 0.0f);
}

TEST_F(Tools, AProbesColourComesFromItsIndexAndItsPropertiesAreChecked) {
  Probe->SetColourIndex(2);
  EXPECT_EQ(Probe->GetHandleColour(), ProbeColours[2]);
  EXPECT_THROW(Probe->SetColourIndex(MaxProbes), EConvertError);
  EXPECT_THROW(Probe->SetColourIndex(-1), EConvertError);
  EXPECT_EQ(Probe->GetColourIndex(), 2);
  EXPECT_FALSE(Probe->UsesIntensity());
}

// A parent that holds a known intensity field, as a water does that keeps one.
class TFieldHost : public TXMLNode, public TIntensityHost {
 public:
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TFieldHost>("TFieldHost", &TXMLNode::StaticClass());
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
  // Fringes along y, 16 cells apart, the brightest at y = 20, uniform along x.
  float IntensityAt(int32_t, int32_t y) const override {
    return static_cast<float>(std::pow(std::cos(std::numbers::pi * (y - 20) / 16), 2));
  }
  bool KeepsIntensity() const override { return true; }
};

TEST_F(Tools, AScreenReadsTheIntensityAlongItsLineAndFindsTheFringes) {
  const TRef<TFieldHost> host = NewNode<TFieldHost>();
  const TRef<TIntensityScreen> screen = NewNode<TIntensityScreen>();
  EXPECT_TRUE(screen->UsesIntensity());
  host->add(screen.get());
  screen->AttachGrid(Cells, 41, 100);
  screen->X1 = 30;
  screen->X2 = 30;
  screen->Y1 = 12;
  screen->Y2 = 92;
  screen->GeometryChanged();
  ASSERT_EQ(screen->Profile().size(), 81u);
  EXPECT_TRUE(screen->Maxima().empty()) << "nothing before the first step";
  screen->SampleWater();
  EXPECT_FLOAT_EQ(screen->Profile()[8], 1.0f);  // y = 20
  // The maxima at y = 20, 36, 52, 68 and 84: 8 .. 72 cells from the first handle.
  const std::vector<double> maxima = screen->Maxima();
  ASSERT_EQ(maxima.size(), 5u);
  for (size_t k = 0; k < maxima.size(); ++k) EXPECT_NEAR(maxima[k], 8.0 + 16.0 * double(k), 0.05);
  // Slanted, a sample per cell of its longer extent; the positions are along the line.
  screen->X2 = 30 + 60;
  screen->GeometryChanged();
  EXPECT_EQ(screen->Profile().size(), 81u);
  EXPECT_DOUBLE_EQ(screen->CellsPerSample(), 100.0 / 80);
  // Outside a water it reads nothing.
  const TRef<TIntensityScreen> alone = NewNode<TIntensityScreen>();
  alone->AttachGrid(Cells, 41, 31);
  alone->SampleWater();
  EXPECT_TRUE(alone->Maxima().empty());
  host->Remove(screen.get());
}

}  // namespace
