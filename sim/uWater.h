// sim/: the water scene with its step and picture, and the collection of scenes.
// One scene of the tank: the grid of cells with its absorbing border, advanced by a discrete
// wave equation once per frame. Its children are the objects placed in the water.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "raster/FastDIB.h"
#include "objects/uWaterBaseClasses.h"
#include "grid/WaterGrid.h"
#include "sim/WaterPalettes.h"
#include "xmlworker/XMLNode.h"
#include "xmlworker/XMLProperties.h"

namespace plashbox {

class TBaseExciter;
class TBaseRIMap;
class TBaseRIControlRIMapper;
class TBaseWaterObject;

namespace detail {
// The sweep and its kernels are the water's own business (sim/WaterSweep.h).
class TWaterSweep;
struct TSweepExtras;
struct TSweepLayout;
}  // namespace detail

// The exposures a water takes by name: brightness gains of the picture.
inline constexpr float MinExposure = 0.01f, MaxExposure = 100;
// The intensity's time constant in periods of the source.
inline constexpr int32_t MinAveragingPeriods = 1, MaxAveragingPeriods = 50, DefaultAveragingPeriods = 2;

// What holds waters and names one of them by its ID (a collection of scenes) is told when the
// ID of one of its waters changes, so that the name keeps pointing at the same water.
class iWaterIDFollower {
 public:
  virtual void WaterIDChanged(int32_t OldID, int32_t NewID) = 0;

 protected:
  ~iWaterIDFollower() = default;
};

class TWater : public TXMLNode, public TMediumHost, public TIntensityHost {
 public:
  TWater();
  PLASHBOX_NODE_CLASS;

  // Discards all waves and rebuilds W x H cells of open water with the absorbing border. A
  // dormant water only takes the size: its objects are placed by it, but no cells are made.
  void SetGridSize(int32_t W, int32_t H);
  // A water that is not shown holds no cells (a slideshow keeps only its active slide awake):
  // waking makes the cells of the size it has, open water with the objects applied; going
  // dormant drops them with their waves. A new water is awake.
  void Wake();
  void Sleep();
  bool IsAwake() const { return Awake; }
  // One time step without drawing.
  void SimulateStep();
  // One time step with the picture of the new heights drawn as the cells are updated, then the
  // source's step, then the objects painted on top (each tool sampled just before).
  void StepAndRender(TFastDIB& Surface);
  // The picture and the objects without a step.
  void Render(TFastDIB& Surface);
  // Colours every inner pixel from its cell; the outermost line of pixels is left alone.
  void RenderGrid(TFastDIB& Surface);
  // Draws the objects in child order, selected tools last; with Sample, each tool samples the
  // water right before it is drawn. On a surface: through its drawing sink, for this grid.
  void DrawObjects(TDrawingSink& Sink, bool Sample);
  void DrawObjects(TFastDIB& Surface, bool Sample);
  // The threads that share each step and each picture (1 to MaxThreads; 1, the default, keeps
  // the whole sweep on the calling thread). Cells and picture are the same for every count.
  void SetThreads(int32_t Count);
  int32_t Threads() const { return FThreads; }
  // How many columns are coloured together before they go to the picture; any width gives the
  // same picture, only the speed differs.
  void SetBandColumns(int32_t Columns);
  int32_t BandColumns() const { return FBandColumns; }
  // Zeroes displacement and velocity everywhere; the medium stays.
  void ClearWaves();
  // Open water with its border, then every region among the children (maps and walls) in child
  // order: whenever any of them changes, so that moving one never erases another.
  void ComposeMedium() override;

  int32_t add(iXMLNode* Node) override;
  // An object taken out lets go of the pointer it held.
  void Remove(iXMLNode* Node) override;
  // The last source among the children; one of the first registered source class is made and
  // added when there is none. Nil only while no source class is registered: such a water steps
  // as open water.
  TBaseExciter* GetExciter();

  // The running mean of the squared height is kept while the intensity view is shown or a
  // tool in the water reads it; it starts from still water whenever keeping starts, the waves
  // are cleared or the grid is rebuilt.
  float IntensityAt(int32_t x, int32_t y) const override;
  bool KeepsIntensity() const override { return !IntensityField.empty(); }
  // The time constant of the mean in steps: AveragingPeriods periods of the source.
  double IntensityTimeConstant();
  bool IntensityView() const { return FIntensityView; }
  void SetIntensityView(bool Value) { FIntensityView = Value; }
  int32_t AveragingPeriods() const { return FAveragingPeriods; }
  void SetAveragingPeriods(int32_t Value);
  TColourScheme ColourScheme() const { return FColourScheme; }
  void SetColourScheme(TColourScheme Value) { FColourScheme = Value; }

