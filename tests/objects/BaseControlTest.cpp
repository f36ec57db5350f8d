#include <gtest/gtest.h>

#include "objects/SurfaceDrawing.h"
#include "objects/uBaseControl.h"
#include "objects/uBaseTool.h"

using namespace plashbox;

namespace {

// A control whose shape kind and body are chosen by the test; it counts geometry changes.
class TTestControl : public TBaseControl {
 public:
  TShapeKind GetShapeKind() override { return TShapeKind(Kind); }
  void GeometryChanged() override { ++Changes; }
  bool HitTestBody(int32_t X, int32_t y) override { return Body && HitTestPoint(X, y, BodyX, BodyY); }
  using TBaseControl::DragX;
  using TBaseControl::DragY;
  uint8_t Kind = 1;
  int Changes = 0;
  bool Body = false;
  int32_t BodyX = 0, BodyY = 0;
};

constexpr int32_t W = 401, H = 401;

TRef<TTestControl> Control(uint8_t Kind, bool Snap, TBaseWaterObject* Parent = nullptr) {
  TRef<TTestControl> c = NewNode<TTestControl>();
  c->Kind = Kind;
  c->Snap_to_Grid = Snap;
  if (Parent)
    Parent->add(c.get());
  else
    c->AttachGrid(std::make_shared<TWaterGrid>(W, H), W, H);
  return c;
}

// Screen row of grid row y.
int32_t S(int32_t y) { return H - 1 - y; }

void PlaceP1(TTestControl& c, int32_t X, int32_t y) {
  c.X1 = X;
  c.Y1 = y;
}

}  // namespace

TEST(ControlSnap, SnapValueRoundsHalvesToEvenAndStaysInside) {
  const TRef<TTestControl> c = Control(1, true);
  EXPECT_EQ(c->SnapValue(12, 5, W), 5);   // Round(7 / 16) = 0
  EXPECT_EQ(c->SnapValue(13, 5, W), 5);   // Round(0.5) = 0
  EXPECT_EQ(c->SnapValue(14, 5, W), 21);  // Round(0.5625) = 1
  EXPECT_EQ(c->SnapValue(29, 5, W), 37);  // Round(1.5) = 2
  EXPECT_EQ(c->SnapValue(396, 5, W), 389);
  EXPECT_EQ(c->SnapValue(0, 5, W), 5);
  EXPECT_EQ(c->SnapValue(-10, 5, W), 5) << "below 5 moves up one spacing";
  EXPECT_EQ(c->SnapValue(400, 5, W), 389) << "Round(24.69) = 25 gives 405, above W - 5";
  EXPECT_EQ(c->SnapValue(21, 5, 26), 21) << "exactly W - 5 stays";
  EXPECT_EQ(c->SnapValue(30, 5, 26), 21);
  int32_t x = 14, y = 396;
  c->SnapPoint(x, y);
  EXPECT_EQ(x, 21);
  EXPECT_EQ(y, 389);
}

TEST(ControlSnap, DraggedHandleSnapsAfterClamping) {
  const TRef<TTestControl> c = Control(1, true);
  c->SetX1Percent(0);
  c->SetY1Percent(0);
  ASSERT_EQ(c->X1, 5);
  bool handled = false;
  c->MouseDown(mbLeft, 0, 5, S(5), handled);
  ASSERT_TRUE(handled);
  ASSERT_TRUE(c->HoldsHandle(1));
  const int32_t Y = S(200);  // grid row 200 snaps to 197
  c->MouseMove(0, 12, Y);
  EXPECT_EQ(c->X1, 5);
  EXPECT_EQ(c->Y1, 197);
  c->MouseMove(0, 13, Y);
  EXPECT_EQ(c->X1, 5);
  c->MouseMove(0, 14, Y);
  EXPECT_EQ(c->X1, 21);
  c->MouseMove(0, 399, Y);  // clamped to 395 first
  EXPECT_EQ(c->X1, 389);
  c->MouseMove(0, 399, -50);  // screen row 6 at most, grid row 394, snapped to 389
  EXPECT_EQ(c->Y1, 389);
}

