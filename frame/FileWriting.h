// frame/: the window's logic without a window, shared by every front end and the tests.
// Files written whole or not at all: each goes to a temporary file in its own folder, which is
// renamed over the target once complete, so a failed write leaves what stood there before.
// Every saving path of the program (scene files, the driver, the build's tools) writes so.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plashbox {

// Writes the file through Write. An error that Write raises is passed on as it is; a file that
// cannot be written raises TXMLNodeError "Cannot write file: " with the caller's file name and
// the reason. Nothing is left behind on any failure.
void WriteFileAtomically(const std::string& FileName, const std::function<void(std::ostream&)>& Write);
void WriteFileAtomically(const std::string& FileName, std::string_view Contents);

// Several files at once, all or none: every temporary is written before the first is renamed,
// and on any failure the temporaries are removed.
void WriteFilesAtomically(const std::vector<std::pair<std::string, std::string>>& Files);

}  // namespace plashbox
