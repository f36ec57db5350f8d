// objects/: the tank objects placed in the water: sources, maps and their controls.
// The base of tools placed in the tank: they sample the water once per step.
#pragma once

#include "objects/uBaseControl.h"

namespace plashbox {

class TBaseTool : public TBaseControl {
 public:
  PLASHBOX_NODE_CLASS;

  std::string GetTypeName() override;
  std::string GetDescription() override;
  TPixelColor GetHandleColour() override;
  virtual void SampleWater();
  // A tool that reads the water's intensity keeps it being averaged while it is in the water.
  virtual bool UsesIntensity() const { return false; }
};

}  // namespace plashbox