TEST(ControlSnap, AttachingSnapsTheStoredPercentPositions) {
  const TRef<TTestControl> c = NewNode<TTestControl>();
  EXPECT_TRUE(c->Snap_to_Grid) << "a plain control snaps";
  c->SetX1Percent(10);  // no grid yet: the cell is meaningless
  c->SetY1Percent(50);
  c->X2Percent = 90;
  c->Y3Percent = 100;
  c->Changes = 0;
  c->AttachGrid(std::make_shared<TWaterGrid>(W, H), W, H);
  EXPECT_EQ(c->X1, 37);   // 44 snaps to 37 (Round(39 / 16) = 2)
  EXPECT_EQ(c->Y1, 197);  // 200 snaps to 197
  EXPECT_EQ(c->X2, 357);  // 356 snaps to 357
  EXPECT_EQ(c->Y3, 389);  // 395 snaps to 389
  EXPECT_EQ(c->Changes, 1);
}

TEST(ControlPercent, GettersReportTheLiveCellAndSettersMoveIt) {
  const TRef<TTestControl> c = Control(1, false);
  c->Changes = 0;
  c->SetX1Percent(50);
  EXPECT_EQ(c->X1, 200);
  EXPECT_EQ(c->X1Percent, 50.0f);
  EXPECT_EQ(c->GetX1Percent(), 50.0f);
  EXPECT_EQ(c->Changes, 1);
  c->SetX1Percent(50.1f);  // the same cell: stored, but nothing moved
  EXPECT_EQ(c->X1Percent, 50.1f);
  EXPECT_EQ(c->GetX1Percent(), 50.0f);
  EXPECT_EQ(c->Changes, 1);
  c->SetX1Percent(0);
  EXPECT_EQ(c->X1, 5);
  EXPECT_EQ(c->GetX1Percent(), 0.000001f);
  c->SetY2Percent(100);
  EXPECT_EQ(c->Y2, 395);
  EXPECT_EQ(c->GetY2Percent(), 100.0f);
  c->SetX2Percent(25);
  c->SetY1Percent(75);
  EXPECT_EQ(c->X2, 102);  // 390 x 25 / 100 + 5 = 102.5, to the even neighbour
  EXPECT_EQ(c->Y1, 298);  // 297.5 likewise

  // A drag moves the cell, which the getter reports; a rebuild goes back to the stored percent.
  bool handled = false;
  c->MouseDown(mbLeft, 0, c->X1, S(c->Y1), handled);
  ASSERT_TRUE(handled);
  c->MouseMove(0, 200, S(100));
  c->MouseUp(mbLeft, 0, 200, S(100));
  EXPECT_EQ(c->GetX1Percent(), 50.0f);
  EXPECT_EQ(c->X1Percent, 0.0f) << "a drag does not write the stored percent";
  c->AttachGrid(std::make_shared<TWaterGrid>(W, H), W, H);
  EXPECT_EQ(c->X1, 5);
  EXPECT_EQ(c->Y1, 298);
}

TEST(ControlMouse, PressHitsAHandleStrictlyWithinSixCells) {
  const TRef<TTestControl> c = Control(1, false);
  PlaceP1(*c, 100, 100);
  bool handled = true;
  c->MouseDown(mbLeft, 0, 106, S(100), handled);
  EXPECT_FALSE(handled);
  EXPECT_FALSE(c->ActiveTool);
  c->MouseDown(mbLeft, 0, 100, S(94), handled);
  EXPECT_FALSE(handled);
  c->MouseDown(mbLeft, 0, 105, S(100), handled);
  EXPECT_TRUE(handled);
  EXPECT_TRUE(c->HoldsHandle(1));
  EXPECT_TRUE(c->ActiveTool);
  EXPECT_EQ(c->DragX, 105);
  EXPECT_EQ(c->DragY, 100);
  c->MouseUp(mbLeft, 0, 105, S(100));
  EXPECT_FALSE(c->HoldsHandle(1) || c->HoldsHandle(2) || c->HoldsHandle(3) || c->HoldsBody());

  // Kind 4 uses point 3; kind 0 ignores the pointer.
  const TRef<TTestControl> beam = Control(4, false);
  beam->X3 = 40;
  beam->Y3 = 200;
  beam->MouseDown(mbLeft, 0, 42, S(203), handled);
  EXPECT_TRUE(handled);
  EXPECT_TRUE(beam->HoldsHandle(3));
  beam->MouseMove(0, 50, S(250));
  EXPECT_EQ(beam->X3, 50);
  EXPECT_EQ(beam->Y3, 250);
  const TRef<TTestControl> none = Control(0, false);
  PlaceP1(*none, 100, 100);
  none->MouseDown(mbLeft, 0, 100, S(100), handled);
  EXPECT_FALSE(handled);
}

