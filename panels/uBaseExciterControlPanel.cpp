#include "panels/uBaseExciterControlPanel.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "panels/SpeedButton.h"
#include "panels/PanelArtwork.h"
#include "panels/PanelParts.h"
#include "grid/Rounding.h"
#include "xmlworker/XMLFormat.h"
#include "xmlworker/XMLProperties.h"
#include "panels/Palette.h"

namespace plashbox {

TBaseExciterCP::TBaseExciterCP(QWidget* Parent) : QFrame(Parent) {
  setFixedSize(166, 83);
  FillBackground(*this, PanelColour);

  PowerButton = new TCustomSpeedButton(this);
  PowerButton->setGeometry(16, 2, 40, 31);
  PowerButton->SetGroupIndex(PowerButtonGroup);
  PowerButton->SetAllowAllUp(true);
  PowerButton->SetGlyph(PowerGlyph(24, 24));
  PowerButton->SetNumGlyphs(4);
  PowerButton->OnClick = [this] { PowerButtonClick(); };

  OneWave = new QPushButton(QIcon(QPixmap::fromImage(PulseGlyph(16, 16).copy(0, 0, 16, 16))), "Burst", this);
  OneWave->setGeometry(88, 4, 66, 25);
  connect(OneWave, &QPushButton::clicked, this, [this] {
    if (FControl) SetPublishedValue(*FControl, "OneShot", "True");
  });

  OneShotIndicator = new TCustomSpeedButton(this);
  OneShotIndicator->setGeometry(96, 16, 41, 33);
  OneShotIndicator->SetGroupIndex(10);
  OneShotIndicator->lower();  // under the burst button it overlaps

  WavelengthCaptionLabel = new QLabel("Wavelength", this);
  WavelengthCaptionLabel->move(16, 34);
  WavelengthCaptionLabel->adjustSize();
  WavelengthLabel = new QLabel("0", this);
  WavelengthLabel->setGeometry(120, 33, 32, 13);
  WavelengthLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  WavelengthBar = new QSlider(Qt::Horizontal, this);
  WavelengthBar->setGeometry(8, 49, 151, 32);
  WavelengthBar->setRange(5, 100);
  WavelengthBar->setValue(99);
  WavelengthBar->setTickPosition(QSlider::TicksBelow);
  WavelengthBar->setTickInterval(5);
  connect(WavelengthBar, &QSlider::valueChanged, this, [this] { WavelengthBarChange(); });
}

TBaseExciterCP::~TBaseExciterCP() = default;

void TBaseExciterCP::Bind(TBasicXMLNode& Control) {
  FControl = &Control;
  const bool on = SameText(GetPublishedValue(Control, "ON"), "True");
  PowerButton->SetDown(on);
  OneWave->setEnabled(!on);
  OneShotIndicator->SetDown(SameText(GetPublishedValue(Control, "OneShot"), "True"));
  const int position = Round(ParseFloatText(GetPublishedValue(Control, "Wavelength")));
  if (position != WavelengthBar->value()) {
    WavelengthBar->setValue(position);
    WavelengthLabel->setText(QString::number(WavelengthBar->value()));
  }
}

void TBaseExciterCP::WavelengthBarChange() {
  if (FControl) SetPublishedValue(*FControl, "Wavelength", std::to_string(WavelengthBar->value()));
  WavelengthLabel->setText(QString::number(WavelengthBar->value()));
}

void TBaseExciterCP::PowerButtonClick() {
  const bool on = PowerButton->Down();
  if (FControl) SetPublishedValue(*FControl, "ON", on ? "True" : "False");
  OneWave->setEnabled(!on);
}

}  // namespace plashbox
