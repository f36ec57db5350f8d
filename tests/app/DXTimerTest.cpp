#include "app/DXTimer.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>

#include <memory>
#include <utility>
#include <vector>

#include "frame/FrameTimerCore.h"
#include "tests/ManualClock.h"
#include "tests/QtTestApplication.h"

namespace plashbox {
namespace {

using tests::TManualClock;

// ---- The firing rule, lag count and rate, without a toolkit.

// Idle passes one millisecond apart; each firing then takes EventTime. Returns the lag counts
// of the firings up to Until.
std::vector<uint32_t> RunLoop(TFrameTimerCore& Core, TManualClock& Clock, uint32_t EventTime, uint32_t Until,
                              std::vector<std::pair<uint32_t, int32_t>>* Rates = nullptr) {
  std::vector<uint32_t> lags;
  Core.Restart(Clock.Now());
  while (Clock.Now() < Until) {
    if (const uint32_t lag = Core.Poll(Clock.Now())) {
      lags.push_back(lag);
      if (Rates && (Rates->empty() || Rates->back().second != Core.FrameRate()))
        Rates->emplace_back(Clock.Now(), Core.FrameRate());
      Clock.Advance(EventTime);
    } else {
      Clock.Advance(1);
    }
  }
  return lags;
}

TEST(FrameTimerCoreTest, IntervalAndDivisor) {
  TFrameTimerCore core;
  EXPECT_EQ(core.Interval(), 1000u);
  EXPECT_EQ(core.IntervalDivisor(), 1000u);
  EXPECT_EQ(core.FrameRate(), 0);
  core.SetInterval(0);
  EXPECT_EQ(core.Interval(), 0u);
  EXPECT_EQ(core.IntervalDivisor(), 1u);
  core.SetInterval(16);
  EXPECT_EQ(core.IntervalDivisor(), 16u);
}

TEST(FrameTimerCoreTest, FiresWhenTheIntervalHasPassedAndStartsTheNextOneThen) {
  TFrameTimerCore core;
  core.SetInterval(16);
  core.Restart(1000);
  EXPECT_EQ(core.Poll(1000), 0u);
  EXPECT_EQ(core.Poll(1015), 0u);
  EXPECT_EQ(core.Poll(1016), 1u);
  EXPECT_EQ(core.LastTickTime(), 1016u);
  EXPECT_EQ(core.Poll(1031), 0u);
  // Missed intervals are reported once, not made up.
  EXPECT_EQ(core.Poll(1016 + 100), 6u);
  EXPECT_EQ(core.Poll(1016 + 115), 0u);
  EXPECT_EQ(core.Poll(1016 + 116), 1u);
  EXPECT_EQ(core.FrameCounter(), 3);
}

TEST(FrameTimerCoreTest, ZeroIntervalFiresOnEveryPass) {
  TFrameTimerCore core;
  core.SetInterval(0);
  core.Restart(50);
  EXPECT_EQ(core.Poll(50), 1u);  // no time passed: still a lag of 1
  EXPECT_EQ(core.Poll(50), 1u);
  EXPECT_EQ(core.Poll(55), 5u);
  EXPECT_EQ(core.Poll(56), 1u);
}

TEST(FrameTimerCoreTest, ClockWrapIsHarmless) {
  TFrameTimerCore core;
  core.SetInterval(16);
  core.Restart(0xFFFFFFF8u);
  EXPECT_EQ(core.Poll(0xFFFFFFFFu), 0u);
  EXPECT_EQ(core.Poll(7), 0u);
  EXPECT_EQ(core.Poll(8), 1u);
  EXPECT_EQ(core.Poll(8 + 32), 2u);
}

TEST(FrameTimerCoreTest, ShortEventFiresEverySixteenMillisecondsWithLagOne) {
  TFrameTimerCore core;
  core.SetInterval(16);
  TManualClock clock(0);
  std::vector<std::pair<uint32_t, int32_t>> rates;
  const auto lags = RunLoop(core, clock, 5, 2100, &rates);
  ASSERT_EQ(lags.size(), 131u);  // at 16, 32, .. 2096
  for (uint32_t lag : lags) EXPECT_EQ(lag, 1u);
  // The first period ends at the 63rd firing (1008 ms): 63000 / 1008 = 62.5, halves to even.
  ASSERT_EQ(rates.size(), 2u);
  EXPECT_EQ(rates[0], std::make_pair(16u, 0));
  EXPECT_EQ(rates[1], std::make_pair(1008u, 62));
  EXPECT_EQ(core.RateStartTime(), 2016u);
  EXPECT_EQ(core.FrameRate(), 62);
}

TEST(FrameTimerCoreTest, LongEventGetsLagTwoAndAboutTwentyFivePerSecond) {
  TFrameTimerCore core;
  core.SetInterval(16);
  TManualClock clock(0);
  std::vector<std::pair<uint32_t, int32_t>> rates;
  const auto lags = RunLoop(core, clock, 40, 2100, &rates);
  ASSERT_GE(lags.size(), 3u);
  EXPECT_EQ(lags[0], 1u);
  for (size_t i = 1; i < lags.size(); ++i) EXPECT_EQ(lags[i], 2u) << i;
  // Firings at 16 + 40k: 26 of them by 1016 ms gives 25.59; the next period 25 in 1000 ms.
  ASSERT_EQ(rates.size(), 3u);
  EXPECT_EQ(rates[1], std::make_pair(1016u, 26));
  EXPECT_EQ(rates[2], std::make_pair(2016u, 25));
}

TEST(FrameTimerCoreTest, RestartKeepsTheFrameCounter) {
  TFrameTimerCore core;
  core.SetInterval(10);
  core.Restart(0);
  EXPECT_EQ(core.Poll(10), 1u);
  EXPECT_EQ(core.Poll(20), 1u);
  core.Restart(500);
  EXPECT_EQ(core.RateStartTime(), 500u);
  EXPECT_EQ(core.Poll(505), 0u);
  EXPECT_EQ(core.Poll(510), 1u);
  EXPECT_EQ(core.FrameCounter(), 3);
  // The period from 500 ends at 1500 with the count carried over: 4 firings.
  EXPECT_EQ(core.Poll(1500), 99u);
  EXPECT_EQ(core.FrameRate(), 4);
  EXPECT_EQ(core.FrameCounter(), 0);
}

// ---- The Qt timer.

[[maybe_unused]] ::testing::Environment* const GuiEnvironment = plashbox::tests::InstallQtTestApplication();

struct TFiring {
  TCustomDXTimer* Sender;
  uint32_t Lag;
  uint32_t At;
};

class DXTimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Timer.AppStateChanged(Qt::ApplicationActive);
    Timer.OnTimer = [this](TCustomDXTimer& Sender, uint32_t Lag) { Firings.push_back({&Sender, Lag, Clock.Now()}); };
    Timer.OnActivate = [this](TCustomDXTimer&) { Events.push_back("activate"); };
    Timer.OnDeactivate = [this](TCustomDXTimer&) { Events.push_back("deactivate"); };
  }
  // Idle passes one millisecond apart up to Until.
  void IdleUntil(uint32_t Until) {
    while (Clock.Now() < Until) {
      if (Timer.IdleHandlerInstalled()) Timer.IdleHandler();
      Clock.Advance(1);
    }
  }
  // The way the main window sets up its timer.
  void StartLikeTheMainWindow() {
    Timer.SetEnabled(false);
    Timer.SetInterval(16);
    Timer.SetActiveOnly(false);
    Timer.SetEnabled(true);
  }

