// Undo and redo of the user's edits through the frame logic: drags, panel values, objects
// added and removed, slides and scenes; the messenger carries every edit to the history.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "frame/ClassRegistration.h"
#include "frame/SceneEditing.h"
#include "frame/SceneFiles.h"
#include "frame/ToolReadings.h"
#include "frame/TankSession.h"
#include "grid/Rounding.h"
#include "objects/UniqueIDs.h"
#include "objects/uBarrier.h"
#include "objects/uBlockRIMapper.h"
#include "objects/uIntensityScreen.h"
#include "objects/uProbe.h"
#include "objects/uGeneralExciter.h"
#include "objects/uLensRIMapper.h"
#include "objects/uPrismRIMapper.h"
#include "objects/uShapeRIMapper.h"
#include "text/TextCatalogue.h"
#include "tests/ManualClock.h"
#include "xmlworker/XMLWorker.h"

using namespace plashbox;
using plashbox::tests::TManualClock;

namespace {

// Every published value of every node but those undo leaves alone, exactly (floats in hex),
// with the tree's shape: what undo must bring back. Written independently of the snapshots.
std::string PublishedState(TBasicXMLNode& Node, int Depth = 0) {
  std::string out(size_t(Depth) * 2, ' ');
  out += Node.ClassName() + ":";
  for (const TPropInfo& p : Node.ClassType().Properties()) {
    if (p.LeftByUndo || !p.Readable() || p.Kind == TPropKind::DynArray) continue;
    char value[64];
    switch (p.Kind) {
      case TPropKind::Float: std::snprintf(value, sizeof value, "%a", p.GetFloat(Node)); break;
      case TPropKind::String: out += " " + p.Name + "=" + p.GetString(Node); continue;
      default: std::snprintf(value, sizeof value, "%lld", static_cast<long long>(p.GetOrdinal(Node)));
    }
    out += " " + p.Name + "=" + value;
  }
  out += "\n";
  for (int32_t i = 0; i < Node.GetChildCount(); ++i) out += PublishedState(*Node.GetChildren(i)->AsObject(), Depth + 1);
  return out;
}

class SceneHistory : public ::testing::Test {
 protected:
  void SetUp() override {
    SeedUniqueIDs(5);
    RIMapClassList().Clear();
    ExciterClassList().Clear();
    RegisterClasses();
    Core.Create();
  }
  void TearDown() override {
    RIMapClassList().Clear();
    ExciterClassList().Clear();
  }
  std::string State() { return PublishedState(*Core.GetSlideshow()); }
  TWater& Water() { return *Core.ActiveWater(); }
  TGeneralExciter& Source() { return *LastChildOf<TGeneralExciter>(Water()); }
  TBlockRIMapper& Block() { return *LastChildOf<TBlockRIMapper>(Water()); }
  // A panel's change: the gesture opens an edit, the control writes a published value.
  void PanelSets(const std::string& Setting, bool Merge = false) {
    Core.BeginEdit();
    ApplySetting(Water(), ParsePropertySetting(Setting));
    Core.EndEdit({}, Merge);
  }
  void Drag(int32_t X0, int32_t Y0, int32_t X1, int32_t Y1) {
    Core.BoxMouseDown(mbLeft, {}, X0, Y0);
    Core.BoxMouseMove({}, (X0 + X1) / 2, (Y0 + Y1) / 2);
    Core.BoxMouseMove({}, X1, Y1);
    Core.BoxMouseUp(mbLeft, {}, X1, Y1);
  }
  // The paint-area position of the block's handle I.
  std::pair<int32_t, int32_t> BlockHandle(int I) {
    const TFloatPoint& h = Block().EdgeHandles[size_t(I)];
    return {Round(h.X), ScreenRow(Water().GridHeight(), Round(h.Y))};
  }
  std::pair<int32_t, int32_t> SourceHandle() { return {Source().X1, ScreenRow(Water().GridHeight(), Source().Y1)}; }

