#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "objects/uBaseTool.h"
#include "objects/uGeneralExciter.h"
#include "sim/WaterStepKernels.h"
#include "sim/uWater.h"

using namespace plashbox;

namespace {

// No source class is registered, so a water makes no source of its own.
class WaterRender : public ::testing::Test {
 protected:
  void SetUp() override { ExciterClassList().Clear(); }
  void TearDown() override { ExciterClassList().Clear(); }
};

using TLog = std::vector<std::string>;

// Paints one pixel in its own colour and notes what it was asked to do.
template <class Base>
class TLogged : public Base {
 public:
  void Draw(TDrawingSink& Sink) override {
    Log->push_back(Name + ".paint");
    Sink.Cell(5, 5, Colour);
  }
  TLog* Log = nullptr;
  std::string Name;
  TPixelColor Colour{};
};

class TLogTool : public TLogged<TBaseTool> {
 public:
  void SampleWater() override { Log->push_back(Name + ".sample"); }
};
using TLogControl = TLogged<TBaseControl>;

TRef<TWater> Water(int32_t W, int32_t H) {
  TRef<TWater> w = NewNode<TWater>();
  w->SetGridSize(W, H);
  return w;
}

void Fill(TFastDIB& S, int W, int H, TPixelColor C) {
  S.SetSize(W, H, 24);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) S.Rows24()[y][x] = C;
}

// Waves everywhere, and patches of slower and faster water.
void Wavy(TWater& W) {
  TWaterGrid& c = *W.Cells();
  for (int32_t x = 0; x < c.Width(); ++x)
    for (int32_t y = 0; y < c.Height(); ++y) {
      c[x][y].Displacement = static_cast<float>(3.2 * std::sin(x * 0.37) * std::cos(y * 0.23));
      c[x][y].Velocity = static_cast<float>(0.1 * std::cos(x * 0.11 + y * 0.05));
      if ((x / 7 + y / 5) % 3 == 0) c.Writable(x)[y].SpeedFactor = 0.21f;
      if ((x / 9 + y / 4) % 5 == 0) c.Writable(x)[y].SpeedFactor = 0.83f;
    }
}

constexpr TPixelColor Grey(uint8_t v) { return TPixelColor{v, v, v}; }

}  // namespace

TEST_F(WaterRender, CellColoursAtTheDefaultExposure) {
  const TRef<TWater> w = Water(20, 20);
  TWaterGrid& c = *w->Cells();
  c[1][1].Displacement = 0;
  c[2][1].Displacement = 2.55f;
  c[3][1].Displacement = 3.5f;
  c[4][1].Displacement = -2.55f;
  c[5][1].Displacement = -3.5f;
  c[6][1].Displacement = 1.0f;
  c.Writable(7)[1].SpeedFactor = 0.25f;
  c.Writable(8)[1].SpeedFactor = 0.75f;
  c[9][1].Displacement = 2.55f;
  c.Writable(9)[1].SpeedFactor = 0.25f;
  TFastDIB s;
  Fill(s, 20, 20, Grey(7));
  w->RenderGrid(s);
  const auto px = [&](int32_t x) { return s.Rows24()[1][x]; };
  EXPECT_EQ(px(1), Grey(128));
  EXPECT_EQ(px(2), Grey(255));
  EXPECT_EQ(px(3), Grey(255));
  EXPECT_EQ(px(4), Grey(0));
  EXPECT_EQ(px(5), Grey(0));
  EXPECT_EQ(px(6), Grey(178)) << "(1.0 + 2.55) x 256 / 5.1 = 178.2";
  EXPECT_EQ(px(7), (TPixelColor{64, 64, 128})) << "slower water: red cast";
  EXPECT_EQ(px(8), (TPixelColor{192, 192, 128})) << "faster water: cyan cast";
  EXPECT_EQ(px(9), (TPixelColor{128, 128, 255}));
  // Pixel (x, y) shows cell [x][y], row 0 at the bottom.
  c[3][15].Displacement = 1.0f;
  w->RenderGrid(s);
  EXPECT_EQ(s.Rows24()[15][3], Grey(178));
  EXPECT_EQ(s.Rows24()[4][3], Grey(128));
}

