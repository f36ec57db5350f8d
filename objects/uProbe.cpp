#include "objects/uProbe.h"

#include <algorithm>

#include "text/TextCatalogue.h"
#include "xmlworker/XMLFormat.h"

namespace plashbox {

void TProbe::DeclareProperties(TPropertyBuilder<TProbe>& P) {
  DeclareHandlePercents(P, false).Integer("ColourIndex", &TProbe::GetColourIndex, &TProbe::SetColourIndex, 0);
}

PLASHBOX_DEFINE_NODE_CLASS(TProbe, TBaseTool, &DeclareProperties)

void TProbe::Initialise() {
  TBaseTool::Initialise();
  Snap_to_Grid = false;
  X1Percent = 70;
  Y1Percent = 50;
}

std::string TProbe::GetTypeName() { return TextOf("object.TProbe.name"); }
std::string TProbe::GetDescription() { return TextOf("object.TProbe.description"); }

TPixelColor TProbe::GetHandleColour() { return ProbeColours[ColourIndex]; }

void TProbe::SetColourIndex(int32_t Value) {
  if (Value < 0 || Value >= MaxProbes) RefuseValue("ColourIndex", Value, "0 to 3");
  ColourIndex = Value;
}

void TProbe::GridAttached() {
  TBaseTool::GridAttached();
  Count = 0;
}

void TProbe::SampleWater() {
  float value = 0;
  // A probe dragged off the grid reads still water.
  if (HasGrid() && X1 >= 0 && X1 < GridWidth && Y1 >= 0 && Y1 < GridHeight) value = Cell(X1, Y1).Displacement;
  Trace[static_cast<size_t>(Count % TraceLength)] = value;
  // Past a whole ring the count only says "full" and where the next sample goes, so it cannot
  // overflow in a long run.
  if (++Count == 2 * TraceLength) Count = TraceLength;
}

float TProbe::Latest() const {
  return Count == 0 ? 0.0f : Trace[static_cast<size_t>((Count - 1) % TraceLength)];
}

int32_t TProbe::CopyTrace(std::span<float> Out, int32_t Steps) const {
  const int32_t n = std::clamp(std::min(Steps, Samples()), 0, static_cast<int32_t>(Out.size()));
  for (int32_t i = 0; i < n; ++i)
    Out[static_cast<size_t>(i)] = Trace[static_cast<size_t>((Count - n + i) % TraceLength)];
  return n;
}

void TProbe::Draw(TDrawingSink& Sink) {
  // The selected probe has a rim of its colour around the handle's light ring.
  if (ActiveTool) Sink.Disc(X1, Y1, 7, GetHandleColour());
  DrawHandles(Sink);
}

}  // namespace plashbox
