// Walls in a water: the medium composed of open water, the map and the walls, walls at rest,
// and the physics of a fixed edge: reflection with inverted sign.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "objects/UniqueIDs.h"
#include "objects/uBarrier.h"
#include "objects/uBlockRIMapper.h"
#include "objects/uGeneralExciter.h"
#include "sim/uWater.h"

using namespace plashbox;

namespace {

class BarrierScene : public ::testing::Test {
 protected:
  void SetUp() override {
    SeedUniqueIDs(3);
    ExciterClassList().Clear();
    RIMapClassList().Clear();
    RegisterExciterClass(TGeneralExciter::StaticClass());
    Water->SetGridSize(401, 401);
  }
  void TearDown() override {
    ExciterClassList().Clear();
    RIMapClassList().Clear();
  }
  TWaterCell At(int32_t x, int32_t y) const { return std::as_const(*Water->Cells())[x][y]; }
  TRef<TBarrier> AddWall(int32_t X, int32_t Slits = 0) {
    const TRef<TBarrier> wall = NewNode<TBarrier>();
    wall->Slits = Slits;
    Water->add(wall.get());
    wall->X1 = wall->X2 = X;
    wall->ApplyToWater();
    return wall;
  }
  TRef<TWater> Water = NewNode<TWater>();
};

TEST_F(BarrierScene, WallsAndTheBlockComposeAndMovingOneKeepsTheOther) {
  const TRef<TBlockRIMapper> block = NewNode<TBlockRIMapper>();
  Water->add(block.get());
  const TRef<TBarrier> wall = AddWall(100);
  EXPECT_TRUE(IsWall(At(100, 200)));
  EXPECT_LT(At(200, 200).SpeedFactor, OpenWaterSpeedFactor) << "the block is still there";
  // The block turned: its medium written again, the wall kept.
  block->Cs = 0.8f;
  block->Sn = 0.6f;
  block->ApplyToWater();
  EXPECT_TRUE(IsWall(At(100, 200)));
  // The wall moved: its old cells are open water again, the block untouched.
  const float blockMiddle = At(200, 200).SpeedFactor;
  wall->X1 = wall->X2 = 60;
  wall->ApplyToWater();
  EXPECT_EQ(At(100, 200).SpeedFactor, OpenWaterSpeedFactor);
  EXPECT_TRUE(IsWall(At(60, 200)));
  EXPECT_EQ(At(200, 200).SpeedFactor, blockMiddle);
  // A wall over the block's region wins; taken away, the block's region comes back.
  wall->X1 = wall->X2 = 200;
  wall->ApplyToWater();
  EXPECT_TRUE(IsWall(At(200, 200)));
  Water->Remove(wall.get());
  EXPECT_EQ(At(200, 200).SpeedFactor, blockMiddle);
  // A new size keeps both.
  Water->add(wall.get());
  Water->SetGridSize(301, 201);
  EXPECT_TRUE(IsWall(At(wall->X1, 100)));
}

TEST_F(BarrierScene, AWallCellStaysExactlyAtRestUnderASourceAndDrips) {
  const TRef<TGeneralExciter> source = NewNode<TGeneralExciter>();
  Water->add(source.get());
  source->SetBeamType(btPoint);
  const TRef<TBarrier> wall = AddWall(200);
  // The point source sits on the wall, the beam's column crosses it elsewhere.
  source->X1 = 200;
  source->Y1 = 150;
  const TRef<TBarrier> level = NewNode<TBarrier>();
  Water->add(level.get());
  level->X1 = 10, level->Y1 = 300, level->X2 = 390, level->Y2 = 300;
  level->ApplyToWater();
  for (int step = 0; step < 10000; ++step) {
    if (step == 500) source->SetBeamType(btLine);
    if (step == 5000) source->SetBeamType(btDoppler);
    if (step % 700 == 0) source->HoldDrip(201, 100, false);
    Water->SimulateStep();
  }
  for (int32_t y = 0; y < 401; ++y)
    for (int32_t x : {199, 200, 201}) {
      if (!IsWall(At(x, y))) continue;
      ASSERT_EQ(At(x, y).Displacement, 0) << x << "," << y;
      ASSERT_EQ(At(x, y).Velocity, 0) << x << "," << y;
    }
  EXPECT_NE(At(150, 150).Displacement, 0) << "the water beside it moves";
}

// The method of images: beside a fixed edge the reflected wave is the wave of a mirrored source
// with the opposite sign. A bump 50 cells before the wall; the reflection at a probe between
// them is compared with the open-water wave at the image's distance.
TEST_F(BarrierScene, AWallReflectsAPulseWithInvertedSignAndLittleLoss) {
  const auto run = [&](bool WithWall, int32_t ProbeX) {
    const TRef<TWater> water = NewNode<TWater>();
    water->SetGridSize(401, 401);
    const TRef<TGeneralExciter> source = NewNode<TGeneralExciter>();
    water->add(source.get());
    source->SetON(false);
    source->SetBeamType(btPoint);
    if (WithWall) {
      const TRef<TBarrier> wall = NewNode<TBarrier>();
      water->add(wall.get());
      wall->X1 = wall->X2 = 250;  // face at column 249
      wall->ApplyToWater();
    }
    TWaterGrid& cells = *water->Cells();
    for (int32_t x = 190; x <= 210; ++x)
      for (int32_t y = 190; y <= 210; ++y)
        cells[x][y].Displacement = static_cast<float>(std::exp(-((x - 200.0) * (x - 200.0) + (y - 200.0) * (y - 200.0)) / 8));
    std::vector<double> trace;
    for (int step = 0; step < 220; ++step) {
      water->SimulateStep();
      trace.push_back(cells[ProbeX][200].Displacement);
    }
    return trace;
  };
  const int32_t probe = 220, image = 2 * 249 - 200;
  const std::vector<double> with = run(true, probe), without = run(false, probe);
  const std::vector<double> mirrored = run(false, 200 + (image - probe));
  double reflectedPeak = 0, mirroredPeak = 0, agreement = 0;
  for (size_t t = 0; t < with.size(); ++t) {
    const double reflected = with[t] - without[t];
    reflectedPeak = std::max(reflectedPeak, std::abs(reflected));
    mirroredPeak = std::max(mirroredPeak, std::abs(mirrored[t]));
    agreement += reflected * mirrored[t];
  }
  EXPECT_LT(agreement, 0) << "the reflected wave has the opposite sign";
  EXPECT_GT(reflectedPeak, 0.9 * mirroredPeak) << "less than a tenth of the amplitude lost";
  EXPECT_LT(reflectedPeak, 1.1 * mirroredPeak);
}

}  // namespace
