// Probes in a running water: a point source read at several distances, and a probe sampled
// exactly once for every step the water makes.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "objects/ToolMeasures.h"
#include "objects/UniqueIDs.h"
#include "objects/uGeneralExciter.h"
#include "objects/uProbe.h"
#include "sim/uWater.h"

using namespace plashbox;

namespace {

class ProbeScene : public ::testing::Test {
 protected:
  void SetUp() override {
    SeedUniqueIDs(11);
    ExciterClassList().Clear();
    RegisterExciterClass(TGeneralExciter::StaticClass());
    Water->SetGridSize(401, 401);
    Water->add(Source.get());
    Source->SetBeamType(btPoint);
    Source->SetWavelength(25);
    Source->X1 = 100;
    Source->Y1 = 200;
  }
  void TearDown() override { ExciterClassList().Clear(); }
  // A probe Distance cells right of the source.
  TRef<TProbe> AddProbe(int32_t Distance) {
    const TRef<TProbe> probe = NewNode<TProbe>();
    Water->add(probe.get());
    probe->X1 = 100 + Distance;
    probe->Y1 = 200;
    return probe;
  }
  static std::vector<float> Trace(const TProbe& Probe) {
    std::vector<float> trace(400);
    trace.resize(size_t(Probe.CopyTrace(trace, 400)));
    return trace;
  }
  static TTraceMeasure Measure(const TProbe& Probe) { return MeasureTrace(Trace(Probe)); }
  TRef<TWater> Water = NewNode<TWater>();
  TRef<TGeneralExciter> Source = NewNode<TGeneralExciter>();
};

TEST_F(ProbeScene, APointSourceReadsAsASineOfItsPeriodWeakerFartherOut) {
  const TRef<TProbe> near = AddProbe(40), wavelengthOn = AddProbe(65), far = AddProbe(120);
  // Long enough for the wave to pass the far probe and settle before the last 400 steps.
  for (int step = 0; step < 900; ++step) Water->SimulateStep();
  const double period = Source->Period;  // 25 / 0.7071 steps
  for (const TProbe* probe : {near.get(), wavelengthOn.get(), far.get()}) {
    const TTraceMeasure m = Measure(*probe);
    ASSERT_TRUE(m.Valid);
    EXPECT_NEAR(m.PeriodSteps, period, 1.0);
  }
  const double a = PeakToPeak(Trace(*near)), b = PeakToPeak(Trace(*wavelengthOn)), c = PeakToPeak(Trace(*far));
  EXPECT_GT(a, b);
  EXPECT_GT(b, c);
  // A ring's energy spreads over its circumference: the amplitude falls as 1 / sqrt(r).
  EXPECT_NEAR(a / c, std::sqrt(120.0 / 40), 0.15);
  // A wavelength apart the two read the same phase.
  EXPECT_NEAR(PhaseLag(Trace(*near), Trace(*wavelengthOn), period), 0, 10);
  // 12 cells on from the near probe, nearly half a wavelength: nearly the opposite phase.
  const TRef<TProbe> half = AddProbe(40 + 12);
  for (int step = 0; step < 400; ++step) Water->SimulateStep();
  EXPECT_NEAR(PhaseLag(Trace(*near), Trace(*half), period), 360.0 * 12 / 25, 10);
}

TEST_F(ProbeScene, EachStepIsSampledOnceWhetherDrawnOrNot) {
  const TRef<TProbe> probe = AddProbe(10);
  TFastDIB surface;
  surface.SetSize(401, 401, 24);
  for (int i = 0; i < 7; ++i) Water->SimulateStep();
  for (int i = 0; i < 5; ++i) Water->StepAndRender(surface);
  EXPECT_EQ(probe->Samples(), 12);
  // Drawing without a step samples nothing.
  Water->Render(surface);
  EXPECT_EQ(probe->Samples(), 12);
  EXPECT_EQ(probe->Latest(), Water->DisplacementAt(110, 200));
  // Cleared waves start the trace again.
  Water->ClearWaves();
  EXPECT_EQ(probe->Samples(), 0);
}

}  // namespace
