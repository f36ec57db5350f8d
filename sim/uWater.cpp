#include "sim/uWater.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "objects/UniqueIDs.h"
#include "xmlworker/XMLFormat.h"
#include "objects/uBaseExciter.h"
#include "objects/uBaseRefractiveIndexMap.h"
#include "objects/uBaseTool.h"
#include "objects/MediumRegion.h"
#include "objects/SurfaceDrawing.h"
#include "sim/WaterStepKernels.h"
#include "sim/WaterSweep.h"
#include "sim/WorkerPool.h"
#include "text/TextCatalogue.h"

namespace plashbox {

namespace {
const TEnumType& ColourSchemeType() {
  static const TEnumType type{"TColourScheme",
                              {std::begin(ColourSchemeIdentifiers), std::end(ColourSchemeIdentifiers)}};
  return type;
}
}  // namespace

void TWater::DeclareProperties(TPropertyBuilder<TWater>& P) {
  P.Single("Exposure", &TWater::FExposure,
           [](TWater& W, float V) {
             if (!(V >= MinExposure && V <= MaxExposure)) RefuseValue("Exposure", V, "0.01 to 100");
             W.FExposure = V;
           })
      .Integer("UniqueID", &TWater::UniqueID, &TWater::SetUniqueID)
      .String("Name", &TWater::GetName, &TWater::SetName)
      .String("Description", &TWater::GetDescription, &TWater::SetDescription)
      .Boolean("IntensityView", &TWater::FIntensityView, &TWater::FIntensityView, false)
      .Integer("AveragingPeriods", &TWater::FAveragingPeriods, &TWater::SetAveragingPeriods, DefaultAveragingPeriods)
      .Enumeration("ColourScheme", ColourSchemeType(), &TWater::FColourScheme, &TWater::FColourScheme, csGrey);
}

void TWater::SetAveragingPeriods(int32_t Value) {
  if (Value < MinAveragingPeriods || Value > MaxAveragingPeriods)
    RefuseValue("AveragingPeriods", float(Value), "1 to 50");
  FAveragingPeriods = Value;
}

PLASHBOX_DEFINE_NODE_CLASS(TWater, TXMLNode, &DeclareProperties)

TWater::TWater() : FBandColumns(detail::DefaultBandColumns), Sweep(std::make_unique<detail::TWaterSweep>()) {}

TWater::~TWater() = default;

detail::TSweepLayout TWater::SweepLayout() const { return detail::TSweepLayout{FThreads, FBandColumns}; }

void TWater::Initialise() {
  TXMLNode::Initialise();
  SetGridSize(0, 0);
  FExposure = 2.55f;
  FIntensityView = false;
  FAveragingPeriods = DefaultAveragingPeriods;
  FColourScheme = csGrey;
  RenewUniqueIDs();
}

void TWater::RenewUniqueIDs() {
  FUniqueID = NewUniqueID();
  for (TBaseWaterObject* object : ChildrenOf<TBaseWaterObject>(*this)) object->UniqueID = NewUniqueID();
}

TBaseRIMap* TWater::GetRIMap() { return SelectedOrLastChild<TBaseRIMap>(*this); }

bool TWater::StartDrip(int32_t X, int32_t Y, bool Lift) {
  ClampPointer(X, Y);
  EndDrip();
  Grabbed = false;
  for (TBaseControl* control : ChildrenOf<TBaseControl>(*this)) control->ActiveTool = false;
  TBaseExciter* source = GetExciter();
  if (!source) return false;
  DripActive = true;
  MouseTarget = source;
  source->HoldDrip(X, Y, Lift);
  return true;
}

void TWater::MoveDrip(int32_t X, int32_t Y) {
  ClampPointer(X, Y);
  if (auto* source = DripActive ? dynamic_cast<TBaseExciter*>(MouseTarget) : nullptr)
    source->HoldDrip(X, Y, source->DripLifts());
}

void TWater::EndDrip() {
  if (!DripActive) return;
  if (auto* source = dynamic_cast<TBaseExciter*>(MouseTarget)) source->ReleaseDrip();
  DripActive = false;
  MouseTarget = nullptr;
}

namespace {
bool IsActiveTool(TBaseWaterObject* Object) {
  auto* tool = dynamic_cast<TBaseTool*>(Object);
  return tool && tool->ActiveTool;
}
}  // namespace

void TWater::ClampPointer(int32_t& X, int32_t& Y) const {
  X = std::clamp(X, -Width, 2 * Width);
  Y = std::clamp(Y, -Height, 2 * Height);
}

void TWater::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  ClampPointer(X, Y);
  Grabbed = false;
  EndDrip();
  // Selected tools are offered the press first, then the other tools (small markers that sit
  // on top of a block or a wall), then every other object, until one takes it.
  const auto rank = [](TBaseWaterObject* Object) { return IsActiveTool(Object) ? 0 : dynamic_cast<TBaseTool*>(Object) ? 1 : 2; };
  for (const int pass : {0, 1, 2})
    for (TBaseWaterObject* object : ChildrenOf<TBaseWaterObject>(*this)) {
      if (Grabbed) break;
      if (rank(object) != pass) continue;
      MouseTarget = object;
      object->MouseDown(Button, Shift, X, Y, Grabbed);
    }
  if (Grabbed) return;
  // A click inside a slower region that nothing took selects the map on top there.
  const std::optional<TWaterCell> cell = CellAt(X, Y);
  if (cell && cell->SpeedFactor < OpenWaterSpeedFactor)
    if (TBaseRIControlRIMapper* map = MapCovering(X, GridRow(Height, Y))) map->Activate();
}

