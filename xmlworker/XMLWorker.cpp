// The node registry and the file helpers of the XML persistence.
#include "xmlworker/XMLWorker.h"

#include <fstream>

namespace plashbox {

// ---------------------------------------------------------------------------
// TNodeRegistry

namespace {

bool InheritsFromAny(const TNodeClass& Class, const TNodeRegistry::TClassList& Classes) {
  for (const TNodeClass* c : Classes)
    if (c && Class.InheritsFrom(*c)) return true;
  return false;
}

bool ImplementsAny(const TNodeClass& Class, const std::vector<TGUID>& IIDs) {
  for (const TGUID& g : IIDs)
    if (Class.Implements(g)) return true;
  return false;
}

}  // namespace

int32_t TNodeRegistry::IndexOfClass(const TNodeClass* NodeClass) const {
  for (size_t i = 0; i < Entries.size(); ++i)
    if (Entries[i].NodeClass == NodeClass) return static_cast<int32_t>(i);
  return -1;
}

void TNodeRegistry::CheckIndex(int32_t Index) const {
  if (Index < 0 || Index >= GetNodeCount()) throw TXMLNodeRegistryError("Node index is out of range.");
}

void TNodeRegistry::SetEntry(int32_t Index, const TNodeRegistryEntry& Entry) {
  CheckIndex(Index);
  Entries[static_cast<size_t>(Index)] = Entry;
}

int32_t TNodeRegistry::GetNodeCount() const { return static_cast<int32_t>(Entries.size()); }

TNodeRegistryEntry TNodeRegistry::GetEntry(int32_t Index) const {
  CheckIndex(Index);
  return Entries[static_cast<size_t>(Index)];
}

void TNodeRegistry::RegisterNode(const TNodeClass* NodeClass) { RegisterNodeWithRules(NodeClass, false, false, {}, {}); }

void TNodeRegistry::RegisterNodes(const TClassList& NodeClasses) {
  for (const TNodeClass* c : NodeClasses) RegisterNode(c);
}

void TNodeRegistry::RegisterNodeWithRules(const TNodeClass* NodeClass, bool RestrictParents, bool RestrictChildren,
                                          const TClassList& AllowedParents, const TClassList& AllowedChildren) {
  if (!NodeClass) throw TXMLNodeRegistryError("Node does not support iXMLNode. (Class=nil!!)");
  if (!NodeClass->Implements(iXMLNode::IID))
    throw TXMLNodeRegistryError("Node does not support iXMLNode. (" + NodeClass->ClassName() + ")");
  for (const TNodeRegistryEntry& e : Entries)
    if (SameText(e.NodeClass->ClassName(), NodeClass->ClassName()))
      throw TXMLNodeRegistryError("Node name already registered. (" + NodeClass->ClassName() + ")");
  TNodeRegistryEntry entry;
  entry.NodeClass = NodeClass;
  entry.RestrictParents = RestrictParents;
  entry.RestrictChildren = RestrictChildren;
  entry.AllowedParents = AllowedParents;
  entry.AllowedChildren = AllowedChildren;
  Entries.push_back(std::move(entry));
}

bool TNodeRegistry::IsChildAllowed(const TNodeClass* ParentClass, const TNodeClass* ChildClass) const {
  if (!ParentClass || !ChildClass) return false;
  for (const TNodeRegistryEntry& e : Entries) {
    if (!e.NodeClass) continue;  // an entry blanked through SetEntry decides nothing
    if (ParentClass->InheritsFrom(*e.NodeClass)) {
      if (e.RestrictChildren && !InheritsFromAny(*ChildClass, e.AllowedChildren)) return false;
      if (e.RestrictChildInterfaces && !ImplementsAny(*ChildClass, e.AllowedChildInterfaces)) return false;
    } else if (ChildClass->InheritsFrom(*e.NodeClass)) {
      if (e.RestrictParents && !InheritsFromAny(*ParentClass, e.AllowedParents)) return false;
      if (e.RestrictParentInterfaces && !ImplementsAny(*ParentClass, e.AllowedParentInterfaces)) return false;
    }
  }
  return true;
}

const TNodeClass* TNodeRegistry::FindNodeClass(std::string_view Name) const {
  for (const TNodeRegistryEntry& e : Entries)
    if (e.NodeClass && SameText(e.NodeClass->ClassName(), Name)) return e.NodeClass;
  return nullptr;
}

bool TNodeRegistry::IsRegistered(std::string_view Name) const { return FindNodeClass(Name) != nullptr; }

XMLNodeRef TNodeRegistry::CreateNode(std::string_view Name, std::string_view AttributeText, bool SkipUnknown) const {
  const TNodeClass* cls = FindNodeClass(Name);
  if (!cls) return nullptr;
  XMLNodeRef node = cls->Create();
  // A registered class without a parameterless construction (an abstract base) gives no node;
  // saying so beats handing the reader a nil to fill.
  if (!node) throw TXMLNodeRegistryError("Node class cannot be created. (" + cls->ClassName() + ")");
  ApplyAttributes(*node->AsObject(), AttributeText, SkipUnknown);
  return node;
}

TNodeRegistry& NodeRegistry() {
  static TNodeRegistry registry;
  return registry;
}

namespace {
// Made when the framework starts, as the number format is, rather than on first use.
[[maybe_unused]] TNodeRegistry& StartupRegistry = NodeRegistry();
}  // namespace

// ---------------------------------------------------------------------------
// Files

void SaveNodeToFile(iXMLNode& Node, const std::string& FileName, bool Format) {
  std::ofstream out(FileName, std::ios::binary | std::ios::trunc);
  if (!out) throw TXMLNodeError("Cannot create file: " + FileName);
  Node.SaveToStream(out, Format, 0);
  out.flush();
  if (!out) throw TXMLNodeError("Cannot write file: " + FileName);
}

void LoadNodesFromFile(iXMLNode& Parent, const std::string& FileName, bool SkipUnknown) {
  std::ifstream in(FileName, std::ios::binary);
  if (!in) throw TXMLNodeError("Cannot open file: " + FileName);
  if (SkipUnknown)
    Parent.LoadFromStreamSkipUnknows(in);
  else
    Parent.LoadFromStream(in);
}

}  // namespace plashbox
