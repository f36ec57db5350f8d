// panels/: the Qt widgets and the tank objects' control panels.
// The panels of the measuring tools. The probes' panel graphs the last steps of every probe of
// the water in its colour, with each probe's period, frequency (or beat) and peak-to-peak
// amplitude and the probes' phases against the first; the screen's panel graphs the intensity
// along its line with its maxima. The window refreshes them once a frame; what they show is measured in frame/.
#pragma once

#include <QFrame>

#include <array>

#include "objects/uIntensityScreen.h"
#include "objects/uProbe.h"

class QLabel;

namespace plashbox {

// A panel that shows live readings, refreshed by the window once a frame.
class TLiveReadings {
 public:
  virtual ~TLiveReadings() = default;
  // StepsPerSecond: the water's step rate at the window's present speed.
  virtual void Refresh(double StepsPerSecond) = 0;
};

class TProbeCP : public QFrame, public TControlPanel, public TLiveReadings {
  Q_OBJECT

 public:
  explicit TProbeCP(QWidget* Parent = nullptr);
  ~TProbeCP() override;

  // The panel shows the probes of Probe's water.
  void Bind(TProbe& Probe);
  void Refresh(double StepsPerSecond) override;
  // The text of probe row I (0 .. MaxProbes - 1), and of the phase line.
  QString RowText(int I) const;
  QString PhaseLine() const;
  // Where the traces are drawn, in the panel's pixels.
  static QRect GraphRect() { return {5, 20, 167, 46}; }

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  TRef<TProbe> FProbe;
  std::array<QLabel*, MaxProbes> Rows{};
  QLabel* Phase = nullptr;
};

class TIntensityScreenCP : public QFrame, public TControlPanel, public TLiveReadings {
  Q_OBJECT

 public:
  explicit TIntensityScreenCP(QWidget* Parent = nullptr);
  ~TIntensityScreenCP() override;

  void Bind(TIntensityScreen& Screen);
  void Refresh(double StepsPerSecond) override;
  QString MaximaLine() const;
  static QRect GraphRect() { return {5, 20, 167, 96}; }

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  TRef<TIntensityScreen> FScreen;
  QLabel* Maxima = nullptr;
};

}  // namespace plashbox
