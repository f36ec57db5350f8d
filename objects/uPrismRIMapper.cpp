#include "objects/uPrismRIMapper.h"

#include <algorithm>
#include <numbers>

#include "grid/ExactMath.h"
#include "text/TextCatalogue.h"
#include "xmlworker/XMLFormat.h"

namespace plashbox {

void TPrismRIMapper::DeclareProperties(TPropertyBuilder<TPrismRIMapper>& P) {
  P.Single("SizePercent", &TPrismRIMapper::SizePercent, &TPrismRIMapper::SetSizePercent)
      .Single("ApexAngle", &TPrismRIMapper::ApexAngle, &TPrismRIMapper::SetApexAngle)
      .Single("Angle", &TPrismRIMapper::GetAngle, &TPrismRIMapper::SetAngle);
}

PLASHBOX_DEFINE_NODE_CLASS(TPrismRIMapper, TShapeRIMapper, &DeclareProperties)

void TPrismRIMapper::Initialise() {
  TShapeRIMapper::Initialise();
  SizePercent = 40;
  ApexAngle = 60;
}

std::string TPrismRIMapper::GetTypeName() { return TextOf("object.TPrismRIMapper.name"); }
std::string TPrismRIMapper::GetDescription() { return TextOf("object.TPrismRIMapper.description"); }

void TPrismRIMapper::SetSizePercent(float Value) {
  if (!(Value >= 1 && Value <= 100)) RefuseValue("SizePercent", Value, "1 to 100");
  SizePercent = Value;
  ApplyToWater();
}

void TPrismRIMapper::SetApexAngle(float Value) {
  if (!(Value >= 10 && Value <= 170)) RefuseValue("ApexAngle", Value, "10 to 170 degrees");
  ApexAngle = Value;
  ApplyToWater();
}

void TPrismRIMapper::RestoreShape(const TShape& S) {
  SizePercent = S[0];
  ApexAngle = S[1];
  Angle = S[2];
}

std::array<std::array<double, 2>, 3> TPrismRIMapper::Corners() const {
  const double half = HeightCells(SizePercent) / 2;
  const double height = half / exact::Tan(double(ApexAngle) * std::numbers::pi / 360);
  // Upright about the centroid, a third of the height above the base, then turned.
  const std::array<std::array<double, 2>, 3> upright{{{-half, -height / 3}, {half, -height / 3}, {0, 2 * height / 3}}};
  const double cs = Cos(), sn = Sin();
  std::array<std::array<double, 2>, 3> turned;
  for (size_t i = 0; i < 3; ++i)
    turned[i] = {upright[i][0] * cs - upright[i][1] * sn, upright[i][0] * sn + upright[i][1] * cs};
  return turned;
}

double TPrismRIMapper::Reach() const {
  double reach = 0;
  for (const auto& [x, y] : Corners()) reach = std::max(reach, exact::Sqrt(x * x + y * y));
  return reach;
}

bool TPrismRIMapper::Covers(double X, double Y) const {
  const double px = X - CentreX, py = Y - CentreY;
  const auto k = Corners();
  // On the inner side of every edge, counter-clockwise.
  for (size_t i = 0; i < 3; ++i) {
    const auto& a = k[i];
    const auto& b = k[(i + 1) % 3];
    if ((b[0] - a[0]) * (py - a[1]) - (b[1] - a[1]) * (px - a[0]) < 0) return false;
  }
  return true;
}

std::array<double, 2> TPrismRIMapper::HandleAt(int Index) const {
  const auto k = Corners();
  const auto& corner = Index == 0 ? k[2] : k[1];
  return {CentreX + corner[0], CentreY + corner[1]};
}

void TPrismRIMapper::DragHandle(int Index, double X, double Y) {
  const double dx = X - CentreX, dy = Y - CentreY;
  const double distance = exact::Sqrt(dx * dx + dy * dy);
  if (distance < 2) return;
  if (Index == 0) {
    // The apex points at the pointer.
    double a = exact::Atan2(dy, dx) * 180 / std::numbers::pi - 90;
    if (a < 0) a += 360;
    Angle = static_cast<float>(a);
  } else {
    // The corner follows the pointer's distance: the prism grows or shrinks about its centre.
    const auto [cx, cy] = Corners()[1];
    const double scale = distance / exact::Sqrt(cx * cx + cy * cy);
    SizePercent = static_cast<float>(std::clamp(double(SizePercent) * scale, 1.0, 100.0));
  }
}

}  // namespace plashbox
