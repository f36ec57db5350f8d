// The big arrays' allocator: whichever heap a size goes to, the block goes back to the same one
// (the sanitizer build sees a mismatch), and a block on huge pages starts one.
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "grid/HugePageAllocator.h"

namespace plashbox {
namespace {

TEST(HugePageAllocator, EverySizeKeepsItsValuesAndGoesBackWhereItCameFrom) {
  std::vector<uint32_t, THugePageAllocator<uint32_t>> values;
  for (const size_t bytes : {size_t{64}, HugePageBytes - 4, HugePageBytes, HugePageBytes + 4, 5 * HugePageBytes}) {
    const size_t n = bytes / sizeof(uint32_t);
    values.resize(n);  // grows across the threshold: the old block goes back to its own heap
    std::iota(values.begin(), values.end(), uint32_t{0});
    EXPECT_EQ(values.back(), n - 1) << bytes;
    if (OnHugePages(values.capacity() * sizeof(uint32_t))) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(values.data()) % HugePageBytes, 0u) << bytes;
    }
  }
  values.shrink_to_fit();
  values.clear();
  values.shrink_to_fit();
  EXPECT_TRUE(values.empty());
}

}  // namespace
}  // namespace plashbox