  TManualClock Clock{1000};
  TTankSession Core{Clock};
};

TEST_F(SceneHistory, FiftyRandomEditsUndoToTheStartAndRedoToTheEnd) {
  std::mt19937 random(20261208);
  const auto pick = [&](int N) { return int(random() % unsigned(N)); };
  const char* const settings[] = {
      "TGeneralExciter.Wavelength=%d",  "TGeneralExciter.BeamType=%d", "TBlockRIMapper.n=0.%d",
      "TGeneralExciter.Detune=%d",      "TGeneralExciter.DopplerSpeed=%d", "TGeneralExciter.ON=%s",
      "TGeneralExciter.Harmonics=%s",   "TGeneralExciter.UseFreq=%s",   "TWater.Exposure=%d",
      "TBlockRIMapper.WidthPercentage=%d"};
  int changed = 0, tries = 0;
  const std::string start = State();
  // Until fifty of them changed the scene: a drag may miss its handle, a delete be refused.
  while (changed < 50 && ++tries < 1000) {
    const std::string before = State();
    switch (pick(4)) {
      case 0: {  // a drag of a block handle or of the source's handle, sometimes off by a pixel
        auto [x, y] = pick(2) ? BlockHandle(pick(4)) : SourceHandle();
        Drag(x + pick(3) - 1, y + pick(3) - 1, 20 + pick(360), 20 + pick(360));
        break;
      }
      case 1: {
        char text[80];
        const int which = pick(int(std::size(settings)));
        if (std::string(settings[which]).ends_with("%s"))
          std::snprintf(text, sizeof text, settings[which], pick(2) ? "True" : "False");
        else
          std::snprintf(text, sizeof text, settings[which], 1 + pick(which == 1 ? 4 : 9) * (which == 0 ? 7 : 1));
        PanelSets(text);
        break;
      }
      case 2:
        if (pick(2)) {
          Core.AddObject(NewNode<TGeneralExciter>());
        } else {
          // The selected object goes, if it may.
          Core.DeleteSelected();
        }
        break;
      case 3:
        for (int t = 0; t < 3; ++t) Core.Tick();  // time passes: the phases move, no edit
        break;
    }
    if (State() != before) ++changed;
  }
  ASSERT_EQ(changed, 50);
  const std::string end = State();
  int undone = 0;
  while (Core.Undo()) ++undone;
  EXPECT_EQ(State(), start);
  int redone = 0;
  while (Core.Redo()) ++redone;
  EXPECT_EQ(redone, undone);
  EXPECT_EQ(State(), end);
}

TEST_F(SceneHistory, EditsAreNamedAndOneGestureIsOneStep) {
  EXPECT_FALSE(Core.CanUndo());
  EXPECT_EQ(Core.UndoText(), "");
  auto [x, y] = BlockHandle(0);
  Core.BoxMouseDown(mbLeft, {}, x, y);
  for (int i = 1; i <= 20; ++i) Core.BoxMouseMove({}, x + i, y + 2 * i);
  EXPECT_FALSE(Core.Undo()) << "nothing is undone while the pointer holds the block";
  Core.BoxMouseUp(mbLeft, {}, x + 20, y + 40);
  EXPECT_EQ(Core.UndoText(), "move block");

  PanelSets("TGeneralExciter.Wavelength=40");
  EXPECT_EQ(Core.UndoText(), "change wavelength");
  PanelSets("TGeneralExciter.BeamType=3");
  EXPECT_EQ(Core.UndoText(), "change beam type");
  PanelSets("TGeneralExciter.BeamType=3");  // no change, no step
  EXPECT_EQ(Core.UndoText(), "change beam type");

  const float cs = Block().Cs;
  ASSERT_TRUE(Core.Undo());
  EXPECT_EQ(Source().GetBeamType(), 1);
  ASSERT_TRUE(Core.Undo());
  EXPECT_EQ(Source().GetWavelength(), 25);
  EXPECT_EQ(Core.UndoText(), "move block");
  EXPECT_EQ(Core.RedoText(), "change wavelength");
  ASSERT_TRUE(Core.Undo());
  EXPECT_EQ(Block().Cs, 1) << "the whole drag is one step";
  EXPECT_FALSE(Core.CanUndo());
  ASSERT_TRUE(Core.Redo());
  EXPECT_EQ(Block().Cs, cs);

  PanelSets("TGeneralExciter.Detune=3");
  EXPECT_FALSE(Core.CanRedo()) << "a new edit forgets what was undone";

  // A click that only selects, and a drip, are no edits.
  Core.SetTool(TTankTool::Drip);
  Core.BoxMouseDown(mbLeft, {}, 5, 5);
  Core.BoxMouseUp(mbLeft, {}, 5, 5);
  EXPECT_EQ(Core.UndoText(), "change detune");
}

TEST_F(SceneHistory, MergedEditsOfTheSameValuesAreOneStep) {
  PanelSets("TGeneralExciter.Wavelength=30", true);
  PanelSets("TGeneralExciter.Wavelength=35", true);
  PanelSets("TGeneralExciter.Wavelength=40", true);
  PanelSets("TGeneralExciter.Detune=4", true);  // other values: a step of its own
  ASSERT_TRUE(Core.Undo());
  EXPECT_EQ(Source().Detune, 1);
  EXPECT_EQ(Source().GetWavelength(), 40);
  ASSERT_TRUE(Core.Undo());
  EXPECT_EQ(Source().GetWavelength(), 25);
  EXPECT_FALSE(Core.CanUndo());
  ASSERT_TRUE(Core.Redo());
  EXPECT_EQ(Source().GetWavelength(), 40);
}

TEST_F(SceneHistory, DeleteKeepsTheLastSourceAndTheMap) {
  int changes = 0;
  Core.SceneChanged = [&] { ++changes; };
  Block().Activate();
  EXPECT_FALSE(Core.CanDeleteSelected());
  EXPECT_FALSE(Core.DeleteSelected()) << "the map stays";
  Source().Select(false);
  ASSERT_TRUE(Source().ActiveTool);
  EXPECT_FALSE(Core.DeleteSelected()) << "the last source stays";
  EXPECT_EQ(changes, 0);

  TGeneralExciter* first = &Source();
  const TRef<TGeneralExciter> second = NewNode<TGeneralExciter>();
  Core.AddObject(second);
  EXPECT_EQ(&Source(), second.get());
  EXPECT_EQ(Core.UndoText(), "add wave source");
  second->Select(false);
  EXPECT_TRUE(Core.CanDeleteSelected());
  ASSERT_TRUE(Core.DeleteSelected());
  EXPECT_EQ(Core.UndoText(), "delete wave source");
  EXPECT_EQ(&Source(), first);
  EXPECT_EQ(changes, 2);
  ASSERT_TRUE(Core.Undo());
  EXPECT_EQ(&Source(), second.get()) << "back in its place";
  ASSERT_TRUE(Core.Undo());
  EXPECT_EQ(&Source(), first);
  EXPECT_EQ(Water().GetChildCount(), 2);
}

TEST_F(SceneHistory, SlidesAndOpenedScenesAreUndone) {
  // A scene of two slides on disk.
  const TRef<TSlideshow> show = NewNode<TSlideshow>();
  for (const char* name : {"Reflection", "Refraction"}) {
    const TRef<TWater> water = NewNode<TWater>();
    water->SetName(name);
    water->add(NewNode<TBlockRIMapper>().get());
    water->add(NewNode<TGeneralExciter>().get());
    show->add(water.get());
  }
  show->ActiveID = show->GetSlideID(0);
  const std::string name = "plashbox-history-" + std::to_string(::getpid()) + ".xml";
  const std::filesystem::path file = std::filesystem::temp_directory_path() / name;
  SaveScene(*show, file.string());

  TWaterCollection* demo = Core.GetSlideshow();
  PanelSets("TGeneralExciter.Wavelength=50");
  Core.OpenScene(file.string());
  std::filesystem::remove(file);
  EXPECT_EQ(Core.UndoText(), "open " + name);
  ASSERT_EQ(Core.SlideCount(), 2);
  EXPECT_EQ(Water().GetName(), "Reflection");

  ASSERT_TRUE(Core.NextSlide());
  EXPECT_EQ(Core.SlideIndex(), 1);
  EXPECT_EQ(Water().GetName(), "Refraction");
  EXPECT_FALSE(Core.NextSlide()) << "past the last slide";
  EXPECT_EQ(Core.UndoText(), "choose experiment");
  TSlideshow& opened = *static_cast<TSlideshow*>(Core.GetSlideshow());
  EXPECT_FALSE(opened.Slide(0)->IsAwake()) << "only the shown slide keeps its cells";
  ASSERT_TRUE(Core.Undo());
  EXPECT_EQ(Water().GetName(), "Reflection");
  EXPECT_FALSE(opened.Slide(1)->IsAwake());
  EXPECT_TRUE(opened.Slide(0)->IsAwake());

  ASSERT_TRUE(Core.Undo());
  EXPECT_EQ(Core.GetSlideshow(), demo) << "the scene before the file, the very same objects";
  EXPECT_EQ(Source().GetWavelength(), 50);
  EXPECT_EQ(Water().GridWidth(), 401);
  ASSERT_TRUE(Core.Redo());
  EXPECT_EQ(Core.GetSlideshow(), &opened);
  EXPECT_FALSE(Core.PreviousSlide()) << "before the first slide";
}

TEST_F(SceneHistory, AnotherMapKeepsTheIndexAndTheCentreAndIsUndone) {
  PanelSets("TBlockRIMapper.n=0.3");
  PanelSets("TBlockRIMapper.CentreXPercent=40");
  TBlockRIMapper* block = &Block();
  ASSERT_TRUE(Core.ChooseMap(TLensRIMapper::StaticClass()));
  EXPECT_FALSE(Core.ChooseMap(TLensRIMapper::StaticClass())) << "already a lens";
  auto* lens = dynamic_cast<TLensRIMapper*>(Water().GetRIMap());
  ASSERT_NE(lens, nullptr);
  EXPECT_FLOAT_EQ(lens->GetN(), 0.3f);
  EXPECT_EQ(lens->CentreX, block->CentreX);
  EXPECT_EQ(LastChildOf<TBlockRIMapper>(Water()), nullptr);
  EXPECT_EQ(Core.UndoText(), "choose lens");
  EXPECT_EQ((*Water().Cells())[lens->CentreX][200].SpeedFactor, 0.15f) << "the lens's medium";
  ASSERT_TRUE(Core.Undo());
  EXPECT_EQ(Water().GetRIMap(), block) << "the very block back";
  EXPECT_EQ((*Water().Cells())[block->CentreX + 70][200].SpeedFactor, 0.15f);
  ASSERT_TRUE(Core.Redo());
  EXPECT_EQ(Water().GetRIMap(), lens);
  EXPECT_TRUE(Core.ChooseMap(TPrismRIMapper::StaticClass()));
}

TEST_F(SceneHistory, AFreshSceneForgetsTheHistory) {
  PanelSets("TGeneralExciter.Wavelength=50");
  ASSERT_TRUE(Core.CanUndo());
  Core.CreateScene();
  EXPECT_FALSE(Core.CanUndo());
  EXPECT_EQ(Core.GetSlideshow()->GetParentNode()->AsObject(), &Core.GetHistory())
      << "the history is the document's root, where the messenger posts the records";
}

}  // namespace

