#include "panels/CustomTrackBar.h"

#include <QPainter>
#include <QStyleOptionSlider>
#include <algorithm>

namespace plashbox {

namespace {


// Lends the painter to Canvas() for the length of one paint.
class TCanvasLock {
 public:
  TCanvasLock(QPainter*& Slot, QPainter& Painter) : Slot(Slot) { Slot = &Painter; }
  ~TCanvasLock() { Slot = nullptr; }
  TCanvasLock(const TCanvasLock&) = delete;
  TCanvasLock& operator=(const TCanvasLock&) = delete;

 private:
  QPainter*& Slot;
};

}  // namespace

TCustomTrackBar::TCustomTrackBar(QWidget* Parent) : TCustomTrackBar(Qt::Horizontal, Parent) {}

TCustomTrackBar::TCustomTrackBar(Qt::Orientation Orientation, QWidget* Parent) : QSlider(Orientation, Parent) {}

TCustomTrackBar::~TCustomTrackBar() = default;

void TCustomTrackBar::SetChannelColor(const QColor& Value) {
  if (Value == FChannelColor) return;
  FChannelColor = Value;
  update();
}

void TCustomTrackBar::SetThumbColor(const QColor& Value) {
  if (Value == FThumbColor) return;
  FThumbColor = Value;
  update();
}

void TCustomTrackBar::SetThumbLength(int Value) {
  Value = std::max(Value, 0);
  if (Value == FThumbLength) return;
  FThumbLength = Value;
  update();
}

QRect TCustomTrackBar::ChannelRect() const {
  QStyleOptionSlider Option;
  initStyleOption(&Option);
  return style()->subControlRect(QStyle::CC_Slider, &Option, QStyle::SC_SliderGroove, this);
}

QRect TCustomTrackBar::ThumbRect() const {
  QStyleOptionSlider Option;
  initStyleOption(&Option);
  return ThumbRect(Option);
}

QRect TCustomTrackBar::ThumbRect(const QStyleOptionSlider& Option) const {
  QRect Thumb = style()->subControlRect(QStyle::CC_Slider, &Option, QStyle::SC_SliderHandle, this);
  if (FThumbLength <= 0) return Thumb;
  const QRect Channel = style()->subControlRect(QStyle::CC_Slider, &Option, QStyle::SC_SliderGroove, this);
  if (orientation() == Qt::Horizontal) {
    const int Top = Channel.top() + (Channel.height() - FThumbLength) / 2;
    Thumb.setTop(std::max(Top, 0));
    Thumb.setBottom(std::min(Top + FThumbLength, height()) - 1);
  } else {
    const int Left = Channel.left() + (Channel.width() - FThumbLength) / 2;
    Thumb.setLeft(std::max(Left, 0));
    Thumb.setRight(std::min(Left + FThumbLength, width()) - 1);
  }
  return Thumb;
}

bool TCustomTrackBar::OwnerDrew(ThlTrackBarItem Item, const QRect& ARect, QStyle::State State) {
  if (!OnCustomDraw) return false;
  bool DefaultDraw = true;
  FCanvas->save();
  OnCustomDraw(*this, Item, ARect, State, DefaultDraw);
  FCanvas->restore();
  return !DefaultDraw;
}

void TCustomTrackBar::paintEvent(QPaintEvent*) {
  QPainter Painter(this);
  TCanvasLock Lock(FCanvas, Painter);
  QStyleOptionSlider Option;
  initStyleOption(&Option);

  if (tickPosition() != QSlider::NoTicks) {
    QStyleOptionSlider Tics = Option;
    Tics.subControls = QStyle::SC_SliderTickmarks;
    style()->drawComplexControl(QStyle::CC_Slider, &Tics, &Painter, this);
  }
  DrawChannel(Painter, Option);
  DrawThumb(Painter, Option);

  // Whatever the style leaves at the very edge of the widget goes under one line of the
  // background, so the bar sits flat on its panel.
  Painter.setBrush(Qt::NoBrush);
  Painter.setPen(QPen(palette().color(backgroundRole()), 1));
  Painter.drawRect(rect().adjusted(0, 0, -1, -1));
  // The keys move the thumb: the bar that takes them says so plainly.
  if (hasFocus()) DrawFocusMark(Painter, rect());
}

void TCustomTrackBar::DrawChannel(QPainter& Painter, const QStyleOptionSlider& Option) {
  QRect Channel = style()->subControlRect(QStyle::CC_Slider, &Option, QStyle::SC_SliderGroove, this);
  if (!OwnerDrew(tbiChannel, Channel, Option.state)) Painter.fillRect(Channel, FChannelColor);
  // The sunken frames belong to the bar, whoever filled the channel.
  const TColorShades Back = ShadesOf(palette().color(backgroundRole()));
  Channel = Frame3D(Painter, Channel, Back.Dark, Back.Light);
  Frame3D(Painter, Channel, Back.Half, Back.VeryLight);
}

void TCustomTrackBar::DrawThumb(QPainter& Painter, const QStyleOptionSlider& Option) {
  QRect Thumb = ThumbRect(Option);
  const QStyle::State State = Option.state | (isSliderDown() ? QStyle::State_Sunken : QStyle::State_None);
  if (OwnerDrew(tbiThumb, Thumb, State)) return;

  const TColorShades Shades = ShadesOf(FThumbColor);
  // The space cut off the far side stays free for the style's tick marks.
  if (orientation() == Qt::Horizontal)
    Thumb.setBottom(Thumb.bottom() - 3);
  else
    Thumb.setRight(Thumb.right() - 3);
  if (Thumb.isEmpty()) return;
  Painter.fillRect(Thumb, isSliderDown() ? Shades.Light : FThumbColor);
  Thumb = Frame3D(Painter, Thumb, Shades.VeryLight, Shades.Half);
  Thumb = Frame3D(Painter, Thumb, Shades.Light, Shades.Dark);
  if (Thumb.isEmpty()) return;
  const QRect Groove(Thumb.left() + Thumb.width() / 2, Thumb.top(), 1, Thumb.height());
  Frame3D(Painter, Groove, Shades.VeryLight, Shades.Half);
}

}  // namespace plashbox
