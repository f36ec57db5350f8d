// The window's frame logic without a window: scene building, ticks, statistics, display shapes
// and the pointer on the paint area.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "frame/ClassRegistration.h"
#include "frame/SceneFiles.h"
#include "xmlworker/XMLFormat.h"
#include "frame/TankSession.h"
#include "objects/UniqueIDs.h"
#include "objects/uBlockRIMapper.h"
#include "objects/uGeneralExciter.h"
#include "tests/ManualClock.h"

using namespace plashbox;
using plashbox::tests::TManualClock;

namespace {

class TankSession : public ::testing::Test {
 protected:
  void SetUp() override {
    SeedUniqueIDs(11);
    RIMapClassList().Clear();
    ExciterClassList().Clear();
    RegisterClasses();
  }
  void TearDown() override {
    RIMapClassList().Clear();
    ExciterClassList().Clear();
  }
  TManualClock Clock{1000};  // moved by hand
};

TEST_F(TankSession, BuildSceneChecksTheClassLists) {
  RIMapClassList().Clear();
  ExciterClassList().Clear();
  TTankSession noMaps(Clock);
  try {
    noMaps.Create();
    FAIL() << "no map class";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "RIMapList is empty!?!?");
  }

  RegisterRIMapClass(TBlockRIMapper::StaticClass());
  RegisterExciterClass(TGeneralExciter::StaticClass());
  RegisterExciterClass(TGeneralExciter::StaticClass());
  EXPECT_EQ(GetRIMapClass(1), nullptr);
  TTankSession twoSources(Clock);
  try {
    twoSources.Create();
    FAIL() << "two source classes";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "ExciterList is assumed to contain one and only one type");
  }
  EXPECT_EQ(twoSources.ActiveWater(), nullptr) << "the half-built water never joins the slideshow";
}

TEST_F(TankSession, CreateBuildsTheDemoSceneAndAFirstFrame) {
  TTankSession form(Clock);
  int presented = 0;
  form.Present = [&](const TFastDIB&) { ++presented; };
  form.Create();
  TWater* water = form.ActiveWater();
  ASSERT_NE(water, nullptr);
  EXPECT_EQ(water->GridWidth(), 401);
  EXPECT_EQ(water->GetChildCount(), 2);
  EXPECT_NE(NodeAs<TBlockRIMapper>(water->GetChildren(0)), nullptr);
  EXPECT_NE(NodeAs<TGeneralExciter>(water->GetChildren(1)), nullptr);
  EXPECT_EQ(form.GetSurface().Width(), 401);
  EXPECT_EQ(form.GetSurface().BitsPerPixel(), 24);
  EXPECT_EQ(presented, 1) << "the first tick copies the still black surface out";
  EXPECT_EQ(form.TotalSteps, 1);
  const TPixelColor water1 = form.GetSurface().Rows24()[20][300];
  EXPECT_EQ(water1.Red, 128) << "still open water is mid-grey";
  const TPixelColor block = form.GetSurface().Rows24()[200][200];
  EXPECT_EQ(block.Red, 128);
  EXPECT_EQ(block.Green, 70) << "the slower block has a red cast";
}

TEST_F(TankSession, DraggingTheBlockFreezesTheWavesButDraggingTheSourceDoesNot) {
  TTankSession form(Clock);
  form.Create();
  for (int i = 0; i < 40; ++i) form.Tick();
  TWater& water = *form.ActiveWater();
  const TWaterGrid& cells = *water.Cells();
  form.BoxMouseDown(mbLeft, 0, 280, 200);  // handle 2 of the block
  ASSERT_TRUE(water.IsGrabbed());
  const float before = cells[60][200].Displacement;
  const int64_t steps = form.TotalSteps;
  form.BoxMouseMove(0, 300, 180);
  form.Tick();
  form.Tick();
  EXPECT_EQ(cells[60][200].Displacement, before) << "the waves stand still under a dragged block";
  EXPECT_EQ(form.TotalSteps, steps);
  EXPECT_LT(form.GetSurface().Rows24()[200][150].Green, 100) << "the turned block is drawn";
  form.BoxMouseUp(mbLeft, 0, 300, 180);
  form.Tick();
  EXPECT_NE(cells[60][200].Displacement, before) << "the waves run again after the release";

  // The beam's handle: its end point on screen.
  auto* source = NodeAs<TGeneralExciter>(water.GetChildren(1));
  form.BoxMouseDown(mbLeft, 0, source->X1, 400 - source->Y1);
  ASSERT_TRUE(water.IsGrabbed());
  ASSERT_EQ(water.GetMouseTarget(), source);
  const int64_t stepsBeforeDrag = form.TotalSteps;
  form.Tick();
  EXPECT_EQ(form.TotalSteps, stepsBeforeDrag + 1) << "the water runs while the source is dragged";
  form.BoxMouseUp(mbLeft, 0, source->X1, 400 - source->Y1);
}