  TManualClock Clock{1000};
  TDXTimer Timer{nullptr, Clock};
  std::vector<TFiring> Firings;
  std::vector<std::string> Events;
};

TEST_F(DXTimerTest, CreatedEnabledButNotStarted) {
  EXPECT_TRUE(Timer.ActiveOnly());
  EXPECT_TRUE(Timer.Enabled());
  EXPECT_EQ(Timer.Interval(), 1000u);
  EXPECT_FALSE(Timer.Running());
  EXPECT_FALSE(Timer.IdleHandlerInstalled());
  EXPECT_EQ(Timer.FrameRate(), 0);
  Timer.Loaded();
  EXPECT_TRUE(Timer.Running());
  EXPECT_TRUE(Timer.IdleHandlerInstalled());
}

TEST_F(DXTimerTest, MainWindowSetUpFiresEverySixteenMilliseconds) {
  StartLikeTheMainWindow();
  EXPECT_TRUE(Timer.Running());
  EXPECT_TRUE(Timer.IdleHandlerInstalled());
  IdleUntil(1000 + 16 * 3 + 1);
  ASSERT_EQ(Firings.size(), 3u);
  for (size_t i = 0; i < Firings.size(); ++i) {
    EXPECT_EQ(Firings[i].Sender, &Timer);
    EXPECT_EQ(Firings[i].Lag, 1u);
    EXPECT_EQ(Firings[i].At, 1016u + 16 * i);
  }
  Clock.Set(1048 + 50);
  Timer.IdleHandler();
  EXPECT_EQ(Firings.back().Lag, 3u);  // 50 ms since the last firing
}

