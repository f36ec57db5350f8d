#include "panels/Shading.h"

#include <QPainter>

#include <algorithm>

#include "panels/Palette.h"

namespace plashbox {

namespace {

QColor Shade(const QColor& Base, int (*Rule)(int)) {
  const QColor Rgb = Base.toRgb();
  return QColor(Rule(Rgb.red()), Rule(Rgb.green()), Rule(Rgb.blue()));
}

}  // namespace

TColorShades ShadesOf(const QColor& Base) {
  return TColorShades{Shade(Base, VeryLightShade), Shade(Base, LightShade), Shade(Base, DarkShade),
                      Shade(Base, HalfShade), Shade(Base, VeryDarkShade)};
}

QRect Frame3D(QPainter& Canvas, const QRect& Rect, const QColor& TopLeft, const QColor& BottomRight) {
  if (Rect.width() <= 0 || Rect.height() <= 0) return Rect.adjusted(1, 1, -1, -1);
  const int L = Rect.left(), T = Rect.top(), R = Rect.right(), B = Rect.bottom();  // inclusive
  // Spans of one pixel are filled, never stroked, so no pen width or antialiasing can smear them.
  if (R > L) Canvas.fillRect(QRect(L, T, R - L, 1), TopLeft);
  if (B > T) Canvas.fillRect(QRect(L, T, 1, B - T), TopLeft);
  Canvas.fillRect(QRect(R, T, 1, B - T + 1), BottomRight);
  Canvas.fillRect(QRect(L, B, R - L + 1, 1), BottomRight);
  return Rect.adjusted(1, 1, -1, -1);
}

void DrawFocusMark(QPainter& Canvas, const QRect& Rect) {
  // Four filled bands, like Frame3D's lines: crisp whatever the painter's pen.
  const int w = std::min({FocusMarkWidth, Rect.width() / 2, Rect.height() / 2});
  if (w <= 0) return;
  Canvas.fillRect(QRect(Rect.left(), Rect.top(), Rect.width(), w), FocusColour);
  Canvas.fillRect(QRect(Rect.left(), Rect.bottom() + 1 - w, Rect.width(), w), FocusColour);
  Canvas.fillRect(QRect(Rect.left(), Rect.top(), w, Rect.height()), FocusColour);
  Canvas.fillRect(QRect(Rect.right() + 1 - w, Rect.top(), w, Rect.height()), FocusColour);
}

}  // namespace plashbox
