#include "frame/SceneHistory.h"

#include <algorithm>
#include <utility>

namespace plashbox {

// ---------------------------------------------------------------------------
// TSceneEdit

TSceneEdit::TSceneEdit(iXMLNode* Target, std::string Text, bool HoldTarget)
    : TXNBasicAction(NewObject<TXNInstanceFilter>(Target->AsObject(), true).get(), true),
      FTarget(Target),
      Held(HoldTarget ? Target : nullptr),
      Text(std::move(Text)) {}

void TSceneEdit::PerformAction(iXMLNode* Node, iXNMessenger* Sender) {
  // Performed, and out of the messenger's list of actions, then into its undo record.
  TXNBasicAction::PerformAction(Node, Sender);
  if (Sender) Sender->AddUndoAction(this);
}

// ---------------------------------------------------------------------------
// TPropertyEdit

PLASHBOX_DEFINE_NODE_CLASS(TPropertyEdit, TXNBasicAction)

TPropertyEdit::TPropertyEdit(TNodeChanges Changes, std::string Text)
    : TSceneEdit(Changes.Node.get(), std::move(Text)), Edit(std::move(Changes)) {}

void TPropertyEdit::Write(bool After) {
  TBasicXMLNode& node = *Edit.Node;
  for (const TPropertyChange& c : Edit.Changes) {
    const TPublishedValue& wanted = After ? c.After : c.Before;
    if (!SamePublished(ReadPublished(*c.Property, node), wanted)) WritePublished(*c.Property, node, wanted);
  }
}

void TPropertyEdit::Perform() { Write(true); }
void TPropertyEdit::UnPerform() {
  // Backwards, so that a setter that moves another value sees the state it was changed from.
  std::reverse(Edit.Changes.begin(), Edit.Changes.end());
  Write(false);
  std::reverse(Edit.Changes.begin(), Edit.Changes.end());
}

bool TPropertyEdit::IsEquivelent(iXNAction* NewAction) {
  if (!TXNBasicAction::IsEquivelent(NewAction)) return false;
  const auto& other = static_cast<const TPropertyEdit&>(*NewAction->AsObject());
  if (other.Edit.Node != Edit.Node || other.Edit.Changes.size() != Edit.Changes.size()) return false;
  for (size_t i = 0; i < Edit.Changes.size(); ++i)
    if (other.Edit.Changes[i].Property != Edit.Changes[i].Property) return false;
  return true;
}

void TPropertyEdit::Merge(iXNAction* Other) {
  const auto& other = static_cast<const TPropertyEdit&>(*Other->AsObject());
  for (size_t i = 0; i < Edit.Changes.size(); ++i) Edit.Changes[i].After = other.Edit.Changes[i].After;
}

// ---------------------------------------------------------------------------
// TObjectEdit

PLASHBOX_DEFINE_NODE_CLASS(TObjectEdit, TXNBasicAction)

TObjectEdit::TObjectEdit(iXMLNode* Parent, iXMLNode* Object, int32_t Position, bool Adding, std::string Text)
    : TSceneEdit(Parent, std::move(Text)), Object(Object), Position(Position), Adding(Adding) {}

void TObjectEdit::Place(bool In) {
  iXMLNode& parent = *Target();
  if (In) {
    if (parent.IsChild(Object.get())) return;
    parent.add(Object.get());
    parent.Move(Object.get(), std::clamp(Position, 0, parent.GetChildCount() - 1));
  } else if (parent.IsChild(Object.get())) {
    parent.Remove(Object.get());
  }
}

// ---------------------------------------------------------------------------
// TSceneSwap

PLASHBOX_DEFINE_NODE_CLASS(TSceneSwap, TXNBasicAction)

TSceneSwap::TSceneSwap(iXMLNode* Document, TRef<TWaterCollection> Old, TRef<TWaterCollection> New,
                       TInstall Install, std::string Text)
    : TSceneEdit(Document, std::move(Text), false),
      Old(std::move(Old)),
      New(std::move(New)),
      Install(std::move(Install)) {}

// ---------------------------------------------------------------------------
// TSceneHistory

PLASHBOX_DEFINE_NODE_CLASS(TSceneHistory, TXMLNode, nullptr, {iXNUndoManager::IID})

bool TSceneHistory::QueryInterface(const TGUID& IID, void** Out) {
  return AnswerInterface<iXNUndoManager>(this, IID, Out) || TXMLNode::QueryInterface(IID, Out);
}

void TSceneHistory::Record(const std::vector<TRef<TSceneEdit>>& Edits, bool Merge) {
  if (Edits.empty()) return;
  const XNMessengerRef messenger = NewObject<TXNMessenger>();
  for (const TRef<TSceneEdit>& edit : Edits) messenger->AddAction(edit.get());
  MergeNext = Merge;
  messenger->DoProcess(this);
  MergeNext = false;
}

void TSceneHistory::AddUndoRecord(iXNUndoRecord* Record) {
  Undone.clear();
  if (MergeNext && !Done.empty() && Done.back()->MergeRecord(Record)) return;
  Done.emplace_back(Record);
  if (Done.size() > MaxSteps) Done.erase(Done.begin());
}

std::string TSceneHistory::UndoText() const {
  return Done.empty() ? std::string() : Done.back()->GetAction(0)->GetUnPerformText();
}

std::string TSceneHistory::RedoText() const {
  return Undone.empty() ? std::string() : Undone.back()->GetAction(0)->GetPerformText();
}

void TSceneHistory::Undo() {
  if (Done.empty()) return;
  const TRef<iXNUndoRecord> record = Done.back();
  Done.pop_back();
  record->Undo();
  Undone.push_back(record);
}

void TSceneHistory::Redo() {
  if (Undone.empty()) return;
  const TRef<iXNUndoRecord> record = Undone.back();
  Undone.pop_back();
  record->Redo();
  Done.push_back(record);
}

void TSceneHistory::Forget() {
  Done.clear();
  Undone.clear();
}

}  // namespace plashbox
