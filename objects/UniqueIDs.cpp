#include "objects/UniqueIDs.h"

#include <random>
#include <unordered_set>

namespace plashbox {

namespace {

std::mt19937& Generator() {
  static std::mt19937 generator(std::random_device{}());
  return generator;
}

// Entries are never removed: an ID stays taken after its object is gone.
std::unordered_set<int32_t>& Register() {
  static std::unordered_set<int32_t> ids;
  return ids;
}

}  // namespace

int32_t NewUniqueID() {
  constexpr uint64_t Low = 10, High = 2'147'000'000;
  while (true) {
    // A plain scaling of the 32-bit draw, so that a seed gives the same IDs on every library.
    const auto a = static_cast<int32_t>(Low + ((uint64_t(Generator()()) * (High - Low)) >> 32));
    if (a > 0 && Register().insert(a).second) return a;
  }
}

void SeedUniqueIDs(uint32_t Seed) { Generator().seed(Seed); }

}  // namespace plashbox
