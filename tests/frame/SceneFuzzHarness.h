// The scene fuzz check, shared by the libFuzzer target and the corpus replay test.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plashbox::tests {

// Reads Data as a scene file through the program's own class registry. A text that is no scene
// may be refused with the framework's errors; a scene that is taken is run on a small tank for a
// few ticks with the pointer at work, and every cell must stay finite; it must then save and
// open again. Returns an empty text when that holds, else what went wrong.
std::string CheckSceneOnce(std::string_view Data);

// Scenes of every source type and a turned block, written by the program: the corpus's seeds.
std::vector<std::pair<std::string, std::string>> SceneSeeds();

}  // namespace plashbox::tests
