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

