// The flat speed button of the window and the panels: a glyph and/or a caption, momentary or
// latching within a group of its siblings, flat with hot tracking if asked, and painted
// entirely by itself in shades of its own Color. Its pictures live in image lists shared by
// every button whose pictures have the same size.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class QAction;
class QMouseEvent;
class QPalette;

namespace plashbox {

struct TColorShades;

// What the button shows; pictures of a glyph strip come in this order.
enum TButtonState { bsUp, bsDisabled, bsPressed, bsLatched };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// An image list with reusable slots: a new picture takes the lowest free slot.
class TGlyphList {
 public:
  TGlyphList(int Width, int Height) : FWidth(Width), FHeight(Height) {}
  int Add(const QImage& Picture);
  void Delete(int Index);
  const QImage& Picture(int Index) const { return Slots.at(Index); }
  // Pictures in use.
  int Count() const { return FCount; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

 private:
  int FWidth, FHeight;
  int FCount = 0;
  std::vector<QImage> Slots;
  std::vector<bool> Used;
};

// One image list per picture size. A list lives while some glyph keeps pictures in it; the
// cache lives while some glyph exists.
class TGlyphCache {
 public:
  static std::shared_ptr<TGlyphCache> Instance();
  // The process's cache if there is one at the moment, without making one.
  static std::shared_ptr<TGlyphCache> Current();
  std::shared_ptr<TGlyphList> GetList(int Width, int Height);
  // Lists alive at the moment.
  int ListCount();

 private:
  std::map<std::pair<int, int>, std::weak_ptr<TGlyphList>> Lists;
};

// The pictures of one button: the strip it was given and, built on demand, one picture per
// state in the shared list of its size.
class TButtonGlyph {
 public:
  TButtonGlyph();
  ~TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  const QImage& Glyph() const { return FGlyph; }
  // Copies the strip. An image with an alpha channel is transparent by its alpha; one
  // without takes the colour of its bottom-left pixel as transparent. A strip whose width is
  // a multiple of its height counts its pictures from the ratio (more than 4 means 1).
  void SetGlyph(const QImage& Value);
  // The same with the transparent colour given.
  void SetGlyph(const QImage& Value, const QColor& Transparent);
  int NumGlyphs() const { return FNumGlyphs; }
  // 1 to 4; more is 4, less than 1 is ignored.
  void SetNumGlyphs(int Value);
  // Olive until a strip is assigned; invalid when the strip's alpha decides.
  QColor TransparentColor() const { return FTransparentColor; }
  // The size of one picture of the strip; empty without a glyph.
  QSize PictureSize() const;

  // The picture drawn in State, built on first use. A disabled picture is made of the strip's
  // disabled picture, or of its up picture when it has none, in the shadow and highlight
  // colours of System. A null image without a glyph.
  QImage Picture(TButtonState State, const QPalette& System);
  // Drops every built picture (a new strip or new system colours).
  void Invalidate();
  // The slot of a state's picture in List(), -1 when not built.
  int ImageIndex(TButtonState State) const { return Indexes[State]; }
  const TGlyphList* List() const { return FList.get(); }

  std::function<void()> OnChange;

 private:
  void Changed();

  QImage FGlyph;
  QColor FTransparentColor{0x80, 0x80, 0x00};
  int FNumGlyphs = 1;
  std::array<int, 4> Indexes{-1, -1, -1, -1};
  std::shared_ptr<TGlyphCache> Cache;
  std::shared_ptr<TGlyphList> FList;
};

// Which picture of a strip of NumGlyphs shows State; 1 (disabled) may lie beyond the strip,
// in which case the up picture is the source of the generated one.
int GlyphStripIndex(TButtonState State, int NumGlyphs);
// The disabled look of a picture: its non-white, non-transparent pixels in Shadow over a copy
// moved one pixel down and right in Highlight; everything else transparent.
QImage DisabledPicture(const QImage& Source, const QColor& Highlight, const QColor& Shadow);
// Picture Index (0-based) of a strip, with the transparent colour's pixels made transparent.
QImage StripPicture(const QImage& Strip, int NumGlyphs, int Index, const QColor& Transparent);

// The 8 x 8 tile of a latched button: Base, with the very light shade where column and row
// have the same parity.
QImage LatchedPattern(const QColor& Base);

struct TButtonPlacement {
  QPoint GlyphPos;
  QRect TextBounds;
};
// Where the glyph (size GlyphSize, empty for none) and the caption (TextSize, empty for
// none) go inside Client. Margin -1 centres, Spacing -1 spreads evenly. Offset moves both
// (a pushed button's one pixel).
TButtonPlacement CalcButtonLayout(const QRect& Client, QSize GlyphSize, QSize TextSize, TButtonLayout Layout,
                                  int Margin, int Spacing, bool RightToLeft, QPoint Offset = {});

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
