// objects/: the tank objects placed in the water: sources, maps and their controls.
// The screen at the back of a slit experiment: a line between two handles along which the
// water's time-averaged intensity is read once per step, for the panel's graph and maxima.
#pragma once

#include <span>
#include <vector>

#include "objects/ToolMeasures.h"
#include "objects/uBaseTool.h"

namespace plashbox {

inline constexpr TPixelColor ScreenColour = TPixelColor::FromRGB(250, 230, 120);

class TIntensityScreen : public TBaseTool {
 public:
  PLASHBOX_NODE_CLASS;

  std::string GetTypeName() override;
  std::string GetDescription() override;
  TShapeKind GetShapeKind() override { return skTwoHandles; }
  TPixelColor GetHandleColour() override;
  bool UsesIntensity() const override { return true; }
  void GeometryChanged() override;
  // The intensity at every point of the line into the profile; it allocates nothing.
  void SampleWater() override;
  void Restart() override;
  // A dotted line between the handles, then the handles.
  void Draw(TDrawingSink& Sink) override;

  // One sample per cell along the line from handle 1 to handle 2 (the longer of its two
  // extents, plus one), each at the nearest cell; all 0 outside a water that keeps intensity.
  std::span<const float> Profile() const { return Samples; }
  // Two maxima of the profile closer than this along the line count as one: no fringes come
  // closer than half a wavelength, and no wave on the grid is much shorter than eight cells.
  static constexpr double MinMaximaCells = 4;
  // The maxima of the profile (FindMaxima), in samples from handle 1.
  std::vector<TProfileMaximum> ProfileMaxima() const;
  // Their positions in cells from handle 1.
  std::vector<double> Maxima() const;
  // Whether the water it is in keeps an intensity to read.
  bool HasIntensity();
  // Cells along the line per sample of the profile.
  double CellsPerSample() const;

 protected:
  void Initialise() override;

 private:
  static void DeclareProperties(TPropertyBuilder<TIntensityScreen>& P);
  // The grid cell of sample I, y upward.
  void SamplePoint(size_t I, int32_t& x, int32_t& y) const;
  void SizeProfile();
  std::vector<float> Samples;
};

}  // namespace plashbox
