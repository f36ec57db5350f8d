#include "frame/SceneEditing.h"

#include "objects/uBaseControl.h"
#include "xmlworker/XMLFormat.h"
#include "xmlworker/XMLProperties.h"
#include "xmlworker/XMLWorker.h"

namespace plashbox {

TPropertySetting ParsePropertySetting(const std::string& Text) {
  const size_t dot = Text.find('.'), equals = Text.find('=');
  if (dot == std::string::npos || equals == std::string::npos || dot == 0 || equals < dot + 2)
    throw TSceneEditError("wants Class.Prop=Value, got \"" + Text + "\"");
  return {Text.substr(0, dot), Text.substr(dot + 1, equals - dot - 1), Text.substr(equals + 1)};
}

const TNodeClass* FindSceneClass(std::string_view Name) {
  const TNodeRegistry& registry = NodeRegistry();
  for (int32_t i = 0; i < registry.NodeCount(); ++i)
    for (const TNodeClass* c = registry.GetEntry(i).NodeClass; c; c = c->Base())
      if (SameText(c->ClassName(), Name)) return c;
  return nullptr;
}

namespace {

// The class a setting names, with the property it names; raises TSceneEditError otherwise.
const TNodeClass& SettingClass(const TPropertySetting& S) {
  const TNodeClass* cls = FindSceneClass(S.Class);
  if (!cls) throw TSceneEditError("unknown class " + S.Class);
  if (!cls->FindProperty(S.Property)) throw TSceneEditError(cls->ClassName() + " has no property " + S.Property);
  return *cls;
}

}  // namespace

TBasicXMLNode* ShownObject(TWater& Water, const TNodeClass& Class) {
  if (&Class == &TWater::StaticClass()) return &Water;
  TBasicXMLNode* shown = nullptr;
  bool shownSelected = false;
  for (TBasicXMLNode* child : ChildrenOf<TBasicXMLNode>(Water)) {
    if (!child->ClassType().InheritsFrom(Class)) continue;
    auto* control = dynamic_cast<TBaseControl*>(child);
    const bool selected = control && control->ActiveTool;
    if (selected || !shownSelected) {
      shown = child;
      shownSelected = selected;
    }
  }
  return shown;
}

void ApplySettingToShown(TWater& Water, const TPropertySetting& S) {
  const TNodeClass& cls = SettingClass(S);
  TBasicXMLNode* shown = ShownObject(Water, cls);
  if (!shown) throw TSceneEditError("the scene holds no " + cls.ClassName());
  SetPublishedValue(*shown, S.Property, S.Value);
}

void ApplySetting(TWater& Water, const TPropertySetting& S) {
  const TNodeClass* cls = &SettingClass(S);
  if (cls == &TWater::StaticClass()) {
    SetPublishedValue(Water, S.Property, S.Value);
    return;
  }
  int32_t reached = 0;
  for (TBasicXMLNode* child : ChildrenOf<TBasicXMLNode>(Water))
    if (child->ClassType().InheritsFrom(*cls)) {
      SetPublishedValue(*child, S.Property, S.Value);
      ++reached;
    }
  if (reached == 0) throw TSceneEditError("the scene holds no " + cls->ClassName());
}

}  // namespace plashbox
