// frame/: the window's logic without a window, shared by every front end and the tests.
// Edits of a running scene by published property: "Class.Prop=Value" applied to the water or
// to its objects of a class. The driver's --set goes through here.
#pragma once

#include <string>
#include <string_view>

#include "sim/uWater.h"
#include "xmlworker/XMLNode.h"

namespace plashbox {

// An edit that names no class or property of the scene.
class TSceneEditError : public TXMLNodeError {
 public:
  using TXMLNodeError::TXMLNodeError;
};

struct TPropertySetting {
  std::string Class, Property, Value;
};

// "Class.Prop=Value"; the value may be empty and may hold dots and equals signs. Raises
// TSceneEditError for any other text.
TPropertySetting ParsePropertySetting(const std::string& Text);

// The class named Name, without regard to letter case, among the classes registered in the node
// registry and their bases; nil when there is none.
const TNodeClass* FindSceneClass(std::string_view Name);

// Sets the property on the water itself (class TWater) or on every direct child of the water
// of that class or a class derived from it. Raises TSceneEditError for an unknown class or
// property, or a class that no object of the scene has, and passes on the conversion error of
// a value that is refused.
void ApplySetting(TWater& Water, const TPropertySetting& Setting);

// The object of Class that a panel shows: the water itself for TWater; else, among the water's
// direct children of that class or a class derived from it, the selected one, or the last one
// when none is selected (as the window's panels choose); nil when there is none.
TBasicXMLNode* ShownObject(TWater& Water, const TNodeClass& Class);

// A panel's edit: as ApplySetting, but on the object the panel shows only, so that with two
// blocks in the tank the index slider sets the selected block's index and not both.
void ApplySettingToShown(TWater& Water, const TPropertySetting& Setting);

}  // namespace plashbox
