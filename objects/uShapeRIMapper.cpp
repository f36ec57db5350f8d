#include "objects/uShapeRIMapper.h"

#include <algorithm>
#include <numbers>

#include "grid/ExactMath.h"
#include "grid/Rounding.h"

namespace plashbox {

PLASHBOX_DEFINE_NODE_CLASS(TShapeRIMapper, TBaseRIControlRIMapper)

void TShapeRIMapper::SetAngle(float Value) {
  double a = exact::Fmod(double(Value), 360);
  if (a < 0) a += 360;
  Angle = static_cast<float>(a);
  ApplyToWater();
}

double TShapeRIMapper::Cos() const { return exact::Cos(double(Angle) * std::numbers::pi / 180); }
double TShapeRIMapper::Sin() const { return exact::Sin(double(Angle) * std::numbers::pi / 180); }

void TShapeRIMapper::VisitCoveredCells(const TCoveredCellVisitor& Visit) {
  if (!HasGrid()) return;
  PlaceCentre();
  const auto reach = static_cast<int32_t>(exact::Ceil(Reach())) + 1;
  // Only cells on the grid, wherever a shape set by name reaches.
  const int32_t left = std::max(0, CentreX - reach), right = std::min(GridWidth - 1, CentreX + reach);
  const int32_t low = std::max(0, CentreY - reach), high = std::min(GridHeight - 1, CentreY + reach);
  for (int32_t x = left; x <= right; ++x)
    for (int32_t y = low; y <= high; ++y)
      if (Covers(x, y)) Visit(x, y);
}

bool TShapeRIMapper::FitsInTank() const {
  const double r = Reach();
  return CentreX - r >= 6 && CentreX + r <= GridWidth - 7 && CentreY - r >= 6 && CentreY + r <= GridHeight - 7;
}

void TShapeRIMapper::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool& Handled) {
  TBaseRIControlRIMapper::MouseDown(Button, Shift, X, Y, Handled);  // the body, selected
  Grabbed = -1;
  Grabbed = HandleUnder(X, GridRow(GridHeight, Y));
  if (Grabbed < 0) return;
  GrabbedBody = false;
  Handled = true;
  Select((Shift & ssCtrl) != 0);
}

void TShapeRIMapper::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if (Grabbed < 0) return TBaseRIControlRIMapper::MouseMove(Shift, X, Y);
  const TShape saved = SaveShape();
  DragHandle(Grabbed, X, GridRow(GridHeight, Y));
  if (FitsInTank())
    ApplyToWater();
  else
    RestoreShape(saved);
}

void TShapeRIMapper::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  Grabbed = -1;
  TBaseRIControlRIMapper::MouseUp(Button, Shift, X, Y);
}

std::vector<TGridPoint> TShapeRIMapper::Handles() {
  std::vector<TGridPoint> handles;
  for (int i = 0; i < HandleCount; ++i) {
    const auto [hx, hy] = HandleAt(i);
    handles.push_back({Round(hx), Round(hy)});
  }
  return handles;
}

}  // namespace plashbox
