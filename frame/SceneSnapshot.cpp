#include "frame/SceneSnapshot.h"

#include <cstring>

namespace plashbox {

std::vector<const TPropInfo*> UndoableProperties(const TNodeClass& Class) {
  std::vector<const TPropInfo*> out;
  for (const TPropInfo& p : Class.Properties())
    if (p.Readable() && p.Writable() && !p.LeftByUndo && p.Kind != TPropKind::DynArray) out.push_back(&p);
  return out;
}

TPublishedValue ReadPublished(const TPropInfo& Property, const TBasicXMLNode& Node) {
  switch (Property.Kind) {
    case TPropKind::Float: return Property.GetFloat(Node);
    case TPropKind::String: return Property.GetString(Node);
    default: return Property.GetOrdinal(Node);
  }
}

void WritePublished(const TPropInfo& Property, TBasicXMLNode& Node, const TPublishedValue& Value) {
  if (const auto* f = std::get_if<double>(&Value))
    Property.SetFloat(Node, *f);
  else if (const auto* s = std::get_if<std::string>(&Value))
    Property.SetString(Node, *s);
  else
    Property.SetOrdinal(Node, std::get<int64_t>(Value));
}

bool SamePublished(const TPublishedValue& A, const TPublishedValue& B) {
  if (A.index() != B.index()) return false;
  // Bit for bit: -0 differs from 0 and a NaN equals itself (memcmp, as the browser build's C++
  // library has no std::bit_cast).
  if (const auto* f = std::get_if<double>(&A)) return std::memcmp(f, &std::get<double>(B), sizeof(double)) == 0;
  return A == B;
}

namespace {

void Collect(TBasicXMLNode& Node, std::vector<TRef<TBasicXMLNode>>& Out) {
  Out.emplace_back(&Node);
  const int32_t count = Node.GetChildCount();
  for (int32_t i = 0; i < count; ++i)
    if (const XMLNodeRef child = Node.GetChildren(i)) Collect(*child->AsObject(), Out);
}

}  // namespace

TSceneSnapshot TSceneSnapshot::Take(TBasicXMLNode& Root) {
  std::vector<TRef<TBasicXMLNode>> nodes;
  Collect(Root, nodes);
  TSceneSnapshot shot;
  shot.Entries.reserve(nodes.size());
  for (TRef<TBasicXMLNode>& node : nodes) {
    TEntry& e = shot.Entries.emplace_back();
    e.Properties = UndoableProperties(node->ClassType());
    for (const TPropInfo* p : e.Properties) e.Values.push_back(ReadPublished(*p, *node));
    e.Node = std::move(node);
  }
  return shot;
}

std::vector<TNodeChanges> Changes(const TSceneSnapshot& Before, const TSceneSnapshot& After) {
  std::vector<TNodeChanges> out;
  for (const TSceneSnapshot::TEntry& now : After.Entries)
    for (const TSceneSnapshot::TEntry& then : Before.Entries) {
      if (then.Node != now.Node) continue;
      TNodeChanges node{now.Node, {}};
      for (size_t i = 0; i < now.Values.size(); ++i)
        if (!SamePublished(then.Values[i], now.Values[i]))
          node.Changes.push_back({now.Properties[i], then.Values[i], now.Values[i]});
      if (!node.Changes.empty()) out.push_back(std::move(node));
      break;
    }
  return out;
}

}  // namespace plashbox
