// The grid's layout: every value of every cell has storage of its own, a cell reads and takes
// its four values as one record, and whole grids compare value by value. Columns share one
// medium until one is written, and the border's medium is the same whichever columns share it.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "grid/ExactMath.h"
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
      for (int32_t y = 0; y < H; ++y) cells.Writable(x)[y] = Pattern(x, y);
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
  cells.Writable(0)[0] = Pattern(7, 7);
  cells.Writable(1)[1] = cells.Writable(0)[0];
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
    const TCellRef cell = other.Writable(3)[18];  // the very last cell, at the end of the arrays
    float* field[] = {&cell.Displacement, &cell.Velocity, &cell.SpeedFactor, &cell.Damping};
    *field[value] += 1;
    EXPECT_FALSE(SameCells(reference, other)) << "value " << value;
  }
}

TEST(WaterGridMedium, AWriteToOneColumnsMediumReachesNoOtherColumn) {
  TWaterGrid cells(5, 20);
  const TWaterGrid& read = cells;
  for (int32_t x = 0; x < 5; ++x) EXPECT_TRUE(cells.SharesMedium(x));
  cells.Writable(2)[7].SpeedFactor = 0.1f;
  EXPECT_FALSE(cells.SharesMedium(2));
  EXPECT_TRUE(cells.SharesMedium(1));
  EXPECT_EQ(read[2][7].SpeedFactor, 0.1f);
  EXPECT_EQ(read[2][8].SpeedFactor, OpenWaterSpeedFactor) << "the column's copy starts as the shared medium";
  EXPECT_EQ(read[2][8].Damping, OpenWaterDamping);
  for (const int32_t x : {0, 1, 3, 4}) EXPECT_EQ(read[x][7].SpeedFactor, OpenWaterSpeedFactor) << x;

  // The shared medium changes every column that shares it, and only those.
  std::vector<float> speedFactor(20, OpenWaterSpeedFactor), damping(20, OpenWaterDamping);
  damping[3] = 0.5f;
  cells.SetSharedMedium(speedFactor.data(), damping.data());
  EXPECT_EQ(read[4][3].Damping, 0.5f);
  EXPECT_EQ(read[2][3].Damping, OpenWaterDamping);
  // The kernels' doubles of the shared medium follow it; a column of its own has none.
  EXPECT_EQ(read[4].WideDamping[3], 0.5);
  EXPECT_EQ(read[4].WideSpeedFactor[19], double(OpenWaterSpeedFactor));
  EXPECT_EQ(cells[2].WideDamping, nullptr);
  EXPECT_EQ(cells.Writable(4).WideSpeedFactor, nullptr);
  // The wave stays each column's own.
  cells[3][3].Displacement = 1.5f;
  EXPECT_EQ(read[4][3].Displacement, 0.0f);

  cells.ShareMedium(2);
  EXPECT_EQ(read[2][7].SpeedFactor, OpenWaterSpeedFactor);
  EXPECT_EQ(read[2].WideDamping[3], 0.5);
  EXPECT_EQ(read[2][3].Damping, 0.5f);
  cells.Writable(2)[0].Damping = 0.25f;  // detaches again with the shared values
  EXPECT_EQ(read[2][3].Damping, 0.5f);
  EXPECT_EQ(read[1][0].Damping, OpenWaterDamping);
}

// The absorbing border as two loops over the whole grid, ring by ring from the outside in: what
// the column by column reset must give, cell for cell.
std::vector<std::vector<float>> LiteralBorderDamping(int32_t W, int32_t H) {
  std::vector<std::vector<float>> d(size_t(W), std::vector<float>(size_t(H), OpenWaterDamping));
  const int32_t N = AbsorbingBorderWidth(W, H);
  for (int32_t i = 1; i < N; ++i) {
    const double ramp = 0.015 * (N - i);
    const auto ring = static_cast<float>(0.999 * exact::Exp(-(ramp * ramp)));
    for (const int32_t x : {i, W - i})
      if (x >= 0 && x < W)
        for (int32_t y = i; y <= H - 1 - i; ++y) d[size_t(x)][size_t(y)] = ring;
    for (const int32_t y : {i, H - i})
      if (y >= 0 && y < H)
        for (int32_t x = i; x <= W - 1 - i; ++x) d[size_t(x)][size_t(y)] = ring;
  }
  return d;
}

TEST(WaterGridMedium, TheResetBorderIsTheRingByRingBorderAndTheMiddleColumnsShareIt) {
  for (const auto& [W, H] : {std::pair{401, 401}, {81, 200}, {200, 81}, {80, 80}, {79, 79}, {100, 3}, {3, 100},
                             {1, 1}, {2048, 50}}) {
    SCOPED_TRACE(testing::Message() << W << "x" << H);
    TWaterGrid cells(W, H);
    // A medium of the grid's own in every column first: the reset must replace all of it.
    for (int32_t x = 0; x < W; ++x)
      for (int32_t y = 0; y < H; ++y) cells.Writable(x)[y] = TWaterCell{1.25f, -0.5f, 0.1f, 0.2f};
    ResetMedium(cells);
    const std::vector<std::vector<float>> damping = LiteralBorderDamping(W, H);
    const int32_t N = AbsorbingBorderWidth(W, H);
    const TWaterGrid& read = cells;
    for (int32_t x = 0; x < W; ++x) {
      ASSERT_EQ(cells.SharesMedium(x), N <= x && x <= W - N) << "column " << x;
      for (int32_t y = 0; y < H; ++y) {
        ASSERT_EQ(read[x][y].Damping, damping[size_t(x)][size_t(y)]) << "cell " << x << "," << y;
        ASSERT_EQ(read[x][y].SpeedFactor, OpenWaterSpeedFactor) << "cell " << x << "," << y;
        ASSERT_EQ(read[x][y].Displacement, 1.25f) << "the wave is left alone";
      }
    }
  }
}

}  // namespace
}  // namespace plashbox
