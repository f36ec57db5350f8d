// Collections of scenes: one grid size for all, the active one by ID, the slide questions.
#include <gtest/gtest.h>

#include "objects/UniqueIDs.h"
#include "objects/uBlockRIMapper.h"
#include "sim/uWaterCollection.h"

using namespace plashbox;

namespace {

TEST(WaterCollection, VersionAlwaysReadsHalf) {
  const TRef<TSlideshow> show = NewNode<TSlideshow>();
  show->SetVersion(2);
  EXPECT_EQ(show->GetVersion(), 0.5f);
  EXPECT_EQ(GetPublishedValue(*show, "Version"), "0.5");
}

TEST(WaterCollection, SizesEveryWaterTogether) {
  const TRef<TSlideshow> show = NewNode<TSlideshow>();
  const TRef<TWater> early = NewNode<TWater>();
  show->add(early.get());
  EXPECT_EQ(early->GridWidth(), 0) << "a water added before sizing waits for the size";
  show->SetGridSize(401, 401);
  const TRef<TWater> late = NewNode<TWater>();
  show->add(late.get());
  EXPECT_EQ(late->GridWidth(), 401);
  EXPECT_EQ(late->GridHeight(), 401);
  EXPECT_LT((*late->Cells())[1][200].Damping, 0.999f) << "the border is there at once";

  // Every water takes the size; only the active one keeps cells, the others go dormant.
  show->ActiveID = late->UniqueID();
  show->SetGridSize(250, 250);
  for (TWater* w : {early.get(), late.get()}) {
    EXPECT_EQ(w->GridWidth(), 250);
    EXPECT_EQ(w->GridHeight(), 250);
  }
  EXPECT_EQ(late->Cells()->Width(), 250);
  EXPECT_EQ(early->Cells(), nullptr);
  EXPECT_EQ(early->MemoryUsage(), 0);
  // Asked for, a dormant water wakes with its cells and objects in place.
  show->ActiveID = early->UniqueID();
  ASSERT_EQ(show->ActiveWater(), early.get());
  EXPECT_EQ(early->Cells()->Width(), 250);
  EXPECT_LT((*early->Cells())[1][100].Damping, 0.999f);
}

TEST(WaterCollection, ActiveWaterIsTheLastWithTheActiveID) {
  SeedUniqueIDs(3);
  const TRef<TSlideshow> show = NewNode<TSlideshow>();
  const TRef<TWater> first = NewNode<TWater>(), second = NewNode<TWater>();
  show->add(first.get());
  show->add(second.get());
  EXPECT_EQ(show->ActiveWater(), nullptr) << "ID 0 names no water";
  show->ActiveID = first->UniqueID();
  EXPECT_EQ(show->ActiveWater(), first.get());
  second->SetUniqueID(first->UniqueID());
  EXPECT_EQ(show->ActiveWater(), second.get());
  // The active water's new ID moves the collection's choice with it.
  SetPublishedValue(*second, "UniqueID", "4711");
  EXPECT_EQ(show->ActiveID, 4711);
  EXPECT_EQ(show->ActiveWater(), second.get());
}

TEST(WaterCollection, SlideQuestionsOutOfRangeAnswerNothing) {
  const TRef<TSlideshow> show = NewNode<TSlideshow>();
  show->SetGridSize(60, 40);
  const TRef<TWater> water = NewNode<TWater>();
  show->add(water.get());
  water->add(NewNode<TBlockRIMapper>().get());
  EXPECT_EQ(show->SlideCount(), 1);
  EXPECT_EQ(show->GetSlideID(-1), 0);
  EXPECT_EQ(show->GetSlideID(1), 0);
  EXPECT_EQ(show->GetSlideID(0), water->UniqueID());
  std::string text = "stale";
  show->GetSlideName(1, text);
  EXPECT_EQ(text, "");
  show->GetSlideName(0, text);
  EXPECT_EQ(text, "Block");
  show->GetSlideDescription(0, text);
  EXPECT_EQ(text, "Rectangular Block");

  TFastDIB preview;
  preview.SetSize(60, 40, 24);
  show->DrawSlidePreview(5, preview);  // no such slide: nothing drawn, nothing thrown
  EXPECT_EQ(preview.Rows24()[20][30].Red, 0);
  show->DrawSlidePreview(0, preview);
  EXPECT_NE(preview.Rows24()[20][30].Red, 0);
}

TEST(WaterCollection, PlainCollectionLeavesTheSlidesToDescendants) {
  const TRef<TWaterCollection> plain = NewNode<TWaterCollection>();
  std::string text;
  EXPECT_EQ(plain->ActiveWater(), nullptr);
  EXPECT_THROW(plain->SlideCount(), EAbstractError);
  EXPECT_THROW(plain->GetSlideName(0, text), EAbstractError);
  EXPECT_THROW(plain->GetSlideID(0), EAbstractError);
}

}  // namespace
