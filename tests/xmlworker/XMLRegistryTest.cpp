#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "XMLSampleNodes.h"
#include "xmlworker/XMLWorker.h"
#include "tests/xmlworker/ErrorText.h"

using namespace plashbox;

namespace {

constexpr auto RegistryMessage = &plashbox::tests::MessageOf<TXMLNodeRegistryError>;

// A small family: P, Q, a subclass of Q, and R.
struct TNamed : TXMLNode {
  std::string Name;
};
template <class T>
void DeclareName(TPropertyBuilder<T>& p) {
  p.String("Name", &T::Name);
}
struct TP : TNamed {
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TP>("TP", &TXMLNode::StaticClass(), &DeclareName<TP>);
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
};
struct TQ : TNamed {
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TQ>("TQ", &TXMLNode::StaticClass(), &DeclareName<TQ>);
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
};
struct TSubQ : TQ {
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TSubQ>("TSubQ", &TQ::StaticClass());
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
};
struct TR : TNamed {
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TR>("TR", &TXMLNode::StaticClass(), &DeclareName<TR>);
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
};

// Same name as TP but in other letters' case.
const TNodeClass& LowerCaseP() {
  static const TNodeClass cls = TNodeClass::Make<TP>("tp", &TXMLNode::StaticClass());
  return cls;
}
// A class reference that does not come from a node class, so it lacks iXMLNode.
const TNodeClass& NotANode() {
  static const TNodeClass cls("TPlainObject", nullptr, nullptr, {});
  return cls;
}
// A registered class that cannot be instantiated (no factory).
const TNodeClass& AbstractNode() {
  static const TNodeClass cls("TAbstractNode", &TXMLNode::StaticClass(), nullptr, {});
  return cls;
}

constexpr TGUID IOther{0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

TEST(NodeRegistry, RegistersInOrderAndFindsNamesWithoutCase) {
  TNodeRegistry r;
  EXPECT_EQ(r.NodeCount(), 0);
  r.RegisterNode(&TP::StaticClass());
  r.RegisterNodes({&TQ::StaticClass(), &TSubQ::StaticClass()});
  EXPECT_EQ(r.NodeCount(), 3);
  EXPECT_EQ(r.IndexOfClass(&TQ::StaticClass()), 1);
  EXPECT_EQ(r.IndexOfClass(&TR::StaticClass()), -1);
  EXPECT_EQ(r.FindNodeClass("tsubq"), &TSubQ::StaticClass());
  EXPECT_EQ(r.FindNodeClass("TSUBQ"), &TSubQ::StaticClass());
  EXPECT_EQ(r.FindNodeClass("TSub"), nullptr);
  EXPECT_TRUE(r.IsRegistered("tp"));
  EXPECT_FALSE(r.IsRegistered("TR"));

  const TNodeRegistryEntry e = r.GetEntry(0);
  EXPECT_EQ(e.NodeClass, &TP::StaticClass());
  EXPECT_FALSE(e.RestrictParents || e.RestrictChildren || e.RestrictParentInterfaces || e.RestrictChildInterfaces);
  EXPECT_TRUE(e.AllowedParents.empty() && e.AllowedChildren.empty());
}

TEST(NodeRegistry, RegistrationErrorsLeaveTheRegistryUnchanged) {
  TNodeRegistry r;
  r.RegisterNode(&TP::StaticClass());
  EXPECT_EQ(RegistryMessage([&] { r.RegisterNode(&LowerCaseP()); }), "Node name already registered. (tp)");
  EXPECT_EQ(RegistryMessage([&] { r.RegisterNode(&TP::StaticClass()); }), "Node name already registered. (TP)");
  EXPECT_EQ(RegistryMessage([&] { r.RegisterNode(nullptr); }), "Node does not support iXMLNode. (Class=nil!!)");
  EXPECT_EQ(RegistryMessage([&] { r.RegisterNode(&NotANode()); }),
            "Node does not support iXMLNode. (TPlainObject)");
  EXPECT_EQ(r.NodeCount(), 1);

  // The first of three registers, the second fails, the third is never reached.
  TNodeRegistry s;
  s.RegisterNode(&TQ::StaticClass());
  EXPECT_EQ(RegistryMessage([&] { s.RegisterNodes({&TP::StaticClass(), &TQ::StaticClass(), &TR::StaticClass()}); }),
            "Node name already registered. (TQ)");
  EXPECT_EQ(s.NodeCount(), 2);
  EXPECT_TRUE(s.IsRegistered("TP"));
  EXPECT_FALSE(s.IsRegistered("TR"));
}

TEST(NodeRegistry, EntryIndexIsChecked) {
  TNodeRegistry r;
  r.RegisterNode(&TP::StaticClass());
  EXPECT_EQ(RegistryMessage([&] { r.GetEntry(r.NodeCount()); }), "Node index is out of range.");
  EXPECT_EQ(RegistryMessage([&] { r.GetEntry(-1); }), "Node index is out of range.");
  EXPECT_EQ(RegistryMessage([&] { r.SetEntry(1, {}); }), "Node index is out of range.");

  TNodeRegistryEntry e = r.GetEntry(0);
  e.RestrictChildInterfaces = true;
  e.AllowedChildInterfaces = {IOther};
  r.SetEntry(0, e);
  EXPECT_TRUE(r.GetEntry(0).RestrictChildInterfaces);
  EXPECT_EQ(r.GetEntry(0).AllowedChildInterfaces.front(), IOther);
  e.AllowedChildInterfaces.clear();
  EXPECT_EQ(r.GetEntry(0).AllowedChildInterfaces.size(), 1u) << "entries are handed out as copies";
}

TEST(NodeRegistry, ChildRulesFollowInheritance) {
  TNodeRegistry r;
  r.RegisterNodeWithRules(&TP::StaticClass(), false, true, {}, {&TQ::StaticClass()});
  EXPECT_TRUE(r.IsChildAllowed(&TP::StaticClass(), &TQ::StaticClass()));
  EXPECT_TRUE(r.IsChildAllowed(&TP::StaticClass(), &TSubQ::StaticClass()));
  EXPECT_FALSE(r.IsChildAllowed(&TP::StaticClass(), &TR::StaticClass()));
  EXPECT_TRUE(r.IsChildAllowed(&TR::StaticClass(), &TP::StaticClass())) << "no rule applies";

  // Parent rules of the child's entry, looked at only when the parent side does not match.
  TNodeRegistry s;
  s.RegisterNodeWithRules(&TQ::StaticClass(), true, false, {&TP::StaticClass()}, {});
  EXPECT_TRUE(s.IsChildAllowed(&TP::StaticClass(), &TSubQ::StaticClass()));
  EXPECT_FALSE(s.IsChildAllowed(&TR::StaticClass(), &TSubQ::StaticClass()));
  EXPECT_TRUE(s.IsChildAllowed(&TSubQ::StaticClass(), &TQ::StaticClass()))
      << "the parent side matched, so the child-side rules of the same entry are not asked";

  // Interface rules, set through SetEntry.
  TNodeRegistryEntry e = s.GetEntry(0);
  e.RestrictParents = false;
  e.RestrictParentInterfaces = true;
  e.AllowedParentInterfaces = {IOther};
  s.SetEntry(0, e);
  EXPECT_FALSE(s.IsChildAllowed(&TP::StaticClass(), &TQ::StaticClass()));
  e.AllowedParentInterfaces = {iXMLNode::IID};
  s.SetEntry(0, e);
  EXPECT_TRUE(s.IsChildAllowed(&TP::StaticClass(), &TQ::StaticClass()));
}

TEST(NodeRegistry, CreateNodeAppliesAttributes) {
  TNodeRegistry r;
  r.RegisterNodes({&TP::StaticClass(), &AbstractNode()});
  EXPECT_FALSE(r.CreateNode("TNowhere", "Name=\"x\"", false)) << "an unknown name gives nil, no error";
  const XMLNodeRef n = r.CreateNode("tp", "Name=\"x\"", false);
  ASSERT_TRUE(n);
  EXPECT_EQ(n->AsObject()->ClassName(), "TP");
  EXPECT_EQ(GetPublishedValue(*n->AsObject(), "Name"), "x");
  EXPECT_EQ(n->GetParentNode(), nullptr);
  EXPECT_EQ(n->AsObject()->RefCount(), 1);

  EXPECT_THROW(r.CreateNode("TP", "Nope=\"1\"", false), TXMLNodeParsingError);
  EXPECT_TRUE(r.CreateNode("TP", "Nope=\"1\" Name='y'", true));
  EXPECT_EQ(RegistryMessage([&] { r.CreateNode("TAbstractNode", "", false); }),
            "Node class cannot be created. (TAbstractNode)");
}

TEST(NodeRegistry, OneRegistryForTheProcess) {
  EXPECT_EQ(&NodeRegistry(), &NodeRegistry());
  samples::RegisterSampleNodes();
  EXPECT_EQ(NodeRegistry().FindNodeClass("tsamplenode"), &samples::TSampleNode::StaticClass());
}

}  // namespace