TBaseRIControlRIMapper* TWater::MapCovering(int32_t x, int32_t y) {
  TBaseRIControlRIMapper* top = nullptr;
  for (TBaseRIControlRIMapper* map : ChildrenOf<TBaseRIControlRIMapper>(*this))
    if (map->CoversCell(x, y)) top = map;
  return top;
}

void TWater::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  ClampPointer(X, Y);
  if (Grabbed) {
    if (MouseTarget) MouseTarget->MouseMove(Shift, X, Y);
    return;
  }
  if (DripActive) return MoveDrip(X, Y);
  // Nothing holds the pointer: every object may follow the hovering pointer.
  for (const bool toolsPass : {true, false})
    for (TBaseWaterObject* object : ChildrenOf<TBaseWaterObject>(*this)) {
      if (IsActiveTool(object) != toolsPass) continue;
      MouseTarget = object;
      object->MouseMove(Shift, X, Y);
    }
}

void TWater::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  ClampPointer(X, Y);
  if (Grabbed && MouseTarget) MouseTarget->MouseUp(Button, Shift, X, Y);
  EndDrip();
  MouseTarget = nullptr;
  Grabbed = false;
}

void TWater::SetGridSize(int32_t W, int32_t H) {
  Width = std::max(W, 0);
  Height = std::max(H, 0);
  if (Awake) {
    Grid = std::make_shared<TWaterGrid>(Width, Height);
    ResetMedium(*Grid);
  } else {
    Grid = nullptr;
  }
  IntensityField.clear();
  AttachObjects();
}

void TWater::Wake() {
  if (Awake) return;
  Awake = true;
  SetGridSize(Width, Height);
}

void TWater::Sleep() {
  if (!Awake) return;
  Awake = false;
  MouseTarget = nullptr;
  Grabbed = DripActive = false;
  SetGridSize(Width, Height);
}

void TWater::SetUniqueID(int32_t Value) {
  const int32_t old = FUniqueID;
  FUniqueID = Value;
  if (auto* follower = dynamic_cast<iWaterIDFollower*>(GetParentNode() ? GetParentNode()->AsObject() : nullptr))
    follower->WaterIDChanged(old, Value);
}

void TWater::SimulateStep() {
  TBaseExciter* source = GetExciter();
  StepCells(nullptr);
  StepObjects(source, true);
}

void TWater::StepAndRender(TFastDIB& Surface) {
  TBaseExciter* source = GetExciter();
  StepCells(&Surface);
  StepObjects(source, false);
  DrawObjects(Surface, true);
}

void TWater::Render(TFastDIB& Surface) {
  RenderGrid(Surface);
  DrawObjects(Surface, false);
}

