// Walls with slits: which cells are wall, what a wall writes, what it refuses.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "objects/uBarrier.h"
#include "xmlworker/XMLFormat.h"
#include "xmlworker/XMLProperties.h"

using namespace plashbox;

namespace {

struct TWallScene {
  TCellsRef Cells;
  TRef<TBarrier> Wall = NewNode<TBarrier>();
  explicit TWallScene(int32_t W = 61, int32_t H = 41) : Cells(std::make_shared<TWaterGrid>(W, H)) {
    Wall->AttachGrid(Cells, W, H);
  }
  void Place(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
    Wall->X1 = X1, Wall->Y1 = Y1, Wall->X2 = X2, Wall->Y2 = Y2;
    Wall->ApplyToWater();
  }
  std::set<std::pair<int32_t, int32_t>> WallCells() const {
    std::set<std::pair<int32_t, int32_t>> out;
    for (int32_t x = 0; x < Cells->Width(); ++x)
      for (int32_t y = 0; y < Cells->Height(); ++y)
        if (IsWall((*Cells)[x][y])) out.emplace(x, y);
    return out;
  }
};

TEST(Barrier, AnUprightWallIsExactlyThickAndItsSlitsExactlyWide) {
  TWallScene s;
  s.Wall->Thickness = 3;
  s.Place(20, 5, 20, 30);
  auto cells = s.WallCells();
  EXPECT_EQ(cells.size(), 3u * 26) << "columns 19 to 21, rows 5 to 30 with both ends";
  EXPECT_TRUE(cells.count({19, 5}) && cells.count({21, 30}) && !cells.count({22, 17}) && !cells.count({20, 31}));

  s.Wall->SetThickness(2);
  EXPECT_EQ(s.WallCells().size(), 2u * 26);
  // One slit of 6 in the middle of a wall of length 25: rows 15 to 20 open.
  s.Wall->SetSlits(1);
  cells = s.WallCells();
  EXPECT_EQ(cells.size(), 2u * 20);
  for (int32_t y = 15; y <= 20; ++y) EXPECT_FALSE(cells.count({20, y})) << y;
  EXPECT_TRUE(cells.count({20, 14}) && cells.count({20, 21}));
  // Two slits of 4, 10 apart centre to centre about the middle (12.5 along the wall): centres
  // 7.5 and 17.5 along, open along 6 .. 9 and 16 .. 19, rows 11 .. 14 and 21 .. 24.
  s.Wall->SetSlitWidth(4);
  s.Wall->SetSlitSpacing(10);
  s.Wall->SetSlits(2);
  cells = s.WallCells();
  for (int32_t y = 5; y <= 30; ++y) {
    const bool open = (y >= 11 && y <= 14) || (y >= 21 && y <= 24);
    EXPECT_EQ(cells.count({20, y}) == 0, open) << y;
  }
}

TEST(Barrier, AWallTurnedAQuarterCoversTheSameCellsTurned) {
  TWallScene upright, level;
  upright.Wall->SetSlits(2);
  level.Wall->SetSlits(2);
  upright.Place(30, 2, 30, 38);
  level.Place(12, 20, 48, 20);
  std::set<std::pair<int32_t, int32_t>> turned;
  for (auto [x, y] : upright.WallCells()) turned.emplace(30 - (y - 20), 20 + (x - 30));
  // Turning by a quarter flips which side of the centre line the even half-cell falls on, so
  // compare the thickness and the openings, not the cells one by one.
  EXPECT_EQ(level.WallCells().size(), turned.size());
}

TEST(Barrier, AWallOverMovingWaterStillsItsCells) {
  TWallScene s;
  for (int32_t x = 0; x < 61; ++x)
    for (int32_t y = 0; y < 41; ++y) (*s.Cells)[x][y].Displacement = (*s.Cells)[x][y].Velocity = 0.7f;
  s.Place(30, 5, 30, 35);
  for (auto [x, y] : s.WallCells()) {
    const TWaterCell& c = (*s.Cells)[x][y];
    EXPECT_EQ(c.Displacement, 0);
    EXPECT_EQ(c.Velocity, 0);
  }
  EXPECT_EQ((*s.Cells)[10][20].Displacement, 0.7f) << "the water beside it moves on";
}

TEST(Barrier, HandlesOffTheTankAndShortWallsNeverWritePastTheGrid) {
  TWallScene s;
  s.Place(-500, -480, 560, 580);  // through the tank from far outside: a diagonal across it
  EXPECT_FALSE(s.WallCells().empty());
  s.Place(-50, -50, -20, -10);  // wholly outside
  EXPECT_TRUE(s.WallCells().empty());
  s.Place(30, 20, 30, 20);  // no length: no wall
  EXPECT_TRUE(s.WallCells().empty());
  s.Wall->SlitWidth = 1000;  // wider than the wall (as a file may hold it): all of it open
  s.Wall->SetSlits(12);
  s.Place(30, 5, 30, 35);
  EXPECT_TRUE(s.WallCells().empty());
}

TEST(Barrier, ASlitAsLongAsTheWallIsRefusedInATankButReadFromAFile) {
  TWallScene s;
  s.Place(20, 5, 20, 35);  // 30 cells long
  EXPECT_EQ(s.Wall->MaxSlitWidth(), 29);
  SetPublishedValue(*s.Wall, "Slits", "1");
  SetPublishedValue(*s.Wall, "SlitWidth", "29");
  EXPECT_EQ(s.WallCells().size(), 3u * 2) << "one cell at each end of the wall stays";
  try {
    SetPublishedValue(*s.Wall, "SlitWidth", "30");
    ADD_FAILURE() << "a slit as long as the wall was taken";
  } catch (const EConvertError& e) {
    EXPECT_NE(std::string(e.what()).find("1 to 29 cells, narrower than the wall"), std::string::npos) << e.what();
  }
  EXPECT_EQ(s.Wall->SlitWidth, 29) << "the refused value left the wall as it was";
  EXPECT_EQ(s.WallCells().size(), 3u * 2);
  s.Place(20, 5, 45, 5);
  EXPECT_EQ(s.Wall->MaxSlitWidth(), 24) << "a shorter wall, a narrower slit";
  s.Place(0, 0, 33, 56);  // 65 cells long, on the slant
  EXPECT_EQ(s.Wall->MaxSlitWidth(), 64);
  s.Place(0, 0, 30, 56);  // 63.53 cells long: a slit of 63 leaves some wall
  EXPECT_EQ(s.Wall->MaxSlitWidth(), 63);
  // Outside a tank the handles may not be placed yet: the width is held to the plain range.
  const TRef<TBarrier> unplaced = NewNode<TBarrier>();
  SetPublishedValue(*unplaced, "SlitWidth", "610");
  EXPECT_EQ(unplaced->SlitWidth, 610);
  EXPECT_THROW(SetPublishedValue(*unplaced, "SlitWidth", "1001"), EConvertError);
}

TEST(Barrier, ValuesByNameOutsideTheirRangesAreRefused) {
  TWallScene s;
  for (const auto& [property, value] : {std::pair{"Slits", "13"}, {"Slits", "-1"}, {"Thickness", "0"},
                                        {"Thickness", "21"}, {"SlitWidth", "0"}, {"SlitSpacing", "1001"}})
    EXPECT_THROW(SetPublishedValue(*s.Wall, property, value), EConvertError) << property << "=" << value;
  SetPublishedValue(*s.Wall, "Slits", "12");
  EXPECT_EQ(s.Wall->Slits, 12);
  SetPublishedValue(*s.Wall, "X1Percent", "1e30");
  EXPECT_EQ(s.Wall->GetX1Percent(), s.Wall->GridToPercentX(s.Wall->PercentToGridX(MaxPercentPosition)));
}

}  // namespace
