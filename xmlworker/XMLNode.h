// xmlworker/: the node tree, class registry, XML text, messenger and undo.
// The node tree: counted nodes with ordered children, the base of every scene class.
#pragma once

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace plashbox {

// ---------------------------------------------------------------------------
// Interface identifiers and counted interfaces

struct TGUID {
  uint32_t D1;
  uint16_t D2;
  uint16_t D3;
  uint8_t D4[8];
  friend bool operator==(const TGUID&, const TGUID&) = default;
};

// The basic counted interface: identifier query, add reference, release.
class iInterface {
 public:
  static constexpr TGUID IID{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  // On success *Out holds a new counted reference of the asked interface.
  virtual bool QueryInterface(const TGUID& IID, void** Out) = 0;
  virtual int32_t AddRef() = 0;
  virtual int32_t Release() = 0;

 protected:
  ~iInterface() = default;
};

// Intrusive counted reference to an interface or to a node class.
template <class T>
class TRef {
 public:
  TRef() noexcept = default;
  TRef(std::nullptr_t) noexcept {}
  TRef(T* p) noexcept : P(p) {
    if (P) P->AddRef();
  }
  TRef(const TRef& o) noexcept : TRef(o.P) {}
  TRef(TRef&& o) noexcept : P(std::exchange(o.P, nullptr)) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  TRef(const TRef<U>& o) noexcept : TRef(static_cast<T*>(o.get())) {}
  ~TRef() { reset(); }

  TRef& operator=(TRef o) noexcept {
    std::swap(P, o.P);
    return *this;
  }

  // Takes over a reference that the caller already counted.
  static TRef Adopt(T* p) noexcept {
    TRef r;
    r.P = p;
    return r;
  }

  void reset() noexcept {
    if (T* p = std::exchange(P, nullptr)) p->Release();
  }
  T* get() const noexcept { return P; }
  T* operator->() const noexcept { return P; }
  T& operator*() const noexcept { return *P; }
  explicit operator bool() const noexcept { return P != nullptr; }

  friend bool operator==(const TRef& a, const TRef& b) noexcept { return a.P == b.P; }
  friend bool operator==(const TRef& a, const T* b) noexcept { return a.P == b; }
  friend bool operator==(const TRef& a, std::nullptr_t) noexcept { return a.P == nullptr; }

 private:
  T* P = nullptr;
};

// The interface I of Obj as a new counted reference, or nil when Obj does not implement it.
template <class I>
TRef<I> Supports(iInterface* Obj) {
  void* raw = nullptr;
  if (Obj && Obj->QueryInterface(I::IID, &raw)) return TRef<I>::Adopt(static_cast<I*>(raw));
  return nullptr;
}

// ---------------------------------------------------------------------------
// Exceptions of the framework

class TXMLNodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class TXMLNodeRegistryError : public TXMLNodeError {
 public:
  using TXMLNodeError::TXMLNodeError;
};
class TXMLNodeParsingError : public TXMLNodeError {
 public:
  using TXMLNodeError::TXMLNodeError;
};
class TXMLNodeUndoManagerError : public TXMLNodeError {
 public:
  using TXMLNodeError::TXMLNodeError;
};

// ---------------------------------------------------------------------------
// The node interface

enum TParamWriteStyle : uint8_t { pwsAllAttribs = 0, pwsAllElements = 1 };

enum TSendMessageVisits : uint8_t {
  smvAll = 0,
  smvAllExceptChildren = 1,
  smvParentsOnly = 2,
  smvOtherBranchesFromRoot = 3,
  smvChildrenOnly = 4,
};

class TBasicXMLNode;
class TNodeClass;
class iXNAction;
class iXNMessenger;

class iXMLNode : public iInterface {
 public:
  static constexpr TGUID IID{0x07596E28, 0x293F, 0x4503, {0xA4, 0xCD, 0x18, 0x37, 0x65, 0x3E, 0x78, 0x85}};

  virtual TRef<iXMLNode> GetChildren(int32_t Index) = 0;
  virtual int32_t GetChildCount() = 0;
  virtual TRef<iXMLNode> GetParentNode() = 0;
  virtual void SetParentNode(iXMLNode* Value) = 0;
  virtual TParamWriteStyle GetParamWriteStyle() = 0;
  virtual int32_t GetPosition() = 0;
  virtual void SetPosition(int32_t Value) = 0;
  virtual int32_t add(iXMLNode* Node) = 0;
  virtual void Remove(iXMLNode* Node) = 0;
  virtual void Clear() = 0;
  virtual bool IsChild(iXMLNode* Node) = 0;
  virtual int32_t Move(iXMLNode* child, int32_t Position) = 0;
  virtual void SaveToStream(std::ostream& Stream, bool Format, int32_t Indent) = 0;
  virtual void LoadFromStream(std::istream& Stream) = 0;
  virtual void LoadFromStreamSkipUnknows(std::istream& Stream) = 0;
  virtual TBasicXMLNode* AsObject() = 0;
  virtual void SendXNMessage(iXNAction* Action, TSendMessageVisits Visiting) = 0;
  virtual void PassBack(iXMLNode* Sender, iXNMessenger* Messenger) = 0;

 protected:
  ~iXMLNode() = default;
};

using XMLNodeRef = TRef<iXMLNode>;

template <class T, class... Args>
TRef<T> NewNode(Args&&... args);

// ---------------------------------------------------------------------------
// The skeleton of every node class: its class reference and the override that hands it out.
// PLASHBOX_NODE_CLASS goes in the public part of the class body;
// PLASHBOX_DEFINE_NODE_CLASS(TClass, TBase[, Declare[, {Interfaces}]]) in its source, where it
// registers the class under its own name (files store that name), with TBase's reference as
// its base and the rest handed to TNodeClass::Make (the published properties' declaration
// and the class's own interfaces).
#define PLASHBOX_NODE_CLASS                                               \
  const TNodeClass& ClassType() const override { return StaticClass(); } \
  static const TNodeClass& StaticClass()

#define PLASHBOX_DEFINE_NODE_CLASS(Class, Base, ...)                                                \
  const TNodeClass& Class::StaticClass() {                                                           \
    static const TNodeClass cls = TNodeClass::Make<Class>(#Class, &Base::StaticClass() __VA_OPT__(, ) \
                                                              __VA_ARGS__);                          \
    return cls;                                                                                      \
  }

// The part of a QueryInterface that answers for interface I: Object seen as an I, counted,
// when IID names I; false otherwise, so that the caller asks its base next.
template <class I, class T>
bool AnswerInterface(T* Object, const TGUID& IID, void** Out) {
  if (IID != I::IID) return false;
  I* self = Object;
  self->AddRef();
  *Out = self;
  return true;
}

// ---------------------------------------------------------------------------
// A node that can have no children. Interfaces that extend iXMLNode derive from it
// virtually, so that a node has one iXMLNode reference value whatever it implements.

class TBasicXMLNode : public virtual iXMLNode {
 public:
  static const TNodeClass& StaticClass();
  virtual const TNodeClass& ClassType() const { return StaticClass(); }
  const std::string& ClassName() const;

  // iInterface
  bool QueryInterface(const TGUID& IID, void** Out) override;
  int32_t AddRef() override;
  int32_t Release() override;

  // iXMLNode, in the node's own slot order
  int32_t GetChildCount() override;
  TRef<iXMLNode> GetChildren(int32_t Index) override;
  TRef<iXMLNode> GetParentNode() override;
  void SetParentNode(iXMLNode* Value) override;
  TParamWriteStyle GetParamWriteStyle() override;
  void SetPosition(int32_t Value) override;
  void PassBack(iXMLNode* Sender, iXNMessenger* Messenger) override;
  void SendXNMessage(iXNAction* Action, TSendMessageVisits Visiting) override;
  int32_t add(iXMLNode* Node) override;
  void Remove(iXMLNode* Node) override;
  void Clear() override;
  bool IsChild(iXMLNode* Node) override;
  int32_t Move(iXMLNode* child, int32_t Position) override;
  void LoadFromStream(std::istream& Stream) override;
  void LoadFromStreamSkipUnknows(std::istream& Stream) override;
  void SaveToStream(std::ostream& Stream, bool Format, int32_t Indent) override;
  TBasicXMLNode* AsObject() override;

  int32_t GetPosition() final;  // not an extension point

  // Destroys the node now. Refused while counted references exist.
  void Destroy();
  int32_t RefCount() const { return Count.load(); }

  // Made through NewNode only; the protected destructor keeps nodes off the stack.
  TBasicXMLNode() = default;
  TBasicXMLNode(const TBasicXMLNode&) = delete;
  TBasicXMLNode& operator=(const TBasicXMLNode&) = delete;

 protected:
  virtual ~TBasicXMLNode();

  // Sets the defaults once the whole object is constructed; overrides call the inherited one first.
  virtual void Initialise();

 private:
  template <class T, class... Args>
  friend TRef<T> NewNode(Args&&... args);
  friend class TXMLNode;

  // Uncounted: a child never keeps its parent alive.
  TBasicXMLNode* Parent = nullptr;
  // One from the start, so that references taken and dropped while constructing cannot destroy it.
  std::atomic<int32_t> Count{1};
  // The count while the destructors run: far from zero whatever they take and drop.
  static constexpr int32_t DestroyingCount = 1 << 30;
};

// ---------------------------------------------------------------------------
// A node with an ordered list of children.

class TXMLNode : public TBasicXMLNode {
 public:
  PLASHBOX_NODE_CLASS;

  int32_t GetChildCount() override;
  TRef<iXMLNode> GetChildren(int32_t Index) override;
  int32_t add(iXMLNode* Node) override;
  void Remove(iXMLNode* Node) override;
  void Clear() override;
  bool IsChild(iXMLNode* Node) override;
  int32_t Move(iXMLNode* child, int32_t Position) override;

 protected:
  ~TXMLNode() override;

 private:
  // Nil until the first child comes; kept, though emptied, by Clear.
  std::unique_ptr<std::vector<XMLNodeRef>> ChildList;
};

// The one way nodes are made: construction, then Initialise once every constructor has run.
template <class T, class... Args>
TRef<T> NewNode(Args&&... args) {
  T* node = new T(std::forward<Args>(args)...);
  // The construction count becomes the caller's reference, so Initialise may take and drop
  // references to the node freely.
  TRef<T> ref = TRef<T>::Adopt(node);
  static_cast<TBasicXMLNode*>(node)->Initialise();
  return ref;
}

// The implementing object of Node as class T, or nil.
template <class T>
T* NodeAs(iXMLNode* Node) {
  return Node ? dynamic_cast<T*>(Node->AsObject()) : nullptr;
}
template <class T>
T* NodeAs(const XMLNodeRef& Node) {
  return NodeAs<T>(Node.get());
}

// The children of a node that are of class T, in order: for (TWater* w : ChildrenOf<TWater>(n)).
// The child count is read at every step, so a body that adds or removes children never reads
// past the list.
template <class T>
class TChildRange {
 public:
  class iterator {
   public:
    using value_type = T*;
    using difference_type = std::ptrdiff_t;
    iterator() = default;
    iterator(iXMLNode* Parent, int32_t Index) : Parent(Parent), Index(Index) { Settle(); }
    T* operator*() const { return Current; }
    iterator& operator++() {
      ++Index;
      Settle();
      return *this;
    }
    void operator++(int) { ++*this; }
    bool operator==(std::default_sentinel_t) const { return !Current; }

   private:
    // Moves on to the first child of class T from Index; none left leaves Current nil.
    void Settle() {
      for (Current = nullptr; Parent && Index < Parent->GetChildCount(); ++Index)
        if ((Current = NodeAs<T>(Parent->GetChildren(Index)))) return;
    }
    iXMLNode* Parent = nullptr;
    int32_t Index = 0;
    T* Current = nullptr;
  };

  explicit TChildRange(iXMLNode& Parent) : Parent(&Parent) {}
  iterator begin() const { return iterator(Parent, 0); }
  std::default_sentinel_t end() const { return {}; }

 private:
  iXMLNode* Parent;
};

template <class T>
TChildRange<T> ChildrenOf(iXMLNode& Parent) {
  return TChildRange<T>(Parent);
}

// The last child of Parent that is a T, or nil; where one object of a kind is wanted, the last
// one wins.
template <class T>
T* LastChildOf(iXMLNode& Parent) {
  T* found = nullptr;
  for (T* child : ChildrenOf<T>(Parent)) found = child;
  return found;
}

}  // namespace plashbox
