// objects/: the tank objects placed in the water: sources, maps and their controls.
// The wave source of every scene: a point, a beam, a line, a detuned pair of points or a point
// moving at a chosen Mach number, chosen by BeamType. Each kind is one row of the source's kind
// table (TSourceKind), found by the number BeamType stores in scene files.
#pragma once

#include <span>
#include <string>

#include "objects/uBaseExciter.h"

namespace plashbox {

enum TBeamType : int32_t { btPoint = 0, btBeam = 1, btLine = 2, btDouble = 3, btDoppler = 4 };
// The fastest moving source, in multiples of the wave speed.
inline constexpr float MaxDopplerSpeed = 10;

class TGeneralExciter;

// One kind of source: its name's key, the handles the pointer takes (by shape kind), how it drives the
// water each step and how it draws; hits on its body, where it has one beyond its handles.
struct TSourceKind {
  const char* NameKey;  // in the text catalogue
  TShapeKind Shape;
  void (TGeneralExciter::*Drive)();
  void (TGeneralExciter::*Draw)(TDrawingSink& Sink);
  bool (TGeneralExciter::*HitBody)(int32_t X, int32_t y) const;  // nil: the handles only
};

class TGeneralExciter : public TBaseExciter {
 public:
  PLASHBOX_NODE_CLASS;

  // The kinds, in the order of the numbers BeamType gives them.
  static std::span<const TSourceKind> Kinds();
  static int32_t BeamTypeCount() { return int32_t(Kinds().size()); }
  // The kind numbered Type, or nil.
  static const TSourceKind* Kind(int32_t Type);
  // The display name of a beam type ("Point Source" ... "Doppler Source"); empty for others.
  static std::string BeamTypeName(int32_t Type);
  // The range of numbers BeamType takes, as a refusal names it ("0 to 4").
  static std::string BeamTypeRange();

  std::string GetTypeName() override;
  std::string GetDescription() override;
  TShapeKind GetShapeKind() override;
  TPixelColor GetHandleColour() override;
  void DriveWater() override;
  bool HitTestBody(int32_t X, int32_t y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool& Handled) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void Draw(TDrawingSink& Sink) override;
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
  void DrawHandlesOnly(TDrawingSink& Sink) { DrawHandles(Sink); }
  void DrawBeam(TDrawingSink& Sink);
  void DrawDoppler(TDrawingSink& Sink);
  void DrawNothing(TDrawingSink&) {}
  bool HitBeam(int32_t X, int32_t y) const;
};

}  // namespace plashbox
