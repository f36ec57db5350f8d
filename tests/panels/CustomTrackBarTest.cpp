#include "panels/CustomTrackBar.h"

#include <gtest/gtest.h>

#include <QApplication>

#include "tests/QtTestApplication.h"
#include <QPainter>
#include <QStyleFactory>
#include <QTest>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace plashbox {
namespace {

[[maybe_unused]] ::testing::Environment* const Application =
    tests::InstallQtTestApplication([] { QApplication::setStyle(QStyleFactory::create("Fusion")); });

using Rgb = std::tuple<int, int, int>;
Rgb Of(const QColor& C) { return {C.red(), C.green(), C.blue()}; }
Rgb PixelOf(const QImage& Image, int X, int Y) { return Of(Image.pixelColor(X, Y)); }
Rgb Grey(int V) { return {V, V, V}; }

TEST(ColorShades, SilverWhiteAndBlack) {
  TColorShades S = ShadesOf(QColor(192, 192, 192));
  EXPECT_EQ(Of(S.VeryLight), Grey(239));
  EXPECT_EQ(Of(S.Light), Grey(207));
  EXPECT_EQ(Of(S.Dark), Grey(144));
  EXPECT_EQ(Of(S.Half), Grey(96));
  EXPECT_EQ(Of(S.VeryDark), Grey(48));
  S = ShadesOf(Qt::white);
  EXPECT_EQ(Of(S.VeryLight), Grey(255));
  EXPECT_EQ(Of(S.Light), Grey(255));
  EXPECT_EQ(Of(S.Dark), Grey(192));
  EXPECT_EQ(Of(S.Half), Grey(127));
  EXPECT_EQ(Of(S.VeryDark), Grey(63));
  S = ShadesOf(Qt::black);
  EXPECT_EQ(Of(S.VeryLight), Grey(191));
  EXPECT_EQ(Of(S.Light), Grey(63));
  EXPECT_EQ(Of(S.Dark), Grey(0));
  EXPECT_EQ(Of(S.Half), Grey(0));
  EXPECT_EQ(Of(S.VeryDark), Grey(0));
}

TEST(ColorShades, EachComponentOnItsOwn) {
  const TColorShades S = ShadesOf(QColor(0xF7, 0x00, 0x80));
  EXPECT_EQ(Of(S.VeryLight), (Rgb{253, 191, 223}));
  EXPECT_EQ(Of(S.Light), (Rgb{249, 63, 159}));
  EXPECT_EQ(Of(S.Dark), (Rgb{186, 0, 96}));
  EXPECT_EQ(Of(S.Half), (Rgb{123, 0, 64}));
  EXPECT_EQ(Of(S.VeryDark), (Rgb{61, 0, 32}));
}

TEST(Frame3D, EdgesAndCornersOfOnePixelFrames) {
  QImage I(4, 3, QImage::Format_RGB32);
  I.fill(Qt::black);
  QRect Inner;
  {
    QPainter P(&I);
    Inner = Frame3D(P, QRect(0, 0, 4, 3), Qt::white, Qt::red);
  }
  EXPECT_EQ(Inner, QRect(1, 1, 2, 1));
  const Rgb W{255, 255, 255}, R{255, 0, 0}, B{0, 0, 0};
  const Rgb Expected[3][4] = {{W, W, W, R}, {W, B, B, R}, {R, R, R, R}};
  for (int Y = 0; Y < 3; ++Y)
    for (int X = 0; X < 4; ++X) EXPECT_EQ(PixelOf(I, X, Y), Expected[Y][X]) << X << "," << Y;
  // A frame one pixel wide is all far edge.
  QPainter P(&I);
  Frame3D(P, QRect(0, 0, 1, 3), Qt::blue, Qt::green);
  for (int Y = 0; Y < 3; ++Y) EXPECT_EQ(PixelOf(I, 0, Y), (Rgb{0, 255, 0}));
}

class TrackBar : public ::testing::Test {
 protected:
  void SetUp() override {
    Bar = std::make_unique<TCustomTrackBar>();
    Bar->setGeometry(0, 0, 166, 24);
    Bar->setRange(5, 50);
    Bar->setValue(20);
    QPalette P = Bar->palette();
    P.setColor(QPalette::Window, Back);
    Bar->setPalette(P);
  }
  QImage Shot() { return Bar->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  // A column of the channel well away from the thumb.
  int ChannelX() const {
    const QRect T = Bar->ThumbRect();
    return T.center().x() < Bar->width() / 2 ? Bar->width() - 20 : 20;
  }

  const QColor Back{0xF7, 0xF7, 0xF7};
  std::unique_ptr<TCustomTrackBar> Bar;
};

TEST(TrackBarColours, WhiteChannelAndSilverThumbUntilSet) {
  TCustomTrackBar Bar;
  EXPECT_EQ(Bar.ChannelColor(), QColor(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(Bar.ThumbColor(), QColor(0xC0, 0xC0, 0xC0));
  EXPECT_EQ(Bar.Canvas(), nullptr);
}

TEST_F(TrackBar, ChannelIsFilledAndFramedSunkenInTheBackground) {
  const QImage I = Shot();
  const QRect C = Bar->ChannelRect();
  ASSERT_GE(C.height(), 5) << "the style's channel is too thin to hold both frames";
  const int X = ChannelX();
  EXPECT_EQ(PixelOf(I, X, C.top()), Grey(186));         // dark
  EXPECT_EQ(PixelOf(I, X, C.top() + 1), Grey(123));     // half
  EXPECT_EQ(PixelOf(I, X, C.bottom()), Grey(249));      // light
  EXPECT_EQ(PixelOf(I, X, C.bottom() - 1), Grey(253));  // very light
  for (int Y = C.top() + 2; Y <= C.bottom() - 2; ++Y) EXPECT_EQ(PixelOf(I, X, Y), Grey(255)) << Y;
  // The line of background round the whole bar.
  for (int Y = 0; Y < 24; ++Y) {
    EXPECT_EQ(PixelOf(I, 0, Y), Grey(247)) << Y;
    EXPECT_EQ(PixelOf(I, 165, Y), Grey(247)) << Y;
  }
  Bar->SetChannelColor(QColor(0, 0, 200));
  EXPECT_EQ(PixelOf(Shot(), X, C.top() + 2), (Rgb{0, 0, 200}));
}

struct TThumbColours {
  QColor Thumb;
  int VeryLight, Light, Dark, Half;
};

class TrackBarThumb : public TrackBar, public ::testing::WithParamInterface<TThumbColours> {};

TEST_P(TrackBarThumb, FilledAndFramedInShadesOfThumbColor) {
  const TThumbColours C = GetParam();
  Bar->SetThumbColor(C.Thumb);
  const QRect T = Bar->ThumbRect();
  const int Plain = C.Thumb.red();
  const QImage I = Shot();
  const int Bottom = T.bottom() - 3;  // the thumb is three pixels short of its rectangle
  EXPECT_EQ(PixelOf(I, T.left(), T.top()), Grey(C.VeryLight));
  EXPECT_EQ(PixelOf(I, T.left(), Bottom - 1), Grey(C.VeryLight));
  EXPECT_EQ(PixelOf(I, T.right(), T.top()), Grey(C.Half));
  EXPECT_EQ(PixelOf(I, T.left(), Bottom), Grey(C.Half));
  EXPECT_EQ(PixelOf(I, T.left() + 1, T.top() + 1), Grey(C.Light));
  EXPECT_EQ(PixelOf(I, T.right() - 1, Bottom - 1), Grey(C.Dark));
  EXPECT_EQ(PixelOf(I, T.left() + 2, T.top() + 2), Grey(Plain));
  // The groove down the middle of what the frames leave.
  const int Groove = T.left() + 2 + (T.width() - 4) / 2;
  for (int Y = T.top() + 2; Y <= Bottom - 2; ++Y) EXPECT_EQ(PixelOf(I, Groove, Y), Grey(C.Half)) << Y;
  EXPECT_EQ(PixelOf(I, Groove - 1, T.top() + 3), Grey(Plain));
  EXPECT_EQ(PixelOf(I, Groove + 1, T.top() + 3), Grey(Plain));
  for (int Y = Bottom + 1; Y <= T.bottom(); ++Y) EXPECT_NE(PixelOf(I, T.left() + 2, Y), Grey(Plain)) << Y;
  // Dragged, the thumb lights up.
  Bar->setSliderDown(true);
  EXPECT_EQ(PixelOf(Shot(), T.left() + 2, T.top() + 2), Grey(C.Light));
}

INSTANTIATE_TEST_SUITE_P(Colours, TrackBarThumb,
                         ::testing::Values(TThumbColours{QColor(192, 192, 192), 239, 207, 144, 96},
                                           TThumbColours{QColor(128, 128, 128), 223, 159, 96, 64},
                                           TThumbColours{QColor(0, 0, 0), 191, 63, 0, 0}),
                         [](const ::testing::TestParamInfo<TThumbColours>& Info) {
                           return "Grey" + std::to_string(Info.param.Thumb.red());
                         });

TEST_F(TrackBar, HandlerTakesOverTheThumb) {
  Bar->setTickPosition(QSlider::TicksBelow);
  std::vector<ThlTrackBarItem> Asked;
  QRect ThumbArea;
  bool HadCanvas = true;
  Bar->OnCustomDraw = [&](TCustomTrackBar& Sender, ThlTrackBarItem Item, const QRect& ARect, QStyle::State,
                          bool& DefaultDraw) {
    Asked.push_back(Item);
    HadCanvas = HadCanvas && Sender.Canvas() != nullptr;
    if (Item != tbiThumb) return;
    ThumbArea = ARect;
    Sender.Canvas()->fillRect(ARect, Qt::magenta);
    Sender.Canvas()->setPen(Qt::green);  // the bar's own painting must not inherit this
    DefaultDraw = false;
  };
  const QImage I = Shot();
  EXPECT_EQ(Asked, (std::vector<ThlTrackBarItem>{tbiChannel, tbiThumb}));
  EXPECT_TRUE(HadCanvas);
  EXPECT_EQ(Bar->Canvas(), nullptr);
  ASSERT_EQ(ThumbArea, Bar->ThumbRect());
  // All of it but the bar's outermost line, which the background line covers last.
  const QRect Seen = ThumbArea & Bar->rect().adjusted(1, 1, -1, -1);
  ASSERT_GE(Seen.width() * Seen.height(), 100);
  for (int Y = Seen.top(); Y <= Seen.bottom(); ++Y)
    for (int X = Seen.left(); X <= Seen.right(); ++X)
      ASSERT_EQ(PixelOf(I, X, Y), (Rgb{255, 0, 255})) << X << "," << Y;
  EXPECT_EQ(PixelOf(I, 0, 0), Grey(247));
}

TEST_F(TrackBar, HandlerFillsTheChannelButTheFramesStay) {
  Bar->OnCustomDraw = [](TCustomTrackBar& Sender, ThlTrackBarItem Item, const QRect& ARect, QStyle::State,
                         bool& DefaultDraw) {
    if (Item != tbiChannel) return;
    Sender.Canvas()->fillRect(ARect, Qt::green);
    DefaultDraw = false;
  };
  const QImage I = Shot();
  const QRect C = Bar->ChannelRect();
  const int X = ChannelX();
  EXPECT_EQ(PixelOf(I, X, C.top()), Grey(186));
  EXPECT_EQ(PixelOf(I, X, C.top() + 1), Grey(123));
  EXPECT_EQ(PixelOf(I, X, C.bottom() - 1), Grey(253));
  EXPECT_EQ(PixelOf(I, X, C.bottom()), Grey(249));
  EXPECT_EQ(PixelOf(I, X, C.top() + 2), (Rgb{0, 255, 0}));
  // The thumb is still the bar's.
  const QRect T = Bar->ThumbRect();
  EXPECT_EQ(PixelOf(I, T.left(), T.top()), Grey(239));
}

// The focus, which the arrow keys follow, is a ring of the focus colour round the whole bar,
// plain to see on any panel; nothing else of the bar changes but the style's thumb.
TEST_F(TrackBar, FocusRingRoundTheWholeBar) {
  const QImage Before = Shot();
  Bar->show();
  Bar->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Bar.get()));
  Bar->setFocus();
  ASSERT_TRUE(Bar->hasFocus());
  const QImage After = Shot();
  const QRect Inside = Bar->rect().adjusted(FocusMarkWidth, FocusMarkWidth, -FocusMarkWidth, -FocusMarkWidth);
  const QRect T = Bar->ThumbRect();
  const Rgb Focus = Of(FocusColour);
  for (int Y = 0; Y < After.height(); ++Y)
    for (int X = 0; X < After.width(); ++X) {
      if (!Inside.contains(X, Y)) {
        ASSERT_EQ(PixelOf(After, X, Y), Focus) << X << "," << Y;
      } else if (!T.contains(X, Y)) {
        ASSERT_EQ(After.pixel(X, Y), Before.pixel(X, Y)) << X << "," << Y;
      }
    }
  Bar->clearFocus();
  EXPECT_EQ(Shot(), Before) << "gone with the focus";
}

TEST_F(TrackBar, ThumbLengthAcrossTheChannel) {
  const QRect C = Bar->ChannelRect();
  Bar->SetThumbLength(18);
  const QRect T = Bar->ThumbRect();
  EXPECT_EQ(T.height(), 18);
  EXPECT_EQ(T.top(), C.top() + (C.height() - 18) / 2);
  Bar->SetThumbLength(0);
  EXPECT_NE(Bar->ThumbRect().height(), 18);
}

TEST(TrackBarVertical, ThumbShortenedAtTheRight) {
  TCustomTrackBar Bar(Qt::Vertical);
  Bar.setGeometry(0, 0, 26, 150);
  Bar.setValue(30);
  const QRect T = Bar.ThumbRect();
  const QImage I = Bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const int Right = T.right() - 3;
  EXPECT_EQ(PixelOf(I, T.left(), T.top()), Grey(239));
  EXPECT_EQ(PixelOf(I, Right, T.top() + 1), Grey(96));
  EXPECT_EQ(PixelOf(I, Right - 1, T.top() + 2), Grey(144));
  EXPECT_NE(PixelOf(I, Right + 1, T.top() + 2), Grey(192));
}

}  // namespace
}  // namespace plashbox
