#include "panels/uControlPanelRefractiveIndex.h"

#include <QLabel>
#include <QSignalBlocker>


#include "frame/ValueText.h"
#include "grid/Rounding.h"
#include "panels/CustomTrackBar.h"
#include "panels/PanelParts.h"
#include "panels/Palette.h"

namespace plashbox {

namespace {

// Slider steps 0 .. 10 run from open water (n = 1) to n = 1/11.
float NOfPosition(int Position) { return static_cast<float>(1 - Position / 11.0); }

}  // namespace

TRefractiveIndexCP::TRefractiveIndexCP(QWidget* Parent) : QFrame(Parent) {
  setFixedSize(177, 90);
  FillBackground(*this, PanelColour);

  IndexCaptionLabel = MakePanelLabel(this, "Refractive Index", QRect(7, 10, 78, 13), Qt::AlignLeft);
  IndexCaptionLabel->setMinimumWidth(IndexCaptionLabel->sizeHint().width());
  IndexCaptionLabel->adjustSize();
  RefractiveIndexLabel = MakePanelLabel(this, "1", QRect(104, 10, 57, 13), Qt::AlignRight);
  RfIndex = new TCustomTrackBar(Qt::Horizontal, this);
  RfIndex->setGeometry(5, 33, 164, 23);
  RfIndex->setRange(0, 10);
  RfIndex->setValue(0);
  RfIndex->setPageStep(1);
  RfIndex->setTickPosition(QSlider::NoTicks);
  RfIndex->SetChannelColor(Qt::white);
  RfIndex->SetThumbColor(MidGrey);
  connect(RfIndex, &QSlider::valueChanged, this, [this] { RfIndexChange(); });
  Label2 = MakePanelLabel(this, "Air", QRect(0, 65, 33, 14), Qt::AlignHCenter);
  Label3 = MakePanelLabel(this, "Water", QRect(64, 65, 39, 14), Qt::AlignHCenter);
  Label4 = MakePanelLabel(this, "Glass", QRect(96, 65, 39, 14), Qt::AlignHCenter);
  Label5 = MakePanelLabel(this, "Diamond", QRect(128, 65, 49, 14), Qt::AlignHCenter);
  QFont small = font();
  small.setPointSize(7);  // the four names share 177 pixels
  for (QLabel* l : {Label2, Label3, Label4, Label5}) l->setFont(small);
  for (QLabel* l : {Label3, Label4, Label5}) l->setAttribute(Qt::WA_TranslucentBackground);
}

TRefractiveIndexCP::~TRefractiveIndexCP() = default;

void TRefractiveIndexCP::Bind(TBaseRIControlRIMapper& Map) {
  FMapper = &Map;
  SetSpeedFactor(Map.GetN());
}

void TRefractiveIndexCP::SetSpeedFactor(float N) {
  const QSignalBlocker quiet(RfIndex);
  RfIndex->setValue(Round((1 - double(N)) * 11));
  RefreshIndexLabel();
}

void TRefractiveIndexCP::RfIndexChange() {
  if (FMapper) FMapper->SetN(NOfPosition(RfIndex->value()));
  RefreshIndexLabel();
}

// The index of the map's own n, which may lie between the slider's steps.
void TRefractiveIndexCP::RefreshIndexLabel() {
  const double n = FMapper ? double(FMapper->GetN()) : double(NOfPosition(RfIndex->value()));
  RefractiveIndexLabel->setText(QString::fromStdString(IndexText(n)));
}

}  // namespace plashbox
