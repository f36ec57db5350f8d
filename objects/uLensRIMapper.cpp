#include "objects/uLensRIMapper.h"

#include <algorithm>
#include <numbers>

#include "grid/ExactMath.h"
#include "text/TextCatalogue.h"
#include "xmlworker/XMLFormat.h"

namespace plashbox {

void TLensRIMapper::DeclareProperties(TPropertyBuilder<TLensRIMapper>& P) {
  P.Single("DiameterPercent", &TLensRIMapper::DiameterPercent, &TLensRIMapper::SetDiameterPercent)
      .Single("ThicknessPercent", &TLensRIMapper::ThicknessPercent, &TLensRIMapper::SetThicknessPercent)
      .Single("Angle", &TLensRIMapper::GetAngle, &TLensRIMapper::SetAngle);
}

PLASHBOX_DEFINE_NODE_CLASS(TLensRIMapper, TShapeRIMapper, &DeclareProperties)

void TLensRIMapper::Initialise() {
  TShapeRIMapper::Initialise();
  DiameterPercent = 50;
  ThicknessPercent = 12;
}

std::string TLensRIMapper::GetTypeName() { return TextOf("object.TLensRIMapper.name"); }
std::string TLensRIMapper::GetDescription() { return TextOf("object.TLensRIMapper.description"); }

void TLensRIMapper::SetDiameterPercent(float Value) {
  if (!(Value >= 1 && Value <= 100)) RefuseValue("DiameterPercent", Value, "1 to 100");
  DiameterPercent = Value;
  ThicknessPercent = std::min(ThicknessPercent, DiameterPercent);
  ApplyToWater();
}

void TLensRIMapper::SetThicknessPercent(float Value) {
  if (!(Value > 0 && Value <= 100)) RefuseValue("ThicknessPercent", Value, "above 0 to 100");
  ThicknessPercent = std::min(Value, DiameterPercent);
  ApplyToWater();
}

void TLensRIMapper::RestoreShape(const TShape& S) {
  DiameterPercent = S[0];
  ThicknessPercent = S[1];
  Angle = S[2];
}

double TLensRIMapper::HalfThickness() const { return HeightCells(ThicknessPercent) / 2; }

double TLensRIMapper::Radius() const {
  // A circular cap of height h over a chord D has the radius (D^2 / 4 + h^2) / (2 h).
  const double d = HeightCells(DiameterPercent), h = HalfThickness();
  return (d * d / 4 + h * h) / (2 * h);
}

double TLensRIMapper::Reach() const { return std::max(HeightCells(DiameterPercent) / 2, HalfThickness()); }

bool TLensRIMapper::Covers(double X, double Y) const {
  const double h = HalfThickness();
  if (!(h > 0)) return false;
  const double r = Radius(), offset = r - h, cs = Cos(), sn = Sin();
  const double dx = X - CentreX, dy = Y - CentreY;
  // The two discs' centres sit on the axis (cs, sn), offset either way from the lens's centre.
  const double ax = dx - offset * cs, ay = dy - offset * sn;
  const double bx = dx + offset * cs, by = dy + offset * sn;
  return ax * ax + ay * ay <= r * r && bx * bx + by * by <= r * r;
}

std::array<double, 2> TLensRIMapper::HandleAt(int Index) const {
  const double cs = Cos(), sn = Sin();
  if (Index == 0) {
    const double half = HeightCells(DiameterPercent) / 2;
    return {CentreX - half * sn, CentreY + half * cs};
  }
  const double h = HalfThickness();
  return {CentreX + h * cs, CentreY + h * sn};
}

void TLensRIMapper::DragHandle(int Index, double X, double Y) {
  const double dx = X - CentreX, dy = Y - CentreY;
  const double distance = exact::Sqrt(dx * dx + dy * dy);
  if (Index == 0) {
    if (distance < 2) return;
    // The rim follows the pointer: the axis turns to stay across it, the diameter to reach it.
    Angle = static_cast<float>(exact::Atan2(-dx, dy) * 180 / std::numbers::pi);
    if (Angle < 0) Angle = static_cast<float>(Angle + 360.0);
    DiameterPercent = static_cast<float>(std::clamp(HeightPercent(2 * distance), 1.0, 100.0));
    ThicknessPercent = std::min(ThicknessPercent, DiameterPercent);
  } else {
    const double along = exact::Abs(dx * Cos() + dy * Sin());
    ThicknessPercent = static_cast<float>(std::clamp(HeightPercent(2 * along), 0.5, double(DiameterPercent)));
  }
}

}  // namespace plashbox
