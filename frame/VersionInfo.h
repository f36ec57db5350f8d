// frame/: the window's logic without a window, shared by every front end and the tests.
// Version information carried inside a file: a framed text block that the build embeds in every
// program using this reader, found again by scanning the file's bytes. It answers the same
// query paths as a resource version block: "\" for the fixed block, "\VarFileInfo\Translation"
// for the language and code page pairs, "\StringFileInfo\<lang><codepage>\<key>" for the strings.
//
// The block: the begin marker, the payload length as eight hexadecimal digits, a line feed,
// the payload, the end marker. The payload is lines of path=value. Values under
// "\StringFileInfo\" are UTF-8 text; all others are binary, written as hexadecimal numbers
// separated by blanks, each of 2, 4 or 8 digits for a byte, a 16-bit or a 32-bit word, stored
// little-endian.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plashbox {

inline constexpr std::string_view VersionBlockBegin = "@PLASHBOX-VERSION-BLOCK-1@";
inline constexpr std::string_view VersionBlockEnd = "@END-PLASHBOX-VERSION-BLOCK@";
// A payload longer than this is not taken for one: version information is a few hundred bytes.
inline constexpr uint32_t MaxVersionPayload = 1u << 20;

// The fixed block, laid out as the platform's fixed file information (13 words, 52 bytes).
struct TFixedFileInfo {
  uint32_t Signature = 0xFEEF04BD;
  uint32_t StrucVersion = 0x00010000;
  uint32_t FileVersionMS = 0, FileVersionLS = 0;
  uint32_t ProductVersionMS = 0, ProductVersionLS = 0;
  uint32_t FileFlagsMask = 0x3F;
  uint32_t FileFlags = 0;
  uint32_t FileOS = 0, FileType = 1, FileSubtype = 0;
  uint32_t FileDateMS = 0, FileDateLS = 0;
};
inline constexpr uint32_t FixedFileInfoSize = 52;
// Where the file-flags word sits in the fixed block.
inline constexpr uint32_t FixedFileFlagsOffset = 28;

enum class TVersionInfoStatus : uint8_t {
  NoData,     // the file cannot be read or carries no block
  ReadError,  // a block is there but its payload does not parse
  Ok,
};

class TVersionInfo {
 public:
  // The first framed block in the file's bytes.
  static TVersionInfoStatus ReadFile(const std::filesystem::path& File, TVersionInfo& Info);
  // The first framed block in a run of bytes.
  static TVersionInfoStatus ReadBytes(std::string_view Bytes, TVersionInfo& Info);
  // The block this program carries.
  static std::string_view EmbeddedBlock();

  // Payload bytes of the block last read.
  uint32_t Size() const { return Size_; }

  // The value under Path (letter case ignored), and its length: bytes for binary values; for
  // text, bytes including the terminating NUL that Value also holds. False when there is none.
  bool QueryValue(std::string_view Path, std::string_view& Value, uint32_t& Length) const;

 private:
  bool ParsePayload(std::string_view Payload);

  struct TEntry {
    std::string Path;
    std::string Bytes;
    bool IsText;
  };
  std::vector<TEntry> Entries;
  uint32_t Size_ = 0;
};

// Builds blocks in the embedded format, for programs and files other than this one.
class TVersionBlockWriter {
 public:
  TVersionBlockWriter& Fixed(const TFixedFileInfo& Info);
  TVersionBlockWriter& Translation(const std::vector<std::pair<uint16_t, uint16_t>>& LangCodePages);
  // LangCharset is eight hexadecimal digits, language then code page.
  TVersionBlockWriter& String(std::string_view LangCharset, std::string_view Key, std::string_view Value);
  // Any path with a value as the payload spells it. Line feeds cannot be part of a value.
  TVersionBlockWriter& Raw(std::string_view Path, std::string_view Value);

  std::string Payload() const { return Payload_; }
  // The framed block.
  std::string Block() const;

 private:
  std::string Payload_;
};

// A dotted version major.minor.patch.build as the two words of the fixed block.
std::pair<uint32_t, uint32_t> VersionWords(uint16_t Major, uint16_t Minor, uint16_t Patch, uint16_t Build);

// The program's own file; empty when the system does not tell.
std::filesystem::path OwnExecutablePath();

}  // namespace plashbox
