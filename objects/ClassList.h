// objects/: the tank objects placed in the water: sources, maps and their controls.
// A process-wide list of node classes in the order they were registered: the source and map
// classes from which a new scene takes its objects.
#pragma once

#include <cstdint>
#include <vector>

#include "xmlworker/XMLProperties.h"

namespace plashbox {

class TClassList {
 public:
  void Register(const TNodeClass& Class) { Classes.push_back(&Class); }
  int32_t Count() const { return static_cast<int32_t>(Classes.size()); }
  // The class at Index, or nil outside 0 .. count - 1.
  const TNodeClass* At(int32_t Index) const {
    return Index >= 0 && Index < Count() ? Classes[static_cast<size_t>(Index)] : nullptr;
  }
  // The program never empties a list; tests start from a known one.
  void Clear() { Classes.clear(); }

 private:
  std::vector<const TNodeClass*> Classes;
};

}  // namespace plashbox
