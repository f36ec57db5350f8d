#include "objects/uBaseRefractiveIndexMap.h"

namespace plashbox {

TClassList& RIMapClassList() {
  static TClassList classes;
  return classes;
}

const TNodeClass& TBaseRIMap::StaticClass() {
  static const TNodeClass cls = TNodeClass::Make<TBaseRIMap>("TBaseRIMap", &TBaseControl::StaticClass());
  return cls;
}

void TBaseRIMap::Initialise() {
  TBaseControl::Initialise();
  Snap_to_Grid = false;
}

void TBaseRIMap::ApplyToWater() { RecomposeMedium(); }

void TBaseRIMap::GeometryChanged() { ApplyToWater(); }

TPixelColor TBaseRIMap::GetHandleColour() {
  return ActiveTool ? TPixelColor{48, 12, 210} : TPixelColor{24, 12, 140};
}

std::string TBaseRIMap::GetTypeName() { return "Base Mapper Type"; }
std::string TBaseRIMap::GetDescription() { return "Need to change this"; }
bool TBaseRIMap::SimulateWhileSourceDragged() { return true; }

const TNodeClass& TBaseRIControlRIMapper::StaticClass() {
  static const TNodeClass cls =
      TNodeClass::Make<TBaseRIControlRIMapper>("TBaseRIControlRIMapper", &TBaseRIMap::StaticClass());
  return cls;
}

void TBaseRIControlRIMapper::Initialise() {
  TBaseRIMap::Initialise();
  SetN(0.5454f);
}

void TBaseRIControlRIMapper::SetN(float Value) {
  const auto r = static_cast<float>(Value * 0.5);
  if (r == RegionSpeedFactor) return;
  RegionSpeedFactor = r;
  ApplyToWater();
}

}  // namespace plashbox
