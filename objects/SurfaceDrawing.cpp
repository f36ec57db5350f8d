#include "objects/SurfaceDrawing.h"

#include <algorithm>
#include <vector>

#include "grid/ExactMath.h"
#include "grid/Rounding.h"
#include "grid/WaterGrid.h"
#include "raster/FastDraw.h"

namespace plashbox {

namespace {
constexpr TPixelColor HandleRing{230, 236, 240};
}  // namespace

int32_t TSurfaceDrawing::StoredRow(int32_t Y) const {
  return Surface.Height() > 0 ? Surface.AbsHeight() - 1 - Y : Y;
}

bool TSurfaceDrawing::InsidePicture(int32_t Row, int32_t Column) const {
  return Row > 0 && Row < Surface.AbsHeight() - 1 && Column > 0 && Column < Surface.Width() - 1;
}

void TSurfaceDrawing::Cell(int32_t x, int32_t y, TPixelColor Colour) {
  const int32_t row = StoredRow(ScreenRow(GridHeight, y));
  if (InsidePicture(row, x)) Surface.SetPixel(row, x, Colour);
}

void TSurfaceDrawing::Disc(int32_t x, int32_t y, int32_t R, TPixelColor Colour) {
  // The pixels of the box (x - R, Y - R) .. (x + R, Y + R) on the screen, right and bottom edges
  // exclusive, whose centres lie within R of the box's centre.
  const int32_t top = ScreenRow(GridHeight, y) - R, left = x - R;
  const double r2 = double(R) * R;
  for (int32_t j = 0; j < 2 * R; ++j) {
    const double dy = j + 0.5 - R;
    const int32_t row = StoredRow(top + j);
    for (int32_t i = 0; i < 2 * R; ++i) {
      const double dx = i + 0.5 - R;
      if (dx * dx + dy * dy <= r2 && InsidePicture(row, left + i)) Surface.SetPixel(row, left + i, Colour);
    }
  }
}

void TSurfaceDrawing::Line(TGridPoint From, TGridPoint To, TPixelColor Colour) {
  SmoothLine(Surface, From.X, ScreenRow(GridHeight, From.Y), To.X, ScreenRow(GridHeight, To.Y), Colour);
}

void TSurfaceDrawing::Polyline(std::span<const TGridPoint> Points, bool Closed, TPixelColor Colour) {
  for (size_t i = 1; i < Points.size(); ++i) Line(Points[i - 1], Points[i], Colour);
  if (Closed && Points.size() > 2) Line(Points.back(), Points.front(), Colour);
}

void TSurfaceDrawing::FilledPolygon(std::span<const TGridPoint> Points, TPixelColor Colour) {
  if (Points.size() < 3) return;
  int32_t low = Points[0].Y, high = Points[0].Y;
  for (const TGridPoint& p : Points) {
    low = std::min(low, p.Y);
    high = std::max(high, p.Y);
  }
  // Only the rows and columns of the picture; a polygon may reach far past it.
  low = std::max(low, GridHeight - Surface.AbsHeight());
  high = std::min(high, GridHeight - 1);
  std::vector<double> crossings;
  for (int32_t y = low; y <= high; ++y) {
    // Where the row through the cells' centres crosses the edges; an edge owns its lower end.
    crossings.clear();
    for (size_t i = 0; i < Points.size(); ++i) {
      const TGridPoint a = Points[i], b = Points[(i + 1) % Points.size()];
      if ((a.Y <= y) == (b.Y <= y)) continue;
      crossings.push_back(a.X + (double(y) - a.Y) * (double(b.X) - a.X) / (double(b.Y) - a.Y));
    }
    std::sort(crossings.begin(), crossings.end());
    for (size_t k = 0; k + 1 < crossings.size(); k += 2) {
      // Taken to just off the picture first, so that no crossing overflows an integer.
      const double width = Surface.Width();
      const auto first = int32_t(exact::Ceil(std::clamp(crossings[k], -1.0, width)));
      const auto last = int32_t(exact::Ceil(std::clamp(crossings[k + 1], -1.0, width))) - 1;
      for (int32_t x = first; x <= last; ++x) Cell(x, y, Colour);
    }
  }
}

void TSurfaceDrawing::ArrowHead(TGridPoint Tip, TGridPoint Towards, int32_t Size, TPixelColor Colour) {
  const double DX = Towards.X - Tip.X, DY = Tip.Y - Towards.Y;  // on the screen, from the tip
  const double D = exact::Sqrt(DX * DX + DY * DY);
  if (D == 0) return;
  const double ux = DX / D, uy = DY / D;
  const int32_t X1 = Tip.X, Y1 = ScreenRow(GridHeight, Tip.Y);
  SmoothLine(Surface, X1, Y1, Round(X1 + 1.2 * Size * ux + 0.8 * Size * uy),
             Round(Y1 + 1.2 * Size * uy - 0.8 * Size * ux), Colour);
  SmoothLine(Surface, X1, Y1, Round(X1 + 1.2 * Size * ux - 0.8 * Size * uy),
             Round(Y1 + 1.2 * Size * uy + 0.8 * Size * ux), Colour);
}

void TSurfaceDrawing::DoubleArrow(TGridPoint From, TGridPoint To, int32_t HeadSize, TPixelColor Colour) {
  ArrowHead(From, To, HeadSize, Colour);
  ArrowHead(To, From, HeadSize, Colour);
  Line(From, To, Colour);
}

void TSurfaceDrawing::Handle(TGridPoint At, TPixelColor Colour) {
  const auto light = [](uint8_t c) { return uint8_t(std::min(255, Round(c + (255 - c) * 0.3))); };
  const auto dark = [](uint8_t c) { return uint8_t(std::max(0, Round(c * 0.8))); };
  const TPixelColor lightColour{light(Colour.Blue), light(Colour.Green), light(Colour.Red)};
  const TPixelColor darkColour{dark(Colour.Blue), dark(Colour.Green), dark(Colour.Red)};
  const int32_t X = At.X, y = At.Y, Y = ScreenRow(GridHeight, y);
  // The light ring first, then the knob with its highlight and shadow.
  Disc(X, y, 5, HandleRing);
  Disc(X, y, 4, Colour);
  SmoothLine(Surface, X - 2, Y - 1, X - 1, Y - 2, lightColour);
  SmoothLine(Surface, X + 3, Y, X, Y + 3, darkColour);
  // Three shadow pixels set by their stored rows, which are grid rows on the bottom-up picture
  // of the tank; the picture has always looked so.
  Surface.SetPixel(y - 2, X + 2, darkColour);
  Surface.SetPixel(y + 1, X + 3, darkColour);
  Surface.SetPixel(y - 3, X - 1, darkColour);
}

}  // namespace plashbox
