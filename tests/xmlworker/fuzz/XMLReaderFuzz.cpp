// libFuzzer entry for the XML reader; built by scripts/fuzz.sh reader.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "../XMLFuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string problem =
      plashbox::samples::CheckReaderOnce(std::string_view(reinterpret_cast<const char*>(Data), Size));
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