// The cell-by-cell rules, which every kernel variant shares, against values worked out by hand:
// at an exposure whose red level is the height itself.
TEST(CellColours, ClampBeforeRoundingHalvesToEvenAndNaNToNought) {
  const detail::TColouring plain{0.0, 1.0};
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  const auto colour = [&](float Height, float SpeedFactor) { return detail::CellColour(Height, SpeedFactor, plain); };
  EXPECT_EQ(colour(100.5f, 0.5f), Grey(100));
  EXPECT_EQ(colour(101.5f, 0.5f), Grey(102));
  EXPECT_EQ(colour(254.5f, 0.5f), Grey(254));
  EXPECT_EQ(colour(255.5f, 0.5f), Grey(255));
  EXPECT_EQ(colour(-0.4f, 0.5f), Grey(0)) << "clamped before rounding";
  EXPECT_EQ(colour(100.5f, 0.25f), (TPixelColor{50, 50, 100})) << "2 x 100.5 x 0.25 = 50.25";
  EXPECT_EQ(colour(101.0f, 0.25f), (TPixelColor{50, 50, 101})) << "50.5 to the even 50";
  EXPECT_EQ(colour(103.0f, 0.25f), (TPixelColor{52, 52, 103})) << "51.5 to the even 52";
  EXPECT_EQ(colour(101.5f, 0.75f), (TPixelColor{152, 152, 102}));
  EXPECT_EQ(colour(nan, 0.5f), Grey(0));
  EXPECT_EQ(colour(nan, 0.25f), Grey(0));
  EXPECT_EQ(colour(inf, 0.5f), Grey(255));
  EXPECT_EQ(colour(-inf, 0.5f), Grey(0));
  EXPECT_EQ(colour(1e30f, 0.25f), Grey(255));
  EXPECT_EQ(colour(200.0f, nan), (TPixelColor{0, 0, 200}));
  EXPECT_EQ(colour(200.0f, -0.0f), (TPixelColor{0, 0, 200}));
  EXPECT_EQ(colour(200.0f, inf), (TPixelColor{255, 255, 200}));
  EXPECT_EQ(colour(200.0f, -0.25f), (TPixelColor{0, 0, 200}));
}

TEST(CellColours, IntensityShowsTheAmplitudeOfItsMeanSquare) {
  const detail::TColouring plain{0.0, 1.0};
  // sqrt(2 x 2) x 4 = 8.
  EXPECT_EQ(detail::IntensityColour(2.0f, 0.5f, plain), Grey(8));
  EXPECT_EQ(detail::IntensityColour(2.0f, 0.25f, plain), (TPixelColor{4, 4, 8}));
  EXPECT_EQ(detail::IntensityColour(std::numeric_limits<float>::quiet_NaN(), 0.5f, plain), Grey(0));
  EXPECT_EQ(detail::IntensityColour(1e30f, 0.75f, plain), Grey(255));
}

TEST(CellColours, DisplacementIsClampedAndKeepsNaN) {
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(detail::Displaced(1.0f, 1.0f, 1.0f), 2.0f);
  EXPECT_EQ(detail::Displaced(2.0f, 2.0f, 0.5f), 2.0f);
  EXPECT_EQ(detail::Displaced(3.0f, 1.0f, 1.0f), detail::DisplacementLimit);
  EXPECT_EQ(detail::Displaced(-3.0f, -1.0f, 1.0f), -detail::DisplacementLimit);
  EXPECT_EQ(detail::Displaced(inf, 0.0f, 1.0f), detail::DisplacementLimit);
  EXPECT_EQ(detail::Displaced(-inf, 0.0f, 1.0f), -detail::DisplacementLimit);
  EXPECT_TRUE(std::isnan(detail::Displaced(nan, 0.0f, 1.0f)));
  EXPECT_TRUE(std::isnan(detail::Displaced(inf, -inf, 1.0f)));
  EXPECT_TRUE(std::isnan(detail::Displaced(1.0f, 0.0f, nan)));
}