namespace {

std::vector<TProbe*> Probes(TWater& Water) {
  std::vector<TProbe*> found;
  for (TProbe* probe : ChildrenOf<TProbe>(Water)) found.push_back(probe);
  return found;
}

TEST_F(SceneHistory, ProbesAreAddedInTheirOwnColoursUpToFourAndUndone) {
  for (int i = 0; i < MaxProbes; ++i) {
    EXPECT_TRUE(Core.CanAddProbe());
    ASSERT_TRUE(Core.AddProbe());
    EXPECT_EQ(Core.UndoText(), "add probe");
  }
  EXPECT_FALSE(Core.CanAddProbe());
  EXPECT_FALSE(Core.AddProbe()) << "a fifth is refused";
  std::vector<TProbe*> probes = Probes(Water());
  ASSERT_EQ(probes.size(), size_t(MaxProbes));
  for (int i = 0; i < MaxProbes; ++i) EXPECT_EQ(probes[size_t(i)]->GetColourIndex(), i);
  EXPECT_NE(probes[0]->X1, probes[1]->X1) << "side by side, not on top of each other";

  // The second deleted: a new one takes its colour again.
  probes[1]->Select(false);
  ASSERT_TRUE(Core.DeleteSelected());
  EXPECT_EQ(Core.UndoText(), "delete probe");
  ASSERT_TRUE(Core.AddProbe());
  EXPECT_EQ(Probes(Water()).back()->GetColourIndex(), 1);
  ASSERT_TRUE(Core.Undo());
  ASSERT_TRUE(Core.Undo());
  EXPECT_EQ(Probes(Water()).size(), size_t(MaxProbes)) << "the deleted one is back";

  // A drag of a probe is one edit, named after it; unselected over the block, it is the probe
  // that the press takes.
  TProbe& probe = *Probes(Water())[0];
  const int32_t x = probe.X1, y = ScreenRow(Water().GridHeight(), probe.Y1);
  const std::string before = State();
  Drag(x, y, x - 60, y + 30);
  EXPECT_EQ(probe.X1, x - 60);
  EXPECT_EQ(Core.UndoText(), "move probe");
  ASSERT_TRUE(Core.Undo());
  EXPECT_EQ(State(), before);
  EXPECT_EQ(probe.X1, x);
  while (Core.Undo()) {
  }
  EXPECT_TRUE(Probes(Water()).empty());
}

TEST_F(SceneHistory, ProbesAndScreensAreSavedWithTheirPlacesAndColours) {
  ASSERT_TRUE(Core.AddProbe());
  ASSERT_TRUE(Core.AddProbe());
  Probes(Water())[1]->SetX1Percent(20);
  Probes(Water())[1]->SetY1Percent(75);
  Core.AddScreen();
  LastChildOf<TIntensityScreen>(Water())->SetX2Percent(60);
  const std::string file = 
      (std::filesystem::temp_directory_path() / ("plashbox-probes-" + std::to_string(::getpid()) + ".xml")).string();
  Core.SaveScene(file);
  const TRef<TWaterCollection> loaded = LoadScene(file);
  std::filesystem::remove(file);
  TWater& water = *loaded->ActiveWater();
  water.SetGridSize(401, 401);
  const std::vector<TProbe*> probes = Probes(water);
  ASSERT_EQ(probes.size(), 2u);
  EXPECT_EQ(probes[1]->GetColourIndex(), 1);
  EXPECT_EQ(probes[1]->X1, Probes(Water())[1]->X1);
  EXPECT_EQ(probes[1]->Y1, Probes(Water())[1]->Y1);
  TIntensityScreen* screen = LastChildOf<TIntensityScreen>(water);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->X2, LastChildOf<TIntensityScreen>(Water())->X2);
}

