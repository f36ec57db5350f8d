#include "panels/Shading.h"

#include <QPainter>

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

}  // namespace plashbox
