// panels/: the Qt widgets and the tank objects' control panels.
// The pictures of the speed buttons: image lists with reusable slots, one list per picture
// size shared by every button, and each button's glyph strip with its pictures per state.
#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class QPalette;

namespace plashbox {

// What the button shows; pictures of a glyph strip come in this order.
enum TButtonState { bsUp, bsDisabled, bsPressed, bsLatched };

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
  // Olive: the transparent colour of a glyph until its strip brings one.
  static constexpr QColor DefaultTransparentColor{0x80, 0x80, 0x00};

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
  // DefaultTransparentColor until a strip is assigned; invalid when the strip's alpha decides.
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
  QColor FTransparentColor = DefaultTransparentColor;
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

}  // namespace plashbox
