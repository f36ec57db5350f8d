#include "xmlworker/XMLProperties.h"

#include "xmlworker/XMLFormat.h"

namespace plashbox {

bool TEnumType::IsBoolean() const { return this == &BooleanType(); }

const TEnumType& BooleanType() {
  static const TEnumType type{"Boolean", {"False", "True"}};
  return type;
}

bool TPropInfo::Readable() const {
  switch (Kind) {
    case TPropKind::Integer:
    case TPropKind::Enumeration:
    case TPropKind::Int64: return bool(GetOrdinal);
    case TPropKind::Float: return bool(GetFloat);
    case TPropKind::String: return bool(GetString);
    case TPropKind::DynArray: return bool(GetArray);
  }
  return false;
}

bool TPropInfo::Writable() const {
  switch (Kind) {
    case TPropKind::Integer:
    case TPropKind::Enumeration:
    case TPropKind::Int64: return bool(SetOrdinal);
    case TPropKind::Float: return bool(SetFloat);
    case TPropKind::String: return bool(SetString);
    case TPropKind::DynArray: return bool(SetArray);
  }
  return false;
}

// ---------------------------------------------------------------------------
// TNodeClass

TNodeClass::TNodeClass(std::string Name, const TNodeClass* Base, TFactory Factory,
                       TPropertyList OwnProperties, std::vector<TGUID> OwnInterfaces)
    : Name(std::move(Name)), BaseClass(Base), Factory(Factory) {
  if (Base) {
    AllProperties = Base->AllProperties;
    Interfaces = Base->Interfaces;
  }
  for (TPropInfo& p : OwnProperties) AllProperties.push_back(std::move(p));
  for (const TGUID& g : OwnInterfaces) Interfaces.push_back(g);
}

bool TNodeClass::InheritsFrom(const TNodeClass& Other) const {
  for (const TNodeClass* c = this; c; c = c->BaseClass)
    if (c == &Other) return true;
  return false;
}

bool TNodeClass::Implements(const TGUID& IID) const {
  for (const TGUID& g : Interfaces)
    if (g == IID) return true;
  return false;
}

XMLNodeRef TNodeClass::Create() const { return Factory ? Factory() : nullptr; }

const TPropInfo* TNodeClass::FindProperty(std::string_view PropName) const {
  for (const TPropInfo& p : AllProperties)
    if (SameText(p.Name, PropName)) return &p;
  return nullptr;
}

const TNodeClass& TBasicXMLNode::StaticClass() {
  static const TNodeClass cls =
      TNodeClass::Make<TBasicXMLNode>("TBasicXMLNode", nullptr, nullptr, {iInterface::IID, iXMLNode::IID});
  return cls;
}

PLASHBOX_DEFINE_NODE_CLASS(TXMLNode, TBasicXMLNode)

// ---------------------------------------------------------------------------
// Access by name

namespace {

const TPropInfo* Lookup(TBasicXMLNode& Object, std::string_view PropName, bool SkipUnknown) {
  const TPropInfo* p = Object.ClassType().FindProperty(PropName);
  if (!p && !SkipUnknown)
    throw TXMLNodeParsingError("No property info available for this object.property: " +
                               Object.ClassName() + "." + std::string(PropName));
  return p;
}

[[noreturn]] void Unusable(std::string_view PropName) {
  throw TXMLNodeParsingError("Unusable property type: " + std::string(PropName));
}

}  // namespace

std::string GetPublishedValue(TBasicXMLNode& Object, std::string_view PropName) {
  const TPropInfo& p = *Lookup(Object, PropName, false);
  if (!p.Readable()) Unusable(PropName);
  switch (p.Kind) {
    case TPropKind::Integer:
    case TPropKind::Int64: return std::to_string(p.GetOrdinal(Object));
    case TPropKind::Enumeration: {
      const int64_t ord = p.GetOrdinal(Object);
      if (ord >= 0 && ord < int64_t(p.Enum->Identifiers.size())) return p.Enum->Identifiers[size_t(ord)];
      return std::to_string(ord);
    }
    case TPropKind::Float:
      return FormatGeneral(p.GetFloat(Object), p.FloatType == TFloatType::Single ? 7 : 15);
    case TPropKind::String: return p.GetString(Object);
    case TPropKind::DynArray: break;
  }
  Unusable(PropName);
}

void SetPublishedValue(TBasicXMLNode& Object, std::string_view PropName, const std::string& Text,
                       bool SkipUnknown) {
  const TPropInfo* found = Lookup(Object, PropName, SkipUnknown);
  if (!found) return;
  const TPropInfo& p = *found;
  if (p.Kind == TPropKind::DynArray) Unusable(PropName);
  if (!p.Writable())
    throw TXMLNodeParsingError("Property is read only: " + Object.ClassName() + "." + std::string(PropName));
  switch (p.Kind) {
    case TPropKind::Integer: p.SetOrdinal(Object, ParseInt32Text(Text)); return;
    case TPropKind::Int64: p.SetOrdinal(Object, ParseInt64Text(Text)); return;
    case TPropKind::Enumeration: {
      const auto& ids = p.Enum->Identifiers;
      for (size_t i = 0; i < ids.size(); ++i)
        if (SameText(ids[i], Text)) {
          p.SetOrdinal(Object, int64_t(i));
          return;
        }
      // Storing an ordinal outside the type would leave the object in a state no identifier
      // names; the text is refused instead.
      throw TXMLNodeParsingError("\"" + Text + "\" is not a value of " + p.Enum->Name +
                                 " for property " + Object.ClassName() + "." + p.Name);
    }
    case TPropKind::Float:
      // A single property takes the text's value rounded once, not by way of a double.
      p.SetFloat(Object, p.FloatType == TFloatType::Single ? double(ParseSingleText(Text)) : ParseFloatText(Text));
      return;
    case TPropKind::String: p.SetString(Object, Text); return;
    case TPropKind::DynArray: break;
  }
}

}  // namespace plashbox
