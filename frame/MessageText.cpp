#include "frame/MessageText.h"

#include <cstdio>

namespace plashbox {

std::string PrintableText(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (const char c : Text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b < 0x20 && b != '\t') || b == 0x7F) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", b);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace plashbox
