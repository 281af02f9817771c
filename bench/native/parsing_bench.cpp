// Parsing a listing that fills the whole answer buffer: building the
// TSearchData snapshot (records, name index) against the floor of one pass
// over the same text that only finds the separators. Also the memory the
// snapshot holds, counted by this program's own operator new, against the
// size of the listing text.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "bench/common/figures.h"
#include "bench/common/listing_text.h"
#include "bench/native/collector.h"
#include "common/tag_server_contract.h"
#include "plugin/core/listing_cache.h"

// ---- Counting allocator -----------------------------------------------------
// Every allocation of the program goes through here. The counts are the
// bytes the C library really hands out (its usable size) plus the word of
// bookkeeping it keeps in front of each block, so rounding and per-block
// overhead are part of what the snapshot is charged with.
namespace {

std::atomic<size_t> iBytesNow{0};
std::atomic<size_t> iBytesPeak{0};
constexpr size_t BLOCK_HEADER = sizeof(size_t);

// Kept out of line: inlined into operator delete, the compiler would take the
// free() below for one that mismatches operator new.
__attribute__((noinline)) void* CountedAlloc(size_t iSize) {
  void* p = std::malloc(iSize ? iSize : 1);
  if (!p) return nullptr;
  const size_t iNow = iBytesNow.fetch_add(malloc_usable_size(p) + BLOCK_HEADER, std::memory_order_relaxed) +
                      malloc_usable_size(p) + BLOCK_HEADER;
  size_t iPeak = iBytesPeak.load(std::memory_order_relaxed);
  while (iNow > iPeak && !iBytesPeak.compare_exchange_weak(iPeak, iNow, std::memory_order_relaxed)) {
  }
  return p;
}

__attribute__((noinline)) void CountedFree(void* p) {
  if (!p) return;
  iBytesNow.fetch_sub(malloc_usable_size(p) + BLOCK_HEADER, std::memory_order_relaxed);
  std::free(p);
}

}  // namespace

void* operator new(size_t iSize) {
  if (void* p = CountedAlloc(iSize)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t iSize) { return operator new(iSize); }
void* operator new(size_t iSize, const std::nothrow_t&) noexcept { return CountedAlloc(iSize); }
void* operator new[](size_t iSize, const std::nothrow_t&) noexcept { return CountedAlloc(iSize); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, size_t) noexcept { CountedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { CountedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { CountedFree(p); }

namespace {

const std::u16string FOLDER = u"\\Projects\\Invoices";
const std::u16string REAL_ROOT = u"C:\\Users\\Brackenfold\\Documents\\Tagged archive";

// Whole records until the text (with its NUL) would no longer fit iBytes.
std::u16string ListingOfSize(size_t iBytes) {
  const size_t iUnits = iBytes / sizeof(char16_t) - 1;
  std::u16string sText;
  for (int i = 0;; ++i) {
    const std::u16string sName = BenchDocumentName(i);
    std::u16string sRecord = sName;
    sRecord += LISTING_NAME_VALUE_SEPARATOR;
    sRecord += REAL_ROOT + u"\\" + BenchDocumentFolder(i) + u"\\" + sName;
    if (sText.size() + (i > 0) + sRecord.size() > iUnits) break;
    if (i > 0) sText += LISTING_RECORD_SEPARATOR;
    sText += sRecord;
  }
  return sText;
}

// The floor: one pass over every unit that notes where each record ends and
// where its first name/value separator stands, and nothing else.
size_t ScanSeparators(std::u16string_view sText) {
  size_t iChecksum = 0, iRecords = 1;
  bool bNameOpen = true;
  for (size_t i = 0; i < sText.size(); ++i) {
    const char16_t c = sText[i];
    if (c == LISTING_RECORD_SEPARATOR) {
      iChecksum += i;
      ++iRecords;
      bNameOpen = true;
    } else if (c == LISTING_NAME_VALUE_SEPARATOR && bNameOpen) {
      iChecksum += i;
      bNameOpen = false;
    }
  }
  return iChecksum + iRecords;
}

std::u16string sListing;

void BuildSnapshot(benchmark::State& state) {
  for (auto _ : state) {
    auto pData = std::make_unique<TSearchData>(FOLDER, sListing);
    benchmark::DoNotOptimize(pData.get());
    state.PauseTiming();  // freeing belongs to a later eviction, not to the listing
    pData.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sListing.size() * sizeof(char16_t)));
}

void SeparatorScan(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ScanSeparators(sListing));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sListing.size() * sizeof(char16_t)));
}

struct TMemory {
  size_t iPeak;
  size_t iHeld;
  int iRecords;
};

// What building one snapshot allocates at most, and what it keeps.
TMemory SnapshotMemory() {
  const size_t iBefore = iBytesNow.load();
  iBytesPeak.store(iBefore);
  auto pData = std::make_unique<TSearchData>(FOLDER, sListing);
  return {iBytesPeak.load() - iBefore, iBytesNow.load() - iBefore, pData->pResult->Count()};
}

}  // namespace

int main(int argc, char** argv) {
  const bool bSmoke = TakeSmokeFlag(argc, argv);
  const size_t iTextBytes = bSmoke ? DW_FILE_MAPPING_SIZE / 10 : DW_FILE_MAPPING_SIZE;
  sListing = ListingOfSize(iTextBytes);
  const double dMiB = static_cast<double>(sListing.size() * sizeof(char16_t)) / (1024.0 * 1024.0);

  for (auto* p : {benchmark::RegisterBenchmark("TSearchData", BuildSnapshot),
                  benchmark::RegisterBenchmark("SeparatorScan", SeparatorScan)}) {
    p->Unit(benchmark::kMillisecond);
    if (bSmoke)
      p->Iterations(1);
    else
      p->Repetitions(3)->ReportAggregatesOnly(false);
  }
  benchmark::Initialize(&argc, argv);
  const TMemory memory = SnapshotMemory();
  TRunCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();

  const double dParse = collector.Seconds("TSearchData"), dScan = collector.Seconds("SeparatorScan");
  if (dParse <= 0 || dScan <= 0) {
    std::fprintf(stderr, "parsing: a benchmark did not run\n");
    return 1;
  }
  const double dTextBytes = static_cast<double>(sListing.size() * sizeof(char16_t));
  char szSize[32];
  std::snprintf(szSize, sizeof szSize, "%.1f MiB", dMiB);
  PrintCount(std::string("records in the ") + szSize + " listing text", memory.iRecords);
  PrintTime("parse to TSearchData", dParse * 1e3, "ms");
  PrintTime("parse to TSearchData", dTextBytes / dParse / 1e6, "MB/s");
  PrintTime("separator scan", dScan * 1e3, "ms");
  PrintTime("separator scan", dTextBytes / dScan / 1e6, "MB/s");
  PrintTime("snapshot memory at its peak while built", memory.iPeak / (1024.0 * 1024.0), "MiB");
  PrintTime("snapshot memory held once built", memory.iHeld / (1024.0 * 1024.0), "MiB");
  PrintFigure(std::string("Parsing a ") + szSize + " listing, plugin / separator-scan floor", dParse / dScan,
              TTargetKind::AT_MOST, 3);
  PrintFigure(std::string("Peak memory of the snapshot / listing text size (") + szSize + ")",
              memory.iPeak / dTextBytes, TTargetKind::AT_MOST, 3);
  PrintFigure("Memory held by the snapshot / listing text size", memory.iHeld / dTextBytes, TTargetKind::NONE, 0);
  return 0;
}
