#include "objects/uBlockRIMapper.h"

#include <algorithm>
#include <cmath>

#include "grid/ExactMath.h"
#include "grid/Rounding.h"
#include "text/TextCatalogue.h"
#include "xmlworker/XMLFormat.h"

namespace plashbox {

namespace {

// x per unit of y from one point to another; 0 along a level edge.
float SlopeTowards(TFloatPoint From, TFloatPoint To) {
  return To.Y == From.Y ? 0.0f : static_cast<float>((double(To.X) - From.X) / (double(To.Y) - From.Y));
}

// The corner that Better prefers, ties going to the first in Order.
template <class Better>
TFloatPoint PickCorner(const std::array<TFloatPoint, 4>& K, std::array<int, 4> Order, Better better) {
  TFloatPoint best = K[size_t(Order[0])];
  for (size_t i = 1; i < 4; ++i)
    if (better(K[size_t(Order[i])], best)) best = K[size_t(Order[i])];
  return best;
}

struct TEdge {
  TFloatPoint Start, Target;
  float Slope;
};

}  // namespace

void TBlockRIMapper::DeclareProperties(TPropertyBuilder<TBlockRIMapper>& P) {
  // Set by name, the turn and the size are checked and the block is written again at once, so
  // that a setting and a saved-then-opened scene give the same medium.
  const auto turn = [](const char* Name, float V) {
    if (!(V >= -1 && V <= 1)) RefuseValue(Name, V, "-1 to 1");
    return V;
  };
  P.Single("Cs", &TBlockRIMapper::Cs,
           [turn](TBlockRIMapper& B, float V) {
             B.Cs = turn("Cs", V);
             B.ApplyToWater();
           })
      .Single("Sn", &TBlockRIMapper::Sn,
              [turn](TBlockRIMapper& B, float V) {
                B.Sn = turn("Sn", V);
                B.ApplyToWater();
              })
      .Single("WidthPercentage", &TBlockRIMapper::GetWidthPercentage,
              [](TBlockRIMapper& B, float V) {
                B.SetWidthPercentage(std::clamp(V, 0.0f, 100.0f));
                B.ApplyToWater();
              })
      .Single("HeightPercentage", &TBlockRIMapper::GetHeightPercentage,
              [](TBlockRIMapper& B, float V) {
                B.SetHeightPercentage(std::clamp(V, 0.0f, 100.0f));
                B.ApplyToWater();
              });
}

PLASHBOX_DEFINE_NODE_CLASS(TBlockRIMapper, TBaseRIControlRIMapper, &DeclareProperties)

void TBlockRIMapper::Initialise() {
  TBaseRIControlRIMapper::Initialise();
  WidthPercentage = 40;
  HeightPercentage = 25;
  Cs = 1;
  Sn = 0;
}

std::string TBlockRIMapper::GetTypeName() { return TextOf("object.TBlockRIMapper.name"); }
std::string TBlockRIMapper::GetDescription() { return TextOf("object.TBlockRIMapper.description"); }
TShapeKind TBlockRIMapper::GetShapeKind() { return skOwnHandles; }

void TBlockRIMapper::SetWidthPercentage(float Value) {
  WidthPercentage = Value;
  if (HasGrid()) BlockWidth = PercentToGridX(Value);
}

void TBlockRIMapper::SetHeightPercentage(float Value) {
  HeightPercentage = Value;
  if (HasGrid()) BlockHeight = PercentToGridY(Value);
}

void TBlockRIMapper::GridAttached() {
  // A resize of the scene restores the stored size; the rotation stays.
  BlockHeight = PercentToGridY(HeightPercentage);
  BlockWidth = PercentToGridX(WidthPercentage);
  TBaseRIControlRIMapper::GridAttached();
}

TBlockRIMapper::TTurn TBlockRIMapper::Turn() const {
  const double cs = Cs, sn = Sn, square = cs * cs + sn * sn;
  // A pair off the unit circle (two values set one by one, say) is taken as the direction it
  // points in; none at all is upright. A pair on it is used as it is, to the last bit.
  if (exact::Abs(square - 1) <= 1e-3) return {cs, sn};
  if (square == 0) return {1, 0};
  const double length = exact::Sqrt(square);
  return {cs / length, sn / length};
}

std::array<TFloatPoint, 4> TBlockRIMapper::TurnedCorners() const {
  const auto [cs, sn] = Turn();
  const int32_t a = BlockWidth / 2, b = BlockHeight / 2;
  const std::array<TFloatPoint, 4> local{{{float(-a), float(b)}, {float(-a), float(-b)}, {float(a), float(-b)},
                                          {float(a), float(b)}}};
  std::array<TFloatPoint, 4> turned;
  for (size_t i = 0; i < 4; ++i)
    turned[i] = {static_cast<float>(cs * local[i].X - sn * local[i].Y),
                 static_cast<float>(sn * local[i].X + cs * local[i].Y)};
  return turned;
}

void TBlockRIMapper::UpdateEdgeHandles(const std::array<TFloatPoint, 4>& K) {
  for (size_t i = 0; i < 4; ++i) {
    const TFloatPoint& p = K[i];
    const TFloatPoint& q = K[(i + 1) % 4];
    EdgeHandles[i] = {static_cast<float>((double(p.X) + q.X) / 2 + CentreX),
                      static_cast<float>((double(p.Y) + q.Y) / 2 + CentreY)};
  }
}

void TBlockRIMapper::FillCell(int32_t x, int32_t y, const TCoveredCellVisitor& Visit) const {
  // A block set through its properties may reach past the grid; only cells on it are covered.
  const int32_t cx = CentreX + x, cy = CentreY + y;
  if (cx >= 0 && cx < GridWidth && cy >= 0 && cy < GridHeight) Visit(cx, cy);
}

void TBlockRIMapper::FillUpright(int32_t HalfX, int32_t HalfY, const TCoveredCellVisitor& Visit) const {
  // 2a x 2b cells: with an odd size the last cell is dropped, half a cell off towards -x, -y.
  for (int32_t x = -HalfX; x <= HalfX - 1; ++x)
    for (int32_t y = -HalfY; y <= HalfY - 1; ++y) FillCell(x, y, Visit);
}

void TBlockRIMapper::FillTurned(const std::array<TFloatPoint, 4>& K, const TCoveredCellVisitor& Visit) const {
  const auto lower = [](TFloatPoint p, TFloatPoint q) { return p.Y < q.Y; };
  const auto higher = [](TFloatPoint p, TFloatPoint q) { return p.Y > q.Y; };
  const TFloatPoint bottom = PickCorner(K, {0, 1, 2, 3}, lower);
  const TFloatPoint top = PickCorner(K, {1, 2, 3, 0}, higher);
  const TFloatPoint right = PickCorner(K, {2, 3, 0, 1}, [](TFloatPoint p, TFloatPoint q) { return p.X > q.X; });
  const TFloatPoint left = PickCorner(K, {3, 0, 1, 2}, [](TFloatPoint p, TFloatPoint q) { return p.X < q.X; });

  // Two edges climb from the bottom corner; at each corner one of them turns towards the next,
  // in three stages up to the top corner. A row where two stages meet is filled twice.
  TEdge l{bottom, left, SlopeTowards(bottom, left)};
  TEdge r{bottom, right, SlopeTowards(bottom, right)};
  for (int stage = 0; stage < 3; ++stage) {
    const bool rightFirst = l.Target.Y >= r.Target.Y;
    const auto h = static_cast<float>(rightFirst ? double(r.Target.Y) - r.Start.Y : double(l.Target.Y) - l.Start.Y);
    const int32_t firstRow = Round(l.Start.Y);
    for (int32_t j = 0; j <= Trunc(h); ++j) {
      const int32_t xl = Round(l.Start.X + double(j) * l.Slope);
      const int32_t xr = Round(r.Start.X + double(j) * r.Slope);
      for (int32_t x = xl; x <= xr; ++x) FillCell(x, firstRow + j, Visit);
    }
    TEdge& reached = rightFirst ? r : l;
    TEdge& going = rightFirst ? l : r;
    going.Start = {static_cast<float>(going.Start.X + double(h) * going.Slope),
                   static_cast<float>(double(going.Start.Y) + h)};
    reached.Start = reached.Target;
    reached.Target = top;
    if (stage < 2) reached.Slope = SlopeTowards(reached.Start, top);
  }
}

void TBlockRIMapper::ApplyToWater() { RecomposeMedium(); }

bool TBlockRIMapper::HitTestBody(int32_t X, int32_t y) {
  if (!HasGrid()) return false;
  const auto [cs, sn] = Turn();
  const double dx = double(X) - CentreX, dy = double(y) - CentreY;
  // Turned back into the block's own axes.
  const double u = dx * cs + dy * sn, v = dy * cs - dx * sn;
  return exact::Abs(u) <= BlockWidth / 2 && exact::Abs(v) <= BlockHeight / 2;
}

void TBlockRIMapper::VisitCoveredCells(const TCoveredCellVisitor& Visit) {
  if (!HasGrid()) return;
  PlaceCentre();
  const std::array<TFloatPoint, 4> corners = TurnedCorners();
  UpdateEdgeHandles(corners);
  const int32_t a = BlockWidth / 2, b = BlockHeight / 2;
  // Within about 1.4 degrees of upright (or of a quarter turn) the block is filled exactly.
  const auto [cs, sn] = Turn();
  if (exact::Abs(sn) < 0.025f)
    FillUpright(a, b, Visit);
  else if (exact::Abs(cs) < 0.025f)
    FillUpright(b, a, Visit);
  else
    FillTurned(corners, Visit);
}

bool TBlockRIMapper::FitsInTank() const {
  for (const TFloatPoint& k : TurnedCorners()) {
    const int32_t x = Round(k.X) + CentreX, y = Round(k.Y) + CentreY;
    if (x < 6 || x > GridWidth - 7 || y < 6 || y > GridHeight - 7) return false;
  }
  return true;
}

void TBlockRIMapper::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool& Handled) {
  TBaseRIControlRIMapper::MouseDown(Button, Shift, X, Y, Handled);
  const int32_t handle = HandleUnder(X, GridRow(GridHeight, Y));
  HandleGrabbed = handle >= 0;
  if (HandleGrabbed) GrabbedHandle = handle;
  // A handle wins over the body it lies on; the base has selected the block for the body.
  if (HandleGrabbed) GrabbedBody = false;
  Handled = HandleGrabbed || GrabbedBody;
  if (HandleGrabbed) Select((Shift & ssCtrl) != 0);
}

