#include "app/DXTimer.h"

#include <QGuiApplication>

namespace plashbox {

TCustomDXTimer::TCustomDXTimer(QObject* Owner, iMillisecondClock& Clock) : QObject(Owner), Clock(Clock) {
  Idle.setInterval(0);
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
  Core.Restart(Clock.Now());
  Idle.start();
}

void TCustomDXTimer::RemoveIdleHandler() { Idle.stop(); }

void TCustomDXTimer::IdleHandler() {
  // The zero-interval timer stays armed: the loop comes straight back instead of waiting.
  if (const uint32_t lag = Core.Poll(Clock.Now())) DoTimer(lag);
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
