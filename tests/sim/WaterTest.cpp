#include <gtest/gtest.h>

#include "tests/sim/ReferenceStep.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "sim/WaterStepKernels.h"
#include "sim/WaterSweep.h"
#include "sim/uWater.h"
#include "xmlworker/XMLFormat.h"

using namespace plashbox;

namespace {

TRef<TWater> Water(int32_t W, int32_t H) {
  TRef<TWater> w = NewNode<TWater>();
  w->SetGridSize(W, H);
  return w;
}

float BorderRing(int32_t N, int32_t i) {
  const double r = 0.015 * (N - i);
  return static_cast<float>(0.999 * std::exp(-(r * r)));
}

TEST(WaterGrid, NewWaterIsEmpty) {
  const TRef<TWater> w = NewNode<TWater>();
  EXPECT_EQ(w->GridWidth(), 0);
  EXPECT_EQ(w->GridHeight(), 0);
  EXPECT_EQ(w->MemoryUsage(), 0);
  EXPECT_EQ(w->Exposure(), 2.55f);
  EXPECT_GE(w->UniqueID(), 10);
  w->SimulateStep();  // nothing to step, nothing to crash
  w->ClearWaves();
  EXPECT_EQ(w->DisplacementAt(0, 0), 0.0f);
}

TEST(WaterGrid, AbsorbingBorderOn401) {
  const TRef<TWater> w = Water(401, 401);
  EXPECT_EQ(AbsorbingBorderWidth(401, 401), 40);
  EXPECT_EQ(w->MemoryUsage(), 401 * 401 * 16);
  const TWaterGrid& c = *w->Cells();
  const int32_t y = 200;
  EXPECT_EQ(c[1][y].Damping, BorderRing(40, 1));
  EXPECT_NEAR(c[1][y].Damping, 0.710, 0.001);
  EXPECT_EQ(c[400][y].Damping, BorderRing(40, 1)) << "the far side reaches into the last column";
  EXPECT_EQ(c[399][y].Damping, BorderRing(40, 2));
  EXPECT_EQ(c[39][y].Damping, BorderRing(40, 39));
  EXPECT_EQ(c[362][y].Damping, BorderRing(40, 39));
  EXPECT_EQ(c[0][y].Damping, 0.999f);
  for (int32_t x = 40; x <= 361; ++x) EXPECT_EQ(c[x][y].Damping, 0.999f) << x;
  // The same ramp on rows, and the rings' corners.
  EXPECT_EQ(c[200][400].Damping, BorderRing(40, 1));
  EXPECT_EQ(c[200][0].Damping, 0.999f);
  EXPECT_EQ(c[1][1].Damping, BorderRing(40, 1));
  EXPECT_EQ(c[20][30].Damping, BorderRing(40, 20));
  EXPECT_EQ(c[200][200].SpeedFactor, 0.5f);
}

TEST(WaterGrid, BorderWidthRule) {
  EXPECT_EQ(AbsorbingBorderWidth(300, 500), 40);
  EXPECT_EQ(AbsorbingBorderWidth(1000, 800), 80);
  EXPECT_EQ(AbsorbingBorderWidth(425, 2000), 42) << "42.5 rounds to the even neighbour";
  EXPECT_EQ(AbsorbingBorderWidth(435, 2000), 44) << "43.5 rounds to the even neighbour";
}

TEST(WaterGrid, GridsSmallerThanTheBorderBuildAndStep) {
  for (const auto& [W, H] : {std::pair{0, 0}, {2, 2}, {3, 100}, {100, 3}, {1, 1}, {0, 5}, {5, 0}}) {
    const TRef<TWater> w = Water(W, H);
    EXPECT_EQ(w->GridWidth(), W);
    w->SimulateStep();
    if (W * H > 0) {
      EXPECT_EQ(w->MemoryUsage(), W * H * 16);
    }
  }
  // A 2 x 2 grid has no inner cell: the passes leave every cell alone.
  const TRef<TWater> w = Water(2, 2);
  TWaterGrid& c = *w->Cells();
  c[0][0].Displacement = 1;
  c[1][1].Velocity = 2;
  w->SimulateStep();
  EXPECT_EQ(c[0][0].Displacement, 1.0f);
  EXPECT_EQ(c[1][1].Velocity, 2.0f);
  EXPECT_EQ(c[1][1].Displacement, 0.0f);
}

TEST(TimeStep, MatchesTheTwoPassesBitForBit) {
  const TRef<TWater> w = Water(61, 47);
  TWaterGrid& c = *w->Cells();
  for (int32_t x = 0; x < 61; ++x)
    for (int32_t y = 0; y < 47; ++y) {
      c[x][y].Displacement = float(std::sin(x * 0.7) * std::cos(y * 1.3) * 4.0);
      c[x][y].Velocity = float(std::cos(x * y * 0.01) * 0.3);
      c.Writable(x)[y].SpeedFactor = (x + y) % 5 == 0 ? 0.2727f : 0.5f;
    }
  TWaterGrid expected = c;
  for (int step = 0; step < 25; ++step) {
    tests::ReferenceStep(expected);
    w->SimulateStep();
  }
  for (int32_t x = 0; x < 61; ++x)
    for (int32_t y = 0; y < 47; ++y) {
      ASSERT_EQ(c[x][y].Displacement, expected[x][y].Displacement) << x << "," << y;
      ASSERT_EQ(c[x][y].Velocity, expected[x][y].Velocity) << x << "," << y;
    }
}

// Runs one step over a grid with the given kernels, as the water does.
void KernelStep(const detail::TStepKernels& k, TWaterGrid& c) {
  const int32_t W = c.Width(), H = c.Height();
  for (int32_t x = 1; x < W - 1; ++x) k.StepColumn(c[x - 1], c[x], c[x + 1], H, x > 1, nullptr, nullptr);
  k.DisplaceColumn(c[W - 2], H, nullptr, nullptr);
}

TEST(TimeStep, EveryKernelVariantGivesTheSameBitsForEveryHeight) {
  for (const detail::TStepKernels* k : detail::AvailableStepKernels())
    for (int32_t H = 3; H <= 21; ++H) {
      TWaterGrid c(7, H);
      for (int32_t x = 0; x < 7; ++x)
        for (int32_t y = 0; y < H; ++y) {
          c[x][y].Displacement = float(std::sin(x * 1.7 + y) * 5.0);  // some beyond the clamp
          c[x][y].Velocity = float(std::cos(x - y * 0.3));
          c.Writable(x)[y].SpeedFactor = 0.1f + 0.05f * float((x * 3 + y) % 9);
          c.Writable(x)[y].Damping = 0.9f + 0.01f * float(y % 10);
        }
      TWaterGrid expected = c;
      for (int step = 0; step < 4; ++step) {
        tests::ReferenceStep(expected);
        KernelStep(*k, c);
      }
      for (int32_t x = 0; x < 7; ++x)
        for (int32_t y = 0; y < H; ++y) {
          ASSERT_EQ(c[x][y].Displacement, expected[x][y].Displacement) << k->Name << " H=" << H << " " << x << "," << y;
          ASSERT_EQ(c[x][y].Velocity, expected[x][y].Velocity) << k->Name << " H=" << H << " " << x << "," << y;
          ASSERT_EQ(c[x][y].SpeedFactor, expected[x][y].SpeedFactor);
          ASSERT_EQ(c[x][y].Damping, expected[x][y].Damping);
        }
    }
}

// Same bits, or both NaN: which of two NaN operands an addition passes on is the processor's
// choice, and the compiler may order the operands either way.
bool SameFloat(float a, float b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(TimeStep, EveryKernelVariantAgreesOnSpecialValues) {
  const float inf = std::numeric_limits<float>::infinity();
  const float specials[] = {inf, -inf, std::numeric_limits<float>::quiet_NaN(), -0.0f, 1e-45f,
                            -3e-39f, 3.5f, -3.5f, 3.5000002f, std::numeric_limits<float>::max()};
  for (const detail::TStepKernels* k : detail::AvailableStepKernels()) {
    const int32_t W = 6, H = 37;
    TWaterGrid c(W, H);
    int n = 0;
    for (int32_t x = 0; x < W; ++x)
      for (int32_t y = 0; y < H; ++y, ++n) {
        c[x][y].Displacement = n % 3 == 0 ? specials[n % 10] : float(std::sin(n * 0.37));
        c[x][y].Velocity = n % 7 == 0 ? specials[(n / 7) % 10] : 0.0f;
        c.Writable(x)[y].SpeedFactor = n % 11 == 0 ? -0.0f : 0.5f;
      }
    TWaterGrid expected = c;
    for (int step = 0; step < 3; ++step) {
      tests::ReferenceStep(expected);
      KernelStep(*k, c);
    }
    for (int32_t x = 0; x < W; ++x)
      for (int32_t y = 0; y < H; ++y) {
        ASSERT_TRUE(SameFloat(c[x][y].Displacement, expected[x][y].Displacement))
            << k->Name << " " << x << "," << y << ": " << c[x][y].Displacement << " vs " << expected[x][y].Displacement;
        ASSERT_TRUE(SameFloat(c[x][y].Velocity, expected[x][y].Velocity))
            << k->Name << " " << x << "," << y << ": " << c[x][y].Velocity << " vs " << expected[x][y].Velocity;
      }
  }
}

// Specials at every row of a column, so that each lands in a vector's every lane and in the
// rows after the last whole vector, for every count of those rows.
void FillWithSpecials(TWaterGrid& c, bool OwnMedium) {
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  const float heights[] = {inf, -inf, nan, -0.0f, 1e-45f, 3.5f, -3.5f, 3.5000002f, 300.0f, 0.3f, -1.7f};
  const float speedFactors[] = {0.5f, 0.25f, -0.0f, nan, 0.5f, inf, 0.5f, 0.4f};
  if (!OwnMedium) {
    // The medium that the columns share, which some kernels read as doubles.
    std::vector<float> speedFactor, damping;
    for (int32_t y = 0; y < c.Height(); ++y) {
      speedFactor.push_back(speedFactors[(y * 3) % 8]);
      damping.push_back(y % 4 == 0 ? 1.0f : 0.97f);
    }
    c.SetSharedMedium(speedFactor.data(), damping.data());
  }
  int n = 0;
  for (int32_t x = 0; x < c.Width(); ++x)
    for (int32_t y = 0; y < c.Height(); ++y, ++n) {
      c[x][y].Displacement = n % 2 == 0 ? heights[(n / 2) % 11] : float(std::sin(n * 0.37) * 4.0);
      c[x][y].Velocity = n % 5 == 0 ? heights[(n / 5) % 11] : float(std::cos(n * 0.21) * 0.2);
      if (!OwnMedium) continue;
      c.Writable(x)[y].SpeedFactor = speedFactors[n % 8];
      c.Writable(x)[y].Damping = n % 4 == 0 ? 1.0f : 0.97f;
    }
}

// The two-column kernels as the sweep calls them, with a picture: pairs from column 1, then the
// displacement pass of the last column.
TEST(TimeStep, EveryTwoColumnKernelAgreesOnSpecialValuesForEveryHeight) {
  const detail::TColouring paint = detail::MakeColouring(2.55f);
  for (const detail::TStepKernels* k : detail::AvailableStepKernels()) {
    if (!k->StepTwoColumns) continue;
    for (const bool ownMedium : {false, true})
      for (int32_t H = 3; H <= 21; ++H) {
        const int32_t W = 8;
        TWaterGrid c(W, H);
        FillWithSpecials(c, ownMedium);
        TWaterGrid expected = c;
        std::vector<TPixelColor> picture(size_t(W) * size_t(H));
        tests::ReferenceStep(expected, &picture, &paint);
        std::vector<std::vector<uint32_t>> pixels(static_cast<size_t>(W),
                                                  std::vector<uint32_t>(static_cast<size_t>(H)));
        for (int32_t x = 1; x + 1 < W - 1; x += 2)
          k->StepTwoColumns(c[x - 1], c[x], c[x + 1], c[x + 2], H, x > 1, &paint, pixels[size_t(x - 1)].data(),
                            pixels[size_t(x)].data());
        k->DisplaceColumn(c[W - 2], H, &paint, pixels[size_t(W - 2)].data());
        for (int32_t x = 1; x < W - 1; ++x)
          for (int32_t y = 1; y < H - 1; ++y) {
            const std::string at = std::string(k->Name) + (ownMedium ? " own" : " shared") + " H=" +
                                   std::to_string(H) + " " + std::to_string(x) + "," + std::to_string(y);
            ASSERT_TRUE(SameFloat(c[x][y].Displacement, expected[x][y].Displacement)) << at;
            ASSERT_TRUE(SameFloat(c[x][y].Velocity, expected[x][y].Velocity)) << at;
            ASSERT_EQ(pixels[size_t(x)][size_t(y)], picture[size_t(y) * W + x].Value()) << at;
          }
      }
  }
}

TEST(TimeStep, EveryKernelVariantColoursSpecialValuesAsTheCellByCellRule) {
  const detail::TColouring paint = detail::MakeColouring(2.55f);
  for (const detail::TStepKernels* k : detail::AvailableStepKernels())
    for (int32_t H = 3; H <= 21; ++H) {
      TWaterGrid c(3, H);
      FillWithSpecials(c, true);
      std::vector<uint32_t> pixels(size_t(H), 7);
      k->ColourColumn(c[1], H, paint, pixels.data());
      EXPECT_EQ(pixels.front(), 7u) << "row 0 is the border";
      EXPECT_EQ(pixels.back(), 7u) << "row H-1 is the border";
      for (int32_t y = 1; y < H - 1; ++y)
        ASSERT_EQ(pixels[size_t(y)], detail::CellColour(c[1][y], paint).Value())
            << k->Name << " H=" << H << " y=" << y << ": " << c[1][y].Displacement << ", " << c[1][y].SpeedFactor;
    }
}

TEST(TimeStep, EveryKernelVariantColoursTheSamePixels) {
  const int32_t W = 9;
  for (int32_t H = 3; H <= 21; H += 3) {
    std::vector<std::vector<TPixelColor>> pictures;
    for (const detail::TStepKernels* k : detail::AvailableStepKernels()) {
      TWaterGrid c(W, H);
      for (int32_t x = 0; x < W; ++x)
        for (int32_t y = 0; y < H; ++y) {
          c[x][y].Displacement = float(std::sin(x * 0.9 + y * 1.1) * 3.0);
          c.Writable(x)[y].SpeedFactor = 0.1f * float((x + 2 * y) % 8);
        }
      TFastDIB dib;
      dib.SetSize(W, H, 24);
      const detail::TColouring paint = detail::MakeColouring(2.55f);
      detail::TWaterSweep sweep;
      sweep.Step(c, &paint, dib.Rows24(), detail::TSweepLayout{1, 4}, *k);
      std::vector<TPixelColor> picture;
      for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) {
          picture.push_back(dib.Rows24()[y][x]);
          const bool inner = x > 0 && y > 0 && x < W - 1 && y < H - 1;
          if (inner) EXPECT_EQ(picture.back(), detail::CellColour(c[x][y], paint)) << k->Name << " " << x << "," << y;
          else EXPECT_EQ(picture.back(), (TPixelColor{0, 0, 0})) << "the frame is never written";
        }
      pictures.push_back(picture);
    }
    for (const auto& p : pictures) EXPECT_EQ(p, pictures.front()) << "H=" << H;
  }
}

TEST(TimeStep, FirstStepValuesAreExact) {
  const TRef<TWater> w = Water(401, 401);
  TWaterGrid& c = *w->Cells();
  c[200][200].Displacement = 1.0f;
  w->SimulateStep();
  // Centre: v = 0.5 x (0 - 4) = -2, d = (1 - 2) x 0.999; neighbours: v = 0.5, d = 0.5 x 0.999.
  EXPECT_EQ(c[200][200].Velocity, -2.0f);
  EXPECT_EQ(c[200][200].Displacement, float(-1.0 * double(0.999f)));
  EXPECT_EQ(c[201][200].Displacement, float(0.5 * double(0.999f)));
  EXPECT_EQ(c[200][199].Velocity, 0.5f);
  EXPECT_EQ(c[202][200].Displacement, 0.0f) << "one cell per step";
}

TEST(TimeStep, RingSpreadsEquallyAndFadesInTheBorder) {
  const TRef<TWater> w = Water(401, 401);
  TWaterGrid& c = *w->Cells();
  c[200][200].Displacement = 3.0f;
  for (int step = 0; step < 100; ++step) w->SimulateStep();
  // The four axis directions see exactly the same values: the stencil is symmetric.
  for (int32_t r = 1; r < 150; ++r) {
    const float east = c[200 + r][200].Displacement;
    EXPECT_EQ(c[200 - r][200].Displacement, east) << r;
    EXPECT_EQ(c[200][200 + r].Displacement, east) << r;
    EXPECT_EQ(c[200][200 - r].Displacement, east) << r;
  }
  // The front has travelled about 0.7 cells a step: there are waves at radius 60 and none at 90.
  float nearMax = 0, farMax = 0;
  for (int32_t r = 55; r <= 75; ++r) nearMax = std::max(nearMax, std::fabs(c[200 + r][200].Displacement));
  for (int32_t r = 90; r <= 120; ++r) farMax = std::max(farMax, std::fabs(c[200 + r][200].Displacement));
  EXPECT_GT(nearMax, 1e-3f);
  EXPECT_LT(farMax, 1e-5f);

}

double Energy(const TWaterGrid& c) {
  double e = 0;
  for (int32_t x = 0; x < c.Width(); ++x)
    for (int32_t y = 0; y < c.Height(); ++y) e += double(c[x][y].Displacement) * c[x][y].Displacement;
  return e;
}

TEST(TimeStep, BorderAbsorbsWhatAHardEdgeReflects) {
  const TRef<TWater> absorbing = Water(401, 401), reflecting = Water(401, 401);
  TWaterGrid& a = *absorbing->Cells();
  TWaterGrid& r = *reflecting->Cells();
  for (int32_t x = 0; x < 401; ++x)
    for (int32_t y = 0; y < 401; ++y) r.Writable(x)[y].Damping = 0.999f;
  a[200][200].Displacement = r[200][200].Displacement = 3.0f;
  for (int step = 0; step < 200; ++step) {
    absorbing->SimulateStep();
    reflecting->SimulateStep();
  }
  // Until the front reaches the ramp the border makes no difference at all.
  EXPECT_EQ(Energy(a), Energy(r));
  for (int step = 0; step < 400; ++step) {
    absorbing->SimulateStep();
    reflecting->SimulateStep();
  }
  EXPECT_LT(Energy(a), 0.5 * Energy(r));
}

TEST(TimeStep, DisplacementIsClampedAndOuterCellsNeverChange) {
  const TRef<TWater> w = Water(50, 50);
  TWaterGrid& c = *w->Cells();
  c[25][25].Displacement = 10.0f;
  c[20][20].Displacement = -10.0f;
  c[0][10].Displacement = 7.0f;
  c[49][10].Displacement = 7.0f;
  c[10][49].Velocity = 3.0f;
  w->SimulateStep();
  EXPECT_EQ(c[25][25].Displacement, -3.5f) << "10 - 40 x 0.5 overshoots below -3.5";
  EXPECT_EQ(c[20][20].Displacement, 3.5f);
  EXPECT_EQ(c[0][10].Displacement, 7.0f);
  EXPECT_EQ(c[49][10].Displacement, 7.0f);
  EXPECT_EQ(c[10][49].Velocity, 3.0f);
  for (int i = 0; i < 50; ++i) w->SimulateStep();
  for (int32_t x = 1; x < 49; ++x)
    for (int32_t y = 1; y < 49; ++y) ASSERT_LE(std::fabs(c[x][y].Displacement), 3.5f);
}

TEST(TimeStep, ClearWavesKeepsTheMedium) {
  const TRef<TWater> w = Water(100, 80);
  TWaterGrid& c = *w->Cells();
  c.Writable(50)[40].SpeedFactor = 0.25f;
  c[50][41].Displacement = 2;
  c[0][0].Displacement = 1;
  c[99][79].Velocity = 1;
  for (int i = 0; i < 5; ++i) w->SimulateStep();
  w->ClearWaves();
  for (int32_t x = 0; x < 100; ++x)
    for (int32_t y = 0; y < 80; ++y) {
      ASSERT_EQ(c[x][y].Displacement, 0.0f);
      ASSERT_EQ(c[x][y].Velocity, 0.0f);
    }
  EXPECT_EQ(c[50][40].SpeedFactor, 0.25f);
  EXPECT_EQ(c[1][40].Damping, BorderRing(40, 1));
}

TEST(TimeStep, RebuildReplacesTheSharedGrid) {
  const TRef<TWater> w = Water(20, 20);
  const TCellsRef before = w->Cells();
  (*before)[5][5].Displacement = 1;
  w->SetGridSize(30, 10);
  EXPECT_NE(w->Cells(), before);
  EXPECT_EQ(before->Width(), 20) << "a holder of the old grid keeps a valid grid";
  EXPECT_EQ(w->Cells()->Width(), 30);
  EXPECT_EQ((*w->Cells())[5][5].Displacement, 0.0f);
}

TEST(WaterReadouts, PointerCoordinatesCountFromTheTop) {
  const TRef<TWater> w = Water(10, 8);
  TWaterGrid& c = *w->Cells();
  c[3][7].Displacement = 1.25f;
  c.Writable(3)[7].SpeedFactor = 0.3f;
  EXPECT_EQ(w->DisplacementAt(3, 0), 1.25f);
  EXPECT_EQ(w->SpeedFactorAt(3, 0), 0.3f);
  EXPECT_EQ(w->DisplacementAt(10, 0), 0.0f) << "off the grid";
  EXPECT_EQ(w->SpeedFactorAt(3, 8), 0.0f);
}

TEST(WaterProperties, PublishedInOrderWithDefaultTexts) {
  const TRef<TWater> w = NewNode<TWater>();
  const TPropertyList& props = TWater::StaticClass().Properties();
  ASSERT_EQ(props.size(), 7u);
  EXPECT_EQ(props[0].Name, "Exposure");
  EXPECT_EQ(props[1].Name, "UniqueID");
  EXPECT_EQ(props[2].Name, "Name");
  EXPECT_EQ(props[3].Name, "Description");
  // The picture's: written only where they differ from a new water's, so older files read alike.
  EXPECT_EQ(props[4].Name, "IntensityView");
  EXPECT_EQ(props[5].Name, "AveragingPeriods");
  EXPECT_EQ(props[6].Name, "ColourScheme");
  EXPECT_EQ(GetPublishedValue(*w, "ColourScheme"), "csGrey");
  EXPECT_EQ(GetPublishedValue(*w, "AveragingPeriods"), "2");

  EXPECT_EQ(GetPublishedValue(*w, "Name"), "Empty Slide");
  EXPECT_EQ(GetPublishedValue(*w, "Description"), "Choose an object to explore.");
  std::string exposure = "2.55";
  exposure[1] = DecimalSeparator();
  EXPECT_EQ(GetPublishedValue(*w, "Exposure"), exposure);

  SetPublishedValue(*w, "name", "Tank");
  EXPECT_EQ(w->GetName(), "Tank");
  SetPublishedValue(*w, "UniqueID", "1234");
  EXPECT_EQ(w->UniqueID(), 1234);
  SetPublishedValue(*w, "Exposure", "3");
  EXPECT_EQ(w->Exposure(), 3.0f);
}

TEST(WaterProperties, FreshWatersGetDistinctIDs) {
  const TRef<TWater> a = NewNode<TWater>(), b = NewNode<TWater>();
  EXPECT_NE(a->UniqueID(), b->UniqueID());
  const int32_t before = a->UniqueID();
  a->RenewUniqueIDs();
  EXPECT_NE(a->UniqueID(), before);
}

}  // namespace
