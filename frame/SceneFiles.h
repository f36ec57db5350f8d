// frame/: the window's logic without a window, shared by every front end and the tests.
// Scenes kept as XML text: the whole slideshow with its waters and their objects.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "sim/uWaterCollection.h"

namespace plashbox {

// Writes the collection to FileName, whole or not at all (WriteFileAtomically): a failed save
// leaves the old file as it was. Raises the writer's error, or TXMLNodeError when the file
// cannot be written.
void SaveScene(TWaterCollection& Collection, const std::string& FileName);

// Reads a collection written by SaveScene. Raises the reader's errors, TXMLNodeError when the
// file cannot be opened, and TXMLNodeParsingError when it holds no collection or more than one,
// or when its first bytes say it is no scene at all: an empty file, a PNG, JPEG or GIF picture,
// a PDF document or a ZIP archive ("x.png is not a Plashbox scene file (it looks like a PNG
// picture)"). The classes are found by name in the node registry (RegisterClasses).
TRef<TWaterCollection> LoadScene(const std::string& FileName);
// The same from a stream; FileName names it in every message.
TRef<TWaterCollection> LoadScene(std::istream& Stream, const std::string& FileName);

// The largest scene the reader takes: a file of more bytes or more slides is refused with
// TXMLNodeParsingError before it can take the machine's memory.
inline constexpr int64_t MaxSceneFileBytes = 16 << 20;
inline constexpr int32_t MaxSceneSlides = 256;

}  // namespace plashbox
