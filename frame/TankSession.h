// frame/: the window's logic without a window, shared by every front end and the tests.
// What the main window does, without the window: the scene, the frame tick with its
// statistics, the display shapes and the pointer on the paint area. The window owns one and
// forwards its events; the headless driver runs the very same logic.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "frame/MillisecondClock.h"
#include "frame/SceneHistory.h"
#include "frame/SceneSnapshot.h"
#include "objects/uWaterBaseClasses.h"
#include "raster/FastDIB.h"
#include "sim/uWaterCollection.h"

namespace plashbox {

// The debug panel's name/value rows; names are matched without regard to letter case and a
// missing row is appended.
class TNameValueRows {
 public:
  // The rows the panel shows from the start, each without a value yet.
  TNameValueRows();
  void Set(const std::string& Name, const std::string& Value);
  // The value of a row, or nil when there is none.
  const std::string* Find(const std::string& Name) const;
  const std::vector<std::pair<std::string, std::string>>& Rows() const { return Entries; }

 private:
  std::vector<std::pair<std::string, std::string>> Entries;
};

// A display shape or a tank size of the menu; its caption is the catalogue's text of CaptionKey
// with the sides filled in (Caption).
struct TDisplayShape {
  const char* CaptionKey;
  int32_t Width, Height;
};
// "Normal", "Small", "Long and thin", "Tall and Narrow", by menu tag.
inline constexpr TDisplayShape DisplayShapes[] = {
    {"shape.normal", 401, 401}, {"shape.small", 250, 250}, {"shape.long", 401, 250}, {"shape.tall", 250, 401}};

struct TRect {
  int32_t Left, Top, Width, Height;
  friend bool operator==(const TRect&, const TRect&) = default;
};

// The tank sizes of the menu, for classrooms and projectors; "Normal" is the first.
inline constexpr TDisplayShape TankSizes[] = {
    {"shape.size", 401, 401}, {"shape.size", 801, 801}, {"shape.size", 1201, 801}, {"shape.size", 1920, 1080}};

// A speed of the simulation: one step every TicksPerStep ticks (slow motion) or StepsPerTick
// steps in each tick.
struct TSimulationSpeed {
  const char* CaptionKey;
  int32_t TicksPerStep, StepsPerTick;
};
inline constexpr TSimulationSpeed SimulationSpeeds[] = {
    {"speed.quarter", 4, 1}, {"speed.half", 2, 1},     {"speed.normal", 1, 1},
    {"speed.double", 1, 2},  {"speed.fourfold", 1, 4}, {"speed.eightfold", 1, 8}};
inline constexpr int32_t NormalSpeed = 2;

// The captions of the menu and the speed label, in the current language: "Long and thin",
// "801 x 801", "1/4x".
std::string Caption(const TDisplayShape& Shape);
std::string Caption(const TSimulationSpeed& Speed);

// What a press in the tank does: Select offers it to the objects (a handle dragged, an object
// selected); Drip drips into the water (the left button pushes it down, the right lifts it)
// and leaves nothing selected. Drawing and erasing walls are to join them.
enum class TTankTool { Select, Drip };

class TBaseControl;

class TTankSession {
 public:
  // The frame behind the paint area, in client pixels; the tank's view is centred on it. It is
  // this size for every view up to 401 x 401 and grows with a bigger one.
  static constexpr TRect TankBack{24, 66, 417, 417};
  // The frame's margin round a tank that outgrows it.
  static constexpr int32_t TankBorder = 8;
  static constexpr TRect TankBackFor(int32_t Width, int32_t Height) {
    return {TankBack.Left, TankBack.Top, std::max(TankBack.Width, Width + 2 * TankBorder),
            std::max(TankBack.Height, Height + 2 * TankBorder)};
  }
  TRect TankFrame() const { return TankBackFor(ViewRect.Width, ViewRect.Height); }
  // The tank's view when a tank of Width x Height must fit within Room (a side of 0 or less: no
  // bound): the tank itself when it fits, else scaled down to the largest size that does with
  // its shape kept (whole pixels, rounded down; never below one pixel a side).
  static std::pair<int32_t, int32_t> FitView(int32_t Width, int32_t Height, int32_t RoomWidth, int32_t RoomHeight);

  explicit TTankSession(iMillisecondClock& Clock = SteadyMillisecondClock());

