#include "panels/SpeedButton.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>

#include "tests/QtTestApplication.h"
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleFactory>
#include <QTest>
#include <memory>
#include <tuple>

#include "panels/CustomTrackBar.h"
#include "panels/Palette.h"

namespace plashbox {
namespace {

[[maybe_unused]] ::testing::Environment* const Application =
    tests::InstallQtTestApplication([] { QApplication::setStyle(QStyleFactory::create("Fusion")); });

using Rgb = std::tuple<int, int, int>;

Rgb PixelOf(const QImage& Image, int X, int Y) {
  const QColor C = Image.pixelColor(X, Y);
  return {C.red(), C.green(), C.blue()};
}
int AlphaOf(const QImage& Image, int X, int Y) { return Image.pixelColor(X, Y).alpha(); }

QImage Shot(QWidget& Widget) { return Widget.grab().toImage().convertToFormat(QImage::Format_ARGB32); }

void Mouse(QWidget& Widget, QEvent::Type Type, QPoint At, Qt::MouseButton Button = Qt::LeftButton) {
  const Qt::MouseButtons Held = Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Button);
  QMouseEvent Event(Type, QPointF(At), Widget.mapToGlobal(QPointF(At)), Button, Held, Qt::NoModifier);
  QApplication::sendEvent(&Widget, &Event);
}
void Press(QWidget& W, QPoint At = {5, 5}) { Mouse(W, QEvent::MouseButtonPress, At); }
void Move(QWidget& W, QPoint At) { Mouse(W, QEvent::MouseMove, At, Qt::NoButton); }
void DragTo(QWidget& W, QPoint At) {
  QMouseEvent Event(QEvent::MouseMove, QPointF(At), W.mapToGlobal(QPointF(At)), Qt::NoButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(&W, &Event);
}
void Release(QWidget& W, QPoint At = {5, 5}) { Mouse(W, QEvent::MouseButtonRelease, At); }
void Click(QWidget& W, QPoint At = {5, 5}) {
  Press(W, At);
  Release(W, At);
}
void Enter(QWidget& W) {
  QEnterEvent Event(QPointF(3, 3), QPointF(3, 3), W.mapToGlobal(QPointF(3, 3)));
  QApplication::sendEvent(&W, &Event);
}

// A solid picture whose transparent colour (olive) appears nowhere.
QImage Solid(int Width, int Height, QColor Colour) {
  QImage Image(Width, Height, QImage::Format_RGB32);
  Image.fill(Colour);
  return Image;
}
const QColor Olive(0x80, 0x80, 0x00);

// ---------------------------------------------------------------------------------------------

TEST(SpeedButtonLayout, GlyphWithoutCaptionIsCentredWithSpacingCountedAsZero) {
  // A 46 x 33 button after its two frames: 42 x 29 from (2, 2); margin (42 - 24 + 1) div 2 = 9.
  const TButtonPlacement P = CalcButtonLayout(QRect(2, 2, 42, 29), {24, 24}, {}, blGlyphLeft, -1, 4, false);
  EXPECT_EQ(P.GlyphPos, QPoint(11, 5));
  const TButtonPlacement Pushed =
      CalcButtonLayout(QRect(2, 2, 42, 29), {24, 24}, {}, blGlyphLeft, -1, 4, false, QPoint(1, 1));
  EXPECT_EQ(Pushed.GlyphPos, QPoint(12, 6));
}

TEST(SpeedButtonLayout, MarginAndSpacingRules) {
  const QRect Client(0, 0, 100, 30);
  // Both automatic: thirds of the room left over.
  TButtonPlacement P = CalcButtonLayout(Client, {16, 16}, {40, 13}, blGlyphLeft, -1, -1, false);
  EXPECT_EQ(P.GlyphPos, QPoint(14, 7));
  EXPECT_EQ(P.TextBounds, QRect(44, 9, 40, 13));
  // A margin with automatic spacing, glyph on the right.
  P = CalcButtonLayout(Client, {16, 16}, {40, 13}, blGlyphRight, 2, -1, false);
  EXPECT_EQ(P.GlyphPos, QPoint(82, 7));
  EXPECT_EQ(P.TextBounds.topLeft(), QPoint(21, 9));
  // Right-to-left reading turns a left glyph into a right one.
  EXPECT_EQ(CalcButtonLayout(Client, {16, 16}, {40, 13}, blGlyphLeft, 2, -1, true).GlyphPos, QPoint(82, 7));
  // Spacing given, margin centred; the same rules vertically.
  P = CalcButtonLayout(QRect(0, 0, 50, 60), {16, 16}, {30, 13}, blGlyphTop, -1, 4, false);
  EXPECT_EQ(P.GlyphPos, QPoint(17, 14));
  EXPECT_EQ(P.TextBounds.topLeft(), QPoint(10, 34));
  P = CalcButtonLayout(QRect(0, 0, 50, 60), {16, 16}, {30, 13}, blGlyphBottom, 3, 5, false);
  EXPECT_EQ(P.GlyphPos, QPoint(17, 41));
  EXPECT_EQ(P.TextBounds.topLeft(), QPoint(10, 23));
}

TEST(SpeedButtonLayout, DivisionsTruncateTowardZeroWhenTheContentDoesNotFit) {
  // (20 - 57) div 3 = -12, not -13.
  const TButtonPlacement P = CalcButtonLayout(QRect(0, 0, 20, 20), {16, 16}, {41, 13}, blGlyphLeft, -1, -1, false);
  EXPECT_EQ(P.GlyphPos.x(), -12);
  EXPECT_EQ(P.TextBounds.left(), -8);
}

TEST(SpeedButtonPictures, LatchedPatternTakesTheVeryLightShadeOnEqualParity) {
  const QImage Tile = LatchedPattern(QColor(192, 192, 192));
  ASSERT_EQ(Tile.size(), QSize(8, 8));
  for (int Y = 0; Y < 8; ++Y)
    for (int X = 0; X < 8; ++X)
      EXPECT_EQ(PixelOf(Tile, X, Y), (X % 2 == Y % 2 ? Rgb{239, 239, 239} : Rgb{192, 192, 192})) << X << "," << Y;
}

TEST(SpeedButtonPictures, StripIndexForEachState) {
  // Up, disabled, pressed, latched for strips of 1 to 4 pictures.
  const int Expected[4][4] = {{0, 0, 0, 0}, {0, 1, 0, 0}, {0, 1, 2, 0}, {0, 1, 2, 3}};
  for (int N = 1; N <= 4; ++N)
    for (TButtonState S : {bsUp, bsDisabled, bsPressed, bsLatched})
      EXPECT_EQ(GlyphStripIndex(S, N), Expected[N - 1][S]) << N << " pictures, state " << S;
}

TEST(SpeedButtonPictures, DisabledPictureIsShadowOverAShiftedHighlight) {
  QImage Source(4, 4, QImage::Format_ARGB32);
  Source.fill(Qt::transparent);
  Source.setPixel(1, 1, qRgb(10, 20, 30));
  Source.setPixel(2, 1, qRgb(255, 255, 255));  // white is paper, not ink
  Source.setPixel(1, 2, qRgb(200, 0, 0));
  const QImage D = DisabledPicture(Source, QColor(250, 250, 250), QColor(100, 100, 100));
  EXPECT_EQ(PixelOf(D, 1, 1), (Rgb{100, 100, 100}));
  EXPECT_EQ(PixelOf(D, 1, 2), (Rgb{100, 100, 100}));  // ink wins over the shifted highlight
  EXPECT_EQ(PixelOf(D, 2, 2), (Rgb{250, 250, 250}));
  EXPECT_EQ(PixelOf(D, 2, 3), (Rgb{250, 250, 250}));
  EXPECT_EQ(AlphaOf(D, 2, 1), 0);
  EXPECT_EQ(AlphaOf(D, 0, 0), 0);
  EXPECT_EQ(AlphaOf(D, 3, 3), 0);
}

TEST(SpeedButtonPictures, StripPictureCutsOutOnePictureAndItsTransparentColour) {
  QImage Strip(8, 2, QImage::Format_RGB32);
  Strip.fill(Olive);
  Strip.setPixel(4, 0, qRgb(1, 2, 3));
  const QImage Second = StripPicture(Strip, 2, 1, Olive);
  ASSERT_EQ(Second.size(), QSize(4, 2));
  EXPECT_EQ(PixelOf(Second, 0, 0), (Rgb{1, 2, 3}));
  EXPECT_EQ(AlphaOf(Second, 0, 0), 255);
  EXPECT_EQ(AlphaOf(Second, 1, 0), 0);
  EXPECT_TRUE(StripPicture(Strip, 9, 0, Olive).isNull());  // narrower than one pixel a picture
}

TEST(ButtonGlyph, PictureCountFromTheStripRatio) {
  TButtonGlyph Glyph;
  EXPECT_EQ(Glyph.TransparentColor(), Olive);
  Glyph.SetGlyph(Solid(96, 24, Qt::red));
  EXPECT_EQ(Glyph.NumGlyphs(), 4);
  Glyph.SetGlyph(Solid(80, 20, Qt::red));
  EXPECT_EQ(Glyph.NumGlyphs(), 4);
  Glyph.SetGlyph(Solid(120, 24, Qt::red));
  EXPECT_EQ(Glyph.NumGlyphs(), 1);
  Glyph.SetGlyph(Solid(48, 24, Qt::red));
  EXPECT_EQ(Glyph.NumGlyphs(), 2);
  Glyph.SetGlyph(Solid(50, 24, Qt::red));  // no ratio: the count stays
  EXPECT_EQ(Glyph.NumGlyphs(), 2);
  EXPECT_EQ(Glyph.PictureSize(), QSize(25, 24));
  // An empty picture must not divide by its zero height.
  Glyph.SetGlyph(QImage());
  EXPECT_EQ(Glyph.NumGlyphs(), 2);
  EXPECT_TRUE(Glyph.Picture(bsUp, QApplication::palette()).isNull());
  Glyph.SetNumGlyphs(9);
  EXPECT_EQ(Glyph.NumGlyphs(), 4);
  Glyph.SetNumGlyphs(0);
  EXPECT_EQ(Glyph.NumGlyphs(), 4);
}

TEST(ButtonGlyph, TransparentColourFromTheBottomLeftPixelOrTheAlpha) {
  TButtonGlyph Glyph;
  QImage Plain = Solid(16, 16, Qt::blue);
  Plain.setPixel(0, 15, qRgb(0xA6, 0xCA, 0xF0));
  Glyph.SetGlyph(Plain);
  EXPECT_EQ(Glyph.TransparentColor(), QColor(0xA6, 0xCA, 0xF0));
  QImage WithAlpha(16, 16, QImage::Format_ARGB32);
  WithAlpha.fill(Qt::transparent);
  Glyph.SetGlyph(WithAlpha);
  EXPECT_FALSE(Glyph.TransparentColor().isValid());
  Glyph.SetGlyph(Plain, Qt::blue);
  EXPECT_EQ(Glyph.TransparentColor(), QColor(Qt::blue));
}

TEST(GlyphList, NewPicturesTakeTheLowestFreeSlot) {
  TGlyphList List(4, 4);
  const QImage P = Solid(4, 4, Qt::red);
  EXPECT_EQ(List.Add(P), 0);
  EXPECT_EQ(List.Add(P), 1);
  EXPECT_EQ(List.Add(P), 2);
  List.Delete(1);
  List.Delete(1);  // twice is harmless
  List.Delete(7);
  EXPECT_EQ(List.Count(), 2);
  EXPECT_EQ(List.Add(P), 1);
  EXPECT_EQ(List.Add(P), 3);
  EXPECT_EQ(List.Count(), 4);
}

TEST(GlyphCache, OneListPerSizeWhileAnyPictureUsesIt) {
  const QPalette System = QApplication::palette();
  {
    TButtonGlyph A, B, C;
    A.SetGlyph(Solid(24, 24, Qt::red));
    B.SetGlyph(Solid(48, 24, Qt::blue));  // two pictures of 24 x 24
    C.SetGlyph(Solid(16, 16, Qt::green));
    A.Picture(bsUp, System);
    B.Picture(bsUp, System);
    B.Picture(bsDisabled, System);
    C.Picture(bsUp, System);
    ASSERT_NE(A.List(), nullptr);
    EXPECT_EQ(A.List(), B.List());
    EXPECT_NE(A.List(), C.List());
    EXPECT_EQ(A.List()->Count(), 3);
    EXPECT_EQ(A.ImageIndex(bsUp), 0);
    EXPECT_EQ(B.ImageIndex(bsUp), 1);
    EXPECT_EQ(B.ImageIndex(bsDisabled), 2);
    EXPECT_EQ(TGlyphCache::Current()->ListCount(), 2);
    // A new strip frees the pictures of the old one, and its list when they were the last.
    C.SetGlyph(Solid(24, 24, Qt::green));
    EXPECT_EQ(TGlyphCache::Current()->ListCount(), 1);
    A.Invalidate();
    EXPECT_EQ(B.List()->Count(), 2);
    C.Picture(bsUp, System);
    EXPECT_EQ(C.ImageIndex(bsUp), 0);  // A's slot again
  }
  EXPECT_EQ(TGlyphCache::Current(), nullptr);
}

// ---------------------------------------------------------------------------------------------

class SpeedButton : public ::testing::Test {
 protected:
  TCustomSpeedButton* Make(int Group = 0, QWidget* Owner = nullptr) {
    auto* B = new TCustomSpeedButton(Owner ? Owner : &Panel);
    B->SetGroupIndex(Group);
    B->OnClick = [this, B] { ++Clicks[B]; };
    return B;
  }
  QWidget Panel;
  std::map<TCustomSpeedButton*, int> Clicks;
};

TEST_F(SpeedButton, MomentaryButtonNeverStaysDown) {
  TCustomSpeedButton* B = Make(0);
  B->SetDown(true);
  EXPECT_FALSE(B->Down());
  Press(*B);
  EXPECT_EQ(B->State(), bsPressed);
  Release(*B);
  EXPECT_FALSE(B->Down());
  EXPECT_EQ(B->State(), bsUp);
  EXPECT_EQ(Clicks[B], 1);
}

TEST_F(SpeedButton, GroupWithoutAllUpKeepsOneDown) {
  TCustomSpeedButton* A = Make(7);
  TCustomSpeedButton* B = Make(7);
  Click(*A);
  EXPECT_TRUE(A->Down());
  EXPECT_EQ(A->State(), bsLatched);
  Click(*B);
  EXPECT_TRUE(B->Down());
  EXPECT_FALSE(A->Down());
  EXPECT_EQ(A->State(), bsUp);
  // The down button is clicked again: it stays down, and still reports the click.
  Click(*B);
  EXPECT_TRUE(B->Down());
  EXPECT_EQ(B->State(), bsLatched);
  EXPECT_EQ(Clicks[B], 2);
  B->SetDown(false);
  EXPECT_TRUE(B->Down());
  // Assignment moves the latch without any click.
  A->SetDown(true);
  EXPECT_TRUE(A->Down());
  EXPECT_FALSE(B->Down());
  EXPECT_EQ(Clicks[A], 1);
  EXPECT_EQ(Clicks[B], 2);
}

TEST_F(SpeedButton, AllowAllUpIsSharedByTheGroupOfOneParentOnly) {
  TCustomSpeedButton* A = Make(321);
  TCustomSpeedButton* B = Make(321);
  TCustomSpeedButton* Other = Make(99);
  QWidget ElsewherePanel;
  TCustomSpeedButton* Elsewhere = Make(321, &ElsewherePanel);
  A->SetAllowAllUp(true);
  EXPECT_TRUE(B->AllowAllUp());
  EXPECT_FALSE(Other->AllowAllUp());
  EXPECT_FALSE(Elsewhere->AllowAllUp());
  Click(*B);
  Elsewhere->SetDown(true);
  EXPECT_TRUE(B->Down());  // another parent's group of the same number is another group
  Click(*B);
  EXPECT_FALSE(B->Down());
  B->SetDown(true);
  B->SetDown(false);
  EXPECT_FALSE(B->Down());
  // A button joining a group brings its own setting to it.
  TCustomSpeedButton* Late = Make(0);
  Late->SetGroupIndex(321);
  EXPECT_FALSE(A->AllowAllUp());
  EXPECT_FALSE(B->AllowAllUp());
  B->SetAllowAllUp(true);
  EXPECT_TRUE(Late->AllowAllUp());
  EXPECT_TRUE(A->AllowAllUp());
}

TEST_F(SpeedButton, ClickOnlyWhenReleasedInside) {
  TCustomSpeedButton* B = Make(0);
  B->resize(20, 20);
  Press(*B);
  DragTo(*B, {25, 5});
  EXPECT_EQ(B->State(), bsUp);
  DragTo(*B, {5, 5});
  EXPECT_EQ(B->State(), bsPressed);
  DragTo(*B, {5, 30});
  Release(*B, {5, 30});
  EXPECT_EQ(Clicks[B], 0);
  EXPECT_EQ(B->State(), bsUp);
  // The bottom edge row still counts as inside; the right edge column does not.
  Click(*B, {5, 20});
  EXPECT_EQ(Clicks[B], 1);
  Click(*B, {20, 5});
  EXPECT_EQ(Clicks[B], 1);
  // Other mouse buttons press nothing.
  Mouse(*B, QEvent::MouseButtonPress, {5, 5}, Qt::RightButton);
  EXPECT_EQ(B->State(), bsUp);
  Mouse(*B, QEvent::MouseButtonRelease, {5, 5}, Qt::RightButton);
  EXPECT_EQ(Clicks[B], 1);
}

TEST_F(SpeedButton, GroupButtonReleasedOutsideKeepsItsState) {
  TCustomSpeedButton* B = Make(3);
  B->SetAllowAllUp(true);
  Press(*B);
  DragTo(*B, {40, 5});
  Release(*B, {40, 5});
  EXPECT_FALSE(B->Down());
  EXPECT_EQ(B->State(), bsUp);
  B->SetDown(true);
  Press(*B);
  EXPECT_EQ(B->State(), bsLatched);  // a down button is not drawn pressed
  DragTo(*B, {40, 5});
  EXPECT_EQ(B->State(), bsLatched);
  Release(*B, {40, 5});
  EXPECT_TRUE(B->Down());
  EXPECT_EQ(B->State(), bsLatched);
  EXPECT_EQ(Clicks[B], 0);
}

TEST_F(SpeedButton, DisabledButtonIgnoresThePointerAndPaintsDisabled) {
  TCustomSpeedButton* B = Make(0);
  B->setEnabled(false);
  Click(*B);
  EXPECT_EQ(Clicks[B], 0);
  Shot(*B);
  EXPECT_EQ(B->State(), bsDisabled);
  B->setEnabled(true);
  Shot(*B);
  EXPECT_EQ(B->State(), bsUp);
}

TEST_F(SpeedButton, DoubleClickReportedOnlyWhileDown) {
  TCustomSpeedButton* B = Make(5);
  B->SetAllowAllUp(true);
  int Doubles = 0;
  B->OnDblClick = [&Doubles] { ++Doubles; };
  auto DoubleClick = [B] {
    Click(*B);
    Mouse(*B, QEvent::MouseButtonDblClick, {5, 5});
    Release(*B);
  };
  DoubleClick();  // down after the first click, up again after the second
  EXPECT_EQ(Doubles, 1);
  EXPECT_FALSE(B->Down());
  EXPECT_EQ(Clicks[B], 2);
  TCustomSpeedButton* Momentary = Make(0);
  Momentary->OnDblClick = [&Doubles] { ++Doubles; };
  Click(*Momentary);
  Mouse(*Momentary, QEvent::MouseButtonDblClick, {5, 5});
  Release(*Momentary);
  EXPECT_EQ(Doubles, 1);
}

TEST_F(SpeedButton, LeavingTheGroupReleasesTheLatch) {
  TCustomSpeedButton* B = Make(4);
  B->SetDown(true);
  B->SetGroupIndex(0);
  EXPECT_FALSE(B->Down());
  EXPECT_EQ(B->State(), bsUp);
}

TEST_F(SpeedButton, HotTrackingFollowsThePointerOnFlatEnabledButtons) {
  Panel.resize(100, 50);
  TCustomSpeedButton* B = Make(0);
  B->setGeometry(10, 10, 20, 20);
  B->SetFlat(true);
  Panel.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Panel));
  Move(*B, {5, 5});
  EXPECT_TRUE(B->MouseInside());
  // Released inside, the button is still under the pointer.
  Click(*B);
  EXPECT_TRUE(B->MouseInside());
  // Dragged out, it stays hot until the release finds the pointer elsewhere.
  Press(*B);
  DragTo(*B, {40, 5});
  QEvent Leave(QEvent::Leave);
  QApplication::sendEvent(B, &Leave);
  EXPECT_TRUE(B->MouseInside());
  Release(*B, {40, 5});
  EXPECT_FALSE(B->MouseInside());
  // A button that is not flat does not track.
  B->SetFlat(false);
  Enter(*B);
  EXPECT_FALSE(B->MouseInside());
}

