// The shipped experiments: every slide runs long and stays finite, comes back the same from
// its file, and the double slit puts its bright bands where the path difference says.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "frame/ClassRegistration.h"
#include "frame/Experiments.h"
#include "frame/SceneFiles.h"
#include "frame/uDemoMainFormCore.h"
#include "objects/UniqueIDs.h"
#include "objects/uBarrier.h"
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
  std::unique_ptr<TMainFormCore> Open(const std::string& Text, int32_t Index, int32_t Side) {
    auto core = std::make_unique<TMainFormCore>(Clock);
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

}  // namespace