TEST_F(TankSession, TheDripToolTurnsEveryPressIntoADripUntilSelectComesBack) {
  TTankSession form(Clock);
  form.Create();
  EXPECT_EQ(form.Tool(), TTankTool::Select) << "a tank starts with the objects' tool";
  TWater& water = *form.ActiveWater();
  auto* source = NodeAs<TGeneralExciter>(water.GetChildren(1));
  auto* block = NodeAs<TBlockRIMapper>(water.GetChildren(0));
  block->Activate();
  form.SetTool(TTankTool::Drip);
  form.BoxMouseDown(mbLeft, 0, source->X1, 400 - source->Y1);  // right on the source's handle
  EXPECT_TRUE(form.MouseIsDown);
  EXPECT_FALSE(water.IsGrabbed());
  EXPECT_TRUE(water.IsDripActive());
  EXPECT_TRUE(source->IsDripHeld());
  EXPECT_FALSE(source->DripLifts()) << "the left button pushes the water down";
  EXPECT_FALSE(block->ActiveTool) << "a drip leaves nothing selected";
  EXPECT_EQ(form.Tool(), TTankTool::Drip) << "the tool outlasts the press";
  form.Tick();
  // A press under way keeps its tool: the drip follows the pointer and ends with the release.
  form.SetTool(TTankTool::Select);
  form.BoxMouseMove(0, 200, 100);
  EXPECT_FALSE(water.IsGrabbed());
  form.Tick();
  EXPECT_LT(water.DisplacementAt(200, 100), -1.0f) << "the drip moved with the pointer";
  form.BoxMouseUp(mbLeft, 0, 200, 100);
  EXPECT_FALSE(form.MouseIsDown);
  EXPECT_FALSE(source->IsDripHeld());
  EXPECT_FALSE(water.IsDripActive());

  form.SetTool(TTankTool::Drip);
  form.BoxMouseDown(mbRight, 0, 100, 300);
  EXPECT_TRUE(source->DripLifts()) << "the right button lifts the water";
  form.BoxMouseUp(mbRight, 0, 100, 300);
  form.BoxMouseDown(mbMiddle, 0, 100, 300);
  EXPECT_TRUE(source->IsDripHeld());
  EXPECT_FALSE(source->DripLifts()) << "only the right button lifts";
  form.BoxMouseUp(mbMiddle, 0, 100, 300);

  // Back with the objects' tool, the same press takes hold of the source's handle.
  form.SetTool(TTankTool::Select);
  form.BoxMouseDown(mbLeft, 0, source->X1, 400 - source->Y1);
  EXPECT_TRUE(water.IsGrabbed());
  EXPECT_EQ(water.GetMouseTarget(), source);
  EXPECT_FALSE(source->IsDripHeld());
  form.BoxMouseUp(mbLeft, 0, source->X1, 400 - source->Y1);
}

TEST_F(TankSession, StatisticsOfTheWorkedExample) {
  TTankSession form(Clock);
  form.DebugPanelVisible = true;
  form.Create();  // tick 1: 0 ms busy
  // Ticks 2 .. 31: the first 29 take 5 ms each with 10 ms idle after; the 31st takes 5 ms and
  // ends at 1510: 30 x 5 = 150 ms busy, 31 ticks and steps over 510 ms.
  form.Present = [&](const TFastDIB&) { Clock.Advance(5); };
  for (int i = 0; i < 29; ++i) {
    form.Tick();
    Clock.Advance(10);
  }
  Clock.Set(1505);
  form.Tick();
  ASSERT_EQ(Clock.Now(), 1510u);
  EXPECT_EQ(*form.DataList().Find("Timer rate"), "60.8");
  EXPECT_EQ(*form.DataList().Find("draw RATE"), "60.8") << "rows are found without regard to case";
  EXPECT_EQ(*form.DataList().Find("CPU usage"), "29%");
  EXPECT_EQ(*form.DataList().Find("Memory Usage"), "2572816");
  EXPECT_FLOAT_EQ(form.StepRate, form.DrawRate);
  // The five initial rows keep their places; the report's new rows come after them.
  const auto& rows = form.DataList().Rows();
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0].first, "Draw rate");
  EXPECT_EQ(rows[5].first, "Timer rate");
  EXPECT_EQ(rows[6].first, "Memory Usage");
}