TEST(ControlMouse, HandlesOfAPairKeepTenCellsApart) {
  const TRef<TTestControl> c = Control(2, false);
  c->X1 = 100, c->Y1 = 200, c->X2 = 200, c->Y2 = 200;
  bool handled = false;
  c->MouseDown(mbLeft, 0, 200, S(200), handled);
  ASSERT_TRUE(c->HoldsHandle(2));
  c->MouseMove(0, 150, S(200));
  EXPECT_EQ(c->X2, 150);
  c->MouseMove(0, 110, S(200));  // exactly 10 cells: allowed
  EXPECT_EQ(c->X2, 110);
  c->Changes = 0;
  for (const int32_t x : {109, 105, 100, 95}) {
    c->MouseMove(0, x, S(200));
    EXPECT_EQ(c->X2, 110) << x;
    EXPECT_EQ(c->Y2, 200);
  }
  EXPECT_EQ(c->Changes, 0);
  c->MouseMove(0, 100, S(215));  // 15 cells straight above the other handle
  EXPECT_EQ(c->X2, 100);
  EXPECT_EQ(c->Y2, 215);
  c->MouseUp(mbLeft, 0, 0, 0);

  // The first handle obeys the same limit.
  c->MouseDown(mbLeft, 0, 100, S(200), handled);
  ASSERT_TRUE(c->HoldsHandle(1));
  c->MouseMove(0, 100, S(208));
  EXPECT_EQ(c->Y1, 200);
  c->MouseMove(0, 100, S(190));
  EXPECT_EQ(c->Y1, 190);
  c->MouseUp(mbLeft, 0, 0, 0);

  // A single handle has no limit at all.
  const TRef<TTestControl> single = Control(1, false);
  single->X1 = 100, single->Y1 = 100, single->X2 = 103, single->Y2 = 100;
  single->MouseDown(mbLeft, 0, 100, S(100), handled);
  single->MouseMove(0, 103, S(100));
  EXPECT_EQ(single->X1, 103);
}

TEST(ControlMouse, BodyDragOfAPairIsRefusedAsAWholeAtTheEdge) {
  const TRef<TTestControl> c = Control(2, false);
  c->X1 = 20, c->Y1 = 200, c->X2 = 100, c->Y2 = 200;
  bool handled = false;
  c->MouseDown(mbLeft, 0, 60, S(203), handled);
  ASSERT_TRUE(handled);
  ASSERT_TRUE(c->HoldsBody());
  EXPECT_FALSE(c->HoldsHandle(1) || c->HoldsHandle(2));
  c->MouseMove(0, 40, S(203));  // point 1 would go to column 0
  EXPECT_EQ(c->X1, 20);
  EXPECT_EQ(c->X2, 100);
  EXPECT_EQ(c->DragX, 40) << "the anchor follows even when nothing moved";
  c->MouseMove(0, 45, S(213));
  EXPECT_EQ(c->X1, 25);
  EXPECT_EQ(c->Y1, 210);
  EXPECT_EQ(c->X2, 105);
  EXPECT_EQ(c->Y2, 210);
  c->MouseMove(0, 30, S(213));  // point 1 would land on column 10: allowed
  EXPECT_EQ(c->X1, 10);
  c->MouseMove(0, 24, S(213));  // column 4: refused
  EXPECT_EQ(c->X1, 10);
  EXPECT_EQ(c->X2, 90);
  // The second handle is checked as well: it may not pass column 395.
  c->X2 = 390;
  c->MouseMove(0, 30, S(213));  // point 2 would reach 396: refused
  c->MouseMove(0, 36, S(213));  // likewise
  EXPECT_EQ(c->X1, 10);
  EXPECT_EQ(c->X2, 390);
  c->MouseMove(0, 35, S(213));
  EXPECT_EQ(c->X1, 9);
  EXPECT_EQ(c->X2, 389);
}

