// panels/: the Qt widgets and the tank objects' control panels.
// The flat speed button of the window and the panels: a glyph and/or a caption, momentary or
// latching within a group of its siblings, flat with hot tracking if asked, and painted
// entirely by itself in shades of its own Color. Its pictures live in image lists shared by
// every button whose pictures have the same size.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "panels/ButtonGlyphs.h"
#include "panels/ButtonLayout.h"

class QAction;
class QKeyEvent;
class QMouseEvent;

namespace plashbox {

struct TColorShades;

// The 8 x 8 tile of a latched button: Base, with the very light shade where column and row
// have the same parity.
QImage LatchedPattern(const QColor& Base);

class TCustomSpeedButton;

// Keeps a button in step with a QAction: caption, enabled, visible, checked (as Down) and
// icon (as glyph); a click triggers the action.
class TSpeedButtonActionLink {
 public:
  TSpeedButtonActionLink(TCustomSpeedButton& Button, QAction& Action);
  ~TSpeedButtonActionLink();
  TSpeedButtonActionLink(const TSpeedButtonActionLink&) = delete;
  TSpeedButtonActionLink& operator=(const TSpeedButtonActionLink&) = delete;

  QAction* Action() const { return FAction; }
  void Update();
  void Execute();
  void SetChecked(bool Value);

 private:
  TCustomSpeedButton& Button;
  QPointer<QAction> FAction;
  std::vector<QMetaObject::Connection> Connections;
  qint64 IconKey = 0;
};

class TCustomSpeedButton : public QWidget {
  Q_OBJECT

 public:
  explicit TCustomSpeedButton(QWidget* Parent = nullptr);
  ~TCustomSpeedButton() override;

  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value);
  bool Down() const { return FDown; }
  // Never fires OnClick. With GroupIndex 0 it stays false; a down button of a group that must
  // keep one down is not released by assignment.
  void SetDown(bool Value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  int Margin() const { return FMargin; }
  // Values below -1 are refused.
  void SetMargin(int Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  QString Caption() const { return FCaption; }
  // An ampersand marks the accelerator letter, as in menus.
  void SetCaption(const QString& Value);
  QColor Color() const { return FColor; }
  void SetColor(const QColor& Value);
  const QImage& Glyph() const { return FGlyph.Glyph(); }
  void SetGlyph(const QImage& Value);
  void SetGlyph(const QImage& Value, const QColor& TransparentColor);
  int NumGlyphs() const { return FGlyph.NumGlyphs(); }
  void SetNumGlyphs(int Value);
  TButtonGlyph& GlyphPictures() { return FGlyph; }

  QAction* Action() const;
  // Links the button to an action (not owned); null unlinks.
  void SetAction(QAction* Value);

  TButtonState State() const { return FState; }
  bool MouseInside() const { return FMouseInside; }
  bool Dragging() const { return FDragging; }

  // Fires the click: OnClick, or the action when there is no handler.
  void Click();

  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  std::function<void(QMouseEvent&)> OnMouseDown;
  std::function<void(QMouseEvent&)> OnMouseMove;
  std::function<void(QMouseEvent&)> OnMouseUp;

 protected:
  bool event(QEvent* Event) override;
  void paintEvent(QPaintEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseDoubleClickEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void enterEvent(QEnterEvent* Event) override;
  void leaveEvent(QEvent* Event) override;
  void changeEvent(QEvent* Event) override;
  // Reached with Tab, the button is pressed by Space, Enter or Return as by a click.
  void keyPressEvent(QKeyEvent* Event) override;

 private:
  friend class TSpeedButtonActionLink;
  void LeftButtonDown();
  // Sends the group notice to every speed button of the same parent.
  void UpdateExclusive();
  void ButtonPressed(int Group, TCustomSpeedButton& Sender);
  void UpdateTracking(QPointF GlobalPos);
  bool HotTrackable() const;
  void DrawCaption(QPainter& Painter, const QRect& Bounds, const TColorShades& Shades);

  int FGroupIndex = 0;
  TButtonGlyph FGlyph;
  bool FDown = false;
  bool FDragging = false;
  bool FAllowAllUp = false;
  TButtonLayout FLayout = blGlyphLeft;
  int FSpacing = 4;
  bool FTransparent = true;
  int FMargin = -1;
  bool FFlat = false;
  bool FMouseInside = false;
  TButtonState FState = bsUp;
  QString FCaption;
  QColor FColor;
  int ShortcutId = 0;
  std::unique_ptr<TSpeedButtonActionLink> ActionLink;
};

}  // namespace plashbox
