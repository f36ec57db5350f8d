// The readings of the probes' and the screen's panels in running scenes, as the window and the
// page show them: probes added one after another, the beats slide and the single slit.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "frame/ClassRegistration.h"
#include "frame/Experiments.h"
#include "frame/SceneEditing.h"
#include "frame/ToolReadings.h"
#include "frame/TankSession.h"
#include "grid/Rounding.h"
#include "objects/UniqueIDs.h"
#include "objects/uBaseExciter.h"
#include "objects/uIntensityScreen.h"
#include "objects/uProbe.h"
#include "tests/ManualClock.h"

using namespace plashbox;
using plashbox::tests::TManualClock;

namespace {

class ToolReadings : public ::testing::Test {
 protected:
  void SetUp() override {
    SeedUniqueIDs(13);
    RegisterClasses();
  }
  // The demonstration, or slide Index of the shipped experiments.
  void Open(int32_t Index = -1) {
    if (Index < 0) return Core.Create();
    Core.SetPaintAreaSize(401, 401);
    Core.CreateScene(MakeExperiments());
    ASSERT_TRUE(Core.ShowSlide(Index));
  }
  void Run(int32_t Ticks) {
    for (int32_t i = 0; i < Ticks; ++i) Core.Tick();
  }
  TWater& Water() { return *Core.ActiveWater(); }
  // The probe just added, moved to a point of the paint area (y downward).
  TProbe& AddProbeAt(int32_t X, int32_t Y) {
    EXPECT_TRUE(Core.AddProbe());
    TProbe& probe = *LastChildOf<TProbe>(Water());
    probe.X1 = X;
    probe.Y1 = ScreenRow(Water().GridHeight(), Y);
    return probe;
  }
  TProbeReport Read() { return ReadProbes(Water(), StepsPerSecond(SimulationSpeeds[NormalSpeed])); }
  TManualClock Clock{0};
  TTankSession Core{Clock};
};

// Probes added a few seconds apart keep traces of different lengths; their phases show as soon
// as both hold a reading, not once the older one's ring is full, and for every probe.
TEST_F(ToolReadings, ProbesAddedOneAfterAnotherShowTheirPhasesAtOnceAllFourOfThem) {
  Open();
  // Along the demonstration's beam, which runs to the right: the later ones lag.
  AddProbeAt(100, 200);
  Run(250);
  AddProbeAt(105, 200);
  Run(150);
  TProbeReport report = Read();
  ASSERT_EQ(report.Probes.size(), 2u);
  ASSERT_TRUE(report.Probes[1].Measure.Valid);
  EXPECT_NE(report.Probes[0].Probe->Samples(), report.Probes[1].Probe->Samples());
  const std::string two = PhaseText(report);
  EXPECT_EQ(two.substr(0, 12), "2 lags 1 by ") << two;
  AddProbeAt(110, 200);
  Run(90);
  AddProbeAt(100, 200);  // on the first one's cell
  Run(150);
  report = Read();
  const std::string four = PhaseText(report);
  EXPECT_NE(four.find("2 lags 1 by "), std::string::npos) << four;
  EXPECT_NE(four.find(", 3 lags 1 by "), std::string::npos) << four;
  EXPECT_NE(four.find(", 4 lags 1 by 0\u00b0"), std::string::npos) << four;
}

// The beats slide: 2.21 Hz and 2.54 Hz from its two sources. Where the first is twice as strong
// as the second, the crests come at their mean weighted by amplitude, 2.32 Hz, and the trace
// swells and fades at their difference, 0.33 Hz; a count of crossings of the middle level loses
// crossings at every null (2.04 Hz).
TEST_F(ToolReadings, TheBeatsSlideReadsTheWaveUnderTheBeatAndTheBeat) {
  Open(7);
  AddProbeAt(200, 260);
  Run(1100);
  const double f1 = TBaseExciter::FrequencyOfWavelength(20), f2 = 1.15 * f1;
  const TProbeReport report = Read();
  ASSERT_EQ(report.Probes.size(), 1u);
  const TProbeReading& beats = report.Probes[0];
  ASSERT_TRUE(beats.Measure.Valid);
  EXPECT_NEAR(beats.Hertz, (f1 + 0.5 * f2) / 1.5, 0.02);
  EXPECT_NEAR(beats.BeatHertz, f2 - f1, 0.01);
  EXPECT_EQ(ProbeReadingText(beats).substr(0, 22), "2.32 Hz, beat 0.33 Hz,") << ProbeReadingText(beats);
}

// One source makes no beat: not where its wave has only just arrived, nor where the waves
// reflected by the block come in later and change the height.
TEST_F(ToolReadings, APointSourceNeverReadsAsBeating) {
  Open();
  ApplySetting(Water(), ParsePropertySetting("TGeneralExciter.BeamType=0"));
  AddProbeAt(180, 200);
  AddProbeAt(240, 260);
  AddProbeAt(280, 200);
  const double hertz = TBaseExciter::FrequencyOfWavelength(25);
  for (int32_t ticks = 0; ticks < 1100; ticks += 50) {
    Run(50);
    for (const TProbeReading& reading : Read().Probes)
      EXPECT_FALSE(reading.Measure.Beats) << ticks << ": " << ProbeReadingText(reading);
  }
  for (const TProbeReading& reading : Read().Probes) EXPECT_NEAR(reading.Hertz, hertz, 0.02);
}

// No phase between probes of different frequencies, nor between beating ones: it would drift.
TEST_F(ToolReadings, ProbesThatBeatShowNoPhase) {
  Open(7);
  AddProbeAt(200, 260);
  AddProbeAt(250, 200);
  Run(1100);
  const TProbeReport report = Read();
  ASSERT_TRUE(report.Probes[0].Measure.Valid && report.Probes[1].Measure.Valid);
  EXPECT_EQ(PhaseText(report), "no phase: the frequencies differ");
}

// The single slit's screen: one broad bright band, with ripples on it and wiggles at its ends
// that are no maxima.
TEST_F(ToolReadings, TheSingleSlitShowsOneMaximum) {
  Open(1);
  Core.AddScreen();
  Run(3000);
  TIntensityScreen& screen = *LastChildOf<TIntensityScreen>(Water());
  ASSERT_EQ(screen.Maxima().size(), 1u) << MaximaText(screen);
  // The slit is halfway up the tank; the screen runs from 10% to 90% of its height.
  const double middle = (200 - screen.Y1) * screen.CellsPerSample();
  EXPECT_NEAR(screen.Maxima()[0], middle, 4);
  EXPECT_EQ(MaximaText(screen).substr(0, 11), "maximum at ");
}

}  // namespace
