// The main window on Qt's offscreen platform: layout, first frame, pointer, menu, debug panel.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>

#include "tests/ManualClock.h"
#include "tests/QtTestApplication.h"
#include <QFrame>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QLabel>
#include <QListWidget>
#include <QDir>
#include <QTest>

#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/DesktopShell.h"
#include "app/ExperimentChooser.h"
#include "frame/Experiments.h"
#include "frame/KeyBindings.h"
#include "frame/SceneFiles.h"
#include "panels/ControlPanels.h"
#include "panels/uBarrierControlPanel.h"
#include "panels/uProbeControlPanel.h"
#include "panels/uControlPanelRefractiveIndex.h"
#include "panels/uGeneralExciterControlPanel.h"
#include "panels/uWaterViewPanel.h"
#include "panels/CustomTrackBar.h"
#include "panels/Palette.h"
#include "app/QtDIBPlatform.h"
#include "sim/WorkerPool.h"
#include "app/uDemoMainForm.h"
#include "app/uDemoSplash.h"
#include "frame/ClassRegistration.h"
#include "objects/uBaseRefractiveIndexMap.h"
#include "objects/uBarrier.h"
#include "objects/uBaseExciter.h"
#include "objects/uBlockRIMapper.h"
#include "objects/uIntensityScreen.h"
#include "objects/uProbe.h"
#include "objects/uGeneralExciter.h"
#include "panels/SpeedButton.h"

using namespace plashbox;
using plashbox::tests::TManualClock;

namespace {

// The application is made when the first case runs, not when CTest lists the cases.
const auto* const Environment = plashbox::tests::InstallQtTestApplication([] {
  RegisterClasses(RegisterControlPanels);
});

class MainForm : public ::testing::Test {
 protected:
  void SetUp() override {
    SetShellOpen([this](const std::string& Target) { Opened.push_back(Target); });
  }
  void TearDown() override { SetShellOpen({}); }

  std::unique_ptr<TMainForm> Make(QStringList Arguments = {"plashbox"}) {
    return std::make_unique<TMainForm>(Arguments, Clock);
  }
  // The colour on screen at (X, Y) of the paint area, as the window shows it.
  static QColor Shown(TMainForm& Form, int X, int Y) { return Form.Box().grab().toImage().pixelColor(X, Y); }

