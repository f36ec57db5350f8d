#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "objects/uBlockRIMapper.h"
#include "xmlworker/XMLFormat.h"

using namespace plashbox;

namespace {

struct TBlockScene {
  TCellsRef Cells;
  TRef<TBlockRIMapper> Block = NewNode<TBlockRIMapper>();
  explicit TBlockScene(int32_t W = 401, int32_t H = 401) : Cells(std::make_shared<TWaterGrid>(W, H)) {
    Block->AttachGrid(Cells, W, H);
  }
  // Row -> (first column, last column, cells) of the region slower than open water.
  std::map<int32_t, std::pair<int32_t, int32_t>> Runs(int32_t* Count = nullptr) const {
    std::map<int32_t, std::pair<int32_t, int32_t>> runs;
    int32_t count = 0;
    for (int32_t x = 0; x < Cells->Width(); ++x)
      for (int32_t y = 0; y < Cells->Height(); ++y)
        if ((*Cells)[x][y].SpeedFactor != 0.5f) {
          ++count;
          auto [it, fresh] = runs.try_emplace(y, x, x);
          if (!fresh) it->second = {std::min(it->second.first, x), std::max(it->second.second, x)};
        }
    if (Count) *Count = count;
    return runs;
  }
};

TEST(BlockRIMapper, DefaultBlockOn401) {
  TBlockScene s;
  const TBlockRIMapper& b = *s.Block;
  EXPECT_EQ(b.BlockWidth, 161);
  EXPECT_EQ(b.BlockHeight, 102) << "102.5 rounds to the even neighbour";
  EXPECT_EQ(b.RegionSpeedFactor, 0.2727f);
  int32_t count = 0;
  const auto runs = s.Runs(&count);
  EXPECT_EQ(count, 160 * 102);
  EXPECT_EQ(runs.begin()->first, 149);
  EXPECT_EQ(runs.rbegin()->first, 250);
  EXPECT_EQ(runs.at(200), std::make_pair(120, 279));
  EXPECT_EQ((*s.Cells)[120][149].SpeedFactor, 0.2727f);
  const std::array<std::pair<float, float>, 4> handles{{{120, 200}, {200, 149}, {280, 200}, {200, 251}}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(b.EdgeHandles[i].X, handles[i].first) << i;
    EXPECT_EQ(b.EdgeHandles[i].Y, handles[i].second) << i;
  }
  EXPECT_EQ((*s.Cells)[1][200].Damping, (*s.Cells)[400][200].Damping) << "the border is rebuilt with the region";
  EXPECT_FLOAT_EQ(b.GetWidthPercentage(), 40.0f);
}

TEST(BlockRIMapper, UpsideDownFillsTheSameCellsWithHandlesSwapped) {
  TBlockScene upright, flipped;
  flipped.Block->Cs = -1;
  flipped.Block->ApplyToWater();
  EXPECT_EQ(flipped.Runs(), upright.Runs());
  EXPECT_EQ(flipped.Block->EdgeHandles[0].X, 280.0f);
  EXPECT_EQ(flipped.Block->EdgeHandles[2].X, 120.0f);
}

TEST(BlockRIMapper, TurnedByFortyFiveDegreesScanConverts) {
  TBlockScene s;
  s.Block->Cs = s.Block->Sn = 0.70710677f;
  s.Block->ApplyToWater();
  int32_t count = 0;
  const auto runs = s.Runs(&count);
  EXPECT_EQ(count, 16718);
  EXPECT_EQ(runs.begin()->first, 107);
  EXPECT_EQ(runs.rbegin()->first, 293);
  EXPECT_EQ(runs.at(107), std::make_pair(179, 179));
  EXPECT_EQ(runs.at(200), std::make_pair(128, 273));
  // Every row is one contiguous run.
  for (const auto& [row, run] : runs)
    for (int32_t x = run.first; x <= run.second; ++x) ASSERT_NE((*s.Cells)[x][row].SpeedFactor, 0.5f) << row;
}

TEST(BlockRIMapper, SetNRewritesOnlyOnChange) {
  TBlockScene s;
  s.Cells->Writable(200)[200].SpeedFactor = 0.1f;  // a stray value a rewrite would wipe out
  s.Block->SetN(s.Block->GetN());
  EXPECT_EQ((*s.Cells)[200][200].SpeedFactor, 0.1f);
  s.Block->SetN(1);
  int32_t count = 0;
  s.Runs(&count);
  EXPECT_EQ(count, 0) << "n = 1 is open water";
  s.Block->SetN(0.5f);
  EXPECT_EQ((*s.Cells)[200][200].SpeedFactor, 0.25f);
}

TEST(BlockRIMapper, HandleDragsTurnSizeShrinkOrRefuse) {
  TBlockScene s;
  TBlockRIMapper& b = *s.Block;
  bool handled = false;
  b.MouseDown(mbLeft, 0, 280, 200, handled);  // handle 2 at screen row 200
  ASSERT_TRUE(handled);
  EXPECT_EQ(b.GrabbedHandle, 2);
  EXPECT_TRUE(b.ActiveTool);
  b.MouseMove(0, 300, 200);
  EXPECT_EQ(b.Cs, 1.0f);
  EXPECT_EQ(b.Sn, 0.0f);
  EXPECT_EQ(b.BlockWidth, 200);
  EXPECT_EQ(s.Runs().at(200), std::make_pair(100, 299));

  b.MouseMove(0, 395, 200);  // asks for 390 cells; shrinks to fit in [6, 394]
  EXPECT_EQ(b.BlockWidth, 389);
  EXPECT_EQ(s.Runs().at(200), std::make_pair(6, 393));

  b.MouseMove(0, 201, 200);  // within a cell of the centre: nothing
  EXPECT_EQ(b.BlockWidth, 389);
  EXPECT_EQ(b.Cs, 1.0f);
  b.MouseUp(mbLeft, 0, 201, 201);
  b.MouseMove(0, 300, 100);
  EXPECT_EQ(b.BlockWidth, 389) << "no handle held after the release";
  EXPECT_FLOAT_EQ(b.GetWidthPercentage(), float((389 * 100 - 500) / 390.0));
  EXPECT_EQ(b.WidthPercentage, 40.0f) << "a drag does not change the stored size";
}

TEST(BlockRIMapper, BlockBeyondTheGridIsClipped) {
  TBlockScene s(60, 40);
  s.Block->SetWidthPercentage(300);
  s.Block->SetHeightPercentage(300);
  s.Block->Cs = s.Block->Sn = 0.70710677f;
  s.Block->ApplyToWater();
  int32_t count = 0;
  s.Runs(&count);
  EXPECT_EQ(count, 60 * 40) << "every cell covered, none written outside";
  s.Block->Cs = 1;
  s.Block->Sn = 0;
  s.Block->ApplyToWater();
  s.Runs(&count);
  EXPECT_EQ(count, 60 * 40);
  EXPECT_FALSE(s.Block->FitsInTank());
}

TEST(BlockRIMapper, ResizeRestoresStoredSizeAndKeepsTurn) {
  TBlockScene s;
  s.Block->BlockWidth = 50;
  s.Block->Sn = 0.6f;
  s.Block->Cs = 0.8f;
  s.Block->AttachGrid(std::make_shared<TWaterGrid>(250, 250), 250, 250);
  EXPECT_EQ(s.Block->BlockWidth, 101) << "Round(239 x 0.4 + 5)";
  EXPECT_EQ(s.Block->Cs, 0.8f);
}

TEST(BlockRIMapper, ValuesByNameAreCheckedAndWrittenAtOnce) {
  TBlockScene turned, unit;
  // Set one after the other, 0.8 then 0.6 is the pair it names; the block is rewritten at once.
  SetPublishedValue(*turned.Block, "Cs", "0.8");
  SetPublishedValue(*turned.Block, "Sn", "0.6");
  unit.Block->Cs = 0.8f;
  unit.Block->Sn = 0.6f;
  unit.Block->ApplyToWater();
  EXPECT_EQ(turned.Runs(), unit.Runs());
  // A pair off the unit circle is its direction: (1.6, 1.2) fills what (0.8, 0.6) fills.
  TBlockScene off;
  off.Block->Cs = 1.6f;
  off.Block->Sn = 1.2f;
  off.Block->ApplyToWater();
  EXPECT_EQ(off.Runs(), unit.Runs());
  // No direction at all is upright.
  TBlockScene none, upright;
  none.Block->Cs = none.Block->Sn = 0;
  none.Block->ApplyToWater();
  upright.Block->ApplyToWater();
  EXPECT_EQ(none.Runs(), upright.Runs());

  for (const auto& [name, bad] : std::initializer_list<std::pair<const char*, const char*>>{
           {"Cs", "1.5"}, {"Sn", "-2"}, {"n", "3e38"}, {"n", "-1"}, {"n", "10"}, {"n", "0.001"}})
    EXPECT_THROW(SetPublishedValue(*turned.Block, name, bad), EConvertError) << name << "=" << bad;
  EXPECT_EQ(turned.Block->Cs, 0.8f);
  EXPECT_EQ(turned.Block->GetN(), 0.5454f);
  // A size beyond the tank is the tank's size: the fill stays on the grid and quick.
  SetPublishedValue(*turned.Block, "WidthPercentage", "1e8");
  SetPublishedValue(*turned.Block, "HeightPercentage", "-5");
  EXPECT_EQ(turned.Block->WidthPercentage, 100.0f);
  EXPECT_EQ(turned.Block->HeightPercentage, 0.0f);
  EXPECT_LE(turned.Block->BlockWidth, 401);
}

}  // namespace
