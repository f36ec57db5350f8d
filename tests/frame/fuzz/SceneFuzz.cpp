// libFuzzer entry for scene files read through the program's classes; built by scripts/fuzz.sh.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/frame/SceneFuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string problem =
      plashbox::tests::CheckSceneOnce(std::string_view(reinterpret_cast<const char*>(Data), Size));
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