TEST_F(SpeedButton, ClickHandlerMayDeleteItsButton) {
  auto* B = new TCustomSpeedButton(&Panel);
  B->setGeometry(0, 0, 20, 20);
  B->SetFlat(true);
  bool Clicked = false;
  B->OnClick = [B, &Clicked] {
    Clicked = true;
    delete B;
  };
  Click(*B);
  EXPECT_TRUE(Clicked);
  EXPECT_TRUE(Panel.findChildren<TCustomSpeedButton*>().isEmpty());
}

TEST_F(SpeedButton, AcceleratorKeyClicksWithoutLatching) {
  TCustomSpeedButton* B = Make(0);
  B->SetCaption("&Burst");
  Panel.show();
  Panel.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Panel));
  QTest::keyClick(&Panel, Qt::Key_B, Qt::AltModifier);
  EXPECT_EQ(Clicks[B], 1);
  B->setEnabled(false);
  QTest::keyClick(&Panel, Qt::Key_B, Qt::AltModifier);
  EXPECT_EQ(Clicks[B], 1);
}

// Tab reaches a button, a click does not take the focus; the focused one wears the focus ring
// and Space, Enter or Return press it like a click, latching one of a group.
TEST_F(SpeedButton, TabReachesAButtonThatShowsItAndTakesSpaceAndEnter) {
  TCustomSpeedButton* Momentary = Make(0);
  TCustomSpeedButton* Latching = Make(7);
  Latching->SetAllowAllUp(true);
  Momentary->setGeometry(0, 0, 30, 30);
  Latching->setGeometry(40, 0, 30, 30);
  EXPECT_EQ(Momentary->focusPolicy(), Qt::TabFocus);
  Panel.show();
  Panel.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Panel));
  const Rgb Ring{FocusColour.red(), FocusColour.green(), FocusColour.blue()};
  Latching->setFocus(Qt::TabFocusReason);
  EXPECT_NE(PixelOf(Shot(*Momentary), 0, 15), Ring);
  Momentary->setFocus(Qt::TabFocusReason);
  const QImage Focused = Shot(*Momentary);
  for (const QPoint At : {QPoint(0, 15), QPoint(1, 15), QPoint(29, 15), QPoint(15, 0), QPoint(15, 29)})
    EXPECT_EQ(PixelOf(Focused, At.x(), At.y()), Ring) << At.x() << "," << At.y();
  QTest::keyClick(Momentary, Qt::Key_Space);
  QTest::keyClick(Momentary, Qt::Key_Return);
  EXPECT_EQ(Clicks[Momentary], 2);
  EXPECT_FALSE(Momentary->Down());
  QTest::keyClick(Momentary, Qt::Key_A);
  EXPECT_EQ(Clicks[Momentary], 2) << "other keys are not clicks";

  Latching->setFocus(Qt::TabFocusReason);
  EXPECT_NE(PixelOf(Shot(*Momentary), 0, 15), Ring) << "the ring went with the focus";
  QTest::keyClick(Latching, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_TRUE(Latching->Down());
  EXPECT_EQ(Clicks[Latching], 1);
  QTest::keyClick(Latching, Qt::Key_Space);
  EXPECT_FALSE(Latching->Down());
  Latching->setEnabled(false);
  QTest::keyClick(Latching, Qt::Key_Space);
  EXPECT_EQ(Clicks[Latching], 2) << "a disabled button takes no key";
  Latching->setEnabled(true);
  Click(*Latching);
  EXPECT_NE(QApplication::focusWidget(), Latching) << "a click leaves the focus where it was";
}

