// The water as a scene: its objects, the source made on demand, pointer routing and names.
#include <gtest/gtest.h>

#include "objects/UniqueIDs.h"
#include "objects/uBarrier.h"
#include "objects/uBlockRIMapper.h"
#include "objects/uLensRIMapper.h"
#include "objects/uGeneralExciter.h"
#include "sim/uWater.h"

using namespace plashbox;

namespace {

// The demonstration's class lists, made afresh for every test.
class WaterScene : public ::testing::Test {
 protected:
  void SetUp() override {
    SeedUniqueIDs(7);
    ExciterClassList().Clear();
    RIMapClassList().Clear();
    RegisterRIMapClass(TBlockRIMapper::StaticClass());
    RegisterExciterClass(TGeneralExciter::StaticClass());
    Water->SetGridSize(401, 401);
  }
  void TearDown() override {
    ExciterClassList().Clear();
    RIMapClassList().Clear();
  }

  int32_t CountSources() {
    int32_t n = 0;
    for (int32_t i = 0; i < Water->GetChildCount(); ++i) n += NodeAs<TBaseExciter>(Water->GetChildren(i)) != nullptr;
    return n;
  }

  TRef<TWater> Water = NewNode<TWater>();
};

TEST_F(WaterScene, SteppingWithoutSourceMakesOneOfTheFirstClass) {
  ASSERT_EQ(CountSources(), 0);
  Water->SimulateStep();
  ASSERT_EQ(CountSources(), 1);
  TBaseExciter* made = Water->GetExciter();
  EXPECT_EQ(&made->ClassType(), &TGeneralExciter::StaticClass());
  EXPECT_FALSE(made->ActiveTool) << "a source made on demand is not selected";
  Water->SimulateStep();
  EXPECT_EQ(CountSources(), 1) << "the next step finds the one already there";
  EXPECT_EQ(Water->GetExciter(), made);
}

TEST_F(WaterScene, AddingSelectsControlsButNotSources) {
  const TRef<TBlockRIMapper> block = NewNode<TBlockRIMapper>();
  Water->add(block.get());
  EXPECT_TRUE(block->ActiveTool);
  EXPECT_EQ((*Water->Cells())[200][200].SpeedFactor, 0.2727f) << "a map writes its region when added";
  EXPECT_EQ(Water->GetRIMap(), block.get());

  const TRef<TGeneralExciter> first = NewNode<TGeneralExciter>(), second = NewNode<TGeneralExciter>();
  Water->add(first.get());
  Water->add(second.get());
  EXPECT_FALSE(first->ActiveTool);
  EXPECT_FALSE(second->ActiveTool);
  EXPECT_EQ(Water->GetExciter(), second.get()) << "the last source in child order wins";
  EXPECT_NE(first->UniqueID, second->UniqueID);

  const int32_t before = second->UniqueID;
  Water->RenewUniqueIDs();
  EXPECT_NE(second->UniqueID, before) << "every object gets a new ID";
}

TEST_F(WaterScene, APressInsideTheBlockMovesItAndInOpenWaterSelectsNothing) {
  const TRef<TBlockRIMapper> block = NewNode<TBlockRIMapper>();
  Water->add(block.get());
  block->ActiveTool = false;
  // Inside the block, far from its handles: the block takes the press and follows the pointer.
  Water->MouseDown(mbLeft, 0, 160, 180);
  EXPECT_TRUE(Water->IsGrabbed());
  EXPECT_EQ(Water->GetMouseTarget(), block.get());
  EXPECT_TRUE(block->ActiveTool);
  Water->MouseMove(0, 130, 150);  // 30 left, 30 up on the screen
  Water->MouseUp(mbLeft, 0, 130, 150);
  EXPECT_EQ(block->CentreX, 170);
  EXPECT_EQ(block->CentreY, 230);
  EXPECT_FLOAT_EQ(block->GetCentreXPercent(), static_cast<float>(50 - 30 * 100.0 / 390));
  EXPECT_LT((*Water->Cells())[100][230].SpeedFactor, OpenWaterSpeedFactor) << "the medium moved with it";
  EXPECT_EQ((*Water->Cells())[270][200].SpeedFactor, OpenWaterSpeedFactor);
  // Pushed against the edge the move is refused as a whole.
  Water->MouseDown(mbLeft, 0, 170, 170);
  Water->MouseMove(0, -400, 170);
  Water->MouseUp(mbLeft, 0, -400, 170);
  EXPECT_EQ(block->CentreX, 170);

  block->ActiveTool = false;
  Water->MouseDown(mbLeft, 0, 60, 380);  // open water
  EXPECT_FALSE(block->ActiveTool);
  Water->MouseUp(mbLeft, 0, 60, 380);
  EXPECT_EQ(Water->GetMouseTarget(), nullptr);
}

TEST_F(WaterScene, MovesGoOnlyToTheObjectHoldingThePress) {
  const TRef<TBlockRIMapper> block = NewNode<TBlockRIMapper>();
  Water->add(block.get());
  TBaseExciter* source = Water->GetExciter();
  // Handle 2 of the default block sits at (280, 200) in the grid, screen row 400 - 200.
  Water->MouseDown(mbLeft, 0, 280, 200);
  ASSERT_TRUE(Water->IsGrabbed());
  EXPECT_EQ(Water->GetMouseTarget(), block.get());
  const int32_t sourceX1 = source->X1, sourceY1 = source->Y1, sourceY2 = source->Y2;
  // Over the source's line on the way: the block still has the pointer, the source stays.
  Water->MouseMove(0, 40, 200);
  Water->MouseMove(0, 300, 200);
  EXPECT_EQ(block->BlockWidth, 200);
  EXPECT_EQ(source->X1, sourceX1);
  EXPECT_EQ(source->Y1, sourceY1);
  EXPECT_EQ(source->Y2, sourceY2);
  Water->MouseUp(mbLeft, 0, 300, 200);
  EXPECT_FALSE(Water->IsGrabbed());
  EXPECT_FALSE(block->HandleGrabbed);
}

TEST_F(WaterScene, ADripIsHeldByTheSourceAndFollowsThePointerUntilItEnds) {
  const TRef<TBlockRIMapper> block = NewNode<TBlockRIMapper>();
  Water->add(block.get());
  ASSERT_TRUE(block->ActiveTool);
  // Right on a handle: a drip does not touch the objects.
  ASSERT_TRUE(Water->StartDrip(280, 200, true));
  TBaseExciter* source = Water->GetExciter();
  EXPECT_FALSE(block->ActiveTool) << "a drip leaves nothing selected";
  EXPECT_FALSE(Water->IsGrabbed());
  EXPECT_TRUE(Water->IsDripActive());
  EXPECT_EQ(Water->GetMouseTarget(), source);
  EXPECT_TRUE(source->IsDripHeld());
  EXPECT_TRUE(source->DripLifts());
  Water->MoveDrip(250, 100);
  for (int i = 0; i < 4; ++i) Water->SimulateStep();
  EXPECT_EQ(Water->DisplacementAt(250, 100), 4.5f) << "the drip stands where the pointer went";
  EXPECT_TRUE(source->DripLifts()) << "a move keeps the drip's direction";
  Water->EndDrip();
  EXPECT_FALSE(source->IsDripHeld());
  EXPECT_FALSE(Water->IsDripActive());
  EXPECT_EQ(Water->GetMouseTarget(), nullptr);

  // A press that reaches the objects while a drip is held lets the drip go.
  Water->StartDrip(100, 100, false);
  Water->MouseDown(mbLeft, 0, 60, 380);
  EXPECT_FALSE(source->IsDripHeld());
  EXPECT_FALSE(Water->IsDripActive());
  Water->MouseUp(mbLeft, 0, 60, 380);
  // The plain pointer calls keep to a drip under way: a move moves it, the release ends it.
  Water->StartDrip(100, 100, false);
  Water->MouseMove(0, 120, 130);
  EXPECT_EQ(Water->GetMouseTarget(), source) << "no object hovered while dripping";
  Water->MouseUp(mbLeft, 0, 120, 130);
  EXPECT_FALSE(source->IsDripHeld());
}

TEST_F(WaterScene, ClearWavesKeepsTheMediumAndRestartsTheSource) {
  const TRef<TBlockRIMapper> block = NewNode<TBlockRIMapper>();
  Water->add(block.get());
  for (int i = 0; i < 50; ++i) Water->SimulateStep();
  ASSERT_NE(Water->DisplacementAt(40, 200), 0.0f);
  Water->ClearWaves();
  for (int32_t x = 0; x < 401; x += 20)
    for (int32_t y = 0; y < 401; y += 20) {
      ASSERT_EQ((*Water->Cells())[x][y].Displacement, 0.0f);
      ASSERT_EQ((*Water->Cells())[x][y].Velocity, 0.0f);
    }
  EXPECT_EQ((*Water->Cells())[200][200].SpeedFactor, 0.2727f);
  EXPECT_EQ(Water->GetExciter()->GetEnvelope(), 0.0f) << "the source fades in again from zero";
  EXPECT_TRUE(Water->GetExciter()->IsRampingUp());
}

TEST_F(WaterScene, NamesFollowTheMapUntilSet) {
  const TRef<TWater> empty = NewNode<TWater>();
  EXPECT_EQ(empty->GetName(), "Empty Slide");
  EXPECT_EQ(empty->GetDescription(), "Choose an object to explore.");

  Water->add(NewNode<TBlockRIMapper>().get());
  EXPECT_EQ(Water->GetName(), "Block");
  EXPECT_EQ(Water->GetDescription(), "Rectangular Block");
  Water->SetName("Block");  // the same as the default: not stored
  Water->add(NewNode<TBaseRIMap>().get());
  EXPECT_EQ(Water->GetName(), "Base Mapper Type") << "still the last map's type name";
  Water->SetName("Glass");
  EXPECT_EQ(Water->GetName(), "Glass");
  Water->SetName("Prism");
  EXPECT_EQ(Water->GetName(), "Prism") << "a stored name is replaced";
}

}  // namespace

