#include "panels/ButtonLayout.h"

#include <algorithm>

namespace plashbox {

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

}  // namespace plashbox
