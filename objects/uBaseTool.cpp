#include "objects/uBaseTool.h"

namespace plashbox {

const TNodeClass& TBaseTool::StaticClass() {
  static const TNodeClass cls = TNodeClass::Make<TBaseTool>("TBaseTool", &TBaseControl::StaticClass());
  return cls;
}

std::string TBaseTool::GetTypeName() { return "Base Tool Type"; }
std::string TBaseTool::GetDescription() { return "Need to change this"; }
TPixelColor TBaseTool::GetHandleColour() { return TBaseControl::GetHandleColour(); }
void TBaseTool::SampleWater() {}

}  // namespace plashbox