// The page and the window both show this text: a screen outside a water has nothing to read.
TEST_F(SceneHistory, TheScreensTextSaysWhetherItsWaterKeepsAnIntensity) {
  const TRef<TIntensityScreen> loose = NewNode<TIntensityScreen>();
  EXPECT_EQ(ScreenReadingText(*loose), "no intensity kept yet");
  Core.AddScreen();
  for (int i = 0; i < 3; ++i) Core.Tick();
  TIntensityScreen& screen = *LastChildOf<TIntensityScreen>(Water());
  EXPECT_EQ(ScreenReadingText(screen), MaximaText(screen));
}

TEST_F(SceneHistory, ProbesAreSampledOnceAStepAtEverySpeedAndReadInHertzOfIt) {
  ASSERT_TRUE(Core.AddProbe());
  ASSERT_TRUE(Core.AddProbe());
  Probes(Water())[0]->SetX1Percent(20);
  Probes(Water())[1]->SetX1Percent(20);
  Core.SetSpeed(5);  // 8 steps a tick
  const int64_t steps = Core.TotalSteps;
  for (int i = 0; i < 100; ++i) Core.Tick();
  EXPECT_EQ(Probes(Water())[0]->Samples(), Core.TotalSteps - steps);
  EXPECT_EQ(StepsPerSecond(SimulationSpeeds[5]), 500);
  EXPECT_EQ(StepsPerSecond(SimulationSpeeds[0]), 62.5 / 4);
  // The demonstration's beam, 25 cells long: 35.4 steps, 14.1 Hz at 8x.
  const TProbeReport report = ReadProbes(Water(), StepsPerSecond(SimulationSpeeds[5]));
  ASSERT_EQ(report.Probes.size(), 2u);
  ASSERT_TRUE(report.Probes[0].Measure.Valid);
  EXPECT_NEAR(report.Probes[0].Measure.PeriodSteps, 25 / 0.7071, 1);
  EXPECT_NEAR(report.Probes[0].Hertz, 500 / (25 / 0.7071), 0.5);
  ASSERT_EQ(report.Phases.size(), 1u);
  EXPECT_NEAR(report.Phases[0].LagDegrees, 0, 1) << "two probes on one cell";
  EXPECT_EQ(ProbeReadingText(report.Probes[0]).substr(0, 3), "35.");
  TProbeReport phases{report.Probes, 0, {{1, -30.4}}};
  EXPECT_EQ(PhaseText(phases), "2 leads 1 by 30\u00b0");
  phases.Phases[0].LagDegrees = 90;
  EXPECT_EQ(PhaseText(phases), "2 lags 1 by 90\u00b0");
  EXPECT_EQ(PhaseText(TProbeReport{}), "");
  TProbeReading unknown;
  EXPECT_EQ(ProbeReadingText(unknown), "- steps, - Hz, p-p 0");
}

}  // namespace

