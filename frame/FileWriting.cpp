#include "frame/FileWriting.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "xmlworker/XMLNode.h"

namespace plashbox {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void CannotWrite(const std::string& FileName, const std::string& Reason) {
  throw TXMLNodeError("Cannot write file: " + FileName + (Reason.empty() ? "" : " (" + Reason + ")"));
}

// A hidden name of our own beside the target: the rename then stays within one file system.
fs::path TemporaryBeside(const std::string& FileName) {
  static std::random_device random;
  const fs::path target(FileName);
  return target.parent_path() / ("." + target.filename().string() + "." + std::to_string(random()) + ".partial");
}

void RemoveQuietly(const fs::path& File) {
  std::error_code ignored;
  fs::remove(File, ignored);
}

// Writes one temporary for FileName and returns its name; removes it again on any failure.
fs::path WriteTemporary(const std::string& FileName, const std::function<void(std::ostream&)>& Write) {
  const fs::path temporary = TemporaryBeside(FileName);
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  if (!out) CannotWrite(FileName, std::strerror(errno));
  try {
    Write(out);
    out.flush();
  } catch (...) {
    out.close();
    RemoveQuietly(temporary);
    throw;
  }
  const bool written = bool(out);
  out.close();
  if (!written || out.fail()) {
    RemoveQuietly(temporary);
    CannotWrite(FileName, "the data could not be written");
  }
  return temporary;
}

}  // namespace

void WriteFileAtomically(const std::string& FileName, const std::function<void(std::ostream&)>& Write) {
  const fs::path temporary = WriteTemporary(FileName, Write);
  std::error_code ec;
  fs::rename(temporary, fs::path(FileName), ec);
  if (ec) {
    RemoveQuietly(temporary);
    CannotWrite(FileName, ec.message());
  }
}

void WriteFileAtomically(const std::string& FileName, std::string_view Contents) {
  WriteFileAtomically(FileName, [&](std::ostream& Out) { Out.write(Contents.data(), std::streamsize(Contents.size())); });
}

void WriteFilesAtomically(const std::vector<std::pair<std::string, std::string>>& Files) {
  std::vector<fs::path> temporaries;
  const auto removeAll = [&] {
    for (const fs::path& t : temporaries) RemoveQuietly(t);
  };
  try {
    for (const auto& [name, contents] : Files)
      temporaries.push_back(WriteTemporary(
          name, [&](std::ostream& Out) { Out.write(contents.data(), std::streamsize(contents.size())); }));
  } catch (...) {
    removeAll();
    throw;
  }
  for (size_t i = 0; i < Files.size(); ++i) {
    std::error_code ec;
    fs::rename(temporaries[i], fs::path(Files[i].first), ec);
    if (ec) {
      removeAll();
      CannotWrite(Files[i].first, ec.message());
    }
  }
}

}  // namespace plashbox
