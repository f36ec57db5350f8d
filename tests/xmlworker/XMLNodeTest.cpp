#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "xmlworker/XMLNode.h"
#include "xmlworker/XMLProperties.h"
#include "tests/xmlworker/ErrorText.h"

using namespace plashbox;

namespace {

using plashbox::tests::MessageOf;

// Counts destructions and remembers the order Initialise saw the object in.
struct TProbe : TXMLNode {
  static inline int Destroyed = 0;
  static inline std::vector<std::string> Log;
  std::string Label;
  int InitialisedWithLabel = 0;
  TProbe() : Label("constructed") {}
  ~TProbe() override { ++Destroyed; }
  void Initialise() override {
    TXMLNode::Initialise();
    // Taking and dropping a reference here must not destroy the node.
    const XMLNodeRef self(this);
    InitialisedWithLabel = Label == "constructed";
  }
};

struct TLeaf : TBasicXMLNode {};

XMLNodeRef Node() { return NewNode<TXMLNode>(); }

std::vector<iXMLNode*> ChildrenOf(iXMLNode* n) {
  std::vector<iXMLNode*> out;
  for (int32_t i = 0; i < n->GetChildCount(); ++i) out.push_back(n->GetChildren(i).get());
  return out;
}

TEST(NodeLifetime, FactoryRunsInitialiseAfterConstructionWithOneReference) {
  TProbe::Destroyed = 0;
  {
    const TRef<TProbe> p = NewNode<TProbe>();
    EXPECT_EQ(p->InitialisedWithLabel, 1);
    EXPECT_EQ(p->AsObject()->RefCount(), 1);
    EXPECT_EQ(TProbe::Destroyed, 0);
  }
  EXPECT_EQ(TProbe::Destroyed, 1);
}

TEST(NodeLifetime, ReleasingRootFreesSubtreeButNotSharedGrandchild) {
  TProbe::Destroyed = 0;
  TRef<TProbe> kept;
  {
    const TRef<TProbe> root = NewNode<TProbe>();
    const TRef<TProbe> child = NewNode<TProbe>();
    kept = NewNode<TProbe>();
    root->add(child.get());
    child->add(kept.get());
    root->add(NewNode<TProbe>().get());
  }
  // root and its second child went with the root; child too once its last reference left.
  EXPECT_EQ(TProbe::Destroyed, 3);
  EXPECT_EQ(kept->GetParentNode(), nullptr) << "a survivor must not point at its freed parent";
  EXPECT_EQ(kept->GetPosition(), -1);
}

TEST(NodeLifetime, ExplicitDestroyRefusedWhileReferenced) {
  const XMLNodeRef n = Node();
  EXPECT_EQ(MessageOf([&] { n->AsObject()->Destroy(); }), "Node being destroyed with none zero reference count");
  EXPECT_EQ(n->GetChildCount(), 0) << "the node is still alive";
}

TEST(NodeLifetime, ReferenceIdentityAndInterfaceQuery) {
  const XMLNodeRef n = Node();
  const TRef<iXMLNode> again = Supports<iXMLNode>(n.get());
  EXPECT_EQ(again, n);
  EXPECT_EQ(n->AsObject()->ClassName(), "TXMLNode");
  constexpr TGUID unknown{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  void* out = reinterpret_cast<void*>(1);
  EXPECT_FALSE(n->QueryInterface(unknown, &out));
  EXPECT_EQ(out, nullptr);
}

TEST(ChildList, IndexErrorsInOrder) {
  const XMLNodeRef n = Node();
  EXPECT_EQ(n->GetChildCount(), 0);
  EXPECT_EQ(MessageOf([&] { n->GetChildren(0); }), "There are no children in node.");
  EXPECT_EQ(MessageOf([&] { n->Remove(Node().get()); }), "Can't remove child nodes when parent has no children yet");
  const XMLNodeRef c = Node();
  n->add(c.get());
  EXPECT_EQ(MessageOf([&] { n->GetChildren(-1); }), "Index is less than zero");
  EXPECT_EQ(MessageOf([&] { n->GetChildren(1); }), "Index is higher than child count");
  n->Clear();
  EXPECT_EQ(MessageOf([&] { n->GetChildren(0); }), "Index is higher than child count");
  EXPECT_EQ(MessageOf([&] { n->Remove(c.get()); }), "<no exception>") << "an emptied list is no error";
}

TEST(ChildList, AddTwiceKeepsOneEntry) {
  const XMLNodeRef n = Node(), a = Node(), b = Node();
  EXPECT_EQ(n->add(a.get()), 0);
  EXPECT_EQ(n->add(b.get()), 1);
  EXPECT_EQ(n->add(a.get()), 0);
  EXPECT_EQ(n->GetChildCount(), 2);
  EXPECT_EQ(n->add(nullptr), -1);
  EXPECT_EQ(a->AsObject()->RefCount(), 2) << "our reference and the list's";
}

TEST(ChildList, AddingAnotherParentsChildMovesIt) {
  const XMLNodeRef a = Node(), b = Node(), c = Node();
  b->add(c.get());
  a->add(c.get());
  EXPECT_FALSE(b->IsChild(c.get()));
  EXPECT_TRUE(a->IsChild(c.get()));
  EXPECT_EQ(c->GetParentNode(), a);
  EXPECT_EQ(c->AsObject()->RefCount(), 2);

  c->SetParentNode(b.get());
  EXPECT_TRUE(b->IsChild(c.get()));
  EXPECT_FALSE(a->IsChild(c.get()));

  c->SetParentNode(nullptr);
  EXPECT_FALSE(b->IsChild(c.get()));
  EXPECT_EQ(c->GetPosition(), -1);
  EXPECT_EQ(c->AsObject()->RefCount(), 1);
}

TEST(ChildList, OnlyChildSurvivesLeavingItsParent) {
  TProbe::Destroyed = 0;
  const XMLNodeRef parent = Node();
  parent->add(NewNode<TProbe>().get());
  const XMLNodeRef other = Node();
  // The list holds the only reference while the child moves over.
  other->add(parent->GetChildren(0).get());
  EXPECT_EQ(TProbe::Destroyed, 0);
  EXPECT_EQ(other->GetChildCount(), 1);
  EXPECT_EQ(parent->GetChildCount(), 0);
}

TEST(ChildList, SetPositionAndMove) {
  const XMLNodeRef p = Node(), x = Node(), y = Node(), z = Node();
  p->add(x.get());
  p->add(y.get());
  p->add(z.get());
  z->SetPosition(0);
  EXPECT_EQ(ChildrenOf(p.get()), (std::vector<iXMLNode*>{z.get(), x.get(), y.get()}));
  x->SetPosition(99);
  EXPECT_EQ(ChildrenOf(p.get()), (std::vector<iXMLNode*>{z.get(), y.get(), x.get()}));
  x->SetPosition(-5);
  EXPECT_EQ(ChildrenOf(p.get()), (std::vector<iXMLNode*>{x.get(), z.get(), y.get()}));
  EXPECT_EQ(y->GetPosition(), 2);

  const XMLNodeRef stranger = Node(), strangersParent = Node();
  strangersParent->add(stranger.get());
  EXPECT_EQ(p->Move(stranger.get(), 0), -1);
  EXPECT_EQ(p->Move(nullptr, 0), -1);
  EXPECT_EQ(ChildrenOf(p.get()), (std::vector<iXMLNode*>{x.get(), z.get(), y.get()}));

  EXPECT_EQ(p->Move(y.get(), 0), 2);
  EXPECT_EQ(ChildrenOf(p.get()), (std::vector<iXMLNode*>{y.get(), x.get(), z.get()}));
  EXPECT_EQ(y->GetParentNode(), p);
  EXPECT_THROW(p->Move(y.get(), 3), TXMLNodeError);
  EXPECT_EQ(ChildrenOf(p.get()), (std::vector<iXMLNode*>{y.get(), x.get(), z.get()})) << "a refused move changes nothing";

  const XMLNodeRef orphan = Node();
  orphan->SetPosition(3);  // no parent: nothing happens
  EXPECT_EQ(orphan->GetPosition(), -1);
}

TEST(ChildList, ClearEmptiesEveryLevel) {
  const XMLNodeRef root = Node(), child = Node(), grandchild = Node();
  root->add(child.get());
  child->add(grandchild.get());
  child->add(Node().get());
  root->Clear();
  EXPECT_EQ(root->GetChildCount(), 0);
  EXPECT_EQ(child->GetChildCount(), 0);
  EXPECT_EQ(grandchild->GetParentNode(), nullptr);
  EXPECT_EQ(child->GetParentNode(), nullptr);
}

TEST(BasicNode, RefusesChildren) {
  const XMLNodeRef leaf = NewNode<TLeaf>();
  const XMLNodeRef n = Node();
  EXPECT_EQ(leaf->add(n.get()), -1);
  EXPECT_EQ(leaf->GetChildCount(), 0);
  EXPECT_FALSE(leaf->IsChild(n.get()));
  EXPECT_EQ(MessageOf([&] { leaf->GetChildren(0); }), "This object can have no children");
  EXPECT_EQ(MessageOf([&] { leaf->Remove(n.get()); }), "This object can have no children so cannot do \"Remove\" ");
  EXPECT_EQ(MessageOf([&] { leaf->Move(n.get(), 0); }), "This object can have no children so cannot do \"Move\" ");
  EXPECT_EQ(leaf->GetParamWriteStyle(), pwsAllAttribs);
  // A leaf can still be a child.
  EXPECT_EQ(n->add(leaf.get()), 0);
  EXPECT_EQ(leaf->GetParentNode(), n);
}

TEST(ChildList, ParentThatRefusesTheNodeIsNotNamedByIt) {
  const XMLNodeRef p = Node(), c = Node();
  p->add(c.get());
  {
    const XMLNodeRef leaf = NewNode<TLeaf>();
    c->SetParentNode(leaf.get());
    EXPECT_EQ(c->GetParentNode(), p) << "the node stays where it was";
    EXPECT_TRUE(p->IsChild(c.get()));
    const XMLNodeRef orphan = Node();
    orphan->SetParentNode(leaf.get());
    EXPECT_EQ(orphan->GetParentNode(), nullptr);
  }
  // The leaf is gone; a parent field naming it would now point at freed memory.
  EXPECT_EQ(c->GetParentNode(), p);
  EXPECT_EQ(c->GetPosition(), 0);
}

TEST(ChildList, NodeOrAncestorIsRefusedAsChild) {
  TProbe::Destroyed = 0;
  {
    const TRef<TProbe> root = NewNode<TProbe>(), child = NewNode<TProbe>(), grandchild = NewNode<TProbe>();
    root->add(child.get());
    child->add(grandchild.get());
    EXPECT_EQ(root->add(root.get()), -1);
    EXPECT_EQ(child->add(root.get()), -1);
    EXPECT_EQ(grandchild->add(root.get()), -1);
    EXPECT_EQ(grandchild->add(child.get()), -1);
    root->SetParentNode(grandchild.get());  // the same, asked from the other side
    EXPECT_EQ(root->GetParentNode(), nullptr);
    EXPECT_EQ(grandchild->GetChildCount(), 0);
    EXPECT_EQ(child->GetParentNode(), root);
    EXPECT_EQ(root->GetChildCount(), 1);
    root->Clear();  // ends, having no cycle to follow
    EXPECT_EQ(child->GetChildCount(), 0);
  }
  EXPECT_EQ(TProbe::Destroyed, 3) << "no cycle keeps the nodes alive";
}

// Takes and drops a counted reference to itself while being destroyed.
struct TSelfReferencingOnDestroy : TXMLNode {
  static inline int Destroyed = 0;
  ~TSelfReferencingOnDestroy() override {
    const XMLNodeRef self(this);
    ++Destroyed;
  }
};

TEST(NodeLifetime, ReferenceTakenDuringDestructionDoesNotFreeTwice) {
  TSelfReferencingOnDestroy::Destroyed = 0;
  { const XMLNodeRef n = NewNode<TSelfReferencingOnDestroy>(); }
  EXPECT_EQ(TSelfReferencingOnDestroy::Destroyed, 1);
}

TEST(ChildList, TypedRangeVisitsOnlyItsClassAndSurvivesChangesToTheList) {
  const TRef<TXMLNode> parent = NewNode<TXMLNode>();
  const TRef<TProbe> a = NewNode<TProbe>(), c = NewNode<TProbe>();
  const TRef<TBasicXMLNode> b = NewNode<TBasicXMLNode>();
  parent->add(a.get());
  parent->add(b.get());
  parent->add(c.get());
  std::vector<TProbe*> seen;
  for (TProbe* p : ChildrenOf<TProbe>(*parent)) seen.push_back(p);
  EXPECT_EQ(seen, (std::vector<TProbe*>{a.get(), c.get()}));
  EXPECT_EQ(LastChildOf<TProbe>(*parent), c.get());
  EXPECT_EQ(LastChildOf<TXMLNode>(*b), nullptr) << "a node without children has none of any class";
  EXPECT_EQ(ChildrenOf<TProbe>(*NewNode<TXMLNode>()).begin(), std::default_sentinel);

  // A body that removes the children as it goes never reads past the list.
  int visits = 0;
  for (TBasicXMLNode* child : ChildrenOf<TBasicXMLNode>(*parent)) {
    ++visits;
    parent->Remove(child);
  }
  EXPECT_LE(visits, 3);
  EXPECT_GE(parent->GetChildCount(), 0);
}

TEST(ExceptionFamily, DerivedErrorsAreNodeErrors) {
  EXPECT_THROW(throw TXMLNodeRegistryError("r"), TXMLNodeError);
  EXPECT_THROW(throw TXMLNodeParsingError("p"), TXMLNodeError);
  EXPECT_THROW(throw TXMLNodeUndoManagerError("u"), std::runtime_error);
}

}  // namespace