TEST_F(TankSession, ReadoutsOverStillOpenWater) {
  TTankSession form(Clock);
  form.DebugPanelVisible = true;
  form.Create();
  form.StepRate = 60;
  form.BoxMouseMove(0, 380, 20);
  EXPECT_EQ(*form.DataList().Find("Speed"), "42.43u/s");
  EXPECT_EQ(*form.DataList().Find("Displacement"), "0.00");
  EXPECT_EQ(*form.DataList().Find("n"), "1.00");
  form.BoxMouseMove(0, 200, 200);  // inside the block
  EXPECT_EQ(*form.DataList().Find("n"), "1.35");
  form.BoxMouseMove(0, 5000, 5000);  // off the grid: no speed factor
  EXPECT_EQ(*form.DataList().Find("n"), "-");
  form.BoxMouseDown(mbLeft, 0, 60, 60);
  form.BoxMouseMove(0, 200, 200);
  EXPECT_EQ(*form.DataList().Find("n"), "-") << "no readouts while a button is down";
}

TEST_F(TankSession, DisplayShapesResizeAndCentreThePaintArea) {
  TTankSession form(Clock);
  form.Create();
  for (int i = 0; i < 20; ++i) form.Tick();
  form.ChooseDisplayShape(1);
  EXPECT_EQ(form.Box().Left, 107);
  EXPECT_EQ(form.Box().Top, 149);
  TWater& water = *form.ActiveWater();
  EXPECT_EQ(water.GridWidth(), 250);
  EXPECT_EQ(water.GridHeight(), 250);
  EXPECT_EQ(form.GetSurface().Width(), 250);
  EXPECT_EQ(water.DisplacementAt(20, 125), 0.0f) << "the waves are gone";
  EXPECT_EQ(NodeAs<TBlockRIMapper>(water.GetChildren(0))->BlockWidth, 101) << "the block is re-applied";

  form.ChooseDisplayShape(2);
  EXPECT_EQ(form.Box().Left, 32);
  EXPECT_EQ(form.Box().Top, 149);
  form.ChooseDisplayShape(3);
  EXPECT_EQ(form.Box().Left, 107);
  EXPECT_EQ(form.Box().Top, 74);
  form.ChooseDisplayShape(9);  // no such shape: the size stays
  EXPECT_EQ(form.Box().Width, 250);
  EXPECT_EQ(form.Box().Height, 401);
  form.ChooseDisplayShape(0);
  EXPECT_EQ(form.Box().Left, 32);
  EXPECT_EQ(form.Box().Top, 74);
  EXPECT_EQ(water.GridWidth(), 401);
}

TEST_F(TankSession, BigTanksGrowTheFrameAndKeepTheObjectsWhereTheyWere) {
  TTankSession form(Clock);
  form.Create();
  TWater& water = *form.ActiveWater();
  auto* source = LastChildOf<TGeneralExciter>(water);
  auto* block = LastChildOf<TBlockRIMapper>(water);
  for (const TDisplayShape& size : TankSizes) {
    form.ChooseTankSize(size.Width, size.Height);
    const TRect frame = form.TankFrame();
    EXPECT_EQ(frame.Width, std::max(417, size.Width + 16)) << Caption(size);
    EXPECT_EQ(frame.Height, std::max(417, size.Height + 16)) << Caption(size);
    EXPECT_EQ(form.Box(), (TRect{frame.Left + (frame.Width - size.Width) / 2, frame.Top + (frame.Height - size.Height) / 2,
                                 size.Width, size.Height}));
    EXPECT_EQ(water.GridWidth(), size.Width);
    EXPECT_EQ(form.GetSurface().Width(), size.Width);
    EXPECT_EQ(form.GetSurface().AbsHeight(), size.Height);
    EXPECT_NEAR(source->Y1, size.Height / 2, 1) << "the beam stays at the middle";
    EXPECT_NEAR(block->BlockWidth, size.Width * 0.4, 1) << "the block keeps its share of the width";
    // The absorbing border by its rule: damping below open water's only within it.
    const int32_t border = AbsorbingBorderWidth(size.Width, size.Height);
    const TWaterGrid& cells = *water.Cells();
    EXPECT_LT(cells[border - 1][size.Height / 2].Damping, cells[border + 1][size.Height / 2].Damping);
    EXPECT_EQ(cells[border + 1][size.Height / 2].Damping, cells[size.Width / 2][size.Height / 2].Damping);
    for (int i = 0; i < 3; ++i) form.Tick();
  }
  form.ChooseTankSize(1, 100000);
  EXPECT_EQ(form.Box().Width, MinTankSide);
  EXPECT_EQ(form.Box().Height, MaxTankSide);
}

