// The shipped experiments: every slide runs long and stays finite, comes back the same from
// its file, and shows the class what its text promises (one check a slide, on the cells).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "frame/ClassRegistration.h"
#include "frame/Experiments.h"
#include "frame/SceneFiles.h"
#include "frame/TankSession.h"
#include "objects/UniqueIDs.h"
#include "objects/uBarrier.h"
#include "objects/uBlockRIMapper.h"
#include "objects/uLensRIMapper.h"
#include "objects/uGeneralExciter.h"
#include "tests/ManualClock.h"

using namespace plashbox;
using plashbox::tests::TManualClock;

namespace {

class Experiments : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterClasses();
    SeedUniqueIDs(9);
  }
  // The experiments as their file holds them, running slide Index in a tank of Side cells.
  std::unique_ptr<TTankSession> Open(const std::string& Text, int32_t Index, int32_t Side) {
    auto core = std::make_unique<TTankSession>(Clock);
    core->SetPaintAreaSize(Side, Side);
    std::istringstream in(Text);
    core->CreateScene(LoadScene(in, "experiments.xml"));
    if (Index > 0) core->ShowSlide(Index);
    return core;
  }
  static std::string Text(TWaterCollection& Show) {
    std::ostringstream out;
    Show.SaveToStream(out, true, 0);
    return out.str();
  }
  TManualClock Clock{0};
};

TEST_F(Experiments, EverySlideRunsFiniteAndComesBackTheSameFromItsFile) {
  const TRef<TSlideshow> made = MakeExperiments();
  ASSERT_GE(made->SlideCount(), 14);
  made->CollectionWidth = made->CollectionHeight = 0;
  const std::string text = Text(*made);
  for (int32_t i = 0; i < made->SlideCount(); ++i) {
    std::string name, description;
    made->GetSlideName(i, name);
    made->GetSlideDescription(i, description);
    EXPECT_FALSE(name.empty() || description.size() < 40) << i;
    const auto core = Open(text, i, 201);
    ASSERT_EQ(core->SlideIndex(), i);
    EXPECT_EQ(core->ActiveWater()->GetName(), name);
    // Saved as it opened and opened again: the same frames.
    const auto again = Open(Text(*core->GetSlideshow()), i, 201);
    for (int t = 0; t < 60; ++t) {
      core->Tick();
      again->Tick();
    }
    const TFastDIB& a = core->GetSurface();
    const TFastDIB& b = again->GetSurface();
    ASSERT_EQ(std::memcmp(a.PixelData(), b.PixelData(), size_t(a.RowBytes()) * a.AbsHeight()), 0) << name;
    for (int t = 60; t < 2000; ++t) core->Tick();
    const TWaterGrid& cells = *core->ActiveWater()->Cells();
    for (int32_t x = 0; x < cells.Width(); ++x)
      for (int32_t y = 0; y < cells.Height(); ++y) {
        const TWaterCell& c = cells[x][y];
        // The step keeps heights within 3.5; a source holds its own cells higher (up to 6), and the
        // velocity of a cell it holds swings wider.
        ASSERT_TRUE(std::isfinite(c.Displacement) && std::isfinite(c.Velocity) && std::abs(c.Displacement) <= 6.5f &&
                    std::abs(c.Velocity) <= 100)
            << name << " at " << x << "," << y << ": " << c.Displacement << ", " << c.Velocity;
      }
  }
}