  std::vector<std::string> Opened;
  TManualClock Clock{1000};
};

TEST_F(MainForm, LayoutOfTheWindow) {
  auto form = Make();
  EXPECT_EQ(form->windowTitle(), "Plashbox Demo");
  EXPECT_EQ(form->size(), QSize(466 + 200, 506 + 46)) << "the tank's window, the panel column and the view strip";
  EXPECT_EQ(form->palette().color(QPalette::Window), QColor(122, 122, 133));
  EXPECT_EQ(form->Box().geometry(), QRect(32, 74, 401, 401));
  EXPECT_EQ(form->DripButton().geometry(), QRect(4, 2, 29, 31));
  EXPECT_EQ(form->DripButton().GroupIndex(), 321);
  EXPECT_TRUE(form->DripButton().AllowAllUp());
  EXPECT_EQ(form->ClearButton().geometry(), QRect(34, 2, 29, 31));
  EXPECT_EQ(form->MenuButton().geometry(), QRect(382, 4, 29, 29));
  EXPECT_EQ(form->ShowDebugPanelButton().geometry(), QRect(443, 483, 17, 17));
  EXPECT_EQ(form->DebugPanel().geometry(), QRect(295, 296, 168, 207));
  EXPECT_FALSE(form->DebugPanel().isVisibleTo(form.get()));
  EXPECT_EQ(form->FastForwardButton().text(), "Fast Forward");
  EXPECT_EQ(form->FrameTimer().Interval(), 16u);
  EXPECT_FALSE(form->FrameTimer().ActiveOnly());
  EXPECT_TRUE(form->FrameTimer().Enabled());

  const QTableWidget& rows = form->DataList();
  ASSERT_EQ(rows.rowCount(), 5);
  const char* const names[] = {"Draw rate", "CPU Usage", "Displacement", "Speed", "n"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(rows.item(i, 0)->text(), names[i]);
    EXPECT_EQ(rows.item(i, 1)->text(), "-");
  }
}

TEST_F(MainForm, MenuItemsInOrder) {
  auto form = Make();
  std::vector<QString> captions;
  for (QAction* a : form->SlideshowMenu().actions()) captions.push_back(a->isSeparator() ? "-" : a->text());
  const std::vector<QString> expected{"Experiments...", "Edit", "-",
                                      "Demo Help",     "Plashbox Manual (Full version - pdf)", "-", "Display Shape",
                                      "Refractive Map", "Colours", "Tank Size",   "Open Scene...", "Save Scene...",
                                      "Save Picture...", "Record...", "-", "About Plashbox"};
  EXPECT_EQ(captions, expected);
  QMenu* shapes = form->SlideshowMenu().actions()[6]->menu();
  ASSERT_NE(shapes, nullptr);
  ASSERT_EQ(shapes->actions().size(), 4);
  EXPECT_EQ(shapes->actions()[2]->text(), "Long and thin");
  EXPECT_EQ(shapes->actions()[3]->data().toInt(), 3);
  EXPECT_FALSE(shapes->actions()[0]->icon().isNull());

  form->SlideshowMenu().actions()[3]->trigger();
  form->SlideshowMenu().actions()[4]->trigger();
  EXPECT_EQ(Opened, (std::vector<std::string>{HelpFileName, "Plashbox Manual.pdf"}));
}

TEST_F(MainForm, FirstFrameAndTicksPaintThePaintArea) {
  auto form = Make();
  EXPECT_EQ(form->Core().TotalTicks, 1);
  form->Tick();  // the first picture reaches the screen at the start of the second tick
  EXPECT_EQ(Shown(*form, 300, 380), QColor(128, 128, 128)) << "still open water";
  EXPECT_EQ(Shown(*form, 200, 200).red(), 128);
  EXPECT_EQ(Shown(*form, 200, 200).green(), 70) << "the block's red cast, upright on screen";
  for (int i = 0; i < 60; ++i) form->Tick();
  // The beam has sent waves rightwards from its line near the left edge.
  bool moving = false;
  for (int x = 45; x < 110 && !moving; ++x) moving = Shown(*form, x, 200) != QColor(128, 128, 128);
  EXPECT_TRUE(moving);
}

TEST_F(MainForm, TheDripButtonAndTheKeyDShowAndSetTheOneTool) {
  auto form = Make();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  TWater& water = *form->Core().ActiveWater();
  auto* source = NodeAs<TGeneralExciter>(water.GetChildren(1));
  const QPoint handle(source->X1, 400 - source->Y1);
  QTest::mouseClick(&form->DripButton(), Qt::LeftButton);
  ASSERT_TRUE(form->DripButton().Down());
  EXPECT_EQ(form->Core().Tool(), TTankTool::Drip);
  EXPECT_EQ(form->Box().cursor().shape(), Qt::PointingHandCursor);
  QTest::mousePress(&form->Box(), Qt::RightButton, {}, handle);
  EXPECT_FALSE(water.IsGrabbed()) << "even on the source's handle the press drips";
  EXPECT_TRUE(source->IsDripHeld());
  EXPECT_TRUE(source->DripLifts());
  QTest::mouseRelease(&form->Box(), Qt::RightButton, {}, handle);
  EXPECT_FALSE(source->IsDripHeld());

  // The key lets the button up: both show the frame logic's tool.
  QTest::keyClick(form.get(), Qt::Key_D);
  EXPECT_EQ(form->Core().Tool(), TTankTool::Select);
  EXPECT_FALSE(form->DripButton().Down());
  EXPECT_EQ(form->Box().cursor().shape(), Qt::ArrowCursor);
  QTest::mousePress(&form->Box(), Qt::LeftButton, {}, handle);
  EXPECT_TRUE(water.IsGrabbed()) << "with the objects' tool the press takes the source";
  QTest::mouseRelease(&form->Box(), Qt::LeftButton, {}, handle);

  QTest::keyClick(form.get(), Qt::Key_D);
  EXPECT_EQ(form->Core().Tool(), TTankTool::Drip);
  EXPECT_TRUE(form->DripButton().Down());
  EXPECT_EQ(form->Box().cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseClick(&form->DripButton(), Qt::LeftButton);
  EXPECT_EQ(form->Core().Tool(), TTankTool::Select) << "the button lets the key's tool go";
}

TEST_F(MainForm, DraggingTheBlockFreezesTheWaves) {
  auto form = Make();
  for (int i = 0; i < 30; ++i) form->Tick();
  TWater& water = *form->Core().ActiveWater();
  QTest::mousePress(&form->Box(), Qt::LeftButton, {}, QPoint(280, 200));
  QTest::mouseMove(&form->Box(), QPoint(320, 150));
  const float still = water.DisplacementAt(60, 200);
  form->Tick();
  form->Tick();
  EXPECT_EQ(water.DisplacementAt(60, 200), still);
  EXPECT_NE(NodeAs<TBlockRIMapper>(water.GetChildren(0))->Sn, 0.0f) << "the block turned";
  QTest::mouseRelease(&form->Box(), Qt::LeftButton, {}, QPoint(320, 150));
  form->Tick();
  EXPECT_NE(water.DisplacementAt(60, 200), still);
}

TEST_F(MainForm, DisplayShapesResizeAndCentreThePaintArea) {
  auto form = Make();
  const QRect expected[] = {{32, 74, 401, 401}, {107, 149, 250, 250}, {32, 149, 401, 250}, {107, 74, 250, 401}};
  for (int tag : {1, 2, 3, 0}) {
    form->ChooseDisplayShape(tag);
    EXPECT_EQ(form->Box().geometry(), expected[tag]) << tag;
    EXPECT_EQ(form->Core().ActiveWater()->GridWidth(), expected[tag].width());
    EXPECT_EQ(form->Core().ActiveWater()->GridHeight(), expected[tag].height());
    form->Tick();
    form->Tick();
    EXPECT_EQ(Shown(*form, expected[tag].width() - 20, 20), QColor(128, 128, 128));
  }
}

TEST_F(MainForm, DebugArgumentShowsTheInfoButton) {
  EXPECT_FALSE(HasDebugArgument({"plashbox"}));
  EXPECT_TRUE(HasDebugArgument({"plashbox", "  -DeBuG "}));
  EXPECT_TRUE(HasDebugArgument({"-debug"})) << "the program path counts too";
  EXPECT_FALSE(HasDebugArgument({"plashbox", "--debug"}));
  EXPECT_FALSE(Make()->ShowDebugPanelButton().isVisibleTo(nullptr));
  auto form = Make({"plashbox", " -DEBUG"});
  EXPECT_TRUE(form->ShowDebugPanelButton().isVisibleTo(form.get()));
}

TEST_F(MainForm, DebugPanelShowsTheStatistics) {
  auto form = Make({"plashbox", "-debug"});
  QTest::mouseClick(&form->ShowDebugPanelButton(), Qt::LeftButton);
  ASSERT_TRUE(form->DebugPanel().isVisibleTo(form.get()));
  for (int i = 0; i < 32; ++i) {  // past the first half second
    form->Tick();
    Clock.Advance(17);
  }
  const QTableWidget& rows = form->DataList();
  ASSERT_EQ(rows.rowCount(), 7);
  EXPECT_EQ(rows.item(5, 0)->text(), "Timer rate");
  EXPECT_EQ(rows.item(6, 0)->text(), "Memory Usage");
  EXPECT_EQ(rows.item(6, 1)->text(), "2572816");
  EXPECT_EQ(rows.item(0, 1)->text(), rows.item(5, 1)->text()) << "every tick stepped";

  form->Core().StepRate = 60;
  QMouseEvent move(QEvent::MouseMove, QPointF(380, 20), QPointF(380, 20), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&form->Box(), &move);
  EXPECT_EQ(rows.item(3, 1)->text(), "42.43u/s");
  EXPECT_EQ(rows.item(4, 1)->text(), "1.00");

  QTest::mouseClick(&form->FastForwardButton(), Qt::LeftButton);
  EXPECT_TRUE(form->Core().FastForward);
  // The threads box starts at the frame logic's count and sets it.
  EXPECT_EQ(form->ThreadsBox().value(), form->Core().Threads());
  form->ThreadsBox().setValue(3);
  EXPECT_EQ(form->Core().Threads(), 3);
  form->Tick();
  EXPECT_EQ(form->Core().ActiveWater()->Threads(), 3) << "applied to the water shown";
  QTest::mouseClick(&form->ShowDebugPanelButton(), Qt::LeftButton);
  EXPECT_FALSE(form->DebugPanel().isVisibleTo(form.get()));
}

TEST_F(MainForm, ClearButtonStillsTheWater) {
  auto form = Make();
  for (int i = 0; i < 40; ++i) form->Tick();
  ASSERT_NE(form->Core().ActiveWater()->DisplacementAt(50, 200), 0.0f);
  QTest::mouseClick(&form->ClearButton(), Qt::LeftButton);
  EXPECT_EQ(form->Core().ActiveWater()->DisplacementAt(50, 200), 0.0f);
}

TEST_F(MainForm, AboutComesToTheFrontInsteadOfOpeningAgain) {
  auto form = Make();
  const auto count = [] { return QApplication::topLevelWidgets().size(); };
  const auto before = count();
  QAction* about = form->SlideshowMenu().findChild<QAction*>("AboutPlashbox1");
  ASSERT_NE(about, nullptr);
  about->trigger();
  about->trigger();
  EXPECT_EQ(count(), before + 1);
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<TWELCOME*>(w)) delete w;
}

TEST_F(MainForm, PanelColumnFollowsTheSceneAndTheSelection) {
  auto form = Make();
  auto* sourcePanel = qobject_cast<TGeneralExciterCP*>(form->SourcePanel());
  auto* mapPanel = qobject_cast<TRefractiveIndexCP*>(form->MapPanel());
  ASSERT_NE(sourcePanel, nullptr);
  ASSERT_NE(mapPanel, nullptr);
  TWater& water = *form->Core().ActiveWater();
  EXPECT_EQ(sourcePanel->Exciter(), water.GetExciter());
  EXPECT_EQ(mapPanel->Mapper(), water.GetRIMap());
  EXPECT_EQ(form->MarkedPanel(), 2) << "the new block is selected";
  EXPECT_GE(mapPanel->parentWidget()->x(), 441) << "beside the tank, not over it";

  // The source's handle: pressing it selects the source.
  auto* source = NodeAs<TGeneralExciter>(water.GetChildren(1));
  QTest::mousePress(&form->Box(), Qt::LeftButton, {}, QPoint(source->X1, 400 - source->Y1));
  QTest::mouseRelease(&form->Box(), Qt::LeftButton, {}, QPoint(source->X1, 400 - source->Y1));
  form->Tick();
  EXPECT_EQ(form->MarkedPanel(), 1);

  // A panel change reaches the running simulation at once.
  mapPanel->RfIndex->setValue(10);
  EXPECT_FLOAT_EQ((*water.Cells())[200][200].SpeedFactor, float(1 / 11.0 * 0.5));
  sourcePanel->MenuItems[2]->trigger();
  EXPECT_EQ(source->BeamType, btLine);

  form->ChooseDisplayShape(1);
  EXPECT_NE(form->SourcePanel(), nullptr);
  EXPECT_EQ(qobject_cast<TGeneralExciterCP*>(form->SourcePanel())->BeamType(), btLine) << "new panels, same source";
}

TEST_F(MainForm, TheIndexPanelFollowsTheSelectedMapAmongSeveral) {
  auto form = Make();
  TWater& water = *form->Core().ActiveWater();
  auto* first = NodeAs<TBlockRIMapper>(water.GetRIMap());
  ASSERT_NE(first, nullptr);
  first->SetCentreXPercent(25);
  first->SetWidthPercentage(20);
  const TRef<TBlockRIMapper> second = NewNode<TBlockRIMapper>();
  water.add(second.get());
  second->SetCentreXPercent(75);
  second->SetWidthPercentage(20);
  second->SetN(0.8f);
  form->Tick();
  auto* panel = qobject_cast<TRefractiveIndexCP*>(form->MapPanel());
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->Mapper(), second.get()) << "the block just added is selected";
  // A press inside the first block, away from its handles, selects it and its panel comes.
  const QPoint inside(first->CentreX + 15, 400 - (first->CentreY + 15));
  QTest::mousePress(&form->Box(), Qt::LeftButton, {}, inside);
  QTest::mouseRelease(&form->Box(), Qt::LeftButton, {}, inside);
  form->Tick();
  panel = qobject_cast<TRefractiveIndexCP*>(form->MapPanel());
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->Mapper(), first);
  EXPECT_EQ(form->MarkedPanel(), 2);
  EXPECT_EQ(water.SpeedFactorAt(second->CentreX, 200), 0.4f) << "both blocks stay in the water";
}

