#include "objects/uBaseControl.h"

#include "grid/Rounding.h"
#include "text/TextCatalogue.h"

namespace plashbox {

void TBaseControl::DeclareProperties(TPropertyBuilder<TBaseControl>& P) {
  P.Boolean("Snap_to_Grid", &TBaseControl::Snap_to_Grid).Boolean("ActiveTool", &TBaseControl::ActiveTool).LeftByUndo();
}

PLASHBOX_DEFINE_NODE_CLASS(TBaseControl, TBaseWaterObject, &DeclareProperties)

void TBaseControl::Initialise() {
  TBaseWaterObject::Initialise();
  Snap_to_Grid = true;
}

std::string TBaseControl::GetTypeName() { return TextOf("object.TBaseControl.name"); }
std::string TBaseControl::GetDescription() { return TextOf("object.TBaseControl.description"); }
TPixelColor TBaseControl::GetHandleColour() {
  return ActiveTool ? TPixelColor{254, 210, 210} : TPixelColor{150, 70, 56};
}
TShapeKind TBaseControl::GetShapeKind() { return skNoHandles; }
void TBaseControl::GeometryChanged() {}
int32_t TBaseControl::GetMinHandleDistanceSq() { return 100; }
bool TBaseControl::HitTestBody(int32_t, int32_t) { return false; }
void TBaseControl::Activate() { Select(false); }

void TBaseControl::SetPercent(float& Stored, int32_t& Cell, float P, bool Vertical) {
  const int32_t cell = Vertical ? PercentToGridY(P) : PercentToGridX(P);
  Stored = P;
  if (cell != Cell) {
    Cell = cell;
    GeometryChanged();
  }
}

void TBaseControl::SetX1Percent(float P) { SetPercent(X1Percent, X1, P, false); }
void TBaseControl::SetY1Percent(float P) { SetPercent(Y1Percent, Y1, P, true); }
void TBaseControl::SetX2Percent(float P) { SetPercent(X2Percent, X2, P, false); }
void TBaseControl::SetY2Percent(float P) { SetPercent(Y2Percent, Y2, P, true); }

int32_t TBaseControl::SnapValue(int32_t V, int32_t Origin, int32_t Size) const {
  const int32_t q = Round(double(V - Origin) / SnapSpacing);
  int32_t R = Origin + SnapSpacing * q;
  if (R < 5) R += SnapSpacing;
  if (R > Size - 5) R -= SnapSpacing;
  return R;
}

void TBaseControl::SnapPoint(int32_t& X, int32_t& Y) const {
  X = SnapValue(X, 5, GridWidth);
  Y = SnapValue(Y, 5, GridHeight);
}

void TBaseControl::GridAttached() {
  // A resize puts the handles back at their stored percentages, wherever a drag left them.
  X1 = PercentToGridX(X1Percent);
  X2 = PercentToGridX(X2Percent);
  X3 = PercentToGridX(X3Percent);
  Y1 = PercentToGridY(Y1Percent);
  Y2 = PercentToGridY(Y2Percent);
  Y3 = PercentToGridY(Y3Percent);
  if (Snap_to_Grid) {
    SnapPoint(X1, Y1);
    SnapPoint(X2, Y2);
    SnapPoint(X3, Y3);
  }
  GeometryChanged();
}

void TBaseControl::MouseDown(TMouseButton, TShiftState Shift, int32_t X, int32_t Y, bool& Handled) {
  Handled = false;
  const int32_t y = GridRow(GridHeight, Y);
  const int32_t handle = HandleUnder(X, y);
  switch (GetShapeKind()) {
    case skOneHandle: Handled = GrabbedP1 = handle == 0; break;
    case skTwoHandles:
      GrabbedP1 = handle == 0;
      GrabbedP2 = handle == 1;
      GrabbedBody = handle < 0 && HitTestSegment(X, y, X1, Y1, X2, Y2);
      Handled = GrabbedP1 || GrabbedP2 || GrabbedBody;
      break;
    case skCentreHandle: Handled = GrabbedP3 = handle == 0; break;
    default: break;
  }
  if (!Handled && HitTestBody(X, y)) {
    Handled = true;
    GrabbedBody = true;
  }
  if (!Handled) return;
  Select((Shift & ssCtrl) != 0);
  DragX = X;
  DragY = y;
  if (Snap_to_Grid) SnapPoint(DragX, DragY);
}

void TBaseControl::MouseMove(TShiftState, int32_t X, int32_t Y) {
  ClampToTank(X, Y, 5);
  int32_t y = GridRow(GridHeight, Y);
  if (Snap_to_Grid) SnapPoint(X, y);
  const TShapeKind kind = GetShapeKind();
  const auto tooClose = [&](int32_t OtherX, int32_t OtherY) {
    const int64_t dx = int64_t(X) - OtherX, dy = int64_t(y) - OtherY;
    return kind == skTwoHandles && dx * dx + dy * dy < GetMinHandleDistanceSq();
  };
  if (GrabbedP1) {
    if (tooClose(X2, Y2)) return;
    X1 = X;
    Y1 = y;
    GeometryChanged();
    return;
  }
  if (GrabbedP2) {
    if (tooClose(X1, Y1)) return;
    X2 = X;
    Y2 = y;
    GeometryChanged();
    return;
  }
  if (GrabbedP3) {
    X3 = X;
    Y3 = y;
    GeometryChanged();
    return;
  }
  if (!GrabbedBody) return;
  // A body drag that would push any handle out of the usable area is refused as a whole.
  const int32_t dX = X - DragX, dY = y - DragY;
  switch (kind) {
    case skOneHandle:
      X1 += dX;
      Y1 += dY;
      ClampToTank(X1, Y1, 5);
      GeometryChanged();
      break;
    case skTwoHandles:
      if (InsideTank(X1 + dX, Y1 + dY, 5) && InsideTank(X2 + dX, Y2 + dY, 5)) {
        X1 += dX;
        Y1 += dY;
        X2 += dX;
        Y2 += dY;
        ClampToTank(X1, Y1, 5);
        ClampToTank(X2, Y2, 5);
        GeometryChanged();
      }
      break;
    case skCentreHandle:
      if (InsideTank(X3 + dX, Y3 + dY, 5)) {
        X3 += dX;
        Y3 += dY;
        ClampToTank(X3, Y3, 5);
        GeometryChanged();
      }
      break;
    default: break;
  }
  DragX = X;
  DragY = y;
}

void TBaseControl::MouseUp(TMouseButton, TShiftState, int32_t, int32_t) {
  GrabbedP1 = GrabbedP2 = GrabbedP3 = GrabbedBody = false;
}

void TBaseControl::Select(bool Additive) {
  ActiveTool = true;
  if (Additive) return;
  const XMLNodeRef parent = GetParentNode();
  if (!parent) return;
  for (TBaseControl* other : ChildrenOf<TBaseControl>(*parent))
    if (other != this) other->ActiveTool = false;
}

std::vector<TGridPoint> TBaseControl::Handles() {
  switch (GetShapeKind()) {
    case skOneHandle: return {{X1, Y1}};
    case skTwoHandles: return {{X1, Y1}, {X2, Y2}};
    case skCentreHandle: return {{X3, Y3}};
    default: return {};
  }
}

int32_t TBaseControl::HandleUnder(int32_t X, int32_t y) {
  const std::vector<TGridPoint> handles = Handles();
  int32_t found = -1;
  int64_t nearest = 0;
  for (size_t i = 0; i < handles.size(); ++i) {
    if (!HitTestPoint(X, y, handles[i].X, handles[i].Y)) continue;
    const int64_t dx = int64_t(X) - handles[i].X, dy = int64_t(y) - handles[i].Y, d = dx * dx + dy * dy;
    if (found >= 0 && d > nearest) continue;
    found = int32_t(i);
    nearest = d;
  }
  return found;
}

void TBaseControl::DrawHandles(TDrawingSink& Sink) {
  const TPixelColor colour = GetHandleColour();
  for (const TGridPoint& h : Handles()) Sink.Handle(h, colour);
}

void TBaseControl::Draw(TDrawingSink& Sink) {
  if (GetShapeKind() == skTwoHandles) Sink.Line({X1, Y1}, {X2, Y2}, GetHandleColour());
  DrawHandles(Sink);
}

}  // namespace plashbox