TEST_F(SpeedButton, ActionLinkCarriesCaptionCheckAndTrigger) {
  QAction Action("Drip");
  Action.setCheckable(true);
  int Triggered = 0;
  QObject::connect(&Action, &QAction::triggered, [&Triggered] { ++Triggered; });
  auto* B = new TCustomSpeedButton(&Panel);
  B->SetGroupIndex(1);
  B->SetAllowAllUp(true);
  B->SetAction(&Action);
  EXPECT_EQ(B->Caption(), "Drip");
  Action.setChecked(true);
  EXPECT_TRUE(B->Down());
  Action.setEnabled(false);
  EXPECT_FALSE(B->isEnabled());
  Action.setEnabled(true);
  B->Click();
  EXPECT_EQ(Triggered, 1);
  B->SetAction(nullptr);
  Action.setText("Other");
  EXPECT_EQ(B->Caption(), "Drip");
}

// ---------------------------------------------------------------------------------------------
// What the button paints

// Pictures are taken of the panel under the button, so what the button leaves unpainted shows
// the panel's own colour.
class SpeedButtonPaint : public SpeedButton {
 protected:
  void SetUp() override {
    Panel.resize(200, 100);
    QPalette P = Panel.palette();
    P.setColor(QPalette::Window, Behind);
    Panel.setPalette(P);
  }
  QImage Shot(TCustomSpeedButton& B) {
    return Panel.grab(B.geometry()).toImage().convertToFormat(QImage::Format_RGB32);
  }
  bool Unpainted(const QImage& I, int X, int Y) { return I.pixelColor(X, Y) == Behind; }