TEST_F(MainForm, ScenesSaveAndOpenAgain) {
  QTemporaryDir dir;
  const QString file = dir.filePath("scene.xml");
  std::vector<QString> errors;
  auto form = Make();
  form->ShowError = [&](const QString& Message) { errors.push_back(Message); };
  NodeAs<TGeneralExciter>(form->Core().ActiveWater()->GetChildren(1))->SetBeamType(btDouble);
  ASSERT_TRUE(form->SaveSceneFile(file)) << (errors.empty() ? "" : errors[0].toStdString());

  auto other = Make();
  other->ShowError = [&](const QString& Message) { errors.push_back(Message); };
  TWater* before = other->Core().ActiveWater();
  ASSERT_TRUE(other->OpenSceneFile(file));
  TWater* opened = other->Core().ActiveWater();
  ASSERT_NE(opened, nullptr);
  EXPECT_NE(opened, before);
  EXPECT_EQ(opened->GridWidth(), 401);
  EXPECT_EQ(NodeAs<TGeneralExciter>(opened->GetChildren(1))->BeamType, btDouble);
  EXPECT_EQ(qobject_cast<TGeneralExciterCP*>(other->SourcePanel())->Exciter(), opened->GetExciter());
  EXPECT_TRUE(errors.empty());

  // A broken file: the reader's message, and the running scene stays.
  const QString broken = dir.filePath("broken.xml");
  std::ofstream(broken.toStdString()) << "<TSlideshow ActiveID=\"1\"><TWater Exposure=\"lots\"/></TSlideshow>";
  EXPECT_FALSE(other->OpenSceneFile(broken));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(errors[0].startsWith("The scene broken.xml could not be opened")) << errors[0].toStdString();
  EXPECT_TRUE(errors[0].contains("lots")) << "then the reader's detail";
  EXPECT_EQ(other->Core().ActiveWater(), opened);

  // A save that cannot be made leaves what was there before.
  const QString blocked = dir.filePath("blocked.xml");
  std::filesystem::create_directory(blocked.toStdString());  // a folder where the file should go
  EXPECT_FALSE(form->SaveSceneFile(blocked));
  EXPECT_EQ(errors.size(), 2u);
  EXPECT_TRUE(std::filesystem::is_directory(blocked.toStdString()));
  EXPECT_TRUE(errors[1].contains(blocked)) << "the file the user chose, not a temporary one";
  EXPECT_FALSE(errors[1].contains(".partial"));
  EXPECT_FALSE(form->SaveSceneFile(dir.filePath("no/such/folder/scene.xml")));
  EXPECT_EQ(errors.size(), 3u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path().toStdString()), {}), 3)
      << "no temporary file is left behind";
}

TEST(QtDIBPlatform, StoredRowZeroShowsAtTheBottom) {
  SetDIBPlatform(&TQtDIBPlatform::Instance());
  TFastDIB surface;
  surface.SetSize(4, 3, 24);
  surface.SetPixel(0, 0, TPixelColor{0, 0, 255});  // blue, green, red: red
  surface.SetPixel(2, 3, TPixelColor{255, 0, 0});  // blue
  TPaintBox box;
  box.resize(4, 3);
  EXPECT_EQ(surface.Draw(box.Handle(), 0, 0, 4, 3, 0, 0), 1);
  const QImage shown = box.grab().toImage();
  EXPECT_EQ(shown.pixelColor(0, 2), QColor(255, 0, 0)) << "the first stored row is the picture's bottom line";
  EXPECT_EQ(shown.pixelColor(3, 0), QColor(0, 0, 255));
  EXPECT_EQ(shown.pixelColor(1, 1), QColor(0, 0, 0));
  EXPECT_EQ(surface.Draw(TDIBHandle{12345}, 0, 0, 4, 3, 0, 0), 0) << "no such paint area";
  SetDIBPlatform(nullptr);
}

// Every pixel upright, opaque and in its own colours, at widths whose rows have no padding after
// the last pixel (4, 8) and widths whose rows do; and only the part asked for.
TEST(QtDIBPlatform, UprightCopyKeepsEveryPixelAndOnlyThePartAsked) {
  for (const int w : {1, 4, 5, 8, 13}) {
    TFastDIB surface;
    surface.SetSize(w, 3, 24);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < w; ++x)
        surface.Rows24()[y][x] = TPixelColor{uint8_t(10 * x + 1), uint8_t(20 * y + 2), uint8_t(x * y + 3)};
    const QImage upright = UprightPicture(surface);
    ASSERT_EQ(upright.size(), QSize(w, 3));
    for (int r = 0; r < 3; ++r)
      for (int x = 0; x < w; ++x) {
        const TPixelColor c = surface.Rows24()[2 - r][x];
        // The stored word itself: pixel() would hide a wrong alpha in this format.
        const QRgb stored = reinterpret_cast<const QRgb*>(upright.constScanLine(r))[x];
        ASSERT_EQ(stored, qRgba(c.Red, c.Green, c.Blue, 255)) << w << " wide, at " << x << "," << r;
      }
    QImage part(w, 3, QImage::Format_RGB32);
    part.fill(Qt::black);
    CopyUpright(surface, part, QRect(0, 1, w, 1));
    EXPECT_EQ(part.pixel(w - 1, 0), qRgb(0, 0, 0)) << "rows outside the part stay as they were";
    EXPECT_EQ(part.pixel(w - 1, 1), upright.pixel(w - 1, 1));
  }
}

