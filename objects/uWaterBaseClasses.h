// objects/: the tank objects placed in the water: sources, maps and their controls.
// The base of every object placed in a water: grid access, percent geometry and hit tests; the
// objects draw through a drawing sink (objects/DrawingSink.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "objects/DrawingSink.h"
#include "grid/WaterGrid.h"
#include "xmlworker/XMLNode.h"
#include "xmlworker/XMLProperties.h"

namespace plashbox {

enum TMouseButton : uint8_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// The held modifier keys and buttons; of these the objects look at Ctrl only.
using TShiftState = uint8_t;
enum TShiftFlag : TShiftState {
  ssShift = 1 << 0,
  ssAlt = 1 << 1,
  ssCtrl = 1 << 2,
  ssLeft = 1 << 3,
  ssRight = 1 << 4,
  ssMiddle = 1 << 5,
  ssDouble = 1 << 6,
};

// A control panel that an object builds for itself. The panels live in the widget layer,
// which registers a maker per object class; the objects know them only through this base. A
// panel there derives from its toolkit widget and from this class, so the caller reaches the
// widget by a cross cast and takes it over (releasing the unique_ptr when a parent widget
// becomes its owner).
class TControlPanel {
 public:
  virtual ~TControlPanel() = default;
};
using TControlPanelMaker = std::unique_ptr<TControlPanel> (*)(TBasicXMLNode& Object);
// Registers the maker of the panels of Class and of its descendants that have none of their own.
void RegisterControlPanel(const TNodeClass& Class, TControlPanelMaker Maker);

// The water an object sits in, as the objects see it: the medium is composed there from open
// water and its regions (objects/MediumRegion.h) whenever any of them changes.
class TMediumHost {
 public:
  virtual void ComposeMedium() = 0;

 protected:
  ~TMediumHost() = default;
};

// The time-averaged intensity of the water an object sits in: per cell a running mean of the
// squared displacement, kept while the intensity view is shown or a tool asks for it.
class TIntensityHost {
 public:
  // The mean at grid cell (x, y upward); 0 off the grid and while no mean is kept.
  virtual float IntensityAt(int32_t x, int32_t y) const = 0;
  virtual bool KeepsIntensity() const = 0;

 protected:
  ~TIntensityHost() = default;
};

class TBaseWaterObject : public TXMLNode {
 public:
  PLASHBOX_NODE_CLASS;

  int32_t add(iXMLNode* Node) override;

  virtual void ResetMedium();
  virtual void GridAttached();
  // Grid position (X, Y) within reach of point (PX, PY): closer than 6 cells.
  static bool HitTestPoint(int32_t X, int32_t Y, int32_t PX, int32_t PY);
  // Within reach of the segment's nearest point, and inside the segment's box grown by 4 cells.
  static bool HitTestSegment(int32_t X, int32_t Y, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  virtual std::string GetTypeName();
  virtual std::string GetDescription();
  virtual void ApplyToWater();
  // Pointer operations take paint-area coordinates, Y downward from the top.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool& Handled);
  virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  // A new panel bound to this object, owned by the caller; nil when no panel is registered.
  virtual std::unique_ptr<TControlPanel> CreateControlPanel();
  // Draws the object in grid coordinates; nothing by default.
  virtual void Draw(TDrawingSink& Sink);
  virtual void Restart();

  static int32_t NewUniqueID();
  // The same border width as the water's grid build.
  static int32_t AbsorbingBorderWidth(int32_t W, int32_t H) { return ::plashbox::AbsorbingBorderWidth(W, H); }
  // Shares the grid with this object and its whole subtree.
  void AttachGrid(const TCellsRef& Cells, int32_t W, int32_t H);

  int32_t PercentToGridX(float P) const;
  int32_t PercentToGridY(float P) const;
  float GridToPercentX(int32_t X) const;
  float GridToPercentY(int32_t Y) const;
  void ClampToTank(int32_t& X, int32_t& Y, int32_t Margin) const;
  bool InsideTank(int32_t X, int32_t Y, int32_t Margin) const;


  int32_t UniqueID = 0;

 protected:
  void Initialise() override;
  bool HasGrid() const { return Cells != nullptr && GridWidth > 0 && GridHeight > 0; }
  // The medium made anew by the water this object is in; one alone writes open water and, if it
  // is a region, its own cells.
  void RecomposeMedium();
  // A cell whose wave this object may drive; its medium is read only.
  TWaveCellRef Cell(int32_t x, int32_t y) const { return (*Cells)[x][y]; }
  // The water's intensity, or nil outside a water.
  const TIntensityHost* IntensityHost();

  TCellsRef Cells;
  int32_t GridWidth = 0;
  int32_t GridHeight = 0;

 private:
  static void DeclareProperties(TPropertyBuilder<TBaseWaterObject>& P);
};

}  // namespace plashbox
