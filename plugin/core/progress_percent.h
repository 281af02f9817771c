// The per-cent of a copy that the host's progress dialog shows, from the
// byte counts the system reports while it copies.
#pragma once

#include <cstdint>

// How much of uTotal is done, in whole per-cent, rounded down: 0 to 100.
// 100 only once every byte is done (or there is nothing to copy), so the
// host never sees a finished copy before the end. A count past the total
// (a file that grew meanwhile) is 100. Exact for totals up to 2^64 / 100
// bytes; above that (past 160 PB) the counts are scaled down first.
int ProgressPercent(uint64_t uDone, uint64_t uTotal);