// Bright where the two slits' paths differ by a whole number of wavelengths: along a line
// parallel to the wall, the time-averaged square of the height peaks there.
TEST_F(Experiments, TheDoubleSlitsBandsLieWhereThePathDifferenceIsWholeWavelengths) {
  const TRef<TSlideshow> made = MakeExperiments();
  int32_t slide = -1;
  for (int32_t i = 0; i < made->SlideCount(); ++i) {
    std::string name;
    made->GetSlideName(i, name);
    if (name.starts_with("Double slit")) slide = i;
  }
  ASSERT_GE(slide, 0);
  made->CollectionWidth = made->CollectionHeight = 0;
  const auto core = Open(Text(*made), slide, 401);
  TWater& water = *core->ActiveWater();
  const TBarrier& wall = *LastChildOf<TBarrier>(water);
  const double lambda = LastChildOf<TGeneralExciter>(water)->GetWavelength();
  const double d = wall.SlitSpacing, middle = (wall.Y1 + wall.Y2) / 2.0;
  const int32_t screen = wall.X1 + 150;
  const double L = screen - wall.X1;
  std::vector<double> intensity(401, 0);
  for (int t = 0; t < 1700; ++t) {
    core->Tick();
    if (t < 700) continue;
    for (int32_t y = 0; y < 401; ++y) {
      const double h = (*water.Cells())[screen][y].Displacement;
      intensity[size_t(y)] += h * h;
    }
  }
  // Where the path difference from the two slits is m wavelengths, on the screen line.
  const auto predicted = [&](int m) {
    double lo = 0, hi = 180;
    for (int k = 0; k < 60; ++k) {
      const double y = (lo + hi) / 2;
      const double difference = std::hypot(L, y + d / 2) - std::hypot(L, y - d / 2);
      (difference < m * lambda ? lo : hi) = y;
    }
    return lo;
  };
  const double spacing = predicted(1) - predicted(0);
  for (int m : {0, 1, 2}) {
    for (int side : {-1, 1}) {
      if (m == 0 && side < 0) continue;
      const double at = middle + side * predicted(m);
      // The brightest row within half a band of the prediction.
      int32_t best = int32_t(at);
      for (int32_t y = int32_t(at - spacing / 2); y <= int32_t(at + spacing / 2); ++y)
        if (intensity[size_t(y)] > intensity[size_t(best)]) best = y;
      EXPECT_NEAR(best, at, 0.1 * spacing) << "order " << side * m << ", bands " << spacing << " apart";
    }
  }
}

// --- What the class must see, slide by slide, in the window's 401 x 401 tank ---

class Lesson : public Experiments {
 protected:
  // Slide Name of the shipped experiments, opened from their file as the window opens it.
  TWater& Show(const std::string& Name) {
    const TRef<TSlideshow> made = MakeExperiments();
    made->CollectionWidth = made->CollectionHeight = 0;
    int32_t slide = -1;
    for (int32_t i = 0; i < made->SlideCount(); ++i) {
      std::string name;
      made->GetSlideName(i, name);
      if (name == Name) slide = i;
    }
    EXPECT_GE(slide, 0) << Name;
    Core = Open(Text(*made), std::max(slide, 0), Side);
    Core->SetThreads(1);
    return *Core->ActiveWater();
  }
  void Run(int Ticks) {
    for (int t = 0; t < Ticks; ++t) Core->Tick();
  }
  // The time-averaged squared height of every cell over the next Ticks ticks.
  std::vector<double> Intensity(int Ticks) {
    std::vector<double> mean(size_t(Side) * Side, 0);
    for (int t = 0; t < Ticks; ++t) {
      Core->Tick();
      const TWaterGrid& cells = *Core->ActiveWater()->Cells();
      for (int32_t x = 0; x < Side; ++x) {
        const float* column = cells[x].Displacement;
        for (int32_t y = 0; y < Side; ++y) mean[At(x, y)] += Square(column[y]) / Ticks;
      }
    }
    return mean;
  }
  static size_t At(int32_t X, int32_t Y) { return size_t(X) * Side + size_t(Y); }
  static double Square(double V) { return V * V; }
  double Height(int32_t X, int32_t Y) const { return (*Core->ActiveWater()->Cells())[X][Y].Displacement; }
  // The mean of Field over the cells of a box, both corners included.
  static double Mean(const std::vector<double>& Field, int32_t X0, int32_t Y0, int32_t X1, int32_t Y1) {
    double sum = 0;
    for (int32_t x = X0; x <= X1; ++x)
      for (int32_t y = Y0; y <= Y1; ++y) sum += Field[At(x, y)];
    return sum / ((X1 - X0 + 1) * (Y1 - Y0 + 1));
  }
  // The wavelength along row Y from X0 to X1, from the height's sign changes there now.
  double WavelengthAlongRow(int32_t Y, int32_t X0, int32_t X1) const {
    int32_t first = -1, last = -1, changes = 0;
    for (int32_t x = X0; x < X1; ++x)
      if ((Height(x, Y) < 0) != (Height(x + 1, Y) < 0)) {
        if (first < 0) first = x;
        last = x;
        ++changes;
      }
    return changes > 1 ? 2.0 * (last - first) / (changes - 1) : 0;
  }
  // The intensity at distance R from (X, Y) in the direction Degrees above the +x axis.
  static double Along(const std::vector<double>& Field, double X, double Y, double Degrees, double R) {
    const double a = Degrees * std::numbers::pi / 180;
    return Field[At(int32_t(std::lround(X + R * std::cos(a))), int32_t(std::lround(Y + R * std::sin(a))))];
  }