// A big picture is copied in parts on the worker pool, a row of it four pixels a shuffle where
// the processor has one: every pixel still lands upright and opaque.
TEST(QtDIBPlatform, BigUprightCopyIsSharedOutWholly) {
  SharedWorkerPool().Reserve(3);
  const int w = 1283, h = 1001;
  TFastDIB surface;
  surface.SetSize(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      surface.Rows24()[y][x] = TPixelColor{uint8_t(x * 7 + y), uint8_t(x ^ y), uint8_t(x * 3 + y * 5)};
  const QImage upright = UprightPicture(surface);
  for (int r = 0; r < h; ++r) {
    const auto* line = reinterpret_cast<const QRgb*>(upright.constScanLine(r));
    for (int x = 0; x < w; ++x) {
      const TPixelColor c = surface.Rows24()[h - 1 - r][x];
      ASSERT_EQ(line[x], qRgba(c.Red, c.Green, c.Blue, 255)) << x << "," << r;
    }
  }
}

TEST_F(MainForm, MenuOpensUnderTheMenuButtonRightAligned) {
  auto form = Make();
  EXPECT_EQ(form->MenuAnchor(), form->mapToGlobal(QPoint(24 + 382 + 29, 16 + 4 + 29)));
}

TEST_F(MainForm, TimeControlsOnTheToolBarAndTheirKeys) {
  auto form = Make();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  for (int i = 0; i < 20; ++i) form->Tick();
  TTankSession& core = form->Core();
  EXPECT_FALSE(form->StepButton().isEnabled()) << "a single step only while paused";
  EXPECT_EQ(form->SpeedLabel().text(), "1x");

  // Space pauses and resumes; the button follows the key and the key the button.
  QTest::keyClick(form.get(), Qt::Key_Space);
  EXPECT_TRUE(core.Paused());
  EXPECT_TRUE(form->PauseButton().Down());
  EXPECT_TRUE(form->StepButton().isEnabled());
  EXPECT_EQ(form->PauseButton().toolTip(), "Resume (Space)");
  const int64_t steps = core.TotalSteps;
  form->Tick();
  EXPECT_EQ(core.TotalSteps, steps) << "paused, a tick draws without stepping";
  QTest::keyClick(form.get(), Qt::Key_Period);
  QTest::mouseClick(&form->StepButton(), Qt::LeftButton);
  EXPECT_EQ(core.TotalSteps, steps + 2);
  QTest::mouseClick(&form->PauseButton(), Qt::LeftButton);
  EXPECT_FALSE(core.Paused());
  EXPECT_FALSE(form->StepButton().isEnabled());

  // "[" and "]" and the two buttons change the speed within its range.
  QTest::keyClick(form.get(), Qt::Key_BracketRight);
  QTest::mouseClick(&form->FasterButton(), Qt::LeftButton);
  EXPECT_EQ(form->SpeedLabel().text(), "4x");
  for (int i = 0; i < 6; ++i) QTest::keyClick(form.get(), Qt::Key_BracketLeft);
  EXPECT_EQ(form->SpeedLabel().text(), "1/4x");
  EXPECT_FALSE(form->SlowerButton().isEnabled());

  // C clears the waves; a new shape keeps the pause, and the button shows it.
  QTest::keyClick(form.get(), Qt::Key_Space);
  QTest::keyClick(form.get(), Qt::Key_C);
  EXPECT_EQ(core.ActiveWater()->DisplacementAt(50, 200), 0.0f);
  form->ChooseDisplayShape(1);
  EXPECT_TRUE(core.Paused());
  EXPECT_TRUE(form->PauseButton().Down());
}

// The page takes its keys from the same table (frame/KeyBindings.h): each of its keys is a
// window action of the binding's name, and no key does two things.
TEST_F(MainForm, EveryKeyOfTheSharedTableIsOneOfTheWindowsActions) {
  auto form = Make();
  std::set<QString> keys;
  for (const TKeyBinding& binding : KeyBindings) {
    const auto* action = form->findChild<QAction*>(binding.Name);
    ASSERT_NE(action, nullptr) << binding.Name;
    const QList<QKeySequence> expected = QKeySequence::listFromString(binding.Keys, QKeySequence::PortableText);
    ASSERT_FALSE(expected.isEmpty()) << binding.Keys;
    EXPECT_EQ(action->shortcuts(), expected) << binding.Name;
    for (const QKeySequence& key : expected) {
      EXPECT_FALSE(key.toString().isEmpty()) << binding.Keys << " is not a key Qt reads";
      EXPECT_TRUE(keys.insert(key.toString()).second) << key.toString().toStdString() << " is bound twice";
    }
  }
  EXPECT_TRUE(keys.count("Ctrl+P")) << "Save Picture's key is the table's too";
}

TEST_F(MainForm, HelpOpensAsHtmlAndSaysWhatToInstallWhenNothingOpensIt) {
  auto form = Make();
  std::vector<QString> errors;
  form->ShowError = [&](const QString& Message) { errors.push_back(Message); };
#if !defined(_WIN32)
  EXPECT_STREQ(HelpFileName, "help/index.html") << "the HTML pages, which every Linux desktop opens";
#endif
  // F1 with the source's panel selected opens that panel's page.
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  LastChildOf<TBaseExciter>(*form->Core().ActiveWater())->Activate();
  form->Tick();
  QTest::keyClick(form.get(), Qt::Key_F1);
  ASSERT_FALSE(Opened.empty());
  EXPECT_EQ(Opened.back(), "help/panels.html#source");

  // The desktop's own opener, with a document that is not there: a message that names it.
  SetShellOpen({});
  QTemporaryDir empty;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(empty.path());
  try {
    ShellOpen("no-such-manual.pdf");
    ADD_FAILURE() << "a missing document";
  } catch (const EShellOpenError& e) {
    EXPECT_NE(std::string(e.what()).find("no-such-manual.pdf is missing: "), std::string::npos) << e.what();
  }
  QDir::setCurrent(previous);
  SetShellOpen([](const std::string&) { throw EShellOpenError("No program could open x.pdf. Install a PDF viewer."); });
  form->OpenManual();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(errors[0].contains("Install a PDF viewer"));
}

// The desktop's opener may start and fail a moment later (Chromium run as root, xdg-open's "no
// method available" for the PDF): the message comes then, with the document's path and the
// opener's complaint, and the window does not wait for it meanwhile. An opener that succeeds
// says nothing.
TEST_F(MainForm, AnOpenerThatFailsLaterIsReportedWithTheDocumentsPath) {
  SetShellOpen({});
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkpath("bin") && QDir(dir.path()).mkpath("help"));
  const QString opener = dir.filePath("bin/xdg-open");
  std::ofstream(opener.toStdString()) << "#!/bin/sh\n"
                                         "case \"$1\" in *index.html*) exit 0;; esac\n"
                                         "echo \"xdg-open: no method available for opening '$1'\" >&2\n"
                                         "exit 3\n";
  QFile(opener).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  std::ofstream(dir.filePath("Plashbox Manual.pdf").toStdString()) << "%PDF-1.4";
  std::ofstream(dir.filePath("help/index.html").toStdString()) << "<html></html>";
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", dir.filePath("bin").toLocal8Bit() + ":" + path);
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir.path());

  auto form = Make();
  std::vector<QString> errors;
  form->ShowError = [&](const QString& Message) { errors.push_back(Message); };
  form->OpenManual();
  EXPECT_TRUE(errors.empty()) << "nothing waits for the opener";
  EXPECT_TRUE(QTest::qWaitFor([&] { return !errors.empty(); }, 10000));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(errors[0].contains(QDir::toNativeSeparators(QDir::current().absoluteFilePath("Plashbox Manual.pdf"))))
      << errors[0].toStdString();
  EXPECT_TRUE(errors[0].contains("no method available")) << "the opener's own words";
  EXPECT_TRUE(errors[0].contains("Install a PDF viewer"));
  form->OpenHelp();
  EXPECT_TRUE(QTest::qWaitFor([] { return QCoreApplication::instance()->findChildren<QProcess*>().isEmpty(); }, 10000))
      << "the opener ended and was freed";
  QApplication::processEvents();
  EXPECT_EQ(errors.size(), 1u) << "the help opened";

  QDir::setCurrent(previous);
  qputenv("PATH", path);
}