// Between passes the timer sleeps for exactly the time left to the next firing, so a process
// that wakes only when told keeps 62.5 firings a second with every lag count 1.
TEST_F(DXTimerTest, SleepsUntilTheNextFiringIsDue) {
  StartLikeTheMainWindow();
  const auto armedFor = [this](int Due) {
    const int left = Timer.NextPassIn();  // the system timer counts real time meanwhile
    EXPECT_TRUE(left <= Due && left >= Due - 1) << left << " for " << Due;
  };
  armedFor(16);
  Clock.Advance(10);
  Timer.IdleHandler();  // woken early: no firing, sleeps the rest
  EXPECT_TRUE(Firings.empty());
  armedFor(6);
  Clock.Advance(6);
  Timer.IdleHandler();
  ASSERT_EQ(Firings.size(), 1u);
  armedFor(16);

  // Woken only when due, for two seconds.
  while (Clock.Now() < 3016) {
    Clock.Advance(Timer.Counters().WaitBefore(Clock.Now()));
    Timer.IdleHandler();
  }
  EXPECT_EQ(Firings.size(), 1u + 125u);
  for (const TFiring& f : Firings) EXPECT_EQ(f.Lag, 1u);
  EXPECT_TRUE(Timer.FrameRate() == 62 || Timer.FrameRate() == 63) << Timer.FrameRate();
  Timer.Stop();
  EXPECT_EQ(Timer.NextPassIn(), -1) << "a stopped timer does not wake the process";
}

TEST_F(DXTimerTest, EnablingAgainChangesNothing) {
  StartLikeTheMainWindow();
  IdleUntil(1020);
  const uint32_t last = Timer.Counters().LastTickTime();
  const uint32_t rateStart = Timer.Counters().RateStartTime();
  Timer.SetEnabled(true);
  EXPECT_EQ(Timer.Counters().LastTickTime(), last);
  EXPECT_EQ(Timer.Counters().RateStartTime(), rateStart);
  Timer.SetEnabled(false);
  EXPECT_FALSE(Timer.Running());
  EXPECT_FALSE(Timer.IdleHandlerInstalled());
  Timer.SetEnabled(false);
  EXPECT_FALSE(Timer.Running());
}

TEST_F(DXTimerTest, ActiveOnlyPausesWhileInactiveAndResumesAnIntervalAfterActivation) {
  Timer.SetInterval(16);
  Timer.Start();
  ASSERT_TRUE(Timer.IdleHandlerInstalled());
  IdleUntil(1033);
  ASSERT_EQ(Firings.size(), 2u);

  Timer.AppStateChanged(Qt::ApplicationInactive);
  EXPECT_EQ(Events, std::vector<std::string>{"deactivate"});
  EXPECT_TRUE(Timer.Running());
  EXPECT_FALSE(Timer.IdleHandlerInstalled());
  Timer.AppStateChanged(Qt::ApplicationHidden);  // still inactive: not a change
  EXPECT_EQ(Events.size(), 1u);
  IdleUntil(2000);
  EXPECT_EQ(Firings.size(), 2u);

  Timer.AppStateChanged(Qt::ApplicationActive);
  EXPECT_EQ(Events, (std::vector<std::string>{"deactivate", "activate"}));
  EXPECT_TRUE(Timer.IdleHandlerInstalled());
  IdleUntil(2017);
  ASSERT_EQ(Firings.size(), 3u);
  EXPECT_EQ(Firings[2].At, 2016u);
  EXPECT_EQ(Firings[2].Lag, 1u);
}

TEST_F(DXTimerTest, ActivationMessagesReachAStoppedOrNonPausingTimerToo) {
  Timer.AppStateChanged(Qt::ApplicationInactive);
  Timer.AppStateChanged(Qt::ApplicationActive);
  EXPECT_EQ(Events, (std::vector<std::string>{"deactivate", "activate"}));
  EXPECT_FALSE(Timer.IdleHandlerInstalled());

  StartLikeTheMainWindow();
  Timer.AppStateChanged(Qt::ApplicationInactive);
  EXPECT_TRUE(Timer.IdleHandlerInstalled());
  IdleUntil(1017);
  EXPECT_EQ(Firings.size(), 1u);
}

