#include "objects/uBaseTool.h"
#include "text/TextCatalogue.h"

namespace plashbox {

const TNodeClass& TBaseTool::StaticClass() {
  static const TNodeClass cls = TNodeClass::Make<TBaseTool>("TBaseTool", &TBaseControl::StaticClass());
  return cls;
}

std::string TBaseTool::GetTypeName() { return TextOf("object.TBaseTool.name"); }
std::string TBaseTool::GetDescription() { return TextOf("object.TBaseTool.description"); }
TPixelColor TBaseTool::GetHandleColour() { return TBaseControl::GetHandleColour(); }
void TBaseTool::SampleWater() {}

}  // namespace plashbox