// Several media at once: two blocks, a lens and two walls, composed in child order.
class WaterMedia : public WaterScene {
 protected:
  float SpeedAt(int32_t x, int32_t y) { return (*Water->Cells())[x][y].SpeedFactor; }
  template <class T>
  TRef<T> Added() {
    TRef<T> made = NewNode<T>();
    Water->add(made.get());
    return made;
  }
};

TEST_F(WaterMedia, TwoBlocksALensAndTwoWallsAreAllComposed) {
  const TRef<TBlockRIMapper> left = Added<TBlockRIMapper>(), right = Added<TBlockRIMapper>();
  left->SetCentreXPercent(25);
  left->SetWidthPercentage(20);
  left->SetN(0.4f);
  right->SetCentreXPercent(75);
  right->SetWidthPercentage(20);
  right->SetN(0.8f);
  const TRef<TLensRIMapper> lens = Added<TLensRIMapper>();
  lens->SetCentreYPercent(85);
  lens->SetDiameterPercent(20);
  lens->SetN(0.6f);
  const TRef<TBarrier> wallA = Added<TBarrier>(), wallB = Added<TBarrier>();
  wallA->SetX1Percent(10), wallA->SetY1Percent(10), wallA->SetX2Percent(90), wallA->SetY2Percent(10);
  wallB->SetX1Percent(50), wallB->SetY1Percent(20), wallB->SetX2Percent(50), wallB->SetY2Percent(40);

  const int32_t cy = 200;
  EXPECT_EQ(SpeedAt(left->CentreX, cy), 0.2f);
  EXPECT_EQ(SpeedAt(right->CentreX, cy), 0.4f);
  EXPECT_EQ(SpeedAt(lens->CentreX, lens->CentreY), 0.3f);
  EXPECT_EQ(SpeedAt(200, wallA->Y1), 0.0f);
  EXPECT_EQ(SpeedAt(wallB->X1, (wallB->Y1 + wallB->Y2) / 2), 0.0f);
  EXPECT_EQ(SpeedAt(200, cy), OpenWaterSpeedFactor) << "open water between the blocks";
  // Each keeps its own place: a map that is not the last was never placed before.
  EXPECT_NEAR(left->GetCentreXPercent(), 25, 0.2);
  EXPECT_NEAR(right->GetCentreXPercent(), 75, 0.2);

  // Moving one writes it anew and leaves every other as it was.
  right->SetCentreYPercent(30);
  EXPECT_EQ(SpeedAt(left->CentreX, cy), 0.2f);
  EXPECT_EQ(SpeedAt(lens->CentreX, lens->CentreY), 0.3f);
  EXPECT_EQ(SpeedAt(200, wallA->Y1), 0.0f);
  EXPECT_EQ(SpeedAt(right->CentreX, right->CentreY), 0.4f);

  // Taking one out leaves the others.
  Water->Remove(left.get());
  EXPECT_EQ(SpeedAt(left->CentreX, cy), OpenWaterSpeedFactor);
  EXPECT_EQ(SpeedAt(lens->CentreX, lens->CentreY), 0.3f);
}

