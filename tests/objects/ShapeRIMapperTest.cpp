// Lens and prism maps: the cells they fill by their centre rule, handles that turn and size
// them, values refused by name, and writes that stay on the grid.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

#include "objects/uLensRIMapper.h"
#include "objects/uPrismRIMapper.h"
#include "xmlworker/XMLFormat.h"
#include "xmlworker/XMLProperties.h"

using namespace plashbox;

namespace {

using TCells = std::set<std::pair<int32_t, int32_t>>;

template <class TMap>
struct TShapeScene {
  TCellsRef Cells;
  TRef<TMap> Map = NewNode<TMap>();
  explicit TShapeScene(int32_t W = 61, int32_t H = 61) : Cells(std::make_shared<TWaterGrid>(W, H)) {
    Map->AttachGrid(Cells, W, H);
  }
  TCells Filled() const {
    TCells out;
    for (int32_t x = 0; x < Cells->Width(); ++x)
      for (int32_t y = 0; y < Cells->Height(); ++y)
        if ((*Cells)[x][y].SpeedFactor != OpenWaterSpeedFactor) out.emplace(x, y);
    return out;
  }
};

TEST(LensRIMapper, ABiconvexLensOfTwentyBySixCells) {
  TShapeScene<TLensRIMapper> s;  // 50 cells of height inside the margins: 1 % is half a cell
  s.Map->SetDiameterPercent(40);
  s.Map->SetThicknessPercent(12);
  const TCells cells = s.Filled();
  ASSERT_EQ(s.Map->CentreX, 30);
  for (int32_t d = -3; d <= 3; ++d) EXPECT_TRUE(cells.count({30 + d, 30})) << "on the axis, 6 thick: " << d;
  EXPECT_FALSE(cells.count({26, 30}) || cells.count({34, 30}));
  for (int32_t d = -9; d <= 9; ++d) EXPECT_TRUE(cells.count({30, 30 + d})) << "across, 20 wide: " << d;
  EXPECT_FALSE(cells.count({30, 19}) || cells.count({30, 41}));
  // Thinner towards the rim, and mirror-symmetric both ways.
  EXPECT_FALSE(cells.count({32, 38}));
  for (auto [x, y] : cells) EXPECT_TRUE(cells.count({60 - x, y}) && cells.count({x, 60 - y})) << x << "," << y;
}

// The screen position of a shape's handle in a tank of height H.
template <class TMap>
std::pair<int32_t, int32_t> Handle(const TMap& Map, int Index, int32_t H) {
  const auto [x, y] = Map.HandleAt(Index);
  return {int32_t(std::lrint(x)), H - 1 - int32_t(std::lrint(y))};
}

TEST(LensRIMapper, TheCellsDependOnTheValuesOnlyHoweverTheLensWasTurned) {
  TShapeScene<TLensRIMapper> turned, set;
  turned.Map->SetDiameterPercent(40);
  // Turned round by the rim handle in steps of 15 degrees, past a full turn.
  auto [x, y] = Handle(*turned.Map, 0, 61);
  bool handled = false;
  turned.Map->MouseDown(mbLeft, 0, x, y, handled);
  ASSERT_TRUE(handled);
  for (int step = 1; step <= 29; ++step) {
    const double a = step * 15 * 3.14159265358979323846 / 180;
    turned.Map->MouseMove(0, int32_t(std::lrint(30 - 10 * std::sin(a))), 60 - int32_t(std::lrint(30 + 10 * std::cos(a))));
  }
  turned.Map->MouseUp(mbLeft, 0, 0, 0);
  EXPECT_NEAR(turned.Map->GetAngle(), 75, 3);
  set.Map->SetAngle(turned.Map->GetAngle());
  set.Map->SetDiameterPercent(turned.Map->DiameterPercent);
  set.Map->SetThicknessPercent(turned.Map->ThicknessPercent);
  EXPECT_EQ(turned.Filled(), set.Filled());
  // A quarter turn covers the transposed cells, the half turn the same ones.
  TShapeScene<TLensRIMapper> upright, quarter, half;
  quarter.Map->SetAngle(90);
  half.Map->SetAngle(180);
  TCells transposed;
  for (auto [x, y] : upright.Filled()) transposed.emplace(y, x);
  EXPECT_EQ(quarter.Filled(), transposed);
  EXPECT_EQ(half.Filled(), upright.Filled());
}

TEST(PrismRIMapper, AnUprightEquilateralPrism) {
  TShapeScene<TPrismRIMapper> s;
  s.Map->SetSizePercent(40);  // a base of 20 cells
  const TCells cells = s.Filled();
  // The base a third of the height (17.3) below the centre, the apex two thirds above.
  EXPECT_TRUE(cells.count({21, 25}) && cells.count({39, 25})) << "the base row, nearly 20 wide";
  EXPECT_FALSE(cells.count({30, 24}));
  EXPECT_TRUE(cells.count({30, 41}));
  EXPECT_FALSE(cells.count({30, 43}) || cells.count({28, 41}));
  for (auto [x, y] : cells) EXPECT_TRUE(cells.count({60 - x, y})) << "symmetric about its axis";
  // Turned half round, the apex points down.
  s.Map->SetAngle(180);
  const TCells down = s.Filled();
  EXPECT_TRUE(down.count({30, 60 - 41}));
  EXPECT_FALSE(down.count({30, 41}));
}

TEST(ShapeRIMapper, HandlesTurnAndSizeAndADragOutOfTheTankIsRefused) {
  TShapeScene<TPrismRIMapper> s(101, 101);
  TPrismRIMapper& prism = *s.Map;
  // The apex handle at the top: dragged to the right of the centre, the apex points right.
  const int32_t apexRow = 100 - (50 + 23);
  bool handled = false;
  prism.MouseDown(mbLeft, 0, 50, apexRow, handled);
  ASSERT_TRUE(handled);
  prism.MouseMove(0, 80, 50);
  prism.MouseUp(mbLeft, 0, 80, 50);
  EXPECT_FLOAT_EQ(prism.GetAngle(), 270);
  // Sized up by the corner beyond what fits: refused, the size stays.
  const float size = prism.SizePercent;
  const TCells before = s.Filled();
  const auto [cx, cy] = Handle(prism, 1, 101);
  handled = false;
  prism.MouseDown(mbLeft, 0, cx, cy, handled);
  ASSERT_TRUE(handled);
  prism.MouseMove(0, 100, 100);
  prism.MouseUp(mbLeft, 0, 100, 100);
  EXPECT_EQ(prism.SizePercent, size);
  EXPECT_EQ(s.Filled(), before);
  // A body drag moves the prism.
  handled = false;
  prism.MouseDown(mbLeft, 0, 50, 50, handled);
  ASSERT_TRUE(handled && prism.HoldsBody());
  prism.MouseMove(0, 40, 50);
  prism.MouseUp(mbLeft, 0, 40, 50);
  EXPECT_EQ(prism.CentreX, 40);
}

TEST(ShapeRIMapper, ValuesByNameAreCheckedAndFarShapesStayOffTheGrid) {
  TShapeScene<TLensRIMapper> lens;
  TShapeScene<TPrismRIMapper> prism;
  for (const auto& [property, value] : {std::pair{"DiameterPercent", "0"}, {"DiameterPercent", "101"}, {"ThicknessPercent", "0"}})
    EXPECT_THROW(SetPublishedValue(*lens.Map, property, value), EConvertError) << property;
  for (const auto& [property, value] : {std::pair{"ApexAngle", "5"}, {"ApexAngle", "175"}, {"SizePercent", "0.5"}})
    EXPECT_THROW(SetPublishedValue(*prism.Map, property, value), EConvertError) << property;
  SetPublishedValue(*lens.Map, "Angle", "-90");
  EXPECT_FLOAT_EQ(lens.Map->GetAngle(), 270);
  SetPublishedValue(*lens.Map, "ThicknessPercent", "90");
  EXPECT_EQ(lens.Map->ThicknessPercent, lens.Map->DiameterPercent) << "never thicker than wide";
  // Centred far off the tank: nothing written, nothing broken.
  SetPublishedValue(*prism.Map, "CentreXPercent", "190");
  EXPECT_TRUE(prism.Filled().empty());
  SetPublishedValue(*prism.Map, "CentreXPercent", "95");
  SetPublishedValue(*prism.Map, "SizePercent", "100");
  EXPECT_FALSE(prism.Filled().empty()) << "partly on the grid";
}

}  // namespace
