// The grid's layout: every value of every cell has storage of its own, a cell reads and takes
// its four values as one record, and whole grids compare value by value.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "grid/WaterGrid.h"

namespace plashbox {
namespace {

TWaterCell Pattern(int32_t x, int32_t y) {
  const float k = float(x * 1000 + y);
  return TWaterCell{k, k + 0.25f, k + 0.5f, k + 0.75f};
}

void ExpectSameRecord(const TWaterCell& A, const TWaterCell& B) {
  EXPECT_EQ(A.Displacement, B.Displacement);
  EXPECT_EQ(A.Velocity, B.Velocity);
  EXPECT_EQ(A.SpeedFactor, B.SpeedFactor);
  EXPECT_EQ(A.Damping, B.Damping);
}

TEST(WaterGrid, EveryValueOfEveryCellIsStoredApartAndStartsAsOpenWaterAtRest) {
  // Heights about a cache line's worth of values, where the arrays' spacing rounds up.
  for (const auto& [W, H] : {std::pair{1, 1}, {3, 15}, {2, 16}, {4, 17}, {5, 33}, {401, 401}}) {
    TWaterGrid cells(W, H);
    ASSERT_EQ(cells.Width(), W);
    ASSERT_EQ(cells.Height(), H);
    ExpectSameRecord(std::as_const(cells)[W - 1][H - 1], TWaterCell{0, 0, OpenWaterSpeedFactor, OpenWaterDamping});
    for (int32_t x = 0; x < W; ++x)
      for (int32_t y = 0; y < H; ++y) cells[x][y] = Pattern(x, y);
    for (int32_t x = 0; x < W; ++x)
      for (int32_t y = 0; y < H; ++y) {
        SCOPED_TRACE(testing::Message() << W << "x" << H << " cell " << x << "," << y);
        ExpectSameRecord(std::as_const(cells)[x][y], Pattern(x, y));
      }
    // Row 1, where the step's vectors start, begins a cache line in every array.
    const TConstWaterColumn last = std::as_const(cells)[W - 1];
    for (const float* values : {last.Displacement, last.Velocity, last.SpeedFactor, last.Damping})
      EXPECT_EQ(reinterpret_cast<uintptr_t>(values + 1) % 64, 0u) << W << "x" << H;
  }
}

TEST(WaterGrid, ACellTakesAnotherCellsValuesAndStaysWhereItIs) {
  TWaterGrid cells(3, 3);
  cells[0][0] = Pattern(7, 7);
  cells[1][1] = cells[0][0];
  cells[0][0].Velocity = -1;  // the copy keeps the values it took
  ExpectSameRecord(std::as_const(cells)[1][1], Pattern(7, 7));
  EXPECT_EQ(cells[0][0].Velocity, -1);
  const TWaterGrid copy = cells;
  EXPECT_TRUE(SameCells(copy, cells));
}

TEST(WaterGrid, SameCellsSeesAnyValueOfAnyCellAndTheSize) {
  const TWaterGrid reference(4, 19);
  EXPECT_TRUE(SameCells(reference, TWaterGrid(4, 19)));
  EXPECT_FALSE(SameCells(reference, TWaterGrid(4, 18)));
  EXPECT_FALSE(SameCells(reference, TWaterGrid(3, 19)));
  for (int value = 0; value < 4; ++value) {
    TWaterGrid other(4, 19);
    const TCellRef cell = other[3][18];  // the very last cell, at the end of the arrays
    float* field[] = {&cell.Displacement, &cell.Velocity, &cell.SpeedFactor, &cell.Damping};
    *field[value] += 1;
    EXPECT_FALSE(SameCells(reference, other)) << "value " << value;
  }
}

}  // namespace
}  // namespace plashbox
