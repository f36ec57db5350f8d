// app/: the Qt window program: main window, frame timer, splash and desktop shell.
// Opening a document or a web address with the desktop's own program for it. The window
// program opens through the desktop; tests and the headless driver put a recorder in its place.
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

class EShellOpenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

void ShellOpen(const std::string& Target);
// Replaces the opener; an empty function restores the desktop's.
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