TEST_F(DXTimerTest, ActiveOnlyChangesWhileRunning) {
  Timer.SetInterval(16);
  Timer.Start();
  IdleUntil(1010);
  // Turning it on while active changes nothing visible: the interval carries on.
  Timer.SetActiveOnly(false);
  Timer.SetActiveOnly(true);
  IdleUntil(1017);
  ASSERT_EQ(Firings.size(), 1u);
  EXPECT_EQ(Firings[0].At, 1016u);

  Timer.AppStateChanged(Qt::ApplicationInactive);
  EXPECT_FALSE(Timer.IdleHandlerInstalled());
  Clock.Set(1500);
  // Turning it off while inactive resumes at once, with a fresh interval.
  Timer.SetActiveOnly(false);
  EXPECT_TRUE(Timer.IdleHandlerInstalled());
  EXPECT_EQ(Timer.Counters().LastTickTime(), 1500u);
  IdleUntil(1517);
  ASSERT_EQ(Firings.size(), 2u);
  EXPECT_EQ(Firings[1].At, 1516u);
  EXPECT_EQ(Firings[1].Lag, 1u);
  // Turning it on while inactive pauses it.
  Timer.SetActiveOnly(true);
  EXPECT_FALSE(Timer.IdleHandlerInstalled());
  EXPECT_TRUE(Timer.Running());
  // A stopped timer is not started by it.
  Timer.Stop();
  Timer.SetActiveOnly(false);
  EXPECT_FALSE(Timer.IdleHandlerInstalled());
}

TEST_F(DXTimerTest, StartingWhileInactiveWaitsForActivation) {
  Timer.AppStateChanged(Qt::ApplicationInactive);
  Timer.SetInterval(16);
  Timer.Start();
  EXPECT_TRUE(Timer.Running());
  EXPECT_FALSE(Timer.IdleHandlerInstalled());
  Clock.Set(3000);
  Timer.AppStateChanged(Qt::ApplicationActive);
  EXPECT_TRUE(Timer.IdleHandlerInstalled());
  EXPECT_EQ(Timer.Counters().LastTickTime(), 3000u);
}

// The passes come from the event loop, woken by the system timer when a firing is due.
TEST_F(DXTimerTest, EventLoopWakesTheTimerWhenAFiringIsDue) {
  StartLikeTheMainWindow();
  // Every firing takes 40 ms on the fake clock: each later one reports a lag of 2.
  Timer.OnTimer = [this](TCustomDXTimer&, uint32_t Lag) {
    Firings.push_back({&Timer, Lag, Clock.Now()});
    Clock.Advance(40);
    if (Firings.size() == 5) Timer.SetEnabled(false);
  };
  QElapsedTimer wall;
  wall.start();
  // The fake clock follows the real one, a millisecond at a time, through a second timer.
  QTimer tick;
  tick.setInterval(1);
  tick.setTimerType(Qt::PreciseTimer);
  QObject::connect(&tick, &QTimer::timeout, [this] { Clock.Advance(1); });
  tick.start();
  while (Timer.Running() && wall.elapsed() < 5000) QCoreApplication::processEvents();
  tick.stop();
  ASSERT_EQ(Firings.size(), 5u);
  EXPECT_EQ(Firings[0].Lag, 1u);
  for (size_t i = 1; i < Firings.size(); ++i) EXPECT_EQ(Firings[i].Lag, 2u) << i;
  EXPECT_FALSE(Timer.IdleHandlerInstalled());
  const size_t count = Firings.size();
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
  EXPECT_EQ(Firings.size(), count);
}

TEST(DXTimerOwnershipTest, GoesWithItsOwnerWhileRunning) {
  TManualClock clock;
  auto owner = std::make_unique<QObject>();
  auto* timer = new TDXTimer(owner.get(), clock);  // owned by its parent
  timer->SetActiveOnly(false);
  timer->Start();
  bool destroyed = false;
  QObject::connect(timer, &QObject::destroyed, [&] { destroyed = true; });
  owner.reset();
  EXPECT_TRUE(destroyed);
}

}  // namespace
}  // namespace plashbox