TEST_F(WaterMedia, ALaterRegionWritesOverAnEarlierOne) {
  const TRef<TBlockRIMapper> under = Added<TBlockRIMapper>();
  const TRef<TBarrier> wall = Added<TBarrier>();
  const TRef<TBlockRIMapper> over = Added<TBlockRIMapper>();
  over->SetWidthPercentage(10);
  over->SetHeightPercentage(10);
  over->SetN(0.9f);
  EXPECT_EQ(SpeedAt(200, 200), 0.45f) << "the last block covers the first";
  EXPECT_EQ(SpeedAt(200, 240), 0.2727f) << "the first block where the last does not reach";
  EXPECT_EQ(SpeedAt(wall->X1, 240), 0.0f) << "the wall over the first block";
  EXPECT_EQ(SpeedAt(wall->X1, 100), 0.0f) << "the wall in open water";
}

TEST_F(WaterMedia, APressInAMediumSelectsTheMapOnTopThere) {
  const TRef<TBlockRIMapper> left = Added<TBlockRIMapper>(), right = Added<TBlockRIMapper>();
  left->SetCentreXPercent(25);
  left->SetWidthPercentage(20);
  right->SetCentreXPercent(75);
  right->SetWidthPercentage(20);
  right->ActiveTool = false;
  // Past the blocks' handles (the midpoints of their edges) and inside their bodies: a press
  // moves the block, which selects it.
  Water->MouseDown(mbLeft, 0, left->CentreX + 20, 200 - 20);
  Water->MouseUp(mbLeft, 0, left->CentreX + 20, 200 - 20);
  EXPECT_TRUE(left->ActiveTool);
  EXPECT_FALSE(right->ActiveTool);
  EXPECT_EQ(Water->GetRIMap(), left.get()) << "the panel shows the selected map";
  EXPECT_EQ(Water->MapCovering(right->CentreX, 200), right.get());
  EXPECT_EQ(Water->MapCovering(200, 200), nullptr);
}
