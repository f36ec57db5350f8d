#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "xmlworker/XMLNode.h"
#include "xmlworker/XMLWorkerObjects.h"
#include "tests/xmlworker/ErrorText.h"

using namespace plashbox;

namespace {

using plashbox::tests::MessageOf;

using TLog = std::vector<std::string>;

struct TNamed : TXMLNode {
  explicit TNamed(std::string Name = {}) : Name(std::move(Name)) {}
  std::string Name;
  int Value = 0;
};

struct TNamedLeaf : TBasicXMLNode {
  explicit TNamedLeaf(std::string Name) : Name(std::move(Name)) {}
  std::string Name;
};

std::string NameOf(iXMLNode* n) {
  if (auto* named = NodeAs<TNamed>(n)) return named->Name;
  if (auto* leaf = NodeAs<TNamedLeaf>(n)) return leaf->Name;
  return "?";
}

std::string Joined(const TLog& log) {
  std::string out;
  for (const std::string& s : log) out += (out.empty() ? "" : " ") + s;
  return out;
}

XNFilterRef AllowInterface(const TGUID& iid) { return NewObject<TXNInterfaceTypeFilter>(iid, true); }
XNFilterRef Everything() { return AllowInterface(iXMLNode::IID); }

// Notes every node it is performed on.
class TRecordAction : public TXNBasicAction {
 public:
  TRecordAction(TLog* Log, iXNFilter* Filter, bool Once) : TXNBasicAction(Filter, Once), Log(Log) {}
  void PerformAction(iXMLNode* Node, iXNMessenger* Sender) override {
    Log->push_back(NameOf(Node));
    TXNBasicAction::PerformAction(Node, Sender);
  }
  TLog* Log;
};

// Keeps the undo history handed up after a message.
class TUndoManager : public TNamed, public iXNUndoManager {
 public:
  using TNamed::TNamed;
  bool QueryInterface(const TGUID& IID, void** Out) override {
    if (IID == iXNUndoManager::IID) {
      iXNUndoManager* self = this;
      self->AddRef();
      *Out = self;
      return true;
    }
    return TNamed::QueryInterface(IID, Out);
  }
  void AddUndoRecord(iXNUndoRecord* Record) override { Records.emplace_back(Record); }
  std::vector<TRef<iXNUndoRecord>> Records;
};

//  R
//  +- A
//  |  +- A1
//  |  |  +- A1a
//  |  +- A2
//  +- B
//     +- B1
struct TTree {
  TRef<TNamed> R = NewNode<TNamed>("R"), A = NewNode<TNamed>("A"), A1 = NewNode<TNamed>("A1"),
               A1a = NewNode<TNamed>("A1a"), A2 = NewNode<TNamed>("A2"), B = NewNode<TNamed>("B"),
               B1 = NewNode<TNamed>("B1");
  TTree() {
    R->add(A.get());
    A->add(A1.get());
    A1->add(A1a.get());
    A->add(A2.get());
    R->add(B.get());
    B->add(B1.get());
  }
};

std::string Visits(iXMLNode* Start, TSendMessageVisits Visiting, bool Once = false) {
  TLog log;
  const auto action = NewNode<TRecordAction>(&log, Everything().get(), Once);
  Start->SendXNMessage(action.get(), Visiting);
  return Joined(log);
}

// ---------------------------------------------------------------------------
// Visiting modes

TEST(SendXNMessage, EachModeVisitsItsPartOfTheTreeInOrder) {
  const TTree t;
  EXPECT_EQ(Visits(t.A1.get(), smvAll), "A1 A1a A A2 R B B1");
  EXPECT_EQ(Visits(t.A1.get(), smvAllExceptChildren), "A1 A A2 R B B1");
  EXPECT_EQ(Visits(t.A1.get(), smvParentsOnly), "A1 A R");
  EXPECT_EQ(Visits(t.A1.get(), smvOtherBranchesFromRoot), "R B B1");
  EXPECT_EQ(Visits(t.A1.get(), smvChildrenOnly), "A1 A1a");
  EXPECT_EQ(Visits(t.A.get(), smvChildrenOnly), "A A1 A1a A2");
  EXPECT_EQ(Visits(t.A1a.get(), smvOtherBranchesFromRoot), "R B B1");
  EXPECT_EQ(Visits(t.B1.get(), smvParentsOnly), "B1 B R");
}

TEST(SendXNMessage, FromTheRoot) {
  const TTree t;
  EXPECT_EQ(Visits(t.R.get(), smvAll), "R A A1 A1a A2 B B1");
  EXPECT_EQ(Visits(t.R.get(), smvChildrenOnly), "R A A1 A1a A2 B B1") << "no parent, so no stopping filter";
  EXPECT_EQ(Visits(t.R.get(), smvParentsOnly), "R");
  // The root is handled by the last step of the walk up, which takes in every branch but the sender's.
  EXPECT_EQ(Visits(t.R.get(), smvAllExceptChildren), "R A A1 A1a A2 B B1");
}

TEST(SendXNMessage, LeafThatCanHaveNoChildren) {
  const TTree t;
  const auto leaf = NewNode<TNamedLeaf>("L");
  t.B->add(leaf.get());
  EXPECT_EQ(Visits(leaf.get(), smvAll), "L B B1 R A A1 A1a A2");
  EXPECT_EQ(Visits(leaf.get(), smvChildrenOnly), "L");
}

TEST(SendXNMessage, OneShotActionIsPerformedOnTheFirstNodeOnly) {
  const TTree t;
  EXPECT_EQ(Visits(t.A1.get(), smvAll, true), "A1");
  EXPECT_EQ(Visits(t.A1.get(), smvOtherBranchesFromRoot, true), "R");
}

TEST(SendXNMessage, ReleasesMessengerAndAction) {
  const TTree t;
  TLog log;
  for (const bool once : {false, true}) {
    const auto action = NewNode<TRecordAction>(&log, Everything().get(), once);
    t.A->SendXNMessage(action.get(), smvAll);
    EXPECT_EQ(action->RefCount(), 1);
    EXPECT_EQ(action->GetParentNode(), nullptr);
  }
  t.A->SendXNMessage(nullptr, smvAll);  // a message without an action walks and does nothing
}

// ---------------------------------------------------------------------------
// The messenger's walk

// Notes which nodes the walk considers entering.
class TProbeMessenger : public TXNMessenger {
 public:
  TLog Asked;
  using TXNMessenger::PassBackStep;

