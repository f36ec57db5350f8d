// web/: the page's window onto the frame logic. The page owns one TTank, forwards its pointer
// events and panel edits here and shows the picture that every tick leaves in Rgba, an
// ImageData's layout over the module's memory. Nothing here decides anything the window does
// not: the tick, the pointer, the edits, the files and the history are all TTankSession's.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <sstream>
#include <string>
#include <vector>

#include "frame/ClassRegistration.h"
#include "frame/Experiments.h"
#include "frame/KeyBindings.h"
#include "frame/SceneEditing.h"
#include "frame/ToolReadings.h"
#include "frame/ValueText.h"
#include "frame/TankSession.h"
#include "grid/ExactMathDigest.h"
#include "objects/ToolMeasures.h"
#include "objects/UniqueIDs.h"
#include "objects/uBarrier.h"
#include "objects/uBaseRefractiveIndexMap.h"
#include "objects/uGeneralExciter.h"
#include "objects/uIntensityScreen.h"
#include "objects/uProbe.h"
#include "sim/WaterPalettes.h"
#include "sim/uWater.h"
#include "text/TextCatalogue.h"
#include "xmlworker/XMLProperties.h"

namespace plashbox {
namespace {

// The error text the page shows: every failure of the core reaches the page as a message.
template <typename F>
std::string Attempt(F&& Action) {
  try {
    Action();
    return {};
  } catch (const std::exception& e) {
    std::string text = e.what();
    return text.empty() ? std::string("failed") : text;
  }
}

// The surface's picture, top row first, four bytes a pixel (alpha 255): an ImageData's layout.
void CopyRgba(const TFastDIB& Surface, std::vector<uint8_t>& Rgba) {
  const int32_t w = Surface.Width(), h = Surface.AbsHeight();
  Rgba.resize(size_t(w) * size_t(h) * 4);
  uint8_t* out = Rgba.data();
  for (int32_t row = h - 1; row >= 0; --row) {  // the top line of the picture is the last row
    const TPixelColor* line = Surface.Rows24()[row];
    for (int32_t x = 0; x < w; ++x, out += 4) {
      out[0] = line[x].Red;
      out[1] = line[x].Green;
      out[2] = line[x].Blue;
      out[3] = 255;
    }
  }
}

class TTank {
 public:
  // The demonstration scene at Width x Height, objects numbered from Seed, without its first
  // frame: the page ticks next, as the driver does after its settings and events.
  TTank(int32_t Width, int32_t Height, uint32_t Seed) {
    SeedUniqueIDs(Seed);
    RegisterClasses();
    Form.SetPaintAreaSize(Width, Height);
    Form.SetThreads(1);
    Form.SceneChanged = [this] { ++Generation; };
    Form.CreateScene();
  }

  void Tick() {
    Form.Tick();
    CopyPicture();
  }
  // The picture as the last tick drew it, top row first, four bytes a pixel (alpha 255).
  uintptr_t FrameAddress() const { return reinterpret_cast<uintptr_t>(Rgba.data()); }
  int32_t Width() { return Form.GetSurface().Width(); }
  int32_t Height() { return Form.GetSurface().AbsHeight(); }
  // Counts the scene changes after which the page makes its panels anew.
  int32_t SceneGeneration() const { return Generation; }

  TTankTool Tool() const { return Form.Tool(); }
  void SetTool(TTankTool Tool) { Form.SetTool(Tool); }
  void MouseDown(int32_t Button, int32_t X, int32_t Y) { Form.BoxMouseDown(ButtonOf(Button), 0, X, Y); }
  void MouseMove(int32_t X, int32_t Y) { Form.BoxMouseMove(0, X, Y); }
  void MouseUp(int32_t Button, int32_t X, int32_t Y) { Form.BoxMouseUp(ButtonOf(Button), 0, X, Y); }
  bool MouseIsDown() const { return Form.MouseIsDown; }

