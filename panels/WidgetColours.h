// The two colour settings every window and panel of the program makes on its widgets.
#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace plashbox {

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
