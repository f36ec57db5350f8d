// make_splash: renders the splash window's picture with the tank's own wave simulation (two
// sources in step, their rings crossing into an interference pattern), shades the surface as
// lit water, writes the product's name on it, and saves the result as a JPEG and as a C++
// source that holds the JPEG's bytes.
//
// Usage: make_splash <picture.jpg> <artwork.cpp>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/SplashArtwork.h"
#include "frame/FileWriting.h"
#include "frame/JpegPicture.h"
#include "objects/UniqueIDs.h"
#include "objects/uGeneralExciter.h"
#include "raster/FastDIB.h"
#include "sim/uWater.h"

using namespace plashbox;

namespace {

constexpr int W = SplashArtworkWidth, H = SplashArtworkHeight;
// Cells of water around the picture, so that the absorbing border ramp stays out of sight.
constexpr int Margin = 70;
constexpr int GridW = W + 2 * Margin, GridH = H + 2 * Margin;
constexpr int Steps = 1100;

// The two sources, in picture pixels from the top left.
constexpr int Source1X = 600, Source1Y = 120;
constexpr int Source2X = 700, Source2Y = 200;

// The picture is 797 pixels wide on screen; nothing of note goes past this.
constexpr int VisibleRight = 790;

// Surface heights of the picture's pixels, rows from the top.
struct THeights {
  std::vector<float> Values = std::vector<float>(size_t(W) * H);
  float At(int X, int Y) const {
    return Values[size_t(std::clamp(Y, 0, H - 1)) * W + size_t(std::clamp(X, 0, W - 1))];
  }
};

float PercentX(int PictureX) { return static_cast<float>((PictureX + Margin - 5) * 100.0 / (GridW - 11)); }
float PercentY(int PictureY) {
  const int cellY = GridH - 1 - (PictureY + Margin);  // cells count from the bottom
  return static_cast<float>((cellY - 5) * 100.0 / (GridH - 11));
}

THeights SimulateWaves() {
  SeedUniqueIDs(20260101);
  const TRef<TWater> water = NewNode<TWater>();
  water->SetGridSize(GridW, GridH);
  const TRef<TGeneralExciter> source = NewNode<TGeneralExciter>();
  source->Snap_to_Grid = false;
  water->add(source.get());
  source->SetBeamType(btDouble);
  source->SetWavelength(22);
  source->SetX1Percent(PercentX(Source1X));
  source->SetY1Percent(PercentY(Source1Y));
  source->SetX2Percent(PercentX(Source2X));
  source->SetY2Percent(PercentY(Source2Y));
  for (int i = 0; i < Steps; ++i) water->SimulateStep();

  THeights heights;
  const TWaterGrid& cells = *water->Cells();
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      heights.Values[size_t(y) * W + size_t(x)] = cells[x + Margin][GridH - 1 - (y + Margin)].Displacement;
  return heights;
}

uint8_t Channel(double V) { return static_cast<uint8_t>(std::lround(std::clamp(V, 0.0, 255.0))); }

// Lit water: the slope of the surface turns it towards or away from a light at the upper left,
// crests take a little of the sky's colour, and the steepest faces catch a glint.
void ShadeWater(const THeights& Heights, TFastDIB& Surface) {
  Surface.SetSize(W, H, 24);
  // Scale so that the strong waves near the sources do not all saturate.
  std::vector<float> magnitudes;
  magnitudes.reserve(Heights.Values.size() / 16);
  for (size_t i = 0; i < Heights.Values.size(); i += 16) magnitudes.push_back(std::fabs(Heights.Values[i]));
  std::nth_element(magnitudes.begin(), magnitudes.begin() + long(magnitudes.size() * 0.97), magnitudes.end());
  const double scale = 1.0 / std::max(1e-3f, magnitudes[size_t(magnitudes.size() * 0.97)]);

  const double lx = -0.45, ly = -0.55, lz = 0.70;
  const double ln = std::sqrt(lx * lx + ly * ly + lz * lz);
  // Half-way between the light and a viewer straight above.
  double hx = lx / ln, hy = ly / ln, hz = lz / ln + 1;
  const double hn = std::sqrt(hx * hx + hy * hy + hz * hz);
  hx /= hn, hy /= hn, hz /= hn;

  for (int y = 0; y < H; ++y) {
    TPixelColor* row = Surface.Rows24()[H - 1 - y];  // the surface's rows run bottom-up
    for (int x = 0; x < W; ++x) {
      const double h = std::clamp(Heights.At(x, y) * scale, -1.6, 1.6);
      const double gx = (Heights.At(x + 1, y) - Heights.At(x - 1, y)) * scale * 0.5;
      const double gy = (Heights.At(x, y + 1) - Heights.At(x, y - 1)) * scale * 0.5;
      const double slope = 2.2;
      double nx = -gx * slope, ny = -gy * slope, nz = 1;
      const double nn = std::sqrt(nx * nx + ny * ny + nz * nz);
      nx /= nn, ny /= nn, nz /= nn;
      const double diffuse = std::max(0.0, (nx * lx + ny * ly + nz * lz) / ln);
      const double glint = std::pow(std::max(0.0, nx * hx + ny * hy + nz * hz), 90.0);

      // Deep blue, lighter towards the sources at the upper right.
      const double u = double(x) / W, v = double(y) / H;
      const double light = std::clamp(0.55 * u + 0.65 * (1 - v), 0.0, 1.0);
      double r = 6 + 20 * light, g = 30 + 70 * light, b = 58 + 95 * light;
      const double shade = 0.45 + 0.75 * diffuse;
      r *= shade, g *= shade, b *= shade;
      const double crest = std::max(0.0, h);
      r += 30 * crest, g += 80 * crest, b += 90 * crest;
      r += 240 * glint, g += 245 * glint, b += 250 * glint;
      row[x] = TPixelColor::FromRGB(Channel(r), Channel(g), Channel(b));
    }
  }
}

QImage ToImage(const TFastDIB& Surface) {
  const QImage view(Surface.PixelData(), Surface.Width(), Surface.AbsHeight(), Surface.RowBytes(),
                    QImage::Format_BGR888);
  return view.mirrored(false, true).convertToFormat(QImage::Format_RGB32);
}

QFont Font(int PixelSize, int Weight, double LetterSpacing = 0) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(PixelSize);
  font.setWeight(QFont::Weight(Weight));
  if (LetterSpacing != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, LetterSpacing);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

// Text with a soft dark halo, readable over bright crests.
// Returns where the text landed.
QRectF DrawText(QPainter& P, const QPointF& Baseline, const QString& Text, const QFont& Font, const QColor& Colour,
                bool AlignRight = false) {
  QPainterPath path;
  path.addText(0, 0, Font, Text);
  const QRectF bounds = path.boundingRect();
  path.translate(Baseline.x() - (AlignRight ? bounds.right() : 0), Baseline.y());
  P.save();
  P.setRenderHint(QPainter::Antialiasing);
  for (int i = 4; i >= 1; --i) {
    P.setPen(QPen(QColor(2, 10, 24, 34), i * 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    P.setBrush(Qt::NoBrush);
    P.drawPath(path);
  }
  P.setPen(Qt::NoPen);
  P.setBrush(Colour);
  P.drawPath(path);
  P.restore();
  return path.boundingRect();
}

// Returns the area of the maker's link text, the only part of the lower right that is a link.
QRect PaintTitles(QImage& Picture) {
  QPainter p(&Picture);
  p.setRenderHint(QPainter::Antialiasing);

  // Calm, darker water behind the name on the left and the version lines at the bottom left.
  QLinearGradient left(0, 0, 560, 0);
  left.setColorAt(0.0, QColor(2, 12, 28, 150));
  left.setColorAt(0.55, QColor(2, 12, 28, 80));
  left.setColorAt(1.0, QColor(2, 12, 28, 0));
  p.fillRect(Picture.rect(), left);
  QLinearGradient bottom(0, 380, 0, H);
  bottom.setColorAt(0.0, QColor(2, 10, 24, 0));
  bottom.setColorAt(1.0, QColor(2, 10, 24, 170));
  p.fillRect(Picture.rect(), bottom);
  QRadialGradient vignette(W * 0.62, H * 0.38, W * 0.75);
  vignette.setColorAt(0.6, QColor(0, 0, 0, 0));
  vignette.setColorAt(1.0, QColor(0, 0, 0, 90));
  p.fillRect(Picture.rect(), vignette);

  // The name fills the product link area (16, 264; 257 x 41).
  DrawText(p, {26, 250}, QStringLiteral("WAVE PHYSICS IN REAL TIME"), Font(12, QFont::DemiBold, 2.2),
           QColor(120, 205, 230));
  DrawText(p, {20, 301}, QStringLiteral("Plashbox"), Font(50, QFont::Bold, -0.5), QColor(250, 252, 255));
  DrawText(p, {25, 332}, QStringLiteral("A ripple tank for the physics classroom"), Font(16, QFont::Normal),
           QColor(200, 225, 240));

  // The maker's link area (288, 344; 497 x 153), at its lower right.
  DrawText(p, {VisibleRight - 12, 452}, QStringLiteral("Interference  \u00b7  Refraction  \u00b7  Diffraction  \u00b7  Doppler"),
           Font(13, QFont::Normal, 0.5), QColor(170, 210, 230), true);
  const QRectF maker = DrawText(p, {VisibleRight - 12, 478}, QStringLiteral("About the makers  \u203a"),
                                Font(14, QFont::DemiBold), QColor(235, 245, 250), true);
  return maker.toAlignedRect().adjusted(-6, -5, 6, 5);
}

TJpegPicture ToJpegPicture(const QImage& Picture) {
  const QImage rgb = Picture.convertToFormat(QImage::Format_RGB888);
  TJpegPicture out{rgb.width(), rgb.height(), {}};
  out.Rgb.reserve(size_t(rgb.width()) * rgb.height() * 3);
  for (int y = 0; y < rgb.height(); ++y) {
    const uchar* line = rgb.constScanLine(y);
    out.Rgb.insert(out.Rgb.end(), line, line + size_t(rgb.width()) * 3);
  }
  return out;
}

std::string ArtworkSource(const std::vector<uint8_t>& Jpeg, const QRect& MakerLink) {
  std::string text =
      "// Made by make_splash while building; do not edit.\n"
      "#include \"app/SplashArtwork.h\"\n\n"
      "namespace plashbox {\n\n"
      "namespace {\n"
      "const uint8_t Bytes[] = {\n";
  char number[8];
  for (size_t i = 0; i < Jpeg.size(); ++i) {
    std::snprintf(number, sizeof number, "%u,", unsigned(Jpeg[i]));
    text += number;
    text += (i % 24 == 23) ? '\n' : ' ';
  }
  text +=
      "\n};\n"
      "}  // namespace\n\n"
      "std::span<const uint8_t> SplashArtworkJpeg() { return Bytes; }\n\n"
      "TSplashArea SplashMakerLinkArea() { return {" +
      std::to_string(MakerLink.left()) + ", " + std::to_string(MakerLink.top()) + ", " +
      std::to_string(MakerLink.width()) + ", " + std::to_string(MakerLink.height()) + "}; }\n\n"
      "}  // namespace plashbox\n";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_splash <picture.jpg> <artwork.cpp>\n");
    return 2;
  }
  // Text is drawn without a screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  try {
    TFastDIB surface;
    ShadeWater(SimulateWaves(), surface);
    QImage picture = ToImage(surface);
    const QRect makerLink = PaintTitles(picture);
    const std::vector<uint8_t> jpeg = EncodeJpeg(ToJpegPicture(picture), 92);
    WriteFilesAtomically({{argv[1], std::string(jpeg.begin(), jpeg.end())}, {argv[2], ArtworkSource(jpeg, makerLink)}});
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_splash: %s\n", e.what());
    return 1;
  }
  return 0;
}
