#include "panels/ButtonGlyphs.h"

#include <QPainter>
#include <QPalette>
#include <algorithm>

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

TButtonGlyph::TButtonGlyph() : Cache(TGlyphCache::Instance()) {}

TButtonGlyph::~TButtonGlyph() { Invalidate(); }

void TButtonGlyph::SetGlyph(const QImage& Value) {
  QColor Transparent = DefaultTransparentColor;
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

}  // namespace plashbox