  const QColor Behind{1, 2, 3};
};

TEST_F(SpeedButtonPaint, FlatWhiteIdleIsFilledWithoutFrameUnlessTransparent) {
  TCustomSpeedButton* B = Make(0);
  B->setGeometry(5, 2, 31, 31);
  B->SetFlat(true);
  B->SetColor(Qt::white);
  B->SetTransparent(false);
  QImage I = Shot(*B);
  for (int Y = 0; Y < 31; ++Y)
    for (int X = 0; X < 31; ++X) ASSERT_EQ(PixelOf(I, X, Y), (Rgb{255, 255, 255})) << X << "," << Y;
  B->SetTransparent(true);
  I = Shot(*B);
  for (int Y = 0; Y < 31; ++Y)
    for (int X = 0; X < 31; ++X) ASSERT_TRUE(Unpainted(I, X, Y)) << X << "," << Y;
}

TEST_F(SpeedButtonPaint, FlatWhiteUnderThePointerShowsOneRaisedFrame) {
  TCustomSpeedButton* B = Make(0);
  B->setGeometry(5, 2, 31, 31);
  B->SetFlat(true);
  B->SetColor(Qt::white);
  Enter(*B);
  ASSERT_TRUE(B->MouseInside());
  const QImage I = Shot(*B);
  const Rgb White{255, 255, 255}, Half{127, 127, 127};
  for (int K = 0; K < 30; ++K) {
    EXPECT_EQ(PixelOf(I, K, 0), White) << K;
    EXPECT_EQ(PixelOf(I, 0, K), White) << K;
    EXPECT_EQ(PixelOf(I, 30, K + 1), Half) << K;
    EXPECT_EQ(PixelOf(I, K + 1, 30), Half) << K;
  }
  EXPECT_TRUE(Unpainted(I, 1, 1));  // one frame only, the inside left alone
  EXPECT_TRUE(Unpainted(I, 15, 15));
  QEvent Leave(QEvent::Leave);
  QApplication::sendEvent(B, &Leave);
  EXPECT_FALSE(B->MouseInside());
  EXPECT_TRUE(Unpainted(Shot(*B), 0, 0));
}

