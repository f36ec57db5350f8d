#include "panels/PanelParts.h"

#include <QLabel>

#include "panels/CustomTrackBar.h"
#include "panels/Palette.h"

namespace plashbox {

QLabel* MakePanelLabel(QWidget* Parent, const QString& Text, const QRect& Bounds, Qt::Alignment Alignment) {
  auto* label = new QLabel(Text, Parent);
  label->setGeometry(Bounds);
  label->setAlignment(Alignment | Qt::AlignVCenter);
  return label;
}

TCustomTrackBar* MakePanelBar(QWidget* Parent, const QRect& Bounds, int Min, int Max, int Position) {
  auto* bar = new TCustomTrackBar(Qt::Horizontal, Parent);
  bar->setGeometry(Bounds);
  bar->setRange(Min, Max);
  bar->setValue(Position);
  bar->setTickPosition(QSlider::NoTicks);
  bar->SetThumbLength(18);
  bar->SetChannelColor(Qt::white);
  bar->SetThumbColor(Silver);
  return bar;
}

}  // namespace plashbox
