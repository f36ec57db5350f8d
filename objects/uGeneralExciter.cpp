#include "objects/uGeneralExciter.h"

#include <algorithm>
#include <cmath>

#include "grid/ExactMath.h"
#include "grid/Rounding.h"
#include "text/TextCatalogue.h"
#include "xmlworker/XMLFormat.h"

namespace plashbox {

void TGeneralExciter::DeclareProperties(TPropertyBuilder<TGeneralExciter>& P) {
  P.Integer("BeamType", &TGeneralExciter::GetBeamType,
            [](TGeneralExciter& E, int32_t V) {
              if (!Kind(V)) RefuseValue("BeamType", V, BeamTypeRange().c_str());
              E.SetBeamType(V);
            },
            1)
      .Single("DopplerSpeed", &TGeneralExciter::DopplerSpeed,
              [](TGeneralExciter& E, float V) {
                if (!(V >= 0 && V <= MaxDopplerSpeed)) RefuseValue("DopplerSpeed", V, "0 to 10 (Mach)");
                E.DopplerSpeed = V;
              })
      .Boolean("Harmonics", &TGeneralExciter::Harmonics)
      .Boolean("UseFreq", &TGeneralExciter::UseFreq)
      .Single("X1Percent", &TGeneralExciter::GetX1Percent,
              [](TGeneralExciter& E, float V) { E.SetX1Percent(CheckedPercent(V)); })
      .Single("Y1Percent", &TGeneralExciter::GetY1Percent,
              [](TGeneralExciter& E, float V) { E.SetY1Percent(CheckedPercent(V)); })
      .Single("X2Percent", &TGeneralExciter::GetX2Percent,
              [](TGeneralExciter& E, float V) { E.SetX2Percent(CheckedPercent(V)); })
      .Single("Y2Percent", &TGeneralExciter::GetY2Percent,
              [](TGeneralExciter& E, float V) { E.SetY2Percent(CheckedPercent(V)); });
}

PLASHBOX_DEFINE_NODE_CLASS(TGeneralExciter, TBaseExciter, &DeclareProperties)

std::span<const TSourceKind> TGeneralExciter::Kinds() {
  using E = TGeneralExciter;
  // Row n is BeamType n, as scene files store it: append new kinds, never reorder.
  static const TSourceKind kinds[] = {
      {"beam.point", skOneHandle, &E::DrivePoint, &E::DrawHandlesOnly, nullptr},
      // The beam is held by its arrow (handle 3 at its middle, and the arrow's length).
      {"beam.beam", skCentreHandle, &E::DriveBeam, &E::DrawBeam, &E::HitBeam},
      // The line source's handles are its ends, which it handles itself (none of the base's).
      {"beam.line", skOwnHandles, &E::DriveLine, &E::DrawNothing, nullptr},
      {"beam.double", skTwoHandles, &E::DriveDouble, &E::DrawHandlesOnly, nullptr},
      {"beam.doppler", skOneHandle, &E::DriveDoppler, &E::DrawDoppler, nullptr},
  };
  static_assert(std::size(kinds) == btDoppler + 1);
  return kinds;
}

const TSourceKind* TGeneralExciter::Kind(int32_t Type) {
  const std::span<const TSourceKind> kinds = Kinds();
  return Type >= 0 && Type < int32_t(kinds.size()) ? &kinds[size_t(Type)] : nullptr;
}

std::string TGeneralExciter::BeamTypeName(int32_t Type) {
  const TSourceKind* kind = Kind(Type);
  return kind ? TextOf(kind->NameKey) : "";
}

std::string TGeneralExciter::BeamTypeRange() { return "0 to " + std::to_string(BeamTypeCount() - 1); }

void TGeneralExciter::Initialise() {
  TBaseExciter::Initialise();
  SetBeamType(btBeam);
  X1Percent = BeamColumnPercent;
  Y1Percent = HomeYPercent;
  X2Percent = 100 - 10;
  Y2Percent = 50;
  X3Percent = 10;
  Y3Percent = 50;
  Snap_to_Grid = false;
  DopplerSpeed = 0.6f;
}

std::string TGeneralExciter::GetTypeName() { return TextOf("object.TGeneralExciter.name"); }
std::string TGeneralExciter::GetDescription() { return TextOf("object.TGeneralExciter.description"); }

TShapeKind TGeneralExciter::GetShapeKind() {
  const TSourceKind* kind = Kind(BeamType);
  return kind ? kind->Shape : skNoHandles;  // no handles until the next step turns it into a beam
}

TPixelColor TGeneralExciter::GetHandleColour() {
  return ActiveTool ? TPixelColor{50, 200, 5} : TPixelColor{15, 73, 5};
}

void TGeneralExciter::SetBeamType(int32_t Value) {
  BeamType = Value;
  if (Value == btDoppler) {
    DopplerX = static_cast<float>(X1);
    DopplerY = static_cast<float>(Y1);
  }
}

void TGeneralExciter::ResetDoppler() {
  SetX1Percent(95);
  SetY1Percent(50);
  DopplerX = static_cast<float>(PercentToGridX(5));
  DopplerY = static_cast<float>(Y1);
}

void TGeneralExciter::GridAttached() {
  TBaseExciter::GridAttached();
  if (BeamType != btDoppler) return;
  DopplerX = static_cast<float>(PercentToGridX(5));
  DopplerY = static_cast<float>(Y1);
}

void TGeneralExciter::DriveWater() {
  const TSourceKind* kind = Kind(BeamType);
  if (!kind) {
    SetBeamType(btBeam);  // an unknown type becomes a beam and writes nothing this step
    return;
  }
  if (HasGrid()) (this->*kind->Drive)();
}

// The published percents accept any number, so a handle may lie off the grid; the writers
// leave such a point out rather than write past the cells.
bool TGeneralExciter::OnGrid(int32_t x, int32_t y) const {
  return x >= 0 && x < GridWidth && y >= 0 && y < GridHeight;
}

void TGeneralExciter::DrivePoint() {
  if (!OnGrid(X1, Y1)) return;
  const TWaveCellRef c = Cell(X1, Y1);
  if (IsWall(c)) return;
  c.Displacement = static_cast<float>(6 * double(Signal1));
  c.Velocity = 0;
}

namespace {

// A height held by the source: set, with the velocity stopped; a wall stays at rest.
void Drive(const TWaveCellRef& Cell, float Height) {
  if (IsWall(Cell)) return;
  Cell.Displacement = Height;
  Cell.Velocity = 0;
}

}  // namespace

void TGeneralExciter::DriveBeam() {
  // A vertical aperture with a Gaussian profile (sigma 30 cells) cut off after 89 cells.
  const int32_t c = BeamColumn, H = GridHeight;
  if (c < 0 || c >= GridWidth) return;
  // Below the centre down to row 1, above it up to row H - 2; the second bound of each only
  // matters for a centre off the grid.
  for (int32_t i = 0; i <= 89; ++i) {
    const auto a = static_cast<float>(1.8 * Signal1 * exact::Exp(-0.5 * i * i / (30.0 * 30.0)));
    const int64_t down = int64_t(Y3) - i, up = int64_t(Y3) + i;
    if (down > 0 && down < H) Drive(Cell(c, Y3 - i), a);
    if (up < H - 1 && up >= 0) Drive(Cell(c, Y3 + i), a);
  }
}

void TGeneralExciter::DriveLine() {
  // The line adds to the water and leaves the velocity alone, unlike the other writers.
  if (BeamColumn < 0 || BeamColumn >= GridWidth) return;
  for (int32_t y = 0; y < GridHeight; ++y) {
    const TWaveCellRef c = Cell(BeamColumn, y);
    if (!IsWall(c)) c.Displacement = static_cast<float>(c.Displacement + 1.5 * double(Signal1));
  }
}

void TGeneralExciter::DriveDouble() {
  if (OnGrid(X1, Y1) && !IsWall(Cell(X1, Y1))) Cell(X1, Y1).Displacement = static_cast<float>(4 * double(Signal1));
  if (OnGrid(X2, Y2) && !IsWall(Cell(X2, Y2))) Cell(X2, Y2).Displacement = static_cast<float>(4 * double(Signal2));
}

void TGeneralExciter::DriveDoppler() {
  const auto dx = static_cast<float>(X1 - double(DopplerX));
  const auto dy = static_cast<float>(Y1 - double(DopplerY));
  const auto d = static_cast<float>(exact::Sqrt(double(dx) * dx + double(dy) * dy));
  if (d <= 0.3f) {
    DopplerX = static_cast<float>(X1);
    DopplerY = static_cast<float>(Y1);
  } else {
    const auto s = static_cast<float>(DopplerSpeed * OpenWaterWaveSpeed);
    DopplerX = static_cast<float>(DopplerX + double(s) * dx / d);
    DopplerY = static_cast<float>(DopplerY + double(s) * dy / d);
  }
  const double signal = Harmonics ? HarmonicSignal : Signal1;
  // A Gaussian of sigma 1 cell on the exact, sub-cell position, added to the velocity. A source
  // chasing a target far off the grid has no cells near it (and no integer position to take).
  if (!(DopplerX > -11 && DopplerX < GridWidth + 11 && DopplerY > -11 && DopplerY < GridHeight + 11)) return;
  const int32_t px = Trunc(DopplerX), py = Trunc(DopplerY);
  for (int32_t x = px - 10; x <= px + 9; ++x)
    for (int32_t y = py - 10; y <= py + 9; ++y) {
      if (!InsideTank(x, y, 1)) continue;
      const double rx = x - double(DopplerX), ry = y - double(DopplerY);
      const auto r = static_cast<float>(exact::Sqrt(rx * rx + ry * ry));
      const TWaveCellRef c = Cell(x, y);
      if (!IsWall(c)) c.Velocity = static_cast<float>(c.Velocity + signal * exact::Exp(-(double(r) * r) / 2));
    }
}

bool TGeneralExciter::HitTestBody(int32_t X, int32_t y) {
  const TSourceKind* kind = Kind(BeamType);
  return kind && kind->HitBody && (this->*kind->HitBody)(X, y);
}

bool TGeneralExciter::HitBeam(int32_t X, int32_t y) const {
  return HitTestSegment(X, y, BeamColumn, Y3 - 90, BeamColumn, Y3 + 90);
}

void TGeneralExciter::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool& Handled) {
  TBaseExciter::MouseDown(Button, Shift, X, Y, Handled);
  // The two sources of a double source are dragged one at a time, never by their line.
  if (BeamType == btDouble && GrabbedBody) {
    Handled = false;
    GrabbedBody = false;
  }
}

void TGeneralExciter::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TBaseExciter::MouseMove(Shift, X, Y);
  if (BeamType == btBeam) X3 = BeamColumn;  // the beam moves only up and down
}

void TGeneralExciter::Draw(TDrawingSink& Sink) {
  if (const TSourceKind* kind = Kind(BeamType)) (this->*kind->Draw)(Sink);
}

void TGeneralExciter::DrawBeam(TDrawingSink& Sink) {
  X3 = BeamColumn;
  if (GridHeight < 151) return;
  Sink.DoubleArrow({BeamColumn, std::max(1, Y3 - 78)}, {BeamColumn, std::min(GridHeight - 1, Y3 + 78)}, 3,
                   GetHandleColour());
}

void TGeneralExciter::DrawDoppler(TDrawingSink& Sink) {
  // The target's handle, then the moving source as a small dot on top.
  DrawHandles(Sink);
  Sink.Disc(Round(DopplerX), Round(DopplerY), 1, GetHandleColour());
}

}  // namespace plashbox
