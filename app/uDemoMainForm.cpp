#include "app/uDemoMainForm.h"

#include <QAction>
#include <QActionGroup>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QMessageBox>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <QSpinBox>
#include <QSettings>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableWidget>

#include <iterator>

#include "app/Artwork.h"
#include "app/DesktopShell.h"
#include "app/ExperimentChooser.h"
#include "frame/Experiments.h"
#include "frame/GifAnimation.h"
#include "frame/KeyBindings.h"
#include "frame/SceneFiles.h"
#include "sim/WorkerPool.h"
#include "app/QtDIBPlatform.h"
#include "app/uDemoSplash.h"
#include "frame/MessageText.h"
#include "objects/UniqueIDs.h"
#include "objects/uBaseExciter.h"
#include "objects/uBaseRefractiveIndexMap.h"
#include "objects/uBarrier.h"
#include "panels/uWaterViewPanel.h"
#include "objects/uBaseTool.h"
#include "frame/ToolReadings.h"
#include "panels/uProbeControlPanel.h"
#include "panels/Palette.h"
#include "panels/Shading.h"
#include "panels/SpeedButton.h"

namespace plashbox {

namespace {

const QColor FormColour(122, 122, 133);
constexpr int PanelColumnWidth = 200;
// Right of the tank's frame: the gap before the panel column, and the column's own margin.
constexpr int PanelColumnGap = 17, PanelColumnMargin = 8;
// Below the tank's frame.
constexpr int BottomMargin = 23;
// The tool bar's buttons, eleven of them before the menu button.
constexpr int ToolButtonWidth = 29;
// The view strip under the slide's line, and the space below it.
constexpr int ViewStripHeight = 40 + 6;
// The page at the normal tank; a bigger tank makes it grow.
const QSize ContentSize(466 + PanelColumnWidth, 506 + ViewStripHeight);
// The biggest tank "Fill the screen" makes.
constexpr int MaxFilledWidth = 3840, MaxFilledHeight = 2160;
// Everything on the page beside the tank's view: left of it and above it the tool bar's
// margins, round it the frame's border, right of it the panel column, below it the slide's
// line and the view strip.
constexpr int FrameBorders = 2 * TTankSession::TankBorder;
const QSize PageAroundTank(TTankSession::TankBack.Left + FrameBorders + PanelColumnGap + PanelColumnWidth +
                               PanelColumnMargin,
                           TTankSession::TankBack.Top + FrameBorders + BottomMargin + ViewStripHeight);

QFrame* MakePanel(QWidget* Parent, const QRect& Geometry, const QColor& Colour, bool Border) {
  auto* panel = new QFrame(Parent);
  panel->setGeometry(Geometry);
  FillBackground(*panel, Colour);
  if (Border) panel->setFrameStyle(QFrame::Box | QFrame::Plain);
  return panel;
}

TMouseButton ButtonOf(const QMouseEvent& Event) {
  switch (Event.button()) {
    case Qt::RightButton:
      return mbRight;
    case Qt::MiddleButton:
      return mbMiddle;
    default:
      return mbLeft;
  }
}

TShiftState ShiftOf(const QMouseEvent& Event) {
  TShiftState shift = 0;
  const Qt::KeyboardModifiers keys = Event.modifiers();
  if (keys & Qt::ShiftModifier) shift |= ssShift;
  if (keys & Qt::AltModifier) shift |= ssAlt;
  if (keys & Qt::ControlModifier) shift |= ssCtrl;
  const Qt::MouseButtons buttons = Event.buttons();
  if (buttons & Qt::LeftButton) shift |= ssLeft;
  if (buttons & Qt::RightButton) shift |= ssRight;
  if (buttons & Qt::MiddleButton) shift |= ssMiddle;
  return shift;
}

}  // namespace

bool HasDebugArgument(const QStringList& Arguments) {
  for (const QString& argument : Arguments)
    if (argument.trimmed().toLower() == "-debug") return true;
  return false;
}

TMainForm::TMainForm(const QStringList& Arguments, iMillisecondClock& Clock, QWidget* Parent)
    : QWidget(Parent), FCore(std::make_unique<TTankSession>(Clock)) {
  ShowError = [this](const QString& Message) { QMessageBox::critical(this, "Plashbox Demo", Message); };
  SetDIBPlatform(&TQtDIBPlatform::Instance());
  CreateComponents();
  CreateMenu();
  CreateRecordControls();

  // The frame logic copies its picture to the paint area at the start of every tick.
  FCore->Present = [this](const TFastDIB& Surface) {
    Surface.Draw(FBox->Handle(), 0, 0, Surface.Width(), Surface.AbsHeight(), 0, 0);
  };
  // Another scene, an undo or an object added or removed: new panels for what is there now.
  FCore->SceneChanged = [this] {
    PlaceBox();
    RebuildPanels();
  };
  SeedUniqueIDs(SteadyMillisecondClock().Now());
  // The tank size chosen last time, if any.
  const QSettings settings;
  if (settings.contains("Tank/Width") && settings.contains("Tank/Height"))
    FCore->ChooseTankSize(settings.value("Tank/Width").toInt(), settings.value("Tank/Height").toInt());
  FCore->CreateScene();
  PlaceBox();

  FFrameTimer = new TDXTimer(this);
  FFrameTimer->SetEnabled(false);
  FFrameTimer->SetInterval(WindowFrameInterval);
  FFrameTimer->SetActiveOnly(false);
  FFrameTimer->OnTimer = [this](TCustomDXTimer&, uint32_t) { Tick(); };

  Tick();
  FFrameTimer->SetEnabled(true);
  RebuildPanels();

  FShowDebugPanelBTN->setVisible(HasDebugArgument(Arguments));

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  FBox->setFocus();  // the keys go to the tank first, not to a slider
}

// An animation still recording is not finished: its partial file goes with the recorder.
TMainForm::~TMainForm() = default;

void TMainForm::CreateComponents() {
  SetUpWindow();
  CreateTank();
  CreateToolBar();
  CreateDebugPanel();
  CreatePanelColumn();
  CreateShortcuts();
}

// A fixed window of its own colour and font.
void TMainForm::SetUpWindow() {
  setWindowTitle("Plashbox Demo");
  setWindowIcon(ProgramIcon());
  // A fixed tool window: close and minimise only.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  // The tank's window of 466 x 506 with a column on the right for the objects' panels. Its
  // widgets sit on one page of that size, which full screen centres.
  setFixedSize(ContentSize);
  FillBackground(*this, FormColour);
  FContent = new QWidget(this);
  FContent->setObjectName("Content");
  FContent->setGeometry(QRect(QPoint(0, 0), ContentSize));
  FContent->installEventFilter(this);
  QFont font("Sans Serif");
  font.setPointSize(8);
  setFont(font);
}

// The frame behind the tank and the paint area in it.
void TMainForm::CreateTank() {
  FTankBack = MakePanel(FContent, QRect(TTankSession::TankBack.Left, TTankSession::TankBack.Top,
                                    TTankSession::TankBack.Width, TTankSession::TankBack.Height),
                        PanelColour, false);
  FSlideLabel = new QLabel(FContent);
  FSlideLabel->setObjectName("SlideName");
  FBox = new TPaintBox(FContent);
  FBox->setObjectName("Box");
  FBox->setMouseTracking(true);
  // The first stop of Tab; its focus mark is drawn on the frame round it.
  FBox->setFocusPolicy(Qt::StrongFocus);
  FBox->installEventFilter(this);
  FTankBack->installEventFilter(this);
}

// The drip, clear and menu buttons above the tank.
void TMainForm::CreateToolBar() {
  FToolBar = MakePanel(FContent, QRect(24, 16, 417, 38), PanelColour, true);
  FDripButton = new TCustomSpeedButton(FToolBar);
  FDripButton->setGeometry(4, 2, ToolButtonWidth, 31);
  FDripButton->SetGroupIndex(321);
  FDripButton->SetAllowAllUp(true);
  FDripButton->SetFlat(true);
  FDripButton->SetColor(Qt::white);
  FDripButton->SetGlyph(DripGlyph());
  FDripButton->setToolTip("Drip: left button pushes the water down, right button lifts it (D)");
  FDripButton->OnClick = [this] { SetTool(FDripButton->Down() ? TTankTool::Drip : TTankTool::Select); };

  FClearButton = new TCustomSpeedButton(FToolBar);
  FClearButton->setGeometry(34, 2, ToolButtonWidth, 31);
  FClearButton->SetFlat(true);
  FClearButton->SetColor(Qt::white);
  FClearButton->SetGlyph(ClearGlyph());
  FClearButton->setToolTip("Clear the waves and start the source again (C)");
  FClearButton->OnClick = [this] { ClearWaves(); };
  CreateTimeControls();

  FMenuButton = new TCustomSpeedButton(FToolBar);
  FMenuButton->setGeometry(382, 4, 29, 29);
  FMenuButton->SetFlat(true);
  FMenuButton->SetGlyph(MenuGlyphStrip());
  FMenuButton->SetNumGlyphs(2);
  FMenuButton->SetLayout(blGlyphRight);
  FMenuButton->setToolTip("Menu: help, shapes, scene files (F1 help, Ctrl+O open, Ctrl+S save)");
  FMenuButton->OnClick = [this] { FSlideshowMenu->popup(MenuAnchor() - QPoint(FSlideshowMenu->sizeHint().width(), 0)); };
}

// Pause, single step and the speed with its two buttons, after the drip and clear buttons; then
// the wall, the intensity view, the probe, the screen and the recording (345).
void TMainForm::CreateTimeControls() {
  const auto button = [this](int Left, const QImage& Glyph) {
    auto* b = new TCustomSpeedButton(FToolBar);
    b->setGeometry(Left, 2, ToolButtonWidth, 31);
    b->SetFlat(true);
    b->SetColor(Qt::white);
    b->SetGlyph(Glyph);
    return b;
  };
  FPauseButton = button(68, PauseGlyph());
  FPauseButton->SetGroupIndex(322);
  FPauseButton->SetAllowAllUp(true);
  FPauseButton->OnClick = [this] { SetPaused(FPauseButton->Down()); };
  FStepButton = button(98, StepGlyph());
  FStepButton->setToolTip("One step (.)");
  FStepButton->OnClick = [this] { SingleStep(); };
  FSlowerButton = button(132, SlowerGlyph());
  FSlowerButton->setToolTip("Slower ([)");
  FSlowerButton->OnClick = [this] { SetSpeed(FCore->Speed() - 1); };
  FSpeedLabel = new QLabel(FToolBar);
  FSpeedLabel->setGeometry(161, 2, 30, 31);
  FSpeedLabel->setAlignment(Qt::AlignCenter);
  FSpeedLabel->setToolTip("Steps of the water per frame");
  FFasterButton = button(191, FasterGlyph());
  FFasterButton->setToolTip("Faster (])");
  FFasterButton->OnClick = [this] { SetSpeed(FCore->Speed() + 1); };
  FWallButton = button(225, WallGlyph());
  FWallButton->setToolTip("Add a wall with two slits; drag its ends, Delete removes it (W)");
  FWallButton->OnClick = [this] { FCore->AddWall(); };
  FIntensityButton = button(255, IntensityGlyph());
  FIntensityButton->setObjectName("IntensityButton");
  FIntensityButton->SetGroupIndex(323);
  FIntensityButton->SetAllowAllUp(true);
  FIntensityButton->setToolTip("Intensity: the waves averaged over time, dark on the nodal lines (I)");
  FIntensityButton->OnClick = [this] {
    FCore->SetIntensityView(FIntensityButton->Down());
    ShowView();
  };
  CreateMeasuringTools(button);
  ShowTimeControls();
}

// The probe and the screen on the tool bar, and the holder of their panels over the wall's.
void TMainForm::CreateMeasuringTools(const std::function<TCustomSpeedButton*(int, const QImage&)>& Button) {
  FProbeButton = Button(285, ProbeGlyph());
  FProbeButton->setToolTip("Add a probe that graphs the water at its point, up to four; drag it (P)");
  FProbeButton->OnClick = [this] { FCore->AddProbe(); };
  FScreenButton = Button(315, ScreenGlyph());
  FScreenButton->setToolTip("Add a screen that graphs the intensity along its line; drag its ends (S)");
  FScreenButton->OnClick = [this] { FCore->AddScreen(); };
}

bool TMainForm::ToolPanelShown() const { return !FToolHolder->isHidden(); }

TBaseTool* TMainForm::ToolToShow() const {
  TWater* water = FCore->ActiveWater();
  return water ? SelectedOrLastChild<TBaseTool>(*water) : nullptr;
}

void TMainForm::ShowToolPanel() {
  TBaseTool* tool = ToolToShow();
  if (tool != FShownTool.get() || (tool && !FToolPanel)) {
    delete FToolPanel;
    FShownTool = tool;
    FToolPanel = PlacePanel(*FToolHolder, tool);
  }
  // Over the wall's panel unless the wall is the one selected.
  const bool wallSelected = FShownWall && FShownWall->ActiveTool;
  const bool show = FToolPanel && (FShownTool->ActiveTool || !wallSelected);
  FToolHolder->setVisible(show);
  FWallHolder->setVisible(FWallPanel && !show);
  // The blue rim of the selected object's panel, set only when it changes.
  const int marked = show && FShownTool->ActiveTool ? 1 : 0;
  if (marked != FToolMarked)
    FToolHolder->setStyleSheet(QString("QFrame#PanelHolder { border: 2px solid %1; background: %2; }")
                                   .arg((marked ? WaterBlue : FormColour).name(), FormColour.name()));
  FToolMarked = marked;
  if (auto* live = dynamic_cast<TLiveReadings*>(FToolPanel); live && show)
    live->Refresh(StepsPerSecond(SimulationSpeeds[FCore->Speed()]));
  FProbeButton->setEnabled(FCore->CanAddProbe());
}

// Keys of the window, whichever of its widgets has the focus: the shared table's.
void TMainForm::CreateShortcuts() {
  const auto command = [this](TKeyCommand Command) -> std::function<void()> {
    switch (Command) {
      case TKeyCommand::Pause: return [this] { SetPaused(!FCore->Paused()); };
      case TKeyCommand::Step: return [this] { SingleStep(); };
      case TKeyCommand::Slower: return [this] { SetSpeed(FCore->Speed() - 1); };
      case TKeyCommand::Faster: return [this] { SetSpeed(FCore->Speed() + 1); };
      case TKeyCommand::Clear: return [this] { ClearWaves(); };
      case TKeyCommand::Drip:
        return [this] { SetTool(FCore->Tool() == TTankTool::Drip ? TTankTool::Select : TTankTool::Drip); };
      case TKeyCommand::Open: return [this] { OpenSceneDialog(); };
      case TKeyCommand::Save: return [this] { SaveScene(); };
      case TKeyCommand::SaveAs: return [this] { SaveSceneDialog(); };
      case TKeyCommand::SavePicture: return [this] { SavePictureDialog(); };
      case TKeyCommand::Help: return [this] { OpenContextHelp(); };
      case TKeyCommand::FillScreen: return [this] { FillTheScreen(!isFullScreen()); };
      case TKeyCommand::LeaveFillScreen: return [this] { FillTheScreen(false); };
      case TKeyCommand::Wall: return [this] { FCore->AddWall(); };
      case TKeyCommand::Intensity:
        return [this] {
          FCore->SetIntensityView(!FCore->IntensityView());
          ShowView();
        };
      case TKeyCommand::Probe: return [this] { FCore->AddProbe(); };
      case TKeyCommand::Screen: return [this] { FCore->AddScreen(); };
      case TKeyCommand::PreviousSlide: return [this] { FCore->PreviousSlide(); };
      case TKeyCommand::NextSlide: return [this] { FCore->NextSlide(); };
      case TKeyCommand::Undo: return [this] { Undo(); };
      case TKeyCommand::Redo: return [this] { Redo(); };
      case TKeyCommand::Delete: return [this] { DeleteSelected(); };
    }
    return {};
  };
  for (const TKeyBinding& binding : KeyBindings) {
    auto* action = new QAction(this);
    action->setObjectName(binding.Name);
    action->setShortcuts(QKeySequence::listFromString(binding.Keys, QKeySequence::PortableText));
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, command(binding.Command));
    addAction(action);
    // These three are the Edit menu's items too, which show the keys.
    if (binding.Command == TKeyCommand::Undo) FUndoAction = action;
    if (binding.Command == TKeyCommand::Redo) FRedoAction = action;
    if (binding.Command == TKeyCommand::Delete) FDeleteAction = action;
  }
  FDeleteAction->setText("Delete");
}