  static constexpr int32_t Side = 401;
  std::unique_ptr<TTankSession> Core;
};

TEST_F(Lesson, RefractionTheWavesAreShorterInsideTheGlass) {
  TWater& water = Show("Refraction into a glass block");
  const TBlockRIMapper& block = *LastChildOf<TBlockRIMapper>(water);
  Run(700);
  const int32_t y = block.CentreY, inside = block.CentreX - block.BlockWidth / 2;
  const double open = WavelengthAlongRow(y, 45, inside - 5);
  const double glass = WavelengthAlongRow(y, inside + 5, inside + block.BlockWidth - 5);
  EXPECT_NEAR(glass / open, std::sqrt(double(block.GetN())), 0.06) << open << " cells outside, " << glass << " inside";
}

TEST_F(Lesson, SingleSlitTheWaveSpreadsOutBehindTheSlit) {
  TWater& water = Show("Single slit");
  const TBarrier& wall = *LastChildOf<TBarrier>(water);
  Run(600);
  const std::vector<double> I = Intensity(300);
  const double x = wall.X1, y = (wall.Y1 + wall.Y2) / 2.0;
  // Slit 20 cells, waves 15: the first dark direction lies at 49 degrees, so 30 is still bright.
  EXPECT_GT(Along(I, x, y, 30, 90), 0.2 * Along(I, x, y, 0, 90));
  EXPECT_GT(Along(I, x, y, -30, 90), 0.2 * Along(I, x, y, 0, 90));
}

TEST_F(Lesson, GratingSharpBeamsWhereTheSlitsAgree) {
  TWater& water = Show("Diffraction grating");
  const TBarrier& wall = *LastChildOf<TBarrier>(water);
  Run(700);
  // The grid's own wavelength (a wave of 8 cells runs a little short on it), before the wall.
  const double lambda = WavelengthAlongRow(Side / 2, 50, wall.X1 - 10);
  const std::vector<double> I = Intensity(300);
  const double x = wall.X1, y = (wall.Y1 + wall.Y2) / 2.0;
  const double first = std::asin(lambda / wall.SlitSpacing) * 180 / std::numbers::pi;  // 29 degrees
  // On an arc behind the wall: a beam straight on, one each side where d sin(theta) is one
  // wavelength, and dark between them.
  for (const double side : {-1.0, 1.0}) {
    double beam = 0, beamAngle = 0, dark = 1;
    for (double a = 20; a <= 45; a += 0.5)
      if (Along(I, x, y, side * a, 180) > beam) beam = Along(I, x, y, side * a, 180), beamAngle = a;
    for (double a = 10; a <= 20; a += 0.5) dark = std::min(dark, Along(I, x, y, side * a, 180));
    EXPECT_NEAR(beamAngle, first, 3) << "the first-order beam";
    EXPECT_LT(dark, 0.25 * beam) << "dark between the beams";
    EXPECT_LT(dark, 0.25 * Along(I, x, y, 0, 180));
  }
}

TEST_F(Lesson, ReflectionTheBeamLeavesTheWallAtTheAngleItCameIn) {
  TWater& water = Show("Reflection from a wall at 45 degrees");
  const TBarrier& wall = *LastChildOf<TBarrier>(water);
  Run(700);
  const std::vector<double> I = Intensity(300);
  // The beam runs along the middle row and meets the wall at 45 degrees: it leaves straight up.
  const int32_t y = Side / 2, hit = wall.X1 + (y - wall.Y1);
  int32_t brightest = 0;
  for (int32_t x = 60; x < Side - 60; ++x)
    if (I[At(x, y + 90)] > I[At(brightest, y + 90)]) brightest = x;
  EXPECT_NEAR(brightest, hit, 12);
  EXPECT_LT(Mean(I, hit + 60, y - 20, hit + 90, y + 20), 0.05 * Mean(I, hit - 15, y + 80, hit + 15, y + 100))
      << "nothing goes on through the wall";
}

