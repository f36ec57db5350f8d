// objects/: the tank objects placed in the water: sources, maps and their controls.
// The refractive block: a rectangle of another medium, turned and sized by dragging the handles
// at the midpoints of its edges and moved by dragging it anywhere else.
#pragma once

#include <array>

#include "objects/uBaseRefractiveIndexMap.h"

namespace plashbox {

struct TFloatPoint {
  float X = 0, Y = 0;
};

class TBlockRIMapper : public TBaseRIControlRIMapper {
 public:
  PLASHBOX_NODE_CLASS;

  std::string GetTypeName() override;
  std::string GetDescription() override;
  TShapeKind GetShapeKind() override;
  void GridAttached() override;
  void ApplyToWater() override;
  void VisitCoveredCells(const TCoveredCellVisitor& Visit) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool& Handled) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void Draw(TDrawingSink& Sink) override { DrawHandles(Sink); }
  // The edge handles, rounded to cells.
  std::vector<TGridPoint> Handles() override;
  // Inside the turned rectangle (grid position, y upward): a press there moves the block.
  bool HitTestBody(int32_t X, int32_t y) override;

  // All four corners, rounded, lie at least 6 cells inside the grid.
  bool FitsInTank() const override;
  void UpdateEdgeHandles(const std::array<TFloatPoint, 4>& Corners);

  // Read back as the live size, which a drag may have changed.
  float GetWidthPercentage() const { return GridToPercentX(BlockWidth); }
  float GetHeightPercentage() const { return GridToPercentY(BlockHeight); }
  void SetWidthPercentage(float Value);
  void SetHeightPercentage(float Value);

  float WidthPercentage = 0, HeightPercentage = 0;  // stored; a resize of the scene restores them
  std::array<TFloatPoint, 4> EdgeHandles{};
  bool HandleGrabbed = false;
  int32_t GrabbedHandle = 0;
  float Cs = 0, Sn = 0;
  int32_t BlockWidth = 0, BlockHeight = 0;

 protected:
  void Initialise() override;

 private:
  static void DeclareProperties(TPropertyBuilder<TBlockRIMapper>& P);
  // The turn as a unit pair (cosine, sine), from Cs and Sn.
  struct TTurn {
    double Cs, Sn;
  };
  TTurn Turn() const;
  // The corners K0 .. K3, turned, relative to the centre.
  std::array<TFloatPoint, 4> TurnedCorners() const;
  // Each calls Visit for the cells of the block, relative to its centre.
  void FillUpright(int32_t HalfX, int32_t HalfY, const TCoveredCellVisitor& Visit) const;
  void FillTurned(const std::array<TFloatPoint, 4>& Corners, const TCoveredCellVisitor& Visit) const;
  void FillCell(int32_t x, int32_t y, const TCoveredCellVisitor& Visit) const;
};

}  // namespace plashbox
