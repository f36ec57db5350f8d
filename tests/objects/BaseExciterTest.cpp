#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <numbers>

#include "objects/uBaseExciter.h"
#include "xmlworker/XMLFormat.h"

using namespace plashbox;

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;
constexpr int32_t W = 401, H = 401;

TRef<TBaseExciter> Exciter() {
  TRef<TBaseExciter> e = NewNode<TBaseExciter>();
  e->AttachGrid(std::make_shared<TWaterGrid>(W, H), W, H);
  return e;
}

void Steps(TBaseExciter& e, int N) {
  for (int i = 0; i < N; ++i) e.Step();
}

// A source that has faded in and runs at full level.
TRef<TBaseExciter> Running() {
  TRef<TBaseExciter> e = Exciter();
  Steps(*e, 60);
  return e;
}

TRef<TBaseExciter> Silent() {
  TRef<TBaseExciter> e = Exciter();
  // Switched off before it faded in: the fade out from nothing ends with its first step, which
  // still moved the phase on.
  e->SetON(false);
  Steps(*e, 1);
  EXPECT_FALSE(e->ON);
  EXPECT_FALSE(e->IsRampingDown());
  e->Phase = 0;
  return e;
}

// Gives the exciter a grid of the test's own, to look at what the drip writes.
TCellsRef OwnGrid(TBaseExciter& E) {
  auto grid = std::make_shared<TWaterGrid>(W, H);
  E.AttachGrid(grid, W, H);
  return grid;
}

}  // namespace

TEST(ExciterTimeBase, DefaultsAfterInitialise) {
  const TRef<TBaseExciter> e = Exciter();
  EXPECT_EQ(e->Period, static_cast<float>(25 / 0.7071));
  EXPECT_NEAR(e->Period, 35.356, 0.001);
  EXPECT_NEAR(e->GetWavelength(), 25.0f, 1e-5);
  EXPECT_TRUE(e->ON);
  EXPECT_TRUE(e->IsRampingUp());
  EXPECT_FALSE(e->IsRampingDown());
  EXPECT_FALSE(e->OneShot);
  EXPECT_EQ(e->GetEnvelope(), 0.0f);
  EXPECT_EQ(e->Detune, 1.0f);
  EXPECT_EQ(e->Phase, 0.0f);
  EXPECT_EQ(e->GetDripLevel(), 0.0f);
  EXPECT_EQ(e->GetBeamColumn(), 40) << "a tenth of 401 columns, not a percent position";
  EXPECT_TRUE(e->Snap_to_Grid);
  EXPECT_EQ(e->GetTypeName(), "Base Exciter Type");
  EXPECT_EQ(e->GetDescription(), "Need to change this");

  const TRef<TBaseExciter> wide = NewNode<TBaseExciter>();
  wide->AttachGrid(std::make_shared<TWaterGrid>(1000, 50), 1000, 50);
  EXPECT_EQ(wide->GetBeamColumn(), 100);

  const auto& props = TBaseExciter::StaticClass().Properties();
  const char* names[] = {"UniqueID", "Snap_to_Grid", "ActiveTool", "Wavelength", "Phase",
                         "ON",       "OneShot",      "Detune",     "Phase2",     "Phase3"};
  ASSERT_EQ(props.size(), std::size(names));
  for (size_t i = 0; i < props.size(); ++i) EXPECT_EQ(props[i].Name, names[i]);
}

TEST(ExciterTimeBase, FirstStepSignals) {
  const TRef<TBaseExciter> e = Exciter();
  e->Detune = 2;
  e->Step();
  // Every intermediate stored as a single, the arithmetic in between in double.
  const double wavelength = static_cast<float>(double(e->Period) * 0.7071);
  const auto envelope = static_cast<float>(0.5 / wavelength);
  const double rise = 1.0 - envelope;
  const auto gain = static_cast<float>(std::exp(-0.5 * rise * rise / 0.25));
  const auto phase = static_cast<float>(TwoPi / e->Period);
  const auto phase2 = static_cast<float>(2 * TwoPi / e->Period);
  const auto phase3 = static_cast<float>(3 * std::numbers::pi / e->Period);
  const auto signal1 = static_cast<float>(std::sin(double(phase)) * double(gain));
  EXPECT_EQ(e->GetEnvelope(), envelope);
  EXPECT_EQ(e->Phase, phase);
  EXPECT_EQ(e->GetSignal1(), signal1);
  EXPECT_NEAR(e->GetSignal1(), std::sin(TwoPi / 35.356) * std::exp(-2 * 0.98 * 0.98), 1e-6);
  EXPECT_EQ(e->Phase2, phase2);
  EXPECT_EQ(e->GetSignal2(), static_cast<float>(std::sin(double(phase2)) * double(gain)));
  EXPECT_EQ(e->Phase3, phase3);
  EXPECT_EQ(e->GetHarmonicSignal(), static_cast<float>(0.7 * signal1 - double(gain) * std::sin(double(phase3)) -
                                                  1.2 * gain * std::sin(2.0 * phase)));
}

