#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "objects/UniqueIDs.h"
#include "objects/uWaterBaseClasses.h"

using namespace plashbox;

namespace {

// A water object that shows what it was given.
class TProbe : public TBaseWaterObject {
 public:
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TProbe>("TProbe", &TBaseWaterObject::StaticClass());
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
  void GridAttached() override { ++Attached; }
  const TCellsRef& Grid() const { return Cells; }
  int32_t W() const { return GridWidth; }
  int32_t H() const { return GridHeight; }
  int Attached = 0;
};

// A descendant without a panel of its own.
class TProbeChild : public TProbe {
 public:
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TProbeChild>("TProbeChild", &TProbe::StaticClass());
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
};

TRef<TProbe> Attached(int32_t W, int32_t H) {
  auto grid = std::make_shared<TWaterGrid>(W, H);
  ResetMedium(*grid);
  TRef<TProbe> p = NewNode<TProbe>();
  p->AttachGrid(grid, W, H);
  return p;
}

float Ring(int32_t N, int32_t i) {
  const double r = (N - i) * 0.015;
  return static_cast<float>(0.999 * std::exp(-(r * r)));
}

constexpr TPixelColor Black{0, 0, 0};

TFastDIB& Blank(TFastDIB& Surface, int W, int H) {
  Surface.SetSize(W, H, 24);
  for (int row = 0; row < H; ++row)
    for (int col = 0; col < W; ++col) Surface.Rows24()[row][col] = Black;
  return Surface;
}

// The pixels that are not black, one string per screen row from the top, '#' painted.
std::vector<std::string> Picture(const TFastDIB& Surface, int Left, int Top, int W, int H) {
  std::vector<std::string> rows;
  for (int Y = Top; Y < Top + H; ++Y) {
    std::string line;
    for (int X = Left; X < Left + W; ++X)
      line += Surface.Rows24()[Surface.AbsHeight() - 1 - Y][X] == Black ? '.' : '#';
    rows.push_back(line);
  }
  return rows;
}

TPixelColor At(const TFastDIB& Surface, int X, int ScreenY) {
  return Surface.Rows24()[Surface.AbsHeight() - 1 - ScreenY][X];
}

}  // namespace

TEST(WaterObjectPercent, EndsOfTheUsableAreaAndTheZeroQuirk) {
  const TRef<TProbe> p = Attached(401, 301);
  EXPECT_EQ(p->PercentToGridX(0), 5);
  EXPECT_EQ(p->PercentToGridX(100), 395);
  EXPECT_EQ(p->PercentToGridX(50), 200);
  EXPECT_EQ(p->PercentToGridY(0), 5);
  EXPECT_EQ(p->PercentToGridY(100), 295);
  EXPECT_EQ(p->PercentToGridY(50), 150);
  EXPECT_EQ(p->PercentToGridX(10), 44);
  // 0 % reads back as one millionth, never as 0.
  EXPECT_EQ(p->GridToPercentX(5), 0.000001f);
  EXPECT_EQ(p->GridToPercentY(5), 0.000001f);
  EXPECT_EQ(p->GridToPercentX(395), 100.0f);
  EXPECT_EQ(p->GridToPercentY(295), 100.0f);
  EXPECT_EQ(p->GridToPercentX(200), 50.0f);
  EXPECT_EQ(p->GridToPercentX(0), static_cast<float>(-500.0 / 390.0)) << "outside the usable area goes negative";
  // Halves go to the even neighbour: 390 x 95 / 100 + 5 = 375.5.
  EXPECT_EQ(p->PercentToGridX(95), 376);
  EXPECT_EQ(p->PercentToGridX(5), 24);
}

TEST(WaterObjectPercent, ClampLowerBoundIsMarginPlusOne) {
  const TRef<TProbe> p = Attached(401, 301);
  int32_t x = 0, y = 1000;
  p->ClampToTank(x, y, 5);
  EXPECT_EQ(x, 6);
  EXPECT_EQ(y, 295);
  x = 5, y = 6;
  p->ClampToTank(x, y, 5);
  EXPECT_EQ(x, 6);
  EXPECT_EQ(y, 6);
  x = 395, y = 150;
  p->ClampToTank(x, y, 5);
  EXPECT_EQ(x, 395);
  EXPECT_EQ(y, 150);
  EXPECT_TRUE(p->InsideTank(5, 5, 5));
  EXPECT_TRUE(p->InsideTank(395, 295, 5));
  EXPECT_FALSE(p->InsideTank(4, 100, 5));
  EXPECT_FALSE(p->InsideTank(396, 100, 5));
  EXPECT_FALSE(p->InsideTank(100, 296, 5));
  EXPECT_TRUE(p->InsideTank(1, 299, 1));
}

