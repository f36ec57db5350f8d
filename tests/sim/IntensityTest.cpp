// The time-averaged intensity and the colour schemes: the sweep keeps the mean exactly as a
// plain loop does on every kernel and layout, the picture shows it through the tables, and the
// mean of two sources in step shows their nodal lines.
#include <gtest/gtest.h>

#include "tests/sim/ReferenceStep.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "objects/uGeneralExciter.h"
#include "sim/WaterPalettes.h"
#include "sim/WaterStepKernels.h"
#include "sim/WaterSweep.h"
#include "sim/WorkerPool.h"
#include "sim/uWater.h"
#include "xmlworker/XMLFormat.h"

using namespace plashbox;

namespace {

void Waves(TWaterGrid& c) {
  for (int32_t x = 0; x < c.Width(); ++x)
    for (int32_t y = 0; y < c.Height(); ++y) {
      c[x][y].Displacement = float(std::sin(x * 1.3 + y * 0.7) * 2.5);
      c[x][y].Velocity = float(std::cos(x * 0.4 - y * 0.9) * 0.3);
      c.Writable(x)[y].SpeedFactor = 0.05f + 0.06f * float((x * 5 + y * 3) % 9);
      c.Writable(x)[y].Damping = 0.97f;
    }
}

std::vector<uint32_t> PictureOf(const TFastDIB& s) {
  std::vector<uint32_t> p;
  for (int32_t y = 0; y < s.AbsHeight(); ++y)
    for (int32_t x = 0; x < s.Width(); ++x) p.push_back(s.Rows24()[y][x].Value());
  return p;
}

const detail::TSweepLayout Layouts[] = {{1, 1}, {1, 32}, {2, 5}, {3, 16}, {4, 2}};

}  // namespace

// The mean and its picture from a plain loop after the plain two passes, against every kernel
// and layout, with the mean shown and with it only kept under a colour scheme.
TEST(Intensity, SweepKeepsThePlainMeanOnEveryKernelAndLayout) {
  SharedWorkerPool().Reserve(3);
  const detail::TColouring paint = detail::MakeColouring(1.9f);
  const double rate = 1.0 / 7.0;
  for (const auto& [W, H] : {std::pair{37, 23}, std::pair{1025, 3}, std::pair{4, 9}})
    for (const bool shown : {true, false}) {
      const uint32_t* table = shown ? detail::IntensityTable() : detail::SchemeTable(csBlueWhiteRed);
      TWaterGrid expected(W, H);
      Waves(expected);
      std::vector<float> expectedMean(size_t(W) * H, 0.0f);
      std::vector<uint32_t> expectedPicture(size_t(W) * H, 0);
      std::vector<TWaterGrid> grids;
      std::vector<std::vector<float>> means;
      std::vector<TFastDIB> pictures(std::size(Layouts) * detail::AvailableStepKernels().size());
      for (TFastDIB& p : pictures) {
        grids.push_back(expected);
        means.emplace_back(size_t(W) * H, 0.0f);
        p.SetSize(W, H, 24);
      }
      detail::TWaterSweep sweep;
      for (int step = 0; step < 4; ++step) {
        tests::ReferenceStep(expected);
        for (int32_t x = 1; x < W - 1; ++x)
          for (int32_t y = 1; y < H - 1; ++y) {
            float& m = expectedMean[size_t(x) * H + size_t(y)];
            const double d = expected[x][y].Displacement;
            m = float(double(m) + rate * (d * d - double(m)));
            const TPixelColor plain = shown ? detail::IntensityColour(m, expected[x][y].SpeedFactor, paint)
                                            : detail::CellColour(expected[x][y], paint);
            const uint32_t v = plain.Value();
            expectedPicture[size_t(y) * W + x] = table[((v >> 16) & 255) * 256 + ((v >> 8) & 255)];
          }
        size_t i = 0;
        for (const detail::TStepKernels* k : detail::AvailableStepKernels())
          for (const detail::TSweepLayout& layout : Layouts) {
            const detail::TSweepExtras extras{means[i].data(), rate, shown, table};
            sweep.Step(grids[i], &paint, pictures[i].Rows24(), layout, *k, extras);
            ASSERT_EQ(means[i], expectedMean) << k->Name << " " << W << "x" << H << " threads " << layout.Threads;
            ASSERT_EQ(PictureOf(pictures[i]), expectedPicture)
                << k->Name << " " << W << "x" << H << " threads " << layout.Threads << " shown " << shown;
            ++i;
          }
      }
      // Colouring without a step shows the same picture.
      TFastDIB again;
      again.SetSize(W, H, 24);
      const detail::TSweepExtras extras{expectedMean.data(), 0, shown, table};
      sweep.Colour(expected, W, H, paint, again.Rows24(), Layouts[2], detail::BestStepKernels(), extras);
      EXPECT_EQ(PictureOf(again), expectedPicture) << W << "x" << H;
    }
}

