// frame/: the window's logic without a window, shared by every front end and the tests.
// The published values of a scene's objects, taken before and after an edit, so that the
// edit's undo record holds exactly the values it changed.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "xmlworker/XMLNode.h"
#include "xmlworker/XMLProperties.h"

namespace plashbox {

// One published value as its kind carries it: ordinals and floats exactly, texts as texts.
// Dynamic arrays are left out: no scene class publishes one.
using TPublishedValue = std::variant<int64_t, double, std::string>;

// The properties of a class that an edit can change and undo can write back: readable,
// writable, not left by undo, not an array.
std::vector<const TPropInfo*> UndoableProperties(const TNodeClass& Class);
TPublishedValue ReadPublished(const TPropInfo& Property, const TBasicXMLNode& Node);
void WritePublished(const TPropInfo& Property, TBasicXMLNode& Node, const TPublishedValue& Value);
// Equal to the bit, so that a NaN equals itself and a change of sign at zero counts.
bool SamePublished(const TPublishedValue& A, const TPublishedValue& B);

struct TPropertyChange {
  const TPropInfo* Property;
  TPublishedValue Before, After;
};

struct TNodeChanges {
  TRef<TBasicXMLNode> Node;
  std::vector<TPropertyChange> Changes;
};

// Every node of a tree with its undoable values, in tree order. The nodes are held, so a node
// removed meanwhile is still compared by identity, never mistaken for a new one.
class TSceneSnapshot {
 public:
  static TSceneSnapshot Take(TBasicXMLNode& Root);

  // The values that differ, node by node, for the nodes present in both.
  friend std::vector<TNodeChanges> Changes(const TSceneSnapshot& Before, const TSceneSnapshot& After);

 private:
  struct TEntry {
    TRef<TBasicXMLNode> Node;
    std::vector<const TPropInfo*> Properties;
    std::vector<TPublishedValue> Values;
  };
  std::vector<TEntry> Entries;
};

}  // namespace plashbox
