#include "frame/FileWriting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>
#include <system_error>

#include "xmlworker/XMLNode.h"

namespace plashbox {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void CannotWrite(const std::string& FileName, const std::string& Reason) {
  throw TXMLNodeError("Cannot write file: " + FileName + " (" + Reason + ")");
}

std::string ErrnoText() { return std::strerror(errno); }

void RemoveQuietly(const fs::path& File) {
  std::error_code ignored;
  fs::remove(File, ignored);
}

// Writes all of Data to the open descriptor, through short writes and interruptions.
bool WriteAll(int Fd, std::string_view Data) {
  while (!Data.empty()) {
    const ssize_t n = ::write(Fd, Data.data(), Data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    Data.remove_prefix(size_t(n));
  }
  return true;
}

// One file of a set on its way to disk.
struct TTarget {
  enum TKind { Replaced, Direct, Output } Kind = Replaced;
  std::string Name;      // as the user gave it, for every message
  fs::path Path;         // where the bytes go: a link's final target
  std::string_view Contents;
  fs::path Temporary;    // Replaced: the complete new file, until it is renamed
  fs::path Backup;       // Replaced: a second name of the old file while the set is renamed
  bool Existed = false;  // Replaced: there was a file to replace
};

// Follows symbolic links to the file they finally name (which need not exist yet).
fs::path FollowLinks(const std::string& Name) {
  fs::path path(Name);
  for (int depth = 0;; ++depth) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (ec || !fs::is_symlink(status)) return path;
    if (depth == 40) CannotWrite(Name, "too many levels of symbolic links");
    const fs::path next = fs::read_symlink(path, ec);
    if (ec) CannotWrite(Name, ec.message());
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
}

TTarget Classify(const std::string& Name, std::string_view Contents) {
  TTarget t;
  t.Name = Name;
  t.Contents = Contents;
  if (Name.empty()) CannotWrite(Name, "no file name");
  if (Name == StandardOutputName) {
    t.Kind = TTarget::Output;
    return t;
  }
  t.Path = FollowLinks(Name);
  std::error_code ec;
  const fs::file_status status = fs::status(t.Path, ec);
  if (ec && status.type() != fs::file_type::not_found) CannotWrite(Name, ec.message());
  switch (status.type()) {
    case fs::file_type::not_found:
    case fs::file_type::regular: t.Kind = TTarget::Replaced; break;
    case fs::file_type::fifo:
    case fs::file_type::character: t.Kind = TTarget::Direct; break;
    case fs::file_type::directory: CannotWrite(Name, "it is a folder");
    default: CannotWrite(Name, "not a plain file");
  }
  return t;
}

// The permissions a new file gets, or those of the file it replaces.
mode_t ModeFor(const fs::path& Path) {
  struct stat old{};
  if (::stat(Path.c_str(), &old) == 0) return old.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// A new temporary file of a unique name beside the target, open for writing.
int OpenTemporary(TTarget& T) {
  const fs::path folder = T.Path.has_parent_path() ? T.Path.parent_path() : fs::path(".");
  std::string pattern = (folder / ("." + T.Path.filename().string() + ".partial-XXXXXX")).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) CannotWrite(T.Name, ErrnoText());
  T.Temporary = pattern;
  return fd;
}

// The temporary's last steps before it may be renamed: the target's permissions and the disk.
bool FinishTemporary(int Fd, const TTarget& T) { return ::fchmod(Fd, ModeFor(T.Path)) == 0 && ::fsync(Fd) == 0; }

void WriteTemporary(TTarget& T) {
  const int fd = OpenTemporary(T);
  const bool written = WriteAll(fd, T.Contents) && FinishTemporary(fd, T);
  const std::string reason = ErrnoText();
  if (::close(fd) != 0 || !written) {
    RemoveQuietly(T.Temporary);
    T.Temporary.clear();
    CannotWrite(T.Name, written ? ErrnoText() : reason);
  }
}

void WriteDirect(const TTarget& T) {
  if (T.Kind == TTarget::Output) {
    if (!WriteAll(STDOUT_FILENO, T.Contents)) CannotWrite(T.Name, ErrnoText());
    return;
  }
  const int fd = ::open(T.Path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) CannotWrite(T.Name, ErrnoText());
  const bool written = WriteAll(fd, T.Contents);
  const std::string reason = ErrnoText();
  if (::close(fd) != 0 || !written) CannotWrite(T.Name, written ? ErrnoText() : reason);
}

void RemoveTemporaries(std::vector<TTarget>& Targets) {
  for (TTarget& t : Targets) {
    if (!t.Temporary.empty()) RemoveQuietly(t.Temporary);
    if (!t.Backup.empty()) RemoveQuietly(t.Backup);
  }
}

// A second name for the file about to be replaced, so that a set that fails half-way can put it
// back. A file system without hard links goes without.
void KeepBackup(TTarget& T) {
  std::error_code ec;
  T.Existed = fs::exists(T.Path, ec);
  if (!T.Existed) return;
  std::string pattern = T.Temporary.string() + ".old";
  if (::link(T.Path.c_str(), pattern.c_str()) == 0) T.Backup = pattern;
}

// Every target of a set, classified, with the same file named twice refused.
std::vector<TTarget> ClassifyAll(const std::vector<std::pair<std::string, std::string_view>>& Files) {
  std::vector<TTarget> targets;
  std::set<fs::path> seen;
  for (const auto& [name, contents] : Files) {
    targets.push_back(Classify(name, contents));
    const TTarget& t = targets.back();
    if (t.Kind == TTarget::Output) continue;
    std::error_code ec;
    const fs::path key = fs::weakly_canonical(t.Path, ec);
    if (!seen.insert(ec ? t.Path : key).second) CannotWrite(name, "named twice");
  }
  return targets;
}

void WriteAll(const std::vector<std::pair<std::string, std::string_view>>& Files) {
  std::vector<TTarget> targets = ClassifyAll(Files);
  try {
    for (TTarget& t : targets)
      if (t.Kind == TTarget::Replaced) WriteTemporary(t);
    // What cannot be replaced is written before anything is: a FIFO or device that fails then
    // leaves the plain files untouched.
    for (const TTarget& t : targets)
      if (t.Kind != TTarget::Replaced) WriteDirect(t);
    for (TTarget& t : targets)
      if (t.Kind == TTarget::Replaced) KeepBackup(t);
  } catch (...) {
    RemoveTemporaries(targets);
    throw;
  }
  for (size_t i = 0; i < targets.size(); ++i) {
    TTarget& t = targets[i];
    if (t.Kind != TTarget::Replaced) continue;
    std::error_code ec;
    fs::rename(t.Temporary, t.Path, ec);
    if (!ec) {
      t.Temporary.clear();
      continue;
    }
    // Put back what this set already replaced.
    for (size_t j = 0; j < i; ++j) {
      TTarget& done = targets[j];
      if (done.Kind != TTarget::Replaced) continue;
      std::error_code ignored;
      if (!done.Backup.empty())
        fs::rename(done.Backup, done.Path, ignored);
      else if (!done.Existed)
        fs::remove(done.Path, ignored);
      done.Backup.clear();
    }
    RemoveTemporaries(targets);
    CannotWrite(t.Name, ec.message());
  }
  RemoveTemporaries(targets);  // the backups
}

}  // namespace

void CheckWritableFiles(const std::vector<std::string>& FileNames) {
  std::vector<std::pair<std::string, std::string_view>> files;
  for (const std::string& name : FileNames) files.emplace_back(name, std::string_view());
  for (const TTarget& t : ClassifyAll(files)) {
    if (t.Kind != TTarget::Replaced) continue;
    const fs::path folder = t.Path.has_parent_path() ? t.Path.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) CannotWrite(t.Name, "no folder " + folder.string());
    if (::access(folder.c_str(), W_OK) != 0) CannotWrite(t.Name, ErrnoText());
  }
}

