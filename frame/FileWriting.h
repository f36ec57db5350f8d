// frame/: the window's logic without a window, shared by every front end and the tests.
// Files written whole or not at all. A plain file (or one yet to be made) is written to a
// temporary file of a unique name in its own folder, which is renamed over it once complete,
// so a failed write leaves what stood there before. A symbolic link is followed and its final
// target written so; a FIFO, a character device and "-" (standard output) are written straight
// through, since they cannot be replaced; any other kind of file is refused. Every saving path
// of the program (scene files, the driver, the build's tools) writes through here.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plashbox {

// The name that stands for standard output.
inline constexpr std::string_view StandardOutputName = "-";

// Writes the file through Write. An error that Write raises is passed on as it is; a file that
// cannot be written raises TXMLNodeError "Cannot write file: " with the caller's file name and
// the reason. Nothing is left behind on any failure.
void WriteFileAtomically(const std::string& FileName, const std::function<void(std::ostream&)>& Write);
void WriteFileAtomically(const std::string& FileName, std::string_view Contents);

// Raises the error that writing these files as one set would raise for a file's kind, its folder
// or a file named twice, before any work is done for them; writing can still fail later (a full
// disk, say).
void CheckWritableFiles(const std::vector<std::string>& FileNames);

// Several files at once, all or none: every target is checked and every temporary written
// before the first file is replaced; a replacement that fails puts the files already replaced
// back as they were. The same file named twice is refused.
void WriteFilesAtomically(const std::vector<std::pair<std::string, std::string>>& Files);

// A file too long to hold in memory whole (a recorded animation), written piece by piece with
// the same rule: a plain file grows as a temporary beside its target and replaces it only on
// Commit; destroying the object before that removes the temporary, so a write that fails
// half-way leaves what stood there before. A FIFO, a device or "-" is written straight through.
// Every error is TXMLNodeError "Cannot write file: " with the name given here.
class TStreamingFile {
 public:
  explicit TStreamingFile(const std::string& FileName);
  ~TStreamingFile();
  TStreamingFile(const TStreamingFile&) = delete;
  TStreamingFile& operator=(const TStreamingFile&) = delete;

  void Write(std::string_view Data);
  // Writes everything to disk and puts the file in place; nothing can be written after it.
  void Commit();
  // Removes the temporary now (as the destructor would).
  void Discard();
  const std::string& Name() const { return Name_; }

 private:
  std::string Name_;
  std::string Path_;       // the final target
  std::string Temporary_;  // empty when written straight through or when closed
  int Fd_ = -1;
  bool Open_ = false;
};

}  // namespace plashbox