TEST_F(SpeedButtonPaint, FlatPressedShowsOneSunkenFrame) {
  TCustomSpeedButton* B = Make(0);
  B->setGeometry(0, 0, 20, 20);
  B->SetFlat(true);
  B->SetColor(Qt::white);
  Press(*B);
  const QImage I = Shot(*B);
  EXPECT_EQ(PixelOf(I, 0, 0), (Rgb{127, 127, 127}));
  EXPECT_EQ(PixelOf(I, 19, 19), (Rgb{255, 255, 255}));
  EXPECT_TRUE(Unpainted(I, 1, 1));
}

TEST_F(SpeedButtonPaint, RaisedAndSunkenFramesInShadesOfColor) {
  TCustomSpeedButton* B = Make(0);
  B->setGeometry(0, 0, 20, 20);
  B->SetColor(QColor(192, 192, 192));
  QImage I = Shot(*B);
  EXPECT_EQ(PixelOf(I, 0, 0), (Rgb{239, 239, 239}));
  EXPECT_EQ(PixelOf(I, 10, 0), (Rgb{239, 239, 239}));
  EXPECT_EQ(PixelOf(I, 19, 19), (Rgb{96, 96, 96}));
  EXPECT_EQ(PixelOf(I, 19, 0), (Rgb{96, 96, 96}));  // the far corners belong to the dark edge
  EXPECT_EQ(PixelOf(I, 1, 1), (Rgb{207, 207, 207}));
  EXPECT_EQ(PixelOf(I, 18, 18), (Rgb{144, 144, 144}));
  EXPECT_EQ(PixelOf(I, 2, 2), (Rgb{192, 192, 192}));
  EXPECT_EQ(PixelOf(I, 17, 17), (Rgb{192, 192, 192}));
  Press(*B);
  I = Shot(*B);
  EXPECT_EQ(PixelOf(I, 0, 0), (Rgb{96, 96, 96}));
  EXPECT_EQ(PixelOf(I, 19, 19), (Rgb{239, 239, 239}));
  EXPECT_EQ(PixelOf(I, 1, 1), (Rgb{144, 144, 144}));
  EXPECT_EQ(PixelOf(I, 18, 18), (Rgb{207, 207, 207}));
  EXPECT_EQ(PixelOf(I, 2, 2), (Rgb{192, 192, 192}));
}

