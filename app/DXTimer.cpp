#include "app/DXTimer.h"

#include <QGuiApplication>

namespace plashbox {

TCustomDXTimer::TCustomDXTimer(QObject* Owner, iMillisecondClock& Clock) : QObject(Owner), Clock(Clock) {
  Idle.setSingleShot(true);
  Idle.setTimerType(Qt::PreciseTimer);
  connect(&Idle, &QTimer::timeout, this, &TCustomDXTimer::IdleHandler);
  // Without a GUI application there is no activity to follow: the application counts as active.
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    AppActive = QGuiApplication::applicationState() == Qt::ApplicationActive;
    connect(app, &QGuiApplication::applicationStateChanged, this, &TCustomDXTimer::AppStateChanged);
  } else {
    AppActive = true;
  }
}

TCustomDXTimer::~TCustomDXTimer() { Stop(); }

void TCustomDXTimer::Loaded() {
  if (Enabled_) Start();
}

void TCustomDXTimer::SetActiveOnly(bool Value) {
  if (Value == ActiveOnly_) return;
  ActiveOnly_ = Value;
  if (!Running_) return;
  // A timer that keeps idling is left alone: its interval and rate period carry on.
  if (!ShouldIdle())
    RemoveIdleHandler();
  else if (!Idle.isActive())
    InstallIdleHandler();
}

void TCustomDXTimer::SetEnabled(bool Value) {
  if (Value == Enabled_) return;
  Enabled_ = Value;
  if (Value)
    Start();
  else
    Stop();
}

void TCustomDXTimer::Start() {
  Stop();
  if (ShouldIdle()) InstallIdleHandler();
  Running_ = true;
}

void TCustomDXTimer::Stop() {
  if (!Running_) return;
  RemoveIdleHandler();
  Running_ = false;
}

void TCustomDXTimer::InstallIdleHandler() {
  const uint32_t now = Clock.Now();
  Core.Restart(now);
  Passing = true;
  Idle.start(int(Core.WaitBefore(now)));
}

void TCustomDXTimer::RemoveIdleHandler() {
  Passing = false;
  Idle.stop();
}

void TCustomDXTimer::IdleHandler() {
  if (const uint32_t lag = Core.Poll(Clock.Now())) DoTimer(lag);
  // Unless the event stopped the timer, it sleeps until the next firing is due. A wake a
  // little early finds the interval not passed and sleeps the rest.
  if (Passing) Idle.start(int(Core.WaitBefore(Clock.Now())));
}

void TCustomDXTimer::AppStateChanged(Qt::ApplicationState State) {
  const bool active = State == Qt::ApplicationActive;
  if (active == AppActive) return;
  AppActive = active;
  if (active) {
    DoActivate();
    if (Running_ && ActiveOnly_) InstallIdleHandler();
  } else {
    DoDeactivate();
    if (Running_ && ActiveOnly_) RemoveIdleHandler();
  }
}

void TCustomDXTimer::DoActivate() {
  if (OnActivate) OnActivate(*this);
}

void TCustomDXTimer::DoDeactivate() {
  if (OnDeactivate) OnDeactivate(*this);
}

void TCustomDXTimer::DoTimer(uint32_t LagCount) {
  if (OnTimer) OnTimer(*this, LagCount);
}

}  // namespace plashbox
