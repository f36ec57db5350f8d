#include "frame/SceneFiles.h"

#include <ostream>

#include "frame/FileWriting.h"
#include "xmlworker/XMLWorker.h"

namespace plashbox {

void SaveScene(TWaterCollection& Collection, const std::string& FileName) {
  WriteFileAtomically(FileName, [&](std::ostream& Out) { Collection.SaveToStream(Out, true, 0); });
}

TRef<TWaterCollection> LoadScene(const std::string& FileName) {
  // Read into a container of its own: nothing running is touched until the whole file is in.
  const TRef<TXMLNode> container = NewNode<TXMLNode>();
  LoadNodesFromFile(*container, FileName, false);
  TWaterCollection* found = nullptr;
  for (TWaterCollection* collection : ChildrenOf<TWaterCollection>(*container)) {
    // Which one the user meant cannot be told; running one of them would hide the other.
    if (found) throw TXMLNodeParsingError("More than one scene in file: " + FileName);
    found = collection;
  }
  if (!found) throw TXMLNodeParsingError("No scene in file: " + FileName);
  TRef<TWaterCollection> scene(found);
  container->Remove(found);  // the scene leaves the container whole; the rest goes with it
  return scene;
}

}  // namespace plashbox
