#include "frame/SceneFiles.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

#include "frame/FileWriting.h"
#include "xmlworker/XMLWorker.h"

namespace plashbox {

void SaveScene(TWaterCollection& Collection, const std::string& FileName) {
  WriteFileAtomically(FileName, [&](std::ostream& Out) { Collection.SaveToStream(Out, true, 0); });
}

TRef<TWaterCollection> LoadScene(const std::string& FileName) {
  std::ifstream in(FileName, std::ios::binary);
  if (!in) throw TXMLNodeError("Cannot open file: " + FileName);
  std::error_code ec;
  const auto bytes = std::filesystem::file_size(FileName, ec);
  if (!ec && bytes > uintmax_t(MaxSceneFileBytes))
    throw TXMLNodeParsingError("Scene file too large: " + FileName + " (" + std::to_string(bytes) +
                               " bytes; at most 16 MiB)");
  return LoadScene(in, FileName);
}

TRef<TWaterCollection> LoadScene(std::istream& Stream, const std::string& FileName) {
  // Read into a container of its own: nothing running is touched until the whole file is in.
  // Slides read in hold no cells yet (the collection sizes them), so even a long file costs
  // little before its slides are counted.
  const TRef<TXMLNode> container = NewNode<TXMLNode>();
  container->LoadFromStream(Stream);
  TWaterCollection* found = nullptr;
  for (TWaterCollection* collection : ChildrenOf<TWaterCollection>(*container)) {
    // Which one the user meant cannot be told; running one of them would hide the other.
    if (found) throw TXMLNodeParsingError("More than one scene in file: " + FileName);
    found = collection;
  }
  if (!found) throw TXMLNodeParsingError("No scene in file: " + FileName);
  if (found->GetChildCount() > MaxSceneSlides)
    throw TXMLNodeParsingError("Too many slides in file: " + FileName + " (" + std::to_string(found->GetChildCount()) +
                               "; at most " + std::to_string(MaxSceneSlides) + ")");
  TRef<TWaterCollection> scene(found);
  container->Remove(found);  // the scene leaves the container whole; the rest goes with it
  return scene;
}

}  // namespace plashbox
