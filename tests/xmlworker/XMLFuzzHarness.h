// The reader's fuzz check, shared by the libFuzzer target and the corpus replay test.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plashbox::samples {

// Reads Data into fresh sample nodes, once with each reader. Reading may fail with the
// framework's errors (or a number conversion error), but whatever was read before the failure
// must write out, read back without error and write again to the same text, formatted or not.
// Returns an empty text when that holds, else what went wrong.
std::string CheckReaderOnce(std::string_view Data);

// The scenes written from sample trees that seed the corpus: file name and text.
std::vector<std::pair<std::string, std::string>> WrittenSeeds();

}  // namespace plashbox::samples