  // Builds the slideshow with the demonstration scene, sizes the surface and draws the first
  // frame. Raises a plain error when the class lists do not hold what the scene needs. The
  // caller seeds the object IDs first.
  void Create();
  // Create without the first frame: the driver applies the events of tick 1 before it.
  void CreateScene();
  // Takes over a slideshow read from elsewhere instead of building the demonstration scene; it
  // is sized to the paint area.
  void CreateScene(TRef<TWaterCollection> Collection);
  // The paint area's size before the scene is created (the display shapes change it later).
  void SetPaintAreaSize(int32_t Width, int32_t Height);

  // The picture is copied out at the start of every tick: the screen shows the previous tick.
  std::function<void(const TFastDIB&)> Present;

  void Tick();
  TWater* ActiveWater();

  // The threads that share every step and picture (taken into 1 .. MaxThreads); one per core
  // to begin with. The frames are the same for every count.
  void SetThreads(int32_t Count);
  int32_t Threads() const { return ThreadCount; }

  // Paused, the picture is still drawn every tick (handles can be dragged and the picture
  // follows) but the water does not move; SingleStep then moves it by exactly one step.
  bool Paused() const { return Hold; }
  void SetPaused(bool Value) { Hold = Value; }
  // One step of the active water while paused; false (and nothing done) otherwise.
  bool SingleStep();
  // An index into SimulationSpeeds; out of range is taken to the nearest end.
  int32_t Speed() const { return SpeedIndex; }
  void SetSpeed(int32_t Index);
  void Faster() { SetSpeed(SpeedIndex + 1); }
  void Slower() { SetSpeed(SpeedIndex - 1); }
  void BuildScene();
  void PrepareSurface();
  // Menu tag 0 .. 3; any other leaves the size. Every water is rebuilt: the waves are lost.
  void ChooseDisplayShape(int32_t Tag);
  // Any size, each side taken into MinTankSide .. MaxTankSide; the objects keep their percent
  // positions, the waves are lost.
  void ChooseTankSize(int32_t Width, int32_t Height);
  // The room the front end has for the tank's view (a side of 0 or less: no bound, the start):
  // a bigger tank is shown scaled down to fit (FitView), so that the window never outgrows the
  // screen, while its cells and its picture keep their size.
  void SetViewRoom(int32_t Width, int32_t Height);
  // A scene that says what size it was saved at runs at that size (the driver's --size wins
  // over it when given).
  bool AdoptSceneSize = true;
  void ClearWaves();
  // Writes the slideshow to FileName; the file is replaced only by a complete text.
  void SaveScene(const std::string& FileName);
  // Reads a slideshow into a fresh container and runs it in place of the present one, sized to
  // the paint area; on any error the running scene stays as it was and the error is raised.
  // Undo brings the scene before it back.
  void OpenScene(const std::string& FileName);

  // Edits. Every change the user makes to the scene is one undo step: a gesture opens an edit
  // (a press in the tank or on a panel) and closes it (the release); what changed in between
  // is recorded, nothing when nothing changed. The waves are not part of an edit.
  void BeginEdit();
  // Text names the edit in the Edit menu ("move block"); empty, it is made from what changed.
  // With Merge, an edit of the same values as the last one joins it.
  void EndEdit(const std::string& Text = {}, bool Merge = false);
  bool EditOpen() const { return OpenEdit.has_value(); }
  bool CanUndo() const { return History->CanUndo(); }
  bool CanRedo() const { return History->CanRedo(); }
  std::string UndoText() const { return History->UndoText(); }
  std::string RedoText() const { return History->RedoText(); }
  // Nothing while the pointer holds something in the tank; an open edit is recorded first.
  bool Undo();
  bool Redo();
  // Adds an object to the active water as one edit.
  void AddObject(const TRef<TBaseWaterObject>& Object);
  // The tool bar's wall: upright across the tank at 40 % of its width, with two slits. Where a
  // wall stands already, the next free place 5 % of the width to the right, then to the left,
  // and so on: a new wall never hides one already there (nor, with every place taken, the last).
  void AddWall();
  // The active water's picture: the waves or their time-averaged intensity, in one of the
  // colour schemes. Each change is one edit (or part of the one open).
  bool IntensityView();
  void SetIntensityView(bool On);
  int32_t ColourScheme();
  void SetColourScheme(int32_t Scheme);
  // The tool bar's probe: the next free of the probes' colours, near the middle of the tank (one
  // edit); refused (false) while the water holds MaxProbes probes.
  bool AddProbe();
  bool CanAddProbe();
  // The tool bar's screen: upright near the right-hand side at 85 % of the width, or at the next
  // free place as for a wall (one edit).
  void AddScreen();
  // The active water's map made anew of Class (one of the map class list), in its place, with
  // its index and centre kept; one edit. False when the water has no map or it is of Class.
  bool ChooseMap(const TNodeClass& Class);
  // Removes the selected object as one edit; the scene's last source and its map stay (false).
  bool DeleteSelected();
  bool CanDeleteSelected() { return DeletableSelection() != nullptr; }
  // The slides of the slideshow (the experiments of a scene); choosing one is an edit.
  int32_t SlideCount() const;
  int32_t SlideIndex() const;
  bool ShowSlide(int32_t Index);
  bool NextSlide() { return ShowSlide(SlideIndex() + 1); }
  bool PreviousSlide() { return ShowSlide(SlideIndex() - 1); }
  // After an undo, a redo, an added or removed object or another slide or scene: the objects'
  // panels are to be made anew.
  std::function<void()> SceneChanged;
  // The document's root above the slideshow, with the undo records.
  TSceneHistory& GetHistory() const { return *History; }