  // "Class.Prop=Value" on the active water, as the driver's --set; the error, or empty.
  std::string Set(const std::string& Text) {
    return Attempt([&] {
      TWater* water = Form.ActiveWater();
      if (!water) throw TSceneEditError("the scene has no active water");
      ApplySetting(*water, ParsePropertySetting(Text));
    });
  }
  // A panel's edit of the object the panel shows (the selected one of its class, else the last,
  // as in the window): one undo step, joined to the last one when it changes the same values (a
  // slider dragged through its steps is one edit).
  std::string Edit(const std::string& Text, bool Merge) {
    Form.BeginEdit();
    const std::string error = Attempt([&] {
      TWater* water = Form.ActiveWater();
      if (!water) throw TSceneEditError("the scene has no active water");
      ApplySettingToShown(*water, ParsePropertySetting(Text));
    });
    Form.EndEdit({}, Merge);
    return error;
  }
  // The published value of the water (TWater) or of the object of that class a panel shows;
  // empty when the scene has none.
  std::string Get(const std::string& Class, const std::string& Property) {
    TWater* water = Form.ActiveWater();
    const TNodeClass* cls = FindSceneClass(Class);
    if (!water || !cls || !cls->FindProperty(Property)) return {};
    TBasicXMLNode* node = ShownObject(*water, *cls);
    return node ? GetPublishedValue(*node, Property) : std::string();
  }
  bool Has(const std::string& Class) {
    TWater* water = Form.ActiveWater();
    const TNodeClass* cls = FindSceneClass(Class);
    return water && cls && ShownObject(*water, *cls);
  }
  // The moving source's restart button.
  void ResetDoppler() {
    if (TWater* water = Form.ActiveWater())
      for (TGeneralExciter* source : ChildrenOf<TGeneralExciter>(*water)) source->ResetDoppler();
  }

  // The slit width the wall of the panel (the one Get reads) refuses above: a slit as long as
  // the wall would open it all.
  int32_t MaxSlitWidth() {
    TWater* water = Form.ActiveWater();
    auto* wall = water ? static_cast<TBarrier*>(ShownObject(*water, TBarrier::StaticClass())) : nullptr;
    return wall ? wall->MaxSlitWidth() : MaxSlitSize;
  }
  // The map's place in MapChoices, or -1 without a map; choosing one is an edit.
  int32_t MapIndex() {
    TWater* water = Form.ActiveWater();
    const TBaseRIMap* map = water ? water->GetRIMap() : nullptr;
    for (int32_t i = 0; map && i < RIMapClassCount(); ++i)
      if (&map->ClassType() == GetRIMapClass(i)) return i;
    return -1;
  }
  bool ChooseMap(int32_t Index) {
    const TNodeClass* cls = GetRIMapClass(Index);
    return cls && Form.ChooseMap(*cls);
  }
  // Which help page the selected object's panel has, as the window's F1: "source", "index",
  // "probes" or empty.
  std::string SelectedPanel() {
    TWater* water = Form.ActiveWater();
    if (!water) return {};
    for (TBaseTool* tool : ChildrenOf<TBaseTool>(*water))
      if (tool->ActiveTool) return "probes";
    if (TBaseRIMap* map = water->GetRIMap(); map && map->ActiveTool) return "index";
    for (TGeneralExciter* source : ChildrenOf<TGeneralExciter>(*water))
      if (source->ActiveTool) return "source";
    return {};
  }

  void ClearWaves() { Form.ClearWaves(); }
  void ChooseDisplayShape(int32_t Tag) { Form.ChooseDisplayShape(Tag); }
  void ChooseTankSize(int32_t Width, int32_t Height) { Form.ChooseTankSize(Width, Height); }
  bool Paused() const { return Form.Paused(); }
  void SetPaused(bool Value) { Form.SetPaused(Value); }
  bool SingleStep() { return Form.SingleStep(); }
  int32_t Speed() const { return Form.Speed(); }
  void SetSpeed(int32_t Index) { Form.SetSpeed(Index); }

  bool Undo() { return Form.Undo(); }
  bool Redo() { return Form.Redo(); }
  bool CanUndo() const { return Form.CanUndo(); }
  bool CanRedo() const { return Form.CanRedo(); }
  std::string UndoText() const { return Form.UndoText(); }
  std::string RedoText() const { return Form.RedoText(); }
  void AddWall() { Form.AddWall(); }
  bool DeleteSelected() { return Form.DeleteSelected(); }
  bool CanDeleteSelected() { return Form.CanDeleteSelected(); }

