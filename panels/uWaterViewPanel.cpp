#include "panels/uWaterViewPanel.h"

#include <QLabel>

#include <algorithm>
#include <cmath>

#include "panels/CustomTrackBar.h"
#include "panels/PanelParts.h"
#include "panels/Palette.h"

namespace plashbox {

namespace {
constexpr double DefaultExposure = 2.55;
}

float ExposureOfBrightness(int Position) {
  const double decades = double(BrightnessSteps / 2 - Position) / double(BrightnessSteps / 2);
  return std::clamp(static_cast<float>(DefaultExposure * std::pow(10.0, decades)), MinExposure, MaxExposure);
}

int BrightnessOfExposure(float Exposure) {
  const double decades = std::log10(double(Exposure) / DefaultExposure);
  return std::clamp(int(std::lrint(BrightnessSteps / 2 - decades * (BrightnessSteps / 2))), 0, BrightnessSteps);
}

TWaterViewCP::TWaterViewCP(QWidget* Parent) : QFrame(Parent) {
  setFixedSize(PanelWidth, 40);
  FillBackground(*this, PanelColour);
  MakePanelLabel(this, "Brightness", QRect(9, 2, 100, 14), Qt::AlignLeft);
  BrightnessValue = MakePanelLabel(this, "", QRect(104, 2, 92, 14), Qt::AlignRight);
  BrightnessBar = MakePanelBar(this, QRect(5, 15, 196, 22), 0, BrightnessSteps, BrightnessSteps / 2);
  BrightnessBar->setObjectName("BrightnessBar");
  connect(BrightnessBar, &QSlider::valueChanged, this, [this](int Position) {
    if (!Binding && FWater) FWater->SetExposure(ExposureOfBrightness(Position));
    ShowValues();
  });

  MakePanelLabel(this, "Averaging", QRect(219, 2, 100, 14), Qt::AlignLeft);
  AveragingValue = MakePanelLabel(this, "", QRect(274, 2, 132, 14), Qt::AlignRight);
  AveragingBar = MakePanelBar(this, QRect(215, 15, 196, 22), MinAveragingPeriods, 20, DefaultAveragingPeriods);
  AveragingBar->setObjectName("AveragingBar");
  AveragingBar->setToolTip("How long the intensity view averages, in periods of the source");
  AveragingBar->setPageStep(1);
  connect(AveragingBar, &QSlider::valueChanged, this, [this](int Periods) {
    if (!Binding && FWater) FWater->SetAveragingPeriods(Periods);
    ShowValues();
  });
}

TWaterViewCP::~TWaterViewCP() = default;

void TWaterViewCP::Bind(TWater& Water) {
  FWater = &Water;
  Binding = true;  // showing the water's values writes nothing back
  BrightnessBar->setValue(BrightnessOfExposure(Water.Exposure()));
  AveragingBar->setValue(std::min(Water.AveragingPeriods(), AveragingBar->maximum()));
  Binding = false;
  ShowValues();
}

void TWaterViewCP::ShowValues() {
  if (!FWater) return;
  BrightnessValue->setText(QString("x %1").arg(DefaultExposure / double(FWater->Exposure()), 0, 'f', 2));
  const int periods = FWater->AveragingPeriods();
  AveragingValue->setText(QString("%1 period%2, %3 steps")
                              .arg(periods)
                              .arg(periods == 1 ? "" : "s")
                              .arg(std::lrint(FWater->IntensityTimeConstant())));
}

}  // namespace plashbox
