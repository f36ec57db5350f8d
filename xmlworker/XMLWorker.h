// xmlworker/: the node tree, class registry, XML text, messenger and undo.
// The node tree's persistence: the registry of node classes by name, the XML text writer and
// the reader. Include this header to save and load node trees; it brings the node tree, the
// published properties and the text forms with it.
//
// Saving: Node->SaveToStream(Stream, Format, Indent) or SaveNodeToFile. Loading reads INTO a
// node: the elements at the top level of the text become that node's properties and children,
// so a text written from node N is read back by loading it into N's future parent (or into a
// plain TXMLNode used as a container), where the copy of N appears as the last child.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "xmlworker/XMLFormat.h"
#include "xmlworker/XMLNode.h"
#include "xmlworker/XMLProperties.h"

namespace plashbox {

// ---------------------------------------------------------------------------
// Node registry

struct TNodeRegistryEntry {
  const TNodeClass* NodeClass = nullptr;
  bool RestrictParents = false;
  bool RestrictChildren = false;
  bool RestrictParentInterfaces = false;
  bool RestrictChildInterfaces = false;
  std::vector<const TNodeClass*> AllowedParents;
  std::vector<const TNodeClass*> AllowedChildren;
  std::vector<TGUID> AllowedParentInterfaces;
  std::vector<TGUID> AllowedChildInterfaces;
};

// Maps class names (compared without regard to letter case) to node classes, so that the
// reader can make a node from its tag; also keeps optional parent and child rules per class.
class TNodeRegistry {
 public:
  using TClassList = std::vector<const TNodeClass*>;

  TNodeRegistry() = default;
  virtual ~TNodeRegistry() = default;
  TNodeRegistry(const TNodeRegistry&) = delete;
  TNodeRegistry& operator=(const TNodeRegistry&) = delete;

  // Index of the first entry of exactly that class, or -1.
  virtual int32_t IndexOfClass(const TNodeClass* NodeClass) const;
  // The only way to set the interface rules of an entry.
  virtual void SetEntry(int32_t Index, const TNodeRegistryEntry& Entry);
  virtual int32_t GetNodeCount() const;
  virtual TNodeRegistryEntry GetEntry(int32_t Index) const;
  virtual void RegisterNode(const TNodeClass* NodeClass);
  // In order; stops at the first class that cannot be registered, keeping those before it.
  virtual void RegisterNodes(const TClassList& NodeClasses);
  virtual void RegisterNodeWithRules(const TNodeClass* NodeClass, bool RestrictParents, bool RestrictChildren,
                                     const TClassList& AllowedParents, const TClassList& AllowedChildren);
  // Nothing in the framework asks this; add does not consult it. With no rule that applies
  // the answer is true.
  virtual bool IsChildAllowed(const TNodeClass* ParentClass, const TNodeClass* ChildClass) const;

  int32_t NodeCount() const { return GetNodeCount(); }
  bool IsRegistered(std::string_view Name) const;
  const TNodeClass* FindNodeClass(std::string_view Name) const;
  // A new, parentless node of the registered class Name with AttributeText applied to its
  // published properties; nil when Name is not registered.
  XMLNodeRef CreateNode(std::string_view Name, std::string_view AttributeText, bool SkipUnknown) const;

 private:
  void CheckIndex(int32_t Index) const;

  std::vector<TNodeRegistryEntry> Entries;
};

// The one registry of the process, empty at start-up.
TNodeRegistry& NodeRegistry();

// ---------------------------------------------------------------------------
// Writer

// The element of Node with its whole subtree; what TBasicXMLNode::SaveToStream does. Indent is
// the number of blanks before the node's own lines. Raises TXMLNodeError for a written
// property whose name begins with "xml"; what was written before stays in the stream.
void SaveNodeToStream(iXMLNode& Node, std::ostream& Stream, bool Format, int32_t Indent);

// ---------------------------------------------------------------------------
// Reader

// Reads properties and children into Node from the stream's current position up to Node's
// closing tag or the end of the stream; what LoadFromStream (SkipUnknown false) and
// LoadFromStreamSkipUnknows (true) do. Errors are TXMLNodeParsingError, those of
// SetPublishedValue (EConvertError for a bad number among them) and TXMLNodeRegistryError.
void LoadNodeFromStream(iXMLNode& Node, std::istream& Stream, bool SkipUnknown);

// Sets published properties from the attribute text of a tag: name="value" or name='value'.
void ApplyAttributes(TBasicXMLNode& Object, std::string_view Text, bool SkipUnknown);

// Node elements nested deeper than this are refused, so that a hostile text cannot exhaust
// the stack.
inline constexpr int32_t XMLMaxNesting = 256;

// ---------------------------------------------------------------------------
// Files

// Writes Node and its subtree to FileName (replacing it), formatted by default.
// TXMLNodeError when the file cannot be written.
void SaveNodeToFile(iXMLNode& Node, const std::string& FileName, bool Format = true);
// Reads the text of FileName into Parent: the nodes of the file become Parent's last children.
// TXMLNodeError when the file cannot be opened; reading errors as LoadNodeFromStream.
void LoadNodesFromFile(iXMLNode& Parent, const std::string& FileName, bool SkipUnknown = false);

}  // namespace plashbox