TEST_F(SpeedButtonPaint, LatchedButtonIsCheckeredUnlessFlatUnderThePointer) {
  TCustomSpeedButton* B = Make(2);
  B->setGeometry(0, 0, 20, 20);
  B->SetColor(QColor(192, 192, 192));
  B->SetDown(true);
  QImage I = Shot(*B);
  EXPECT_EQ(PixelOf(I, 2, 2), (Rgb{239, 239, 239}));
  EXPECT_EQ(PixelOf(I, 3, 2), (Rgb{192, 192, 192}));
  EXPECT_EQ(PixelOf(I, 3, 3), (Rgb{239, 239, 239}));
  EXPECT_EQ(PixelOf(I, 0, 0), (Rgb{96, 96, 96}));  // sunken
  B->SetFlat(true);
  I = Shot(*B);
  EXPECT_EQ(PixelOf(I, 0, 0), (Rgb{96, 96, 96}));
  EXPECT_EQ(PixelOf(I, 1, 1), (Rgb{239, 239, 239}));
  EXPECT_EQ(PixelOf(I, 2, 1), (Rgb{192, 192, 192}));
  Enter(*B);
  I = Shot(*B);
  EXPECT_EQ(PixelOf(I, 0, 0), (Rgb{96, 96, 96}));
  EXPECT_TRUE(Unpainted(I, 2, 1));
}

