#include "frame/uDemoMainFormCore.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdio>
#include <stdexcept>

#include "frame/SceneFiles.h"
#include "objects/uBaseExciter.h"
#include "objects/uBaseRefractiveIndexMap.h"
#include "raster/FastDraw.h"
#include "sim/WorkerPool.h"
#include "xmlworker/XMLFormat.h"

namespace plashbox {

std::string FormatReadout(const char* Format, double Value) {
  char text[64];
  std::snprintf(text, sizeof text, Format, Value);
  return text;
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

TMainFormCore::TMainFormCore(iMillisecondClock& Clock) : Clock(Clock), ThreadCount(HardwareThreads()) {}

void TMainFormCore::SetThreads(int32_t Count) { ThreadCount = std::clamp(Count, 1, MaxThreads); }

void TMainFormCore::Create() {
  CreateScene();
  Tick();
}

void TMainFormCore::CreateScene() {
  Slideshow = NewNode<TSlideshow>();
  Slideshow->SetGridSize(BoxRect.Width, BoxRect.Height);
  BuildScene();
  StartFrames();
}

void TMainFormCore::CreateScene(TRef<TWaterCollection> Collection) {
  Slideshow = std::move(Collection);
  Slideshow->SetGridSize(BoxRect.Width, BoxRect.Height);
  StartFrames();
}

void TMainFormCore::StartFrames() {
  PrepareSurface();
  TickCount = 0;
  LastReportTime = Clock.Now();
  Hold = false;
}

void TMainFormCore::SetPaintAreaSize(int32_t Width, int32_t Height) {
  BoxRect.Width = Width;
  BoxRect.Height = Height;
}

void TMainFormCore::BuildScene() {
  const TRef<TWater> water = NewNode<TWater>();
  if (RIMapClassCount() < 1) throw std::runtime_error("RIMapList is empty!?!?");
  water->add(GetRIMapClass(0)->Create().get());
  if (ExciterClassCount() != 1) throw std::runtime_error("ExciterList is assumed to contain one and only one type");
  water->add(GetExciterClass(0)->Create().get());
  Slideshow->add(water.get());
  Slideshow->ActiveID = water->UniqueID();
}

void TMainFormCore::PrepareSurface() {
  Surface.SetUsePlatformBitmap(true);
  Surface.SetSize(BoxRect.Width, BoxRect.Height, 24);
}

TWater* TMainFormCore::ActiveWater() { return Slideshow ? Slideshow->ActiveWater() : nullptr; }

bool TMainFormCore::OnlyRender(TWater& Water) {
  if (Hold) return true;
  if (!MouseIsDown || !Water.IsGrabbed()) return false;
  // Dragging the block freezes the waves under it; dragging the source does not, unless the
  // map asks for it.
  TBaseWaterObject* target = Water.GetMouseTarget();
  if (dynamic_cast<TBaseRIMap*>(target)) return true;
  TBaseRIMap* map = Water.GetRIMap();
  return dynamic_cast<TBaseExciter*>(target) && map && !map->SimulateWhileSourceDragged();
}

void TMainFormCore::Tick() {
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

void TMainFormCore::StepWater(TWater& Water, int32_t Steps) {
  for (int32_t i = 1; i < Steps; ++i) Water.SimulateStep();
  Water.StepAndRender(Surface);
  StepCount += Steps;
  TotalSteps += Steps;
}

bool TMainFormCore::SingleStep() {
  TWater* water = ActiveWater();
  if (!Hold || !water) return false;
  StepWater(*water, 1);
  return true;
}

void TMainFormCore::SetSpeed(int32_t Index) {
  SpeedIndex = std::clamp(Index, 0, int32_t(std::size(SimulationSpeeds)) - 1);
  SlowPhase = 0;
}

void TMainFormCore::Report(uint32_t Now) {
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
    Rows.Set("Timer rate", FormatReadout("%1.1f", TimerRate));
    Rows.Set("Draw rate", FormatReadout("%1.1f", DrawRate));
    Rows.Set("CPU usage", FormatReadout("%1.0f%%", CpuUsage));
  }
  if (TWater* water = ActiveWater()) Rows.Set("Memory Usage", std::to_string(water->MemoryUsage()));
}

void TMainFormCore::ChooseDisplayShape(int32_t Tag) {
  if (Tag >= 0 && Tag < int32_t(std::size(DisplayShapes))) {
    BoxRect.Width = DisplayShapes[Tag].Width;
    BoxRect.Height = DisplayShapes[Tag].Height;
  }
  if (Slideshow) Slideshow->SetGridSize(BoxRect.Width, BoxRect.Height);
  PrepareSurface();
  BoxRect.Top = TankBack.Top - (BoxRect.Height - TankBack.Height) / 2;
  BoxRect.Left = TankBack.Left - (BoxRect.Width - TankBack.Width) / 2;
}

void TMainFormCore::SaveScene(const std::string& FileName) {
  if (Slideshow) plashbox::SaveScene(*Slideshow, FileName);
}

void TMainFormCore::OpenScene(const std::string& FileName) {
  TRef<TWaterCollection> scene = LoadScene(FileName);
  CreateScene(std::move(scene));
}

void TMainFormCore::ClearWaves() {
  if (TWater* water = ActiveWater()) water->ClearWaves();
}

void TMainFormCore::BoxMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool DripButtonDown) {
  if (TWater* water = ActiveWater()) {
    water->SetDripMode(DripButtonDown);
    water->MouseDown(Button, Shift, X, Y);
    water->SetDripMode(false);
  }
  MouseIsDown = true;
}

void TMainFormCore::BoxMouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TWater* water = ActiveWater();
  if (!water) return;
  water->MouseMove(Shift, X, Y);
  if (!DebugPanelVisible || MouseIsDown) return;
  const double speedFactor = water->SpeedFactorAt(X, Y);
  Rows.Set("Speed", FormatReadout("%1.2fu/s", std::sqrt(speedFactor) * StepRate));
  Rows.Set("Displacement", FormatReadout("%1.2f", water->DisplacementAt(X, Y)));
  Rows.Set("n", speedFactor == 0 ? "-" : FormatReadout("%1.2f", std::sqrt(0.5 / speedFactor)));
}

void TMainFormCore::BoxMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (TWater* water = ActiveWater()) water->MouseUp(Button, Shift, X, Y);
  MouseIsDown = false;
}

}  // namespace plashbox