// The keys go to the tank first. Whichever of the program's own controls has the focus, the
// tank among them, wears an orange ring; Tab moves it on, and Space presses the button it is on.
TEST_F(MainForm, TheFocusIsMarkedOnTheTankAndOnEveryControl) {
  auto form = Make();
  form->show();
  QApplication::setActiveWindow(form.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  EXPECT_EQ(QApplication::focusWidget(), &form->Box()) << "not the brightness slider";
  const auto ringed = [](QWidget& Widget, QPoint At) { return Widget.grab().toImage().pixelColor(At) == FocusColour; };
  QWidget& page = *form->findChild<QWidget*>("Content");
  const QPoint besideTheTank = form->Box().geometry().topLeft() + QPoint(-3, 40);
  EXPECT_TRUE(ringed(page, besideTheTank)) << "round the tank, on its frame";
  EXPECT_FALSE(ringed(form->DripButton(), QPoint(0, 15)));

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), &form->DripButton()) << "on to the tool bar";
  EXPECT_FALSE(ringed(page, besideTheTank));
  EXPECT_TRUE(ringed(form->DripButton(), QPoint(0, 15)));
  EXPECT_TRUE(ringed(form->DripButton(), QPoint(form->DripButton().width() - 1, 15)));
  QTest::keyClick(&form->DripButton(), Qt::Key_Space);
  EXPECT_TRUE(form->DripButton().Down()) << "Space presses the button with the focus";
  EXPECT_FALSE(form->Core().Paused()) << "and does not pause as well";
  QTest::keyClick(&form->DripButton(), Qt::Key_Return);
  EXPECT_FALSE(form->DripButton().Down());

  auto* brightness = form->findChild<TCustomTrackBar*>("BrightnessBar");
  ASSERT_NE(brightness, nullptr);
  const QPoint edge(0, brightness->height() / 2);
  EXPECT_FALSE(ringed(*brightness, edge));
  brightness->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(ringed(*brightness, edge)) << "a slider the arrow keys move says so";
  QTest::mouseClick(&form->Box(), Qt::LeftButton, {}, QPoint(390, 390));
  EXPECT_EQ(QApplication::focusWidget(), &form->Box()) << "a click in the tank takes the focus back";
}

TEST_F(MainForm, EveryShortcutReachesItsAction) {
  auto form = Make();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  QTest::keyClick(form.get(), Qt::Key_D);
  EXPECT_TRUE(form->DripButton().Down());
  QTest::keyClick(form.get(), Qt::Key_D);
  EXPECT_FALSE(form->DripButton().Down());
  // Every key of the window is an action of it, with the key the tooltips name.
  std::vector<QString> keys;
  for (QAction* a : form->actions()) keys.push_back(a->shortcut().toString());
  for (const char* k : {"Space", ".", "[", "]", "C", "D", "Ctrl+O", "Ctrl+S", "Ctrl+Shift+S", "F1", "F11", "Esc",
                        "PgUp", "PgDown", "Ctrl+Z", "Ctrl+Shift+Z", "Del"})
    EXPECT_NE(std::find(keys.begin(), keys.end(), QString(k)), keys.end()) << k;
  for (const TCustomSpeedButton* b : {&form->DripButton(), &form->ClearButton(), &form->PauseButton(),
                                      &form->StepButton(), &form->SlowerButton(), &form->FasterButton()}) {
    EXPECT_TRUE(b->Flat());
    EXPECT_TRUE(b->toolTip().endsWith(")")) << b->toolTip().toStdString() << ": names its key";
  }
}

// The Edit menu's items as they show when the menu opens.
std::pair<QString, QString> EditItems(TMainForm& Form) {
  QMenu* edit = Form.SlideshowMenu().findChild<QMenu*>("Edit1");
  emit edit->aboutToShow();
  return {edit->actions()[0]->text(), edit->actions()[1]->text()};
}

