// objects/: the tank objects placed in the water: sources, maps and their controls.
// The wave source of every scene: a point, a beam, a line, a detuned pair of points or a point
// moving at a chosen Mach number, chosen by BeamType.
#pragma once

#include "objects/uBaseExciter.h"

namespace plashbox {

enum TBeamType : int32_t { btPoint = 0, btBeam = 1, btLine = 2, btDouble = 3, btDoppler = 4 };
// The fastest moving source, in multiples of the wave speed.
inline constexpr float MaxDopplerSpeed = 10;

class TGeneralExciter : public TBaseExciter {
 public:
  PLASHBOX_NODE_CLASS;

  // The display name of a beam type ("Point Source" ... "Doppler Source"); empty for others.
  static std::string BeamTypeName(int32_t Type);

  std::string GetTypeName() override;
  std::string GetDescription() override;
  TShapeKind GetShapeKind() override;
  TPixelColor GetHandleColour() override;
  void DriveWater() override;
  bool HitTestBody(int32_t X, int32_t y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool& Handled) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void Paint(TFastDIB& Surface) override;
  // A moving source set off on a new grid (a scene opened, a slide shown, the tank resized)
  // starts where ResetDoppler puts it, at the left and the height of its target.
  void GridAttached() override;

  int32_t GetBeamType() const { return BeamType; }
  void SetBeamType(int32_t Value);
  // The moving source starts again at the left, aiming at the right-hand side at mid height.
  void ResetDoppler();

  int32_t BeamType = btBeam;
  float DopplerSpeed = 0;
  float DopplerX = 0, DopplerY = 0;
  bool Harmonics = false;
  bool UseFreq = false;

 protected:
  void Initialise() override;

 private:
  static void DeclareProperties(TPropertyBuilder<TGeneralExciter>& P);
  bool OnGrid(int32_t x, int32_t y) const;
  void DrivePoint();
  void DriveBeam();
  void DriveLine();
  void DriveDouble();
  void DriveDoppler();
};

}  // namespace plashbox
