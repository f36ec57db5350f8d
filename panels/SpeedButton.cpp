#include "panels/SpeedButton.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QShortcutEvent>
#include <algorithm>
#include <cmath>

#include "panels/Shading.h"

namespace plashbox {

QImage LatchedPattern(const QColor& Base) {
  QImage Tile(8, 8, QImage::Format_RGB32);
  const QRgb Plain = Base.rgb(), Light = ShadesOf(Base).VeryLight.rgb();
  for (int Y = 0; Y < 8; ++Y)
    for (int X = 0; X < 8; ++X) Tile.setPixel(X, Y, (X & 1) == (Y & 1) ? Light : Plain);
  return Tile;
}

// ---------------------------------------------------------------------------------------------
// Action link

TSpeedButtonActionLink::TSpeedButtonActionLink(TCustomSpeedButton& Button, QAction& Action)
    : Button(Button), FAction(&Action) {
  Connections.push_back(QObject::connect(&Action, &QAction::changed, &Button, [this] { Update(); }));
  Connections.push_back(QObject::connect(&Action, &QAction::toggled, &Button, [this](bool) { Update(); }));
  Update();
}

TSpeedButtonActionLink::~TSpeedButtonActionLink() {
  for (const auto& Connection : Connections) QObject::disconnect(Connection);
}

void TSpeedButtonActionLink::Update() {
  if (!FAction) return;
  Button.SetCaption(FAction->text());
  Button.setEnabled(FAction->isEnabled());
  Button.setVisible(FAction->isVisible());
  if (FAction->isCheckable()) Button.SetDown(FAction->isChecked());
  const QIcon Icon = FAction->icon();
  if (!Icon.isNull() && Icon.cacheKey() != IconKey) {
    IconKey = Icon.cacheKey();
    const QList<QSize> Sizes = Icon.availableSizes();
    Button.SetGlyph(Icon.pixmap(Sizes.isEmpty() ? QSize(16, 16) : Sizes.first()).toImage());
  }
}

void TSpeedButtonActionLink::Execute() {
  if (FAction) FAction->trigger();
}

void TSpeedButtonActionLink::SetChecked(bool Value) {
  if (FAction && FAction->isCheckable()) FAction->setChecked(Value);
}

// ---------------------------------------------------------------------------------------------
// The button

TCustomSpeedButton::TCustomSpeedButton(QWidget* Parent) : QWidget(Parent) {
  FColor = palette().color(QPalette::Active, QPalette::Button);
  resize(22, 23);
  // Moves without a held button drive the hot tracking.
  setMouseTracking(true);
  // Tab reaches it; a click leaves the focus where it was (in the tank, say).
  setFocusPolicy(Qt::TabFocus);
  FGlyph.OnChange = [this] { update(); };
}

TCustomSpeedButton::~TCustomSpeedButton() = default;

void TCustomSpeedButton::SetGroupIndex(int Value) {
  if (Value == FGroupIndex) return;
  FGroupIndex = Value;
  // A momentary button cannot stay latched.
  if (FGroupIndex == 0 && FDown) {
    FDown = false;
    FState = bsUp;
    update();
  }
  UpdateExclusive();
}

void TCustomSpeedButton::SetDown(bool Value) {
  if (FGroupIndex == 0) Value = false;
  if (Value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = Value;
  if (Value) {
    if (FState == bsUp) update();
    FState = bsLatched;
    UpdateExclusive();
  } else {
    FState = bsUp;
    update();
  }
}

void TCustomSpeedButton::SetAllowAllUp(bool Value) {
  if (Value == FAllowAllUp) return;
  FAllowAllUp = Value;
  UpdateExclusive();
}

void TCustomSpeedButton::SetLayout(TButtonLayout Value) {
  if (Value == FLayout) return;
  FLayout = Value;
  update();
}

void TCustomSpeedButton::SetSpacing(int Value) {
  if (Value == FSpacing) return;
  FSpacing = Value;
  update();
}

void TCustomSpeedButton::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  update();
}

void TCustomSpeedButton::SetMargin(int Value) {
  if (Value == FMargin || Value < -1) return;
  FMargin = Value;
  update();
}

void TCustomSpeedButton::SetFlat(bool Value) {
  if (Value == FFlat) return;
  FFlat = Value;
  update();
}

void TCustomSpeedButton::SetCaption(const QString& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  if (ShortcutId != 0) releaseShortcut(ShortcutId);
  ShortcutId = 0;
  const QKeySequence Accelerator = QKeySequence::mnemonic(FCaption);
  if (!Accelerator.isEmpty()) ShortcutId = grabShortcut(Accelerator);
  update();
}

void TCustomSpeedButton::SetColor(const QColor& Value) {
  if (Value == FColor) return;
  FColor = Value;
  update();
}

void TCustomSpeedButton::SetGlyph(const QImage& Value) { FGlyph.SetGlyph(Value); }

void TCustomSpeedButton::SetGlyph(const QImage& Value, const QColor& TransparentColor) {
  FGlyph.SetGlyph(Value, TransparentColor);
}

void TCustomSpeedButton::SetNumGlyphs(int Value) { FGlyph.SetNumGlyphs(Value); }

QAction* TCustomSpeedButton::Action() const { return ActionLink ? ActionLink->Action() : nullptr; }

void TCustomSpeedButton::SetAction(QAction* Value) {
  if (Value == Action()) return;
  ActionLink.reset();
  if (Value) ActionLink = std::make_unique<TSpeedButtonActionLink>(*this, *Value);
}

void TCustomSpeedButton::Click() {
  if (OnClick)
    OnClick();
  else if (ActionLink)
    ActionLink->Execute();
}

void TCustomSpeedButton::UpdateExclusive() {
  // Group 0 is no group: momentary buttons share nothing.
  if (FGroupIndex == 0 || !parentWidget()) return;
  const auto Siblings = parentWidget()->findChildren<TCustomSpeedButton*>(Qt::FindDirectChildrenOnly);
  for (TCustomSpeedButton* Sibling : Siblings) Sibling->ButtonPressed(FGroupIndex, *this);
}

void TCustomSpeedButton::ButtonPressed(int Group, TCustomSpeedButton& Sender) {
  if (Group != FGroupIndex || &Sender == this) return;
  if (Sender.FDown && FDown) {
    FDown = false;
    FState = bsUp;
    if (ActionLink) ActionLink->SetChecked(false);
    update();
  }
  FAllowAllUp = Sender.FAllowAllUp;
}

bool TCustomSpeedButton::HotTrackable() const { return FFlat && isEnabled(); }

void TCustomSpeedButton::UpdateTracking(QPointF GlobalPos) {
  if (!HotTrackable()) return;
  const QPoint At = GlobalPos.toPoint();
  FMouseInside = isVisible() && rect().contains(mapFromGlobal(At)) && QApplication::widgetAt(At) == this;
  update();
}

namespace {
bool PressesAButton(const QKeyEvent& Event) {
  const int key = Event.key();
  return (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
         (Event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}
}  // namespace

void TCustomSpeedButton::keyPressEvent(QKeyEvent* Event) {
  if (!PressesAButton(*Event) || !isEnabled()) {
    QWidget::keyPressEvent(Event);
    return;
  }
  if (Event->isAutoRepeat()) return;
  // As a click that ends inside: a latching button changes its state, then the click fires.
  if (FGroupIndex != 0) SetDown(!FDown);
  update();
  Click();
}

bool TCustomSpeedButton::event(QEvent* Event) {
  // The key that presses the focused button is the button's, not a window shortcut's (Space
  // pauses the tank everywhere else).
  if (Event->type() == QEvent::ShortcutOverride && hasFocus() && isEnabled() &&
      PressesAButton(*static_cast<QKeyEvent*>(Event))) {
    Event->accept();
    return true;
  }
  if (Event->type() == QEvent::Shortcut) {
    auto* Shortcut = static_cast<QShortcutEvent*>(Event);
    if (ShortcutId != 0 && Shortcut->shortcutId() == ShortcutId) {
      if (isEnabled() && isVisible() && parentWidget() && parentWidget()->isVisible()) Click();
      return true;
    }
  }
  return QWidget::event(Event);
}

void TCustomSpeedButton::LeftButtonDown() {
  if (!FDown) {
    FState = bsPressed;
    update();
  }
  FDragging = true;
}

void TCustomSpeedButton::mousePressEvent(QMouseEvent* Event) {
  if (OnMouseDown) OnMouseDown(*Event);
  if (Event->button() == Qt::LeftButton && isEnabled()) LeftButtonDown();
}

void TCustomSpeedButton::mouseDoubleClickEvent(QMouseEvent* Event) {
  // Qt delivers the second press of a double click as this event.
  if (Event->button() == Qt::LeftButton && FDown && OnDblClick) {
    QPointer<TCustomSpeedButton> Self(this);
    OnDblClick();
    if (!Self) return;
  }
  mousePressEvent(Event);
}

namespace {
// The bottom edge row still counts, so a release on the last line is a click.
bool InsideForDrag(const QWidget& Button, QPointF Pos) {
  const int X = static_cast<int>(std::floor(Pos.x())), Y = static_cast<int>(std::floor(Pos.y()));
  return X >= 0 && X < Button.width() && Y >= 0 && Y <= Button.height();
}
}  // namespace

void TCustomSpeedButton::mouseMoveEvent(QMouseEvent* Event) {
  if (OnMouseMove) OnMouseMove(*Event);
  if (FDragging) {
    const TButtonState NewState = FDown ? bsLatched : InsideForDrag(*this, Event->position()) ? bsPressed : bsUp;
    if (NewState != FState) {
      FState = NewState;
      update();
    }
  } else if (FFlat && !FMouseInside) {
    UpdateTracking(Event->globalPosition());
  }
}

void TCustomSpeedButton::mouseReleaseEvent(QMouseEvent* Event) {
  if (Event->button() == Qt::LeftButton && FDragging) {
    FDragging = false;
    const bool Inside = InsideForDrag(*this, Event->position());
    if (FGroupIndex == 0) {
      FState = bsUp;
      FMouseInside = false;
      update();
    } else if (Inside) {
      SetDown(!FDown);
      update();
    } else {
      FState = FDown ? bsLatched : bsUp;
      update();
    }
    if (Inside) {
      // A click handler may well delete its own button (a panel rebuilt, say).
      QPointer<TCustomSpeedButton> Self(this);
      Click();
      if (!Self) return;
    }
    UpdateTracking(Event->globalPosition());
  }
  if (OnMouseUp) OnMouseUp(*Event);
}

void TCustomSpeedButton::enterEvent(QEnterEvent* Event) {
  QWidget::enterEvent(Event);
  if (HotTrackable() && !QWidget::mouseGrabber()) {
    FMouseInside = true;
    update();
  }
}

void TCustomSpeedButton::leaveEvent(QEvent* Event) {
  QWidget::leaveEvent(Event);
  if (HotTrackable() && !FDragging) {
    FMouseInside = false;
    update();
  }
}

void TCustomSpeedButton::changeEvent(QEvent* Event) {
  switch (Event->type()) {
    case QEvent::EnabledChange:
      UpdateTracking(QCursor::pos());
      update();
      break;
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
      // The generated disabled picture is made of the system colours.
      FGlyph.Invalidate();
      update();
      break;
    case QEvent::FontChange:
    case QEvent::LayoutDirectionChange:
      update();
      break;
    default:
      break;
  }
  QWidget::changeEvent(Event);
}

void TCustomSpeedButton::paintEvent(QPaintEvent*) {
  if (!isEnabled()) {
    FState = bsDisabled;
    FDragging = false;
  } else if (FState == bsDisabled) {
    FState = FDown && FGroupIndex != 0 ? bsLatched : bsUp;
  }
  QPainter Painter(this);
  Painter.setFont(font());
  QRect R = rect();
  const TColorShades Shades = ShadesOf(FColor);
  const bool Pushed = FState == bsPressed || FState == bsLatched;

  if (!FFlat) {
    if (Pushed) {
      R = Frame3D(Painter, R, Shades.Half, Shades.VeryLight);
      R = Frame3D(Painter, R, Shades.Dark, Shades.Light);
    } else {
      R = Frame3D(Painter, R, Shades.VeryLight, Shades.Half);
      R = Frame3D(Painter, R, Shades.Light, Shades.Dark);
    }
    Painter.fillRect(R, FColor);
  } else if (Pushed || (FMouseInside && isEnabled())) {
    if (Pushed)
      R = Frame3D(Painter, R, Shades.Half, Shades.VeryLight);
    else
      R = Frame3D(Painter, R, Shades.VeryLight, Shades.Half);
  } else {
    if (!FTransparent) Painter.fillRect(R, FColor);
    R.adjust(1, 1, -1, -1);
  }

  QPoint Offset;
  if (Pushed) {
    Offset = QPoint(1, 1);
    if (FState == bsLatched && !(FFlat && FMouseInside)) Painter.fillRect(R, QBrush(LatchedPattern(FColor)));
  }

  const QImage Picture = FGlyph.Picture(FState, palette());
  const int TextFlags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
  QSize TextSize;
  if (!FCaption.isEmpty())
    TextSize = QFontMetrics(font()).boundingRect(QRect(0, 0, R.width(), 0), TextFlags, FCaption).size();
  const TButtonPlacement Place = CalcButtonLayout(R, Picture.size(), TextSize, FLayout, FMargin, FSpacing,
                                                  layoutDirection() == Qt::RightToLeft, Offset);
  if (!Picture.isNull()) {
    if (!FTransparent && FState != bsLatched) Painter.fillRect(QRect(Place.GlyphPos, Picture.size()), FColor);
    Painter.drawImage(Place.GlyphPos, Picture);
  }
  if (!FCaption.isEmpty()) DrawCaption(Painter, Place.TextBounds, Shades);
  if (hasFocus()) DrawFocusMark(Painter, rect());
}

void TCustomSpeedButton::DrawCaption(QPainter& Painter, const QRect& Bounds, const TColorShades& Shades) {
  const int Flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
  Painter.setBrush(Qt::NoBrush);
  if (FState == bsDisabled) {
    Painter.setPen(Shades.VeryLight);
    Painter.drawText(Bounds.translated(1, 1), Flags, FCaption);
    Painter.setPen(Shades.Half);
    Painter.drawText(Bounds, Flags, FCaption);
  } else {
    Painter.setPen(palette().color(QPalette::Active, foregroundRole()));
    Painter.drawText(Bounds, Flags, FCaption);
  }
}

}  // namespace plashbox