  // --- the measuring tools, as the window's probe and screen panels read them ---
  bool AddProbe() { return Form.AddProbe(); }
  bool CanAddProbe() { return Form.CanAddProbe(); }
  void AddScreen() { Form.AddScreen(); }
  // The active water's probes in its child order, each {colour: "#rrggbb", reading, x, y (its
  // paint-area pixel, y downward), selected}, measured at the present speed as the window's
  // panel does; with phase, the line of their phases under them.
  emscripten::val Probes() {
    emscripten::val out = emscripten::val::object(), list = emscripten::val::array();
    TWater* water = Form.ActiveWater();
    const TProbeReport report =
        water ? ReadProbes(*water, StepsPerSecond(SimulationSpeeds[Form.Speed()])) : TProbeReport{};
    for (const TProbeReading& reading : report.Probes) {
      const TProbe& probe = *reading.Probe;
      const TPixelColor c = ProbeColours[probe.GetColourIndex()];
      char colour[8];
      std::snprintf(colour, sizeof colour, "#%02x%02x%02x", unsigned(c.Red), unsigned(c.Green), unsigned(c.Blue));
      emscripten::val entry = emscripten::val::object();
      entry.set("colour", std::string(colour));
      entry.set("reading", ProbeReadingText(reading));
      entry.set("x", probe.X1);
      entry.set("y", ScreenRow(water->GridHeight(), probe.Y1));
      entry.set("selected", probe.ActiveTool);
      list.call<void>("push", entry);
    }
    out.set("probes", list);
    out.set("phase", PhaseText(report));
    return out;
  }
  // Probe Index's last Steps samples (at most those kept), the oldest first: a view of the
  // module's memory, good until the next call.
  emscripten::val ProbeTrace(int32_t Index, int32_t Steps) {
    Samples.assign(size_t(TProbe::TraceLength), 0.0f);
    int32_t n = 0;
    if (TWater* water = Form.ActiveWater())
      for (const TProbe* probe : ChildrenOf<TProbe>(*water))
        if (Index-- == 0) {
          n = probe->CopyTrace(Samples, std::clamp(Steps, 0, TProbe::TraceLength));
          break;
        }
    return emscripten::val(emscripten::typed_memory_view(size_t(n), Samples.data()));
  }
  // The screen the window's panel shows (the selected one, else the last): {reading, maxima
  // (in samples of the profile), selected, handles: [x1, y1, x2, y2] in paint-area pixels}, or
  // null without a screen.
  emscripten::val Screen() {
    TIntensityScreen* screen = ShownScreen();
    if (!screen) return emscripten::val::null();
    emscripten::val out = emscripten::val::object(), maxima = emscripten::val::array();
    out.set("reading", ScreenReadingText(*screen));
    for (const TProfileMaximum& at : screen->ProfileMaxima()) maxima.call<void>("push", at.At);
    out.set("maxima", maxima);
    out.set("selected", screen->ActiveTool);
    const int32_t h = Form.ActiveWater()->GridHeight();
    emscripten::val handles = emscripten::val::array();
    for (const int32_t v : {screen->X1, ScreenRow(h, screen->Y1), screen->X2, ScreenRow(h, screen->Y2)})
      handles.call<void>("push", v);
    out.set("handles", handles);
    return out;
  }
  // That screen's intensity profile from handle 1 to handle 2: a view as ProbeTrace's.
  emscripten::val ScreenProfile() {
    TIntensityScreen* screen = ShownScreen();
    Samples.clear();
    if (screen) Samples.assign(screen->Profile().begin(), screen->Profile().end());
    return emscripten::val(emscripten::typed_memory_view(Samples.size(), Samples.data()));
  }

  int32_t SlideCount() const { return Form.SlideCount(); }
  int32_t SlideIndex() const { return Form.SlideIndex(); }
  bool ShowSlide(int32_t Index) { return Form.ShowSlide(Index); }
  std::string SlideName(int32_t Index) { return SlideText(Index, false); }
  std::string SlideDescription(int32_t Index) { return SlideText(Index, true); }

  // The slideshow as the desktop program saves it.
  std::string SceneXml() {
    std::ostringstream text;
    if (TWaterCollection* show = Form.GetSlideshow()) show->SaveToStream(text, true, 0);
    return text.str();
  }
  // A scene file the page has put in the module's file system; on any error the running scene
  // stays and the error comes back.
  std::string OpenScene(const std::string& FileName) {
    const std::string error = Attempt([&] { Form.OpenScene(FileName); });
    CopyPicture();
    return error;
  }

 private:
  static TMouseButton ButtonOf(int32_t Button) { return Button == 2 ? mbRight : Button == 1 ? mbMiddle : mbLeft; }

  std::string SlideText(int32_t Index, bool Description) {
    std::string text;
    TWaterCollection* show = Form.GetSlideshow();
    if (show && Index >= 0 && Index < show->SlideCount())
      Description ? show->GetSlideDescription(Index, text) : show->GetSlideName(Index, text);
    return text;
  }

  void CopyPicture() { CopyRgba(Form.GetSurface(), Rgba); }

  TIntensityScreen* ShownScreen() {
    TWater* water = Form.ActiveWater();
    return water ? SelectedOrLastChild<TIntensityScreen>(*water) : nullptr;
  }

