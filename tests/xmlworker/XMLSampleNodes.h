// Node classes with one published property of every kind the writer and reader know, shared
// by the persistence tests, the corpus replay and the reader's fuzz target.
#pragma once

#include <cstdint>
#include <string>

#include "xmlworker/XMLWorker.h"

namespace plashbox::samples {

enum class TColour : uint8_t { Red, Green, Blue, Greenish };
inline const TEnumType& ColourType() {
  static const TEnumType type{"TColour", {"Red", "Green", "Blue", "Greenish"}};
  return type;
}

// Every scalar kind, with and without declared defaults, and every array element type that
// reads back what it writes.
class TSampleNode : public TXMLNode {
 public:
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TSampleNode>("TSampleNode", &TXMLNode::StaticClass(), &Declare);
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }

  int32_t Count = 0, Plain = 0;
  bool Flag = false, Lit = false;
  TColour Colour = TColour::Red, Shade = TColour::Red;
  float Ratio = 0;
  double Precise = 0;
  std::string Name, Description;
  int64_t Big = 0;
  TArrayValue Singles, Doubles, Int8s, UInt8s, Int16s, UInt16s, Ints, Flags, Strings, Longs, Colours, Raw, Grid,
      Words;

 protected:
  void Initialise() override {
    TXMLNode::Initialise();
    Count = 1;  // the declared defaults
    Lit = true;
    Shade = TColour::Blue;
  }

 private:
  static void Declare(TPropertyBuilder<TSampleNode>& p) {
    using E = TArrayElementType;
    p.Integer("Count", &TSampleNode::Count, &TSampleNode::Count, 1)
        .Integer("Plain", &TSampleNode::Plain)
        .Boolean("Flag", &TSampleNode::Flag)
        .Boolean("Lit", &TSampleNode::Lit, &TSampleNode::Lit, true)
        .Enumeration("Colour", ColourType(), &TSampleNode::Colour, &TSampleNode::Colour)
        .Enumeration("Shade", ColourType(), &TSampleNode::Shade, &TSampleNode::Shade, 2)
        .Single("Ratio", &TSampleNode::Ratio)
        .Double("Precise", &TSampleNode::Precise)
        .String("Name", &TSampleNode::Name)
        .String("Description", &TSampleNode::Description)
        .Int64("Big", &TSampleNode::Big)
        .Array("Singles", {E::Single}, &TSampleNode::Singles, &TSampleNode::Singles)
        .Array("Doubles", {E::Double}, &TSampleNode::Doubles, &TSampleNode::Doubles)
        .Array("Int8s", {E::Int8}, &TSampleNode::Int8s, &TSampleNode::Int8s)
        .Array("UInt8s", {E::UInt8}, &TSampleNode::UInt8s, &TSampleNode::UInt8s)
        .Array("Int16s", {E::Int16}, &TSampleNode::Int16s, &TSampleNode::Int16s)
        .Array("UInt16s", {E::UInt16}, &TSampleNode::UInt16s, &TSampleNode::UInt16s)
        .Array("Ints", {E::Int32}, &TSampleNode::Ints, &TSampleNode::Ints)
        .Array("Flags", {E::Boolean}, &TSampleNode::Flags, &TSampleNode::Flags)
        .Array("Strings", {E::String}, &TSampleNode::Strings, &TSampleNode::Strings)
        .Array("Longs", {E::Int64}, &TSampleNode::Longs, &TSampleNode::Longs)
        .Array("Colours", {E::Enumeration, 1, &ColourType()}, &TSampleNode::Colours, &TSampleNode::Colours)
        .Array("Raw", {E::Bytes, 1, nullptr, 3}, &TSampleNode::Raw, &TSampleNode::Raw)
        .Array("Grid", {E::Int32, 2}, &TSampleNode::Grid, &TSampleNode::Grid)
        .Array("Words", {E::String, 3}, &TSampleNode::Words, &TSampleNode::Words);
  }
};

// Writes every property as an element.
class TElementNode : public TXMLNode {
 public:
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TElementNode>(
        "TElementNode", &TXMLNode::StaticClass(), +[](TPropertyBuilder<TElementNode>& p) {
          p.String("Text", &TElementNode::Text).Integer("Level", &TElementNode::Level).Single("Gain", &TElementNode::Gain);
        });
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
  TParamWriteStyle GetParamWriteStyle() override { return pwsAllElements; }

  std::string Text;
  int32_t Level = 0;
  float Gain = 0;
};

// A node that can have no children.
class TSampleLeaf : public TBasicXMLNode {
 public:
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TSampleLeaf>(
        "TSampleLeaf", &TBasicXMLNode::StaticClass(),
        +[](TPropertyBuilder<TSampleLeaf>& p) { p.Integer("Value", &TSampleLeaf::Value); });
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
  int32_t Value = 0;
};

// Registers the sample classes with the process's registry once.
inline void RegisterSampleNodes() {
  for (const TNodeClass* c : {&TSampleNode::StaticClass(), &TElementNode::StaticClass(), &TSampleLeaf::StaticClass()})
    if (!NodeRegistry().IsRegistered(c->ClassName())) NodeRegistry().RegisterNode(c);
}

}  // namespace plashbox::samples
