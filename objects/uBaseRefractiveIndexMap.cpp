#include "objects/uBaseRefractiveIndexMap.h"

#include "grid/Rounding.h"
#include "text/TextCatalogue.h"
#include "xmlworker/XMLFormat.h"

namespace plashbox {

TClassList& RIMapClassList() {
  static TClassList classes;
  return classes;
}

PLASHBOX_DEFINE_NODE_CLASS(TBaseRIMap, TBaseControl)

void TBaseRIMap::Initialise() {
  TBaseControl::Initialise();
  Snap_to_Grid = false;
}

void TBaseRIMap::ApplyToWater() { RecomposeMedium(); }

void TBaseRIMap::GeometryChanged() { ApplyToWater(); }

TPixelColor TBaseRIMap::GetHandleColour() {
  return ActiveTool ? TPixelColor{48, 12, 210} : TPixelColor{24, 12, 140};
}

std::string TBaseRIMap::GetTypeName() { return TextOf("object.TBaseRIMap.name"); }
std::string TBaseRIMap::GetDescription() { return TextOf("object.TBaseRIMap.description"); }
bool TBaseRIMap::SimulateWhileSourceDragged() { return true; }

void TBaseRIControlRIMapper::DeclareProperties(TPropertyBuilder<TBaseRIControlRIMapper>& P) {
  P.Single("n", &TBaseRIControlRIMapper::GetN,
           [](TBaseRIControlRIMapper& M, float V) {
             if (!(V >= MinSpeedRatio && V <= MaxSpeedRatio)) RefuseValue("n", V, "0.01 to 1");
             M.SetN(V);
           })
      .Single("CentreXPercent", &TBaseRIControlRIMapper::GetCentreXPercent,
              [](TBaseRIControlRIMapper& M, float V) { M.SetCentreXPercent(CheckedPercent(V)); })
      .Single("CentreYPercent", &TBaseRIControlRIMapper::GetCentreYPercent,
              [](TBaseRIControlRIMapper& M, float V) { M.SetCentreYPercent(CheckedPercent(V)); });
}

PLASHBOX_DEFINE_NODE_CLASS(TBaseRIControlRIMapper, TBaseRIMap, &DeclareProperties)

namespace {

// The cell of a centre percent: the middle cell moved by the percent's distance from 50.
int32_t CentreCell(float Percent, int32_t Size) { return Size / 2 + Round((double(Percent) - 50) * (Size - 11) / 100); }
float CentrePercent(int32_t Cell, int32_t Size) {
  return static_cast<float>(50 + double(Cell - Size / 2) * 100 / (Size - 11));
}

}  // namespace

float TBaseRIControlRIMapper::GetCentreXPercent() const {
  return HasGrid() && GridWidth > 11 ? CentrePercent(CentreX, GridWidth) : CentreXPercent;
}
float TBaseRIControlRIMapper::GetCentreYPercent() const {
  return HasGrid() && GridHeight > 11 ? CentrePercent(CentreY, GridHeight) : CentreYPercent;
}

void TBaseRIControlRIMapper::SetCentreXPercent(float Value) {
  CentreXPercent = Value;
  ApplyToWater();
}

void TBaseRIControlRIMapper::SetCentreYPercent(float Value) {
  CentreYPercent = Value;
  ApplyToWater();
}

void TBaseRIControlRIMapper::PlaceCentre() {
  CentreX = CentreCell(CentreXPercent, GridWidth);
  CentreY = CentreCell(CentreYPercent, GridHeight);
}

void TBaseRIControlRIMapper::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if (GrabbedBody)
    MoveBody(X, GridRow(GridHeight, Y));
  else
    TBaseRIMap::MouseMove(Shift, X, Y);
}

void TBaseRIControlRIMapper::MoveBody(int32_t X, int32_t y) {
  const int32_t savedX = CentreX, savedY = CentreY;
  CentreX += X - DragX;
  CentreY += y - DragY;
  // A move that would push the region out of the tank is refused as a whole.
  if (FitsInTank()) {
    CentreXPercent = CentrePercent(CentreX, GridWidth);
    CentreYPercent = CentrePercent(CentreY, GridHeight);
    ApplyToWater();
    DragX = X;
    DragY = y;
  } else {
    CentreX = savedX;
    CentreY = savedY;
  }
}

void TBaseRIControlRIMapper::Initialise() {
  TBaseRIMap::Initialise();
  SetN(0.5454f);
}

void TBaseRIControlRIMapper::SetN(float Value) {
  const auto r = static_cast<float>(Value * 0.5);
  if (r == RegionSpeedFactor) return;
  RegionSpeedFactor = r;
  ApplyToWater();
}

}  // namespace plashbox