TEST(WaterObjectMedium, BorderWidthAndResetMediumOn401) {
  EXPECT_EQ(TBaseWaterObject::AbsorbingBorderWidth(300, 500), 40);
  EXPECT_EQ(TBaseWaterObject::AbsorbingBorderWidth(1000, 800), 80);
  EXPECT_EQ(TBaseWaterObject::AbsorbingBorderWidth(401, 401), 40);

  const TRef<TProbe> p = Attached(401, 401);
  TWaterGrid& c = *p->Grid();
  for (int32_t x = 0; x < 401; x += 7)
    for (int32_t y = 0; y < 401; y += 3) c.Writable(x)[y] = TWaterCell{1.25f, -0.5f, 0.1f, 0.2f};
  p->ResetMedium();
  EXPECT_EQ(c[1][200].Damping, Ring(40, 1));
  EXPECT_NEAR(c[1][200].Damping, 0.710, 0.001);
  EXPECT_EQ(c[400][200].Damping, Ring(40, 1)) << "the far side reaches into the last column";
  EXPECT_EQ(c[200][400].Damping, Ring(40, 1)) << "and into the last row";
  EXPECT_EQ(c[0][200].Damping, 0.999f);
  EXPECT_EQ(c[200][0].Damping, 0.999f);
  EXPECT_EQ(c[39][201].Damping, Ring(40, 39));
  EXPECT_EQ(c[362][201].Damping, Ring(40, 39));
  EXPECT_EQ(c[203][201].Damping, 0.999f);
  for (int32_t x = 0; x < 401; x += 7)
    for (int32_t y = 0; y < 401; y += 3) {
      EXPECT_EQ(c[x][y].SpeedFactor, 0.5f);
      // Waves are left as they were.
      EXPECT_EQ(c[x][y].Displacement, 1.25f);
      EXPECT_EQ(c[x][y].Velocity, -0.5f);
    }
}

TEST(WaterObjectHitTests, PointIsStrictlyCloserThanSixCells) {
  const TRef<TProbe> p = Attached(401, 401);
  EXPECT_FALSE(p->HitTestPoint(106, 100, 100, 100));
  EXPECT_FALSE(p->HitTestPoint(100, 94, 100, 100));
  EXPECT_TRUE(p->HitTestPoint(105, 100, 100, 100));
  // The squared distance 35 lies between no two integer offsets; 34 is the farthest hit.
  EXPECT_TRUE(p->HitTestPoint(105, 103, 100, 100));
  EXPECT_TRUE(p->HitTestPoint(96, 96, 100, 100));
  EXPECT_FALSE(p->HitTestPoint(106, 101, 100, 100));
  // A handle far off the tank is simply not hit.
  EXPECT_FALSE(p->HitTestPoint(100, 100, 2000000000, -2000000000));
}

TEST(WaterObjectHitTests, LineReportsOnePartFirstEndWinning) {
  const TRef<TProbe> p = Attached(401, 401);
  bool e1 = false, e2 = false, line = false;
  // Both ends within 6 cells: only end 1.
  EXPECT_TRUE(p->HitTestLine(102, 100, 100, 100, 104, 100, e1, e2, line));
  EXPECT_TRUE(e1);
  EXPECT_FALSE(e2);
  EXPECT_FALSE(line);
  EXPECT_TRUE(p->HitTestLine(150, 102, 100, 100, 150, 100, e1, e2, line));
  EXPECT_FALSE(e1);
  EXPECT_TRUE(e2);
  EXPECT_FALSE(line);
  EXPECT_TRUE(p->HitTestLine(125, 104, 100, 100, 150, 100, e1, e2, line));
  EXPECT_FALSE(e1);
  EXPECT_FALSE(e2);
  EXPECT_TRUE(line);
  EXPECT_FALSE(p->HitTestLine(125, 105, 100, 100, 150, 100, e1, e2, line)) << "outside the box of the ends";
  EXPECT_FALSE(e1 || e2 || line);
}

TEST(WaterObjectHitTests, SegmentFootPointAndBox) {
  const TRef<TProbe> p = Attached(401, 401);
  // A slanted segment: the foot point is rounded to a cell, 110.5 to 110.
  EXPECT_TRUE(p->HitTestSegment(114, 106, 100, 100, 120, 120));   // foot (110, 110), 5.66 away
  EXPECT_FALSE(p->HitTestSegment(115, 105, 100, 100, 120, 120));  // foot (110, 110), 7.07 away
  EXPECT_FALSE(p->HitTestSegment(115, 106, 100, 100, 120, 120));  // foot (110, 110), 6.4 away
  // The box of +-4 around the ends bounds the unclamped foot point.
  EXPECT_TRUE(p->HitTestSegment(96, 96, 100, 100, 120, 120));
  EXPECT_FALSE(p->HitTestSegment(95, 95, 100, 100, 120, 120));
  // A zero-length segment is a point test inside the box.
  EXPECT_TRUE(p->HitTestSegment(104, 100, 100, 100, 100, 100));
  EXPECT_TRUE(p->HitTestSegment(103, 103, 100, 100, 100, 100));
  EXPECT_TRUE(p->HitTestSegment(104, 104, 100, 100, 100, 100));
  EXPECT_FALSE(p->HitTestSegment(105, 100, 100, 100, 100, 100)) << "5 cells away but outside the box";
}