TEST_F(MainForm, DragsAndPanelGesturesAreUndoneFromTheMenuAndTheKeys) {
  auto form = Make();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  EXPECT_EQ(EditItems(*form), std::make_pair(QString("Undo"), QString("Redo")));
  EXPECT_FALSE(form->SlideshowMenu().findChild<QMenu*>("Edit1")->actions()[0]->isEnabled());

  // A drag of the block's corner handle, with moves in between: one step.
  auto* block = LastChildOf<TBlockRIMapper>(*form->Core().ActiveWater());
  const QPoint corner(int(std::lrint(block->EdgeHandles[0].X)), 400 - int(std::lrint(block->EdgeHandles[0].Y)));
  QTest::mousePress(&form->Box(), Qt::LeftButton, {}, corner);
  for (int i = 1; i <= 5; ++i) {
    QMouseEvent move(QEvent::MouseMove, QPointF(corner + QPoint(4 * i, 9 * i)), form->Box().mapToGlobal(QPointF(corner)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form->Box(), &move);
  }
  QTest::mouseRelease(&form->Box(), Qt::LeftButton, {}, corner + QPoint(20, 45));
  ASSERT_NE(block->Cs, 1);
  EXPECT_EQ(EditItems(*form).first, "Undo move block");

  // The wavelength slider dragged from its press to its release: one step, named after it.
  auto* panel = qobject_cast<TGeneralExciterCP*>(form->SourcePanel());
  ASSERT_NE(panel, nullptr);
  TCustomTrackBar& bar = *panel->WavelengthBar;
  const float wavelength = form->Core().ActiveWater()->GetExciter()->GetWavelength();
  const int shownBefore = bar.value();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), bar.mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&bar, &press);
  for (int v : {bar.value() + 3, bar.value() + 6, bar.value() + 9}) bar.setValue(v);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), bar.mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&bar, &release);
  QApplication::processEvents();
  ASSERT_NE(form->Core().ActiveWater()->GetExciter()->GetWavelength(), wavelength);
  EXPECT_EQ(EditItems(*form).first, "Undo change wavelength");

  QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(form->Core().ActiveWater()->GetExciter()->GetWavelength(), wavelength);
  auto* rebuilt = qobject_cast<TGeneralExciterCP*>(form->SourcePanel());
  ASSERT_NE(rebuilt, nullptr);
  EXPECT_EQ(rebuilt->WavelengthBar->value(), shownBefore) << "a panel made anew for the restored values";
  EXPECT_EQ(EditItems(*form), std::make_pair(QString("Undo move block"), QString("Redo change wavelength")));
  QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(block->Cs, 1);
  QTest::keyClick(form.get(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_NE(block->Cs, 1);
  QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_NE(form->Core().ActiveWater()->GetExciter()->GetWavelength(), wavelength);
  EXPECT_EQ(EditItems(*form).second, "Redo");
}

TEST_F(MainForm, DeleteAndPageKeysReachTheScene) {
  QTemporaryDir dir;
  const QString file = dir.filePath("two.xml");
  {
    const TRef<TSlideshow> show = NewNode<TSlideshow>();
    for (const char* name : {"Single slit", "Double slit"}) {
      const TRef<TWater> water = NewNode<TWater>();
      water->SetName(name);
      water->add(NewNode<TBlockRIMapper>().get());
      water->add(NewNode<TGeneralExciter>().get());
      water->add(NewNode<TGeneralExciter>().get());
      show->add(water.get());
    }
    show->ActiveID = show->GetSlideID(0);
    SaveScene(*show, file.toStdString());
  }
  auto form = Make();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  ASSERT_TRUE(form->OpenSceneFile(file));
  QTest::keyClick(form.get(), Qt::Key_PageDown);
  EXPECT_EQ(form->Core().ActiveWater()->GetName(), "Double slit");
  EXPECT_EQ(qobject_cast<TGeneralExciterCP*>(form->SourcePanel())->Exciter(), form->Core().ActiveWater()->GetExciter())
      << "the panels follow the slide";
  QTest::keyClick(form.get(), Qt::Key_PageUp);
  EXPECT_EQ(form->Core().ActiveWater()->GetName(), "Single slit");

  TWater& water = *form->Core().ActiveWater();
  LastChildOf<TGeneralExciter>(water)->Select(false);
  QTest::keyClick(form.get(), Qt::Key_Delete);
  EXPECT_EQ(water.GetChildCount(), 2) << "one of the two sources went";
  LastChildOf<TGeneralExciter>(water)->Select(false);
  QTest::keyClick(form.get(), Qt::Key_Delete);
  EXPECT_EQ(water.GetChildCount(), 2) << "the last source stays";
  QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(water.GetChildCount(), 3);
}

TEST_F(MainForm, F11FillsTheScreenAndEscapeGoesBack) {
  auto form = Make();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  const QSize normal = form->size();
  const QPoint place = form->screen()->availableGeometry().topLeft() + QPoint(40, 30);
  form->move(place);
  QApplication::processEvents();
  QTest::keyClick(form.get(), Qt::Key_F11);
  EXPECT_TRUE(form->windowState() & Qt::WindowFullScreen);
  QApplication::processEvents();
  auto* page = form->findChild<QWidget*>("Content");
  ASSERT_NE(page, nullptr);
  const QSize screen = form->screen()->geometry().size();
  EXPECT_EQ(page->size(), screen) << "the page is the screen: the tank took the room";
  EXPECT_EQ(form->Core().Box().Width, screen.width() - 24 - 16 - 17 - 208);
  EXPECT_EQ(form->Core().ActiveWater()->GridHeight(), screen.height() - 66 - 16 - 23 - 46);
  EXPECT_EQ(form->Box().mapTo(page, QPoint(0, 0)), QPoint(32, 74));
  form->move(form->screen()->geometry().topLeft());  // where a full screen is
  QApplication::processEvents();
  QTest::keyClick(form.get(), Qt::Key_Escape);
  EXPECT_FALSE(form->windowState() & Qt::WindowFullScreen);
  QApplication::processEvents();
  EXPECT_EQ(form->Core().Box().Width, 401) << "the size before";
  EXPECT_EQ(form->size(), normal);
  EXPECT_EQ(form->minimumSize(), normal) << "fixed again";
  EXPECT_EQ(form->pos(), place) << "where it was, not the screen's corner";
}

// A tank bigger than the screen (1920 x 1080 on Qt's offscreen screen of 800 x 800) is shown
// scaled down, so that the window, its panels and the view strip stay on the screen; the cells
// and the picture keep the tank's size, a pointer reaches the pixel under it, and the size is
// remembered for the next start, which fits it the same way.
TEST_F(MainForm, BigTanksAreScaledDownToTheScreenAndRemembered) {
  QSettings().clear();
  const auto fitsTheScreen = [](TMainForm& Form) {
    const QRect area = Form.screen()->availableGeometry();
    EXPECT_TRUE(area.contains(Form.frameGeometry())) << "the window on the screen";
    for (QWidget* part : {Form.SourcePanel()->parentWidget(), Form.MapPanel()->parentWidget(),
                          static_cast<QWidget*>(Form.findChild<TWaterViewCP*>("ViewPanel"))})
      EXPECT_TRUE(Form.rect().contains(QRect(part->mapTo(&Form, QPoint(0, 0)), part->size())))
          << part->objectName().toStdString() << ": every panel inside the window";
  };
  {
    auto form = Make();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const QRect area = form->screen()->availableGeometry();
    ASSERT_LT(area.width(), 1920 + 265) << "a screen smaller than the tank";
    QMenu* sizes = form->SlideshowMenu().findChild<QMenu*>("TankSize1");
    ASSERT_NE(sizes, nullptr);
    ASSERT_EQ(sizes->actions().size(), 6);
    EXPECT_EQ(sizes->actions()[5]->text(), "Fill the screen");
    sizes->actions()[3]->trigger();  // 1920 x 1080
    QApplication::processEvents();
    TWater& water = *form->Core().ActiveWater();
    EXPECT_EQ(water.GridWidth(), 1920) << "the tank keeps its cells";
    EXPECT_EQ(water.GridHeight(), 1080);
    EXPECT_EQ(form->Core().GetSurface().Width(), 1920);
    const QRect view = form->Box().geometry();
    EXPECT_EQ(form->frameGeometry().width(), area.width()) << "as wide as the screen allows";
    EXPECT_EQ(view.width(), form->width() - 265);
    EXPECT_EQ(view.height(), view.width() * 1080 / 1920) << "its shape kept";
    EXPECT_EQ(view.left(), 32);
    fitsTheScreen(*form);
    EXPECT_EQ(form->SourcePanel()->parentWidget()->x(), 24 + view.width() + 16 + 17) << "beside the view";
    auto* block = LastChildOf<TBlockRIMapper>(water);
    EXPECT_NEAR(block->BlockWidth, 1920 * 0.4, 1) << "objects keep their share of the tank";
    form->Tick();
    form->Tick();
    // The whole picture in the view: the block's tint in the middle, open water near the right.
    const QColor middle = Shown(*form, view.width() / 2, view.height() / 2);
    EXPECT_GT(middle.red(), middle.green() + 20);
    EXPECT_EQ(Shown(*form, view.width() - 10, view.height() / 2), QColor(128, 128, 128));

    // The source's handle, pressed where the view shows it, is taken and dragged in tank pixels.
    auto* source = LastChildOf<TGeneralExciter>(water);
    const QPoint handle(source->X3 * view.width() / 1920, (1079 - source->Y3) * view.height() / 1080);
    EXPECT_LE(std::abs(form->Core().ViewToPaintArea(handle.x(), handle.y()).first - source->X3), 2);
    QTest::mousePress(&form->Box(), Qt::LeftButton, {}, handle);
    EXPECT_TRUE(water.IsGrabbed()) << "the press reaches the handle";
    const QPoint lower = handle + QPoint(0, 100);
    QMouseEvent move(QEvent::MouseMove, QPointF(lower), form->Box().mapToGlobal(QPointF(lower)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form->Box(), &move);
    ASSERT_TRUE(source->HoldsHandle(3)) << "the beam's handle";
    QTest::mouseRelease(&form->Box(), Qt::LeftButton, {}, lower);
    EXPECT_EQ(1079 - source->Y3, form->Core().ViewToPaintArea(lower.x(), lower.y()).second)
        << "the handle went to the tank's pixel under the pointer";
  }
  auto again = Make();
  again->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(again.get()));
  EXPECT_EQ(again->Core().Box().Width, 1920) << "the size chosen last time";
  EXPECT_EQ(again->Core().ActiveWater()->GridHeight(), 1080);
  EXPECT_TRUE(again->Core().ViewScaled());
  fitsTheScreen(*again);
  QSettings().clear();
}

TEST_F(MainForm, AWindowGrownPastTheScreenMovesBackOntoIt) {
  QSettings().clear();
  auto form = Make();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  const QRect area = form->screen()->availableGeometry();
  form->move(area.left() + 40, area.top() + 30);
  QApplication::processEvents();
  form->ChooseTankSize(401, 401);
  EXPECT_EQ(form->pos(), QPoint(area.left() + 40, area.top() + 30)) << "a window that fits stays where it is";
  form->ChooseTankSize(1201, 801);
  QApplication::processEvents();
  EXPECT_TRUE(area.contains(form->frameGeometry())) << "grown, it moved back onto the screen";
  QSettings().clear();
}

// The Tank Size and Display Shape menus tick what the tank has; a size of neither none.
TEST_F(MainForm, TheSizeMenusTickTheTanksSize) {
  auto form = Make();
  QMenu* sizes = form->SlideshowMenu().findChild<QMenu*>("TankSize1");
  QMenu* shapes = form->SlideshowMenu().findChild<QMenu*>("DisplayShape1");
  ASSERT_NE(sizes, nullptr);
  ASSERT_NE(shapes, nullptr);
  const auto ticked = [](QMenu* Menu) {
    emit Menu->aboutToShow();
    QStringList names;
    for (QAction* a : Menu->actions())
      if (a->isChecked()) names << a->text();
    return names.join(",");
  };
  EXPECT_EQ(ticked(sizes), "401 x 401");
  EXPECT_EQ(ticked(shapes), "Normal");
  sizes->actions()[1]->trigger();
  EXPECT_EQ(ticked(sizes), "801 x 801");
  EXPECT_EQ(ticked(shapes), "");
  shapes->actions()[2]->trigger();
  EXPECT_EQ(ticked(sizes), "");
  EXPECT_EQ(ticked(shapes), "Long and thin");
  QSettings().clear();
}

TEST_F(MainForm, TheWallButtonAddsAWallWithItsPanel) {
  auto form = Make();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  EXPECT_EQ(form->WallPanel(), nullptr);
  form->WallButton().Click();
  TWater& water = *form->Core().ActiveWater();
  TBarrier* wall = LastChildOf<TBarrier>(water);
  ASSERT_NE(wall, nullptr);
  EXPECT_EQ(wall->Slits, 2);
  EXPECT_EQ(wall->X1, wall->PercentToGridX(40));
  EXPECT_TRUE(IsWall((*water.Cells())[wall->X1][20]));
  EXPECT_EQ(form->Core().UndoText(), "add wall");
  auto* panel = qobject_cast<TBarrierCP*>(form->WallPanel());
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->Wall(), wall);
  EXPECT_EQ(panel->SlitsBar->value(), 2);
  form->Tick();
  EXPECT_EQ(form->MarkedPanel(), 3) << "the new wall is selected";

  // Its slider writes the wall's value and the medium at once.
  panel->SlitsBar->setValue(0);
  EXPECT_EQ(wall->Slits, 0);
  const int32_t middle = water.GridHeight() / 2;
  EXPECT_TRUE(IsWall((*water.Cells())[wall->X1][middle])) << "no slit left in the middle";
  panel->ThicknessBar->setValue(7);
  EXPECT_EQ(wall->Thickness, 7);

  // A second wall by key; Delete takes the selected one away, undo brings it back.
  const auto walls = [&] {
    int n = 0;
    for (TBarrier* w : ChildrenOf<TBarrier>(water)) n += w != nullptr;
    return n;
  };
  QTest::keyClick(form.get(), Qt::Key_W);
  EXPECT_EQ(walls(), 2);
  QTest::keyClick(form.get(), Qt::Key_Delete);  // the new one, selected
  QTest::keyClick(form.get(), Qt::Key_Delete);  // nothing selected now: nothing goes
  form->Tick();
  EXPECT_EQ(walls(), 1);
  EXPECT_EQ(LastChildOf<TBarrier>(water), wall);
  wall->Select(false);
  QTest::keyClick(form.get(), Qt::Key_Delete);
  form->Tick();
  EXPECT_EQ(LastChildOf<TBarrier>(water), nullptr);
  EXPECT_EQ(form->WallPanel(), nullptr);
  EXPECT_TRUE(!IsWall((*water.Cells())[wall->X1][middle])) << "open water where it stood";
  QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
  form->Tick();
  EXPECT_EQ(LastChildOf<TBarrier>(water), wall);
  EXPECT_TRUE(IsWall((*water.Cells())[wall->X1][middle]));
  EXPECT_NE(form->WallPanel(), nullptr);
}