TEST_F(SpeedButtonPaint, GlyphSitsWhereTheLayoutPutsIt) {
  TCustomSpeedButton* B = Make(0);
  B->setGeometry(0, 0, 46, 33);
  B->SetColor(QColor(0xF7, 0xF7, 0xF7));
  B->SetGlyph(Solid(24, 24, Qt::red), Olive);
  auto RedBox = [](const QImage& I) {
    QRect Box;
    for (int Y = 0; Y < I.height(); ++Y)
      for (int X = 0; X < I.width(); ++X)
        if (PixelOf(I, X, Y) == Rgb{255, 0, 0}) Box |= QRect(X, Y, 1, 1);
    return Box;
  };
  EXPECT_EQ(RedBox(Shot(*B)), QRect(11, 5, 24, 24));
  Press(*B);
  EXPECT_EQ(RedBox(Shot(*B)), QRect(12, 6, 24, 24));
}

TEST_F(SpeedButtonPaint, PicturesFollowTheStateAndDisabledIsGenerated) {
  QImage Strip(32, 16, QImage::Format_RGB32);
  Strip.fill(Olive);
  QPainter(&Strip).fillRect(QRect(4, 4, 8, 8), Qt::blue);   // up
  QPainter(&Strip).fillRect(QRect(20, 4, 8, 8), Qt::red);   // disabled, never shown as it is
  TCustomSpeedButton* B = Make(0);
  B->setGeometry(0, 0, 30, 30);
  B->SetFlat(true);
  B->SetGlyph(Strip);
  ASSERT_EQ(B->NumGlyphs(), 2);
  ASSERT_EQ(B->GlyphPictures().TransparentColor(), Olive);
  // 30 x 30 less one pixel all round: the 16 x 16 picture at (7, 7), its square at (11, 11).
  QImage I = Shot(*B);
  EXPECT_EQ(PixelOf(I, 11, 11), (Rgb{0, 0, 255}));
  EXPECT_TRUE(Unpainted(I, 8, 8));  // olive is see-through
  Press(*B);                        // two pictures: pressed shows the up picture, moved by one
  I = Shot(*B);
  EXPECT_EQ(PixelOf(I, 12, 12), (Rgb{0, 0, 255}));
  Release(*B);
  B->setEnabled(false);
  I = Shot(*B);
  const QColor Shadow = QApplication::palette().color(QPalette::Active, QPalette::Dark);
  const QColor Light = QApplication::palette().color(QPalette::Active, QPalette::Light);
  EXPECT_EQ(PixelOf(I, 11, 11), (Rgb{Shadow.red(), Shadow.green(), Shadow.blue()}));
  EXPECT_EQ(PixelOf(I, 19, 19), (Rgb{Light.red(), Light.green(), Light.blue()}));
  EXPECT_TRUE(Unpainted(I, 20, 20));
}

