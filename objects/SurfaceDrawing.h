// objects/: the tank objects placed in the water: sources, maps and their controls.
// The drawing sink of the off-screen surface: the objects' shapes as the tank's picture shows
// them, grid row y on screen row H - 1 - y of a picture of the grid's size. Nothing is drawn on
// the picture's outermost line of pixels, which the water's picture never colours again: what
// lay there would stay after the object has moved on.
#pragma once

#include "objects/DrawingSink.h"

namespace plashbox {

class TSurfaceDrawing final : public TDrawingSink {
 public:
  // Draws on Surface for a grid GridHeight cells high.
  TSurfaceDrawing(TFastDIB& Surface, int32_t GridHeight) : Surface(Surface), GridHeight(GridHeight) {}

  void Cell(int32_t x, int32_t y, TPixelColor Colour) override;
  void Disc(int32_t x, int32_t y, int32_t Radius, TPixelColor Colour) override;
  void Line(TGridPoint From, TGridPoint To, TPixelColor Colour) override;
  void Polyline(std::span<const TGridPoint> Points, bool Closed, TPixelColor Colour) override;
  void FilledPolygon(std::span<const TGridPoint> Points, TPixelColor Colour) override;
  void DoubleArrow(TGridPoint From, TGridPoint To, int32_t HeadSize, TPixelColor Colour) override;
  void Handle(TGridPoint At, TPixelColor Colour) override;

 private:
  // The stored row of screen row Y: a bottom-up picture is stored upside down.
  int32_t StoredRow(int32_t Y) const;
  bool InsidePicture(int32_t StoredRow, int32_t Column) const;
  void ArrowHead(TGridPoint Tip, TGridPoint Towards, int32_t Size, TPixelColor Colour);

  TFastDIB& Surface;
  int32_t GridHeight;
};

}  // namespace plashbox