void TWater::StepCells(TFastDIB* Surface) {
  if (!Grid) return;
  FollowIntensityWanted();
  // The colouring rides along only on a surface of the grid's own size; on any other the
  // picture is coloured afterwards over the part both share, which gives the same pixels.
  const bool fused =
      Surface && Surface->BitsPerPixel() == 24 && Surface->Width() == Width && Surface->AbsHeight() == Height;
  const detail::TColouring colouring = detail::MakeColouring(FExposure);
  Sweep->Step(*Grid, fused ? &colouring : nullptr, fused ? Surface->Rows24() : nullptr, SweepLayout(),
             detail::BestStepKernels(), PictureExtras(true));
  if (Surface && !fused) RenderGrid(*Surface);
}

void TWater::RenderGrid(TFastDIB& Surface) {
  if (!Grid || Surface.BitsPerPixel() != 24) return;
  FollowIntensityWanted();
  // Never past the grid nor the surface, whichever is smaller.
  const int32_t W = std::min(Width, Surface.Width()), H = std::min(Height, Surface.AbsHeight());
  Sweep->Colour(*Grid, W, H, detail::MakeColouring(FExposure), Surface.Rows24(), SweepLayout(),
                detail::BestStepKernels(), PictureExtras(false));
}

void TWater::FollowIntensityWanted() {
  bool wanted = FIntensityView;
  for (TBaseTool* tool : ChildrenOf<TBaseTool>(*this)) wanted = wanted || tool->UsesIntensity();
  if (!wanted) {
    if (!IntensityField.empty()) std::vector<float>().swap(IntensityField);
  } else if (IntensityField.empty()) {
    IntensityField.assign(size_t(Width) * size_t(Height), 0.0f);
  }
}

double TWater::IntensityTimeConstant() {
  const TBaseExciter* source = GetExciter();
  const double period = source ? double(source->Period) : 0.0;
  return std::max(1.0, double(FAveragingPeriods) * period);
}

detail::TSweepExtras TWater::PictureExtras(bool Stepping) {
  // A step updates the mean it keeps; a picture alone only reads it, when it shows it.
  detail::TSweepExtras extras;
  const bool kept = !IntensityField.empty();
  extras.ShowIntensity = kept && FIntensityView;
  if (kept && (Stepping || extras.ShowIntensity)) extras.Intensity = IntensityField.data();
  if (kept && Stepping) extras.IntensityRate = 1.0 / IntensityTimeConstant();
  extras.Table = extras.ShowIntensity ? detail::IntensityTable() : detail::SchemeTable(FColourScheme);
  return extras;
}

void TWater::SetThreads(int32_t Count) {
  FThreads = std::clamp(Count, 1, MaxThreads);
  SharedWorkerPool().Reserve(FThreads - 1);
}

void TWater::SetBandColumns(int32_t Columns) { FBandColumns = std::clamp(Columns, 1, detail::MaxBandColumns); }

void TWater::DrawObjects(TFastDIB& Surface, bool Sample) {
  TSurfaceDrawing sink(Surface, Height);
  DrawObjects(sink, Sample);
}

void TWater::DrawObjects(TDrawingSink& Sink, bool Sample) {
  for (TBaseWaterObject* object : ChildrenOf<TBaseWaterObject>(*this)) {
    auto* tool = dynamic_cast<TBaseTool*>(object);
    if (tool && tool->ActiveTool) continue;  // selected tools come last, on top
    if (tool && Sample) tool->SampleWater();
    object->Draw(Sink);
  }
  for (TBaseTool* tool : ChildrenOf<TBaseTool>(*this)) {
    if (!tool->ActiveTool) continue;
    if (Sample) tool->SampleWater();
    tool->Draw(Sink);
  }
}

void TWater::StepObjects(TBaseExciter* Source, bool SampleTools) {
  if (Source) Source->Step();
  if (!SampleTools) return;
  for (TBaseTool* tool : ChildrenOf<TBaseTool>(*this)) tool->SampleWater();
}

void TWater::AttachObjects() {
  for (TBaseWaterObject* object : ChildrenOf<TBaseWaterObject>(*this)) object->AttachGrid(Grid, Width, Height);
  ComposeMedium();
}

void TWater::RestartObjects() {
  for (TBaseWaterObject* object : ChildrenOf<TBaseWaterObject>(*this)) object->Restart();
}

