// app/: the Qt window program: main window, frame timer, splash and desktop shell.
// The program's window: the tank's paint area, the tool bar, the menu and the debug panel.
// It owns the widgets and forwards every event to the window-free frame logic.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

#include "app/DXTimer.h"
#include "frame/TankSession.h"

class QAction;
class QFrame;
class QImage;
class QLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace plashbox {

class TBarrier;
class TWaterViewCP;
class TGifRecorder;
class TBaseTool;
class TCustomSpeedButton;
class TPaintBox;
class TWELCOME;

class TMainForm : public QWidget {
  Q_OBJECT

 public:
  // Arguments are the command line, the program's path first. Clock drives the statistics
  // (the machine's steady clock when none is given); the frame timer uses its own clock.
  explicit TMainForm(const QStringList& Arguments, iMillisecondClock& Clock = SteadyMillisecondClock(),
                     QWidget* Parent = nullptr);
  ~TMainForm() override;

  TTankSession& Core() { return *FCore; }
  TPaintBox& Box() const { return *FBox; }
  QFrame& DebugPanel() const { return *FDebugPanel; }
  QTableWidget& DataList() const { return *FDataList; }
  TCustomSpeedButton& DripButton() const { return *FDripButton; }
  TCustomSpeedButton& ClearButton() const { return *FClearButton; }
  TCustomSpeedButton& MenuButton() const { return *FMenuButton; }
  TCustomSpeedButton& PauseButton() const { return *FPauseButton; }
  TCustomSpeedButton& StepButton() const { return *FStepButton; }
  TCustomSpeedButton& SlowerButton() const { return *FSlowerButton; }
  TCustomSpeedButton& FasterButton() const { return *FFasterButton; }
  QLabel& SpeedLabel() const { return *FSpeedLabel; }
  TCustomSpeedButton& ShowDebugPanelButton() const { return *FShowDebugPanelBTN; }
  QPushButton& FastForwardButton() const { return *FFastForwardButton; }
  QSpinBox& ThreadsBox() const { return *FThreadsBox; }
  QMenu& SlideshowMenu() const { return *FSlideshowMenu; }
  TDXTimer& FrameTimer() const { return *FFrameTimer; }

  void Tick();
  // The time controls, also on the tool bar and the keys Space, ".", "[", "]" and C.
  void SetPaused(bool Paused);
  void SingleStep();
  void SetSpeed(int32_t Index);
  void ClearWaves();
  // The tank's tool, also the drip button's state and the key D.
  void SetTool(TTankTool Tool);
  // The menu's commands, also reached through SlideshowMenu.
  void ChooseDisplayShape(int Tag);
  // The documents open through the desktop; one that cannot is named in a message box with
  // its full path and what to install, also when the desktop's opener fails only seconds later.
  void OpenHelp();
  void OpenManual();
  // F1: the help page of the selected object's panel.
  void OpenContextHelp();
  void ShowAbout();
  // Undo and redo of the last edits, and Delete of the selected object, also in the Edit menu
  // and on Ctrl+Z, Ctrl+Shift+Z (Ctrl+Y) and Delete.
  void Undo();
  void Redo();
  void DeleteSelected();
  // Full screen with the window's page centred on it, as it is; back, the window returns to
  // where it was.
  void SetFullScreen(bool On);
  // F11 and the Tank Size menu's last item: full screen with a tank as big as the screen
  // allows beside the panel column; F11 again or Esc go back to the size before.
  void FillTheScreen(bool On);
  // The Tank Size menu: the window grows with the tank, up to the screen's free area; a bigger
  // tank is shown scaled down to fit, its cells and picture at full size. The menu's choice is
  // remembered for the next start (QSettings: Tank/Width and Tank/Height).
  void ChooseTankSize(int Width, int Height);
  void ChooseRememberedTankSize(int Width, int Height);
  // Where the menu's top-right corner goes, on the screen.
  QPoint MenuAnchor() const;

