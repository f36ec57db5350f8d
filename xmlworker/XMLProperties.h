// xmlworker/: the node tree, class registry, XML text, messenger and undo.
// Published properties and class references.
//
// Each node class declares its published properties once, in declaration order; the list of a
// class starts with its base class's list. The XML writer and reader, the control panels and
// the headless driver all work from this one list.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "xmlworker/XMLNode.h"

namespace plashbox {

// An enumeration type: its identifiers in declaration order (the ordinal is the index).
struct TEnumType {
  std::string Name;
  std::vector<std::string> Identifiers;
  bool IsBoolean() const;
};
const TEnumType& BooleanType();  // "False", "True"

enum class TPropKind : uint8_t { Integer, Enumeration, Float, String, Int64, DynArray };
enum class TFloatType : uint8_t { Single, Double, Extended };

// Dynamic arrays: the element type of the innermost level and the number of levels.
enum class TArrayElementType : uint8_t {
  Single, Double, Int8, UInt8, Int16, UInt16, Int32, UInt32, Boolean, String, Int64, Enumeration, Bytes
};
struct TArrayType {
  TArrayElementType Element = TArrayElementType::Int32;
  int32_t Dimensions = 1;
  const TEnumType* Enum = nullptr;  // Enumeration elements
  int32_t ByteSize = 0;             // Bytes elements: the size of one element
};
// One element: integers and enumeration ordinals as int64_t, floats as double, raw bytes in
// memory order as std::vector<uint8_t>; outer levels of a multi-dimensional array hold Rows.
using TArrayItem = std::variant<int64_t, double, bool, std::string, std::vector<uint8_t>>;
struct TArrayValue {
  std::vector<TArrayItem> Items;
  std::vector<TArrayValue> Rows;
};

struct TPropInfo {
  std::string Name;
  TPropKind Kind = TPropKind::Integer;
  TFloatType FloatType = TFloatType::Single;
  const TEnumType* Enum = nullptr;  // Enumeration kind, Boolean included
  TArrayType Array;                 // DynArray kind
  std::optional<int32_t> Default;   // integer and enumeration kinds
  // Not an edit of the scene: a value the simulation changes as it runs (a phase) or the
  // selection. Undo leaves it alone; files still keep it.
  bool LeftByUndo = false;

  // Integer, enumeration and 64-bit integer values travel as int64_t, floats as double.
  std::function<int64_t(const TBasicXMLNode&)> GetOrdinal;
  std::function<void(TBasicXMLNode&, int64_t)> SetOrdinal;
  std::function<double(const TBasicXMLNode&)> GetFloat;
  std::function<void(TBasicXMLNode&, double)> SetFloat;
  std::function<std::string(const TBasicXMLNode&)> GetString;
  std::function<void(TBasicXMLNode&, const std::string&)> SetString;
  std::function<TArrayValue(const TBasicXMLNode&)> GetArray;
  std::function<void(TBasicXMLNode&, const TArrayValue&)> SetArray;

  bool Readable() const;
  bool Writable() const;
};

using TPropertyList = std::vector<TPropInfo>;

// Builds the published properties of class T. An accessor is a data member pointer, a member
// function pointer or a callable taking the object (and the value, for setters); nullptr as a
// setter makes the property read only.
template <class T>
class TPropertyBuilder {
 public:
  explicit TPropertyBuilder(TPropertyList& List) : List(List) {}

  // Marks the property declared last as one that undo leaves alone.
  TPropertyBuilder& LeftByUndo() {
    List.back().LeftByUndo = true;
    return *this;
  }

