#include "plugin/core/progress_percent.h"

#include <limits>

int ProgressPercent(uint64_t uDone, uint64_t uTotal) {
  if (uDone >= uTotal) return 100;
  // From here on uDone < uTotal, so the exact result is below 100.
  constexpr uint64_t U_LARGEST_EXACT = std::numeric_limits<uint64_t>::max() / 100;
  while (uTotal > U_LARGEST_EXACT) {
    uTotal >>= 1;
    uDone >>= 1;
  }
  const uint64_t uPercent = uDone * 100 / uTotal;
  return uPercent > 99 ? 99 : static_cast<int>(uPercent);
}
