#include "objects/uBaseTool.h"
#include "text/TextCatalogue.h"

namespace plashbox {

PLASHBOX_DEFINE_NODE_CLASS(TBaseTool, TBaseControl)

std::string TBaseTool::GetTypeName() { return TextOf("object.TBaseTool.name"); }
std::string TBaseTool::GetDescription() { return TextOf("object.TBaseTool.description"); }
TPixelColor TBaseTool::GetHandleColour() { return TBaseControl::GetHandleColour(); }
void TBaseTool::SampleWater() {}

}  // namespace plashbox
