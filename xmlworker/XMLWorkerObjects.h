// xmlworker/: the node tree, class registry, XML text, messenger and undo.
// Messages through the node tree: filters, actions, the messenger that walks the tree with
// them, and undo records that collect actions for whatever node keeps the undo history.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "xmlworker/XMLNode.h"

namespace plashbox {

class TXNMessenger;
class iXNUndoRecord;

// ---------------------------------------------------------------------------
// Counted objects that are not nodes (messengers, filters)

// Implements the basic counted interface for one interface I. Made through NewObject only.
template <class I>
class TCountedObject : public I {
 public:
  bool QueryInterface(const TGUID& IID, void** Out) override {
    if (AnswerInterface<I>(this, IID, Out) || AnswerInterface<iInterface>(this, IID, Out)) return true;
    *Out = nullptr;
    return false;
  }
  int32_t AddRef() override { return Count.fetch_add(1) + 1; }
  int32_t Release() override {
    const int32_t left = Count.fetch_sub(1) - 1;
    if (left == 0) delete this;
    return left;
  }
  int32_t RefCount() const { return Count.load(); }

  // Runs once the whole object is constructed, so that virtual set-up reaches the descendant.
  virtual void AfterConstruction() {}

  TCountedObject() = default;
  TCountedObject(const TCountedObject&) = delete;
  TCountedObject& operator=(const TCountedObject&) = delete;

 protected:
  virtual ~TCountedObject() = default;

 private:
  // One from the start: the construction count becomes the creator's reference.
  std::atomic<int32_t> Count{1};
};

template <class T, class... Args>
TRef<T> NewObject(Args&&... args) {
  TRef<T> ref = TRef<T>::Adopt(new T(std::forward<Args>(args)...));
  ref->AfterConstruction();
  return ref;
}

// ---------------------------------------------------------------------------
// Filters

class iXNFilter : public iInterface {
 public:
  static constexpr TGUID IID{0x418CB0F8, 0x592F, 0x48C9, {0x92, 0xC6, 0x6F, 0x3A, 0xA1, 0x77, 0xCF, 0xF5}};

  // Updates the four flags that the caller accumulates over all its filters; the caller clears
  // them before asking the first one.
  virtual void IsNodeDeadEnd(iXMLNode* Node, bool& HasForbids, bool& Forbidden, bool& HasAllows,
                             bool& Allowed) = 0;

 protected:
  ~iXNFilter() = default;
};

using XNFilterRef = TRef<iXNFilter>;

// Allows or forbids the nodes it matches; the base matches nothing.
class TXNBasicFilter : public TCountedObject<iXNFilter> {
 public:
  explicit TXNBasicFilter(bool Allow) : FAllow(Allow) {}

  void IsNodeDeadEnd(iXMLNode* Node, bool& HasForbids, bool& Forbidden, bool& HasAllows,
                     bool& Allowed) override;

  bool GetAllow() const { return FAllow; }
  void SetAllow(bool Value) { FAllow = Value; }

 protected:
  virtual bool Matches(iXMLNode* Node);

 private:
  bool FAllow;
};

// Matches the nodes whose implementing object answers the interface identifier.
class TXNInterfaceTypeFilter : public TXNBasicFilter {
 public:
  TXNInterfaceTypeFilter(const TGUID& InterfaceId, bool Allow) : TXNBasicFilter(Allow), InterfaceId(InterfaceId) {}

 protected:
  bool Matches(iXMLNode* Node) override;

 private:
  TGUID InterfaceId;
};

// Matches one object. The reference is not counted and only ever compared, never followed.
class TXNInstanceFilter : public TXNBasicFilter {
 public:
  TXNInstanceFilter(const TBasicXMLNode* Instance, bool Allow) : TXNBasicFilter(Allow), Instance(Instance) {}

 protected:
  bool Matches(iXMLNode* Node) override;

 private:
  const TBasicXMLNode* Instance;
};

// Forbids every node: a messenger holding it never enters a child.
class TXNNoBranchingFilter : public TXNBasicFilter {
 public:
  TXNNoBranchingFilter() : TXNBasicFilter(false) {}

 protected:
  bool Matches(iXMLNode* Node) override;
};

// ---------------------------------------------------------------------------
// Interfaces of messages and undo

using TXNNotifyEvent = std::function<void(iXMLNode* Node)>;

class iXNAction : public virtual iXMLNode {
 public:
  static constexpr TGUID IID{0x4D7B555C, 0x8C5E, 0x4918, {0x8B, 0x92, 0x92, 0x0C, 0xDD, 0x32, 0x47, 0x1C}};

