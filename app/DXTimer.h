// app/: the Qt window program: main window, frame timer, splash and desktop shell.
// The frame timer: on the GUI thread, a pass over the clock that fires by the interval and
// counts the intervals missed. Between passes it sleeps until the next firing is due (a
// precise single-shot system timer), so a window that has little to draw leaves the
// processor idle instead of polling it.
#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

#include "frame/FrameTimerCore.h"

namespace plashbox {

class TCustomDXTimer;
using TDXTimerNotifyEvent = std::function<void(TCustomDXTimer& Sender)>;
// The timer's event: the sender and the lag count, how many intervals passed since the last
// firing (at least 1).
using TDXTimerEvent = std::function<void(TCustomDXTimer& Sender, uint32_t LagCount)>;

class TCustomDXTimer : public QObject {
  Q_OBJECT

 public:
  // Owned by Owner when one is given, like any QObject child. Clock must outlive the timer.
  // The timer is created enabled but not started: Loaded or a change of Enabled starts it.
  explicit TCustomDXTimer(QObject* Owner = nullptr, iMillisecondClock& Clock = SteadyMillisecondClock());
  ~TCustomDXTimer() override;

  // Starts the timer if it is enabled; for a timer whose properties were all set first.
  void Loaded();

  // Run only while the application is active; true at first.
  bool ActiveOnly() const { return ActiveOnly_; }
  void SetActiveOnly(bool Value);
  // Writing a new value starts or stops the timer; writing the same value does nothing.
  bool Enabled() const { return Enabled_; }
  void SetEnabled(bool Value);
  // Minimum milliseconds between firings, 1000 at first; 0 fires on every idle pass.
  uint32_t Interval() const { return Core.Interval(); }
  void SetInterval(uint32_t Value) { Core.SetInterval(Value); }

  int32_t FrameRate() const { return Core.FrameRate(); }
  // Started and not stopped since; it may still be paused while the application is inactive.
  bool Running() const { return Running_; }
  // The passes are being made (running, and not paused by inactivity).
  bool IdleHandlerInstalled() const { return Passing; }
  // Milliseconds until the next pass is due, while the passes are being made.
  int NextPassIn() const { return Idle.isActive() ? Idle.remainingTime() : -1; }
  const TFrameTimerCore& Counters() const { return Core; }

  void Start();
  void Stop();

  // One pass; the single-shot timer calls it when the next firing is due, and it arms the
  // timer again for the one after.
  void IdleHandler();
  // The application became active or inactive. Connected to the application's state changes;
  // a repeated state is not a change.
  void AppStateChanged(Qt::ApplicationState State);

  TDXTimerNotifyEvent OnActivate;
  TDXTimerNotifyEvent OnDeactivate;
  TDXTimerEvent OnTimer;

 protected:
  virtual void DoActivate();
  virtual void DoDeactivate();
  virtual void DoTimer(uint32_t LagCount);

 private:
  void InstallIdleHandler();
  void RemoveIdleHandler();
  bool ShouldIdle() const { return !ActiveOnly_ || AppActive; }

  iMillisecondClock& Clock;
  TFrameTimerCore Core;
  // Single shot, armed for the time left to the next firing.
  QTimer Idle;
  bool Passing = false;
  bool ActiveOnly_ = true;
  bool Enabled_ = true;
  bool Running_ = false;
  bool AppActive = false;
};

class TDXTimer final : public TCustomDXTimer {
  Q_OBJECT

 public:
  using TCustomDXTimer::TCustomDXTimer;
};

}  // namespace plashbox
