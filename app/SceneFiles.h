// Scenes kept as XML text: the whole slideshow with its waters and their objects.
#pragma once

#include <string>

#include "sim/uWaterCollection.h"

namespace plashbox {

// Makes the scene's classes known to the reader by name; safe to call more than once.
void RegisterSceneClasses();

// Writes the collection to FileName. The text goes to a temporary file in the same folder that
// is renamed over the target only once complete, so a failed save leaves the old file as it
// was. Raises the writer's error, or TXMLNodeError when the file cannot be written.
void SaveScene(TWaterCollection& Collection, const std::string& FileName);

// Reads a collection written by SaveScene. Raises the reader's errors, TXMLNodeError when the
// file cannot be opened, and TXMLNodeParsingError when it holds no collection.
TRef<TWaterCollection> LoadScene(const std::string& FileName);

}  // namespace plashbox