TEST_F(Lesson, StandingWavesNodesHalfAWavelengthApart) {
  TWater& water = Show("Standing waves between two walls");
  const TGeneralExciter& source = *LastChildOf<TGeneralExciter>(water);
  const double lambda = source.GetWavelength();
  Run(1200);
  const std::vector<double> I = Intensity(400);
  // Along the source's row towards a wall: quiet nodes between loud antinodes.
  std::vector<int32_t> nodes;
  double loudest = 0;
  for (int32_t x = source.X1 + 15; x < source.X1 + 85; ++x) {
    const double here = I[At(x, source.Y1)];
    loudest = std::max(loudest, here);
    if (here < I[At(x - 1, source.Y1)] && here <= I[At(x + 1, source.Y1)]) nodes.push_back(x);
  }
  ASSERT_GE(nodes.size(), 4u);
  EXPECT_NEAR(double(nodes.back() - nodes.front()) / double(nodes.size() - 1), lambda / 2, 0.1 * lambda);
  for (const int32_t x : nodes) EXPECT_LT(I[At(x, source.Y1)], 0.25 * loudest) << "node at " << x;
}

TEST_F(Lesson, TwoSourcesNodalLinesWhereThePathsDifferByHalfAWave) {
  TWater& water = Show("Two-source interference");
  const TGeneralExciter& source = *LastChildOf<TGeneralExciter>(water);
  const double lambda = source.GetWavelength();
  Run(900);
  const std::vector<double> I = Intensity(300);
  // On a column to the right: bright on the middle line, quiet where the paths differ by half a
  // wavelength.
  const int32_t x = source.X1 + 150;
  const double middle = (source.Y1 + source.Y2) / 2.0, half = (source.Y2 - source.Y1) / 2.0;
  double y = middle;
  while (std::hypot(x - source.X1, y - source.Y1) - std::hypot(x - source.X1, y - source.Y2) < lambda / 2) y += 0.25;
  const double bright = I[At(x, int32_t(std::lround(middle)))];
  for (const double node : {y, 2 * middle - y}) {
    double quietest = bright;
    for (int32_t k = int32_t(node) - 3; k <= int32_t(node) + 3; ++k) quietest = std::min(quietest, I[At(x, k)]);
    EXPECT_LT(quietest, 0.1 * bright) << "the nodal line near row " << node << " (sources " << 2 * half << " apart)";
  }
}

TEST_F(Lesson, BeatsTheWaterSwellsAndFades) {
  TWater& water = Show("Beats");
  const TGeneralExciter& source = *LastChildOf<TGeneralExciter>(water);
  Run(400);
  // The largest height in each period at a point beyond the pair, over several beats.
  const int32_t x = source.X1 + 100, y = (source.Y1 + source.Y2) / 2;
  const int period = int(std::lround(source.Period));
  std::vector<double> swing;
  for (int p = 0; p < 900 / period; ++p) {
    double most = 0;
    for (int t = 0; t < period; ++t, Core->Tick()) most = std::max(most, std::abs(Height(x, y)));
    swing.push_back(most);
  }
  const auto [least, largest] = std::minmax_element(swing.begin(), swing.end());
  EXPECT_GT(*largest, 4 * *least);
}

TEST_F(Lesson, TotalInternalReflectionNoWaveLeavesThroughTheFaceTheBeamMeets) {
  TWater& water = Show("Total internal reflection");
  TBlockRIMapper& block = *LastChildOf<TBlockRIMapper>(water);
  const auto calm = [&] {
    Run(1500);
    const std::vector<double> I = Intensity(300);
    // The open-water corner beyond the face, against the beam inside the glass.
    const double outside = Mean(I, 270, 215, 310, 245), beam = Mean(I, 60, 180, 120, 220);
    return outside / beam;
  };
  EXPECT_LT(calm(), 0.002) << "index " << std::sqrt(1 / double(block.GetN()));
  // The same glass with an index below the critical one for 45 degrees lets the beam out.
  Show("Total internal reflection");
  LastChildOf<TBlockRIMapper>(*Core->ActiveWater())->SetN(0.6f);
  EXPECT_GT(calm(), 0.05);
}

