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
  const TTraceMeasure m = MeasureTrace(Sine(400, 23.7, 0.4, 0, 0.05));
  ASSERT_TRUE(m.Valid);
  EXPECT_NEAR(m.PeriodSteps, 23.7, 0.02);
  EXPECT_NEAR(m.PeakToPeak, 0.8, 0.002);
  // Less than two rises, a level trace and one of rounding noise say nothing of a period.
  EXPECT_FALSE(MeasureTrace(Sine(30, 23.7, 0.4)).Valid);
  EXPECT_FALSE(MeasureTrace(std::vector<float>(400, 0.3f)).Valid);
  std::vector<float> noise(400, 0.0f);
  for (size_t i = 0; i < noise.size(); i += 2) noise[i] = 1e-8f;
  EXPECT_FALSE(MeasureTrace(noise).Valid);
  // A small ripple on a big wave does not add rises.
  std::vector<float> rippled = Sine(400, 40, 1);
  for (size_t i = 0; i < rippled.size(); ++i) rippled[i] += (i % 2 ? 0.02f : -0.02f);
  EXPECT_NEAR(MeasureTrace(rippled).PeriodSteps, 40, 0.2);
}

TEST(ToolMeasures, ThePhaseLagIsTakenIntoAHalfTurnEitherWay) {
  const TTraceMeasure a = MeasureTrace(Sine(400, 30, 1));
  EXPECT_NEAR(PhaseLag(a, MeasureTrace(Sine(400, 30, 1, 90))), 90, 1);
  EXPECT_NEAR(PhaseLag(a, MeasureTrace(Sine(400, 30, 1, 270))), -90, 1);
  EXPECT_NEAR(PhaseLag(a, MeasureTrace(Sine(400, 30, 0.2, 360))), 0, 1) << "a whole period later is in phase";
  EXPECT_EQ(PhaseLag(a, MeasureTrace(std::vector<float>(400, 0.0f))), 0);
}

TEST(ToolMeasures, MaximaAreFoundToAFractionAndWeakOnesLeftOut) {
  // cos² fringes 20 samples apart, the first at 5.5: the parabola finds them between samples.
  std::vector<float> fringes;
  for (int i = 0; i < 76; ++i) fringes.push_back(static_cast<float>(std::pow(std::cos(std::numbers::pi * (i - 5.5) / 20), 2)));
  const std::vector<double> found = FindMaxima(fringes);
  ASSERT_EQ(found.size(), 4u);
  for (size_t k = 0; k < found.size(); ++k) EXPECT_NEAR(found[k], 5.5 + 20.0 * double(k), 0.1);
  // A flat top counts once at its middle, an edge counts, a bump under a tenth does not.
  EXPECT_EQ(FindMaxima(std::vector<float>{0, 2, 2, 2, 0, 0.1f, 0, 1.5f}), (std::vector<double>{2, 7}));
  EXPECT_TRUE(FindMaxima(std::vector<float>(10, 0.0f)).empty());
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
  EXPECT_TRUE(FindMaxima(screen->Profile()).empty()) << "nothing before the first step";
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