// A tank bigger than the room the window has (a 1920 x 1080 tank on a 1600 x 1200 screen) is
// shown scaled down with its shape kept; its cells and picture keep their size, and a pointer
// on the view reaches the paint-area pixel under it.
TEST_F(TankSession, ATankBiggerThanTheRoomIsShownScaledDownAndPointedAtExactly) {
  using TSize = std::pair<int32_t, int32_t>;
  EXPECT_EQ(TTankSession::FitView(1920, 1080, 1335, 1019), TSize(1335, 750)) << "the width sets the scale";
  EXPECT_EQ(TTankSession::FitView(1200, 1200, 1000, 500), TSize(500, 500)) << "the height sets it";
  EXPECT_EQ(TTankSession::FitView(401, 401, 1335, 1019), TSize(401, 401)) << "a tank that fits as it is";
  EXPECT_EQ(TTankSession::FitView(1920, 1080, 0, 0), TSize(1920, 1080)) << "no bound";
  EXPECT_EQ(TTankSession::FitView(8192, 12, 100, 100), TSize(100, 1)) << "never below a pixel";

  TTankSession form(Clock);
  form.Create();
  form.SetViewRoom(1335, 1019);
  EXPECT_FALSE(form.ViewScaled());
  form.ChooseTankSize(1920, 1080);
  EXPECT_TRUE(form.ViewScaled());
  EXPECT_EQ(form.View(), (TRect{32, 74, 1335, 750}));
  EXPECT_EQ(form.Box(), (TRect{32, 74, 1920, 1080}));
  EXPECT_EQ(form.TankFrame(), (TRect{24, 66, 1335 + 16, 750 + 16})) << "the frame follows the view";
  EXPECT_EQ(form.ActiveWater()->GridWidth(), 1920);
  EXPECT_EQ(form.GetSurface().Width(), 1920);
  EXPECT_EQ(form.ViewToPaintArea(0, 0), TSize(0, 0));
  EXPECT_EQ(form.ViewToPaintArea(1334, 749), TSize(1919, 1079));
  // Every view pixel reaches the pixel under its centre, one or two paint pixels on from the last.
  for (int32_t v = 0; v < 1335; ++v) {
    const int32_t x = form.ViewToPaintArea(v, 0).first;
    ASSERT_LE(double(x), (v + 0.5) * 1920 / 1335) << v;
    ASSERT_GT(double(x + 1), (v + 0.5) * 1920 / 1335) << v;
  }
  EXPECT_EQ(form.ViewToPaintArea(-1, 750), TSize(-1, 1080)) << "a drag past the edges goes on alike";

  // Halved exactly: the lower right of each two-by-two block (its centre rounds that way).
  form.ChooseTankSize(2670, 1500);
  EXPECT_EQ(form.View(), (TRect{32, 74, 1335, 750}));
  EXPECT_EQ(form.ViewToPaintArea(10, 20), TSize(21, 41));
  EXPECT_EQ(form.ViewToPaintArea(-3, -1), TSize(-5, -1));

  // With room enough again the view is the tank and a pointer reaches the same pixel.
  form.SetViewRoom(4000, 4000);
  EXPECT_FALSE(form.ViewScaled());
  EXPECT_EQ(form.View(), form.Box());
  EXPECT_EQ(form.ViewToPaintArea(123, 456), TSize(123, 456));
}

TEST_F(TankSession, AScenePlaysAtTheSizeItWasSavedAt) {
  TTankSession saved(Clock);
  saved.Create();
  saved.ChooseTankSize(801, 601);
  std::stringstream text;
  saved.GetSlideshow()->SaveToStream(text, true, 0);
  EXPECT_NE(text.str().find("TankWidth=\"801\" TankHeight=\"601\""), std::string::npos) << text.str();

  for (const bool adopt : {true, false}) {
    std::istringstream in(text.str());
    TTankSession opened(Clock);
    opened.AdoptSceneSize = adopt;
    opened.CreateScene(LoadScene(in, "big.xml"));
    EXPECT_EQ(opened.Box().Width, adopt ? 801 : 401);
    EXPECT_EQ(opened.ActiveWater()->GridHeight(), adopt ? 601 : 401);
  }
  // A size no tank can have is refused with the file.
  std::istringstream bad(R"(<TSlideshow TankWidth="9000" TankHeight="20"/>)");
  EXPECT_THROW(LoadScene(bad, "bad.xml"), EConvertError);
}

