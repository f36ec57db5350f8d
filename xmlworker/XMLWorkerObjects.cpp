#include "xmlworker/XMLWorkerObjects.h"

#include <algorithm>
#include <typeinfo>

#include "xmlworker/XMLProperties.h"

namespace plashbox {

namespace {

// Whether Node's implementing object answers IID. The answer's reference is counted on the
// object itself, so it is given back through the node reference whatever interface it was.
bool Answers(iXMLNode* Node, const TGUID& IID) {
  void* raw = nullptr;
  if (!Node->AsObject()->QueryInterface(IID, &raw)) return false;
  Node->Release();
  return true;
}

// Asks every filter about Node with the flags starting clear.
struct TFilterVerdict {
  bool HasForbids = false, Forbidden = false, HasAllows = false, Allowed = false;
  TFilterVerdict(const std::vector<XNFilterRef>& Filters, iXMLNode* Node) {
    for (const XNFilterRef& f : Filters) f->IsNodeDeadEnd(Node, HasForbids, Forbidden, HasAllows, Allowed);
  }
};

bool Contains(const std::vector<iXMLNode*>& Nodes, iXMLNode* Node) {
  return std::find(Nodes.begin(), Nodes.end(), Node) != Nodes.end();
}

}  // namespace

// ---------------------------------------------------------------------------
// Filters

void TXNBasicFilter::IsNodeDeadEnd(iXMLNode* Node, bool& HasForbids, bool& Forbidden, bool& HasAllows,
                                   bool& Allowed) {
  if (!Node) return;
  if (FAllow) {
    HasAllows = true;
    if (!Allowed) Allowed = Matches(Node);
  } else {
    HasForbids = true;
    if (!Forbidden) Forbidden = Matches(Node);
  }
}

bool TXNBasicFilter::Matches(iXMLNode*) { return false; }

bool TXNInterfaceTypeFilter::Matches(iXMLNode* Node) { return Answers(Node, InterfaceId); }

bool TXNInstanceFilter::Matches(iXMLNode* Node) { return Node->AsObject() == Instance; }

bool TXNNoBranchingFilter::Matches(iXMLNode*) { return true; }

// ---------------------------------------------------------------------------
// The node's side of a message

void TBasicXMLNode::PassBack(iXMLNode* Sender, iXNMessenger* Messenger) {
  if (Messenger) Messenger->DoProcessOnPassback(Sender, this);
}

void TBasicXMLNode::SendXNMessage(iXNAction* Action, TSendMessageVisits Visiting) {
  const XNMessengerRef messenger = NewObject<TXNMessenger>();
  bool passForward = false, processOnPassBack = false;
  switch (Visiting) {
    case smvAll:
      passForward = true;
      processOnPassBack = true;
      break;
    case smvAllExceptChildren:
      processOnPassBack = true;
      break;
    case smvParentsOnly:
      processOnPassBack = true;
      messenger->AddFilter(NewObject<TXNNoBranchingFilter>().get());
      break;
    case smvOtherBranchesFromRoot:
      break;
    case smvChildrenOnly:
      passForward = true;
      // The walk up stops at once because the parent is a dead end.
      if (const XMLNodeRef parent = GetParentNode())
        messenger->AddFilter(NewObject<TXNInstanceFilter>(parent->AsObject(), false).get());
      break;
  }
  messenger->AddAction(Action);
  messenger->SetPassForward(passForward);
  messenger->SetProcessOnPassBack(processOnPassBack);
  PassBack(this, messenger.get());
}

// ---------------------------------------------------------------------------
// TXNMessenger

void TXNMessenger::AfterConstruction() { Initialise(); }

void TXNMessenger::Initialise() {
  Actions = NewNode<TXMLNode>();
  UndoRecord = NewNode<TXNUndoRecord>();
}

void TXNMessenger::AddReturnMessage(iXNMessenger* Messenger) {
  if (Messenger) ReturnMessages.emplace_back(Messenger);
}

void TXNMessenger::AddAction(iXNAction* NewAction) { Actions->add(NewAction); }

void TXNMessenger::AddUndoAction(iXNAction* NewUndoAction) { UndoRecord->add(NewUndoAction); }

void TXNMessenger::AddFilter(iXNFilter* NewFilter) {
  if (NewFilter) Filters.emplace_back(NewFilter);
}

bool TXNMessenger::IsDeadEnd(iXMLNode* Node) {
  const TFilterVerdict v(Filters, Node);
  return (v.HasForbids && v.Forbidden) || (v.HasAllows && !v.Allowed);
}

bool TXNMessenger::FindAction(iXMLNode* Node, int32_t& Index) {
  const int32_t count = Actions->GetChildCount();
  for (int32_t i = 0; i < count; ++i) {
    const XNActionRef action = Supports<iXNAction>(Actions->GetChildren(i).get());
    if (action && action->DoYouWantMe(Node)) {
      Index = i;
      return true;
    }
  }
  return false;
}

bool TXNMessenger::NodeReached(iXMLNode*) { return false; }

void TXNMessenger::PerformActions(iXMLNode* Node, int32_t StartIndex) {
  NodeReached(Node);
  int32_t i = StartIndex;
  while (i < Actions->GetChildCount()) {
    const XNActionRef action = Supports<iXNAction>(Actions->GetChildren(i).get());
    if (action && action->DoYouWantMe(Node)) {
      action->PerformAction(Node, this);
      // An action that removed itself leaves its successor at this index.
      if (Actions->IsChild(action.get())) ++i;
    } else {
      ++i;
    }
  }
  if (Actions->GetChildCount() == 0) IsDone = true;
}

void TXNMessenger::ProcessNode(iXMLNode* Node) {
  int32_t index = 0;
  if (FindAction(Node, index)) PerformActions(Node, index);
}

bool TXNMessenger::DoProcessExcluding(iXMLNode* Node, const std::vector<iXMLNode*>& Excluded) {
  // Actions may rearrange the tree under us; hold the node for the whole walk.
  const XMLNodeRef keep(Node);
  ProcessNode(Node);
  int32_t i = 0;
  while (!IsDone && i < Node->GetChildCount()) {
    const XMLNodeRef child = Node->GetChildren(i);
    if (!IsDeadEnd(child.get()) && !Contains(Excluded, child.get())) DoProcessExcluding(child.get(), {});
    // A child that left or moved leaves another one at this index to look at.
    if (i < Node->GetChildCount() && Node->GetChildren(i) == child) ++i;
  }
  return Successful;
}

bool TXNMessenger::PassBackStep(iXMLNode* Sender, iXMLNode* Node) {
  const XMLNodeRef keep(Node);
  if (ProcessOnPassBack || PassForward) {
    if (const XMLNodeRef parent = Node->GetParentNode()) {
      if (PassForward) {
        DoProcessExcluding(Node, {});
        PassForward = false;
        IsDone = IsDeadEnd(parent.get());
      } else if (Sender == Node) {
        ProcessNode(Node);
      } else {
        DoProcessExcluding(Node, {Sender});
      }
    }
  }
  if (!IsDone) {
    if (const XMLNodeRef parent = Node->GetParentNode())
      PassBackStep(Node, parent.get());
    else
      DoProcessExcluding(Node, {Sender});
  }
  return Successful;
}

bool TXNMessenger::DoProcess(iXMLNode* Node) {
  const XNMessengerRef self(this);
  const bool result = DoProcessExcluding(Node, {});
  Finish(nullptr, Node);
  return result;
}

bool TXNMessenger::DoProcessOnPassback(iXMLNode* Sender, iXMLNode* Node) {
  const XNMessengerRef self(this);
  const bool result = PassBackStep(Sender, Node);
  Finish(Sender, Node);
  return result;
}

void TXNMessenger::Finish(iXMLNode* Sender, iXMLNode* Node) {
  if (Finished) return;
  Finished = true;

  const std::vector<XNMessengerRef> returns = std::move(ReturnMessages);
  ReturnMessages.clear();
  for (const XNMessengerRef& r : returns) {
    r->SetPassForward(true);
    r->SetProcessOnPassBack(true);
    r->DoProcessOnPassback(Sender, Node);
  }
  ReturnMessages.clear();

  if (OnPostUndoRecord) OnPostUndoRecord(UndoRecord.get());

  if (UndoRecord->GetChildCount() > 0) {
    // Goes up to the root and is offered to the root and the undo managers of its branches.
    const XMLNodeRef post = NewNode<TXNPostUndoRecordAction>(UndoRecord.get());
    const XNMessengerRef poster = NewObject<TXNMessenger>();
    poster->AddFilter(NewObject<TXNInterfaceTypeFilter>(iXNUndoManager::IID, true).get());
    poster->AddAction(Supports<iXNAction>(post.get()).get());
    poster->DoProcessOnPassback(Sender, Node);
  }
}

// ---------------------------------------------------------------------------
// TXNBasicAction

PLASHBOX_DEFINE_NODE_CLASS(TXNBasicAction, TXMLNode, nullptr, {iXNAction::IID})

TXNBasicAction::TXNBasicAction(iXNFilter* Filter, bool PerformOnce) : PerformOnce(PerformOnce) {
  if (Filter) AddFilter(Filter);
}

bool TXNBasicAction::QueryInterface(const TGUID& IID, void** Out) {
  return AnswerInterface<iXNAction>(this, IID, Out) || TXMLNode::QueryInterface(IID, Out);
}

void TXNBasicAction::AddFilter(iXNFilter* NewFilter) {
  if (NewFilter) Filters.emplace_back(NewFilter);
}

bool TXNBasicAction::DoYouWantMe(iXMLNode* Node) {
  const TFilterVerdict v(Filters, Node);
  return (v.HasAllows && v.Allowed) && !(v.HasForbids && v.Forbidden);
}

void TXNBasicAction::PerformAction(iXMLNode*, iXNMessenger*) {
  Perform();
  if (PerformOnce) SetParentNode(nullptr);
}

bool TXNBasicAction::IsEquivelent(iXNAction* NewAction) {
  if (!NewAction) return false;
  const TBasicXMLNode& mine = *AsObject();
  const TBasicXMLNode& theirs = *NewAction->AsObject();
  return typeid(mine) == typeid(theirs);
}

void TXNBasicAction::Perform() {}
void TXNBasicAction::UnPerform() {}
void TXNBasicAction::InitialiseForUndo() {}
void TXNBasicAction::InitialiseForRedo() {}
void TXNBasicAction::Merge(iXNAction*) {}
std::string TXNBasicAction::GetPerformText() { return {}; }
std::string TXNBasicAction::GetUnPerformText() { return {}; }

// ---------------------------------------------------------------------------
// TXNPostUndoRecordAction

PLASHBOX_DEFINE_NODE_CLASS(TXNPostUndoRecordAction, TXNBasicAction)

TXNPostUndoRecordAction::TXNPostUndoRecordAction(iXMLNode* UndoRecord)
    : TXNBasicAction(NewObject<TXNInterfaceTypeFilter>(iXNUndoManager::IID, true).get(), true),
      UndoRecord(UndoRecord) {}

void TXNPostUndoRecordAction::PerformAction(iXMLNode* Node, iXNMessenger* Sender) {
  const TRef<iXNUndoManager> manager = Supports<iXNUndoManager>(Node);
  const TRef<iXNUndoRecord> record = Supports<iXNUndoRecord>(UndoRecord.get());
  if (manager && record) manager->AddUndoRecord(record.get());
  TXNBasicAction::PerformAction(Node, Sender);
}

// ---------------------------------------------------------------------------
// TXNUndoRecord

PLASHBOX_DEFINE_NODE_CLASS(TXNUndoRecord, TXMLNode, nullptr, {iXNUndoRecord::IID})

bool TXNUndoRecord::QueryInterface(const TGUID& IID, void** Out) {
  return AnswerInterface<iXNUndoRecord>(this, IID, Out) || TXMLNode::QueryInterface(IID, Out);
}

int32_t TXNUndoRecord::add(iXMLNode* Node) {
  if (!Node) return -1;  // refused like any node refuses nil
  if (!Answers(Node, iXNAction::IID))
    throw TXMLNodeUndoManagerError(
        "Attempt to add a action to undo record which doesn't have correct Action interface.");
  return TXMLNode::add(Node);
}

TRef<iXNAction> TXNUndoRecord::GetAction(int32_t Index) {
  if (Index < 0 || Index > GetChildCount() - 1)
    throw TXMLNodeUndoManagerError("Trying to get undo record Action which is out of range.");
  TRef<iXNAction> action = Supports<iXNAction>(GetChildren(Index).get());
  if (!action)
    throw TXMLNodeUndoManagerError("Trying to get undo record Action which does not support action interface.");
  return action;
}

std::vector<TRef<iXNAction>> TXNUndoRecord::ActionsNow() {
  std::vector<TRef<iXNAction>> out;
  const int32_t count = GetChildCount();
  for (int32_t i = 0; i < count; ++i)
    if (TRef<iXNAction> action = Supports<iXNAction>(GetChildren(i).get())) out.push_back(std::move(action));
  return out;
}

void TXNUndoRecord::Undo() {
  // Every action is prepared before any is undone.
  const std::vector<TRef<iXNAction>> actions = ActionsNow();
  for (const TRef<iXNAction>& a : actions) a->InitialiseForUndo();
  for (const TRef<iXNAction>& a : actions) a->UnPerform();
}

void TXNUndoRecord::Redo() {
  const std::vector<TRef<iXNAction>> actions = ActionsNow();
  for (const TRef<iXNAction>& a : actions) a->InitialiseForRedo();
  for (const TRef<iXNAction>& a : actions) a->Perform();
}

std::string TXNUndoRecord::GetUndoText() {
  if (GetChildCount() == 0) return {};
  return GetAction(0)->GetUnPerformText() + (GetChildCount() > 1 ? "..." : "");
}

std::string TXNUndoRecord::GetRedoText() {
  if (GetChildCount() == 0) return {};
  return GetAction(0)->GetPerformText() + (GetChildCount() > 1 ? "..." : "");
}

bool TXNUndoRecord::MergeRecord(iXNUndoRecord* Other) {
  if (!Other) return false;
  const int32_t count = GetChildCount();
  if (count != Other->GetChildCount()) return false;
  for (int32_t k = 0; k < count; ++k) {
    const TRef<iXNAction> mine = GetAction(k);
    bool found = false;
    for (int32_t j = k; j < count && !found; ++j) {
      const TRef<iXNAction> theirs = Other->GetAction(j);
      if (mine->IsEquivelent(theirs.get())) {
        Other->Move(theirs.get(), k);
        found = true;
      }
    }
    if (!found) return false;
  }
  for (int32_t k = 0; k < count; ++k) GetAction(k)->Merge(Other->GetAction(k).get());
  return true;
}

}  // namespace plashbox
