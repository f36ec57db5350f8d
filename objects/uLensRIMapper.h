// objects/: the tank objects placed in the water: sources, maps and their controls.
// A biconvex lens of another medium: the region common to two discs of one radius whose centres
// lie on the lens's axis either side of its centre, so that it is Diameter across and Thickness
// thick on the axis. A cell belongs when its centre lies in both discs, boundary included.
#pragma once

#include "objects/uShapeRIMapper.h"

namespace plashbox {

class TLensRIMapper : public TShapeRIMapper {
 public:
  PLASHBOX_NODE_CLASS;

  std::string GetTypeName() override;
  std::string GetDescription() override;
  bool Covers(double X, double Y) const override;
  double Reach() const override;
  // 0: the rim (turns the lens and sets its diameter), 1: the vertex on the axis (thickness).
  std::array<double, 2> HandleAt(int Index) const override;

  // In percent of the tank's height; the thickness is kept within the diameter. Angle 0 puts
  // the axis along x: the lens stands upright across a beam from the left.
  void SetDiameterPercent(float Value);
  void SetThicknessPercent(float Value);

  float DiameterPercent = 50, ThicknessPercent = 12;

 protected:
  void Initialise() override;
  void DragHandle(int Index, double X, double Y) override;
  TShape SaveShape() const override { return {DiameterPercent, ThicknessPercent, Angle, 0}; }
  void RestoreShape(const TShape& S) override;

 private:
  static void DeclareProperties(TPropertyBuilder<TLensRIMapper>& P);
  // Half the thickness and the surfaces' radius, in cells.
  double HalfThickness() const;
  double Radius() const;
};

}  // namespace plashbox
