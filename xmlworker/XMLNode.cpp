#include "xmlworker/XMLNode.h"

#include <algorithm>

#include "xmlworker/XMLProperties.h"
#include "xmlworker/XMLWorker.h"

namespace plashbox {

// ---------------------------------------------------------------------------
// TBasicXMLNode

TBasicXMLNode::~TBasicXMLNode() = default;

const std::string& TBasicXMLNode::ClassName() const { return ClassType().ClassName(); }

bool TBasicXMLNode::QueryInterface(const TGUID& IID, void** Out) {
  if (IID == iXMLNode::IID || IID == iInterface::IID) {
    iXMLNode* self = this;
    self->AddRef();
    *Out = self;
    return true;
  }
  *Out = nullptr;
  return false;
}

int32_t TBasicXMLNode::AddRef() { return Count.fetch_add(1) + 1; }

int32_t TBasicXMLNode::Release() {
  const int32_t left = Count.fetch_sub(1) - 1;
  if (left == 0) Destroy();
  return left;
}

void TBasicXMLNode::Destroy() {
  if (Count.load() != 0) throw TXMLNodeError("Node being destroyed with none zero reference count");
  // A destructor that takes and drops a counted reference to its own node must not bring the
  // count back to zero and free the node a second time.
  Count.store(DestroyingCount);
  delete this;
}

void TBasicXMLNode::Initialise() { Parent = nullptr; }

int32_t TBasicXMLNode::GetChildCount() { return 0; }

TRef<iXMLNode> TBasicXMLNode::GetChildren(int32_t) {
  throw TXMLNodeError("This object can have no children");
}

TRef<iXMLNode> TBasicXMLNode::GetParentNode() { return Parent; }

void TBasicXMLNode::SetParentNode(iXMLNode* Value) {
  // Leaving the old parent's list may drop the last counted reference; hold one meanwhile.
  const XMLNodeRef self(this);
  const XMLNodeRef old = GetParentNode();
  if (old == Value) return;
  if (Value && !Value->IsChild(this)) {
    Value->add(this);
    // A parent that refused the node (one that can have no children) must not be named by it:
    // it would not clear the field when it goes, and the node would point at freed memory.
    if (!Value->IsChild(this)) return;
  }
  if (old && old->IsChild(this)) old->Remove(this);
  Parent = Value ? Value->AsObject() : nullptr;
}

TParamWriteStyle TBasicXMLNode::GetParamWriteStyle() { return pwsAllAttribs; }

int32_t TBasicXMLNode::GetPosition() {
  const XMLNodeRef parent = GetParentNode();
  if (!parent) return -1;
  const int32_t count = parent->GetChildCount();
  for (int32_t i = 0; i < count; ++i)
    if (parent->GetChildren(i)->AsObject() == this) return i;
  return -1;
}

void TBasicXMLNode::SetPosition(int32_t Value) {
  const XMLNodeRef parent = GetParentNode();
  if (!parent) return;
  const int32_t count = parent->GetChildCount();
  if (Value < 0) Value = 0;
  if (Value >= count) Value = count - 1;
  if (Value != GetPosition()) parent->Move(this, Value);
}

int32_t TBasicXMLNode::add(iXMLNode*) { return -1; }

void TBasicXMLNode::Remove(iXMLNode*) {
  throw TXMLNodeError("This object can have no children so cannot do \"Remove\" ");
}

void TBasicXMLNode::Clear() {}

bool TBasicXMLNode::IsChild(iXMLNode*) { return false; }

int32_t TBasicXMLNode::Move(iXMLNode*, int32_t) {
  throw TXMLNodeError("This object can have no children so cannot do \"Move\" ");
}

TBasicXMLNode* TBasicXMLNode::AsObject() { return this; }

void TBasicXMLNode::SaveToStream(std::ostream& Stream, bool Format, int32_t Indent) {
  SaveNodeToStream(*this, Stream, Format, Indent);
}
void TBasicXMLNode::LoadFromStream(std::istream& Stream) { LoadNodeFromStream(*this, Stream, false); }
void TBasicXMLNode::LoadFromStreamSkipUnknows(std::istream& Stream) { LoadNodeFromStream(*this, Stream, true); }

// PassBack and SendXNMessage are defined with the messenger, in XMLWorkerObjects.cpp.

// ---------------------------------------------------------------------------
// TXMLNode

TXMLNode::~TXMLNode() {
  // A child that is still referenced elsewhere must not keep pointing at a freed parent.
  if (ChildList)
    for (const XMLNodeRef& child : *ChildList) {
      TBasicXMLNode* object = child->AsObject();
      if (object->Parent == this) object->Parent = nullptr;
    }
}

int32_t TXMLNode::GetChildCount() {
  return ChildList ? static_cast<int32_t>(ChildList->size()) : 0;
}

TRef<iXMLNode> TXMLNode::GetChildren(int32_t Index) {
  if (!ChildList) throw TXMLNodeError("There are no children in node.");
  if (Index >= static_cast<int32_t>(ChildList->size()))
    throw TXMLNodeError("Index is higher than child count");
  if (Index < 0) throw TXMLNodeError("Index is less than zero");
  return (*ChildList)[static_cast<size_t>(Index)];
}

int32_t TXMLNode::add(iXMLNode* Node) {
  if (!Node) return -1;
  // The node itself or one of its ancestors as its child would make a cycle that no release
  // frees and that Clear would follow for ever.
  for (const TBasicXMLNode* a = this; a; a = a->Parent)
    if (a == Node->AsObject()) return -1;
  if (IsChild(Node)) {
    const int32_t count = GetChildCount();
    for (int32_t i = 0; i < count; ++i)
      if (GetChildren(i) == Node) return i;
  }
  if (!ChildList) ChildList = std::make_unique<std::vector<XMLNodeRef>>();
  ChildList->emplace_back(Node);
  const auto index = static_cast<int32_t>(ChildList->size()) - 1;
  Node->SetParentNode(this);
  return index;
}

void TXMLNode::Remove(iXMLNode* Node) {
  if (!ChildList) throw TXMLNodeError("Can't remove child nodes when parent has no children yet");
  // Keep Node alive until its parent field is cleared, even if the list held the last reference.
  const XMLNodeRef keep(Node);
  for (auto i = static_cast<std::ptrdiff_t>(ChildList->size()) - 1; i >= 0; --i) {
    if (static_cast<size_t>(i) >= ChildList->size()) continue;
    if ((*ChildList)[static_cast<size_t>(i)] == Node) {
      ChildList->erase(ChildList->begin() + i);
      Node->SetParentNode(nullptr);
    }
  }
}

void TXMLNode::Clear() {
  if (!ChildList) return;
  while (!ChildList->empty()) {
    const XMLNodeRef first = ChildList->front();
    first->Clear();
    Remove(first.get());
  }
  ChildList->clear();
}

bool TXMLNode::IsChild(iXMLNode* Node) {
  if (!ChildList) return false;
  return std::find(ChildList->begin(), ChildList->end(), XMLNodeRef(Node)) != ChildList->end();
}

int32_t TXMLNode::Move(iXMLNode* child, int32_t Position) {
  if (!ChildList || !child) return -1;
  if (child->GetParentNode() != static_cast<iXMLNode*>(this) || !IsChild(child)) return -1;
  const auto found = std::find(ChildList->begin(), ChildList->end(), XMLNodeRef(child));
  const auto former = static_cast<int32_t>(found - ChildList->begin());
  XMLNodeRef entry = std::move(*found);
  ChildList->erase(found);
  if (Position < 0 || Position > static_cast<int32_t>(ChildList->size())) {
    ChildList->insert(ChildList->begin() + former, std::move(entry));
    throw TXMLNodeError("List index out of bounds (" + std::to_string(Position) + ")");
  }
  ChildList->insert(ChildList->begin() + Position, std::move(entry));
  return former;
}

}  // namespace plashbox