void TMainForm::SaveScene() {
  if (FSceneFile.isEmpty())
    SaveSceneDialog();
  else
    SaveSceneFile(FSceneFile);
}

void TMainForm::SetPaused(bool Paused) {
  FCore->SetPaused(Paused);
  ShowTimeControls();
}

void TMainForm::SetTool(TTankTool Tool) {
  FCore->SetTool(Tool);
  FDripButton->SetDown(Tool == TTankTool::Drip);
  // The pointing hand over the tank says that a press drips.
  FBox->setCursor(Tool == TTankTool::Drip ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TMainForm::SingleStep() {
  if (FCore->SingleStep()) FBox->update();
}

void TMainForm::SetSpeed(int32_t Index) {
  FCore->SetSpeed(Index);
  ShowTimeControls();
}

void TMainForm::ClearWaves() { FCore->ClearWaves(); }

void TMainForm::ShowTimeControls() {
  const bool paused = FCore->Paused();
  FPauseButton->SetDown(paused);
  FPauseButton->setToolTip(paused ? "Resume (Space)" : "Pause (Space)");
  FStepButton->setEnabled(paused);
  const int32_t speed = FCore->Speed();
  FSlowerButton->setEnabled(speed > 0);
  FFasterButton->setEnabled(speed < int32_t(std::size(SimulationSpeeds)) - 1);
  FSpeedLabel->setText(QString::fromStdString(Caption(SimulationSpeeds[speed])));
}

// The "i" button and the panel it opens, with the readouts and fast forward.
void TMainForm::CreateDebugPanel() {
  FShowDebugPanelBTN = new TCustomSpeedButton(FContent);
  FShowDebugPanelBTN->setGeometry(443, 483, 17, 17);
  FShowDebugPanelBTN->SetFlat(true);
  FShowDebugPanelBTN->SetCaption("i");
  FShowDebugPanelBTN->SetGroupIndex(1125);
  FShowDebugPanelBTN->SetAllowAllUp(true);
  FShowDebugPanelBTN->setToolTip("Show or hide the debug panel");
  FShowDebugPanelBTN->OnClick = [this] { SetDebugPanelVisible(FShowDebugPanelBTN->Down()); };

  FDebugPanel = MakePanel(FContent, QRect(295, 296, 168, 207), palette().color(QPalette::Button), true);
  FDataList = new QTableWidget(0, 2, FDebugPanel);
  FDataList->setGeometry(5, 3, 156, 170);
  FDataList->setHorizontalHeaderLabels({"Key", "Value"});
  FDataList->verticalHeader()->hide();
  FDataList->horizontalHeader()->setStretchLastSection(true);
  FDataList->setColumnWidth(0, 75);
  FDataList->verticalHeader()->setDefaultSectionSize(18);
  FDataList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FDataList->setSelectionMode(QAbstractItemView::NoSelection);
  FDataList->setFocusPolicy(Qt::NoFocus);
  FDataList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QFont small = font();
  small.setPointSize(7);  // the keys fit their 75-pixel column
  FDataList->setFont(small);
  FFastForwardButton = new QPushButton("Fast Forward", FDebugPanel);
  FFastForwardButton->setGeometry(5, 176, 75, 25);
  // The threads that share each step and picture; the picture is the same for every count.
  FThreadsBox = new QSpinBox(FDebugPanel);
  FThreadsBox->setGeometry(88, 176, 73, 25);
  FThreadsBox->setRange(1, MaxThreads);
  FThreadsBox->setSuffix(" thr");
  FThreadsBox->setToolTip("Threads sharing every step of the water");
  FThreadsBox->setValue(FCore->Threads());
  connect(FThreadsBox, &QSpinBox::valueChanged, this, [this](int Count) { FCore->SetThreads(Count); });
  FFastForwardButton->setCheckable(true);
  connect(FFastForwardButton, &QPushButton::toggled, this, [this](bool On) { FCore->FastForward = On; });
  FDebugPanel->hide();
  FShowDebugPanelBTN->raise();  // the panel opens over its corner: the button stays reachable
  ShowDataList();
}

// The column right of the tank for the source's and the map's panels.
void TMainForm::CreatePanelColumn() {
  FSourceHolder = MakePanelHolder(16, 200 + 8);
  FMapHolder = MakePanelHolder(16 + 208 + 12, 90 + 8);
  FWallHolder = MakePanelHolder(16 + 208 + 12 + 98 + 8, 152 + 8);
  FViewPanel = new TWaterViewCP(FContent);
  FViewPanel->setObjectName("ViewPanel");
  // Its drags and keys are edits like a panel's.
  for (QWidget* part : FViewPanel->findChildren<QWidget*>()) part->installEventFilter(this);
  FToolHolder = MakePanelHolder(FWallHolder->y(), FWallHolder->height());
}

QFrame* TMainForm::MakePanelHolder(int Top, int Height) {
  const TRect frame = TTankSession::TankBack;
  QFrame* holder = MakePanel(FContent, QRect(frame.Left + frame.Width + PanelColumnGap, Top, 177 + 8, Height),
                             FormColour, false);
  holder->setObjectName("PanelHolder");
  return holder;
}

QWidget* TMainForm::PlacePanel(QFrame& Holder, TBaseWaterObject* Object) {
  if (!Object) return nullptr;
  std::unique_ptr<TControlPanel> made = Object->CreateControlPanel();
  auto* widget = dynamic_cast<QWidget*>(made.get());
  if (!widget) return nullptr;
  made.release();  // the holder owns it from here
  widget->setParent(&Holder);
  widget->move(4, 4);
  widget->show();
  // Its presses and releases open and close the edits that undo takes back.
  widget->installEventFilter(this);
  for (QWidget* part : widget->findChildren<QWidget*>()) part->installEventFilter(this);
  return widget;
}

void TMainForm::WatchPanelGesture(const QEvent& Event) {
  const auto repeated = [&] { return static_cast<const QKeyEvent&>(Event).isAutoRepeat(); };
  switch (Event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: FCore->BeginEdit(); break;
    case QEvent::MouseButtonRelease: EndPanelEdit(false); break;
    case QEvent::KeyPress:
      if (!repeated()) FCore->BeginEdit();
      break;
    case QEvent::KeyRelease:  // the steps of the arrow keys on one slider are one edit
      if (!repeated()) EndPanelEdit(true);
      break;
    case QEvent::Wheel:
      FCore->BeginEdit();
      EndPanelEdit(true);
      break;
    default: break;
  }
}

void TMainForm::EndPanelEdit(bool Merge) {
  // Once the widget has handled the event: a button acts on its release.
  QMetaObject::invokeMethod(this, [this, Merge] { FCore->EndEdit({}, Merge); }, Qt::QueuedConnection);
}

void TMainForm::Undo() { FCore->Undo(); }
void TMainForm::Redo() { FCore->Redo(); }
void TMainForm::DeleteSelected() { FCore->DeleteSelected(); }

void TMainForm::ShowEditMenu() {
  const std::string undo = FCore->UndoText(), redo = FCore->RedoText();
  FUndoAction->setText(undo.empty() ? "Undo" : QString::fromStdString("Undo " + undo));
  FUndoAction->setEnabled(FCore->CanUndo());
  FRedoAction->setText(redo.empty() ? "Redo" : QString::fromStdString("Redo " + redo));
  FRedoAction->setEnabled(FCore->CanRedo());
  FDeleteAction->setEnabled(FCore->CanDeleteSelected());
}

void TMainForm::RebuildPanels() {
  delete FSourcePanel;
  FSourcePanel = nullptr;
  // The scene's own source, if it has one: showing panels never adds one.
  if (TWater* water = FCore->ActiveWater()) FSourcePanel = PlacePanel(*FSourceHolder, LastChildOf<TBaseExciter>(*water));
  FSourceHolder->setVisible(FSourcePanel != nullptr);
  RebuildMapPanel();
  RebuildWallPanel();
  ShowView();
  delete FToolPanel;
  FToolPanel = nullptr;
  ShowToolPanel();
  ShowSlideName();
  FMarked = -1;
  MarkSelectedPanel();
  ShowTimeControls();  // a new scene starts running
}

TBarrier* TMainForm::WallToShow() const {
  TWater* water = FCore->ActiveWater();
  return water ? SelectedOrLastChild<TBarrier>(*water) : nullptr;
}

void TMainForm::RebuildMapPanel() {
  delete FMapPanel;
  TWater* water = FCore->ActiveWater();
  FShownMap = water ? water->GetRIMap() : nullptr;
  FMapPanel = PlacePanel(*FMapHolder, FShownMap.get());
  FMapHolder->setVisible(FMapPanel != nullptr);
}

void TMainForm::RebuildWallPanel() {
  delete FWallPanel;
  FShownWall = WallToShow();
  FWallPanel = PlacePanel(*FWallHolder, FShownWall.get());
  FWallHolder->setVisible(FWallPanel != nullptr);
}

void TMainForm::ShowView() {
  TWater* water = FCore->ActiveWater();
  if (water) FViewPanel->Bind(*water);
  FViewPanel->setVisible(water != nullptr);
  FIntensityButton->SetDown(FCore->IntensityView());
  if (FColoursMenu)
    for (int32_t i = 0; i < ColourSchemeCount; ++i) FColoursMenu->actions()[i]->setChecked(FCore->ColourScheme() == i);
}

void TMainForm::MarkSelectedPanel() {
  // Another wall or map selected, or one added or gone: its panel in the column.
  TWater* shown = FCore->ActiveWater();
  if (WallToShow() != FShownWall.get()) {
    RebuildWallPanel();
    FMarked = -1;
  }
  if ((shown ? shown->GetRIMap() : nullptr) != FShownMap.get()) {
    RebuildMapPanel();
    FMarked = -1;
  }
  int marked = 0;
  if (TWater* water = FCore->ActiveWater()) {
    // The objects whose panels the column shows: the last source, the map, the wall.
    if (TBaseRIMap* map = water->GetRIMap(); map && map->ActiveTool)
      marked = 2;
    else if (auto* source = LastChildOf<TBaseExciter>(*water); source && source->ActiveTool)
      marked = 1;
    else if (FShownWall && FShownWall->ActiveTool)
      marked = 3;
  }
  if (marked == FMarked) return;
  FMarked = marked;
  // The selected object's panel gets a blue rim; the other keeps the window's colour. The rule
  // names the holder alone, so the panel inside keeps its own colours.
  for (auto [holder, index] : {std::pair{FSourceHolder, 1}, std::pair{FMapHolder, 2}, std::pair{FWallHolder, 3}})
    holder->setStyleSheet(QString("QFrame#PanelHolder { border: 2px solid %1; background: %2; }")
                              .arg((index == marked ? WaterBlue : FormColour).name(), FormColour.name()));
}

void TMainForm::CreateMenu() {
  FSlideshowMenu = new QMenu(this);
  FSlideshowMenu->addAction("Experiments...", this, &TMainForm::OpenExperiments)->setObjectName("Experiments1");
  QMenu* edit = FSlideshowMenu->addMenu("Edit");
  edit->setObjectName("Edit1");
  edit->addAction(FUndoAction);
  edit->addAction(FRedoAction);
  edit->addSeparator();
  edit->addAction(FDeleteAction);
  // The items name what they will undo and redo whenever the menu opens.
  connect(FSlideshowMenu, &QMenu::aboutToShow, this, &TMainForm::ShowEditMenu);
  connect(edit, &QMenu::aboutToShow, this, &TMainForm::ShowEditMenu);
  FSlideshowMenu->addSeparator();
  FSlideshowMenu->addAction("Demo Help", this, &TMainForm::OpenHelp)->setObjectName("DemoHelp1");
  FSlideshowMenu->addAction("Plashbox Manual (Full version - pdf)", this, &TMainForm::OpenManual)
      ->setObjectName("PlashboxManualFullversionpdf1");
  FSlideshowMenu->addSeparator();
  QMenu* shapes = FSlideshowMenu->addMenu("Display Shape");
  shapes->setObjectName("DisplayShape1");
  const char* const names[] = {"Normal1", "Small1", "Longandthin1", "TallandNarrow1"};
  for (int tag = 0; tag < 4; ++tag) {
    QAction* item = shapes->addAction(DisplayShapeIcon(tag), QString::fromStdString(Caption(DisplayShapes[tag])));
    item->setObjectName(names[tag]);
    item->setData(tag);
    item->setCheckable(true);
    connect(item, &QAction::triggered, this, [this, tag] { ChooseDisplayShape(tag); });
  }
  // The shape and the size the tank has carry a tick; a size of neither menu (a scene's own)
  // none.
  const auto tickSize = [this](QMenu* Menu, const auto& Sizes) {
    const TRect& box = FCore->Box();
    for (size_t i = 0; i < std::size(Sizes); ++i)
      Menu->actions()[qsizetype(i)]->setChecked(!isFullScreen() && Sizes[i].Width == box.Width &&
                                                 Sizes[i].Height == box.Height);
  };
  connect(shapes, &QMenu::aboutToShow, this, [shapes, tickSize] { tickSize(shapes, DisplayShapes); });
  // The scene's refractive map: block, lens or prism, the index kept.
  QMenu* maps = FSlideshowMenu->addMenu("Refractive Map");
  maps->setObjectName("RefractiveMap1");
  for (int32_t i = 0; i < RIMapClassCount(); ++i) {
    const TNodeClass* cls = GetRIMapClass(i);
    const XMLNodeRef sample = cls->Create();
    auto* object = NodeAs<TBaseWaterObject>(sample);
    QAction* item = maps->addAction(QString::fromStdString(object ? object->GetTypeName() : cls->ClassName()));
    item->setCheckable(true);
    connect(item, &QAction::triggered, this, [this, cls] { FCore->ChooseMap(*cls); });
  }
  connect(maps, &QMenu::aboutToShow, this, [this, maps] {
    TWater* water = FCore->ActiveWater();
    const TBaseRIMap* map = water ? water->GetRIMap() : nullptr;
    for (int32_t i = 0; i < RIMapClassCount(); ++i)
      maps->actions()[i]->setChecked(map && &map->ClassType() == GetRIMapClass(i));
  });
  FColoursMenu = FSlideshowMenu->addMenu("Colours");
  FColoursMenu->setObjectName("Colours1");
  auto* schemes = new QActionGroup(FColoursMenu);
  for (int32_t i = 0; i < ColourSchemeCount; ++i) {
    QAction* item = FColoursMenu->addAction(QString::fromStdString(ColourSchemeCaption(i)));
    item->setCheckable(true);
    schemes->addAction(item);
    connect(item, &QAction::triggered, this, [this, i] {
      FCore->SetColourScheme(i);
      ShowView();
    });
  }
  connect(FColoursMenu, &QMenu::aboutToShow, this, &TMainForm::ShowView);
  QMenu* sizes = FSlideshowMenu->addMenu("Tank Size");
  sizes->setObjectName("TankSize1");
  for (const TDisplayShape& size : TankSizes) {
    QAction* item = sizes->addAction(QString::fromStdString(Caption(size)));
    item->setCheckable(true);
    connect(item, &QAction::triggered, this, [this, size] { ChooseRememberedTankSize(size.Width, size.Height); });
  }
  sizes->addSeparator();
  QAction* fill = sizes->addAction("Fill the screen");
  fill->setShortcut(Qt::Key_F11);  // shown; the window's own key action does it
  fill->setShortcutContext(Qt::WidgetShortcut);
  fill->setCheckable(true);
  connect(fill, &QAction::triggered, this, [this] { FillTheScreen(true); });
  connect(sizes, &QMenu::aboutToShow, this, [this, sizes, fill, tickSize] {
    tickSize(sizes, TankSizes);
    fill->setChecked(isFullScreen());
  });
  FSlideshowMenu->addAction("Open Scene...", this, &TMainForm::OpenSceneDialog)->setObjectName("OpenScene1");
  FSlideshowMenu->addAction("Save Scene...", this, &TMainForm::SaveSceneDialog)->setObjectName("SaveScene1");
  FSlideshowMenu->addSeparator();
  FSlideshowMenu->addAction("About Plashbox", this, &TMainForm::ShowAbout)->setObjectName("AboutPlashbox1");
}

QPoint TMainForm::MenuAnchor() const {
  const QPoint corner(FToolBar->x() + FMenuButton->x() + FMenuButton->width(),
                      FToolBar->y() + FMenuButton->y() + FMenuButton->height());
  return FContent->mapToGlobal(corner);
}

void TMainForm::SetViewRoom() {
  const QScreen* screen = this->screen();
  if (!screen) return;
  // The screen's free area (all of it in full screen) less the window system's frame, once it
  // is known, and the page round the tank.
  QSize area = isFullScreen() ? screen->geometry().size() : screen->availableGeometry().size();
  if (!isFullScreen() && windowHandle()) area = area.shrunkBy(windowHandle()->frameMargins());
  const QSize room = (area - PageAroundTank).expandedTo(QSize(MinTankSide, MinTankSide));
  FCore->SetViewRoom(room.width(), room.height());
}

void TMainForm::PlaceBox() {
  SetViewRoom();
  const TRect& view = FCore->View();
  FBox->setGeometry(view.Left, view.Top, view.Width, view.Height);
  // The frame behind the tank, and whatever sits at its right or its foot, follow its size.
  const TRect frame = FCore->TankFrame();
  FTankBack->setGeometry(frame.Left, frame.Top, frame.Width, frame.Height);
  const int right = frame.Left + frame.Width, bottom = frame.Top + frame.Height;
  FShowDebugPanelBTN->move(right + 2, bottom);
  FSlideLabel->setGeometry(frame.Left + 2, bottom + 3, frame.Width - 4, BottomMargin - 5);
  FViewPanel->move(frame.Left, bottom + BottomMargin);
  FDebugPanel->move(right + 22 - FDebugPanel->width(), bottom + 20 - FDebugPanel->height());
  for (QFrame* holder : {FSourceHolder, FMapHolder, FWallHolder, FToolHolder})
    holder->move(right + PanelColumnGap, holder->y());
  const QSize page(right + PanelColumnGap + PanelColumnWidth + PanelColumnMargin,
                   bottom + BottomMargin + ViewStripHeight);
  FContent->resize(page);
  if (isFullScreen())
    CentrePage();
  else
    setFixedSize(page);
  FContent->update();  // the frames are painted on the page
}

void TMainForm::CentrePage() {
  FContent->move(std::max(0, (width() - FContent->width()) / 2), std::max(0, (height() - FContent->height()) / 2));
}

void TMainForm::ChooseTankSize(int Width, int Height) {
  FCore->ChooseTankSize(Width, Height);
  PlaceBox();
  RebuildPanels();
  KeepOnScreen();
}

void TMainForm::KeepOnScreen() {
  const QScreen* screen = this->screen();
  if (!screen || isFullScreen()) return;
  // A window grown past the screen's edge moves back as far as it fits, its top left corner
  // kept on the screen when it is bigger than the screen. The frame is the new size with the
  // window system's margins: its geometry may not have caught up with the growth yet.
  const QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  const QSize frame = size().grownBy(margins);
  const QRect area = screen->availableGeometry();
  const QPoint corner = pos();
  const int x = std::max(area.left(), std::min(corner.x(), area.right() + 1 - frame.width()));
  const int y = std::max(area.top(), std::min(corner.y(), area.bottom() + 1 - frame.height()));
  if (x != corner.x() || y != corner.y()) move(x, y);
}

void TMainForm::ChooseRememberedTankSize(int Width, int Height) {
  ChooseTankSize(Width, Height);
  QSettings settings;
  settings.setValue("Tank/Width", FCore->Box().Width);
  settings.setValue("Tank/Height", FCore->Box().Height);
}

void TMainForm::FillTheScreen(bool On) {
  if (On == isFullScreen()) return;
  if (On) {
    FSizeBeforeFill = QSize(FCore->Box().Width, FCore->Box().Height);
    // The page of the full screen: the tank takes what the tool bar, the frame and the panel
    // column leave, at full size (the room is the whole screen's from here on).
    const QSize room = this->screen()->geometry().size() - PageAroundTank;
    SetFullScreen(true);
    ChooseTankSize(std::min(room.width(), MaxFilledWidth), std::min(room.height(), MaxFilledHeight));
  } else {
    // The tank and the page shrink first, still in full screen: the window never has the full
    // screen's size out of it, which a window system would pin to the screen's corner.
    ChooseTankSize(FSizeBeforeFill.width(), FSizeBeforeFill.height());
    SetFullScreen(false);
  }
}

void TMainForm::Tick() {
  FCore->Tick();
  RecordFrame();
  if (!FDebugPanel->isHidden()) ShowDataList();
  MarkSelectedPanel();
  FViewPanel->ShowValues();  // the averaging time follows the source's period
  ShowToolPanel();
}

void TMainForm::ChooseDisplayShape(int Tag) {
  FCore->ChooseDisplayShape(Tag);
  PlaceBox();
  RebuildPanels();
}

void TMainForm::OpenSceneDialog() {
  const QString name = QFileDialog::getOpenFileName(this, "Open Scene", QString(), "Scenes (*.xml)");
  if (!name.isEmpty()) OpenSceneFile(name);
}

void TMainForm::SaveSceneDialog() {
  QString name = QFileDialog::getSaveFileName(this, "Save Scene", QString(), "Scenes (*.xml)");
  if (name.isEmpty()) return;
  if (QFileInfo(name).suffix().isEmpty()) name += ".xml";
  SaveSceneFile(name);
}

bool TMainForm::OpenSceneFile(const QString& FileName) {
  try {
    FCore->OpenScene(FileName.toStdString());
  } catch (const std::exception& e) {
    // Which file first, then what the reader found; the running scene stays.
    ShowError("The scene " + QFileInfo(FileName).fileName() + " could not be opened (" + FileName + "):\n" +
              QString::fromStdString(PrintableText(e.what())));
    return false;
  }
  FSceneFile = FileName;  // Ctrl+S saves back to it
  return true;
}

void TMainForm::OpenExperiments() {
  const std::string file = FindExperimentsFile(QCoreApplication::applicationDirPath().toStdString());
  TRef<TWaterCollection> experiments;
  try {
    experiments = LoadScene(file);
  } catch (const std::exception& e) {
    ShowError("The experiments could not be opened (" + QString::fromStdString(file) + "):\n" +
              QString::fromStdString(PrintableText(e.what())));
    return;
  }
  TExperimentChooser chooser(*experiments, this);
  chooser.OnChoose = [this, &file, &experiments](int Index) { ChooseExperiment(*experiments, file, Index); };
  chooser.exec();
}

void TMainForm::ChooseExperiment(TWaterCollection& Experiments, const std::string& FileName, int Index) {
  // The experiments already running: another slide of them, the changes made to them kept.
  const auto names = [](TWaterCollection& Show) {
    std::vector<std::string> out(size_t(Show.SlideCount()));
    for (int32_t i = 0; i < Show.SlideCount(); ++i) Show.GetSlideName(i, out[size_t(i)]);
    return out;
  };
  if (!FCore->GetSlideshow() || names(*FCore->GetSlideshow()) != names(Experiments)) {
    try {
      FCore->OpenScene(FileName);  // not the file Ctrl+S saves to: the shipped one stays as it is
    } catch (const std::exception& e) {
      ShowError("The experiments could not be opened (" + QString::fromStdString(FileName) + "):\n" +
                QString::fromStdString(PrintableText(e.what())));
      return;
    }
  }
  FCore->ShowSlide(Index);
}

void TMainForm::ShowSlideName() {
  TWater* water = FCore->ActiveWater();
  const QString name = water ? QString::fromStdString(water->GetName()) : QString();
  const QString description = water ? QString::fromStdString(water->GetDescription()) : QString();
  const QString line = FCore->SlideCount() > 1
                           ? QString("%1/%2  %3: %4").arg(FCore->SlideIndex() + 1).arg(FCore->SlideCount()).arg(name, description)
                           : name + ": " + description;
  FSlideLabel->setText(FSlideLabel->fontMetrics().elidedText(line, Qt::ElideRight, FSlideLabel->width()));
  FSlideLabel->setToolTip(description);
}

bool TMainForm::SaveSceneFile(const QString& FileName) {
  try {
    FCore->SaveScene(FileName.toStdString());
  } catch (const std::exception& e) {
    ShowError(QString::fromStdString(PrintableText(e.what())));
    return false;
  }
  FSceneFile = FileName;
  return true;
}

void TMainForm::OpenDocument(const std::string& Name) {
  // A failure may come seconds later, from the desktop's opener; the window may be gone by then.
  const QPointer<TMainForm> form(this);
  const auto show = [form](const std::string& Message) {
    if (form) form->ShowError(QString::fromStdString(PrintableText(Message)));
  };
  try {
    ShellOpen(Name, show);
  } catch (const std::exception& e) {
    show(e.what());
  }
}

void TMainForm::OpenHelp() { OpenDocument(HelpFileName); }
void TMainForm::OpenManual() { OpenDocument(ManualFileName); }

void TMainForm::OpenContextHelp() {
  // The page of the selected object's panel, or the help's first page.
  std::string page = HelpFileName;
#if !defined(_WIN32)
  if (FMarked == 1) page = "help/panels.html#source";
  if (FMarked == 2) page = "help/panels.html#index";
  if (FShownTool && FShownTool->ActiveTool && ToolPanelShown()) page = "help/panels.html#probes";
#endif
  OpenDocument(page);
}

void TMainForm::ShowAbout() {
  // One About window at a time: asked again, the open one comes to the front. It frees itself
  // when its fade ends.
  if (!FAbout) FAbout = new TWELCOME();
  FAbout->show();
  FAbout->raise();
  FAbout->activateWindow();
}

void TMainForm::SetDebugPanelVisible(bool Visible) {
  FDebugPanel->setVisible(Visible);
  FCore->DebugPanelVisible = Visible;
  if (Visible) ShowDataList();
}

void TMainForm::ShowDataList() {
  const auto& rows = FCore->DataList().Rows();
  if (FDataList->rowCount() != int(rows.size())) FDataList->setRowCount(int(rows.size()));
  for (int i = 0; i < int(rows.size()); ++i) {
    for (int column = 0; column < 2; ++column) {
      const QString text = QString::fromStdString(column == 0 ? rows[size_t(i)].first : rows[size_t(i)].second);
      QTableWidgetItem* item = FDataList->item(i, column);
      if (!item)
        FDataList->setItem(i, column, new QTableWidgetItem(text));
      else if (item->text() != text)
        item->setText(text);
    }
  }
}

void TMainForm::closeEvent(QCloseEvent* Event) {
  StopRecording();  // a recording still running is finished, not lost
  QWidget::closeEvent(Event);
  emit Closed();
}

void TMainForm::PaintContent() {
  QPainter painter(FContent);
  PaintFrame(painter, FTankBack->geometry());
  PaintFrame(painter, FToolBar->geometry());
}

void TMainForm::showEvent(QShowEvent* Event) {
  QWidget::showEvent(Event);
  // The window system's frame may be known now, and the window may later go to another screen:
  // the tank's view is fitted again each time.
  connect(windowHandle(), &QWindow::screenChanged, this, &TMainForm::FitToScreen, Qt::UniqueConnection);
  FitToScreen();
}

void TMainForm::FitToScreen() {
  PlaceBox();
  KeepOnScreen();
}

void TMainForm::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  CentrePage();
}

void TMainForm::SetFullScreen(bool On) {
  if (On == isFullScreen()) return;
  if (On) {
    FPlaceBeforeFullScreen = geometry().topLeft();
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    showFullScreen();
  } else {
    showNormal();
    PlaceBox();  // fixed at the page's size, the tank fitted to the window's room again
    // Where it was, not the screen's corner where some window systems leave it. The place is
    // the inside's: the frame, gone in full screen, may come back only later.
    if (windowHandle()) windowHandle()->setPosition(FPlaceBeforeFullScreen);
    KeepOnScreen();
  }
}

bool TMainForm::eventFilter(QObject* Watched, QEvent* Event) {
  const QEvent::Type type = Event->type();
  if (Watched == FContent && type == QEvent::Paint) {
    PaintContent();
    return true;
  }
  if (Watched == FTankBack && type == QEvent::Paint) {
    // The focus mark round the tank, on the frame's margin.
    if (FBox->hasFocus()) {
      QPainter painter(FTankBack);
      const QRect box(FBox->geometry().translated(-FTankBack->pos()));
      DrawFocusMark(painter, box.adjusted(-FocusMarkWidth - 1, -FocusMarkWidth - 1, FocusMarkWidth + 1, FocusMarkWidth + 1));
    }
    return true;
  }
  if (Watched == FBox && (type == QEvent::FocusIn || type == QEvent::FocusOut)) FTankBack->update();
  if (Watched != FBox) {
    WatchPanelGesture(*Event);
    return QWidget::eventFilter(Watched, Event);
  }
  const bool pointer = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                       type == QEvent::MouseMove || type == QEvent::MouseButtonRelease;
  if (Watched != FBox || !pointer) return QWidget::eventFilter(Watched, Event);
  const auto& e = static_cast<QMouseEvent&>(*Event);
  // The pixel of the tank under the pointer, also on a view scaled down.
  const QPoint at = e.position().toPoint();
  const auto [x, y] = FCore->ViewToPaintArea(at.x(), at.y());
  if (type == QEvent::MouseMove) {
    FCore->BoxMouseMove(ShiftOf(e), x, y);
    if (!FDebugPanel->isHidden()) ShowDataList();
  } else if (type == QEvent::MouseButtonRelease) {
    FCore->BoxMouseUp(ButtonOf(e), ShiftOf(e), x, y);
  } else {
    FCore->BoxMouseDown(ButtonOf(e), ShiftOf(e), x, y);
  }
  return true;
}

}  // namespace plashbox