 protected:
  bool IsDeadEnd(iXMLNode* Node) override {
    Asked.push_back(NameOf(Node));
    return TXNMessenger::IsDeadEnd(Node);
  }
};

TEST(Messenger, WalkGoesOnUpwardsAfterTheLastActionLeft) {
  const TTree t;
  TLog log;
  const auto m = NewObject<TProbeMessenger>();
  m->AddAction(NewNode<TRecordAction>(&log, Everything().get(), true).get());
  m->SetPassForward(true);
  m->SetProcessOnPassBack(true);
  m->DoProcessOnPassback(t.A1.get(), t.A1.get());
  EXPECT_EQ(Joined(log), "A1");
  // Done stops the walk below A1, then is set anew from A, which is open.
  EXPECT_EQ(Joined(m->Asked), "A A1 A2 A B B1");
  EXPECT_FALSE(m->Done()) << "the last dead-end test decides";
}

TEST(Messenger, WithoutActionsItWalksEverythingAndIsNeverDone) {
  const TTree t;
  const auto m = NewObject<TProbeMessenger>();
  EXPECT_FALSE(m->DoProcess(t.R.get()));
  EXPECT_EQ(Joined(m->Asked), "A A1 A1a A2 B B1");
  EXPECT_FALSE(m->Done());
}

TEST(Messenger, ExcludedNodesAreSkippedOnlyAsChildren) {
  const TTree t;
  TLog log;
  const auto m = NewObject<TXNMessenger>();
  m->AddAction(NewNode<TRecordAction>(&log, Everything().get(), false).get());
  m->DoProcessExcluding(t.A.get(), {t.A1.get(), t.A.get()});
  EXPECT_EQ(Joined(log), "A A2");
}

TEST(Messenger, ActionThatRemovesItselfLeavesItsSuccessorAtTheSameIndex) {
  const TTree t;
  TLog first, second;
  const auto m = NewObject<TXNMessenger>();
  m->AddAction(NewNode<TRecordAction>(&first, Everything().get(), true).get());
  m->AddAction(NewNode<TRecordAction>(&second, Everything().get(), true).get());
  m->DoProcess(t.A.get());
  EXPECT_EQ(Joined(first), "A");
  EXPECT_EQ(Joined(second), "A");
  EXPECT_TRUE(m->Done());
}

// Takes the node it is given out of the tree.
class TDetachAction : public TXNBasicAction {
 public:
  using TXNBasicAction::TXNBasicAction;
  TLog* Log = nullptr;
  void Perform() override {}
  void PerformAction(iXMLNode* Node, iXNMessenger* Sender) override {
    Log->push_back(NameOf(Node));
    if (NameOf(Node) == "A1") Node->SetParentNode(nullptr);
    TXNBasicAction::PerformAction(Node, Sender);
  }
};

// DoProcess walks the start node's subtree only.
TEST(Messenger, ChildLeavingDuringTheWalkDoesNotHideItsSibling) {
  const TTree t;
  TLog log;
  const auto action = NewNode<TDetachAction>(Everything().get(), false);
  action->Log = &log;
  const auto m = NewObject<TXNMessenger>();
  m->AddAction(action.get());
  m->DoProcess(t.A.get());
  EXPECT_EQ(Joined(log), "A A1 A1a A2");
  EXPECT_EQ(t.A->GetChildCount(), 1);
}

// Reports success through the messenger it is given.
class TSucceedAction : public TXNBasicAction {
 public:
  using TXNBasicAction::TXNBasicAction;
  void PerformAction(iXMLNode* Node, iXNMessenger* Sender) override {
    Sender->SetSuccessful(true);
    Sender->SetStatusText("did " + NameOf(Node));
    TXNBasicAction::PerformAction(Node, Sender);
  }
};

TEST(Messenger, SuccessComesFromTheActions) {
  const TTree t;
  const auto m = NewObject<TXNMessenger>();
  EXPECT_FALSE(m->DoProcess(t.B.get()));
  const auto n = NewObject<TXNMessenger>();
  n->AddAction(NewNode<TSucceedAction>(NewObject<TXNInstanceFilter>(t.B1.get(), true).get(), true).get());
  EXPECT_TRUE(n->DoProcess(t.B.get()));
  EXPECT_EQ(n->GetStatusText(), "did B1");
}

TEST(Messenger, ReturnMessagesWalkForwardAndUpAfterTheMessage) {
  const TTree t;
  TLog log;
  const auto m = NewObject<TXNMessenger>();
  const auto back = NewObject<TXNMessenger>();
  back->AddAction(NewNode<TRecordAction>(&log, Everything().get(), false).get());
  m->AddReturnMessage(back.get());
  m->AddReturnMessage(nullptr);
  m->DoProcessOnPassback(t.A1.get(), t.A1.get());
  EXPECT_EQ(Joined(log), "A1 A1a A A2 R B B1");
  m->DoProcess(t.R.get());
  EXPECT_EQ(Joined(log), "A1 A1a A A2 R B B1") << "return messages go once";
}

// ---------------------------------------------------------------------------
// Undo records posted after a message

class TSetValueUndo : public TXNBasicAction {
 public:
  TSetValueUndo(TNamed* Target, int Old, int New) : Target(Target), Old(Old), New(New) {}
  void Perform() override { Target->Value = New; }
  void UnPerform() override { Target->Value = Old; }
  std::string GetPerformText() override { return "Set " + Target->Name; }
  std::string GetUnPerformText() override { return "Restore " + Target->Name; }
  TNamed* Target;  // the scene outlives its history here
  int Old, New;
};

// Sets Value on every node it wants and records how to put it back.
class TSetValueAction : public TXNBasicAction {
 public:
  TSetValueAction(iXNFilter* Filter, int NewValue) : TXNBasicAction(Filter, false), NewValue(NewValue) {}
  void PerformAction(iXMLNode* Node, iXNMessenger* Sender) override {
    auto* target = NodeAs<TNamed>(Node);
    Sender->AddUndoAction(NewNode<TSetValueUndo>(target, target->Value, NewValue).get());
    target->Value = NewValue;
    TXNBasicAction::PerformAction(Node, Sender);
  }
  int NewValue;
};

TEST(UndoPosting, RecordGoesToTheRootsUndoManagerAndUndoesTheMessage) {
  const auto root = NewNode<TUndoManager>("R");
  const auto a = NewNode<TNamed>("A"), b = NewNode<TNamed>("B");
  root->add(a.get());
  root->add(b.get());
  a->SendXNMessage(NewNode<TSetValueAction>(Everything().get(), 7).get(), smvParentsOnly);
  EXPECT_EQ(a->Value, 7);
  EXPECT_EQ(root->Value, 7);
  EXPECT_EQ(b->Value, 0);
  ASSERT_EQ(root->Records.size(), 1u);
  const TRef<iXNUndoRecord> record = root->Records[0];
  EXPECT_EQ(record->GetChildCount(), 2);
  EXPECT_EQ(record->GetUndoText(), "Restore A...");
  EXPECT_EQ(record->GetRedoText(), "Set A...");
  record->Undo();
  EXPECT_EQ(a->Value, 0);
  EXPECT_EQ(root->Value, 0);
  record->Redo();
  EXPECT_EQ(a->Value, 7);
  EXPECT_EQ(root->Value, 7);
}

TEST(UndoPosting, OnlyTheFirstManagerAmongTheRootsOtherBranchesGetsIt) {
  const auto root = NewNode<TNamed>("R");
  const auto branch = NewNode<TUndoManager>("M0"), m1 = NewNode<TUndoManager>("M1"),
             m2 = NewNode<TUndoManager>("M2");
  const auto target = NewNode<TNamed>("T");
  root->add(branch.get());
  root->add(m1.get());
  root->add(m2.get());
  branch->add(target.get());
  target->SendXNMessage(NewNode<TSetValueAction>(Everything().get(), 3).get(), smvAllExceptChildren);
  EXPECT_EQ(target->Value, 3);
  EXPECT_TRUE(branch->Records.empty()) << "the sender's own branch is not offered the record";
  EXPECT_EQ(m1->Records.size(), 1u);
  EXPECT_TRUE(m2->Records.empty());
}

TEST(UndoPosting, FinishRunsOnceAndReportsTheRecord) {
  const auto root = NewNode<TUndoManager>("R");
  const auto m = NewObject<TXNMessenger>();
  int posted = 0;
  iXMLNode* seen = nullptr;
  m->SetOnPostUndoRecord([&](iXMLNode* Node) {
    ++posted;
    seen = Node;
  });
  m->AddAction(NewNode<TSetValueAction>(Everything().get(), 5).get());
  m->DoProcess(root.get());
  m->DoProcess(root.get());
  EXPECT_EQ(posted, 1);
  ASSERT_EQ(root->Records.size(), 1u);
  EXPECT_EQ(seen, static_cast<iXMLNode*>(root->Records[0].get()));

  const auto quiet = NewObject<TXNMessenger>();
  bool called = false;
  quiet->SetOnPostUndoRecord([&](iXMLNode* Node) { called = Node->GetChildCount() == 0; });
  quiet->DoProcess(root.get());
  EXPECT_TRUE(called) << "the event comes even with nothing to undo";
  EXPECT_EQ(root->Records.size(), 1u);
}

// ---------------------------------------------------------------------------
// Undo records themselves

// Logs what the record asks of it; its class decides equivalence.
class TLogAction : public TXNBasicAction {
 public:
  TLogAction(TLog* Log, std::string Tag) : Log(Log), Tag(std::move(Tag)) {}
  void InitialiseForUndo() override { Log->push_back("iu:" + Tag); }
  void InitialiseForRedo() override { Log->push_back("ir:" + Tag); }
  void UnPerform() override { Log->push_back("un:" + Tag); }
  void Perform() override { Log->push_back("do:" + Tag); }
  void Merge(iXNAction* Other) override { Log->push_back("merge:" + Tag + "<" + NodeAs<TLogAction>(Other)->Tag); }
  std::string GetPerformText() override { return "do " + Tag; }
  std::string GetUnPerformText() override { return "undo " + Tag; }
  TLog* Log;
  std::string Tag;
};
struct TActA : TLogAction { using TLogAction::TLogAction; };
struct TActB : TLogAction { using TLogAction::TLogAction; };
struct TActC : TLogAction { using TLogAction::TLogAction; };
struct TActASub : TActA { using TActA::TActA; };

std::string Tags(iXNUndoRecord* r) {
  std::string out;
  for (int32_t i = 0; i < r->GetChildCount(); ++i) out += NodeAs<TLogAction>(r->GetAction(i).get())->Tag;
  return out;
}

TEST(UndoRecord, UndoPreparesEveryActionBeforeUndoingAny) {
  TLog log;
  const auto r = NewNode<TXNUndoRecord>();
  EXPECT_EQ(r->GetUndoText(), "");
  EXPECT_EQ(r->GetRedoText(), "");
  r->add(NewNode<TActA>(&log, "a").get());
  EXPECT_EQ(r->GetUndoText(), "undo a");
  r->add(NewNode<TActB>(&log, "b").get());
  EXPECT_EQ(r->GetUndoText(), "undo a...");
  EXPECT_EQ(r->GetRedoText(), "do a...");
  r->Undo();
  EXPECT_EQ(Joined(log), "iu:a iu:b un:a un:b");
  log.clear();
  r->Redo();
  EXPECT_EQ(Joined(log), "ir:a ir:b do:a do:b");
}

TEST(UndoRecord, MergeReordersTheOtherRecordByClass) {
  TLog log;
  const auto mine = NewNode<TXNUndoRecord>(), other = NewNode<TXNUndoRecord>();
  mine->add(NewNode<TActA>(&log, "A").get());
  mine->add(NewNode<TActB>(&log, "B").get());
  other->add(NewNode<TActB>(&log, "b").get());
  other->add(NewNode<TActA>(&log, "a").get());
  EXPECT_TRUE(mine->MergeRecord(other.get()));
  EXPECT_EQ(Tags(other.get()), "ab");
  EXPECT_EQ(Joined(log), "merge:A<a merge:B<b");
}

TEST(UndoRecord, MergeRefusesOtherClassesAndCounts) {
  TLog log;
  const auto mine = NewNode<TXNUndoRecord>(), other = NewNode<TXNUndoRecord>();
  mine->add(NewNode<TActA>(&log, "A").get());
  mine->add(NewNode<TActB>(&log, "B").get());
  other->add(NewNode<TActA>(&log, "a").get());
  EXPECT_FALSE(mine->MergeRecord(other.get())) << "counts differ";
  other->add(NewNode<TActC>(&log, "c").get());
  EXPECT_FALSE(mine->MergeRecord(other.get()));
  EXPECT_FALSE(mine->MergeRecord(nullptr));
  EXPECT_TRUE(log.empty()) << "nothing merges unless every action has its match";

  // Exactly the same class: a subclass is no match.
  const auto sub = NewNode<TXNUndoRecord>(), plain = NewNode<TXNUndoRecord>();
  sub->add(NewNode<TActASub>(&log, "s").get());
  plain->add(NewNode<TActA>(&log, "p").get());
  EXPECT_FALSE(sub->MergeRecord(plain.get()));
}

TEST(UndoRecord, FailedMergeKeepsTheMovesMadeSoFar) {
  TLog log;
  const auto mine = NewNode<TXNUndoRecord>(), other = NewNode<TXNUndoRecord>();
  mine->add(NewNode<TActA>(&log, "A").get());
  mine->add(NewNode<TActB>(&log, "B").get());
  mine->add(NewNode<TActC>(&log, "C").get());
  other->add(NewNode<TActC>(&log, "c").get());
  other->add(NewNode<TActA>(&log, "a").get());
  other->add(NewNode<TActC>(&log, "d").get());
  EXPECT_FALSE(mine->MergeRecord(other.get()));
  EXPECT_EQ(Tags(other.get()), "acd");
}

// A record that lets anything in, to reach the guard of GetAction.
struct TLaxRecord : TXNUndoRecord {
  int32_t add(iXMLNode* Node) override { return TXMLNode::add(Node); }
};

TEST(UndoRecord, ExactErrors) {
  TLog log;
  const auto r = NewNode<TXNUndoRecord>();
  EXPECT_EQ(MessageOf([&] { r->add(NewNode<TNamed>().get()); }),
            "Attempt to add a action to undo record which doesn't have correct Action interface.");
  EXPECT_THROW(r->add(NewNode<TNamed>().get()), TXMLNodeUndoManagerError);
  EXPECT_EQ(MessageOf([&] { NewNode<TNamed>()->SetParentNode(r.get()); }),
            "Attempt to add a action to undo record which doesn't have correct Action interface.");
  EXPECT_EQ(r->add(nullptr), -1);
  EXPECT_EQ(r->GetChildCount(), 0);

  EXPECT_EQ(MessageOf([&] { r->GetAction(0); }), "Trying to get undo record Action which is out of range.");
  r->add(NewNode<TActA>(&log, "a").get());
  EXPECT_EQ(MessageOf([&] { r->GetAction(-1); }), "Trying to get undo record Action which is out of range.");
  EXPECT_EQ(MessageOf([&] { r->GetAction(1); }), "Trying to get undo record Action which is out of range.");
  EXPECT_THROW(r->GetAction(1), TXMLNodeUndoManagerError);

  const auto lax = NewNode<TLaxRecord>();
  lax->add(NewNode<TNamed>().get());
  EXPECT_EQ(MessageOf([&] { lax->GetAction(0); }),
            "Trying to get undo record Action which does not support action interface.");
  EXPECT_THROW(lax->GetAction(0), TXMLNodeUndoManagerError);
  lax->Undo();  // a child that is no action is passed over
}

// ---------------------------------------------------------------------------
// Filters

// Counts how often its answer is asked for.
class TCountingFilter : public TXNBasicFilter {
 public:
  TCountingFilter(bool Allow, bool Answer) : TXNBasicFilter(Allow), Answer(Answer) {}
  int Asked = 0;
  bool Answer;