  // The tool of every press from now on; a press under way keeps the one it began with.
  TTankTool Tool() const { return CurrentTool; }
  void SetTool(TTankTool Tool) { CurrentTool = Tool; }

  void BoxMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  void BoxMouseMove(TShiftState Shift, int32_t X, int32_t Y);
  void BoxMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);

  // The paint area: the tank's size in cells and pixels, at the view's corner on the page.
  const TRect& Box() const { return BoxRect; }
  // The tank's view on the page: the paint area, or less where the room is smaller; the frame
  // behind the tank is centred on it. Pointer positions on the view reach the tank through
  // ViewToPaintArea.
  const TRect& View() const { return ViewRect; }
  bool ViewScaled() const { return ViewRect.Width != BoxRect.Width || ViewRect.Height != BoxRect.Height; }
  // The paint-area pixel under the centre of the view's pixel (X, Y): the same pixel when the
  // view is not scaled, else floor((X + 1/2) * paint width / view width), and so for Y, in
  // integers; positions off the view (a drag past its edge) follow the same line.
  std::pair<int32_t, int32_t> ViewToPaintArea(int32_t X, int32_t Y) const;
  TFastDIB& GetSurface() { return Surface; }
  TWaterCollection* GetSlideshow() const { return Slideshow.get(); }
  const TNameValueRows& DataList() const { return Rows; }

  bool DebugPanelVisible = false;
  bool Hold = false;
  // Two more steps in every stepping tick (the debug panel's button).
  bool FastForward = false;
  bool MouseIsDown = false;
  float CpuUsage = 0;
  float StepRate = 0;
  float TimerRate = 0;
  float DrawRate = 0;
  // Totals since creation, for the driver's statistics; every step counts.
  int64_t TotalTicks = 0, TotalSteps = 0;

 private:
  // A sized surface and fresh statistics for the scene just made.
  void StartFrames();
  bool OnlyRender(TWater& Water);
  // Steps the water Steps times, the picture drawn with the last.
  void StepWater(TWater& Water, int32_t Steps);
  void Report(uint32_t Now);
  // Puts Collection in the document, sized to the paint area, and runs it.
  void InstallScene(const TRef<TWaterCollection>& Collection);
  // Only the active slide keeps its cells; then the window is told.
  void Settle();
  // An undo, or with Forward a redo, as Undo and Redo describe.
  bool StepHistory(bool Forward);
  // The box of that size and its view, centred on the frame behind it; the surface follows.
  void PlaceTank(int32_t Width, int32_t Height);
  TBaseControl* DeletableSelection();
  // Change applied to the active water as an edit named Text, unless an edit is open already.
  void EditActiveWater(const std::string& Text, const std::function<void(TWater&)>& Change);

  iMillisecondClock& Clock;
  TRect BoxRect{32, 74, 401, 401};
  TRect ViewRect = BoxRect;
  int32_t RoomWidth = 0, RoomHeight = 0;
  TFastDIB Surface;
  TRef<TWaterCollection> Slideshow;
  TRef<TSceneHistory> History;
  std::optional<TSceneSnapshot> OpenEdit;
  std::string DragText;  // the edit's name while the pointer drags an object
  TTankTool CurrentTool = TTankTool::Select;
  TNameValueRows Rows;
  uint32_t LastReportTime = 0;
  uint32_t BusyTime = 0;
  int32_t TickCount = 0;
  int32_t StepCount = 0;
  int32_t SpeedIndex = NormalSpeed;
  int32_t SlowPhase = 0;  // ticks since the last step in slow motion
  int32_t ThreadCount;
};

// printf-style text of one number, as the readouts show it.
std::string FormatReadout(const char* Format, double Value);

}  // namespace plashbox