  // Read-outs at a paint-area position (Y downward from the top); 0 off the grid.
  float DisplacementAt(int32_t X, int32_t Y) const;
  float SpeedFactorAt(int32_t X, int32_t Y) const;
  // Bytes held by the cells; 0 while dormant.
  int64_t MemoryUsage() const;

  int32_t GridWidth() const { return Width; }
  int32_t GridHeight() const { return Height; }
  // Nil while dormant.
  const TCellsRef& Cells() const { return Grid; }

  float Exposure() const { return FExposure; }
  void SetExposure(float Value) { FExposure = Value; }
  int32_t UniqueID() const { return FUniqueID; }
  // The parent, when it is an iWaterIDFollower, is told of the new ID.
  void SetUniqueID(int32_t Value);
  // An empty name or description reads as the scene's default text.
  std::string GetName() const;
  void SetName(const std::string& Value);
  std::string GetDescription() const;
  void SetDescription(const std::string& Value);

  void RenewUniqueIDs();

  // The selected refractive index map, else the last among the children, or nil: the one the
  // index panel shows and the map list replaces.
  TBaseRIMap* GetRIMap();
  // The last map among the children whose region covers grid cell (x, y upward), or nil.
  TBaseRIControlRIMapper* MapCovering(int32_t x, int32_t y);
  // A press that drips instead of touching the objects, at a paint-area position (Y downward
  // from the top): the source holds the drip (Lift raises the water, else it is pushed down)
  // until EndDrip, and nothing stays selected. False, and nothing done, without a source.
  bool StartDrip(int32_t X, int32_t Y, bool Lift);
  void MoveDrip(int32_t X, int32_t Y);
  void EndDrip();

  // The pointer on the paint area (Y downward from the top), offered to the objects. While a
  // drip is held a move moves it, and a press or a release ends it.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);

  bool IsGrabbed() const { return Grabbed; }
  bool IsDripActive() const { return DripActive; }
  // The object that holds the current press (the source while dripping), or nil.
  TBaseWaterObject* GetMouseTarget() const { return MouseTarget; }

 protected:
  ~TWater() override;
  void Initialise() override;

 private:
  static void DeclareProperties(TPropertyBuilder<TWater>& P);
  std::optional<TWaterCell> CellAt(int32_t X, int32_t Y) const;
  // A pointer far off the tank (any 32-bit position can come in) is taken to within one tank
  // of it, so that no object's arithmetic on positions can overflow.
  void ClampPointer(int32_t& X, int32_t& Y) const;

  // Where the scene's objects join the grid's life: after a rebuild, around a step and after
  // the waves are cleared.
  void AttachObjects();
  void StepObjects(TBaseExciter* Source, bool SampleTools);
  void RestartObjects();
  // The velocity and displacement passes, colouring each pixel as its cell is updated.
  void StepCells(TFastDIB* Surface);
  // Starts or stops keeping the mean as the view and the tools want it.
  void FollowIntensityWanted();
  detail::TSweepExtras PictureExtras(bool Stepping);
  detail::TSweepLayout SweepLayout() const;

  int32_t FUniqueID = 0;
  mutable std::string NameText;  // the getters fill in the default text
  mutable std::string DescriptionText;
  int32_t Width = 0;
  int32_t Height = 0;
  float FExposure = 2.55f;
  bool FIntensityView = false;
  int32_t FAveragingPeriods = DefaultAveragingPeriods;
  TColourScheme FColourScheme = csGrey;
  std::vector<float> IntensityField;  // column x at x * Height; empty while no mean is kept
  bool DripActive = false;
  TCellsRef Grid;
  int32_t FThreads = 1;
  int32_t FBandColumns;
  // The sweep's buffers, kept from step to step; behind a pointer, so that the includers of
  // this header see neither the sweep nor the kernels. One load a step is all it costs.
  std::unique_ptr<detail::TWaterSweep> Sweep;
  bool Grabbed = false;
  bool Awake = true;
  TBaseWaterObject* MouseTarget = nullptr;  // not counted: a child of this water
};

}  // namespace plashbox
