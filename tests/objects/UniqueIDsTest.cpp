#include <gtest/gtest.h>

#include <set>

#include "objects/UniqueIDs.h"

using namespace plashbox;

TEST(UniqueIDs, InRangeAndNeverRepeatedEvenAfterReseeding) {
  std::set<int32_t> seen;
  SeedUniqueIDs(7);
  for (int i = 0; i < 1000; ++i) {
    const int32_t id = NewUniqueID();
    EXPECT_GE(id, 10);
    EXPECT_LT(id, 2147000000);
    EXPECT_TRUE(seen.insert(id).second);
  }
  // The same seed again draws the same numbers, which are all taken: new ones come instead.
  SeedUniqueIDs(7);
  for (int i = 0; i < 1000; ++i) EXPECT_TRUE(seen.insert(NewUniqueID()).second);
}
