#include "panels/uGeneralExciterControlPanel.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>

#include <string>

#include "frame/ValueText.h"
#include "grid/Rounding.h"
#include "panels/CustomTrackBar.h"
#include "panels/PanelArtwork.h"
#include "panels/PanelParts.h"
#include "panels/Palette.h"
#include "panels/SpeedButton.h"

namespace plashbox {

namespace {

// The name of a beam type, as the source itself gives it.
QString BeamName(int Type) { return QString::fromStdString(TGeneralExciter::BeamTypeName(Type)); }

// The frequency bar's position (tenths of a hertz) of a wavelength.
int FrequencyPositionOfWavelength(double Lambda) { return Round(TBaseExciter::TenthHertzOfWavelength(Lambda)); }

TCustomSpeedButton* MakeButton(QWidget* Parent, const QRect& Bounds, const QColor& Colour) {
  auto* b = new TCustomSpeedButton(Parent);
  b->setGeometry(Bounds);
  b->SetColor(Colour);
  return b;
}

QLabel* MakeLabel(QWidget* Parent, const QString& Text, int Left, int Top) {
  auto* label = new QLabel(Text, Parent);
  label->move(Left, Top);
  label->adjustSize();
  return label;
}

// The panel's number texts: one decimal place ("0.6", "1.4").
// A value as the source holds it, not as the slider's step.
QString Shown(double Value) { return QString::fromStdString(ShownDecimal(Value)); }

}  // namespace

TGeneralExciterCP::TGeneralExciterCP(QWidget* Parent) : QFrame(Parent) {
  setFixedSize(175, 200);
  FillBackground(*this, PanelColour);
  QFont bold = font();
  bold.setPointSize(8);
  bold.setBold(true);
  setFont(bold);
  CreateTypeControls();
  CreateRunControls();
  CreateWavelengthControls();
  CreateMovingSourceControls();
  CreateTypeMenu();
  StartTimers();
  ShowLayout(false, false);
}

// The type's name and picture across the top, with the rule under it.
void TGeneralExciterCP::CreateTypeControls() {
  BeamTypeButton = MakeButton(this, QRect(3, 2, 168, 32), PanelColour);
  BeamTypeButton->SetFlat(true);
  QFont typeFont = font();
  typeFont.setPointSize(10);
  typeFont.setItalic(true);
  BeamTypeButton->setFont(typeFont);
  BeamTypeButton->SetMargin(2);
  BeamTypeButton->SetSpacing(5);
  BeamTypeButton->OnClick = [this] { BeamTypeButtonClick(); };

  TypeRule = new QFrame(this);
  TypeRule->setGeometry(0, 36, 175, 1);
  TypeRule->setFrameStyle(QFrame::HLine | QFrame::Plain);
}

// On/off, the moving source's restart and the single pulse.
void TGeneralExciterCP::CreateRunControls() {
  PowerButton = MakeButton(this, QRect(15, 46, 46, 33), PanelColour);
  PowerButton->SetGroupIndex(PowerButtonGroup);
  PowerButton->SetAllowAllUp(true);
  PowerButton->SetGlyph(PowerGlyph(24, 24));
  PowerButton->SetNumGlyphs(4);
  PowerButton->OnClick = [this] { PowerButtonClick(); };

  DopplerReset = MakeButton(this, QRect(74, 46, 34, 33), PanelColour);
  DopplerReset->SetFlat(true);
  DopplerReset->SetGlyph(ResetGlyph(20, 20));
  DopplerReset->setToolTip("Start the moving source again from the left");
  DopplerReset->OnClick = [this] {
    if (FExciter) FExciter->ResetDoppler();
  };

  OneWave = MakeButton(this, QRect(117, 46, 46, 33), PanelColour);
  OneWave->SetGroupIndex(68985);
  OneWave->SetAllowAllUp(true);
  OneWave->SetGlyph(PulseGlyph(24, 24));
  OneWave->SetNumGlyphs(4);
  OneWave->OnClick = [this] { OneWaveClick(); };
}

// The wavelength and frequency captions, readouts, the mode button and the two bars.
void TGeneralExciterCP::CreateWavelengthControls() {
  WavelengthCaptionLabel = MakeLabel(this, "Wavelength", 12, 90);
  QFont regular = font();
  regular.setBold(false);
  WavelengthCaptionLabel->setFont(regular);
  WavelengthCaptionLabel->adjustSize();
  CustomSpeedButton1 = MakeButton(this, QRect(77, 86, 28, 28), PanelColour);
  CustomSpeedButton1->SetFlat(true);
  CustomSpeedButton1->SetGlyph(ModeGlyph(20, 20));
  CustomSpeedButton1->SetNumGlyphs(4);
  CustomSpeedButton1->OnClick = [this] {
    if (FExciter) SetUseFrequency(!FExciter->UseFreq);
  };
  FrequencyCaptionLabel = MakeLabel(this, "Frequency", 108, 90);
  FrequencyCaptionLabel->setAlignment(Qt::AlignRight);
  SetTextColour(*FrequencyCaptionLabel, MidGrey);
  WavelengthLabel = MakePanelLabel(this, "0", QRect(15, 105, 57, 13), Qt::AlignRight);
  FrequencyLabel = MakePanelLabel(this, "0", QRect(104, 105, 57, 13), Qt::AlignRight);
  SetTextColour(*FrequencyLabel, MidGrey);

  WavelengthBar = MakePanelBar(this, QRect(5, 117, 166, 24), 5, 50, 50);
  FrequencyBar = MakePanelBar(this, QRect(5, 117, 166, 24), 9, 88, 50);
  FrequencyBar->hide();
  connect(WavelengthBar, &QSlider::valueChanged, this, [this] { WavelengthBarChange(); });
  connect(FrequencyBar, &QSlider::valueChanged, this, [this] { FrequencyBarChange(); });
}

// The harmonics button and the Mach number and detune sliders that share the bottom row.
void TGeneralExciterCP::CreateMovingSourceControls() {
  HarmonicsButton = MakeButton(this, QRect(15, 142, 50, 45), PanelColour);
  HarmonicsButton->SetFlat(true);
  HarmonicsButton->SetGroupIndex(549843);
  HarmonicsButton->SetAllowAllUp(true);
  HarmonicsButton->SetCaption("Lines");
  HarmonicsButton->SetLayout(blGlyphTop);
  HarmonicsButton->SetGlyph(LinesGlyph(24, 24));
  HarmonicsButton->SetNumGlyphs(4);
  HarmonicsButton->hide();
  HarmonicsButton->OnClick = [this] {
    if (FExciter) FExciter->Harmonics = HarmonicsButton->Down();
  };

  MachLabel = MakeLabel(this, "Mach 0.8", 82, 150);
  MachSlider = MakePanelBar(this, QRect(75, 167, 96, 26), 2, 20, 9);
  connect(MachSlider, &QSlider::valueChanged, this, [this] { MachSliderChange(); });
  DetuneNameLabel = MakeLabel(this, "Detune", 82, 150);
  DetuneAmountLabel = MakePanelLabel(this, "1.0x", QRect(127, 150, 35, 13), Qt::AlignRight);
  DetuneSlider = MakePanelBar(this, QRect(75, 167, 96, 26), 2, 40, 10);
  connect(DetuneSlider, &QSlider::valueChanged, this, [this] { DetuneSliderChange(); });
}

// The menu of the source's kinds that the type button opens.
void TGeneralExciterCP::CreateTypeMenu() {
  PopupMenu1 = new QMenu(this);
  auto* group = new QActionGroup(PopupMenu1);
  for (int i = 0; i < TGeneralExciter::BeamTypeCount(); ++i) {
    QAction* item = PopupMenu1->addAction(QIcon(QPixmap::fromImage(BeamTypePicture(i))), BeamName(i));
    item->setCheckable(true);
    item->setActionGroup(group);
    connect(item, &QAction::triggered, this, [this, i] { LineSource1Click(i); });
    MenuItems.push_back(item);
  }
  connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { PopupMenu1Popup(); });
}

