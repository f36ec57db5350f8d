// Writes the shipped experiments as one scene file: make_experiments FILE.
#include <cstdio>
#include <exception>

#include "frame/ClassRegistration.h"
#include "frame/Experiments.h"
#include "frame/SceneFiles.h"
#include "objects/UniqueIDs.h"

int main(int argc, char** argv) {
  using namespace plashbox;
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_experiments FILE\n");
    return 2;
  }
  try {
    RegisterClasses();
    SeedUniqueIDs(2026);  // the same file from every build
    const TRef<TSlideshow> experiments = MakeExperiments();
    // No size of their own: the experiments open at whatever size the tank has.
    experiments->CollectionWidth = experiments->CollectionHeight = 0;
    SaveScene(*experiments, argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_experiments: %s\n", e.what());
    return 1;
  }
  return 0;
}