TEST_F(Lesson, LensTheBeamComesToAFocusBehindTheLens) {
  TWater& water = Show("A convex lens");
  const TLensRIMapper& lens = *LastChildOf<TLensRIMapper>(water);
  Run(900);
  const std::vector<double> I = Intensity(300);
  // The beam's width (rows above half its peak) before the lens and at its narrowest behind it.
  const auto width = [&](int32_t x) {
    double peak = 0;
    for (int32_t y = 0; y < Side; ++y) peak = std::max(peak, I[At(x, y)]);
    int32_t rows = 0;
    for (int32_t y = 0; y < Side; ++y) rows += I[At(x, y)] > peak / 2;
    return rows;
  };
  int32_t narrowest = Side;
  for (int32_t x = lens.CentreX + 30; x < Side - 45; ++x) narrowest = std::min(narrowest, width(x));
  EXPECT_LT(narrowest, 0.6 * width(lens.CentreX - 60));
}

TEST_F(Lesson, PrismTheBeamLeavesTurnedTowardsTheBase) {
  TWater& water = Show("Refraction through a prism");
  const TGeneralExciter& source = *LastChildOf<TGeneralExciter>(water);
  Run(900);
  const std::vector<double> I = Intensity(300);
  // The base is at the bottom: beyond the prism the beam runs down and away from its row.
  const auto brightest = [&](int32_t x) {
    int32_t row = 45;
    for (int32_t y = 45; y < Side - 45; ++y)
      if (I[At(x, y)] > I[At(x, row)]) row = y;
    return row;
  };
  const double turn = std::atan2(brightest(310) - brightest(350), 40.0) * 180 / std::numbers::pi;
  EXPECT_LT(brightest(310), source.Y3 - 15);
  EXPECT_GT(turn, 12) << "index 1.29, 60 degrees apex: about 21 degrees at the least";
  EXPECT_LT(turn, 35);
}

TEST_F(Lesson, DopplerTheSourceSetsOffOnTheMiddleLineAndSqueezesTheWavesAhead) {
  TWater& water = Show("Doppler effect");
  const TGeneralExciter& source = *LastChildOf<TGeneralExciter>(water);
  EXPECT_EQ(source.DopplerY, float(Side / 2)) << "starts where Reset puts it, not in a corner";
  EXPECT_EQ(source.DopplerX, float(source.PercentToGridX(5)));
  Run(400);
  const int32_t x = int32_t(source.DopplerX), y = int32_t(source.DopplerY);
  const double ahead = WavelengthAlongRow(y, x + 8, x + 70), behind = WavelengthAlongRow(y, x - 150, x - 20);
  // At Mach 0.5: (1 - 0.5) / (1 + 0.5) of each other.
  EXPECT_NEAR(ahead / behind, 1.0 / 3, 0.1) << ahead << " ahead, " << behind << " behind";
}

TEST_F(Lesson, ShockConeTheSourceOutrunsItsOwnWaves) {
  TWater& water = Show("Shock-wave cone");
  const TGeneralExciter& source = *LastChildOf<TGeneralExciter>(water);
  EXPECT_EQ(source.DopplerY, float(Side / 2));
  Run(300);
  const int32_t x = int32_t(source.DopplerX), y = int32_t(source.DopplerY);
  double ahead = 0, behind = 0;
  for (int32_t d = 8; d < 40; ++d) {
    ahead = std::max(ahead, std::abs(Height(x + d, y)));
    behind = std::max(behind, std::abs(Height(x - d - 40, y + 40)));
  }
  EXPECT_LT(ahead, 0.01 * behind) << "still water ahead of the source";
}

TEST_F(Lesson, SinglePulseThePulseIsOutByTick150AndGoesAlone) {
  TWater& water = Show("A single pulse reflecting from a wall");
  const TGeneralExciter& source = *LastChildOf<TGeneralExciter>(water);
  Run(150);
  double highest = 0;
  const TWaterGrid& cells = *water.Cells();
  for (int32_t x = 0; x < Side; ++x)
    for (int32_t y = 0; y < Side; ++y) highest = std::max(highest, std::abs(double(cells[x][y].Displacement)));
  EXPECT_GT(highest, 0.2);
  Run(400);
  EXPECT_FALSE(source.ON || source.OneShot) << "one pulse, then the source is quiet";
}

}  // namespace