  virtual void AddFilter(iXNFilter* NewFilter) = 0;
  virtual bool DoYouWantMe(iXMLNode* Node) = 0;
  virtual void PerformAction(iXMLNode* Node, iXNMessenger* Sender) = 0;
  virtual void Perform() = 0;
  virtual void UnPerform() = 0;
  virtual std::string GetPerformText() = 0;
  virtual std::string GetUnPerformText() = 0;
  virtual void InitialiseForUndo() = 0;
  virtual void InitialiseForRedo() = 0;
  virtual bool IsEquivelent(iXNAction* NewAction) = 0;
  virtual void Merge(iXNAction* UndoRecord) = 0;

 protected:
  ~iXNAction() = default;
};

class iXNMessenger : public iInterface {
 public:
  static constexpr TGUID IID{0x9782703D, 0xE39F, 0x480E, {0xB3, 0x78, 0x7D, 0xC9, 0x34, 0xC7, 0xD5, 0x9D}};

  virtual bool GetProcessOnPassBack() = 0;
  virtual void SetProcessOnPassBack(bool Value) = 0;
  virtual bool GetPassForward() = 0;
  virtual void SetPassForward(bool Value) = 0;
  virtual bool GetSuccessful() = 0;
  virtual void SetSuccessful(bool Value) = 0;
  virtual std::string GetStatusText() = 0;
  virtual void SetStatusText(const std::string& Value) = 0;
  virtual TXNNotifyEvent GetOnPostUndoRecord() = 0;
  virtual void SetOnPostUndoRecord(TXNNotifyEvent Value) = 0;
  virtual bool DoProcess(iXMLNode* Node) = 0;
  virtual bool DoProcessOnPassback(iXMLNode* Sender, iXMLNode* Node) = 0;
  virtual bool DoProcessExcluding(iXMLNode* Node, const std::vector<iXMLNode*>& Excluded) = 0;
  virtual bool Done() = 0;
  virtual void AddReturnMessage(iXNMessenger* Messenger) = 0;
  virtual void AddAction(iXNAction* NewAction) = 0;
  virtual void AddUndoAction(iXNAction* NewUndoAction) = 0;
  virtual void AddFilter(iXNFilter* NewFilter) = 0;
  virtual TXNMessenger* AsObject() = 0;

 protected:
  ~iXNMessenger() = default;
};

class iXNUndoRecord : public virtual iXMLNode {
 public:
  static constexpr TGUID IID{0xD54F94BC, 0x8798, 0x4DA2, {0xA9, 0x52, 0x41, 0x95, 0x8B, 0x8F, 0x13, 0x59}};

  virtual void Undo() = 0;
  virtual void Redo() = 0;
  virtual bool MergeRecord(iXNUndoRecord* Other) = 0;
  virtual std::string GetUndoText() = 0;
  virtual std::string GetRedoText() = 0;
  virtual TRef<iXNAction> GetAction(int32_t Index) = 0;

 protected:
  ~iXNUndoRecord() = default;
};

// Implemented by the node that keeps the undo history; the framework only hands it records.
// It extends the node interface so that a node implementing it keeps one counted identity.
class iXNUndoManager : public virtual iXMLNode {
 public:
  static constexpr TGUID IID{0x1C056F66, 0x60A8, 0x4037, {0xBA, 0xBC, 0xCC, 0xFA, 0xA4, 0x7A, 0x9C, 0xC0}};

  virtual void AddUndoRecord(iXNUndoRecord* Record) = 0;

 protected:
  ~iXNUndoManager() = default;
};

using XNMessengerRef = TRef<iXNMessenger>;
using XNActionRef = TRef<iXNAction>;

// ---------------------------------------------------------------------------
// The messenger

// Carries actions through the tree for one message and, once the walk is over, hands the undo
// actions it collected to the first undo manager it finds. Made through NewObject only.
class TXNMessenger : public TCountedObject<iXNMessenger> {
 public:
  TXNMessenger() = default;
  void AfterConstruction() override;

  bool GetProcessOnPassBack() override { return ProcessOnPassBack; }
  void SetProcessOnPassBack(bool Value) override { ProcessOnPassBack = Value; }
  bool GetPassForward() override { return PassForward; }
  void SetPassForward(bool Value) override { PassForward = Value; }
  bool GetSuccessful() override { return Successful; }
  void SetSuccessful(bool Value) override { Successful = Value; }
  std::string GetStatusText() override { return StatusText; }
  void SetStatusText(const std::string& Value) override { StatusText = Value; }
  TXNNotifyEvent GetOnPostUndoRecord() override { return OnPostUndoRecord; }
  void SetOnPostUndoRecord(TXNNotifyEvent Value) override { OnPostUndoRecord = std::move(Value); }