TEST_F(WaterRender, OuterFrameIsNeverWritten) {
  const TRef<TWater> w = Water(33, 21);
  Wavy(*w);
  for (const bool stepping : {false, true}) {
    TFastDIB s;
    Fill(s, 33, 21, TPixelColor{1, 2, 3});
    if (stepping)
      w->StepAndRender(s);
    else
      w->Render(s);
    for (int32_t x = 0; x < 33; ++x) {
      EXPECT_EQ(s.Rows24()[0][x], (TPixelColor{1, 2, 3})) << x;
      EXPECT_EQ(s.Rows24()[20][x], (TPixelColor{1, 2, 3})) << x;
    }
    for (int32_t y = 0; y < 21; ++y) {
      EXPECT_EQ(s.Rows24()[y][0], (TPixelColor{1, 2, 3})) << y;
      EXPECT_EQ(s.Rows24()[y][32], (TPixelColor{1, 2, 3})) << y;
    }
    for (int32_t y = 1; y < 20; ++y)
      for (int32_t x = 1; x < 32; ++x) ASSERT_NE(s.Rows24()[y][x], (TPixelColor{1, 2, 3})) << x << "," << y;
  }
}

TEST_F(WaterRender, FusedColouringEqualsAStepThenAPicture) {
  for (const auto& [W, H] : {std::pair{401, 401}, std::pair{37, 23}, std::pair{3, 3}, std::pair{64, 9}}) {
    const TRef<TWater> fused = Water(W, H), apart = Water(W, H);
    Wavy(*fused);
    Wavy(*apart);
    TFastDIB a, b;
    Fill(a, W, H, Grey(9));
    Fill(b, W, H, Grey(9));
    for (int frame = 0; frame < 3; ++frame) {
      fused->StepAndRender(a);
      apart->SimulateStep();
      apart->RenderGrid(b);
      for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) {
          ASSERT_EQ(a.Rows24()[y][x], b.Rows24()[y][x]) << W << "x" << H << " " << x << "," << y;
          ASSERT_EQ((*fused->Cells())[x][y].Displacement, (*apart->Cells())[x][y].Displacement);
        }
    }
  }
}

TEST_F(WaterRender, ExposureThatIsNotPositiveStillGivesAPicture) {
  for (const float exposure : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
    const TRef<TWater> w = Water(12, 12);
    w->SetExposure(exposure);
    TWaterGrid& c = *w->Cells();
    c[2][2].Displacement = 0.5f;
    c[3][2].Displacement = -0.5f;
    c.Writable(4)[2].SpeedFactor = 0;
    c[5][2].Displacement = 3.5f;
    c.Writable(5)[2].SpeedFactor = 0;
    TFastDIB s;
    Fill(s, 12, 12, Grey(7));
    w->RenderGrid(s);
    EXPECT_EQ(s.Rows24()[5][5], Grey(128)) << exposure;
    EXPECT_EQ(s.Rows24()[2][2], Grey(255));
    EXPECT_EQ(s.Rows24()[2][3], Grey(0));
    EXPECT_EQ(s.Rows24()[2][4], (TPixelColor{0, 0, 128}));
    EXPECT_EQ(s.Rows24()[2][5], (TPixelColor{0, 0, 255}));
    for (int i = 0; i < 5; ++i) w->StepAndRender(s);
    for (int32_t x = 0; x < 12; ++x)
      for (int32_t y = 0; y < 12; ++y) EXPECT_TRUE(std::isfinite(c[x][y].Displacement));
  }
}