// Open water (the medium level equal to the height level) follows the scheme's ramp from dark
// to bright, and slower and faster water show in a cast of their own at the same height.
TEST(Intensity, SchemesKeepTheMediumVisible) {
  const auto brightness = [](uint32_t v) { return (v & 255) + ((v >> 8) & 255) + ((v >> 16) & 255); };
  const auto apart = [](uint32_t a, uint32_t b) {
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8) sum += std::abs(int((a >> shift) & 255) - int((b >> shift) & 255));
    return sum;
  };
  std::vector<const uint32_t*> tables{detail::IntensityTable()};
  for (int32_t s = csBlueWater; s < ColourSchemeCount; ++s) tables.push_back(detail::SchemeTable(s));
  EXPECT_EQ(detail::SchemeTable(csGrey), nullptr);  // the kernels' own colours
  for (size_t t = 0; t < tables.size(); ++t) {
    const uint32_t* table = tables[t];
    if (table == detail::SchemeTable(csBlueWhiteRed)) {  // signed: troughs blue, crests red
      EXPECT_GT(table[0] & 255, (table[0] >> 16) & 255);
      EXPECT_GT((table[255 * 256 + 255] >> 16) & 255, table[255 * 256 + 255] & 255);
    } else {
      EXPECT_LT(brightness(table[0]), 60u) << "table " << t;
      EXPECT_GT(brightness(table[255 * 256 + 255]), 600u) << "table " << t;
    }
    for (const int r : {100, 160, 220}) {
      const uint32_t open = table[r * 256 + r];
      // Glass of index 1.5 and 1.2, and water faster than open water.
      for (const int g : {int(r / 2.25), int(r / 1.44), r < 170 ? int(r * 1.5) : 0})
        EXPECT_GE(apart(open, table[r * 256 + g]), 30) << "table " << t << " level " << r << " medium " << g;
    }
  }
}

// Two sources in step 40 cells apart, waves of 20 cells: on a circle about their middle the mean
// is near zero where the paths differ by half a wavelength and high on the bisector.
TEST(Intensity, TwoSourcesInStepShowNodalLinesAndABrightBisector) {
  ExciterClassList().Clear();
  const int32_t W = 201, H = 201;
  TRef<TWater> w = NewNode<TWater>();
  w->SetGridSize(W, H);
  const TRef<TGeneralExciter> source = NewNode<TGeneralExciter>();
  for (const auto& [p, v] : {std::pair{"BeamType", "3"}, {"X1Percent", "40"}, {"Y1Percent", "40"},
                             {"X2Percent", "40"}, {"Y2Percent", "60"}, {"Wavelength", "20"}})
    SetPublishedValue(*source, p, v);
  w->add(source.get());
  w->SetIntensityView(true);
  TFastDIB surface;
  surface.SetSize(W, H, 24);
  for (int step = 0; step < 700; ++step) w->StepAndRender(surface);
  ASSERT_TRUE(w->KeepsIntensity());

  // The sources' cells (grid coordinates, y upward, as the mean is read).
  const double sx = source->X1, s1 = source->Y1, s2 = source->Y2;
  const double mx = sx, my = (s1 + s2) / 2, radius = 70, lambda = 20;
  const auto at = [&](double Angle) {
    const double px = mx + radius * std::cos(Angle), py = my + radius * std::sin(Angle);
    const double difference = std::abs(std::hypot(px - sx, py - s1) - std::hypot(px - sx, py - s2));
    return std::pair{difference, w->IntensityAt(int32_t(std::lrint(px)), int32_t(std::lrint(py)))};
  };
  const float bisector = at(0).second;
  ASSERT_GT(bisector, 0.0f);
  for (const int side : {-1, 1}) {
    // The angle where the paths differ by half a wavelength, found along the arc.
    double node = 0, best = 1e9;
    for (double a = 0; a < 0.6; a += 0.002)
      if (const double miss = std::abs(at(side * a).first - lambda / 2); miss < best) best = miss, node = side * a;
    ASSERT_LT(best, 0.5);
    EXPECT_LT(at(node).second, 0.1f * bisector) << "side " << side;
    for (double a = 0; a < std::abs(node) * 0.3; a += 0.01) EXPECT_GT(at(side * a).second, 0.7f * bisector);
  }
}

// The mean starts from still water whenever it starts to be kept, and costs nothing otherwise.
TEST(Intensity, KeptOnlyWhileWantedAndClearedWithTheWaves) {
  ExciterClassList().Clear();
  TRef<TWater> w = NewNode<TWater>();
  w->SetGridSize(41, 31);
  Waves(*w->Cells());
  TFastDIB surface;
  surface.SetSize(41, 31, 24);
  w->StepAndRender(surface);
  EXPECT_FALSE(w->KeepsIntensity());
  EXPECT_EQ(w->IntensityAt(20, 15), 0.0f);
  w->SetIntensityView(true);
  w->StepAndRender(surface);
  ASSERT_TRUE(w->KeepsIntensity());
  const double d = (*w->Cells())[20][15].Displacement;
  EXPECT_EQ(w->IntensityAt(20, 15), float(d * d / w->IntensityTimeConstant()));
  w->ClearWaves();
  EXPECT_EQ(w->IntensityAt(20, 15), 0.0f);
  w->SetIntensityView(false);
  w->SimulateStep();
  EXPECT_FALSE(w->KeepsIntensity());
  EXPECT_THROW(w->SetAveragingPeriods(0), EConvertError);
}