// The pulse button follows the burst's end; the type follows changes made elsewhere.
void TGeneralExciterCP::StartTimers() {
  Timer1.setInterval(50);
  connect(&Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  Timer1.start();
  Timer2.setInterval(200);
  connect(&Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });
  Timer2.start();
}

TGeneralExciterCP::~TGeneralExciterCP() = default;

void TGeneralExciterCP::Bind(TGeneralExciter& Source) {
  FExciter = &Source;
  ShowBeamType(Source.BeamType);
  PowerButton->SetDown(Source.ON);
  SetWavelengthFromExciter(Source.GetWavelength());
  OneWave->SetDown(Source.OneShot);
  SetDetune(Source.Detune);
  SetDopplerSpeed(Source.DopplerSpeed);
  SetHarmonics(Source.Harmonics);
  // The mode the source was left in (or saved with) comes back with a new panel.
  if (Source.UseFreq) ShowFrequencyMode(true);
}

void TGeneralExciterCP::ShowBeamType(int32_t Value) {
  FBeamType = Value;
  if (Value < 0 || Value > 4) return;
  ShowLayout(Value == btDoppler, Value == btDouble);
  BeamTypeButton->SetCaption(BeamName(Value));
  BeamTypeButton->SetGlyph(BeamTypePicture(Value), BeamPictureTransparent);
}