TEST(ExciterTimeBase, PhasesStayWithinOneTurn) {
  const TRef<TBaseExciter> e = Exciter();
  e->Detune = 3.7f;
  for (int i = 0; i < 500; ++i) {
    e->Step();
    ASSERT_LE(e->Phase, TwoPi);
    ASSERT_LE(e->Phase2, TwoPi);
    ASSERT_LE(e->Phase3, TwoPi);
    ASSERT_GE(e->Phase, 0);
  }
  // A period under one step: several turns come off in one step (2 pi / 0.1414 = 44.4 = 7 turns).
  e->SetWavelength(0.1f);
  e->Phase = 0;
  e->Step();
  EXPECT_LE(e->Phase, TwoPi);
  EXPECT_NEAR(e->Phase, std::fmod(TwoPi / e->Period, TwoPi), 1e-4);
  // A phase far too large to take 2 pi off one at a time still ends within one turn.
  e->SetWavelength(25);
  e->Phase = 1e20f;
  e->Phase2 = std::numeric_limits<float>::infinity();
  e->Step();
  EXPECT_GE(e->Phase, 0);
  EXPECT_LE(e->Phase, TwoPi);
  EXPECT_GE(e->Phase2, 0);
  EXPECT_LE(e->Phase2, TwoPi);
  EXPECT_TRUE(std::isfinite(e->GetSignal1()));
  // A detune that is no number leaves the second signal silent, not NaN.
  e->Detune = std::numeric_limits<float>::quiet_NaN();
  e->Step();
  EXPECT_EQ(e->Phase2, 0.0f);
  EXPECT_EQ(e->GetSignal2(), 0.0f);
}

TEST(ExciterTimeBase, WavelengthThatIsNotPositiveIsRefused) {
  const TRef<TBaseExciter> e = Exciter();
  e->SetWavelength(40);
  const float period = e->Period;
  EXPECT_EQ(period, static_cast<float>(40 / 0.7071));
  for (const float bad : {0.0f, -0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::infinity()}) {
    e->SetWavelength(bad);
    EXPECT_EQ(e->Period, period) << bad;
  }
  // By name, 0 and below are the conversion error; other values are taken into 1 .. 10000.
  for (const char* bad : {"0", "-12.5", "-3e38"}) {
    EXPECT_THROW(SetPublishedValue(*e, "Wavelength", bad), EConvertError) << bad;
    EXPECT_EQ(e->Period, period) << bad;
  }
  SetPublishedValue(*e, "Wavelength", "3e38");
  EXPECT_EQ(e->Period, static_cast<float>(10000 / 0.7071));
  SetPublishedValue(*e, "Wavelength", "0.25");
  EXPECT_EQ(e->Period, static_cast<float>(1 / 0.7071));
  SetPublishedValue(*e, "Wavelength", "40");
  e->Step();
  EXPECT_TRUE(std::isfinite(e->GetSignal1()));
  EXPECT_TRUE(std::isfinite(e->GetEnvelope()));
}

TEST(ExciterEnvelope, BurstFadesInHoldsFadesOutAndClearsItself) {
  const TRef<TBaseExciter> e = Silent();
  e->SetOneShot(true);
  EXPECT_TRUE(e->ON);
  EXPECT_TRUE(e->IsRampingUp());
  EXPECT_FALSE(e->IsRampingDown());
  int fadeIn = 0, full = 0, fadeOut = 0, steps = 0;
  float last = 0;
  while (e->ON && steps < 1000) {
    e->Step();
    ++steps;
    ASSERT_LE(std::fabs(e->GetEnvelope() - last), 0.0401f) << "no jumps";
    last = e->GetEnvelope();
    if (e->GetEnvelope() == 1)
      ++full;
    else if (full == 0)
      ++fadeIn;
    else
      ++fadeOut;
  }
  EXPECT_FALSE(e->ON);
  EXPECT_FALSE(e->OneShot);
  EXPECT_FALSE(e->IsRampingDown());
  EXPECT_EQ(e->GetEnvelope(), 0.0f);
  EXPECT_EQ(full, 45) << "Round(20 x 25^0.25) steps at full level";
  EXPECT_NEAR(fadeIn, 50, 1);
  EXPECT_NEAR(fadeOut, 25, 1);
  // Off, the time base stands still.
  const float phase = e->Phase;
  e->Step();
  EXPECT_EQ(e->Phase, phase);
}

