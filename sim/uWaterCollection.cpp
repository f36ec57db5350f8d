#include "sim/uWaterCollection.h"

#include "objects/uBaseRefractiveIndexMap.h"
#include "xmlworker/XMLFormat.h"

namespace plashbox {

void TWaterCollection::DeclareProperties(TPropertyBuilder<TWaterCollection>& P) {
  const auto side = [](const char* Name, int32_t V) {
    if (V != 0 && (V < MinTankSide || V > MaxTankSide)) RefuseValue(Name, V, "0 (none) or 12 to 8192 cells");
    return V;
  };
  P.Integer("ActiveID", &TWaterCollection::ActiveID)
      .Single("Version", &TWaterCollection::GetVersion, &TWaterCollection::SetVersion)
      .Integer("TankWidth", &TWaterCollection::TankWidth,
               [side](TWaterCollection& C, int32_t V) { C.AskedWidth = side("TankWidth", V); })
      .LeftByUndo()
      .Integer("TankHeight", &TWaterCollection::TankHeight,
               [side](TWaterCollection& C, int32_t V) { C.AskedHeight = side("TankHeight", V); })
      .LeftByUndo();
}

PLASHBOX_DEFINE_NODE_CLASS(TWaterCollection, TXMLNode, &DeclareProperties)

void TWaterCollection::SetGridSize(int32_t W, int32_t H) {
  CollectionWidth = W;
  CollectionHeight = H;
  // Only the slide on show gets cells: a file of many slides costs the memory of one.
  const TWater* shown = ActiveWater();
  for (TWater* water : ChildrenOf<TWater>(*this)) {
    if (water != shown) water->Sleep();
    water->SetGridSize(W, H);
  }
}

int32_t TWaterCollection::add(iXMLNode* Node) {
  const int32_t index = TXMLNode::add(Node);
  if (index < 0) return index;
  if (auto* water = NodeAs<TWater>(Node)) water->SetGridSize(CollectionWidth, CollectionHeight);
  return index;
}

TWater* TWaterCollection::ActiveWater() { return nullptr; }
int32_t TWaterCollection::SlideCount() { throw EAbstractError(); }
void TWaterCollection::GetSlideName(int32_t, std::string&) { throw EAbstractError(); }
void TWaterCollection::GetSlideDescription(int32_t, std::string&) { throw EAbstractError(); }
int32_t TWaterCollection::GetSlideID(int32_t) { throw EAbstractError(); }
void TWaterCollection::DrawSlidePreview(int32_t, TFastDIB&) { throw EAbstractError(); }

PLASHBOX_DEFINE_NODE_CLASS(TSlideshow, TWaterCollection)

TWater* TSlideshow::Slide(int32_t Index) {
  if (Index < 0 || Index >= GetChildCount()) return nullptr;
  return NodeAs<TWater>(GetChildren(Index));
}

TWater* TSlideshow::ActiveWater() {
  TWater* found = nullptr;  // the last match wins
  for (TWater* water : ChildrenOf<TWater>(*this))
    if (water->UniqueID() == ActiveID) found = water;
  if (found) found->Wake();  // the slide on show always has its cells
  return found;
}

int32_t TSlideshow::SlideCount() { return GetChildCount(); }

void TSlideshow::GetSlideName(int32_t Index, std::string& Text) {
  Text.clear();
  if (TWater* water = Slide(Index)) Text = water->GetName();
}

void TSlideshow::GetSlideDescription(int32_t Index, std::string& Text) {
  Text.clear();
  if (TWater* water = Slide(Index)) Text = water->GetDescription();
}

int32_t TSlideshow::GetSlideID(int32_t Index) {
  TWater* water = Slide(Index);
  return water ? water->UniqueID() : 0;
}

void TSlideshow::DrawSlidePreview(int32_t Index, TFastDIB& Surface) {
  TWater* water = Slide(Index);
  if (!water) return;
  // A dormant slide is woken for its picture (its medium, no waves) and goes back to sleep.
  const bool wasAwake = water->IsAwake();
  water->Wake();
  water->RenderGrid(Surface);
  if (!wasAwake) water->Sleep();
}

}  // namespace plashbox
