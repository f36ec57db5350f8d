// objects/: the tank objects placed in the water: sources, maps and their controls.
// Probes: points in the tank that record the displacement of their cell once per step into a
// ring of the last TraceLength steps, for the panel's live graph and its measurements.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "objects/uBaseTool.h"

namespace plashbox {

// A water holds at most this many probes; each has the colour of its index.
inline constexpr int32_t MaxProbes = 4;
// Magenta, cyan, orange and lime: apart from each other, from the water's greys and tints and
// from the handles of the block and the source.
inline constexpr TPixelColor ProbeColours[MaxProbes] = {
    TPixelColor::FromRGB(225, 40, 205), TPixelColor::FromRGB(0, 185, 235), TPixelColor::FromRGB(250, 145, 0),
    TPixelColor::FromRGB(120, 215, 40)};

class TProbe : public TBaseTool {
 public:
  static constexpr int32_t TraceLength = 1024;

  PLASHBOX_NODE_CLASS;

  std::string GetTypeName() override;
  std::string GetDescription() override;
  TShapeKind GetShapeKind() override { return skOneHandle; }
  TPixelColor GetHandleColour() override;
  // The displacement of the probe's cell into the ring; nothing is allocated.
  void SampleWater() override;
  // Waves cleared or a new grid: the trace starts again.
  void Restart() override { Count = 0; }
  void GridAttached() override;
  // A disc of the probe's colour with a light ring, larger while selected.
  void Draw(TDrawingSink& Sink) override;

  // The last Steps samples (at most those kept), the oldest first, copied into Out, which
  // must have room for them; returns how many were copied.
  int32_t CopyTrace(std::span<float> Out, int32_t Steps) const;
  int32_t Samples() const { return Count < TraceLength ? Count : TraceLength; }
  // The newest sample, 0 before the first.
  float Latest() const;

  int32_t GetColourIndex() const { return ColourIndex; }
  void SetColourIndex(int32_t Value);

 protected:
  void Initialise() override;

 private:
  static void DeclareProperties(TPropertyBuilder<TProbe>& P);
  int32_t ColourIndex = 0;
  std::array<float, TraceLength> Trace{};
  int32_t Count = 0;  // samples taken since the last restart
};

}  // namespace plashbox