TEST(ExciterEnvelope, OneShotOnARunningSourceOnlyFadesOut) {
  const TRef<TBaseExciter> e = Running();
  ASSERT_EQ(e->GetEnvelope(), 1.0f);
  e->SetOneShot(true);
  EXPECT_TRUE(e->IsRampingDown());
  EXPECT_FALSE(e->IsRampingUp());
  e->SetOneShot(true);  // the same value changes nothing
  EXPECT_TRUE(e->IsRampingDown());
  int steps = 0;
  while (e->ON && steps < 1000) {
    e->Step();
    ++steps;
    ASSERT_LT(e->GetEnvelope(), 1.0f) << "no burst";
  }
  EXPECT_NEAR(steps, 26, 1);
  EXPECT_FALSE(e->ON);
  EXPECT_FALSE(e->OneShot);

  // Clearing OneShot in the middle of a burst ends it early.
  e->SetOneShot(true);
  Steps(*e, 60);
  ASSERT_EQ(e->GetEnvelope(), 1.0f);
  e->SetOneShot(false);
  EXPECT_TRUE(e->IsRampingDown());
  Steps(*e, 30);
  EXPECT_FALSE(e->ON);
}

TEST(ExciterEnvelope, OffAndOnAgainKeepsTheLevel) {
  const TRef<TBaseExciter> e = Running();
  e->SetON(false);
  EXPECT_TRUE(e->ON) << "stays on while it fades out";
  EXPECT_TRUE(e->IsRampingDown());
  Steps(*e, 3);
  const float level = e->GetEnvelope();
  EXPECT_NEAR(level, 0.88f, 1e-5);
  e->SetON(true);
  EXPECT_EQ(e->Phase, 0.0f);
  EXPECT_EQ(e->GetSignal1(), 0.0f);
  EXPECT_EQ(e->GetEnvelope(), level) << "no jump to zero";
  e->Step();
  EXPECT_NEAR(e->GetEnvelope(), level + 0.02f, 1e-5);
  EXPECT_FALSE(e->IsRampingDown());
  // The published property goes through the same setter.
  SetPublishedValue(*e, "ON", "False");
  EXPECT_TRUE(e->IsRampingDown());
  EXPECT_TRUE(e->ON);
}

TEST(ExciterEnvelope, RestartFadesInOnlyASourceThatIsOn) {
  const TRef<TBaseExciter> off = Silent();
  off->Restart();
  EXPECT_FALSE(off->IsRampingUp());
  Steps(*off, 5);
  EXPECT_FALSE(off->ON);
  EXPECT_EQ(off->GetEnvelope(), 0.0f);
  EXPECT_EQ(off->Phase, 0.0f);

  const TRef<TBaseExciter> on = Running();
  on->Restart();
  EXPECT_EQ(on->GetEnvelope(), 0.0f);
  EXPECT_TRUE(on->IsRampingUp());
  on->Step();
  EXPECT_NEAR(on->GetEnvelope(), 0.02f, 1e-6);
  // A source fading out when restarted is fading out no more.
  const TRef<TBaseExciter> fading = Running();
  fading->SetON(false);
  fading->Step();
  fading->Restart();
  EXPECT_FALSE(fading->IsRampingDown());
  EXPECT_TRUE(fading->IsRampingUp());
}

