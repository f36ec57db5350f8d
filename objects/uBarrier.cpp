#include "objects/uBarrier.h"

#include <algorithm>
#include <string>

#include "grid/ExactMath.h"
#include "text/TextCatalogue.h"
#include "xmlworker/XMLFormat.h"

namespace plashbox {

namespace {

int32_t Checked(const char* Name, int32_t Value, int32_t Low, int32_t High, const char* Accepted) {
  if (Value < Low || Value > High) RefuseValue(Name, Value, Accepted);
  return Value;
}

}  // namespace

void TBarrier::DeclareProperties(TPropertyBuilder<TBarrier>& P) {
  DeclareHandlePercents(P, true)
      .Integer("Thickness", &TBarrier::Thickness, &TBarrier::SetThickness, 3)
      .Integer("Slits", &TBarrier::Slits, &TBarrier::SetSlits)
      .Integer("SlitWidth", &TBarrier::SlitWidth, &TBarrier::SetSlitWidth, 6)
      .Integer("SlitSpacing", &TBarrier::SlitSpacing, &TBarrier::SetSlitSpacing, 30);
}

PLASHBOX_DEFINE_NODE_CLASS(TBarrier, TBaseControl, &DeclareProperties)

void TBarrier::Initialise() {
  TBaseControl::Initialise();
  Snap_to_Grid = false;
  // Upright across the whole tank at 40 % of its width.
  X1Percent = X2Percent = 40;
  Y1Percent = 0;
  Y2Percent = 100;
}

std::string TBarrier::GetTypeName() { return TextOf("object.TBarrier.name"); }
std::string TBarrier::GetDescription() { return TextOf("object.TBarrier.description"); }

TPixelColor TBarrier::GetHandleColour() {
  return ActiveTool ? TPixelColor{60, 220, 255} : TPixelColor{40, 150, 190};
}

void TBarrier::SetThickness(int32_t Value) {
  Thickness = Checked("Thickness", Value, MinWallThickness, MaxWallThickness, "1 to 20 cells");
  ApplyToWater();
}

void TBarrier::SetSlits(int32_t Value) {
  Slits = Checked("Slits", Value, 0, MaxSlits, "0 to 12");
  ApplyToWater();
}

void TBarrier::SetSlitWidth(int32_t Value) {
  const int32_t widest = MaxSlitWidth();
  const std::string accepted = widest == MaxSlitSize
                                   ? std::string("1 to 1000 cells")
                                   : "1 to " + std::to_string(widest) + " cells, narrower than the wall";
  SlitWidth = Checked("SlitWidth", Value, 1, widest, accepted.c_str());
  ApplyToWater();
}

double TBarrier::Length() const {
  const double dx = double(X2) - X1, dy = double(Y2) - Y1;
  return exact::Sqrt(dx * dx + dy * dy);
}

int32_t TBarrier::MaxSlitWidth() const {
  if (!HasGrid()) return MaxSlitSize;
  const double length = Length();
  if (!(length <= MaxSlitSize)) return MaxSlitSize;
  const int32_t whole = int32_t(length);  // the widest whole width below the length
  return std::max(1, whole < length ? whole : whole - 1);
}

void TBarrier::SetSlitSpacing(int32_t Value) {
  SlitSpacing = Checked("SlitSpacing", Value, 1, MaxSlitSize, "1 to 1000 cells");
  ApplyToWater();
}

bool TBarrier::Covers(int32_t x, int32_t y) const {
  const double dx = double(X2) - X1, dy = double(Y2) - Y1;
  const double length = Length();
  if (length < 1) return false;
  const double ux = dx / length, uy = dy / length;
  const double rx = double(x) - X1, ry = double(y) - Y1;
  const double along = rx * ux + ry * uy, across = ry * ux - rx * uy;
  if (along < 0 || along > length) return false;
  const double half = Thickness / 2.0;
  if (!(across > -half && across <= half)) return false;
  const double halfSlit = SlitWidth / 2.0;
  for (int32_t k = 0; k < Slits; ++k) {
    const double u = along - (length / 2 + (k - (Slits - 1) / 2.0) * SlitSpacing);
    if (u >= -halfSlit && u < halfSlit) return false;
  }
  return true;
}

void TBarrier::VisitCoveredCells(const TCoveredCellVisitor& Visit) {
  WallCells.clear();
  OnEdge.clear();
  if (!HasGrid()) return;
  // Only the cells near the segment, and only those on the grid, whatever the handles say.
  const int32_t reach = Thickness + 1;
  const int32_t left = std::max(0, std::min(X1, X2) - reach), right = std::min(GridWidth - 1, std::max(X1, X2) + reach);
  const int32_t low = std::max(0, std::min(Y1, Y2) - reach), high = std::min(GridHeight - 1, std::max(Y1, Y2) + reach);
  for (int32_t x = left; x <= right; ++x)
    for (int32_t y = low; y <= high; ++y) {
      if (!Covers(x, y)) continue;
      Visit(x, y);
      WallCells.emplace_back(x, y);
      OnEdge.push_back(!Covers(x - 1, y) || !Covers(x + 1, y) || !Covers(x, y - 1) || !Covers(x, y + 1));
    }
}

void TBarrier::Draw(TDrawingSink& Sink) {
  for (size_t i = 0; i < WallCells.size(); ++i)
    Sink.Cell(WallCells[i].first, WallCells[i].second, OnEdge[i] ? WallEdgeColour : WallColour);
  DrawHandles(Sink);
}

}  // namespace plashbox