  // The Experiments chooser over the shipped experiments file; choosing one runs it (the file
  // opened as the scene, unless its slides are already running).
  void OpenExperiments();
  void ChooseExperiment(TWaterCollection& Experiments, const std::string& FileName, int Index);
  // The line under the tank: the slide's number, name and description.
  QLabel& SlideName() const { return *FSlideLabel; }

  // Scenes as files; the dialogs ask for the name. A failure is reported through ShowError
  // with the reader's or the writer's message, and the running scene stays as it was.
  void OpenSceneDialog();
  void SaveSceneDialog();
  // Ctrl+S: back to the file last opened or saved, else as SaveSceneDialog.
  void SaveScene();
  bool OpenSceneFile(const QString& FileName);
  bool SaveSceneFile(const QString& FileName);
  // A message box by default; tests put a recorder here.
  std::function<void(const QString& Message)> ShowError;

  // The column beside the tank: the source's panel and under it the refractive map's.
  QWidget* SourcePanel() const { return FSourcePanel; }
  QWidget* MapPanel() const { return FMapPanel; }
  // The selected wall's panel, else the last wall's, under the map's; nil without walls.
  QWidget* WallPanel() const { return FWallPanel; }
  TCustomSpeedButton& WallButton() const { return *FWallButton; }
  // The probe and screen buttons, and the panel of the selected (else the last) probe or
  // screen, shown over the wall's unless the wall is selected; nil without probes and screens.
  TCustomSpeedButton& ProbeButton() const { return *FProbeButton; }
  TCustomSpeedButton& ScreenButton() const { return *FScreenButton; }
  QWidget* ToolPanel() const { return FToolPanel; }
  bool ToolPanelShown() const;
  // Which holder is marked as the selected object's: 0 none, 1 the source, 2 the map, 3 the wall.
  int MarkedPanel() const { return FMarked; }
  // New panels for the active water's objects.
  void RebuildPanels();

  // Pictures and animations of what the tank shows. A file that cannot be written is named
  // through ShowError, and nothing is left of it.
  // Ctrl+P and the menu's "Save Picture...": the frame shown, as PNG through Qt.
  void SavePictureDialog();
  bool SavePictureFile(const QString& FileName);
  // The Record button and the menu's "Record...": a dialog chooses the file and every n-th
  // frame; pressed again, the recording stops.
  void RecordDialog();
  // From the next frame on, every Every-th frame shown goes into the animated GIF; frames are
  // encoded and written on a worker thread while the tank runs on.
  bool StartRecording(const QString& FileName, int Every);
  // Waits for the frames still queued, with a progress bar, then puts the file in place.
  bool StopRecording();
  bool Recording() const { return FRecorder != nullptr; }
  // The red mark over the tank with the time recorded so far.
  QLabel& RecordingMark() const { return *FRecordMark; }
  TCustomSpeedButton& RecordButton() const { return *FRecordButton; }

 signals:
  // The window was closed: the program ends, even with About windows still open.
  void Closed();

