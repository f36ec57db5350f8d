// panels/: the Qt widgets and the tank objects' control panels.
// The program's colours and the few settings every window, panel and drawn picture makes with
// them, in one place for the window (app/) and the panels.
#pragma once

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QWidget>

namespace plashbox {

// The dark ink of the drawn glyphs and the blue of water, of the selection rim and of waves.
inline const QColor Ink(40, 44, 60);
inline const QColor WaterBlue(52, 120, 196);
// The red of the record button and of the mark shown while an animation is recorded.
inline const QColor RecordingRed(214, 40, 40);
// The background of the control panels and of the panel column.
inline const QColor PanelColour(0xF7, 0xF7, 0xF7);
// The ring round the control, or the tank, that has the keyboard's focus: an orange that no
// control, picture or selection rim of the program uses.
inline const QColor FocusColour(255, 128, 0);
// The grey of captions that are switched off, of sliders' thumbs and of drawn lines.
inline const QColor MidGrey(0x80, 0x80, 0x80);
// The splash window's ground and the track bars' thumb.
inline const QColor Silver(0xC0, 0xC0, 0xC0);

// An empty picture to draw a glyph on: transparent unless Fill says otherwise.
inline QImage Blank(int Width, int Height, const QColor& Fill = Qt::transparent) {
  QImage image(Width, Height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Fill);
  return image;
}

// The widget paints its whole background in Colour.
inline void FillBackground(QWidget& Widget, const QColor& Colour) {
  QPalette palette = Widget.palette();
  palette.setColor(QPalette::Window, Colour);
  Widget.setPalette(palette);
  Widget.setAutoFillBackground(true);
}

// Text (of a label, say) in Colour.
inline void SetTextColour(QWidget& Widget, const QColor& Colour) {
  QPalette palette = Widget.palette();
  palette.setColor(QPalette::WindowText, Colour);
  Widget.setPalette(palette);
}

}  // namespace plashbox