TEST_F(MainForm, TheExperimentsChooserShowsEverySlideAndRunsTheOneChosen) {
  const TRef<TSlideshow> experiments = MakeExperiments();
  TExperimentChooser chooser(*experiments);
  ASSERT_EQ(chooser.List().count(), experiments->SlideCount());
  EXPECT_TRUE(chooser.List().item(2)->text().startsWith("3. Double slit"));
  EXPECT_FALSE(chooser.List().item(2)->icon().isNull());
  chooser.List().setCurrentRow(2);
  EXPECT_TRUE(chooser.Description().text().contains("two slits")) << chooser.Description().text().toStdString();
  int chosen = -1;
  chooser.OnChoose = [&](int Index) { chosen = Index; };
  emit chooser.List().itemActivated(chooser.List().item(2));
  EXPECT_EQ(chosen, 2);

  // Chosen in the window: the file opens as the scene, then another one is a slide of it.
  QTemporaryDir dir;
  const std::string file = dir.filePath("experiments.xml").toStdString();
  SaveScene(*experiments, file);
  auto form = Make();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  form->ChooseExperiment(*experiments, file, 2);
  EXPECT_EQ(form->Core().ActiveWater()->GetName(), "Double slit (Young)");
  EXPECT_TRUE(form->SlideName().text().startsWith("3/14  Double slit (Young): ")) << form->SlideName().text().toStdString();
  EXPECT_NE(form->WallPanel(), nullptr);
  TWaterCollection* running = form->Core().GetSlideshow();
  form->ChooseExperiment(*experiments, file, 9);
  EXPECT_EQ(form->Core().GetSlideshow(), running) << "the same slideshow, another slide";
  EXPECT_TRUE(form->SlideName().text().startsWith("10/14  A convex lens"));
  QTest::keyClick(form.get(), Qt::Key_PageDown);
  EXPECT_TRUE(form->SlideName().text().startsWith("11/14"));
}

