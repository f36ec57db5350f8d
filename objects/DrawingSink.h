// objects/: the tank objects placed in the water: sources, maps and their controls.
// What the objects draw on: shapes in grid coordinates (x to the right, y upward, one unit a
// cell), never pixels. The off-screen surface is one sink (objects/SurfaceDrawing.h); a 3-D
// view or a vector export is another. Every sink gets the same calls in the same order, so
// what is drawn later lies on top.
#pragma once

#include <cstdint>
#include <span>

#include "raster/FastDIB.h"

namespace plashbox {

struct TGridPoint {
  int32_t X = 0, Y = 0;
  friend bool operator==(const TGridPoint&, const TGridPoint&) = default;
};

class TDrawingSink {
 public:
  virtual ~TDrawingSink() = default;
  // One cell in full colour (the cells of a wall, the dots of a screen's line).
  virtual void Cell(int32_t x, int32_t y, TPixelColor Colour) = 0;
  // The cells whose centres lie within Radius of the corner that cells (x - 1, y + 1) and
  // (x, y) share: a disc of at most 2 Radius x 2 Radius cells.
  virtual void Disc(int32_t x, int32_t y, int32_t Radius, TPixelColor Colour) = 0;
  // An anti-aliased line, both ends in full colour.
  virtual void Line(TGridPoint From, TGridPoint To, TPixelColor Colour) = 0;
  // Lines through the points in turn (a drawn stroke); Closed joins the last to the first.
  virtual void Polyline(std::span<const TGridPoint> Points, bool Closed, TPixelColor Colour) = 0;
  // The cells whose centres lie inside the polygon (even-odd rule), in full colour.
  virtual void FilledPolygon(std::span<const TGridPoint> Points, TPixelColor Colour) = 0;
  // A line with an arrow head of HeadSize at either end (a beam's travel).
  virtual void DoubleArrow(TGridPoint From, TGridPoint To, int32_t HeadSize, TPixelColor Colour) = 0;
  // A handle the pointer can grab: a knob of Colour with its light ring, so that it shows on
  // any medium.
  virtual void Handle(TGridPoint At, TPixelColor Colour) = 0;
};

}  // namespace plashbox
