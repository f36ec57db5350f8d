#include "frame/VersionInfo.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <system_error>

namespace plashbox {

namespace {

// The build writes this program's block here, from the project's version.
#include "frame/PlashboxVersionBlock.inc"

constexpr size_t LengthDigits = 8;
constexpr size_t ReadChunk = size_t{1} << 16;
constexpr std::string_view StringFileInfo = "\\StringFileInfo\\";

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameTextAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerAscii(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool ParseHex(std::string_view Text, uint32_t& Value) {
  if (Text.empty() || Text.size() > 8) return false;
  Value = 0;
  for (char c : Text) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    Value = Value << 4 | static_cast<uint32_t>(d);
  }
  return true;
}

std::string Hex(uint32_t Value, int Digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", Digits, static_cast<unsigned>(Value));
  return text;
}

// Fill(Buffer, Need) appends bytes until Buffer holds Need of them or the source is exhausted,
// and tells whether it holds them. Only the bytes of the current candidate are kept in memory.
using TFill = std::function<bool(std::string& Buffer, size_t Need)>;

TVersionInfoStatus Scan(std::string& Buffer, const TFill& Fill, TVersionInfo& Info,
                        const std::function<bool(TVersionInfo&, std::string_view)>& Parse) {
  size_t from = 0;
  for (;;) {
    if (from >= ReadChunk) {
      Buffer.erase(0, from);
      from = 0;
    }
    const bool more = Fill(Buffer, from + ReadChunk);
    const size_t pos = Buffer.find(VersionBlockBegin, from);
    if (pos == std::string::npos) {
      if (!more) return TVersionInfoStatus::NoData;
      // The marker may straddle the end of what has been read.
      from = std::max(from, Buffer.size() - std::min(Buffer.size(), VersionBlockBegin.size() - 1));
      continue;
    }
    // A candidate counts only when its length and end marker agree; the marker alone also
    // turns up in the code that looks for it.
    from = pos + 1;
    const size_t header = pos + VersionBlockBegin.size();
    if (!Fill(Buffer, header + LengthDigits + 1)) continue;
    uint32_t length = 0;
    if (!ParseHex(std::string_view(Buffer).substr(header, LengthDigits), length) ||
        Buffer[header + LengthDigits] != '\n' || length > MaxVersionPayload)
      continue;
    const size_t payload = header + LengthDigits + 1;
    if (!Fill(Buffer, payload + length + VersionBlockEnd.size())) continue;
    if (std::string_view(Buffer).substr(payload + length, VersionBlockEnd.size()) != VersionBlockEnd) continue;
    return Parse(Info, std::string_view(Buffer).substr(payload, length)) ? TVersionInfoStatus::Ok
                                                                          : TVersionInfoStatus::ReadError;
  }
}

}  // namespace

TVersionInfoStatus TVersionInfo::ReadFile(const std::filesystem::path& File, TVersionInfo& Info) {
  std::ifstream in(File, std::ios::binary);
  if (!in) return TVersionInfoStatus::NoData;
  std::string buffer;
  bool exhausted = false;
  const TFill fill = [&](std::string& Buffer, size_t Need) {
    while (Buffer.size() < Need && !exhausted) {
      const size_t old = Buffer.size();
      const size_t want = std::max(Need - old, ReadChunk);
      Buffer.resize(old + want);
      in.read(Buffer.data() + old, static_cast<std::streamsize>(want));
      const auto got = static_cast<size_t>(in.gcount());
      Buffer.resize(old + got);
      // A directory or an unreadable file reads as empty.
      if (got < want) exhausted = true;
    }
    return Buffer.size() >= Need;
  };
  return Scan(buffer, fill, Info, [](TVersionInfo& I, std::string_view P) { return I.ParsePayload(P); });
}

TVersionInfoStatus TVersionInfo::ReadBytes(std::string_view Bytes, TVersionInfo& Info) {
  std::string buffer(Bytes);
  const TFill fill = [](std::string& Buffer, size_t Need) { return Buffer.size() >= Need; };
  return Scan(buffer, fill, Info, [](TVersionInfo& I, std::string_view P) { return I.ParsePayload(P); });
}

std::string_view TVersionInfo::EmbeddedBlock() {
  return {reinterpret_cast<const char*>(EmbeddedVersionBlock), sizeof EmbeddedVersionBlock};
}

bool TVersionInfo::ParsePayload(std::string_view Payload) {
  Entries.clear();
  Size_ = 0;
  const size_t size = Payload.size();
  std::vector<TEntry> entries;
  while (!Payload.empty()) {
    const size_t eol = Payload.find('\n');
    const std::string_view line = Payload.substr(0, eol);
    Payload = eol == std::string_view::npos ? std::string_view() : Payload.substr(eol + 1);
    if (line.empty()) continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    TEntry entry{std::string(line.substr(0, eq)), {}, false};
    const std::string_view value = line.substr(eq + 1);
    entry.IsText = entry.Path.size() > StringFileInfo.size() &&
                   SameTextAscii(std::string_view(entry.Path).substr(0, StringFileInfo.size()), StringFileInfo);
    if (entry.IsText) {
      entry.Bytes.assign(value);
      entry.Bytes.push_back('\0');
    } else {
      size_t i = 0;
      while (i < value.size()) {
        if (value[i] == ' ') {
          ++i;
          continue;
        }
        const size_t end = std::min(value.find(' ', i), value.size());
        const std::string_view token = value.substr(i, end - i);
        uint32_t number = 0;
        if ((token.size() != 2 && token.size() != 4 && token.size() != 8) || !ParseHex(token, number)) return false;
        for (size_t b = 0; b < token.size() / 2; ++b) entry.Bytes.push_back(static_cast<char>(number >> (8 * b) & 0xFF));
        i = end;
      }
    }
    entries.push_back(std::move(entry));
  }
  Entries = std::move(entries);
  Size_ = static_cast<uint32_t>(size);
  return true;
}

bool TVersionInfo::QueryValue(std::string_view Path, std::string_view& Value, uint32_t& Length) const {
  for (const TEntry& entry : Entries)
    if (SameTextAscii(entry.Path, Path)) {
      Value = entry.Bytes;
      Length = static_cast<uint32_t>(entry.Bytes.size());
      return true;
    }
  return false;
}

TVersionBlockWriter& TVersionBlockWriter::Fixed(const TFixedFileInfo& Info) {
  const uint32_t words[] = {Info.Signature,        Info.StrucVersion,     Info.FileVersionMS, Info.FileVersionLS,
                            Info.ProductVersionMS, Info.ProductVersionLS, Info.FileFlagsMask, Info.FileFlags,
                            Info.FileOS,           Info.FileType,         Info.FileSubtype,   Info.FileDateMS,
                            Info.FileDateLS};
  std::string value;
  for (uint32_t word : words) value += (value.empty() ? "" : " ") + Hex(word, 8);
  return Raw("\\", value);
}

TVersionBlockWriter& TVersionBlockWriter::Translation(const std::vector<std::pair<uint16_t, uint16_t>>& LangCodePages) {
  std::string value;
  for (const auto& [lang, codepage] : LangCodePages)
    value += (value.empty() ? "" : " ") + Hex(lang, 4) + " " + Hex(codepage, 4);
  return Raw("\\VarFileInfo\\Translation", value);
}

TVersionBlockWriter& TVersionBlockWriter::String(std::string_view LangCharset, std::string_view Key,
                                                 std::string_view Value) {
  return Raw(std::string(StringFileInfo) + std::string(LangCharset) + "\\" + std::string(Key), Value);
}

TVersionBlockWriter& TVersionBlockWriter::Raw(std::string_view Path, std::string_view Value) {
  if (Path.find_first_of("=\n") != std::string_view::npos || Value.find('\n') != std::string_view::npos)
    throw std::invalid_argument("A version entry cannot hold a line feed, nor its path an equals sign");
  Payload_.append(Path).append("=").append(Value).append("\n");
  return *this;
}

std::string TVersionBlockWriter::Block() const {
  return std::string(VersionBlockBegin) + Hex(static_cast<uint32_t>(Payload_.size()), LengthDigits) + "\n" + Payload_ +
         std::string(VersionBlockEnd);
}

std::pair<uint32_t, uint32_t> VersionWords(uint16_t Major, uint16_t Minor, uint16_t Patch, uint16_t Build) {
  return {uint32_t{Major} << 16 | Minor, uint32_t{Patch} << 16 | Build};
}

std::filesystem::path OwnExecutablePath() {
  std::error_code error;
  auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : path;
}

}  // namespace plashbox
