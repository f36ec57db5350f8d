// panels/: the Qt widgets and the tank objects' control panels.
// The flat 3D look of the owner-drawn widgets: five shades of a colour and a one-pixel frame,
// shared by the speed button and the track bar.
#pragma once

#include <QColor>
#include <QRect>

class QPainter;

namespace plashbox {

// The five shades of one colour component (0 .. 255) that the flat 3D look is drawn with.
// Integer arithmetic throughout, so that every platform paints the same bytes.
constexpr int VeryLightShade(int X) {
  const int B = X + (127 - X / 2);
  return B + (255 - B) / 2;
}
constexpr int LightShade(int X) { return X + (63 - X / 4); }
constexpr int DarkShade(int X) { return X - X / 4; }
constexpr int HalfShade(int X) { return X / 2; }
constexpr int VeryDarkShade(int X) { return X / 4; }

struct TColorShades {
  QColor VeryLight, Light, Dark, Half, VeryDark;
};
// Shades of a colour's red, green and blue; any alpha of the base is dropped.
TColorShades ShadesOf(const QColor& Base);

// A one-pixel 3D frame just inside Rect: top row and left column in TopLeft, right column
// and bottom row in BottomRight (the bottom-right colour takes the top-right and bottom-left
// corners). Returns Rect shrunk by one pixel on each side.
QRect Frame3D(QPainter& Canvas, const QRect& Rect, const QColor& TopLeft, const QColor& BottomRight);

// The mark of the keyboard's focus on the program's own controls and round the tank: a ring
// FocusMarkWidth pixels wide in FocusColour just inside Rect.
inline constexpr int FocusMarkWidth = 2;
void DrawFocusMark(QPainter& Canvas, const QRect& Rect);

}  // namespace plashbox
