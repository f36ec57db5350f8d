// The scene fuzz corpus replayed: every input is refused cleanly or runs with finite cells.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/frame/SceneFuzzHarness.h"

namespace {

using plashbox::tests::CheckSceneOnce;

std::string ReadFile(const std::filesystem::path& File) {
  std::ostringstream text;
  text << std::ifstream(File, std::ios::binary).rdbuf();
  return text.str();
}

TEST(SceneCorpus, SeedsAreTheScenesTheProgramWrites) {
  const std::filesystem::path dir = PLASHBOX_SCENE_CORPUS_DIR;
  // PLASHBOX_WRITE_CORPUS=1 writes the seeds anew after a deliberate change of the text form.
  const bool rewrite = std::getenv("PLASHBOX_WRITE_CORPUS") != nullptr;
  for (const auto& [name, text] : plashbox::tests::SceneSeeds()) {
    if (rewrite) std::ofstream(dir / name, std::ios::binary) << text;
    EXPECT_EQ(ReadFile(dir / name), text) << name;
    EXPECT_EQ(CheckSceneOnce(text), "") << name;
  }
}

TEST(SceneCorpus, EveryInputIsRefusedOrRunsFinite) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PLASHBOX_SCENE_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    EXPECT_EQ(CheckSceneOnce(ReadFile(entry.path())), "") << entry.path().filename();
  }
  EXPECT_GE(files, 6);
}

}  // namespace
