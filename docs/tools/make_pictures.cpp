// make_pictures: the build's picture work for the documents and the desktop entry.
//
//   make_pictures icon <folder> <size>...   draws the program's icon as <folder>/<N>x<N>/apps/plashbox.png
//   make_pictures png <input> <output>      stores a picture the tank driver wrote (PPM) as PNG
//
// The icon is the one of docs/icons/plashbox.svg, drawn here with QPainter because the build has
// no SVG renderer; the geometry below is the SVG's, in its 256-unit box.
#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct TRing {
  double Radius, Width, Opacity;
  bool Crest;
};

// Troughs first, so the crests lie on top where the two touch.
constexpr TRing Rings[] = {
    {36, 12, 0.55, false}, {64, 10, 0.40, false}, {92, 8, 0.25, false},
    {22, 14, 1.00, true},  {50, 11, 0.80, true},   {78, 8, 0.55, true}, {106, 5, 0.30, true},
};

QImage DrawIcon(int Size) {
  QImage image(Size, Size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(Size / 256.0, Size / 256.0);

  QLinearGradient water(0, 8, 0, 248);
  water.setColorAt(0, QColor(0x6f, 0x8a, 0xa6));
  water.setColorAt(1, QColor(0x23, 0x39, 0x4f));
  QPainterPath tile;
  tile.addRoundedRect(QRectF(8, 8, 240, 240), 40, 40);
  painter.fillPath(tile, water);

  painter.setBrush(Qt::NoBrush);
  for (const TRing& ring : Rings) {
    QColor colour = ring.Crest ? QColor(0xee, 0xf5, 0xfb) : QColor(0x0d, 0x1a, 0x26);
    colour.setAlphaF(static_cast<float>(ring.Opacity));
    painter.setPen(QPen(colour, ring.Width));
    painter.drawEllipse(QPointF(128, 128), ring.Radius, ring.Radius);
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(128, 128), 7, 7);
  return image;
}

int Fail(const std::string& Message) {
  std::fprintf(stderr, "make_pictures: %s\n", Message.c_str());
  return 1;
}

int Usage() {
  return Fail("usage: make_pictures icon <folder> <size>... | make_pictures png <input> <output>");
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 4) return Usage();
  const std::string command = argv[1];

  if (command == "icon") {
    const QString folder = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
      const int size = std::atoi(argv[i]);
      if (size < 16 || size > 1024) return Fail(std::string("icon size out of range: ") + argv[i]);
      const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
      if (!QDir().mkpath(dir)) return Fail("cannot make " + dir.toStdString());
      const QString file = dir + QStringLiteral("/plashbox.png");
      if (!DrawIcon(size).save(file, "PNG")) return Fail("cannot write " + file.toStdString());
    }
    return 0;
  }

  if (command == "png" && argc == 4) {
    QImage picture;
    if (!picture.load(QString::fromLocal8Bit(argv[2])))
      return Fail(std::string("cannot read the picture ") + argv[2]);
    if (!picture.save(QString::fromLocal8Bit(argv[3]), "PNG"))
      return Fail(std::string("cannot write ") + argv[3]);
    return 0;
  }
  return Usage();
}
