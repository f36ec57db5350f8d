// panels/: the Qt widgets and the tank objects' control panels.
// The plainer panel of a wave source that has no panel of its own: on/off, a burst and the
// wavelength, all written by property name.
#pragma once

#include <QFrame>

#include "objects/uWaterBaseClasses.h"

class QLabel;
class QPushButton;
class QSlider;

namespace plashbox {

class TCustomSpeedButton;

class TBaseExciterCP : public QFrame, public TControlPanel {
  Q_OBJECT

 public:
  explicit TBaseExciterCP(QWidget* Parent = nullptr);
  ~TBaseExciterCP() override;

  void Bind(TBasicXMLNode& Control);
  TBasicXMLNode* Control() const { return FControl.get(); }

  TCustomSpeedButton* PowerButton;
  QPushButton* OneWave;
  TCustomSpeedButton* OneShotIndicator;
  QLabel* WavelengthCaptionLabel;
  QLabel* WavelengthLabel;
  QSlider* WavelengthBar;

 private:
  void WavelengthBarChange();
  void PowerButtonClick();

  TRef<TBasicXMLNode> FControl;
};

}  // namespace plashbox