TEST_F(TankSession, WithoutAWaterTheTankShowsAGradient) {
  TTankSession form(Clock);
  form.Create();
  form.GetSlideshow()->ActiveID = 0;
  form.Tick();
  const TFastDIB& s = form.GetSurface();
  const TPixelColor topLeft = s.Rows24()[399][1], bottomRight = s.Rows24()[1][399];
  EXPECT_LT(topLeft.Red, 205);
  EXPECT_GE(topLeft.Red, 200);
  EXPECT_EQ(bottomRight.Red, 255);
  EXPECT_EQ(s.Rows24()[0][0].Red, 0) << "the outermost line of pixels is left as it was";
  form.ClearWaves();  // no water: nothing to clear, nothing thrown
}

// The cells of the active water, every value, for comparing whole grids.
std::vector<TWaterCell> CellsOf(TTankSession& Form) {
  const TWaterGrid& g = *Form.ActiveWater()->Cells();
  std::vector<TWaterCell> cells;
  for (int32_t x = 0; x < g.Width(); ++x)
    for (int32_t y = 0; y < g.Height(); ++y) cells.push_back(g[x][y]);
  return cells;
}
bool SameCells(const std::vector<TWaterCell>& A, const std::vector<TWaterCell>& B) {
  return A.size() == B.size() && std::memcmp(A.data(), B.data(), A.size() * sizeof(TWaterCell)) == 0;
}

TEST_F(TankSession, PausedTheWaterStandsStillWhileThePictureFollowsOneStepAtATime) {
  TTankSession form(Clock), reference(Clock);
  form.Create();
  reference.Create();
  for (int i = 0; i < 30; ++i) {
    form.Tick();
    reference.Tick();
  }
  EXPECT_FALSE(form.SingleStep()) << "a single step only while paused";
  form.SetPaused(true);
  const std::vector<TWaterCell> held = CellsOf(form);
  const int64_t steps = form.TotalSteps;
  // A drag of the block while paused is drawn, and the water stays as it was, bit for bit.
  form.BoxMouseDown(mbLeft, 0, 280, 200);
  form.BoxMouseMove(0, 300, 170);
  form.Tick();
  form.Tick();
  form.BoxMouseUp(mbLeft, 0, 300, 170);
  form.Tick();
  EXPECT_EQ(form.TotalSteps, steps);
  EXPECT_LT(form.GetSurface().Rows24()[200][150].Green, 100) << "the turned block is drawn while paused";
  reference.BoxMouseDown(mbLeft, 0, 280, 200);
  reference.BoxMouseMove(0, 300, 170);
  reference.BoxMouseUp(mbLeft, 0, 300, 170);
  const std::vector<TWaterCell> turned = CellsOf(form);
  for (size_t i = 0; i < held.size(); ++i) {
    ASSERT_EQ(turned[i].Displacement, held[i].Displacement) << i;
    ASSERT_EQ(turned[i].Velocity, held[i].Velocity) << i;
  }
  // Each single step is one step of the running water.
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(form.SingleStep());
    reference.ActiveWater()->StepAndRender(reference.GetSurface());
    ASSERT_TRUE(SameCells(CellsOf(form), CellsOf(reference))) << "step " << i;
  }
  EXPECT_EQ(form.TotalSteps, steps + 3);
  form.SetPaused(false);
  form.Tick();
  EXPECT_EQ(form.TotalSteps, steps + 4);
}

TEST_F(TankSession, SpeedsStepSeveralTimesATickOrOnceInSeveralTicks) {
  EXPECT_EQ(Caption(SimulationSpeeds[NormalSpeed]), "1x");
  for (const int32_t speed : {3, 4, 5}) {
    const int32_t n = SimulationSpeeds[speed].StepsPerTick;
    TTankSession fast(Clock), plain(Clock);
    fast.CreateScene();
    plain.CreateScene();
    fast.SetSpeed(speed);
    for (int i = 0; i < 7; ++i) fast.Tick();
    for (int i = 0; i < 7 * n; ++i) plain.Tick();
    EXPECT_TRUE(SameCells(CellsOf(fast), CellsOf(plain))) << n << " steps a tick";
    EXPECT_EQ(fast.TotalSteps, 7 * n) << "every step counts";
  }
  TTankSession slow(Clock);
  slow.CreateScene();
  slow.SetSpeed(0);
  for (int i = 0; i < 12; ++i) slow.Tick();
  EXPECT_EQ(slow.TotalSteps, 3) << "a step every fourth tick";
  EXPECT_EQ(slow.TotalTicks, 12);
  slow.Slower();
  EXPECT_EQ(slow.Speed(), 0);
  for (int i = 0; i < 10; ++i) slow.Faster();
  EXPECT_EQ(slow.Speed(), int32_t(std::size(SimulationSpeeds)) - 1);
}

}  // namespace