TBaseExciter* TWater::GetExciter() {
  TBaseExciter* found = LastChildOf<TBaseExciter>(*this);
  if (found) return found;
  const TNodeClass* cls = GetExciterClass(0);
  const XMLNodeRef made = cls ? cls->Create() : nullptr;
  found = NodeAs<TBaseExciter>(made);
  if (found) add(made.get());  // the water's child list keeps it alive
  return found;
}

int32_t TWater::add(iXMLNode* Node) {
  const int32_t index = TXMLNode::add(Node);
  if (index < 0) return index;
  if (auto* object = NodeAs<TBaseWaterObject>(Node)) object->AttachGrid(Grid, Width, Height);
  if (auto* control = NodeAs<TBaseControl>(Node)) {
    if (dynamic_cast<TBaseExciter*>(control))
      control->ActiveTool = false;
    else
      control->Activate();  // it becomes the only selected object
  }
  if (auto* object = NodeAs<TBaseWaterObject>(Node)) object->ApplyToWater();
  return index;
}

void TWater::ComposeMedium() {
  if (!Grid) return;
  plashbox::ResetMedium(*Grid);
  for (TBaseWaterObject* object : ChildrenOf<TBaseWaterObject>(*this))
    if (auto* region = dynamic_cast<TMediumRegion*>(object)) WriteRegion(*Grid, *region);
}

void TWater::Remove(iXMLNode* Node) {
  if (MouseTarget && NodeAs<TBaseWaterObject>(Node) == MouseTarget) {
    MouseTarget = nullptr;
    Grabbed = DripActive = false;
  }
  const bool medium = dynamic_cast<TMediumRegion*>(NodeAs<TBaseWaterObject>(Node)) != nullptr;
  TXMLNode::Remove(Node);
  if (medium) ComposeMedium();
}

void TWater::ClearWaves() {
  if (!Grid) return RestartObjects();
  TWaterGrid& cells = *Grid;
  for (int32_t x = 0; x < Width; ++x) {
    std::fill_n(cells[x].Displacement, Height, 0.0f);
    std::fill_n(cells[x].Velocity, Height, 0.0f);
  }
  std::fill(IntensityField.begin(), IntensityField.end(), 0.0f);
  RestartObjects();
}

std::optional<TWaterCell> TWater::CellAt(int32_t X, int32_t Y) const {
  const int32_t y = GridRow(Height, Y);
  if (!Grid || X < 0 || X >= Width || y < 0 || y >= Height) return std::nullopt;
  return std::as_const(*Grid)[X][y];
}

float TWater::IntensityAt(int32_t x, int32_t y) const {
  if (IntensityField.empty() || x < 0 || x >= Width || y < 0 || y >= Height) return 0;
  return IntensityField[size_t(x) * size_t(Height) + size_t(y)];
}

float TWater::DisplacementAt(int32_t X, int32_t Y) const {
  const std::optional<TWaterCell> c = CellAt(X, Y);
  return c ? c->Displacement : 0.0f;
}

float TWater::SpeedFactorAt(int32_t X, int32_t Y) const {
  const std::optional<TWaterCell> c = CellAt(X, Y);
  return c ? c->SpeedFactor : 0.0f;
}

int64_t TWater::MemoryUsage() const {
  // A grid without columns holds no cells, whatever its nominal height.
  if (!Grid || Width == 0) return 0;
  return int64_t(Width) * Height * int64_t(sizeof(TWaterCell));
}

std::string TWater::GetName() const {
  if (!NameText.empty()) return NameText;
  if (TBaseRIMap* map = LastChildOf<TBaseRIMap>(const_cast<TWater&>(*this))) return map->GetTypeName();
  NameText = TextOf("slide.empty.name");
  return NameText;
}

void TWater::SetName(const std::string& Value) {
  if (!NameText.empty() || Value != GetName()) NameText = Value;
}

std::string TWater::GetDescription() const {
  if (!DescriptionText.empty()) return DescriptionText;
  if (TBaseRIMap* map = LastChildOf<TBaseRIMap>(const_cast<TWater&>(*this))) return map->GetDescription();
  DescriptionText = TextOf("slide.empty.description");
  return DescriptionText;
}

void TWater::SetDescription(const std::string& Value) {
  if (!DescriptionText.empty() || Value != GetDescription()) DescriptionText = Value;
}

}  // namespace plashbox
