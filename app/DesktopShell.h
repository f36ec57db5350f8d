// app/: the Qt window program: main window, frame timer, splash and desktop shell.
// Opening a document or a web address with the desktop's own program for it. The window
// program opens through the desktop and the tests put a recorder in its place; the headless
// driver opens no documents.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace plashbox {

// Target is a web address ("https://...") or a file name, with an optional "#anchor"; a
// relative file name is looked for in the current folder, the program's own folder and the
// installed documents' folder (share/plashbox beside the program's bin folder). A document
// that is not there, or that no program of the desktop opens, raises EShellOpenError naming
// the file with its full path and what to install.
using TShellOpen = std::function<void(const std::string& Target)>;
// A failure found after ShellOpen has returned, with the same message; on the GUI thread.
using TShellFailure = std::function<void(const std::string& Message)>;

class EShellOpenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// On Linux and the other Unix desktops the document goes to the desktop's opener, xdg-open,
// started without waiting for it: an opener that is missing or cannot start raises at once;
// one that ends unsuccessfully within OpenerWatchSeconds (xdg-open's "no method available", a
// browser that refuses to run as root) is reported to Failed, with the opener's last line of
// complaint. One still running then is taken to show the document (a browser that xdg-open
// runs in the foreground). Elsewhere the desktop's services open it.
void ShellOpen(const std::string& Target, const TShellFailure& Failed = {});
inline constexpr int OpenerWatchSeconds = 5;
// Replaces the opener; an empty function restores the desktop's. A replacement reports its
// failures by raising.
void SetShellOpen(TShellOpen Opener);

// The two addresses behind the splash window's link areas, and the documents of the menu.
inline constexpr const char* ProductWebAddress = "help/index.html";
inline constexpr const char* MakerWebAddress = "help/about.html";
// The help: compiled HTML on Windows, the same pages as plain HTML in a browser elsewhere.
#if defined(_WIN32)
inline constexpr const char* HelpFileName = "PlashboxDemo.chm";
#else
inline constexpr const char* HelpFileName = "help/index.html";
#endif
inline constexpr const char* ManualFileName = "Plashbox Manual.pdf";

}  // namespace plashbox