void WriteFilesAtomically(const std::vector<std::pair<std::string, std::string>>& Files) {
  WriteAll(std::vector<std::pair<std::string, std::string_view>>(Files.begin(), Files.end()));
}

void WriteFileAtomically(const std::string& FileName, const std::function<void(std::ostream&)>& Write) {
  std::ostringstream text;
  Write(text);
  if (!text) CannotWrite(FileName, "the text could not be made");
  const std::string contents = std::move(text).str();
  WriteAll({{FileName, contents}});
}

void WriteFileAtomically(const std::string& FileName, std::string_view Contents) { WriteAll({{FileName, Contents}}); }

TStreamingFile::TStreamingFile(const std::string& FileName) : Name_(FileName) {
  TTarget t = Classify(FileName, {});
  Path_ = t.Path.string();
  if (t.Kind == TTarget::Output) {
    Fd_ = STDOUT_FILENO;
  } else if (t.Kind == TTarget::Direct) {
    Fd_ = ::open(t.Path.c_str(), O_WRONLY | O_CLOEXEC);
    if (Fd_ < 0) CannotWrite(Name_, ErrnoText());
  } else {
    Fd_ = OpenTemporary(t);
    Temporary_ = t.Temporary.string();
  }
  Open_ = true;
}

TStreamingFile::~TStreamingFile() { Discard(); }

void TStreamingFile::Write(std::string_view Data) {
  if (!Open_) CannotWrite(Name_, "the file is closed");
  if (!WriteAll(Fd_, Data)) {
    const std::string reason = ErrnoText();
    Discard();
    CannotWrite(Name_, reason);
  }
}

void TStreamingFile::Commit() {
  if (!Open_) CannotWrite(Name_, "the file is closed");
  if (Temporary_.empty()) {  // written straight through
    const bool closed = Fd_ == STDOUT_FILENO || ::close(Fd_) == 0;
    Open_ = false;
    if (!closed) CannotWrite(Name_, ErrnoText());
    return;
  }
  TTarget t;
  t.Path = Path_;
  const bool finished = FinishTemporary(Fd_, t);
  std::string reason = ErrnoText();
  const bool closed = ::close(Fd_) == 0;
  if (finished && !closed) reason = ErrnoText();
  Fd_ = -1;
  std::error_code ec;
  if (finished && closed) {
    fs::rename(Temporary_, Path_, ec);
    if (ec) reason = ec.message();
  }
  if (!finished || !closed || ec) {
    Discard();
    CannotWrite(Name_, reason);
  }
  Temporary_.clear();
  Open_ = false;
}

void TStreamingFile::Discard() {
  if (Fd_ >= 0 && Fd_ != STDOUT_FILENO) ::close(Fd_);
  Fd_ = -1;
  if (!Temporary_.empty()) RemoveQuietly(Temporary_);
  Temporary_.clear();
  Open_ = false;
}

}  // namespace plashbox