void TGeneralExciterCP::ShowLayout(bool Doppler, bool Detune) {
  MachSlider->setVisible(Doppler);
  MachLabel->setVisible(Doppler);
  DopplerReset->setVisible(Doppler);
  HarmonicsButton->setVisible(Doppler);
  DetuneSlider->setVisible(Detune);
  DetuneNameLabel->setVisible(Detune);
  DetuneAmountLabel->setVisible(Detune);
}

float TGeneralExciterCP::Detune() const { return static_cast<float>(DetuneSlider->value() / 10.0); }

// The slider stands at the nearest step; the source keeps its value until the slider moves.
void TGeneralExciterCP::SetDetune(float Value) {
  const QSignalBlocker quiet(DetuneSlider);
  DetuneSlider->setValue(Round(double(Value) * 10));
  RefreshDetuneLabel();
}

float TGeneralExciterCP::DopplerSpeed() const { return static_cast<float>(MachSlider->value() / 10.0); }

void TGeneralExciterCP::SetDopplerSpeed(float Value) {
  const QSignalBlocker quiet(MachSlider);
  MachSlider->setValue(Round(double(Value) * 10));
  RefreshMachLabel();
}

bool TGeneralExciterCP::Harmonics() const { return HarmonicsButton->Down(); }
void TGeneralExciterCP::SetHarmonics(bool Value) { HarmonicsButton->SetDown(Value); }

void TGeneralExciterCP::SetWavelengthFromExciter(float Lambda) {
  if (double(WavelengthBar->value()) == double(Lambda)) return;
  Updating = true;
  WavelengthBar->setValue(Round(Lambda));
  FrequencyBar->setValue(FrequencyPositionOfWavelength(Lambda));
  Updating = false;
  RefreshWavelengthLabels();
}

void TGeneralExciterCP::SetUseFrequency(bool On) {
  if (!FExciter) return;
  FExciter->UseFreq = On;
  ShowFrequencyMode(On);
}

// Only what is shown changes: the wave keeps its wavelength, and both bars stand where it puts
// them (a bar's own rounding is never written back by the switch).
void TGeneralExciterCP::ShowFrequencyMode(bool On) {
  SetTextColour(*WavelengthCaptionLabel, On ? MidGrey : Qt::black);
  SetTextColour(*WavelengthLabel, On ? MidGrey : Qt::black);
  SetTextColour(*FrequencyCaptionLabel, On ? Qt::black : MidGrey);
  SetTextColour(*FrequencyLabel, On ? Qt::black : MidGrey);
  FrequencyBar->setVisible(On);
  WavelengthBar->setVisible(!On);
  if (FExciter) {
    const float lambda = FExciter->GetWavelength();
    Updating = true;
    WavelengthBar->setValue(Round(lambda));
    FrequencyBar->setValue(FrequencyPositionOfWavelength(lambda));
    Updating = false;
  }
  RefreshWavelengthLabels();
}

