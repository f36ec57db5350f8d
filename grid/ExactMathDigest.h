// grid/: the cell grid and its medium, with the rounding and maths rules of every stored value.
// One number for the bits of the simulation's maths over many arguments, so that the native and
// the browser builds can show that they compute alike without handing every value across.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "grid/ExactMath.h"

namespace plashbox::exact {

// FNV-1a over the bits of Sin, Cos and Exp of Count arguments and of Atan2 of Count points,
// spread over the ranges the tank uses and, for Atan2, over quotients from 2^-70 to 2^70 in
// every quadrant; as sixteen hex digits.
inline std::string MathDigest(int32_t Count) {
  uint64_t hash = 14695981039346656037ULL, state = 12345;
  const auto next = [&state](double From, double To) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return From + (To - From) * double(state >> 11) / double(uint64_t{1} << 53);
  };
  const auto add = [&hash](double Value) {
    uint64_t bits;
    std::memcpy(&bits, &Value, sizeof bits);
    for (int i = 0; i < 8; ++i) hash = (hash ^ ((bits >> (8 * i)) & 0xff)) * 1099511628211ULL;
  };
  for (int32_t i = 0; i < Count; ++i) {
    const double phase = next(-100, 100);
    add(Sin(phase));
    add(Cos(phase));
    add(Exp(next(-700, 700)));
    const double y = next(-1, 1), x = next(-1, 1);
    add(Atan2(y * Exp(next(-48, 48)), x));
  }
  static constexpr char Hex[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 0; i < 16; ++i) text[size_t(i)] = Hex[(hash >> (60 - 4 * i)) & 0xf];
  return text;
}

}  // namespace plashbox::exact