TEST(WaterObjectTree, AddDrawsAFreshIDAndSharesTheGridDownTheSubtree) {
  SeedUniqueIDs(1234);
  std::set<int32_t> earlier;
  for (int i = 0; i < 20; ++i) earlier.insert(NewNode<TProbe>()->UniqueID);

  const TRef<TProbe> scene = Attached(64, 48);
  const TRef<TProbe> child = NewNode<TProbe>();
  const TRef<TProbe> grandchild = NewNode<TProbe>();
  EXPECT_EQ(child->W(), 0);
  EXPECT_EQ(child->Grid(), nullptr);
  child->add(grandchild.get());
  const int32_t before = child->UniqueID;
  EXPECT_TRUE(earlier.insert(before).second);
  EXPECT_GE(scene->add(child.get()), 0);
  EXPECT_NE(child->UniqueID, before);
  EXPECT_TRUE(earlier.insert(child->UniqueID).second) << "an ID drawn before is never handed out again";
  EXPECT_GE(child->UniqueID, 10);

  EXPECT_EQ(child->Grid(), scene->Grid());
  EXPECT_EQ(grandchild->Grid(), scene->Grid());
  EXPECT_EQ(grandchild->W(), 64);
  EXPECT_EQ(grandchild->H(), 48);
  EXPECT_EQ(child->Attached, 1);
  EXPECT_EQ(grandchild->Attached, 2);  // once empty when it came to the child, once on the scene

  // A new grid goes to the whole subtree again.
  auto bigger = std::make_shared<TWaterGrid>(80, 60);
  scene->AttachGrid(bigger, 80, 60);
  EXPECT_EQ(grandchild->Grid(), bigger);
  EXPECT_EQ(grandchild->W(), 80);
  EXPECT_EQ(grandchild->Attached, 3);
}

TEST(WaterObjectTree, NamesAndDefaults) {
  const TRef<TBaseWaterObject> o = NewNode<TBaseWaterObject>();
  EXPECT_EQ(o->GetTypeName(), "Base Water Object");
  EXPECT_EQ(o->GetDescription(), "Need to change this");
  bool handled = true;
  o->MouseDown(mbLeft, 0, 10, 10, handled);
  EXPECT_FALSE(handled);
  const auto& props = TBaseWaterObject::StaticClass().Properties();
  ASSERT_EQ(props.size(), 1u);
  EXPECT_EQ(props[0].Name, "UniqueID");
  o->ResetMedium();  // no grid yet: nothing to do, nothing to crash
}

TEST(WaterObjectTree, ControlPanelsComeFromTheNearestRegisteredClass) {
  struct TPanel : TControlPanel {
    explicit TPanel(TBasicXMLNode& O) : Object(&O) {}
    TBasicXMLNode* Object;
  };
  EXPECT_EQ(NewNode<TProbe>()->CreateControlPanel(), nullptr);
  RegisterControlPanel(TProbe::StaticClass(),
                       [](TBasicXMLNode& O) -> std::unique_ptr<TControlPanel> { return std::make_unique<TPanel>(O); });
  const TRef<TProbe> probe = NewNode<TProbe>();
  const TRef<TProbeChild> child = NewNode<TProbeChild>();
  const auto panel = probe->CreateControlPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(dynamic_cast<TPanel&>(*panel).Object, probe.get());
  const auto inherited = child->CreateControlPanel();
  ASSERT_NE(inherited, nullptr);
  EXPECT_EQ(dynamic_cast<TPanel&>(*inherited).Object, child.get());
  EXPECT_EQ(NewNode<TBaseWaterObject>()->CreateControlPanel(), nullptr);
}

