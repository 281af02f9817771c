// Resolution of virtual paths from the listing cache: FindInSnapshots for
// every name of a snapshot of N records, against a plain linear walk over
// the same records (the look-up as it would be without the name index).
// The time per look-up should not grow with N, and the walk should lose by
// far on a big folder.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/common/figures.h"
#include "bench/common/listing_text.h"
#include "bench/native/collector.h"
#include "plugin/core/listing_cache.h"
#include "plugin/core/virtual_path.h"
#include "rtl/text_routines.h"

namespace {

const std::u16string FOLDER = u"\\Projects\\Invoices";
const std::u16string REAL_ROOT = u"C:\\Users\\Brackenfold\\Documents\\Tagged archive";
// The linear walk visits a sample of this many names spread evenly over the
// listing, so that a run at N = 50,000 takes milliseconds, not minutes.
constexpr int LINEAR_SAMPLE = 1000;

// A cache as the host leaves it: the folder listed before (another folder,
// closed) and the folder of the benchmark, newest.
struct TCacheFixture {
  explicit TCacheFixture(int iCount) {
    auto pOlder = new TSearchData(u"\\Projects", BenchListingText(REAL_ROOT, 200));
    pOlder->bActive = false;
    list.Add(pOlder);
    list.Add(new TSearchData(FOLDER, BenchListingText(REAL_ROOT, iCount)));
    for (int i = 0; i < iCount; ++i) vPaths.push_back(FOLDER + u"\\" + BenchDocumentName(i));
  }
  TSearchDataList list;
  std::vector<std::u16string> vPaths;
};

// The look-up without an index: the same path split, the same walk over the
// snapshots newest first, then every record in turn until the name matches.
bool LinearFindInSnapshots(TSearchDataList& list, std::u16string_view sPath, std::u16string& sAnswer) {
  const std::u16string sFolderPart = VirtualFolderPart(sPath);
  const std::u16string sNamePart = VirtualNamePart(sPath);
  const std::u16string_view sFolderKey = WithoutTrailingBackslash(sFolderPart);
  const std::u16string_view sNameKey = WithoutTrailingBackslash(sNamePart);
  TListLock<TSearchData> lock(list);
  const std::vector<TSearchData*>& vItems = lock.Items();
  for (auto it = vItems.rbegin(); it != vItems.rend(); ++it) {
    const TSearchData& data = **it;
    if (WithoutTrailingBackslash(data.sPath) != sFolderKey) continue;
    const TSearchResult& result = *data.pResult;
    for (int i = 0; i < result.Count(); ++i) {
      if (WithoutTrailingBackslash(result.Names(i)) == sNameKey) {
        sAnswer = std::u16string(result.ValueFromIndex(i));
        return true;
      }
    }
  }
  return false;
}

std::string Name(const char* pKind, int iCount) { return std::string(pKind) + "/N=" + std::to_string(iCount); }

void IndexedLookups(benchmark::State& state, int iCount) {
  TCacheFixture fixture(iCount);
  std::u16string sAnswer;
  for (auto _ : state) {
    for (const std::u16string& sPath : fixture.vPaths) {
      if (!FindInSnapshots(fixture.list, sPath, sAnswer)) state.SkipWithError("a listed name was not found");
      benchmark::DoNotOptimize(sAnswer.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * iCount);
}

int LinearStride(int iCount) { return iCount > LINEAR_SAMPLE ? iCount / LINEAR_SAMPLE : 1; }

void LinearLookups(benchmark::State& state, int iCount) {
  TCacheFixture fixture(iCount);
  std::u16string sAnswer;
  const int iStride = LinearStride(iCount);
  int iLookups = 0;
  for (auto _ : state) {
    iLookups = 0;
    for (int i = iStride / 2; i < iCount; i += iStride, ++iLookups) {
      if (!LinearFindInSnapshots(fixture.list, fixture.vPaths[i], sAnswer))
        state.SkipWithError("a listed name was not found");
      benchmark::DoNotOptimize(sAnswer.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * iLookups);
}

int LinearLookupCount(int iCount) {
  const int iStride = LinearStride(iCount);
  int iLookups = 0;
  for (int i = iStride / 2; i < iCount; i += iStride) ++iLookups;
  return iLookups;
}

}  // namespace

int main(int argc, char** argv) {
  const bool bSmoke = TakeSmokeFlag(argc, argv);
  const std::vector<int> vCounts = bSmoke ? std::vector<int>{1000, 5000} : std::vector<int>{1000, 10000, 50000};
  for (int iCount : vCounts) {
    auto* pIndexed = benchmark::RegisterBenchmark(Name("FindInSnapshots", iCount).c_str(), IndexedLookups, iCount);
    auto* pLinear = benchmark::RegisterBenchmark(Name("LinearWalk", iCount).c_str(), LinearLookups, iCount);
    for (auto* p : {pIndexed, pLinear}) {
      p->Unit(benchmark::kMillisecond);
      if (bSmoke)
        p->Iterations(1);
      else
        p->Repetitions(3)->ReportAggregatesOnly(false);
    }
  }
  benchmark::Initialize(&argc, argv);
  TRunCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();

  const int iSmall = vCounts.front(), iBig = vCounts.back();
  auto PerLookupNs = [&](const char* pKind, int iCount, int iLookups) {
    return collector.Seconds(Name(pKind, iCount)) * 1e9 / iLookups;
  };
  for (int iCount : vCounts) {
    PrintTime("look-up per name, FindInSnapshots, N=" + std::to_string(iCount),
              PerLookupNs("FindInSnapshots", iCount, iCount), "ns");
    PrintTime("look-up per name, linear walk, N=" + std::to_string(iCount),
              PerLookupNs("LinearWalk", iCount, LinearLookupCount(iCount)), "ns");
  }
  const double dSmall = PerLookupNs("FindInSnapshots", iSmall, iSmall);
  const double dBig = PerLookupNs("FindInSnapshots", iBig, iBig);
  const double dLinearBig = PerLookupNs("LinearWalk", iBig, LinearLookupCount(iBig));
  if (dSmall <= 0 || dBig <= 0 || dLinearBig <= 0) {
    std::fprintf(stderr, "resolution: a benchmark did not run\n");
    return 1;
  }
  PrintFigure("Look-up per name, N=" + std::to_string(iBig) + " / N=" + std::to_string(iSmall), dBig / dSmall,
              TTargetKind::AT_MOST, 2);
  PrintFigure("Linear walk / indexed look-up, N=" + std::to_string(iBig), dLinearBig / dBig, TTargetKind::AT_LEAST,
              100);
  return 0;
}
