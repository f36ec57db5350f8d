// frame/: the window's logic without a window, shared by every front end and the tests.
// Messages shown to the user may quote bytes from a file; control bytes among them are shown
// escaped, never sent raw to a terminal or a message box.
#pragma once

#include <string>
#include <string_view>

namespace plashbox {

// Text with every byte below 0x20 (but tab) and 0x7F written as \xNN; a backslash stays as it
// is. Other bytes, UTF-8 among them, pass unchanged.
std::string PrintableText(std::string_view Text);

}  // namespace plashbox