void TBlockRIMapper::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if (GrabbedBody) return TBaseRIControlRIMapper::MouseMove(Shift, X, Y);
  if (!HandleGrabbed) return;
  // Y is the screen row as delivered: the turn follows the pointer on the screen, about the
  // centre mirrored on the middle row (the middle row itself for a centred block).
  const int32_t dx = X - CentreX, dy = Y - (2 * (GridHeight / 2) - CentreY);
  const auto d = static_cast<float>(exact::Sqrt(double(dx) * dx + double(dy) * dy));
  if (d <= 1) return;
  const float savedCs = Cs, savedSn = Sn;
  const int32_t savedWidth = BlockWidth, savedHeight = BlockHeight;
  const auto ratio = [d](int32_t v) { return static_cast<float>(v / double(d)); };
  switch (GrabbedHandle) {
    case 0:
    case 2:
      Cs = GrabbedHandle == 0 ? ratio(-dx) : ratio(dx);
      Sn = GrabbedHandle == 0 ? ratio(dy) : ratio(-dy);
      BlockWidth = Round(exact::Abs(dx * double(Cs) - dy * double(Sn)) * 2);
      break;
    default:
      Cs = GrabbedHandle == 1 ? ratio(dy) : ratio(-dy);
      Sn = GrabbedHandle == 1 ? ratio(dx) : ratio(-dx);
      BlockHeight = Round(exact::Abs(dx * double(Sn) + dy * double(Cs)) * 2);
      break;
  }
  // Shrink the larger side until the block fits; refuse the move if even that fails.
  while (!FitsInTank() && BlockHeight > 3 && BlockWidth > 3) {
    if (BlockWidth >= BlockHeight)
      --BlockWidth;
    else
      --BlockHeight;
  }
  if (FitsInTank()) {
    ApplyToWater();
  } else {
    Cs = savedCs;
    Sn = savedSn;
    BlockWidth = savedWidth;
    BlockHeight = savedHeight;
  }
}

void TBlockRIMapper::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  HandleGrabbed = false;
  TBaseRIControlRIMapper::MouseUp(Button, Shift, X, Y);
}

std::vector<TGridPoint> TBlockRIMapper::Handles() {
  std::vector<TGridPoint> handles;
  for (const TFloatPoint& h : EdgeHandles) handles.push_back({Round(h.X), Round(h.Y)});
  return handles;
}

}  // namespace plashbox
