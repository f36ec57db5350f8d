#include "objects/uWaterBaseClasses.h"

#include <algorithm>
#include <map>

#include "grid/Rounding.h"
#include "objects/MediumRegion.h"
#include "objects/UniqueIDs.h"
#include "text/TextCatalogue.h"

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

void TBaseWaterObject::RecomposeMedium() {
  if (!HasGrid()) return;
  const XMLNodeRef parent = GetParentNode();
  if (auto* host = parent ? dynamic_cast<TMediumHost*>(parent->AsObject()) : nullptr) {
    host->ComposeMedium();
    return;
  }
  ResetMedium();
  if (auto* region = dynamic_cast<TMediumRegion*>(this)) WriteRegion(*Cells, *region);
}
const TIntensityHost* TBaseWaterObject::IntensityHost() {
  const XMLNodeRef parent = GetParentNode();
  return parent ? dynamic_cast<const TIntensityHost*>(parent->AsObject()) : nullptr;
}
void TBaseWaterObject::MouseDown(TMouseButton, TShiftState, int32_t, int32_t, bool& Handled) { Handled = false; }
void TBaseWaterObject::MouseMove(TShiftState, int32_t, int32_t) {}
void TBaseWaterObject::MouseUp(TMouseButton, TShiftState, int32_t, int32_t) {}
void TBaseWaterObject::Draw(TDrawingSink&) {}
void TBaseWaterObject::Restart() {}
std::string TBaseWaterObject::GetTypeName() { return TextOf("object.TBaseWaterObject.name"); }
std::string TBaseWaterObject::GetDescription() { return TextOf("object.TBaseWaterObject.description"); }

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

}  // namespace plashbox
