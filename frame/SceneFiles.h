// frame/: the window's logic without a window, shared by every front end and the tests.
// Scenes kept as XML text: the whole slideshow with its waters and their objects.
#pragma once

#include <string>

#include "sim/uWaterCollection.h"

namespace plashbox {

// Writes the collection to FileName, whole or not at all (WriteFileAtomically): a failed save
// leaves the old file as it was. Raises the writer's error, or TXMLNodeError when the file
// cannot be written.
void SaveScene(TWaterCollection& Collection, const std::string& FileName);

// Reads a collection written by SaveScene. Raises the reader's errors, TXMLNodeError when the
// file cannot be opened, and TXMLNodeParsingError when it holds no collection or more than one. The classes are
// found by name in the node registry (RegisterClasses).
TRef<TWaterCollection> LoadScene(const std::string& FileName);

}  // namespace plashbox
