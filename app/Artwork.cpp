#include "app/Artwork.h"

#include <cstdlib>

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRect>

#include <cmath>

#include "objects/uBarrier.h"
#include "objects/uIntensityScreen.h"
#include "objects/uProbe.h"
#include "panels/Palette.h"

namespace plashbox {

namespace {

}  // namespace

QImage DripGlyph() {
  QImage image = Blank(24, 24);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // The drop.
  QPainterPath drop;
  drop.moveTo(12, 1.5);
  drop.cubicTo(12, 1.5, 6.5, 8.5, 6.5, 11.5);
  drop.cubicTo(6.5, 14.6, 9, 16.5, 12, 16.5);
  drop.cubicTo(15, 16.5, 17.5, 14.6, 17.5, 11.5);
  drop.cubicTo(17.5, 8.5, 12, 1.5, 12, 1.5);
  p.setPen(QPen(Ink, 1.2));
  p.setBrush(WaterBlue);
  p.drawPath(drop);
  p.setPen(QPen(QColor(255, 255, 255, 200), 1.2));
  p.drawArc(QRectF(8.5, 9, 4, 5), 120 * 16, 90 * 16);
  // Its rings on the surface.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(WaterBlue, 1.2));
  p.drawEllipse(QRectF(4, 17.5, 16, 5));
  QColor faintBlue = WaterBlue;
  faintBlue.setAlpha(110);
  p.setPen(QPen(faintBlue, 1.0));
  p.drawEllipse(QRectF(1, 16.5, 22, 7));
  return image;
}

QImage ClearGlyph() {
  QImage image = Blank(24, 24);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // A wave on the left turning flat on the right.
  QPainterPath wave;
  wave.moveTo(1, 16);
  wave.cubicTo(3, 10, 5, 10, 7, 16);
  wave.cubicTo(9, 21, 10, 19, 12, 16);
  wave.lineTo(23, 16);
  p.setPen(QPen(WaterBlue, 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(wave);
  // The sponge wiping it.
  p.setPen(QPen(Ink, 1.2));
  p.setBrush(QColor(246, 204, 72));
  p.drawRoundedRect(QRectF(11.5, 3.5, 10, 8), 2, 2);
  p.setBrush(QColor(120, 170, 90));
  p.drawRoundedRect(QRectF(11.5, 9.5, 10, 3), 1, 1);
  p.setPen(QPen(QColor(200, 150, 40), 1));
  for (const QPointF& hole : {QPointF(14, 6), QPointF(18, 5.5), QPointF(16.5, 8)}) p.drawPoint(hole);
  return image;
}

QImage WallGlyph() {
  QImage image = Blank(24, 24);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const auto colour = [](TPixelColor C) { return QColor(C.Red, C.Green, C.Blue); };
  // The wall in three pieces, two slits between them, in the tank's own colours.
  p.setPen(QPen(colour(WallEdgeColour), 1));
  p.setBrush(colour(WallColour));
  for (const QRectF& piece : {QRectF(6.5, 1.5, 4, 6), QRectF(6.5, 10.5, 4, 3), QRectF(6.5, 16.5, 4, 6)})
    p.drawRect(piece);
  // The rings spreading from the slits.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(WaterBlue, 1.4));
  for (const double y : {9.0, 15.0}) p.drawArc(QRectF(8, y - 5, 10, 10), -60 * 16, 120 * 16);
  p.setPen(QPen(WaterBlue, 1.0));
  p.drawArc(QRectF(6, 2, 16, 20), -50 * 16, 100 * 16);
  return image;
}

QImage IntensityGlyph() {
  QImage image = Blank(24, 24);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(10, 4, 30));
  p.drawRoundedRect(QRectF(1.5, 2.5, 21, 19), 2, 2);
  // Antinodes in the intensity view's own colours, brightest on the middle line.
  const QColor bands[] = {QColor(188, 55, 84), QColor(249, 142, 9), QColor(252, 255, 164)};
  for (int i = -2; i <= 2; ++i) {
    p.setBrush(bands[2 - std::abs(i)]);
    QPolygonF ray;
    ray << QPointF(3, 12 + i * 1.2) << QPointF(21, 12 + i * 4.2 - 1.2) << QPointF(21, 12 + i * 4.2 + 1.2);
    p.drawPolygon(ray);
  }
  return image;
}

QImage RecordGlyph() {
  QImage image = Blank(24, 24);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Ink, 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(2.5, 2.5, 19, 19));
  p.setPen(Qt::NoPen);
  p.setBrush(RecordingRed);
  p.drawEllipse(QRectF(6.5, 6.5, 11, 11));
  return image;
}

QImage ProbeGlyph() {
  QImage image = Blank(24, 24);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // A trace across the glyph, and the probe's marker on it in the first probe's colour.
  QPainterPath trace;
  trace.moveTo(1, 15);
  for (int x = 2; x <= 23; ++x) trace.lineTo(x, 15 - 5 * std::sin(x * 0.57));
  p.setPen(QPen(WaterBlue, 1.4));
  p.drawPath(trace);
  const TPixelColor c = ProbeColours[0];
  p.setPen(QPen(QColor(230, 236, 240), 1.5));
  p.setBrush(QColor(c.Red, c.Green, c.Blue));
  p.drawEllipse(QPointF(11, 15 - 5 * std::sin(11 * 0.57)), 4, 4);
  return image;
}

QImage ScreenGlyph() {
  QImage image = Blank(24, 24);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const TPixelColor c = ScreenColour;
  p.setPen(QPen(QColor(c.Red, c.Green, c.Blue).darker(130), 2));
  p.drawLine(QPointF(5, 2), QPointF(5, 22));
  // The fringes on it, brightest in the middle.
  QPainterPath fringes;
  fringes.moveTo(8, 2);
  for (int y = 2; y <= 22; ++y) fringes.lineTo(8 + 12 * std::pow(std::cos((y - 12) * 0.35), 2) * (1 - std::abs(y - 12) / 14.0), y);
  p.setPen(QPen(WaterBlue, 1.4));
  p.drawPath(fringes);
  return image;
}

namespace {

// A glyph of filled shapes in the ink colour, each a closed polygon on the 24 x 24 grid.
QImage InkShapes(std::initializer_list<QPolygonF> Shapes) {
  QImage image = Blank(24, 24);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(Ink);
  for (const QPolygonF& shape : Shapes) p.drawPolygon(shape);
  return image;
}

QPolygonF Box(double X, double Y, double W, double H) { return QPolygonF(QRectF(X, Y, W, H)); }
QPolygonF Arrow(double X, double Tip, double Y, double Half) {
  return QPolygonF({QPointF(X, Y - Half), QPointF(Tip, Y), QPointF(X, Y + Half)});
}

}  // namespace

QImage PauseGlyph() { return InkShapes({Box(7, 5, 4, 14), Box(13, 5, 4, 14)}); }
QImage StepGlyph() { return InkShapes({Arrow(6, 15, 12, 7), Box(16, 5, 3, 14)}); }
QImage SlowerGlyph() { return InkShapes({Arrow(12, 4, 12, 6), Arrow(20, 12, 12, 6)}); }
QImage FasterGlyph() { return InkShapes({Arrow(4, 12, 12, 6), Arrow(12, 20, 12, 6)}); }

QImage MenuGlyphStrip() {
  QImage image = Blank(32, 16);
  QPainter p(&image);
  for (int picture = 0; picture < 2; ++picture) {
    const int x0 = picture * 16;
    const QColor colour = picture == 0 ? Ink : QColor(160, 160, 160);
    for (int line = 0; line < 3; ++line) p.fillRect(x0 + 3, 4 + line * 4, 10, 2, colour);
  }
  return image;
}

QIcon DisplayShapeIcon(int Tag) {
  // The four tanks: 401 x 401, 250 x 250, 401 x 250 and 250 x 401, scaled to 14 pixels.
  static const QSize shapes[] = {{14, 14}, {9, 9}, {14, 9}, {9, 14}};
  QImage image = Blank(16, 16);
  if (Tag >= 0 && Tag < 4) {
    const QSize s = shapes[Tag];
    QPainter p(&image);
    const QRect r((16 - s.width()) / 2, (16 - s.height()) / 2, s.width(), s.height());
    p.fillRect(r, MidGrey);
    p.setPen(QPen(QColor(200, 200, 200)));
    p.drawArc(r.adjusted(2, 2, -2, -2), 0, 360 * 16);
    p.setPen(Ink);
    p.drawRect(r.adjusted(0, 0, -1, -1));
  }
  return QIcon(QPixmap::fromImage(image));
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) {
    QImage image = Blank(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(40, 70, 110));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
    p.setBrush(Qt::NoBrush);
    for (int ring = 1; ring <= 3; ++ring) {
      const double r = size * 0.14 * ring;
      p.setPen(QPen(QColor(140, 200, 255, 255 - ring * 55), std::max(1.0, size / 20.0)));
      p.drawEllipse(QPointF(size / 2.0, size / 2.0), r, r);
    }
    icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

void PaintFrame(QPainter& Painter, const QRect& Outer) {
  // A two-pixel bevel: light above and left, dark below and right, as a raised rim.
  const QRect r = Outer.adjusted(-3, -3, 2, 2);
  Painter.setPen(QColor(170, 170, 182));
  Painter.drawLine(r.topLeft(), r.topRight());
  Painter.drawLine(r.topLeft(), r.bottomLeft());
  Painter.setPen(QColor(84, 84, 96));
  Painter.drawLine(r.bottomLeft(), r.bottomRight());
  Painter.drawLine(r.topRight(), r.bottomRight());
  const QRect inner = r.adjusted(1, 1, -1, -1);
  Painter.setPen(QColor(150, 150, 162));
  Painter.drawLine(inner.topLeft(), inner.topRight());
  Painter.drawLine(inner.topLeft(), inner.bottomLeft());
  Painter.setPen(QColor(100, 100, 112));
  Painter.drawLine(inner.bottomLeft(), inner.bottomRight());
  Painter.drawLine(inner.topRight(), inner.bottomRight());
}

}  // namespace plashbox
