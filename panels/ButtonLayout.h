// panels/: the Qt widgets and the tank objects' control panels.
// Where a speed button's glyph and caption go inside it.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace plashbox {

// Where the glyph goes against the caption.
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TButtonPlacement {
  QPoint GlyphPos;
  QRect TextBounds;
};
// Where the glyph (size GlyphSize, empty for none) and the caption (TextSize, empty for
// none) go inside Client. Margin -1 centres, Spacing -1 spreads evenly. Offset moves both
// (a pushed button's one pixel).
TButtonPlacement CalcButtonLayout(const QRect& Client, QSize GlyphSize, QSize TextSize, TButtonLayout Layout,
                                  int Margin, int Spacing, bool RightToLeft, QPoint Offset = {});

}  // namespace plashbox