  TTankSession Form;
  std::vector<uint8_t> Rgba;
  std::vector<float> Samples;  // what the last trace or profile view shows
  int32_t Generation = 0;
};

// The shipped experiments at a tank size, as a scene file's text: the page opens them as the
// window opens experiments.xml.
std::string ExperimentsXml(int32_t Width, int32_t Height) {
  RegisterClasses();
  std::ostringstream text;
  MakeExperiments(Width, Height)->SaveToStream(text, true, 0);
  return text.str();
}

// The window's tables, for the page to build its controls from rather than list them again.
emscripten::val KeyBindingTable() {
  emscripten::val list = emscripten::val::array();
  for (const TKeyBinding& binding : KeyBindings) {
    emscripten::val entry = emscripten::val::object();
    entry.set("name", std::string(binding.Name));
    entry.set("keys", std::string(binding.Keys));
    entry.set("description", std::string(binding.Description));
    list.call<void>("push", entry);
  }
  return list;
}
// {caption, width, height} of each display shape (a menu tag by its place) or tank size.
template <size_t N>
emscripten::val SizeTable(const TDisplayShape (&Shapes)[N]) {
  emscripten::val list = emscripten::val::array();
  for (const TDisplayShape& shape : Shapes) {
    emscripten::val entry = emscripten::val::object();
    entry.set("caption", Caption(shape));
    entry.set("width", shape.Width);
    entry.set("height", shape.Height);
    list.call<void>("push", entry);
  }
  return list;
}
emscripten::val DisplayShapeTable() { return SizeTable(DisplayShapes); }
emscripten::val TankSizeTable() { return SizeTable(TankSizes); }
emscripten::val SpeedCaptions() {
  emscripten::val list = emscripten::val::array();
  for (const TSimulationSpeed& speed : SimulationSpeeds) list.call<void>("push", Caption(speed));
  return list;
}
// The beam types by their values (the source's BeamType), as the window's panel names them.
emscripten::val BeamTypeNames() {
  emscripten::val list = emscripten::val::array();
  for (int32_t type = 0; type < TGeneralExciter::BeamTypeCount(); ++type)
    list.call<void>("push", TGeneralExciter::BeamTypeName(type));
  return list;
}
// The colour schemes: {caption, name}, the name as the water's ColourScheme takes it.
emscripten::val ColourSchemes() {
  emscripten::val list = emscripten::val::array();
  for (int32_t i = 0; i < ColourSchemeCount; ++i) {
    emscripten::val entry = emscripten::val::object();
    entry.set("caption", ColourSchemeCaption(i));
    entry.set("name", std::string(ColourSchemeIdentifiers[i]));
    list.call<void>("push", entry);
  }
  return list;
}
// The maps a scene may take, by their type names, as the window's Refractive Map menu.
emscripten::val MapChoices() {
  RegisterClasses();
  emscripten::val list = emscripten::val::array();
  for (int32_t i = 0; i < RIMapClassCount(); ++i) {
    const TNodeClass* cls = GetRIMapClass(i);
    const XMLNodeRef sample = cls->Create();
    auto* object = NodeAs<TBaseWaterObject>(sample);
    list.call<void>("push", object ? object->GetTypeName() : cls->ClassName());
  }
  return list;
}
// A text of the catalogue by its key: the page's words that the core also uses (the panels'
// headings are the objects' names) are the core's.
std::string CatalogueText(const std::string& Key) { return TextOf(Key); }
// The ranges of the wall panel's sliders, the window's.
emscripten::val WallRanges() {
  emscripten::val out = emscripten::val::object();
  out.set("maxSlits", MaxSlits);
  out.set("maxSlitWidth", MaxPanelSlitWidth);
  out.set("minSpacing", MinPanelSpacing);
  out.set("maxSpacing", MaxPanelSpacing);
  out.set("minThickness", MinWallThickness);
  out.set("maxThickness", MaxWallThickness);
  return out;
}
// The chooser's picture of slide Index of a scene's text, as the window's chooser draws it:
// {width, height, rgba} with the top row first.
emscripten::val ExperimentPreview(const std::string& SceneText, int32_t Index) {
  RegisterClasses();
  emscripten::val out = emscripten::val::object();
  DrawExperimentPreview(SceneText, Index, [&](const TFastDIB& Surface) {
    std::vector<uint8_t> rgba;
    CopyRgba(Surface, rgba);
    out.set("width", Surface.Width());
    out.set("height", Surface.AbsHeight());
    out.set("rgba", emscripten::val::global("Uint8ClampedArray")
                        .call<emscripten::val>("from", emscripten::val(emscripten::typed_memory_view(rgba.size(), rgba.data()))));
  });
  return out;
}

// The bits of the maths over Count arguments, for the browser tests to compare with the native
// build's.
std::string MathDigest(int32_t Count) { return exact::MathDigest(Count); }

double FrequencyOfWavelength(double Lambda) { return TBaseExciter::FrequencyOfWavelength(Lambda); }
double WavelengthOfTenthHertz(double TenthHertz) { return TBaseExciter::WavelengthOfTenthHertz(TenthHertz); }

}  // namespace
}  // namespace plashbox