TEST_F(WaterRender, ObjectsInChildOrderSelectedToolsLast) {
  TLog log;
  const TRef<TWater> w = Water(20, 20);
  const TRef<TLogTool> picked = NewNode<TLogTool>();
  const TRef<TLogControl> block = NewNode<TLogControl>();
  const TRef<TLogTool> other = NewNode<TLogTool>();
  picked->Log = block->Log = other->Log = &log;
  picked->Name = "picked", block->Name = "block", other->Name = "other";
  picked->Colour = TPixelColor{1, 1, 1}, block->Colour = TPixelColor{2, 2, 2}, other->Colour = TPixelColor{3, 3, 3};
  w->add(picked.get());
  w->add(NewNode<TXMLNode>().get());  // not a tank object: skipped
  w->add(block.get());
  w->add(other.get());
  picked->ActiveTool = true;
  block->ActiveTool = false;
  other->ActiveTool = false;

  TFastDIB s;
  Fill(s, 20, 20, Grey(0));
  w->Render(s);
  EXPECT_EQ(log, (TLog{"block.paint", "other.paint", "picked.paint"})) << "no sampling without a step";
  EXPECT_EQ(s.Rows24()[5][5], (TPixelColor{1, 1, 1}));

  log.clear();
  w->StepAndRender(s);
  EXPECT_EQ(log, (TLog{"block.paint", "other.sample", "other.paint", "picked.sample", "picked.paint"}));

  // A selected control that is not a tool keeps its place.
  log.clear();
  picked->ActiveTool = false;
  block->ActiveTool = true;
  w->DrawObjects(s, true);
  EXPECT_EQ(log, (TLog{"picked.sample", "picked.paint", "block.paint", "other.sample", "other.paint"}));
  EXPECT_EQ(s.Rows24()[5][5], (TPixelColor{3, 3, 3}));

  log.clear();
  w->SimulateStep();
  EXPECT_EQ(log, (TLog{"picked.sample", "other.sample"})) << "a plain step samples and paints nothing";
}

TEST_F(WaterRender, SourceValuesShowInTheNextFrame) {
  // A line source paints nothing over its column, so the picture there is the water's own.
  const TRef<TWater> w = Water(401, 401);
  const TRef<TGeneralExciter> source = NewNode<TGeneralExciter>();
  source->SetBeamType(btLine);
  w->add(source.get());
  ASSERT_EQ(w->GetExciter(), source.get());
  TFastDIB s;
  Fill(s, 401, 401, Grey(0));
  w->StepAndRender(s);
  const TWaterGrid& c = *w->Cells();
  ASSERT_NE(source->GetSignal1(), 0.0f);
  EXPECT_EQ(c[40][200].Displacement, static_cast<float>(1.5 * double(source->GetSignal1())));
  for (int32_t y = 1; y < 400; ++y) ASSERT_EQ(s.Rows24()[y][40], Grey(128)) << "coloured before the source wrote";
  for (int32_t y = 1; y < 400; ++y) ASSERT_EQ(s.Rows24()[y][41], Grey(128));
  // The next step spreads the line into its neighbours before they are coloured.
  w->StepAndRender(s);
  for (int32_t y = 1; y < 400; ++y) {
    ASSERT_NE(s.Rows24()[y][39], Grey(128)) << y;
    ASSERT_NE(s.Rows24()[y][41], Grey(128)) << y;
  }
  EXPECT_EQ(s.Rows24()[0][40], Grey(0));
  EXPECT_EQ(s.Rows24()[400][40], Grey(0));
}

TEST_F(WaterRender, SurfacesOfAnotherSizeAreColouredWhereTheyOverlap) {
  const TRef<TWater> w = Water(30, 20);
  Wavy(*w);
  TFastDIB big;
  Fill(big, 40, 25, Grey(7));
  w->StepAndRender(big);
  w->Render(big);
  EXPECT_EQ(big.Rows24()[10][29], Grey(7));
  EXPECT_EQ(big.Rows24()[19][10], Grey(7));
  EXPECT_EQ(big.Rows24()[10][35], Grey(7));
  EXPECT_NE(big.Rows24()[10][28], Grey(7));
  EXPECT_NE(big.Rows24()[18][10], Grey(7));
  TFastDIB small;
  Fill(small, 10, 8, Grey(7));
  w->StepAndRender(small);
  EXPECT_EQ(small.Rows24()[3][9], Grey(7));
  EXPECT_NE(small.Rows24()[3][8], Grey(7));
  EXPECT_EQ(small.Rows24()[7][3], Grey(7));
  // A surface of another depth is left to whoever owns it.
  TFastDIB deep;
  deep.SetSize(30, 20, 32);
  w->StepAndRender(deep);
  w->Render(deep);
}
