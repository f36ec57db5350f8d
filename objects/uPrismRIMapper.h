// objects/: the tank objects placed in the water: sources, maps and their controls.
// A triangular prism of another medium: an isosceles triangle whose base is Size long and whose
// apex has the apex angle, centred on its centroid. A cell belongs when its centre lies inside
// the triangle or on its edges.
#pragma once

#include "objects/uShapeRIMapper.h"

namespace plashbox {

class TPrismRIMapper : public TShapeRIMapper {
 public:
  PLASHBOX_NODE_CLASS;

  std::string GetTypeName() override;
  std::string GetDescription() override;
  bool Covers(double X, double Y) const override;
  double Reach() const override;
  // 0: the apex (turns the prism), 1: the base's right-hand corner (sizes it).
  std::array<double, 2> HandleAt(int Index) const override;

  // The base in percent of the tank's height; the apex angle in degrees, 10 to 170. Angle 0
  // points the apex up.
  void SetSizePercent(float Value);
  void SetApexAngle(float Value);

  float SizePercent = 40, ApexAngle = 60;

 protected:
  void Initialise() override;
  void DragHandle(int Index, double X, double Y) override;
  TShape SaveShape() const override { return {SizePercent, ApexAngle, Angle, 0}; }
  void RestoreShape(const TShape& S) override;

 private:
  static void DeclareProperties(TPropertyBuilder<TPrismRIMapper>& P);
  // The corners, counter-clockwise from the base's left, relative to the centre.
  std::array<std::array<double, 2>, 3> Corners() const;
};

}  // namespace plashbox
