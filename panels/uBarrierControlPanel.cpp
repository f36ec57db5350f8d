#include "panels/uBarrierControlPanel.h"

#include <QLabel>

#include <algorithm>

#include "panels/CustomTrackBar.h"
#include "panels/PanelParts.h"
#include "panels/Palette.h"
#include "text/TextCatalogue.h"

namespace plashbox {

TBarrierCP::TBarrierCP(QWidget* Parent) : QFrame(Parent) {
  setFixedSize(177, 152);
  FillBackground(*this, PanelColour);
  // Titled with the wall's name, as the core gives it.
  QLabel* title =
      MakePanelLabel(this, QString::fromStdString(TextOf("object.TBarrier.name")), QRect(7, 3, 100, 16), Qt::AlignLeft);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  SlitsBar = AddRow(20, "Slits", 0, MaxSlits, SlitsValue, &TBarrier::SetSlits);
  SlitWidthBar = AddRow(52, "Slit width", 1, MaxPanelSlitWidth, SlitWidthValue, &TBarrier::SetSlitWidth);
  SlitSpacingBar =
      AddRow(84, "Slit spacing", MinPanelSpacing, MaxPanelSpacing, SlitSpacingValue, &TBarrier::SetSlitSpacing);
  ThicknessBar = AddRow(116, "Thickness", MinWallThickness, MaxWallThickness, ThicknessValue, &TBarrier::SetThickness);
}

TBarrierCP::~TBarrierCP() = default;

TCustomTrackBar* TBarrierCP::AddRow(int Top, const QString& Caption, int Min, int Max, QLabel*& Value,
                                    void (TBarrier::*Set)(int32_t)) {
  MakePanelLabel(this, Caption, QRect(9, Top, 100, 14), Qt::AlignLeft);
  Value = MakePanelLabel(this, "", QRect(104, Top, 62, 14), Qt::AlignRight);
  TCustomTrackBar* bar = MakePanelBar(this, QRect(5, Top + 13, 166, 22), Min, Max, Min);
  bar->setPageStep(1);
  // Each slider writes its own value only, so that one the slider cannot show (set by name)
  // stays until that slider moves.
  connect(bar, &QSlider::valueChanged, this, [this, Set](int Position) {
    if (!Binding && FWall) (FWall.get()->*Set)(Position);
    ShowValues();
  });
  return bar;
}

void TBarrierCP::Bind(TBarrier& Wall) {
  FWall = &Wall;
  Binding = true;  // showing the wall's values writes nothing back
  SlitsBar->setValue(Wall.Slits);
  // No wider than the wall: a slit as long as it would open all of it.
  SlitWidthBar->setMaximum(std::min(MaxPanelSlitWidth, Wall.MaxSlitWidth()));
  SlitWidthBar->setValue(Wall.SlitWidth);
  SlitSpacingBar->setValue(Wall.SlitSpacing);
  ThicknessBar->setValue(Wall.Thickness);
  Binding = false;
  ShowValues();
}

// The wall's own values, which may lie outside the sliders' ranges (set by name).
void TBarrierCP::ShowValues() {
  const int32_t slits = FWall ? FWall->Slits : SlitsBar->value();
  const auto cells = [](int32_t Value) { return QString::number(Value) + " cells"; };
  SlitsValue->setText(slits > 0 ? QString::number(slits) : "none");
  SlitWidthValue->setText(cells(FWall ? FWall->SlitWidth : SlitWidthBar->value()));
  SlitSpacingValue->setText(cells(FWall ? FWall->SlitSpacing : SlitSpacingBar->value()));
  ThicknessValue->setText(cells(FWall ? FWall->Thickness : ThicknessBar->value()));
  // Width and spacing mean nothing without slits, spacing nothing with one.
  SlitWidthBar->setEnabled(slits > 0);
  SlitSpacingBar->setEnabled(slits > 1);
}

}  // namespace plashbox
