#include "frame/SceneFiles.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string_view>
#include <system_error>
#include <utility>

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

namespace {

// What a file that is no scene most likely is, told by its first bytes: a picture or a document
// opened by mistake. Empty when it may be XML, which the reader then judges.
std::string KindOfForeignFile(std::istream& Stream) {
  const std::istream::pos_type start = Stream.tellg();
  if (start == std::istream::pos_type(-1)) return {};
  char bytes[8] = {};
  Stream.read(bytes, sizeof bytes);
  const auto read = size_t(Stream.gcount());
  Stream.clear();
  Stream.seekg(start);
  if (read == 0) return "it is empty";
  const std::string_view head(bytes, read);
  static const std::pair<std::string_view, const char*> Signatures[] = {
      {"\x89PNG\r\n\x1a\n", "it looks like a PNG picture"}, {"\xFF\xD8\xFF", "it looks like a JPEG picture"},
      {"GIF87a", "it looks like a GIF picture"},           {"GIF89a", "it looks like a GIF picture"},
      {"%PDF-", "it looks like a PDF document"},           {"PK\x03\x04", "it looks like a ZIP archive"},
      {"PK\x05\x06", "it looks like a ZIP archive"}};
  for (const auto& [signature, kind] : Signatures)
    if (head.starts_with(signature)) return kind;
  return {};
}

}  // namespace

TRef<TWaterCollection> LoadScene(std::istream& Stream, const std::string& FileName) {
  if (const std::string kind = KindOfForeignFile(Stream); !kind.empty())
    throw TXMLNodeParsingError(FileName + " is not a Plashbox scene file (" + kind + ")");
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