TEST(ControlMouse, BodyDragOfOneHandleIsClampedAndOfPointThreeRefused) {
  const TRef<TTestControl> c = Control(1, false);
  c->Body = true;
  c->BodyX = 300, c->BodyY = 300;
  PlaceP1(*c, 390, 300);
  bool handled = false;
  c->MouseDown(mbLeft, 0, 300, S(300), handled);
  ASSERT_TRUE(handled);
  EXPECT_TRUE(c->HoldsBody());
  EXPECT_FALSE(c->HoldsHandle(1));
  c->MouseMove(0, 320, S(300));  // point 1 pushed to 410, clamped to 395
  EXPECT_EQ(c->X1, 395);

  const TRef<TTestControl> p3 = Control(4, false);
  p3->Body = true;
  p3->BodyX = 300, p3->BodyY = 300;
  p3->X3 = 390, p3->Y3 = 300;
  p3->MouseDown(mbLeft, 0, 300, S(300), handled);
  ASSERT_TRUE(p3->HoldsBody());
  p3->MouseMove(0, 310, S(300));
  EXPECT_EQ(p3->X3, 390);
  p3->MouseMove(0, 305, S(310));
  EXPECT_EQ(p3->X3, 385);
  EXPECT_EQ(p3->Y3, 310);
}

TEST(ControlSelect, CtrlAddsAPlainClickSelectsOnlyOne) {
  const TRef<TBaseWaterObject> scene = NewNode<TBaseWaterObject>();
  scene->AttachGrid(std::make_shared<TWaterGrid>(W, H), W, H);
  const TRef<TTestControl> a = Control(1, false, scene.get());
  const TRef<TTestControl> b = Control(1, false, scene.get());
  const TRef<TTestControl> c = Control(1, false, scene.get());
  PlaceP1(*a, 50, 50);
  PlaceP1(*b, 150, 150);
  PlaceP1(*c, 250, 250);
  bool handled = false;
  a->MouseDown(mbLeft, 0, 50, S(50), handled);
  b->MouseDown(mbLeft, ssCtrl, 150, S(150), handled);
  ASSERT_TRUE(handled);
  EXPECT_TRUE(a->ActiveTool);
  EXPECT_TRUE(b->ActiveTool);
  EXPECT_FALSE(c->ActiveTool);
  c->MouseDown(mbLeft, ssShift, 250, S(250), handled);  // Shift is not Ctrl
  EXPECT_FALSE(a->ActiveTool);
  EXPECT_FALSE(b->ActiveTool);
  EXPECT_TRUE(c->ActiveTool);
  b->ActiveTool = true;
  a->Activate();
  EXPECT_TRUE(a->ActiveTool);
  EXPECT_FALSE(b->ActiveTool);
  EXPECT_FALSE(c->ActiveTool);
  // Without a parent a control simply selects itself.
  const TRef<TTestControl> alone = Control(1, false);
  alone->Select(false);
  EXPECT_TRUE(alone->ActiveTool);
}

TEST(ControlPaint, HandlesInTheSelectionColour) {
  TFastDIB s;
  s.SetSize(W, H, 24);
  TSurfaceDrawing sink(s, H);
  auto at = [&](int32_t X, int32_t y) { return s.Rows24()[y][X]; };
  const TRef<TTestControl> one = Control(1, false);
  PlaceP1(*one, 100, 100);
  one->Draw(sink);
  EXPECT_EQ(at(100, 100), (TPixelColor{150, 70, 56}));
  one->ActiveTool = true;
  one->Draw(sink);
  EXPECT_EQ(at(100, 100), (TPixelColor{254, 210, 210}));

  const TRef<TTestControl> pair = Control(2, false);
  pair->X1 = 200, pair->Y1 = 300, pair->X2 = 300, pair->Y2 = 300;
  pair->Draw(sink);
  for (int32_t x = 206; x <= 294; ++x) EXPECT_EQ(at(x, 300), (TPixelColor{150, 70, 56})) << x;
  EXPECT_EQ(at(200, 300), (TPixelColor{150, 70, 56}));

  const TRef<TTestControl> three = Control(4, false);
  three->X3 = 50, three->Y3 = 350;
  three->Draw(sink);
  EXPECT_EQ(at(50, 350), (TPixelColor{150, 70, 56}));

  const TRef<TTestControl> none = Control(0, false);
  PlaceP1(*none, 20, 20);
  none->X3 = 20, none->Y3 = 20;
  none->Draw(sink);
  EXPECT_EQ(at(20, 20), (TPixelColor{0, 0, 0}));
}

