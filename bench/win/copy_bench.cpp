// Copying a big document out of the virtual tree: FsGetFile through the
// real export, the virtual path resolved from the listing the host made
// just before, against CopyFileW of the same file in the same run.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/common/figures.h"
#include "bench/win/bench_support.h"
#include "common/tag_server_contract.h"
#include "tests/harness/plugin_host.h"
#include "tests/harness/scripted_tag_server.h"

namespace {

uint64_t FileSize(const std::wstring& sPath) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(sPath.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Lists the virtual folder as the host does before it copies out of it, so
// that the copy resolves its path from the listing.
bool ListFolder(TPluginHost& host, const std::string& sFolder) {
  std::string sPath = sFolder;
  WIN32_FIND_DATAA findData;
  const HANDLE hFind = host.fsFindFirst(sPath.data(), &findData);
  if (hFind == INVALID_HANDLE_VALUE) return false;
  while (host.fsFindNext(hFind, &findData)) {
  }
  host.fsFindClose(hFind);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool bSmoke = HasSmokeFlag(argc, argv);
  const uint64_t iBytes = (bSmoke ? 16ull : 256ull) << 20;
  const int iRounds = bSmoke ? 1 : 5;

  TMessageBoxRecorder recorder;
  TScriptedTagServer server;
  TPluginHost host;
  if (!host.Loaded() || host.Init() != 0 || !host.fsGetFile) {
    std::fprintf(stderr, "copy: the plugin did not load\n");
    return 1;
  }
  TBenchFolder folder(L"copy");
  if (!folder.Folder(L"source") || !folder.Folder(L"target") || !folder.File(L"source\\big document.bin", iBytes)) {
    std::fprintf(stderr, "copy: cannot create the %llu byte source file\n", static_cast<unsigned long long>(iBytes));
    return 1;
  }
  const std::wstring sSource = folder.Path(L"source\\big document.bin");
  const std::wstring sByPlugin = folder.Adopt(L"target\\by plugin.bin");
  const std::wstring sBySystem = folder.Adopt(L"target\\by system.bin");
  server.SetAnswer(REQUEST_LISTING, u"\\Bench", u"big document.bin\x1F" + Text(sSource));
  if (!ListFolder(host, "\\Bench")) {
    std::fprintf(stderr, "copy: the virtual folder was not listed\n");
    return 1;
  }
  std::string sRemote = "\\Bench\\big document.bin";
  std::string sLocal = Ansi(sByPlugin);

  bool bOk = true;
  std::vector<double> vPlugin, vSystem;
  for (int iRound = 0; bOk && iRound < iRounds; ++iRound) {
    DeleteFileW(sByPlugin.c_str());
    DeleteFileW(sBySystem.c_str());
    auto Plugin = [&] {
      TStopwatch watch;
      const int iResult = host.fsGetFile(sRemote.data(), sLocal.data(), FS_COPYFLAGS_OVERWRITE, nullptr);
      vPlugin.push_back(watch.Seconds());
      if (iResult != FS_FILE_OK) bOk = false;
    };
    auto System = [&] {
      TStopwatch watch;
      const BOOL bCopied = CopyFileW(sSource.c_str(), sBySystem.c_str(), FALSE);
      vSystem.push_back(watch.Seconds());
      if (!bCopied) bOk = false;
    };
    // Alternating which goes first, so that neither always meets the other's write-back.
    if (iRound % 2 == 0) {
      Plugin();
      System();
    } else {
      System();
      Plugin();
    }
    if (FileSize(sByPlugin) != iBytes || FileSize(sBySystem) != iBytes) bOk = false;
  }
  if (!bOk) {
    std::fprintf(stderr, "copy: a copy failed or has the wrong size\n");
    NoBoxesShown(recorder, "copy");
    return 1;
  }
  const std::string sSize = std::to_string(iBytes >> 20) + " MiB";
  PrintTime("copy of " + sSize + ", FsGetFile", Best(vPlugin), "s");
  PrintTime("copy of " + sSize + ", CopyFileW", Best(vSystem), "s");
  PrintFigure("Copy of " + sSize + ", plugin / CopyFileW", Best(vPlugin) / Best(vSystem), TTargetKind::AT_MOST,
              1.05);
  return NoBoxesShown(recorder, "copy") ? 0 : 1;
}
