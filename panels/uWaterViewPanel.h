// panels/: the Qt widgets and the tank objects' control panels.
// The strip of the water's picture under the tank: its brightness and the averaging time of
// the intensity view, each a slider that writes the water's value with its reading above it.
#pragma once

#include <QFrame>

#include "sim/uWater.h"

class QLabel;

namespace plashbox {

class TCustomTrackBar;

// The brightness slider's positions: the middle is the water's default exposure, each end ten
// times brighter or dimmer, in even steps of the logarithm.
inline constexpr int BrightnessSteps = 100;
float ExposureOfBrightness(int Position);
int BrightnessOfExposure(float Exposure);

class TWaterViewCP : public QFrame {
  Q_OBJECT

 public:
  static constexpr int PanelWidth = 417;
  explicit TWaterViewCP(QWidget* Parent = nullptr);
  ~TWaterViewCP() override;

  void Bind(TWater& Water);
  TWater* Water() const { return FWater.get(); }
  // The readings again, after the water or its source changed elsewhere.
  void ShowValues();

  TCustomTrackBar* BrightnessBar;
  TCustomTrackBar* AveragingBar;

 private:
  TRef<TWater> FWater;
  QLabel* BrightnessValue = nullptr;
  QLabel* AveragingValue = nullptr;
  bool Binding = false;
};

}  // namespace plashbox