 protected:
  bool Matches(iXMLNode*) override {
    ++Asked;
    return Answer;
  }
};

TEST(Filters, FlagsAccumulateAndSettledFlagsAreNotAskedAgain) {
  const XMLNodeRef n = NewNode<TNamed>();
  bool hasForbids = false, forbidden = false, hasAllows = false, allowed = false;
  const auto yes = NewObject<TCountingFilter>(true, true), alsoYes = NewObject<TCountingFilter>(true, true);
  const auto forbidNo = NewObject<TCountingFilter>(false, false);
  yes->IsNodeDeadEnd(nullptr, hasForbids, forbidden, hasAllows, allowed);
  EXPECT_FALSE(hasAllows) << "a nil node changes nothing";
  EXPECT_EQ(yes->Asked, 0);
  yes->IsNodeDeadEnd(n.get(), hasForbids, forbidden, hasAllows, allowed);
  alsoYes->IsNodeDeadEnd(n.get(), hasForbids, forbidden, hasAllows, allowed);
  forbidNo->IsNodeDeadEnd(n.get(), hasForbids, forbidden, hasAllows, allowed);
  EXPECT_TRUE(hasAllows && allowed);
  EXPECT_TRUE(hasForbids);
  EXPECT_FALSE(forbidden);
  EXPECT_EQ(alsoYes->Asked, 0);
  EXPECT_EQ(forbidNo->Asked, 1);

  forbidNo->SetAllow(true);
  EXPECT_TRUE(forbidNo->GetAllow());
}

TEST(Filters, ActionsWantOnlyWhatTheyAllowAndDoNotForbid) {
  TLog log;
  const XMLNodeRef plain = NewNode<TNamed>();
  const auto action = NewNode<TActA>(&log, "x");
  const XMLNodeRef record = NewNode<TXNUndoRecord>();

  EXPECT_FALSE(NewNode<TXNBasicAction>()->DoYouWantMe(plain.get())) << "no filters, no wishes";
  EXPECT_FALSE(NewNode<TXNBasicAction>(NewObject<TXNNoBranchingFilter>().get())->DoYouWantMe(plain.get()));
  EXPECT_FALSE(NewNode<TXNBasicAction>(NewObject<TXNBasicFilter>(true).get())->DoYouWantMe(plain.get()));

  const auto wantsActions = NewNode<TXNBasicAction>(AllowInterface(iXNAction::IID).get());
  EXPECT_FALSE(wantsActions->DoYouWantMe(plain.get()));
  EXPECT_TRUE(wantsActions->DoYouWantMe(action.get()));
  EXPECT_FALSE(wantsActions->DoYouWantMe(record.get()));
  EXPECT_TRUE(wantsActions->DoYouWantMe(wantsActions.get()));

  const auto both = NewNode<TXNBasicAction>(Everything().get());
  EXPECT_TRUE(both->DoYouWantMe(plain.get()));
  both->AddFilter(NewObject<TXNInstanceFilter>(plain->AsObject(), false).get());
  EXPECT_FALSE(both->DoYouWantMe(plain.get())) << "allowed and forbidden: not wanted";
  EXPECT_TRUE(both->DoYouWantMe(record.get()));
}

TEST(Filters, MessengerEntersOnlyOpenChildren) {
  const TTree t;
  auto walk = [&](std::vector<XNFilterRef> filters) {
    TLog log;
    const auto m = NewObject<TXNMessenger>();
    for (const XNFilterRef& f : filters) m->AddFilter(f.get());
    m->AddAction(NewNode<TRecordAction>(&log, Everything().get(), false).get());
    m->DoProcess(t.R.get());
    return Joined(log);
  };
  EXPECT_EQ(walk({NewObject<TXNNoBranchingFilter>()}), "R") << "every child is a dead end";
  EXPECT_EQ(walk({NewObject<TXNInstanceFilter>(t.A.get(), false)}), "R B B1");
  EXPECT_EQ(walk({NewObject<TXNBasicFilter>(true)}), "R") << "allowing nothing leaves every child closed";
  EXPECT_EQ(walk({NewObject<TXNBasicFilter>(false)}), "R A A1 A1a A2 B B1");
  EXPECT_EQ(walk({Everything(), NewObject<TXNInstanceFilter>(t.B.get(), false)}), "R A A1 A1a A2")
      << "allowed and forbidden: a dead end";
}

}  // namespace