namespace {

// W pressed again and again, and the screen button: each new one stands clear of the ones there,
// so none hides under another; with every place taken, at least clear of the last one.
TEST_F(SceneHistory, NewWallsAndScreensStandClearOfTheOnesThere) {
  // The cell of a percent of the tank's width.
  const auto cell = [&](float Percent) { return Source().PercentToGridX(Percent); };
  std::vector<int32_t> places;
  for (int i = 0; i < 25; ++i) {
    Core.AddWall();
    places.push_back(LastChildOf<TBarrier>(Water())->X1);
    EXPECT_EQ(LastChildOf<TBarrier>(Water())->X2, places.back()) << "upright";
  }
  EXPECT_EQ(places[0], cell(40)) << "the first where it always was";
  EXPECT_EQ(places[1], cell(45));
  EXPECT_EQ(places[2], cell(35));
  const std::set<int32_t> distinct(places.begin(), places.begin() + 19);
  EXPECT_EQ(distinct.size(), 19u) << "nineteen places across the tank, five per cent apart";
  for (size_t i = 1; i < places.size(); ++i) EXPECT_NE(places[i], places[i - 1]) << i;
  for (const int32_t x : places) {
    EXPECT_GE(x, cell(5));
    EXPECT_LE(x, cell(95));
  }
  // A place left free is taken again by the next one.
  std::vector<TBarrier*> walls;
  for (TBarrier* wall : ChildrenOf<TBarrier>(Water())) walls.push_back(wall);
  walls[10]->Select(false);  // the only one at its place (the six after the nineteenth stand at the first six)
  ASSERT_TRUE(Core.DeleteSelected());
  Core.AddWall();
  EXPECT_EQ(LastChildOf<TBarrier>(Water())->X1, places[10]);

  std::vector<int32_t> screens;
  for (int i = 0; i < 3; ++i) {
    Core.AddScreen();
    screens.push_back(LastChildOf<TIntensityScreen>(Water())->X1);
  }
  EXPECT_EQ(screens, (std::vector<int32_t>{cell(85), cell(90),
                                           cell(80)}));
  EXPECT_EQ(Core.UndoText(), "add screen") << "still one edit each";
}

}  // namespace