TEST(ExciterDrip, LeftButtonPushesDownInFourStepsAndLetsGoInFour) {
  const TRef<TBaseExciter> e = Silent();  // the drip runs also while the source is off
  const TCellsRef grid = OwnGrid(*e);
  const auto cell = [&](int32_t x, int32_t y) { return (*grid)[x][y]; };
  e->HoldDrip(200, 150, false);  // grid row 250
  const int32_t x = 200, y = 250;
  const double centre[] = {-1.35, -2.7, -4.05, -4.5, -4.5, -4.5};
  for (const double expected : centre) {
    cell(x, y).Velocity = 0.25f;
    e->Step();
    const auto s = static_cast<float>(3 * double(e->GetDripLevel()));
    EXPECT_NEAR(cell(x, y).Displacement, expected, 2e-6);
    EXPECT_EQ(cell(x, y).Displacement, static_cast<float>(1.5 * s));
    EXPECT_EQ(cell(x - 1, y).Displacement, static_cast<float>(0.9 * s));
    EXPECT_EQ(cell(x, y + 1).Displacement, static_cast<float>(0.9 * s));
    EXPECT_EQ(cell(x + 1, y + 1).Displacement, static_cast<float>(0.5 * s));
    EXPECT_EQ(cell(x - 1, y - 1).Displacement, static_cast<float>(0.5 * s));
    EXPECT_EQ(cell(x, y).Velocity, 0.0f);
    EXPECT_EQ(cell(x + 2, y).Displacement, 0.0f);
  }
  e->ReleaseDrip();
  for (const double level : {-0.7, -0.4, -0.1, 0.0}) {
    e->Step();
    EXPECT_NEAR(e->GetDripLevel(), level, 1e-6);
    EXPECT_NEAR(cell(x, y).Displacement, 4.5 * level, 1e-5);
  }
  EXPECT_EQ(e->GetDripLevel(), 0.0f);
  cell(x, y).Displacement = 1;
  e->Step();
  EXPECT_EQ(cell(x, y).Displacement, 1.0f) << "no drip, no stamp";
}

TEST(ExciterDrip, RightButtonLiftsAndTheStampStaysOffTheEdges) {
  const TRef<TBaseExciter> e = Silent();
  const TCellsRef grid = OwnGrid(*e);
  const auto cell = [&](int32_t x, int32_t y) { return (*grid)[x][y]; };
  e->HoldDrip(1, 200, true);
  e->Step();
  EXPECT_NEAR(e->GetDripLevel(), 0.3, 1e-6) << "the level moves even when nothing is stamped";
  for (int32_t x = 0; x < 4; ++x)
    for (int32_t y = 198; y < 203; ++y) EXPECT_EQ(cell(x, y).Displacement, 0.0f);
  e->HoldDrip(200, H - 3, true);  // holding it again moves it
  e->Step();
  for (int32_t y = 0; y < 4; ++y) EXPECT_EQ(cell(200, y).Displacement, 0.0f);
  e->HoldDrip(W - 3, 200, true);
  e->Step();
  EXPECT_EQ(cell(W - 3, 200).Displacement, 0.0f);
  e->HoldDrip(2, 2, true);
  e->Step();
  ASSERT_EQ(e->GetDripLevel(), 1.0f);
  EXPECT_EQ(cell(2, H - 3).Displacement, 4.5f);
  EXPECT_EQ(cell(1, H - 2).Displacement, static_cast<float>(0.5 * 3.0));
  EXPECT_EQ(cell(3, H - 3).Displacement, static_cast<float>(0.9 * 3.0));
  EXPECT_EQ(cell(2, H - 4).Displacement, static_cast<float>(0.9 * 3.0));
  // Without a grid the level still moves and nothing is written.
  const TRef<TBaseExciter> loose = NewNode<TBaseExciter>();
  loose->HoldDrip(10, 10, false);
  loose->Step();
  EXPECT_NEAR(loose->GetDripLevel(), -0.3, 1e-6);
}

TEST(ExciterList, HoldsClassesAndAnswersNilOutsideIt) {
  ExciterClassList().Clear();
  EXPECT_EQ(ExciterClassCount(), 0);
  EXPECT_EQ(GetExciterClass(0), nullptr);
  RegisterExciterClass(TBaseExciter::StaticClass());
  ASSERT_EQ(ExciterClassCount(), 1);
  EXPECT_EQ(GetExciterClass(-1), nullptr);
  EXPECT_EQ(GetExciterClass(ExciterClassCount()), nullptr);
  const TNodeClass* cls = GetExciterClass(0);
  ASSERT_EQ(cls, &TBaseExciter::StaticClass());
  const XMLNodeRef made = cls->Create();
  auto* e = NodeAs<TBaseExciter>(made);
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->ON) << "made through the factory, so initialised";
  ExciterClassList().Clear();
}