// Opening a slide in the window shows its objects' panels and changes none of its values: the
// page and the driver run the same physics.
TEST_F(MainForm, ShowingAnExperimentKeepsItsValues) {
  const TRef<TSlideshow> experiments = MakeExperiments();
  QTemporaryDir dir;
  const std::string file = dir.filePath("experiments.xml").toStdString();
  SaveScene(*experiments, file);
  auto form = Make();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  const auto values = [](TWater& Water) {
    std::vector<std::string> shown;
    for (TBaseWaterObject* object : ChildrenOf<TBaseWaterObject>(Water))
      for (const char* name : {"n", "Detune", "DopplerSpeed", "Wavelength", "SlitWidth", "SlitSpacing", "Slits"})
        if (object->ClassType().FindProperty(name)) shown.push_back(name + ("=" + GetPublishedValue(*object, name)));
    return shown;
  };
  for (int32_t i = 0; i < experiments->SlideCount(); ++i) {
    form->ChooseExperiment(*experiments, file, i);
    TWater& water = *form->Core().ActiveWater();
    // Each object selected in turn, so that its panel is made and bound.
    const std::vector<std::string> before = values(water);
    for (TBaseControl* control : ChildrenOf<TBaseControl>(water)) {
      for (TBaseControl* other : ChildrenOf<TBaseControl>(water)) other->ActiveTool = other == control;
      form->Core().Tick();
      QApplication::processEvents();
    }
    EXPECT_EQ(values(water), before) << water.GetName();
  }
  // The glass of the total internal reflection slide shows its own index.
  form->ChooseExperiment(*experiments, file, 8);
  for (TBaseControl* control : ChildrenOf<TBaseControl>(*form->Core().ActiveWater()))
    control->ActiveTool = dynamic_cast<TBaseRIControlRIMapper*>(control) != nullptr;
  form->Core().Tick();
  QApplication::processEvents();
  const auto* panel = form->findChild<TRefractiveIndexCP*>();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->RefractiveIndexLabel->text(), "1.83");
}

TEST_F(MainForm, ProbesAndTheScreenComeFromTheToolBarWithLivePanels) {
  auto form = Make();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  form->ChooseTankSize(401, 401);
  EXPECT_EQ(form->ToolPanel(), nullptr);
  form->ProbeButton().Click();
  TWater& water = *form->Core().ActiveWater();
  TProbe* probe = LastChildOf<TProbe>(water);
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(form->Core().UndoText(), "add probe");
  auto* panel = qobject_cast<TProbeCP*>(form->ToolPanel());
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(form->ToolPanelShown());
  // In the beam: after some frames the row reads the source's period.
  probe->SetX1Percent(30);
  for (int i = 0; i < 400; ++i) form->Tick();
  EXPECT_TRUE(panel->RowText(0).startsWith("35.")) << panel->RowText(0).toStdString();
  EXPECT_EQ(panel->RowText(1), "");
  // The graph shows the trace in the probe's colour.
  const QImage picture = panel->grab().toImage();
  const TPixelColor c = ProbeColours[0];
  bool coloured = false;
  const QRect graph = TProbeCP::GraphRect();
  for (int y = graph.top(); y <= graph.bottom() && !coloured; ++y)
    for (int x = graph.left(); x <= graph.right() && !coloured; ++x) {
      const QColor seen = picture.pixelColor(x, y);
      coloured = std::abs(seen.red() - c.Red) < 40 && std::abs(seen.green() - c.Green) < 40 && std::abs(seen.blue() - c.Blue) < 40;
    }
  EXPECT_TRUE(coloured);

  // Three more by key, then the button greys out.
  for (int i = 0; i < 3; ++i) QTest::keyClick(form.get(), Qt::Key_P);
  QTest::keyClick(form.get(), Qt::Key_P);
  form->Tick();
  int probes = 0;
  for ([[maybe_unused]] TProbe* p : ChildrenOf<TProbe>(water)) ++probes;
  EXPECT_EQ(probes, MaxProbes);
  EXPECT_FALSE(form->ProbeButton().isEnabled());

  // A wall selected shows its panel in that place; the screen, once added, shows its own.
  form->WallButton().Click();
  form->Tick();
  EXPECT_FALSE(form->ToolPanelShown());
  EXPECT_FALSE(form->WallPanel()->parentWidget()->isHidden());
  form->ScreenButton().Click();
  form->Tick();
  EXPECT_TRUE(form->ToolPanelShown());
  auto* screenPanel = qobject_cast<TIntensityScreenCP*>(form->ToolPanel());
  ASSERT_NE(screenPanel, nullptr);
  EXPECT_FALSE(screenPanel->MaximaLine().isEmpty());
  QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
  form->Tick();
  EXPECT_EQ(LastChildOf<TIntensityScreen>(water), nullptr);
  EXPECT_NE(qobject_cast<TProbeCP*>(form->ToolPanel()), nullptr) << "back to the probes";
}

}  // namespace

// The intensity button and key I, the colour menu and the view strip's sliders change the
// active water's picture, each as an edit that undo takes back.
TEST_F(MainForm, IntensityViewColoursAndBrightnessAreEditsOfTheWater) {
  auto form = Make();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  TWater& water = *form->Core().ActiveWater();
  for (int i = 0; i < 200; ++i) form->Tick();
  auto* button = form->findChild<TCustomSpeedButton*>("IntensityButton");
  ASSERT_NE(button, nullptr);
  const QImage waves = form->Box().grab().toImage();
  button->SetDown(true);
  button->Click();
  EXPECT_TRUE(water.IntensityView());
  for (int i = 0; i < 100; ++i) form->Tick();
  const QImage intensity = form->Box().grab().toImage();
  EXPECT_NE(intensity, waves);
  // Far from the source the mean is still small: dark, unlike the grey of still water.
  EXPECT_LT(intensity.pixelColor(390, 10).lightness(), 40);
  EXPECT_GT(waves.pixelColor(390, 10).lightness(), 100);
  QTest::keyClick(form.get(), Qt::Key_I);
  EXPECT_FALSE(water.IntensityView());
  EXPECT_FALSE(button->Down());
  EXPECT_EQ(form->Core().UndoText(), "show waves");

  QMenu* colours = form->SlideshowMenu().findChild<QMenu*>("Colours1");
  ASSERT_NE(colours, nullptr);
  ASSERT_EQ(colours->actions().size(), ColourSchemeCount);
  EXPECT_EQ(colours->actions()[2]->text(), "Blue, white and red");
  colours->actions()[2]->trigger();
  EXPECT_EQ(water.ColourScheme(), csBlueWhiteRed);
  EXPECT_TRUE(colours->actions()[2]->isChecked());

  auto* brightness = form->findChild<TCustomTrackBar*>("BrightnessBar");
  ASSERT_NE(brightness, nullptr);
  EXPECT_EQ(brightness->value(), BrightnessSteps / 2) << "the default exposure in the middle";
  QTest::mousePress(brightness, Qt::LeftButton, {}, QPoint(brightness->width() - 3, brightness->height() / 2));
  brightness->setValue(BrightnessSteps);
  QTest::mouseRelease(brightness, Qt::LeftButton, {}, QPoint(brightness->width() - 3, brightness->height() / 2));
  QCoreApplication::processEvents();
  EXPECT_FLOAT_EQ(water.Exposure(), 0.255f) << "ten times brighter";
  form->Core().Undo();
  QCoreApplication::processEvents();
  EXPECT_EQ(water.Exposure(), 2.55f);
  EXPECT_EQ(brightness->value(), BrightnessSteps / 2) << "the slider follows the undo";
  form->Core().Undo();
  EXPECT_EQ(water.ColourScheme(), csGrey);
  form->Core().Undo();
  EXPECT_TRUE(water.IntensityView());
  EXPECT_TRUE(button->Down());
}