namespace {

// The edits of every kind of object keep the names they had before the catalogue named them.
TEST_F(SceneHistory, EveryKindOfObjectIsNamedInItsEdits) {
  TakeTextFaults();
  const auto dragFrom = [&](int32_t X, int32_t GridY) {
    const int32_t y = ScreenRow(Water().GridHeight(), GridY);
    Drag(X, y, X + 15, y + 10);
  };
  PanelSets("TGeneralExciter.BeamType=0");  // a point source, held by its published first handle
  dragFrom(Source().X1, Source().Y1);
  EXPECT_EQ(Core.UndoText(), "move wave source");

  Core.AddWall();
  EXPECT_EQ(Core.UndoText(), "add wall");
  const TBarrier& wall = *LastChildOf<TBarrier>(Water());
  dragFrom(wall.X1, wall.Y1);
  EXPECT_EQ(Core.UndoText(), "move wall");
  ASSERT_TRUE(Core.DeleteSelected());
  EXPECT_EQ(Core.UndoText(), "delete wall");

  Core.AddScreen();
  EXPECT_EQ(Core.UndoText(), "add screen");
  const TIntensityScreen& screen = *LastChildOf<TIntensityScreen>(Water());
  dragFrom(screen.X1, screen.Y1);
  EXPECT_EQ(Core.UndoText(), "move screen");
  ASSERT_TRUE(Core.DeleteSelected());
  EXPECT_EQ(Core.UndoText(), "delete screen");

  for (const auto& [cls, name] : {std::pair{&TLensRIMapper::StaticClass(), "lens"},
                                  std::pair{&TPrismRIMapper::StaticClass(), "prism"}}) {
    ASSERT_TRUE(Core.ChooseMap(*cls));
    EXPECT_EQ(Core.UndoText(), std::string("choose ") + name);
    const auto [x, y] = dynamic_cast<TShapeRIMapper&>(*Water().GetRIMap()).HandleAt(0);
    dragFrom(Round(x), Round(y));
    EXPECT_EQ(Core.UndoText(), std::string("move ") + name);
  }

  // One value by its property's words, several of one object by the object, of two by the scene.
  PanelSets("TPrismRIMapper.n=0.5");
  EXPECT_EQ(Core.UndoText(), "change refractive index");
  PanelSets("TGeneralExciter.OneShot=True");
  EXPECT_EQ(Core.UndoText(), "change single pulse");
  Core.BeginEdit();
  ApplySetting(Water(), ParsePropertySetting("TGeneralExciter.Wavelength=30"));
  ApplySetting(Water(), ParsePropertySetting("TGeneralExciter.Detune=2"));
  Core.EndEdit();
  EXPECT_EQ(Core.UndoText(), "change wave source");
  Core.BeginEdit();
  ApplySetting(Water(), ParsePropertySetting("TGeneralExciter.Wavelength=40"));
  ApplySetting(Water(), ParsePropertySetting("TWater.Exposure=2"));
  Core.EndEdit();
  EXPECT_EQ(Core.UndoText(), "change scene");
  EXPECT_TRUE(TakeTextFaults().empty());
}

// An edit's name is made from the words of the class or the property it changed, looked up by
// their names: every class a scene may hold and every property it publishes has its words.
TEST_F(SceneHistory, EveryObjectAndPropertyHasItsWords) {
  const TNodeRegistry& registry = NodeRegistry();
  for (int32_t i = 0; i < registry.NodeCount(); ++i) {
    const TNodeClass& cls = *registry.GetEntry(i).NodeClass;
    if (cls.InheritsFrom(TBaseWaterObject::StaticClass())) {
      EXPECT_TRUE(HasText("object." + cls.ClassName() + ".word")) << cls.ClassName();
    }
    for (const TPropInfo& property : cls.Properties())
      EXPECT_TRUE(HasText("property." + property.Name)) << cls.ClassName() << "." << property.Name;
  }
}

}  // namespace