TEST_F(SpeedButtonPaint, OpaqueGlyphIsDrawnOverColor) {
  TCustomSpeedButton* B = Make(0);
  B->setGeometry(0, 0, 30, 30);
  B->SetFlat(true);
  B->SetColor(QColor(10, 200, 10));
  B->SetTransparent(false);
  QImage Glyph = Solid(16, 16, QColor(0xA6, 0xCA, 0xF0));
  QPainter(&Glyph).fillRect(QRect(4, 4, 8, 8), Qt::blue);
  B->SetGlyph(Glyph, QColor(0xA6, 0xCA, 0xF0));
  const QImage I = Shot(*B);
  EXPECT_EQ(PixelOf(I, 8, 8), (Rgb{10, 200, 10}));
  EXPECT_EQ(PixelOf(I, 11, 11), (Rgb{0, 0, 255}));
}

TEST_F(SpeedButtonPaint, DisabledCaptionIsEngravedInShadesOfColor) {
  TCustomSpeedButton* B = Make(0);
  B->setGeometry(0, 0, 80, 30);
  B->SetFlat(true);
  B->SetColor(QColor(192, 192, 192));
  QFont Large = B->font();
  Large.setPixelSize(20);
  Large.setBold(true);
  B->setFont(Large);
  B->SetCaption("WWW");
  B->setEnabled(false);
  const QImage I = Shot(*B);
  int Half = 0, VeryLight = 0;
  for (int Y = 0; Y < I.height(); ++Y)
    for (int X = 0; X < I.width(); ++X) {
      if (Unpainted(I, X, Y)) continue;
      const Rgb P = PixelOf(I, X, Y);
      EXPECT_NE(P, (Rgb{0, 0, 0}));  // never the enabled text colour
      Half += P == Rgb{96, 96, 96};
      VeryLight += P == Rgb{239, 239, 239};
    }
  EXPECT_GT(Half, 10);
  EXPECT_GT(VeryLight, 5);
  EXPECT_TRUE(Unpainted(I, 0, 0));  // nothing but the text
}

}  // namespace
}  // namespace plashbox
