#include "objects/uWaterBaseClasses.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "grid/ExactMath.h"
#include "grid/Rounding.h"
#include "objects/UniqueIDs.h"
#include "raster/FastDraw.h"

namespace plashbox {

namespace {

std::map<const TNodeClass*, TControlPanelMaker>& PanelMakers() {
  static std::map<const TNodeClass*, TControlPanelMaker> makers;
  return makers;
}

}  // namespace

void RegisterControlPanel(const TNodeClass& Class, TControlPanelMaker Maker) { PanelMakers()[&Class] = Maker; }

void TBaseWaterObject::DeclareProperties(TPropertyBuilder<TBaseWaterObject>& P) {
  P.Integer("UniqueID", &TBaseWaterObject::UniqueID);
}

PLASHBOX_DEFINE_NODE_CLASS(TBaseWaterObject, TXMLNode, &DeclareProperties)

void TBaseWaterObject::Initialise() {
  TXMLNode::Initialise();
  UniqueID = NewUniqueID();
}

int32_t TBaseWaterObject::add(iXMLNode* Node) {
  const int32_t index = TXMLNode::add(Node);
  if (index >= 0)
    if (auto* child = NodeAs<TBaseWaterObject>(Node)) {
      child->AttachGrid(Cells, GridWidth, GridHeight);
      child->UniqueID = NewUniqueID();
    }
  return index;
}

int32_t TBaseWaterObject::NewUniqueID() { return ::plashbox::NewUniqueID(); }

void TBaseWaterObject::AttachGrid(const TCellsRef& NewCells, int32_t W, int32_t H) {
  Cells = NewCells;
  GridWidth = W;
  GridHeight = H;
  GridAttached();
  for (TBaseWaterObject* child : ChildrenOf<TBaseWaterObject>(*this)) child->AttachGrid(NewCells, W, H);
}

void TBaseWaterObject::ResetMedium() {
  if (Cells) plashbox::ResetMedium(*Cells);
}

void TBaseWaterObject::GridAttached() {}
void TBaseWaterObject::ApplyToWater() {}
void TBaseWaterObject::WriteMedium() {}

void TBaseWaterObject::RecomposeMedium() {
  if (!HasGrid()) return;
  const XMLNodeRef parent = GetParentNode();
  if (auto* host = parent ? dynamic_cast<TMediumHost*>(parent->AsObject()) : nullptr) {
    host->ComposeMedium();
    return;
  }
  ResetMedium();
  WriteMedium();
}
const TIntensityHost* TBaseWaterObject::IntensityHost() {
  const XMLNodeRef parent = GetParentNode();
  return parent ? dynamic_cast<const TIntensityHost*>(parent->AsObject()) : nullptr;
}
void TBaseWaterObject::MouseDown(TMouseButton, TShiftState, int32_t, int32_t, bool& Handled) { Handled = false; }
void TBaseWaterObject::MouseMove(TShiftState, int32_t, int32_t) {}
void TBaseWaterObject::MouseUp(TMouseButton, TShiftState, int32_t, int32_t) {}
void TBaseWaterObject::Paint(TFastDIB&) {}
void TBaseWaterObject::Restart() {}
std::string TBaseWaterObject::GetTypeName() { return "Base Water Object"; }
std::string TBaseWaterObject::GetDescription() { return "Need to change this"; }

std::unique_ptr<TControlPanel> TBaseWaterObject::CreateControlPanel() {
  // The nearest class up the chain that has a panel makes it.
  const auto& makers = PanelMakers();
  for (const TNodeClass* c = &ClassType(); c; c = c->Base())
    if (const auto found = makers.find(c); found != makers.end()) return found->second(*this);
  return nullptr;
}

bool TBaseWaterObject::HitTestPoint(int32_t X, int32_t Y, int32_t PX, int32_t PY) {
  // Wide enough that a handle far off the tank cannot overflow the distance.
  const int64_t dx = int64_t(X) - PX, dy = int64_t(Y) - PY;
  return dx * dx + dy * dy < 36;
}

bool TBaseWaterObject::HitTestSegment(int32_t X, int32_t Y, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  if (X < std::min(X1, X2) - 4 || X > std::max(X1, X2) + 4 || Y < std::min(Y1, Y2) - 4 ||
      Y > std::max(Y1, Y2) + 4)
    return false;
  const double DX = double(X2) - X1, DY = double(Y2) - Y1;
  const auto L = static_cast<float>(DX * DX + DY * DY);
  int32_t footX = X1, footY = Y1;
  if (L != 0) {
    const auto t = static_cast<float>((DX * (double(X) - X1) + DY * (double(Y) - Y1)) / L);
    footX = Round(double(t) * DX + X1);
    footY = Round(double(t) * DY + Y1);
  }
  return HitTestPoint(X, Y, footX, footY);
}

bool TBaseWaterObject::HitTestLine(int32_t X, int32_t Y, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                   bool& OnEnd1, bool& OnEnd2, bool& OnLine) {
  OnEnd1 = HitTestPoint(X, Y, X1, Y1);
  OnEnd2 = !OnEnd1 && HitTestPoint(X, Y, X2, Y2);
  OnLine = !OnEnd1 && !OnEnd2 && HitTestSegment(X, Y, X1, Y1, X2, Y2);
  return OnEnd1 || OnEnd2 || OnLine;
}

int32_t TBaseWaterObject::PercentToGridX(float P) const { return Round(double(GridWidth - 11) * P / 100 + 5); }
int32_t TBaseWaterObject::PercentToGridY(float P) const { return Round(double(GridHeight - 11) * P / 100 + 5); }

namespace {
// A position of exactly 0 % reads as one millionth, so that it never reads as "unset".
float PercentOf(int32_t Cell, int32_t Size) {
  const auto p = static_cast<float>(double(Cell * 100 - 500) / double(Size - 11));
  return p == 0 ? 0.000001f : p;
}
}  // namespace

float TBaseWaterObject::GridToPercentX(int32_t X) const { return PercentOf(X, GridWidth); }
float TBaseWaterObject::GridToPercentY(int32_t Y) const { return PercentOf(Y, GridHeight); }

void TBaseWaterObject::ClampToTank(int32_t& X, int32_t& Y, int32_t Margin) const {
  if (X < Margin + 1) X = Margin + 1;
  if (X > GridWidth - Margin - 1) X = GridWidth - Margin - 1;
  if (Y < Margin + 1) Y = Margin + 1;
  if (Y > GridHeight - Margin - 1) Y = GridHeight - Margin - 1;
}

bool TBaseWaterObject::InsideTank(int32_t X, int32_t Y, int32_t Margin) const {
  return Margin <= X && X <= GridWidth - Margin - 1 && Margin <= Y && Y <= GridHeight - Margin - 1;
}

bool TBaseWaterObject::InsidePicture(const TFastDIB& Surface, int32_t Row, int32_t Column) {
  return Row > 0 && Row < Surface.AbsHeight() - 1 && Column > 0 && Column < Surface.Width() - 1;
}

void TBaseWaterObject::FillDisc(TFastDIB& Surface, int32_t X, int32_t y, int32_t R, TPixelColor Colour) const {
  // The pixels of a platform ellipse inscribed in the box (X - R, Y' - R) .. (X + R, Y' + R) with
  // its right and bottom edges exclusive: those whose centres lie within R of the box's centre.
  const int32_t top = ScreenRow(GridHeight, y) - R, left = X - R;
  const double r2 = double(R) * R;
  for (int32_t j = 0; j < 2 * R; ++j) {
    const double dy = j + 0.5 - R;
    // Screen rows count from the top; the surface stores a bottom-up picture upside down.
    const int32_t row = Surface.Height() > 0 ? Surface.AbsHeight() - 1 - (top + j) : top + j;
    for (int32_t i = 0; i < 2 * R; ++i) {
      const double dx = i + 0.5 - R;
      if (dx * dx + dy * dy <= r2 && InsidePicture(Surface, row, left + i)) Surface.SetPixel(row, left + i, Colour);
    }
  }
}

namespace {
constexpr TPixelColor HandleOutline{230, 236, 240};
}  // namespace

void TBaseWaterObject::DrawHandle(TFastDIB& Surface, int32_t X, int32_t y, TPixelColor Colour) const {
  const auto light = [](uint8_t c) { return uint8_t(std::min(255, Round(c + (255 - c) * 0.3))); };
  const auto dark = [](uint8_t c) { return uint8_t(std::max(0, Round(c * 0.8))); };
  const TPixelColor lightColour{light(Colour.Blue), light(Colour.Green), light(Colour.Red)};
  const TPixelColor darkColour{dark(Colour.Blue), dark(Colour.Green), dark(Colour.Red)};
  const int32_t Y = ScreenRow(GridHeight, y);
  // A light ring first, so that a handle stands out on any medium, the darkest block included.
  FillDisc(Surface, X, y, 5, HandleOutline);
  FillDisc(Surface, X, y, 4, Colour);
  SmoothLine(Surface, X - 2, Y - 1, X - 1, Y - 2, lightColour);
  SmoothLine(Surface, X + 3, Y, X, Y + 3, darkColour);
  Surface.SetPixel(y - 2, X + 2, darkColour);
  Surface.SetPixel(y + 1, X + 3, darkColour);
  Surface.SetPixel(y - 3, X - 1, darkColour);
}

void TBaseWaterObject::DrawArrowHead(TFastDIB& Surface, int32_t X1, int32_t y1, int32_t X2, int32_t y2,
                                     int32_t Size, TPixelColor Colour) const {
  const double DX = X2 - X1, DY = y1 - y2;  // screen direction from the tip towards point 2
  const double D = exact::Sqrt(DX * DX + DY * DY);
  if (D == 0) return;
  const double ux = DX / D, uy = DY / D;
  const int32_t Y1 = ScreenRow(GridHeight, y1);
  SmoothLine(Surface, X1, Y1, Round(X1 + 1.2 * Size * ux + 0.8 * Size * uy),
             Round(Y1 + 1.2 * Size * uy - 0.8 * Size * ux), Colour);
  SmoothLine(Surface, X1, Y1, Round(X1 + 1.2 * Size * ux - 0.8 * Size * uy),
             Round(Y1 + 1.2 * Size * uy + 0.8 * Size * ux), Colour);
}

void TBaseWaterObject::DrawDoubleArrow(TFastDIB& Surface, int32_t X1, int32_t y1, int32_t X2, int32_t y2,
                                       int32_t Size, TPixelColor Colour) const {
  DrawArrowHead(Surface, X1, y1, X2, y2, Size, Colour);
  DrawArrowHead(Surface, X2, y2, X1, y1, Size, Colour);
  SmoothLine(Surface, X1, ScreenRow(GridHeight, y1), X2, ScreenRow(GridHeight, y2), Colour);
}

}  // namespace plashbox