  template <class G, class S = G>
  TPropertyBuilder& Integer(std::string Name, G Get, S Set, std::optional<int32_t> Default = {}) {
    TPropInfo& p = Add(std::move(Name), TPropKind::Integer);
    p.Default = Default;
    p.GetOrdinal = [Get](const TBasicXMLNode& o) { return int64_t(int32_t(Read(o, Get))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrdinal = [Set](TBasicXMLNode& o, int64_t v) { Write(o, Set, int32_t(v)); };
    return *this;
  }
  template <class F>
  TPropertyBuilder& Integer(std::string Name, F Field) { return Integer(std::move(Name), Field, Field); }

  template <class G, class S = G>
  TPropertyBuilder& Int64(std::string Name, G Get, S Set) {
    TPropInfo& p = Add(std::move(Name), TPropKind::Int64);
    p.GetOrdinal = [Get](const TBasicXMLNode& o) { return int64_t(Read(o, Get)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrdinal = [Set](TBasicXMLNode& o, int64_t v) { Write(o, Set, v); };
    return *this;
  }
  template <class F>
  TPropertyBuilder& Int64(std::string Name, F Field) { return Int64(std::move(Name), Field, Field); }

  template <class G, class S = G>
  TPropertyBuilder& Enumeration(std::string Name, const TEnumType& Type, G Get, S Set,
                                std::optional<int32_t> Default = {}) {
    TPropInfo& p = Add(std::move(Name), TPropKind::Enumeration);
    p.Enum = &Type;
    p.Default = Default;
    p.GetOrdinal = [Get](const TBasicXMLNode& o) { return int64_t(Read(o, Get)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrdinal = [Set](TBasicXMLNode& o, int64_t v) {
        using V = std::remove_cvref_t<decltype(Read(o, Get))>;
        Write(o, Set, static_cast<V>(v));
      };
    return *this;
  }

  template <class G, class S = G>
  TPropertyBuilder& Boolean(std::string Name, G Get, S Set, std::optional<bool> Default = {}) {
    return Enumeration(std::move(Name), BooleanType(), Get, Set,
                       Default ? std::optional<int32_t>(*Default ? 1 : 0) : std::nullopt);
  }
  template <class F>
  TPropertyBuilder& Boolean(std::string Name, F Field) { return Boolean(std::move(Name), Field, Field); }

  template <class G, class S = G>
  TPropertyBuilder& Single(std::string Name, G Get, S Set) {
    return Float(std::move(Name), TFloatType::Single, Get, Set);
  }
  template <class F>
  TPropertyBuilder& Single(std::string Name, F Field) { return Single(std::move(Name), Field, Field); }

  template <class G, class S = G>
  TPropertyBuilder& Double(std::string Name, G Get, S Set) {
    return Float(std::move(Name), TFloatType::Double, Get, Set);
  }
  template <class F>
  TPropertyBuilder& Double(std::string Name, F Field) { return Double(std::move(Name), Field, Field); }

  template <class G, class S = G>
  TPropertyBuilder& String(std::string Name, G Get, S Set) {
    TPropInfo& p = Add(std::move(Name), TPropKind::String);
    p.GetString = [Get](const TBasicXMLNode& o) { return std::string(Read(o, Get)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetString = [Set](TBasicXMLNode& o, const std::string& v) { Write(o, Set, v); };
    return *this;
  }
  template <class F>
  TPropertyBuilder& String(std::string Name, F Field) { return String(std::move(Name), Field, Field); }

  template <class G, class S = G>
  TPropertyBuilder& Array(std::string Name, TArrayType Type, G Get, S Set) {
    TPropInfo& p = Add(std::move(Name), TPropKind::DynArray);
    p.Array = Type;
    p.GetArray = [Get](const TBasicXMLNode& o) { return TArrayValue(Read(o, Get)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetArray = [Set](TBasicXMLNode& o, const TArrayValue& v) { Write(o, Set, v); };
    return *this;
  }

 private:
  template <class G, class S>
  TPropertyBuilder& Float(std::string Name, TFloatType Type, G Get, S Set) {
    TPropInfo& p = Add(std::move(Name), TPropKind::Float);
    p.FloatType = Type;
    p.GetFloat = [Get](const TBasicXMLNode& o) { return double(Read(o, Get)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetFloat = [Set](TBasicXMLNode& o, double v) {
        using V = std::remove_cvref_t<decltype(Read(o, Get))>;
        Write(o, Set, static_cast<V>(v));
      };
    return *this;
  }

  TPropInfo& Add(std::string Name, TPropKind Kind) {
    TPropInfo& p = List.emplace_back();
    p.Name = std::move(Name);
    p.Kind = Kind;
    return p;
  }

  template <class A>
  static decltype(auto) Read(const TBasicXMLNode& o, A Access) {
    const T& self = static_cast<const T&>(o);
    if constexpr (std::is_member_object_pointer_v<A>)
      return (self.*Access);
    else
      return std::invoke(Access, self);
  }
  template <class A, class V>
  static void Write(TBasicXMLNode& o, A Access, V&& Value) {
    T& self = static_cast<T&>(o);
    if constexpr (std::is_member_object_pointer_v<A>)
      self.*Access = std::forward<V>(Value);
    else
      std::invoke(Access, self, std::forward<V>(Value));
  }

  TPropertyList& List;
};

// A class reference: names a node class, knows its base, its interfaces and its published
// properties, and makes instances through NewNode.
class TNodeClass {
 public:
  using TFactory = XMLNodeRef (*)();

  // Properties and interfaces are the class's own; those of Base come first.
  TNodeClass(std::string Name, const TNodeClass* Base, TFactory Factory, TPropertyList OwnProperties,
             std::vector<TGUID> OwnInterfaces = {});

  template <class T>
  static TNodeClass Make(std::string Name, const TNodeClass* Base,
                         void (*Declare)(TPropertyBuilder<T>&) = nullptr,
                         std::vector<TGUID> OwnInterfaces = {}) {
    TPropertyList own;
    if (Declare) {
      TPropertyBuilder<T> builder(own);
      Declare(builder);
    }
    TFactory factory = nullptr;
    if constexpr (requires { new T(); })
      factory = [] { return XMLNodeRef(NewNode<T>()); };
    return TNodeClass(std::move(Name), Base, factory, std::move(own), std::move(OwnInterfaces));
  }

  const std::string& ClassName() const { return Name; }
  const TNodeClass* Base() const { return BaseClass; }
  // True when this class is Other or derives from it.
  bool InheritsFrom(const TNodeClass& Other) const;
  bool Implements(const TGUID& IID) const;
  bool CanCreate() const { return Factory != nullptr; }
  // A new instance, or nil for a class that cannot be instantiated.
  XMLNodeRef Create() const;

  const TPropertyList& Properties() const { return AllProperties; }
  // The published property of that name, compared without regard to letter case, or nil.
  const TPropInfo* FindProperty(std::string_view PropName) const;

 private:
  std::string Name;
  const TNodeClass* BaseClass;
  TFactory Factory;
  TPropertyList AllProperties;
  std::vector<TGUID> Interfaces;
};

// The text of one published property, by name without regard to letter case.
std::string GetPublishedValue(TBasicXMLNode& Object, std::string_view PropName);
// Converts Text by the property's kind and stores it through its setter. With SkipUnknown an
// unknown name does nothing.
void SetPublishedValue(TBasicXMLNode& Object, std::string_view PropName, const std::string& Text,
                       bool SkipUnknown = false);

}  // namespace plashbox
