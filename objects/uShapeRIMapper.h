// objects/: the tank objects placed in the water: sources, maps and their controls.
// Maps whose region is a shape given by a test on a cell's centre (a lens, a prism): the cells
// near the centre whose centres the test takes get the region's speed. The shape has handles
// of its own that turn and size it; its body moves it; a drag that would take it out of the
// tank is refused.
#pragma once

#include <array>

#include "objects/uBaseRefractiveIndexMap.h"

namespace plashbox {

class TShapeRIMapper : public TBaseRIControlRIMapper {
 public:
  PLASHBOX_NODE_CLASS;

  // Whether the cell whose centre is at grid position (X, Y), y upward, belongs to the shape.
  // In double arithmetic on whole cell positions, so that every build fills the same cells.
  virtual bool Covers(double X, double Y) const = 0;
  // How far the shape reaches from its centre, in cells.
  virtual double Reach() const = 0;

  TShapeKind GetShapeKind() override { return skOwnHandles; }
  void ApplyToWater() override { RecomposeMedium(); }
  void VisitCoveredCells(const TCoveredCellVisitor& Visit) override;
  bool FitsInTank() const override;
  bool HitTestBody(int32_t X, int32_t y) override { return HasGrid() && Covers(X, y); }
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool& Handled) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void Draw(TDrawingSink& Sink) override { DrawHandles(Sink); }
  // HandleAt's positions, rounded to cells.
  std::vector<TGridPoint> Handles() override;

  // The shape's turn in degrees, counter-clockwise; any value, read back within 0 .. 360.
  float GetAngle() const { return Angle; }
  void SetAngle(float Value);

  static constexpr int HandleCount = 2;
  // A handle's grid position (y upward).
  virtual std::array<double, 2> HandleAt(int Index) const = 0;

 protected:
  using TShape = std::array<float, 4>;  // what a drag may change, to go back to
  // What dragging handle Index to grid position (X, Y) does to the shape.
  virtual void DragHandle(int Index, double X, double Y) = 0;
  virtual TShape SaveShape() const = 0;
  virtual void RestoreShape(const TShape& Shape) = 0;
  // Sizes in percent of the tank's height (less the margins), as cells.
  double HeightCells(double Percent) const { return (GridHeight - 11) * Percent / 100; }
  double HeightPercent(double Cells) const { return Cells * 100 / (GridHeight - 11); }
  // The turn as a unit pair.
  double Cos() const;
  double Sin() const;

  float Angle = 0;

 private:
  int Grabbed = -1;  // the handle held, or -1
};

}  // namespace plashbox
