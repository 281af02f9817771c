#include "plugin/core/progress_percent.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr uint64_t U_MAX = std::numeric_limits<uint64_t>::max();
constexpr uint64_t U_4_GIB = uint64_t{1} << 32;

TEST(ProgressPercent, WholePerCentRoundedDownAndHundredOnlyAtTheEnd) {
  const struct {
    uint64_t uDone;
    uint64_t uTotal;
    int iPercent;
  } cases[] = {
      {0, 1000, 0},
      {9, 1000, 0},
      {10, 1000, 1},
      {500, 1000, 50},
      {999, 1000, 99},
      {1000, 1000, 100},
      {1, 3, 33},
      {2, 3, 66},
      // Nothing to copy is all done at once.
      {0, 0, 100},
      // A source that grew during the copy.
      {1500, 1000, 100},
      // Beyond 32 bits: a count that wrapped at 4 GiB would read as 0 or 100.
      {U_4_GIB, 2 * U_4_GIB, 50},
      {U_4_GIB + 1, U_4_GIB + 2, 99},
      {3 * U_4_GIB, 4 * U_4_GIB, 75},
      {uint64_t{1} << 40, uint64_t{100} << 40, 1},
      // Where done * 100 no longer fits in 64 bits.
      {U_MAX / 100, U_MAX / 100 + 1, 99},
      {U_MAX / 2, U_MAX, 49},
      {U_MAX / 4, U_MAX, 24},
      {U_MAX - 1, U_MAX, 99},
      {U_MAX, U_MAX, 100},
      {0, U_MAX, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ProgressPercent(c.uDone, c.uTotal), c.iPercent) << c.uDone << " of " << c.uTotal;
}

TEST(ProgressPercent, NeverFallsAsTheCopyGoesOn) {
  for (const uint64_t uTotal : {uint64_t{7}, uint64_t{1} << 20, 5 * U_4_GIB + 3, U_MAX - 5}) {
    SCOPED_TRACE(uTotal);
    int iLast = 0;
    for (int iStep = 0; iStep <= 1000; ++iStep) {
      // Spread over the whole range without overflow.
      const uint64_t uDone = iStep == 1000 ? uTotal : uTotal / 1000 * iStep + (uTotal % 1000) * iStep / 1000;
      const int iPercent = ProgressPercent(uDone, uTotal);
      ASSERT_GE(iPercent, iLast) << uDone;
      ASSERT_LE(iPercent, iStep == 1000 ? 100 : 99) << uDone;
      iLast = iPercent;
    }
    EXPECT_EQ(iLast, 100);
  }
}

}  // namespace
