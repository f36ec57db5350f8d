#include "panels/CustomButtons.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QShortcutEvent>
#include <algorithm>
#include <cmath>

#include "panels/CustomTrackBar.h"

namespace plashbox {

// ---------------------------------------------------------------------------------------------
// Image lists

int TGlyphList::Add(const QImage& Picture) {
  const auto Free = std::find(Used.begin(), Used.end(), false);
  const int Index = static_cast<int>(Free - Used.begin());
  if (Free == Used.end()) {
    Used.push_back(true);
    Slots.push_back(Picture);
  } else {
    *Free = true;
    Slots[Index] = Picture;
  }
  ++FCount;
  return Index;
}

void TGlyphList::Delete(int Index) {
  if (Index < 0 || Index >= static_cast<int>(Used.size()) || !Used[Index]) return;
  Used[Index] = false;
  Slots[Index] = QImage();
  --FCount;
}

namespace {
std::weak_ptr<TGlyphCache>& CacheSlot() {
  static std::weak_ptr<TGlyphCache> Slot;
  return Slot;
}
}  // namespace

std::shared_ptr<TGlyphCache> TGlyphCache::Instance() {
  std::shared_ptr<TGlyphCache> Cache = CacheSlot().lock();
  if (!Cache) {
    Cache = std::make_shared<TGlyphCache>();
    CacheSlot() = Cache;
  }
  return Cache;
}

std::shared_ptr<TGlyphCache> TGlyphCache::Current() { return CacheSlot().lock(); }

std::shared_ptr<TGlyphList> TGlyphCache::GetList(int Width, int Height) {
  std::weak_ptr<TGlyphList>& Slot = Lists[{Width, Height}];
  std::shared_ptr<TGlyphList> List = Slot.lock();
  if (!List) {
    List = std::make_shared<TGlyphList>(Width, Height);
    Slot = List;
  }
  return List;
}

int TGlyphCache::ListCount() {
  std::erase_if(Lists, [](const auto& Entry) { return Entry.second.expired(); });
  return static_cast<int>(Lists.size());
}

// ---------------------------------------------------------------------------------------------
// Pictures

int GlyphStripIndex(TButtonState State, int NumGlyphs) {
  if (State == bsPressed && NumGlyphs < 3) return 0;
  return static_cast<int>(State) < NumGlyphs ? static_cast<int>(State) : 0;
}

QImage StripPicture(const QImage& Strip, int NumGlyphs, int Index, const QColor& Transparent) {
  if (Strip.isNull() || NumGlyphs < 1) return {};
  const int Width = Strip.width() / NumGlyphs;
  if (Width <= 0) return {};
  QImage Picture = Strip.copy(Index * Width, 0, Width, Strip.height()).convertToFormat(QImage::Format_ARGB32);
  if (Transparent.isValid()) {
    const QRgb Key = Transparent.rgb() & RGB_MASK;
    for (int Y = 0; Y < Picture.height(); ++Y) {
      auto* Line = reinterpret_cast<QRgb*>(Picture.scanLine(Y));
      for (int X = 0; X < Picture.width(); ++X)
        if ((Line[X] & RGB_MASK) == Key) Line[X] = 0;
    }
  }
  return Picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage DisabledPicture(const QImage& Source, const QColor& Highlight, const QColor& Shadow) {
  const QImage Plain = Source.convertToFormat(QImage::Format_ARGB32);
  const int W = Plain.width(), H = Plain.height();
  // White counts as background, like the paper of a monochrome copy.
  auto Inked = [&Plain](int X, int Y) {
    const QRgb Pixel = Plain.pixel(X, Y);
    return qAlpha(Pixel) >= 128 && (Pixel & RGB_MASK) != 0xFFFFFF;
  };
  QImage Result(W, H, QImage::Format_ARGB32);
  Result.fill(Qt::transparent);
  const QRgb Light = Highlight.rgb(), Dark = Shadow.rgb();
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      if (Inked(X, Y))
        Result.setPixel(X, Y, Dark);
      else if (X > 0 && Y > 0 && Inked(X - 1, Y - 1))
        Result.setPixel(X, Y, Light);
    }
  return Result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage LatchedPattern(const QColor& Base) {
  QImage Tile(8, 8, QImage::Format_RGB32);
  const QRgb Plain = Base.rgb(), Light = ShadesOf(Base).VeryLight.rgb();
  for (int Y = 0; Y < 8; ++Y)
    for (int X = 0; X < 8; ++X) Tile.setPixel(X, Y, (X & 1) == (Y & 1) ? Light : Plain);
  return Tile;
}

TButtonGlyph::TButtonGlyph() : Cache(TGlyphCache::Instance()) {}

TButtonGlyph::~TButtonGlyph() { Invalidate(); }

void TButtonGlyph::SetGlyph(const QImage& Value) {
  QColor Transparent(0x80, 0x80, 0x00);
  if (!Value.isNull()) {
    if (Value.hasAlphaChannel())
      Transparent = QColor();
    else
      Transparent = QColor::fromRgb(Value.pixel(0, Value.height() - 1));
  }
  SetGlyph(Value, Transparent);
}

void TButtonGlyph::SetGlyph(const QImage& Value, const QColor& Transparent) {
  Invalidate();
  FGlyph = Value;
  FTransparentColor = Transparent;
  // An empty strip has no ratio to count pictures from.
  const int W = Value.width(), H = Value.height();
  if (W > 0 && H > 0 && W % H == 0) FNumGlyphs = W / H < 5 ? W / H : 1;
  Changed();
}

void TButtonGlyph::SetNumGlyphs(int Value) {
  if (Value < 1) return;
  Value = std::min(Value, 4);
  if (Value == FNumGlyphs) return;
  Invalidate();
  FNumGlyphs = Value;
  Changed();
}

QSize TButtonGlyph::PictureSize() const {
  if (FGlyph.isNull()) return {};
  return {FGlyph.width() / FNumGlyphs, FGlyph.height()};
}

QImage TButtonGlyph::Picture(TButtonState State, const QPalette& System) {
  const QSize Size = PictureSize();
  if (Size.isEmpty()) return {};
  if (Indexes[State] < 0) {
    if (!FList) FList = Cache->GetList(Size.width(), Size.height());
    QImage Picture = StripPicture(FGlyph, FNumGlyphs, GlyphStripIndex(State, FNumGlyphs), FTransparentColor);
    if (State == bsDisabled)
      Picture = DisabledPicture(Picture, System.color(QPalette::Active, QPalette::Light),
                                System.color(QPalette::Active, QPalette::Dark));
    Indexes[State] = FList->Add(Picture);
  }
  return FList->Picture(Indexes[State]);
}

void TButtonGlyph::Invalidate() {
  if (FList)
    for (int& Index : Indexes)
      if (Index >= 0) FList->Delete(Index);
  Indexes.fill(-1);
  FList.reset();
}

void TButtonGlyph::Changed() {
  if (OnChange) OnChange();
}

// ---------------------------------------------------------------------------------------------
// Layout

TButtonPlacement CalcButtonLayout(const QRect& Client, QSize GlyphSize, QSize TextSize, TButtonLayout Layout,
                                  int Margin, int Spacing, bool RightToLeft, QPoint Offset) {
  if (RightToLeft) {
    if (Layout == blGlyphLeft)
      Layout = blGlyphRight;
    else if (Layout == blGlyphRight)
      Layout = blGlyphLeft;
  }
  if (GlyphSize.isEmpty()) GlyphSize = QSize(0, 0);
  if (TextSize.isEmpty()) TextSize = QSize(0, 0);
  const QSize S = Client.size();
  const bool Across = Layout == blGlyphLeft || Layout == blGlyphRight;
  QPoint Glyph, Text;
  if (Across) {
    Glyph.setY((S.height() - GlyphSize.height() + 1) / 2);
    Text.setY((S.height() - TextSize.height() + 1) / 2);
  } else {
    Glyph.setX((S.width() - GlyphSize.width() + 1) / 2);
    Text.setX((S.width() - TextSize.width() + 1) / 2);
  }
  const int Room = Across ? S.width() : S.height();
  const int G = Across ? GlyphSize.width() : GlyphSize.height();
  const int T = Across ? TextSize.width() : TextSize.height();
  if (G == 0 || T == 0) Spacing = 0;
  if (Margin == -1) {
    if (Spacing == -1) {
      Margin = (Room - (G + T)) / 3;
      Spacing = Margin;
    } else {
      Margin = (Room - (G + Spacing + T) + 1) / 2;
    }
  } else if (Spacing == -1) {
    Spacing = ((Room - (Margin + G)) - T) / 2;
  }
  int GlyphAt = 0, TextAt = 0;
  if (Layout == blGlyphLeft || Layout == blGlyphTop) {
    GlyphAt = Margin;
    TextAt = GlyphAt + G + Spacing;
  } else {
    GlyphAt = Room - Margin - G;
    TextAt = GlyphAt - Spacing - T;
  }
  if (Across) {
    Glyph.setX(GlyphAt);
    Text.setX(TextAt);
  } else {
    Glyph.setY(GlyphAt);
    Text.setY(TextAt);
  }
  const QPoint Shift = Client.topLeft() + Offset;
  return TButtonPlacement{Glyph + Shift, QRect(Text + Shift, TextSize)};
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

bool TCustomSpeedButton::event(QEvent* Event) {
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
