#include "panels/PanelArtwork.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>

#include "panels/Palette.h"

namespace plashbox {

namespace {

// Four states of one drawing: up, disabled (greyed), pressed (shifted one pixel), latched
// (with a glow behind it). Draw paints the picture in a colour into the given cell.
QImage Strip(int W, int H, const std::function<void(QPainter&, const QColor&, bool On)>& Draw) {
  QImage strip = Blank(W * 4, H);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  for (int state = 0; state < 4; ++state) {
    p.save();
    p.translate(W * state + (state == 2 ? 1 : 0), state == 2 ? 1 : 0);
    Draw(p, state == 1 ? QColor(150, 150, 150) : Ink, state == 3);
    p.restore();
  }
  return strip;
}

void Ripple(QPainter& P, double CX, double CY, double R, const QColor& Colour) {
  P.setBrush(Qt::NoBrush);
  P.setPen(QPen(Colour, 1.3));
  P.drawEllipse(QPointF(CX, CY), R, R);
}

}  // namespace

QImage BeamTypePicture(int Type) {
  QImage image = Blank(28, 28, BeamPictureTransparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  switch (Type) {
    case 0:  // a point: rings around one dot
      for (int r = 4; r <= 12; r += 4) Ripple(p, 14, 14, r, WaterBlue);
      p.setBrush(Ink);
      p.drawEllipse(QPointF(14, 14), 2.5, 2.5);
      break;
    case 1:  // a beam: a short line sending straight fronts to the right
      p.fillRect(QRectF(5, 7, 2.5, 14), Ink);
      for (int x = 11; x <= 23; x += 4) p.fillRect(QRectF(x, 8, 1.5, 12), WaterBlue);
      break;
    case 2:  // a line: fronts across the whole height
      p.fillRect(QRectF(4, 2, 2.5, 24), Ink);
      for (int x = 10; x <= 24; x += 4) p.fillRect(QRectF(x, 2, 1.5, 24), WaterBlue);
      break;
    case 3:  // two points, their rings crossing
      for (int r = 4; r <= 10; r += 3) {
        Ripple(p, 14, 8, r, WaterBlue);
        Ripple(p, 14, 20, r, QColor(196, 90, 52));
      }
      p.setBrush(Ink);
      p.setPen(Qt::NoPen);
      p.drawEllipse(QPointF(14, 8), 2.2, 2.2);
      p.drawEllipse(QPointF(14, 20), 2.2, 2.2);
      break;
    case 4:  // a moving point: rings bunched up ahead of it
      for (int i = 0; i < 4; ++i) Ripple(p, 7 + i * 3.5, 14, 3 + i * 3, WaterBlue);
      p.setBrush(Ink);
      p.setPen(Qt::NoPen);
      p.drawEllipse(QPointF(20, 14), 2.5, 2.5);
      break;
    default:
      break;
  }
  return image;
}

QImage PowerGlyph(int W, int H) {
  return Strip(W, H, [W, H](QPainter& p, const QColor& c, bool on) {
    const QPointF centre(W / 2.0, H / 2.0 + 1);
    const double r = std::min(W, H) * 0.3;
    if (on) {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(120, 220, 120, 140));
      p.drawEllipse(centre, r + 3, r + 3);
    }
    p.setPen(QPen(on ? QColor(20, 130, 40) : c, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), 120 * 16, 300 * 16);
    p.drawLine(QPointF(centre.x(), centre.y() - r - 2), QPointF(centre.x(), centre.y() - 1));
  });
}

QImage PulseGlyph(int W, int H) {
  return Strip(W, H, [W, H](QPainter& p, const QColor& c, bool on) {
    // One wave crest on a flat line.
    QPainterPath path;
    const double mid = H / 2.0 + 3, left = W * 0.15, right = W * 0.85, span = right - left;
    path.moveTo(left, mid);
    path.lineTo(left + span * 0.3, mid);
    path.cubicTo(left + span * 0.4, mid - H * 0.55, left + span * 0.6, mid - H * 0.55, left + span * 0.7, mid);
    path.lineTo(right, mid);
    p.setPen(QPen(on ? WaterBlue : c, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
  });
}

QImage ModeGlyph(int W, int H) {
  return Strip(W, H, [W, H](QPainter& p, const QColor& c, bool) {
    // Two arrows swapping places: wavelength for frequency.
    p.setPen(QPen(c, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const double y1 = H * 0.35, y2 = H * 0.65, l = W * 0.2, r = W * 0.8;
    p.drawLine(QPointF(l, y1), QPointF(r, y1));
    p.drawLine(QPointF(r, y1), QPointF(r - 4, y1 - 3));
    p.drawLine(QPointF(r, y1), QPointF(r - 4, y1 + 3));
    p.drawLine(QPointF(l, y2), QPointF(r, y2));
    p.drawLine(QPointF(l, y2), QPointF(l + 4, y2 - 3));
    p.drawLine(QPointF(l, y2), QPointF(l + 4, y2 + 3));
  });
}

QImage LinesGlyph(int W, int H) {
  return Strip(W, H, [W, H](QPainter& p, const QColor& c, bool on) {
    // A moving source with the lines of its fronts drawn in.
    p.setPen(QPen(on ? WaterBlue : c, 1.2));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(W * 0.35 + i * 3, H * 0.5), 4.0 + i * 4, 4.0 + i * 4);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(W * 0.35 + 9, H * 0.5), 2, 2);
  });
}

QImage ResetGlyph(int W, int H) {
  QImage image = Blank(W, H);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  const double r = std::min(W, H) * 0.3;
  const QRectF box(W / 2.0 - r, H / 2.0 - r, 2 * r, 2 * r);
  p.drawArc(box, 90 * 16, 270 * 16);
  // The arrow head at the arc's start, pointing back.
  const QPointF tip(W / 2.0, H / 2.0 - r);
  p.drawLine(tip, tip + QPointF(4, -3));
  p.drawLine(tip, tip + QPointF(4, 3));
  return image;
}

}  // namespace plashbox
