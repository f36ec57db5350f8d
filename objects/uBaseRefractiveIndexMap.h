// objects/: the tank objects placed in the water: sources, maps and their controls.
// Refractive index maps: objects whose region has another wave speed (SpeedFactor). Whenever a
// map or the grid changes, the water composes the medium again from all of its regions; the
// time step only reads the medium.
#pragma once

#include "objects/ClassList.h"
#include "objects/MediumRegion.h"
#include "objects/uBaseControl.h"

namespace plashbox {

class TBaseRIMap : public TBaseControl {
 public:
  PLASHBOX_NODE_CLASS;

  void ApplyToWater() override;
  void GeometryChanged() override;
  TPixelColor GetHandleColour() override;
  std::string GetTypeName() override;
  std::string GetDescription() override;

  // Whether the water keeps running while the scene's source is dragged.
  virtual bool SimulateWhileSourceDragged();

 protected:
  void Initialise() override;
};

// A map with one region of one refractive index: n is the region's speed factor over that of
// open water (the square of the speed ratio), so the index relative to open water is 1 / sqrt(n).
// The published "n" of a region is its squared wave speed relative to open water (SpeedFactor
// over 0.5). Above 1 the time step is unstable (a SpeedFactor above 0.5 grows without bound);
// below 0.01 the waves all but stop and their values sink towards subnormal numbers, which
// slow the step. Values by name outside this range are refused.
inline constexpr float MinSpeedRatio = 0.01f, MaxSpeedRatio = 1;

// Its region is placed by a centre, published in percent of the tank: 50/50 is the middle cell
// (W / 2, H / 2), and a percent moves it by its distance from 50, so a region at 50/50 is exactly
// where a centred one has always been, at every tank size. Dragging the region's body moves it.
class TBaseRIControlRIMapper : public TBaseRIMap, public TMediumRegion {
 public:
  PLASHBOX_NODE_CLASS;

  float GetN() const { return static_cast<float>(RegionSpeedFactor / 0.5); }
  // A new value rewrites the medium at once; the current one changes nothing.
  void SetN(float Value);

  float GetCentreXPercent() const;
  float GetCentreYPercent() const;
  void SetCentreXPercent(float Value);
  void SetCentreYPercent(float Value);
  // The region lies at least 6 cells inside the grid; a drag that breaks it is refused.
  virtual bool FitsInTank() const { return true; }
  TRegionMedium RegionMedium() const override { return {RegionSpeedFactor, false}; }

  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;

  float RegionSpeedFactor = 0;
  float CentreXPercent = 50, CentreYPercent = 50;  // stored; a resize of the scene restores them
  int32_t CentreX = 0, CentreY = 0;

 protected:
  void Initialise() override;
  // The centre's cells from the stored percents: at the start of visiting the covered cells.
  void PlaceCentre();
  // The body dragged to (X, y), grid position: the centre follows the pointer's movement.
  void MoveBody(int32_t X, int32_t y);

 private:
  static void DeclareProperties(TPropertyBuilder<TBaseRIControlRIMapper>& P);
};

// The classes from which a new scene takes its refractive index map.
TClassList& RIMapClassList();
inline void RegisterRIMapClass(const TNodeClass& Class) { RIMapClassList().Register(Class); }
inline int32_t RIMapClassCount() { return RIMapClassList().Count(); }
// The class at Index, or nil outside 0 .. count - 1.
inline const TNodeClass* GetRIMapClass(int32_t Index) { return RIMapClassList().At(Index); }

}  // namespace plashbox
