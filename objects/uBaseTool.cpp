#include "objects/uBaseTool.h"

namespace plashbox {

PLASHBOX_DEFINE_NODE_CLASS(TBaseTool, TBaseControl)

std::string TBaseTool::GetTypeName() { return "Base Tool Type"; }
std::string TBaseTool::GetDescription() { return "Need to change this"; }
TPixelColor TBaseTool::GetHandleColour() { return TBaseControl::GetHandleColour(); }
void TBaseTool::SampleWater() {}

}  // namespace plashbox
