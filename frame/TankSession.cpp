#include "frame/TankSession.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <tuple>

#include "frame/SceneFiles.h"
#include "objects/uBarrier.h"
#include "objects/uBaseExciter.h"
#include "objects/uBaseRefractiveIndexMap.h"
#include "objects/uIntensityScreen.h"
#include "objects/uProbe.h"
#include "raster/FastDraw.h"
#include "sim/WorkerPool.h"
#include "text/TextCatalogue.h"
#include "xmlworker/XMLFormat.h"

namespace plashbox {

std::string FormatReadout(const char* Format, double Value) {
  char text[64];
  std::snprintf(text, sizeof text, Format, Value);
  return text;
}

std::string Caption(const TDisplayShape& Shape) {
  return FormattedText(Shape.CaptionKey,
                       {{"width", std::to_string(Shape.Width)}, {"height", std::to_string(Shape.Height)}});
}

std::string Caption(const TSimulationSpeed& Speed) { return TextOf(Speed.CaptionKey); }

TNameValueRows::TNameValueRows() {
  for (const char* key : {"debug.draw_rate", "debug.cpu_usage", "debug.displacement", "debug.speed", "debug.index"})
    Entries.emplace_back(TextOf(key), "-");
}

void TNameValueRows::Set(const std::string& Name, const std::string& Value) {
  for (auto& [name, value] : Entries)
    if (SameText(name, Name)) {
      value = Value;
      return;
    }
  Entries.emplace_back(Name, Value);
}

const std::string* TNameValueRows::Find(const std::string& Name) const {
  for (const auto& [name, value] : Entries)
    if (SameText(name, Name)) return &value;
  return nullptr;
}

TTankSession::TTankSession(iMillisecondClock& Clock)
    : Clock(Clock), History(NewNode<TSceneHistory>()), ThreadCount(HardwareThreads()) {}

void TTankSession::SetThreads(int32_t Count) { ThreadCount = std::clamp(Count, 1, MaxThreads); }

void TTankSession::Create() {
  CreateScene();
  Tick();
}

void TTankSession::CreateScene() {
  CreateScene(NewNode<TSlideshow>());
  BuildScene();
}

void TTankSession::CreateScene(TRef<TWaterCollection> Collection) {
  // A scene made afresh starts a fresh history.
  OpenEdit.reset();
  History->Forget();
  InstallScene(Collection);
}

void TTankSession::InstallScene(const TRef<TWaterCollection>& Collection) {
  if (Slideshow) History->Remove(Slideshow.get());
  Slideshow = Collection;
  History->add(Slideshow.get());
  const int32_t w = Slideshow->TankWidth(), h = Slideshow->TankHeight();
  if (AdoptSceneSize && w >= MinTankSide && h >= MinTankSide && w <= MaxTankSide && h <= MaxTankSide)
    PlaceTank(w, h);
  Slideshow->SetGridSize(BoxRect.Width, BoxRect.Height);
  StartFrames();
}

void TTankSession::StartFrames() {
  PrepareSurface();
  TickCount = 0;
  LastReportTime = Clock.Now();
  Hold = false;
}

void TTankSession::SetPaintAreaSize(int32_t Width, int32_t Height) { PlaceTank(Width, Height); }

void TTankSession::BuildScene() {
  const TRef<TWater> water = NewNode<TWater>();
  if (RIMapClassCount() < 1) throw std::runtime_error("RIMapList is empty!?!?");
  water->add(GetRIMapClass(0)->Create().get());
  if (ExciterClassCount() != 1) throw std::runtime_error("ExciterList is assumed to contain one and only one type");
  water->add(GetExciterClass(0)->Create().get());
  Slideshow->add(water.get());
  Slideshow->ActiveID = water->UniqueID();
}

void TTankSession::PrepareSurface() {
  Surface.SetUsePlatformBitmap(true);
  Surface.SetSize(BoxRect.Width, BoxRect.Height, 24);
}

TWater* TTankSession::ActiveWater() { return Slideshow ? Slideshow->ActiveWater() : nullptr; }

bool TTankSession::OnlyRender(TWater& Water) {
  if (Hold) return true;
  if (!MouseIsDown || !Water.IsGrabbed()) return false;
  // Dragging the block freezes the waves under it; dragging the source does not, unless the
  // map asks for it.
  TBaseWaterObject* target = Water.GetMouseTarget();
  if (dynamic_cast<TBaseRIMap*>(target)) return true;
  TBaseRIMap* map = Water.GetRIMap();
  return dynamic_cast<TBaseExciter*>(target) && map && !map->SimulateWhileSourceDragged();
}

void TTankSession::Tick() {
  const uint32_t t0 = Clock.Now();
  TWater* water = ActiveWater();
  if (Present) Present(Surface);
  if (water) {
    // Set on whichever water is shown: a slideshow's slides and opened scenes all follow it.
    water->SetThreads(ThreadCount);
    const TSimulationSpeed& speed = SimulationSpeeds[SpeedIndex];
    if (OnlyRender(*water) || SlowPhase++ % speed.TicksPerStep != 0)
      water->Render(Surface);
    else
      StepWater(*water, speed.StepsPerTick + (FastForward ? 2 : 0));
  } else {
    const TPixelColor white{255, 255, 255}, grey{200, 200, 200};
    GradientRect(Surface, 1, 1, Surface.Width() - 1, Surface.AbsHeight() - 1, white, white, grey, white);
  }
  ++TickCount;
  ++TotalTicks;
  const uint32_t t1 = Clock.Now();
  BusyTime += t1 - t0;
  if (t1 - LastReportTime > 500) Report(t1);
}

void TTankSession::StepWater(TWater& Water, int32_t Steps) {
  for (int32_t i = 1; i < Steps; ++i) Water.SimulateStep();
  Water.StepAndRender(Surface);
  StepCount += Steps;
  TotalSteps += Steps;
}

bool TTankSession::SingleStep() {
  TWater* water = ActiveWater();
  if (!Hold || !water) return false;
  StepWater(*water, 1);
  return true;
}

void TTankSession::SetSpeed(int32_t Index) {
  SpeedIndex = std::clamp(Index, 0, int32_t(std::size(SimulationSpeeds)) - 1);
  SlowPhase = 0;
}

void TTankSession::Report(uint32_t Now) {
  const uint32_t e = Now - LastReportTime;
  const auto r = static_cast<float>(1.0 / e);
  CpuUsage = static_cast<float>(100 * double(r) * BusyTime);
  TimerRate = static_cast<float>(1000 * double(r) * TickCount);
  DrawRate = static_cast<float>(1000 * double(r) * StepCount);
  if (!Hold) StepRate = DrawRate;
  LastReportTime = Now;
  TickCount = 0;
  BusyTime = 0;
  StepCount = 0;
  if (DebugPanelVisible) {
    Rows.Set(TextOf("debug.timer_rate"), FormatReadout("%1.1f", TimerRate));
    Rows.Set(TextOf("debug.draw_rate"), FormatReadout("%1.1f", DrawRate));
    Rows.Set(TextOf("debug.cpu_usage"), FormatReadout("%1.0f%%", CpuUsage));
  }
  if (TWater* water = ActiveWater()) Rows.Set(TextOf("debug.memory_usage"), std::to_string(water->MemoryUsage()));
}

void TTankSession::ChooseDisplayShape(int32_t Tag) {
  if (Tag >= 0 && Tag < int32_t(std::size(DisplayShapes)))
    ChooseTankSize(DisplayShapes[Tag].Width, DisplayShapes[Tag].Height);
  else
    ChooseTankSize(BoxRect.Width, BoxRect.Height);
}

void TTankSession::ChooseTankSize(int32_t Width, int32_t Height) {
  PlaceTank(std::clamp(Width, MinTankSide, MaxTankSide), std::clamp(Height, MinTankSide, MaxTankSide));
  if (Slideshow) Slideshow->SetGridSize(BoxRect.Width, BoxRect.Height);
  PrepareSurface();
}

void TTankSession::PlaceTank(int32_t Width, int32_t Height) {
  BoxRect.Width = Width;
  BoxRect.Height = Height;
  std::tie(ViewRect.Width, ViewRect.Height) = FitView(Width, Height, RoomWidth, RoomHeight);
  const TRect frame = TankFrame();
  ViewRect.Top = frame.Top - (ViewRect.Height - frame.Height) / 2;
  ViewRect.Left = frame.Left - (ViewRect.Width - frame.Width) / 2;
  BoxRect.Left = ViewRect.Left;
  BoxRect.Top = ViewRect.Top;
}

std::pair<int32_t, int32_t> TTankSession::FitView(int32_t Width, int32_t Height, int32_t RoomWidth,
                                                   int32_t RoomHeight) {
  const int64_t w = Width, h = Height;
  int64_t roomW = RoomWidth > 0 ? RoomWidth : w, roomH = RoomHeight > 0 ? RoomHeight : h;
  if (w <= roomW && h <= roomH) return {Width, Height};
  // The side that is shorter of room sets the scale: roomW / w against roomH / h, compared
  // without division.
  if (roomW * h <= roomH * w)
    roomH = roomW * h / w;
  else
    roomW = roomH * w / h;
  return {int32_t(std::max<int64_t>(roomW, 1)), int32_t(std::max<int64_t>(roomH, 1))};
}

void TTankSession::SetViewRoom(int32_t Width, int32_t Height) {
  RoomWidth = Width;
  RoomHeight = Height;
  PlaceTank(BoxRect.Width, BoxRect.Height);
}

std::pair<int32_t, int32_t> TTankSession::ViewToPaintArea(int32_t X, int32_t Y) const {
  // floor((2 V + 1) * Paint / (2 * View)), rounded down also for a position left of the view.
  const auto map = [](int32_t V, int32_t Paint, int32_t View) {
    if (Paint == View) return V;
    const int64_t n = (2 * int64_t(V) + 1) * Paint, d = 2 * int64_t(View);
    return int32_t(n >= 0 ? n / d : -((-n + d - 1) / d));
  };
  return {map(X, BoxRect.Width, ViewRect.Width), map(Y, BoxRect.Height, ViewRect.Height)};
}

void TTankSession::SaveScene(const std::string& FileName) {
  if (Slideshow) plashbox::SaveScene(*Slideshow, FileName);
}

void TTankSession::OpenScene(const std::string& FileName) {
  TRef<TWaterCollection> scene = LoadScene(FileName);
  EndEdit();
  const auto install = [this](const TRef<TWaterCollection>& Collection) { InstallScene(Collection); };
  const std::string name = std::filesystem::path(FileName).filename().string();
  History->Record({NewNode<TSceneSwap>(History.get(), Slideshow, std::move(scene), install,
                                          FormattedText("undo.open", {{"file", name}}))});
  Settle();
}

namespace {

// The word for an object in an edit's name ("block"), by its class: its catalogue key is made
// from the class name, which scene files keep unchanged.
std::string ObjectWords(TBasicXMLNode& Node) {
  if (dynamic_cast<TBaseWaterObject*>(&Node)) return TextOf("object." + Node.ClassName() + ".word");
  return TextOf("undo.scene");
}

// "change wavelength" for one value, "change block" for several of one object. A property's
// words are keyed by its published name, as scene files store it.
std::string DescribeEdit(const std::vector<TNodeChanges>& Changes) {
  if (Changes.size() != 1) return FormattedText("undo.change", {{"what", TextOf("undo.scene")}});
  if (Changes[0].Changes.size() == 1)
    return FormattedText("undo.change", {{"what", TextOf("property." + Changes[0].Changes[0].Property->Name)}});
  return FormattedText("undo.change", {{"what", ObjectWords(*Changes[0].Node)}});
}

}  // namespace

void TTankSession::BeginEdit() {
  if (!OpenEdit) OpenEdit = TSceneSnapshot::Take(*History);
}

void TTankSession::EndEdit(const std::string& Text, bool Merge) {
  if (!OpenEdit) return;
  std::vector<TNodeChanges> changes = Changes(*OpenEdit, TSceneSnapshot::Take(*History));
  OpenEdit.reset();
  if (changes.empty()) return;
  const std::string name = Text.empty() ? DescribeEdit(changes) : Text;
  std::vector<TRef<TSceneEdit>> edits;
  for (TNodeChanges& node : changes) edits.push_back(NewNode<TPropertyEdit>(std::move(node), name));
  History->Record(edits, Merge);
}

bool TTankSession::Undo() { return StepHistory(false); }
bool TTankSession::Redo() { return StepHistory(true); }

bool TTankSession::StepHistory(bool Forward) {
  if (MouseIsDown) return false;
  EndEdit();
  if (!(Forward ? History->CanRedo() : History->CanUndo())) return false;
  Forward ? History->Redo() : History->Undo();
  Settle();
  return true;
}

void TTankSession::Settle() {
  if (Slideshow) {
    TWater* active = Slideshow->ActiveWater();
    for (TWater* water : ChildrenOf<TWater>(*Slideshow))
      if (water != active) water->Sleep();
  }
  if (SceneChanged) SceneChanged();
}

void TTankSession::AddObject(const TRef<TBaseWaterObject>& Object) {
  TWater* water = ActiveWater();
  if (!water || !Object || MouseIsDown) return;
  EndEdit();
  History->Record({NewNode<TObjectEdit>(water, Object.get(), water->GetChildCount(), true,
                                        FormattedText("undo.add", {{"object", ObjectWords(*Object)}}))});
  Settle();
}

TBaseControl* TTankSession::DeletableSelection() {
  TWater* water = ActiveWater();
  if (!water || MouseIsDown) return nullptr;
  TBaseControl* selected = nullptr;
  int32_t sources = 0;
  for (TBaseControl* control : ChildrenOf<TBaseControl>(*water)) {
    if (control->ActiveTool) selected = control;
    if (dynamic_cast<TBaseExciter*>(control)) ++sources;
  }
  if (!selected || dynamic_cast<TBaseRIMap*>(selected)) return nullptr;
  if (dynamic_cast<TBaseExciter*>(selected) && sources < 2) return nullptr;
  return selected;
}

namespace {

// The places, in percent of the tank's width, where the tool bar stands a new upright line (a
// wall, a screen): First, then by turns right and left of it, PlaceStep apart, inside the tank.
constexpr float PlaceStep = 5;
std::vector<float> UprightPlaces(float First) {
  std::vector<float> places{First};
  for (float offset = PlaceStep; offset < 100; offset += PlaceStep)
    for (const float place : {First + offset, First - offset})
      if (place >= PlaceStep && place <= 100 - PlaceStep) places.push_back(place);
  return places;
}

// The first of Places where no T stands (both its ends within half a step of it), so that a new
// one never hides another; with every place taken, the one after the newest T's, so that it
// leaves at least that one in sight.
template <class T>
float FreePlace(TWater& Water, const std::vector<float>& Places) {
  const auto standsAt = [](const T& Object, float Place) {
    return std::abs(Object.GetX1Percent() - Place) < PlaceStep / 2 &&
           std::abs(Object.GetX2Percent() - Place) < PlaceStep / 2;
  };
  for (const float place : Places) {
    bool taken = false;
    for (T* object : ChildrenOf<T>(Water)) taken = taken || standsAt(*object, place);
    if (!taken) return place;
  }
  T* newest = LastChildOf<T>(Water);
  const auto at = std::find_if(Places.begin(), Places.end(), [&](float Place) { return standsAt(*newest, Place); });
  return at == Places.end() || at + 1 == Places.end() ? Places.front() : *(at + 1);
}

}  // namespace

void TTankSession::AddWall() {
  TWater* water = ActiveWater();
  if (!water) return;
  const TRef<TBarrier> wall = NewNode<TBarrier>();
  wall->Slits = 2;
  wall->X1Percent = wall->X2Percent = FreePlace<TBarrier>(*water, UprightPlaces(wall->X1Percent));
  AddObject(wall);
}

void TTankSession::EditActiveWater(const std::string& Text, const std::function<void(TWater&)>& Change) {
  TWater* water = ActiveWater();
  if (!water) return;
  const bool own = !EditOpen();
  if (own) BeginEdit();
  Change(*water);
  if (own) EndEdit(Text);
}

bool TTankSession::IntensityView() {
  const TWater* water = ActiveWater();
  return water && water->IntensityView();
}

void TTankSession::SetIntensityView(bool On) {
  EditActiveWater(On ? TextOf("undo.show_intensity") : TextOf("undo.show_waves"),
                  [On](TWater& W) { W.SetIntensityView(On); });
}

int32_t TTankSession::ColourScheme() {
  const TWater* water = ActiveWater();
  return water ? water->ColourScheme() : csGrey;
}

void TTankSession::SetColourScheme(int32_t Scheme) {
  if (Scheme < 0 || Scheme >= ColourSchemeCount) return;
  EditActiveWater(TextOf("undo.choose_colours"), [Scheme](TWater& W) { W.SetColourScheme(TColourScheme(Scheme)); });
}

bool TTankSession::CanAddProbe() {
  TWater* water = ActiveWater();
  if (!water || MouseIsDown) return false;
  int32_t probes = 0;
  for ([[maybe_unused]] TProbe* probe : ChildrenOf<TProbe>(*water)) ++probes;
  return probes < MaxProbes;
}

bool TTankSession::AddProbe() {
  if (!CanAddProbe()) return false;
  std::array<bool, MaxProbes> taken{};
  for (TProbe* probe : ChildrenOf<TProbe>(*ActiveWater())) taken[size_t(probe->GetColourIndex())] = true;
  const auto free = std::find(taken.begin(), taken.end(), false);
  const int32_t index = int32_t(free - taken.begin());
  const TRef<TProbe> probe = NewNode<TProbe>();
  probe->SetColourIndex(index);
  // Side by side, so a new probe never hides one already there.
  probe->X1Percent = 55 + 10 * float(index);
  AddObject(probe);
  return true;
}

void TTankSession::AddScreen() {
  TWater* water = ActiveWater();
  if (!water) return;
  const TRef<TIntensityScreen> screen = NewNode<TIntensityScreen>();
  screen->X1Percent = screen->X2Percent = FreePlace<TIntensityScreen>(*water, UprightPlaces(screen->X1Percent));
  AddObject(screen);
}

bool TTankSession::ChooseMap(const TNodeClass& Class) {
  TWater* water = ActiveWater();
  auto* old = water ? dynamic_cast<TBaseRIControlRIMapper*>(water->GetRIMap()) : nullptr;
  if (!old || MouseIsDown || &old->ClassType() == &Class || !Class.CanCreate()) return false;
  const TRef<TBaseRIControlRIMapper> made(NodeAs<TBaseRIControlRIMapper>(Class.Create()));
  if (!made) return false;
  made->SetN(old->GetN());
  made->CentreXPercent = old->GetCentreXPercent();
  made->CentreYPercent = old->GetCentreYPercent();
  EndEdit();
  const int32_t place = old->GetPosition();
  const std::string name = FormattedText("undo.choose", {{"object", ObjectWords(*made)}});
  History->Record({NewNode<TObjectEdit>(water, old, place, false, name),
                   NewNode<TObjectEdit>(water, made.get(), place, true, name)});
  Settle();
  return true;
}

bool TTankSession::DeleteSelected() {
  TBaseControl* selected = DeletableSelection();
  if (!selected) return false;
  EndEdit();
  History->Record({NewNode<TObjectEdit>(ActiveWater(), selected, selected->GetPosition(), false,
                                        FormattedText("undo.delete", {{"object", ObjectWords(*selected)}}))});
  Settle();
  return true;
}

int32_t TTankSession::SlideCount() const { return Slideshow ? Slideshow->SlideCount() : 0; }

int32_t TTankSession::SlideIndex() const {
  for (int32_t i = 0; i < SlideCount(); ++i)
    if (Slideshow->GetSlideID(i) == Slideshow->ActiveID) return i;
  return 0;
}

bool TTankSession::ShowSlide(int32_t Index) {
  if (!Slideshow || MouseIsDown || Index < 0 || Index >= SlideCount() || Index == SlideIndex()) return false;
  EndEdit();
  BeginEdit();
  Slideshow->ActiveID = Slideshow->GetSlideID(Index);
  EndEdit(TextOf("undo.choose_experiment"));
  Settle();
  return true;
}

void TTankSession::ClearWaves() {
  if (TWater* water = ActiveWater()) water->ClearWaves();
}

void TTankSession::BoxMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (TWater* water = ActiveWater()) {
    // A drip is not an edit; a drag of an object is one, named after the object.
    if (CurrentTool == TTankTool::Drip) {
      water->StartDrip(X, Y, Button == mbRight);
    } else {
      BeginEdit();
      water->MouseDown(Button, Shift, X, Y);
    }
    TBaseWaterObject* target = water->GetMouseTarget();
    DragText =
        water->IsGrabbed() && target ? FormattedText("undo.move", {{"object", ObjectWords(*target)}}) : std::string();
  }
  MouseIsDown = true;
}

void TTankSession::BoxMouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TWater* water = ActiveWater();
  if (!water) return;
  water->MouseMove(Shift, X, Y);
  if (!DebugPanelVisible || MouseIsDown) return;
  const double speedFactor = water->SpeedFactorAt(X, Y);
  Rows.Set(TextOf("debug.speed"), FormatReadout("%1.2fu/s", std::sqrt(speedFactor) * StepRate));
  Rows.Set(TextOf("debug.displacement"), FormatReadout("%1.2f", water->DisplacementAt(X, Y)));
  Rows.Set(TextOf("debug.index"), speedFactor == 0 ? "-" : FormatReadout("%1.2f", std::sqrt(0.5 / speedFactor)));
}

void TTankSession::BoxMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (TWater* water = ActiveWater()) water->MouseUp(Button, Shift, X, Y);
  MouseIsDown = false;
  EndEdit(DragText);
  DragText.clear();
}

}  // namespace plashbox