TEST(ControlClass, NamesDefaultsAndPublishedProperties) {
  const TRef<TBaseControl> c = NewNode<TBaseControl>();
  EXPECT_EQ(c->GetTypeName(), "Base Control Type");
  EXPECT_EQ(c->GetDescription(), "Need to change this");
  EXPECT_EQ(c->GetShapeKind(), 0);
  EXPECT_EQ(c->GetMinHandleDistanceSq(), 100);
  EXPECT_FALSE(c->HitTestBody(0, 0));
  EXPECT_TRUE(c->Snap_to_Grid);
  EXPECT_FALSE(c->ActiveTool);
  const auto& props = TBaseControl::StaticClass().Properties();
  ASSERT_EQ(props.size(), 3u);
  EXPECT_EQ(props[0].Name, "UniqueID");
  EXPECT_EQ(props[1].Name, "Snap_to_Grid");
  EXPECT_EQ(props[2].Name, "ActiveTool");
  EXPECT_EQ(GetPublishedValue(*c, "Snap_to_Grid"), "True");

  const TRef<TBaseTool> t = NewNode<TBaseTool>();
  EXPECT_EQ(t->GetTypeName(), "Base Tool Type");
  EXPECT_EQ(t->GetDescription(), "Need to change this");
  EXPECT_EQ(t->GetShapeKind(), 0);
  EXPECT_EQ(t->GetHandleColour(), (TPixelColor{150, 70, 56}));
  t->ActiveTool = true;
  EXPECT_EQ(t->GetHandleColour(), (TPixelColor{254, 210, 210}));
  t->AttachGrid(std::make_shared<TWaterGrid>(W, H), W, H);
  bool handled = true;
  t->MouseDown(mbLeft, 0, t->X1, S(t->Y1), handled);
  EXPECT_FALSE(handled) << "a tool of shape kind 0 ignores the pointer";
  t->SampleWater();
  EXPECT_EQ(TBaseTool::StaticClass().Base(), &TBaseControl::StaticClass());
}

TEST(ControlHandles, TheNearestHandleWinsTiesToTheLaterAndTheLineIsTheBody) {
  const TRef<TTestControl> pair = Control(2, false);
  pair->X1 = 100, pair->Y1 = 100, pair->X2 = 108, pair->Y2 = 100;
  EXPECT_EQ(pair->Handles(), (std::vector<TGridPoint>{{100, 100}, {108, 100}}));
  EXPECT_EQ(pair->HandleUnder(103, 101), 0);
  EXPECT_EQ(pair->HandleUnder(105, 99), 1);
  EXPECT_EQ(pair->HandleUnder(104, 100), 1) << "equally near: the later handle";
  EXPECT_EQ(pair->HandleUnder(100, 106), -1) << "6 cells is out of reach";
  // Between handles far apart the line is the body.
  pair->X2 = 150;
  bool handled = false;
  pair->MouseDown(mbLeft, 0, 125, S(104), handled);
  EXPECT_TRUE(handled);
  EXPECT_TRUE(pair->HoldsBody());
  EXPECT_FALSE(pair->HoldsHandle(1) || pair->HoldsHandle(2));
  pair->MouseUp(mbLeft, 0, 125, S(104));
  pair->MouseDown(mbLeft, 0, 148, S(100), handled);
  EXPECT_TRUE(handled);
  EXPECT_TRUE(pair->HoldsHandle(2));
  EXPECT_FALSE(pair->HoldsBody());
  // The kinds with one handle list only it.
  EXPECT_EQ(Control(4, false)->Handles().size(), 1u);
  EXPECT_TRUE(Control(0, false)->Handles().empty());
}