void TGeneralExciterCP::BeamTypeButtonClick() {
  if (FBeamType >= 0 && size_t(FBeamType) < MenuItems.size()) MenuItems[size_t(FBeamType)]->setChecked(true);
  PopupMenu1->popup(BeamTypeButton->mapToGlobal(QPoint(0, BeamTypeButton->height())));
}

void TGeneralExciterCP::PopupMenu1Popup() {
  for (size_t i = 0; i < MenuItems.size(); ++i) MenuItems[i]->setText(BeamName(int(i)));
}

void TGeneralExciterCP::LineSource1Click(int ImageIndex) {
  if (FExciter) FExciter->SetBeamType(ImageIndex);
  // Chosen here, the moving source sets off at once rather than wait on its target.
  if (FExciter && ImageIndex == btDoppler) FExciter->ResetDoppler();
  ShowBeamType(ImageIndex);
}

// Every handler works on the bound source through its own members, and does nothing while the
// panel is bound to none.
void TGeneralExciterCP::PowerButtonClick() {
  if (!FExciter) return;
  if (!PowerButton->Down()) {
    FExciter->SetON(false);
    return;
  }
  if (OneWave->Down() || FExciter->OneShot) {
    OneWave->SetDown(false);
    FExciter->SetOneShot(false);
  }
  FExciter->SetON(true);
}

void TGeneralExciterCP::OneWaveClick() {
  if (!FExciter) return;
  if (!OneWave->Down()) {
    FExciter->SetOneShot(false);
    return;
  }
  FExciter->SetOneShot(true);
  Timer1.start();
  PowerButton->SetDown(false);
}

void TGeneralExciterCP::Timer1Timer() {
  if (FExciter && !FExciter->OneShot) OneWave->SetDown(false);
  if (!OneWave->Down()) Timer1.stop();
}

void TGeneralExciterCP::Timer2Timer() {
  if (!FExciter || FExciter->BeamType == FBeamType) return;
  ShowBeamType(FExciter->BeamType);
}

void TGeneralExciterCP::WavelengthBarChange() {
  if (Updating || !FExciter) return;
  FExciter->SetWavelength(float(WavelengthBar->value()));
  Updating = true;
  FrequencyBar->setValue(FrequencyPositionOfWavelength(FExciter->GetWavelength()));
  Updating = false;
  RefreshWavelengthLabels();
}

void TGeneralExciterCP::FrequencyBarChange() {
  if (Updating || !FExciter) return;
  FExciter->SetWavelength(static_cast<float>(TBaseExciter::WavelengthOfTenthHertz(FrequencyBar->value())));
  Updating = true;
  WavelengthBar->setValue(Round(FExciter->GetWavelength()));
  Updating = false;
  RefreshWavelengthLabels();
}

void TGeneralExciterCP::MachSliderChange() {
  if (FExciter) FExciter->DopplerSpeed = DopplerSpeed();
  RefreshMachLabel();
}

void TGeneralExciterCP::DetuneSliderChange() {
  if (FExciter) FExciter->Detune = Detune();
  RefreshDetuneLabel();
}

void TGeneralExciterCP::RefreshWavelengthLabels() {
  if (!FExciter) return;
  const double lambda = FExciter->GetWavelength();
  WavelengthLabel->setText(QString::asprintf("%1.1f", lambda) + "mm");
  FrequencyLabel->setText(QString::asprintf("%1.2f", TBaseExciter::FrequencyOfWavelength(lambda)) + "Hz");
}

void TGeneralExciterCP::RefreshMachLabel() {
  MachLabel->setText("Mach " + Shown(FExciter ? double(FExciter->DopplerSpeed) : MachSlider->value() / 10.0));
  MachLabel->adjustSize();
}

void TGeneralExciterCP::RefreshDetuneLabel() {
  DetuneAmountLabel->setText(Shown(FExciter ? double(FExciter->Detune) : DetuneSlider->value() / 10.0) + "x");
}

}  // namespace plashbox