TEST(WaterObjectDrawing, DiscMasksForRadiusOneAndFour) {
  const TRef<TProbe> p = Attached(21, 21);
  TFastDIB s;
  const TPixelColor c{10, 20, 30};
  // Grid row 10 is screen row 10; R = 1 covers the box (9, 9) .. (11, 11), right and bottom open.
  p->FillDisc(Blank(s, 21, 21), 10, 10, 1, c);
  EXPECT_EQ(Picture(s, 8, 8, 4, 4), (std::vector<std::string>{"....", ".##.", ".##.", "...."}));
  EXPECT_EQ(At(s, 9, 9), c);
  p->FillDisc(Blank(s, 21, 21), 10, 10, 4, c);
  EXPECT_EQ(Picture(s, 5, 5, 10, 10), (std::vector<std::string>{
                                          "..........",
                                          "...####...",
                                          "..######..",
                                          ".########.",
                                          ".########.",
                                          ".########.",
                                          ".########.",
                                          "..######..",
                                          "...####...",
                                          "..........",
                                      }));
  // Grid y counts upward: y = 15 is screen row 5.
  p->FillDisc(Blank(s, 21, 21), 10, 15, 1, c);
  EXPECT_EQ(Picture(s, 9, 4, 2, 2), (std::vector<std::string>{"##", "##"}));
  // Off the surface nothing is written and nothing breaks; nor on the outermost line, which the
  // water's picture never colours again (a handle dragged along it would leave a trail).
  p->FillDisc(Blank(s, 21, 21), -1, -1, 4, c);
  EXPECT_EQ(At(s, 2, 19), c);
  EXPECT_EQ(At(s, 2, 20), Black);
  EXPECT_EQ(At(s, 3, 19), Black);
}

TEST(WaterObjectDrawing, HandleHasHighlightAndShadow) {
  const TRef<TProbe> p = Attached(31, 31);
  TFastDIB s;
  const TPixelColor c{150, 70, 56};
  const TPixelColor light{182, 126, 116};  // c + (255 - c) x 0.3, rounded
  const TPixelColor dark{120, 56, 45};     // c x 0.8, rounded
  const int X = 15, y = 12, Y = 31 - 1 - y;
  p->DrawHandle(Blank(s, 31, 31), X, y, c);
  EXPECT_EQ(At(s, X, Y), c);
  EXPECT_EQ(At(s, X - 2, Y - 1), light);
  EXPECT_EQ(At(s, X - 1, Y - 2), light);
  EXPECT_EQ(At(s, X + 3, Y), dark);
  EXPECT_EQ(At(s, X, Y + 3), dark);
  // The three shadow pixels, set through grid rows.
  EXPECT_EQ(s.Rows24()[y - 2][X + 2], dark);
  EXPECT_EQ(s.Rows24()[y + 1][X + 3], dark);
  EXPECT_EQ(s.Rows24()[y - 3][X - 1], dark);
  // Around the knob's 8 x 8 box a light ring, so that the handle shows on any medium; nothing
  // outside the ring's 10 x 10 box.
  const TPixelColor ring{230, 236, 240};
  int ringPixels = 0;
  for (int Yp = 0; Yp < 31; ++Yp)
    for (int Xp = 0; Xp < 31; ++Xp) {
      if (Xp < X - 5 || Xp > X + 4 || Yp < Y - 5 || Yp > Y + 4)
        EXPECT_EQ(At(s, Xp, Yp), Black) << Xp << "," << Yp;
      else if (Xp < X - 4 || Xp > X + 3 || Yp < Y - 4 || Yp > Y + 3)
        ringPixels += At(s, Xp, Yp) == ring;
    }
  EXPECT_GE(ringPixels, 16);
}

TEST(WaterObjectDrawing, ArrowHeadsPointAwayAndZeroLengthDrawsNothing) {
  const TRef<TProbe> p = Attached(41, 41);
  TFastDIB s;
  const TPixelColor c{0, 255, 0};
  p->DrawArrowHead(Blank(s, 41, 41), 20, 20, 20, 20, 3, c);
  for (int Y = 0; Y < 41; ++Y)
    for (int X = 0; X < 41; ++X) EXPECT_EQ(At(s, X, Y), Black);
  // Tip at grid (20, 10), i.e. screen row 30, pointing down (away from point 2 above it):
  // the barbs end at Round(20 -+ 2.4) = 18 and 22, screen row Round(30 - 3.6) = 26.
  p->DrawArrowHead(Blank(s, 41, 41), 20, 10, 20, 30, 3, c);
  EXPECT_EQ(At(s, 20, 30), c);
  EXPECT_EQ(At(s, 18, 26), c);
  EXPECT_EQ(At(s, 22, 26), c);
  for (int X = 0; X < 41; ++X) {
    EXPECT_EQ(At(s, X, 31), Black);
    EXPECT_EQ(At(s, X, 25), Black);
  }
  p->DrawDoubleArrow(Blank(s, 41, 41), 20, 10, 20, 30, 3, c);
  for (int Y = 10; Y <= 30; ++Y) EXPECT_EQ(At(s, 20, Y), c);
  EXPECT_EQ(At(s, 18, 14), c);  // the head at point 2, screen row 10, opens downward
  EXPECT_EQ(At(s, 20, 9), Black);
  EXPECT_EQ(At(s, 20, 31), Black);
}
