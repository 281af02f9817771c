// Listing a big virtual folder through the real exports: FsFindFirst, every
// FsFindNext and FsFindClose on the plugin, with the scripted tag server
// answering the listing, against the floor that the system sets in the same
// run: one FindFirstFileW + FindClose for each of the same real files. The
// real files lie in folders of 100 each, as real documents do.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/common/figures.h"
#include "bench/common/listing_text.h"
#include "bench/win/bench_support.h"
#include "common/tag_server_contract.h"
#include "common/win_text.h"
#include "rtl/text_routines.h"
#include "tests/harness/plugin_host.h"
#include "tests/harness/scripted_tag_server.h"

namespace {

// Entries of a listing taken in turn from the plugin and from the system.
constexpr int BLOCK = 100;

struct TListingTimes {
  double dPlugin = 0;
  double dFloor = 0;
  size_t iListed = 0;
  size_t iFound = 0;
};

// One whole listing through the exports, and the floor for the same files,
// measured block by block in alternation (each block first for one, then
// for the other), so that both meet the same load of a shared machine.
TListingTimes ListSideBySide(TPluginHost& host, const std::string& sFolder, const std::vector<std::wstring>& vPaths) {
  TListingTimes times;
  std::string sPath = sFolder;
  WIN32_FIND_DATAA findData;
  WIN32_FIND_DATAW realData;
  auto PluginBlock = [&](HANDLE hFind, size_t iFrom, size_t iTo) {
    TStopwatch watch;
    for (size_t i = iFrom; i < iTo; ++i) times.iListed += host.fsFindNext(hFind, &findData) ? 1 : 0;
    times.dPlugin += watch.Seconds();
  };
  auto FloorBlock = [&](size_t iFrom, size_t iTo) {
    TStopwatch watch;
    for (size_t i = iFrom; i < iTo; ++i) {
      const HANDLE hFind = FindFirstFileW(vPaths[i].c_str(), &realData);
      if (hFind == INVALID_HANDLE_VALUE) continue;
      FindClose(hFind);
      ++times.iFound;
    }
    times.dFloor += watch.Seconds();
  };

  // FsFindFirst delivers the first entry: the request, the parsing and one search.
  FloorBlock(0, 1);
  TStopwatch first;
  const HANDLE hFind = host.fsFindFirst(sPath.data(), &findData);
  times.dPlugin += first.Seconds();
  if (hFind == INVALID_HANDLE_VALUE) return times;
  ++times.iListed;
  bool bPluginFirst = true;
  for (size_t iFrom = 1; iFrom < vPaths.size(); iFrom += BLOCK, bPluginFirst = !bPluginFirst) {
    const size_t iTo = std::min(vPaths.size(), iFrom + BLOCK);
    if (bPluginFirst) {
      PluginBlock(hFind, iFrom, iTo);
      FloorBlock(iFrom, iTo);
    } else {
      FloorBlock(iFrom, iTo);
      PluginBlock(hFind, iFrom, iTo);
    }
  }
  TStopwatch last;
  // The call that finds the end, and the close.
  if (host.fsFindNext(hFind, &findData)) ++times.iListed;
  host.fsFindClose(hFind);
  times.dPlugin += last.Seconds();
  return times;
}

}  // namespace

int main(int argc, char** argv) {
  const bool bSmoke = HasSmokeFlag(argc, argv);
  const std::vector<int> vCounts = bSmoke ? std::vector<int>{100, 500} : std::vector<int>{1000, 10000, 50000};
  const int iRounds = bSmoke ? 1 : 2;
  const int iMost = vCounts.back();

  TMessageBoxRecorder recorder;
  TScriptedTagServer server;
  TPluginHost host;
  if (!host.Loaded() || host.Init() != 0) {
    std::fprintf(stderr, "listing: the plugin did not load\n");
    return 1;
  }

  TBenchFolder folder(L"listing");
  TStopwatch created;
  std::vector<std::wstring> vPaths;
  for (int i = 0; i < iMost; ++i) {
    const std::wstring sFolder = Wide(BenchDocumentFolder(i));
    if (i % 100 == 0 && !folder.Folder(sFolder)) {
      std::fprintf(stderr, "listing: cannot create folder %ls\n", folder.Path(sFolder).c_str());
      return 1;
    }
    const std::wstring sRelative = sFolder + L"\\" + Wide(BenchDocumentName(i));
    if (!folder.File(sRelative, 0)) {
      std::fprintf(stderr, "listing: cannot create file %ls\n", folder.Path(sRelative).c_str());
      return 1;
    }
    vPaths.push_back(folder.Path(sRelative));
  }
  std::printf("listing: %d real files in folders of 100 made in %.1f s\n", iMost, created.Seconds());

  bool bOk = true;
  for (int iCount : vCounts) {
    const std::u16string sVirtual = u"\\Bench\\N" + IntToText(iCount);
    server.SetAnswer(REQUEST_LISTING, sVirtual, BenchListingText(Text(folder.Root()), iCount));
    const std::vector<std::wstring> vSome(vPaths.begin(), vPaths.begin() + iCount);
    const std::string sAnsiFolder = Ansi(Wide(sVirtual));
    std::vector<double> vPlugin, vFloor;
    for (int iRound = 0; iRound < iRounds; ++iRound) {
      const TListingTimes times = ListSideBySide(host, sAnsiFolder, vSome);
      vPlugin.push_back(times.dPlugin);
      vFloor.push_back(times.dFloor);
      if (times.iListed != static_cast<size_t>(iCount) || times.iFound != static_cast<size_t>(iCount)) {
        std::fprintf(stderr, "listing N=%d: the plugin listed %zu, the system found %zu\n", iCount, times.iListed,
                     times.iFound);
        bOk = false;
      }
    }
    const std::string sN = "N=" + std::to_string(iCount);
    PrintTime("listing through the plugin, " + sN, Best(vPlugin), "s");
    PrintTime("FindFirstFileW + FindClose per file, " + sN, Best(vFloor), "s");
    PrintTime("FindFirstFileW + FindClose, one file", Best(vFloor) / iCount * 1e3, "ms");
    PrintFigure("Listing, " + sN + ", plugin / floor", Best(vPlugin) / Best(vFloor),
                iCount == iMost ? TTargetKind::AT_MOST : TTargetKind::NONE, 1.10);
  }
  if (!NoBoxesShown(recorder, "listing")) bOk = false;
  return bOk ? 0 : 1;
}
