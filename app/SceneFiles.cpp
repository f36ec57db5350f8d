#include "app/SceneFiles.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "objects/uBlockRIMapper.h"
#include "objects/uGeneralExciter.h"
#include "xmlworker/XMLWorker.h"

namespace plashbox {

namespace fs = std::filesystem;

void RegisterSceneClasses() {
  TNodeRegistry& registry = NodeRegistry();
  for (const TNodeClass* c : {&TSlideshow::StaticClass(), &TWater::StaticClass(), &TBlockRIMapper::StaticClass(),
                              &TGeneralExciter::StaticClass()})
    if (!registry.IsRegistered(c->ClassName())) registry.RegisterNode(c);
}

void SaveScene(TWaterCollection& Collection, const std::string& FileName) {
  const fs::path target(FileName);
  // A name of our own beside the target: the rename then stays within one file system.
  std::random_device random;
  const fs::path temporary =
      target.parent_path() / ("." + target.filename().string() + "." + std::to_string(random()) + ".partial");
  try {
    SaveNodeToFile(Collection, temporary.string(), true);
  } catch (...) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw;
  }
  std::error_code ec;
  fs::rename(temporary, target, ec);
  if (ec) {
    fs::remove(temporary, ec);
    throw TXMLNodeError("Cannot write file: " + FileName);
  }
}

TRef<TWaterCollection> LoadScene(const std::string& FileName) {
  // Read into a container of its own: nothing running is touched until the whole file is in.
  const TRef<TXMLNode> container = NewNode<TXMLNode>();
  LoadNodesFromFile(*container, FileName, false);
  TWaterCollection* found = nullptr;
  for (int32_t i = 0; i < container->GetChildCount(); ++i)
    if (auto* collection = NodeAs<TWaterCollection>(container->GetChildren(i))) found = collection;
  if (!found) throw TXMLNodeParsingError("No scene in file: " + FileName);
  TRef<TWaterCollection> scene(found);
  container->Remove(found);  // the scene leaves the container whole; the rest goes with it
  return scene;
}

}  // namespace plashbox
