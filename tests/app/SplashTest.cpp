// The splash window on Qt's offscreen platform: layout, picture, version lines, links and fade.
#include "app/uDemoSplash.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimerEvent>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/DesktopShell.h"
#include "frame/JpegPicture.h"
#include "app/SplashArtwork.h"
#include "frame/VersionInfo.h"
#include "panels/verslab.h"
#include "tests/QtTestApplication.h"

namespace plashbox {
namespace {

const auto* const Environment = tests::InstallQtTestApplication([] {
  // The offscreen platform cannot make windows translucent and says so at every fade step.
  static QtMessageHandler next = nullptr;
  next = qInstallMessageHandler([](QtMsgType Type, const QMessageLogContext& Context, const QString& Text) {
    if (next && !Text.contains(QLatin1String("does not support setting window opacity"))) next(Type, Context, Text);
  });
});

// A string item of the program's own version information, read straight from the block the
// build embeds.
std::string OwnVersionString(const std::string& Key) {
  TVersionInfo info;
  if (TVersionInfo::ReadBytes(TVersionInfo::EmbeddedBlock(), info) != TVersionInfoStatus::Ok) return "(none)";
  std::string_view value;
  uint32_t length = 0;
  if (!info.QueryValue("\\VarFileInfo\\Translation", value, length) || length < 4) return "(none)";
  char langCharset[9];
  const auto word = [&](size_t At) { return unsigned(uint8_t(value[At])) | unsigned(uint8_t(value[At + 1])) << 8; };
  std::snprintf(langCharset, sizeof langCharset, "%4.4X%4.4X", word(0), word(2));
  if (!info.QueryValue("\\StringFileInfo\\" + std::string(langCharset) + "\\" + Key, value, length)) return "(none)";
  return std::string(value.data());
}

void Click(QWidget& Widget, QPoint At, QPoint ReleaseAt) {
  const QPointF global = Widget.mapToGlobal(QPointF(At));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(At), global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&Widget, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(ReleaseAt), Widget.mapToGlobal(QPointF(ReleaseAt)),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&Widget, &release);
}
void Click(QWidget& Widget) { Click(Widget, Widget.rect().center(), Widget.rect().center()); }

// One event of the fade timer, as the event loop would deliver it.
void TimerEvent(TWELCOME& Splash) {
  ASSERT_TRUE(Splash.Timer1->isActive());
  QTimerEvent event(Splash.Timer1->timerId());
  QApplication::sendEvent(Splash.Timer1, &event);
}

void RunDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class Splash : public ::testing::Test {
 protected:
  void SetUp() override {
    SetShellOpen([this](const std::string& Target) { Opened.push_back(Target); });
  }
  void TearDown() override {
    SetShellOpen({});
    for (QPointer<TWELCOME>& w : Made) delete w.data();
  }
  TWELCOME& Make() {
    auto* splash = new TWELCOME();
    Made.emplace_back(splash);
    return *splash;
  }
  // Fade events until the window is gone; the opacity after each event.
  std::vector<int> FadeOut(TWELCOME& Window) {
    QPointer<TWELCOME> w(&Window);
    std::vector<int> seen;
    while (w && seen.size() < 40) {
      TimerEvent(*w);
      seen.push_back(w->AlphaBlendValue());
      RunDeferredDeletes();
    }
    return seen;
  }
  std::vector<std::string> Opened;
  std::vector<QPointer<TWELCOME>> Made;
};

const std::vector<int> FadeSequence = {230, 220, 210, 200, 190, 180, 170, 160, 150, 140, 130, 120, 110,
                                       100, 90,  80,  70,  60,  50,  40,  30,  20,  10,  0,   0};

TEST_F(Splash, WindowLayout) {
  TWELCOME& w = Make();
  EXPECT_EQ(w.windowTitle(), "WELCOME");
  EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(w.parent(), nullptr);
  EXPECT_FALSE(w.testAttribute(Qt::WA_QuitOnClose));
  EXPECT_EQ(w.size(), QSize(799, 503));  // the client area and its one-pixel edge
  EXPECT_EQ(w.palette().color(QPalette::Window), QColor(192, 192, 192));
  EXPECT_EQ(w.Panel1->geometry(), QRect(1, 1, 797, 501));
  EXPECT_EQ(w.Image1->geometry(), QRect(0, 0, 800, 500));
  EXPECT_EQ(w.PaintBox1->geometry(), QRect(16, 264, 257, 41));
  // The maker's link is its text at the lower right, nothing around it.
  const QRect maker = w.PaintBox2->geometry();
  EXPECT_GT(maker.left(), 500);
  EXPECT_GT(maker.top(), 440);
  EXPECT_LT(maker.width() * maker.height(), 260 * 50) << maker.width() << " x " << maker.height();
  EXPECT_TRUE(QRect(288, 344, 497, 153).contains(maker));
  EXPECT_EQ(w.PaintBox1->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(w.PaintBox2->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(w.Timer1->interval(), 20);
  EXPECT_FALSE(w.Timer1->isActive());
  EXPECT_EQ(w.AlphaBlendValue(), 240);
  EXPECT_NEAR(w.windowOpacity(), 240 / 255.0, 1.0 / 255);

  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_LE(std::abs(w.geometry().center().x() - screen.center().x()), 1);
  EXPECT_LE(std::abs(w.geometry().center().y() - screen.center().y()), 1);
}

TEST_F(Splash, ArtworkIsOursAndDecodedWithLibjpeg) {
  const QImage picture = DecodeSplashPicture(SplashArtworkJpeg());
  ASSERT_EQ(picture.size(), QSize(800, 500));
  // Not a flat fill: the waves vary from place to place.
  int distinct = 0;
  const QRgb first = picture.pixel(0, 0);
  for (int y = 0; y < 500; y += 25)
    for (int x = 0; x < 800; x += 40) distinct += picture.pixel(x, y) != first;
  EXPECT_GT(distinct, 300);

  TWELCOME& w = Make();
  EXPECT_EQ(w.Image1->Picture(), picture);
  std::vector<uint8_t> damaged(SplashArtworkJpeg().begin(), SplashArtworkJpeg().begin() + 1000);
  EXPECT_THROW(DecodeSplashPicture(damaged), EJpegError);
}

TEST_F(Splash, PictureShowsInsideTheSilverEdgeAndTheGrabIsKept) {
  TWELCOME& w = Make();
  w.show();
  const QImage shot = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shot.size(), QSize(799, 503));
  const QRgb silver = qRgb(192, 192, 192);
  EXPECT_EQ(shot.pixel(0, 0), silver);
  EXPECT_EQ(shot.pixel(798, 502), silver);
  EXPECT_EQ(shot.pixel(400, 501), silver);  // the panel's last row, below the 500-row picture
  const QImage& picture = w.Image1->Picture();
  for (const QPoint p : {QPoint(700, 60), QPoint(400, 200), QPoint(100, 290), QPoint(600, 420)})
    EXPECT_EQ(shot.pixel(p + QPoint(1, 1)), picture.pixel(p)) << p.x() << "," << p.y();
  // The manual takes its picture of the splash from here.
  if (const QByteArray file = qgetenv("PLASHBOX_SPLASH_GRAB"); !file.isEmpty()) shot.save(QString::fromLocal8Bit(file));
}

TEST_F(Splash, VersionLinesShowTheProgramsVersionAndCopyright) {
  TWELCOME& w = Make();
  w.show();
  TzekVersionLabel* version = w.VersionLabel;
  TzekVersionLabel* copyright = w.CopyrightLabel;
  ASSERT_NE(version, nullptr);
  ASSERT_NE(copyright, nullptr);
  EXPECT_EQ(version->text().toStdString(), PLASHBOX_TEST_PRODUCT_VERSION);
  EXPECT_EQ(version->text().toStdString(), OwnVersionString("ProductVersion"));
  EXPECT_EQ(copyright->text().toStdString(), OwnVersionString("LegalCopyright"));
  EXPECT_EQ(version->VersionResource(), vrProductVersion);
  EXPECT_EQ(copyright->VersionResource(), vrLegalCopyright);

  for (TzekVersionLabel* line : {version, copyright}) {
    EXPECT_FALSE(line->ShowInfoPrefix());
    EXPECT_EQ(line->parentWidget(), w.Panel1);
    EXPECT_EQ(line->font().family(), "Arial");
    EXPECT_EQ(line->font().pointSize(), 7);
    EXPECT_EQ(line->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    EXPECT_FALSE(line->autoFillBackground());
    EXPECT_GT(line->height(), 0);
    EXPECT_GE(line->width(), line->sizeHint().width());  // sized to its text
    // Above the picture.
    EXPECT_EQ(w.Panel1->childAt(line->geometry().center()), line);
  }
  EXPECT_EQ(version->x(), 10);
  EXPECT_EQ(version->y(), 501 - 2 * version->height() - 8);
  EXPECT_EQ(copyright->x(), 10);
  EXPECT_EQ(copyright->y(), 501 - copyright->height() - 5);
  EXPECT_LE(version->geometry().bottom(), copyright->geometry().top());
}

TEST_F(Splash, FadeTakesTwentyFiveTimerEventsThenTheWindowIsGone) {
  TWELCOME& w = Make();
  QPointer<TWELCOME> alive(&w);
  w.show();
  Click(*w.Image1);
  EXPECT_TRUE(w.Fading());
  EXPECT_EQ(w.AlphaBlendValue(), 240);  // the click itself changes nothing yet
  std::vector<int> seen;
  for (int i = 0; i < 24; ++i) {
    TimerEvent(w);
    seen.push_back(w.AlphaBlendValue());
    EXPECT_NEAR(w.windowOpacity(), w.AlphaBlendValue() / 255.0, 1.0 / 255);
  }
  RunDeferredDeletes();
  ASSERT_TRUE(alive) << "released before its 25th event";
  TimerEvent(w);
  seen.push_back(w.AlphaBlendValue());
  EXPECT_FALSE(w.Fading());
  EXPECT_TRUE(alive);  // released, freed once pending events are handled
  RunDeferredDeletes();
  EXPECT_FALSE(alive);
  EXPECT_EQ(seen, FadeSequence);
}

TEST_F(Splash, ClickingAgainDoesNotSpeedUpTheFade) {
  TWELCOME& w = Make();
  w.show();
  Click(*w.Image1);
  const int timer = w.Timer1->timerId();
  Click(*w.Image1);
  EXPECT_EQ(w.Timer1->timerId(), timer);  // the same timer, not restarted
  EXPECT_EQ(w.Timer1->interval(), 20);
  EXPECT_EQ(w.AlphaBlendValue(), 240);
  for (int i = 0; i < 10; ++i) TimerEvent(w);
  Click(*w.Image1);
  Click(*w.PaintBox1);
  EXPECT_EQ(w.AlphaBlendValue(), 140);
  EXPECT_EQ(w.Timer1->timerId(), timer);
  EXPECT_EQ(FadeOut(w).size(), 15u);  // 25 in all
}

TEST_F(Splash, FadeRunsByItselfOnTheEventLoop) {
  TWELCOME& w = Make();
  QPointer<TWELCOME> alive(&w);
  std::vector<int> seen;
  QObject::connect(w.Timer1, &QTimer::timeout, [&] { seen.push_back(w.AlphaBlendValue()); });
  w.show();
  Click(*w.Image1);
  Click(*w.Image1);
  QElapsedTimer clock;
  clock.start();
  while (alive && clock.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_FALSE(alive);
  EXPECT_EQ(seen, FadeSequence);
}

TEST_F(Splash, LinkAreasOpenTheirAddressOnceThenFade) {
  TWELCOME& product = Make();
  product.show();
  Click(*product.PaintBox1);
  EXPECT_EQ(Opened, std::vector<std::string>{ProductWebAddress});
  EXPECT_TRUE(product.Fading());
  EXPECT_EQ(FadeOut(product).size(), 25u);
  EXPECT_EQ(Opened.size(), 1u);

  Opened.clear();
  TWELCOME& maker = Make();
  maker.show();
  Click(*maker.PaintBox2);
  EXPECT_EQ(Opened, std::vector<std::string>{MakerWebAddress});
  EXPECT_TRUE(maker.Fading());

  // A click on the picture's lower right, off the link text, only closes the splash.
  Opened.clear();
  TWELCOME& lower = Make();
  lower.show();
  QWidget* under = lower.Panel1->childAt(QPoint(400, 380));
  ASSERT_EQ(under, lower.Image1);
  Click(*under, {400, 380}, {400, 380});
  EXPECT_TRUE(Opened.empty());
  EXPECT_TRUE(lower.Fading());

  // A press that leaves the area before the release is no click.
  Opened.clear();
  TWELCOME& missed = Make();
  missed.show();
  Click(*missed.PaintBox1, {5, 5}, {5, 60});
  EXPECT_TRUE(Opened.empty());
  EXPECT_FALSE(missed.Fading());
}

TEST_F(Splash, FadeStartsEvenWhenTheAddressCannotBeOpened) {
  SetShellOpen([](const std::string&) { throw std::runtime_error("no browser"); });
  TWELCOME& w = Make();
  w.show();
  Click(*w.PaintBox2);
  EXPECT_TRUE(w.Fading());
}

TEST_F(Splash, TwoWindowsAreIndependent) {
  TWELCOME& first = Make();
  TWELCOME& second = Make();
  QPointer<TWELCOME> secondAlive(&second);
  first.show();
  second.show();
  EXPECT_NE(first.Timer1, second.Timer1);
  Click(*first.Image1);
  EXPECT_TRUE(first.Fading());
  EXPECT_FALSE(second.Fading());
  EXPECT_EQ(FadeOut(first).size(), 25u);
  ASSERT_TRUE(secondAlive);
  EXPECT_EQ(second.AlphaBlendValue(), 240);
  EXPECT_FALSE(second.Fading());
  Click(*second.Image1);
  EXPECT_EQ(FadeOut(second), FadeSequence);
}

}  // namespace
}  // namespace plashbox
