// panels/: the Qt widgets and the tank objects' control panels.
// The slider of the control panels: Qt's slider with its channel and thumb painted by the
// widget in two colours of its own and flat 3D shading, and a hook through which an owner
// paints a part itself. Range, position, clamping, the change signal, keyboard, mouse and the
// tick marks stay the slider's.
#pragma once

#include <QColor>
#include <QRect>
#include <QSlider>
#include <QStyle>
#include <functional>

#include "panels/Palette.h"
#include "panels/Shading.h"

class QPainter;
class QStyleOptionSlider;

namespace plashbox {

enum ThlTrackBarItem { tbiTics, tbiChannel, tbiThumb };

class TCustomTrackBar;

// Called for the channel and the thumb before the bar paints them. ARect is the part's
// rectangle, State the slider's style state (State_Sunken while the thumb is dragged,
// State_HasFocus with the focus). Setting DefaultDraw to false means the handler painted the
// part on Sender.Canvas() and the bar leaves it alone.
using TTBCustomDrawEvent = std::function<void(TCustomTrackBar& Sender, ThlTrackBarItem Item, const QRect& ARect,
                                              QStyle::State State, bool& DefaultDraw)>;

class TCustomTrackBar : public QSlider {
  Q_OBJECT

 public:
  explicit TCustomTrackBar(QWidget* Parent = nullptr);
  explicit TCustomTrackBar(Qt::Orientation Orientation, QWidget* Parent = nullptr);
  ~TCustomTrackBar() override;

  QColor ChannelColor() const { return FChannelColor; }
  void SetChannelColor(const QColor& Value);
  QColor ThumbColor() const { return FThumbColor; }
  void SetThumbColor(const QColor& Value);

  // The thumb's extent across the channel in pixels, centred on the channel; 0 keeps the
  // style's own.
  int ThumbLength() const { return FThumbLength; }
  void SetThumbLength(int Value);

  TTBCustomDrawEvent OnCustomDraw;

  // The painter of the paint in progress; null outside painting (and so outside OnCustomDraw).
  QPainter* Canvas() const { return FCanvas; }

  // The parts as the bar paints them, in widget coordinates, from the style's geometry.
  QRect ChannelRect() const;
  QRect ThumbRect() const;

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  bool OwnerDrew(ThlTrackBarItem Item, const QRect& ARect, QStyle::State State);
  void DrawChannel(QPainter& Painter, const QStyleOptionSlider& Option);
  void DrawThumb(QPainter& Painter, const QStyleOptionSlider& Option);
  QRect ThumbRect(const QStyleOptionSlider& Option) const;

  QPainter* FCanvas = nullptr;
  QColor FChannelColor{0xFF, 0xFF, 0xFF};
  QColor FThumbColor = Silver;
  int FThumbLength = 0;
};

}  // namespace plashbox