 protected:
  void showEvent(QShowEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  // The window's widgets, built in these steps in order.
  void CreateComponents();
  void SetUpWindow();
  void CreateTank();
  void CreateToolBar();
  void CreateTimeControls();
  void CreateShortcuts();
  // The time controls show the frame logic's pause and speed.
  void ShowTimeControls();
  void CreateDebugPanel();
  void CreatePanelColumn();
  void CreateMenu();
  void ShowEditMenu();
  void PaintContent();
  // A press on a panel opens an edit, the release closes it (arrow keys and the wheel join the
  // edit before when they change the same value).
  void WatchPanelGesture(const QEvent& Event);
  void EndPanelEdit(bool Merge);
  void OpenDocument(const std::string& Name);
  // The paint area, the frame behind it, the panel column and the page sized for the tank; a
  // tank too big for the screen is shown scaled down (SetViewRoom), so that the window and its
  // panels stay on the screen.
  void PlaceBox();
  void SetViewRoom();
  void FitToScreen();
  void CentrePage();
  void KeepOnScreen();
  void ShowSlideName();
  void ShowDataList();
  void SetDebugPanelVisible(bool Visible);
  void MarkSelectedPanel();
  QFrame* MakePanelHolder(int Top, int Height);
  QWidget* PlacePanel(QFrame& Holder, TBaseWaterObject* Object);
  TBarrier* WallToShow() const;
  void RebuildWallPanel();
  // The map panel shows the selected map, else the last one: another selected, it follows.
  void RebuildMapPanel();
  // The view strip under the tank, the intensity button and the colour menu follow the water.
  void ShowView();
  // The record button, its menu item, the mark and the frames handed to the recorder.
  void CreateRecordControls();
  void RecordFrame();
  void ShowRecordingMark();
  void EndRecording();
  void CreateMeasuringTools(const std::function<TCustomSpeedButton*(int, const QImage&)>& Button);
  TBaseTool* ToolToShow() const;
  // The tool's panel made anew when another tool is to be shown, placed, and refreshed.
  void ShowToolPanel();

  std::unique_ptr<TTankSession> FCore;
  QWidget* FContent = nullptr;  // the page that holds every widget
  QLabel* FSlideLabel = nullptr;
  QSize FSizeBeforeFill{401, 401};
  QPoint FPlaceBeforeFullScreen;  // of the window's inside, without its frame
  QAction* FUndoAction = nullptr;
  QAction* FRedoAction = nullptr;
  QAction* FDeleteAction = nullptr;
  QFrame* FTankBack = nullptr;
  TPaintBox* FBox = nullptr;
  QFrame* FToolBar = nullptr;
  TCustomSpeedButton* FDripButton = nullptr;
  TCustomSpeedButton* FClearButton = nullptr;
  TCustomSpeedButton* FMenuButton = nullptr;
  TCustomSpeedButton* FPauseButton = nullptr;
  TCustomSpeedButton* FStepButton = nullptr;
  TCustomSpeedButton* FSlowerButton = nullptr;
  TCustomSpeedButton* FFasterButton = nullptr;
  QLabel* FSpeedLabel = nullptr;
  TCustomSpeedButton* FShowDebugPanelBTN = nullptr;
  QFrame* FDebugPanel = nullptr;
  QTableWidget* FDataList = nullptr;
  QPushButton* FFastForwardButton = nullptr;
  QSpinBox* FThreadsBox = nullptr;
  QMenu* FSlideshowMenu = nullptr;
  QPointer<TWELCOME> FAbout;
  QString FSceneFile;  // the scene file last opened or saved
  TDXTimer* FFrameTimer = nullptr;
  QFrame* FSourceHolder = nullptr;
  QFrame* FMapHolder = nullptr;
  QWidget* FSourcePanel = nullptr;
  QWidget* FMapPanel = nullptr;
  QFrame* FWallHolder = nullptr;
  QWidget* FWallPanel = nullptr;
  TRef<TBarrier> FShownWall;
  TRef<TBaseRIMap> FShownMap;
  TCustomSpeedButton* FWallButton = nullptr;
  TCustomSpeedButton* FIntensityButton = nullptr;
  TWaterViewCP* FViewPanel = nullptr;
  QMenu* FColoursMenu = nullptr;
  TCustomSpeedButton* FProbeButton = nullptr;
  TCustomSpeedButton* FScreenButton = nullptr;
  QFrame* FToolHolder = nullptr;
  QWidget* FToolPanel = nullptr;
  TRef<TBaseTool> FShownTool;
  int FToolMarked = -1;
  int FMarked = -1;
  std::unique_ptr<TGifRecorder> FRecorder;
  int FRecordEvery = 1;
  int64_t FRecordTicks = 0;
  QElapsedTimer FRecordTime;
  TCustomSpeedButton* FRecordButton = nullptr;
  QLabel* FRecordMark = nullptr;
};

// True when one of the arguments, trimmed and in lower case, is "-debug".
bool HasDebugArgument(const QStringList& Arguments);

}  // namespace plashbox