  bool DoProcess(iXMLNode* Node) override;
  bool DoProcessOnPassback(iXMLNode* Sender, iXMLNode* Node) override;
  // Node and its subtree, skipping the children of Node that are among Excluded.
  bool DoProcessExcluding(iXMLNode* Node, const std::vector<iXMLNode*>& Excluded) override;
  bool Done() override { return IsDone; }
  void AddReturnMessage(iXNMessenger* Messenger) override;
  void AddAction(iXNAction* NewAction) override;
  void AddUndoAction(iXNAction* NewUndoAction) override;
  void AddFilter(iXNFilter* NewFilter) override;
  TXNMessenger* AsObject() override { return this; }

 protected:
  virtual bool IsDeadEnd(iXMLNode* Node);
  virtual bool FindAction(iXMLNode* Node, int32_t& Index);
  virtual void PerformActions(iXMLNode* Node, int32_t StartIndex);
  // Called for every node offered to the actions; the answer is not used.
  virtual bool NodeReached(iXMLNode* Node);
  virtual void Initialise();

  void ProcessNode(iXMLNode* Node);
  // The walk towards the root.
  bool PassBackStep(iXMLNode* Sender, iXMLNode* Node);
  // Sends the return messages and posts the undo record; runs once.
  void Finish(iXMLNode* Sender, iXMLNode* Node);

 private:
  XMLNodeRef Actions;
  XMLNodeRef UndoRecord;
  bool ProcessOnPassBack = false;
  bool Successful = false;
  bool IsDone = false;
  std::vector<XNMessengerRef> ReturnMessages;
  bool PassForward = false;
  bool Finished = false;
  std::vector<XNFilterRef> Filters;
  std::string StatusText;
  TXNNotifyEvent OnPostUndoRecord;
};

// ---------------------------------------------------------------------------
// Actions

// An action that does nothing to the nodes its filters let it want. Without filters it wants
// no node; a one-shot action leaves the messenger after its first node.
class TXNBasicAction : public TXMLNode, public iXNAction {
 public:
  PLASHBOX_NODE_CLASS;

  explicit TXNBasicAction(iXNFilter* Filter = nullptr, bool PerformOnce = false);

  bool QueryInterface(const TGUID& IID, void** Out) override;

  void PerformAction(iXMLNode* Node, iXNMessenger* Sender) override;
  void Perform() override;
  void UnPerform() override;
  bool DoYouWantMe(iXMLNode* Node) override;
  std::string GetPerformText() override;
  std::string GetUnPerformText() override;
  void InitialiseForUndo() override;
  void InitialiseForRedo() override;
  bool IsEquivelent(iXNAction* NewAction) override;
  void Merge(iXNAction* UndoRecord) override;
  void AddFilter(iXNFilter* NewFilter) override;

 protected:
  ~TXNBasicAction() override = default;

 private:
  std::vector<XNFilterRef> Filters;
  bool PerformOnce;
};

// Hands an undo record to the first undo manager it is offered.
class TXNPostUndoRecordAction : public TXNBasicAction {
 public:
  PLASHBOX_NODE_CLASS;

  explicit TXNPostUndoRecordAction(iXMLNode* UndoRecord);

  void PerformAction(iXMLNode* Node, iXNMessenger* Sender) override;

 protected:
  ~TXNPostUndoRecordAction() override = default;

 private:
  XMLNodeRef UndoRecord;
};

// ---------------------------------------------------------------------------
// Undo records

// Its children are the actions of one undoable step, in the order they were done.
class TXNUndoRecord : public TXMLNode, public iXNUndoRecord {
 public:
  PLASHBOX_NODE_CLASS;

  bool QueryInterface(const TGUID& IID, void** Out) override;
  // Takes actions only.
  int32_t add(iXMLNode* Node) override;

  void Undo() override;
  void Redo() override;
  // Reorders Other's actions to match ours class by class, then merges them pairwise.
  bool MergeRecord(iXNUndoRecord* Other) override;
  std::string GetUndoText() override;
  std::string GetRedoText() override;
  TRef<iXNAction> GetAction(int32_t Index) final;

 protected:
  ~TXNUndoRecord() override = default;

 private:
  std::vector<TRef<iXNAction>> ActionsNow();
};

}  // namespace plashbox