EMSCRIPTEN_BINDINGS(plashbox) {
  using plashbox::TTank;
  using plashbox::TTankTool;
  emscripten::enum_<TTankTool>("TankTool").value("Select", TTankTool::Select).value("Drip", TTankTool::Drip);
  emscripten::class_<TTank>("Tank")
      .constructor<int32_t, int32_t, uint32_t>()
      .function("tick", &TTank::Tick)
      .function("frameAddress", &TTank::FrameAddress)
      .function("width", &TTank::Width)
      .function("height", &TTank::Height)
      .function("sceneGeneration", &TTank::SceneGeneration)
      .function("tool", &TTank::Tool)
      .function("setTool", &TTank::SetTool)
      .function("mouseDown", &TTank::MouseDown)
      .function("mouseMove", &TTank::MouseMove)
      .function("mouseUp", &TTank::MouseUp)
      .function("mouseIsDown", &TTank::MouseIsDown)
      .function("set", &TTank::Set)
      .function("edit", &TTank::Edit)
      .function("get", &TTank::Get)
      .function("has", &TTank::Has)
      .function("resetDoppler", &TTank::ResetDoppler)
      .function("maxSlitWidth", &TTank::MaxSlitWidth)
      .function("mapIndex", &TTank::MapIndex)
      .function("chooseMap", &TTank::ChooseMap)
      .function("selectedPanel", &TTank::SelectedPanel)
      .function("clearWaves", &TTank::ClearWaves)
      .function("chooseDisplayShape", &TTank::ChooseDisplayShape)
      .function("chooseTankSize", &TTank::ChooseTankSize)
      .function("paused", &TTank::Paused)
      .function("setPaused", &TTank::SetPaused)
      .function("singleStep", &TTank::SingleStep)
      .function("speed", &TTank::Speed)
      .function("setSpeed", &TTank::SetSpeed)
      .function("undo", &TTank::Undo)
      .function("redo", &TTank::Redo)
      .function("canUndo", &TTank::CanUndo)
      .function("canRedo", &TTank::CanRedo)
      .function("undoText", &TTank::UndoText)
      .function("redoText", &TTank::RedoText)
      .function("addWall", &TTank::AddWall)
      .function("deleteSelected", &TTank::DeleteSelected)
      .function("canDeleteSelected", &TTank::CanDeleteSelected)
      .function("addProbe", &TTank::AddProbe)
      .function("canAddProbe", &TTank::CanAddProbe)
      .function("addScreen", &TTank::AddScreen)
      .function("probes", &TTank::Probes)
      .function("probeTrace", &TTank::ProbeTrace)
      .function("screen", &TTank::Screen)
      .function("screenProfile", &TTank::ScreenProfile)
      .function("slideCount", &TTank::SlideCount)
      .function("slideIndex", &TTank::SlideIndex)
      .function("showSlide", &TTank::ShowSlide)
      .function("slideName", &TTank::SlideName)
      .function("slideDescription", &TTank::SlideDescription)
      .function("sceneXml", &TTank::SceneXml)
      .function("openScene", &TTank::OpenScene);
  emscripten::function("experimentsXml", &plashbox::ExperimentsXml);
  emscripten::function("keyBindings", &plashbox::KeyBindingTable);
  emscripten::function("displayShapes", &plashbox::DisplayShapeTable);
  emscripten::function("tankSizes", &plashbox::TankSizeTable);
  emscripten::function("speeds", &plashbox::SpeedCaptions);
  emscripten::function("mapChoices", &plashbox::MapChoices);
  emscripten::function("beamTypes", &plashbox::BeamTypeNames);
  emscripten::function("text", &plashbox::CatalogueText);
  emscripten::function("colourSchemes", &plashbox::ColourSchemes);
  emscripten::function("wallRanges", &plashbox::WallRanges);
  emscripten::function("experimentPreview", &plashbox::ExperimentPreview);
  emscripten::function("mathDigest", &plashbox::MathDigest);
  emscripten::function("frequencyOfWavelength", &plashbox::FrequencyOfWavelength);
  emscripten::function("shownDecimal", &plashbox::ShownDecimal);
  emscripten::function("indexText", &plashbox::IndexText);
  emscripten::function("wavelengthOfTenthHertz", &plashbox::WavelengthOfTenthHertz);
}
