// What the Windows timing programs share: a stopwatch on the performance
// counter, the --smoke switch, a temporary folder of the prefix that is
// removed with everything in it, and the check that the plugin showed no
// message box while it was measured (a box would mean a failure, and its
// time would be the user's, not the plugin's).
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/harness/message_box_recorder.h"

class TStopwatch {
 public:
  TStopwatch() {
    QueryPerformanceFrequency(&liFrequency);
    QueryPerformanceCounter(&liStart);
  }
  double Seconds() const {
    LARGE_INTEGER liNow;
    QueryPerformanceCounter(&liNow);
    return static_cast<double>(liNow.QuadPart - liStart.QuadPart) / static_cast<double>(liFrequency.QuadPart);
  }

 private:
  LARGE_INTEGER liFrequency;
  LARGE_INTEGER liStart;
};

inline bool HasSmokeFlag(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) == "--smoke") return true;
  return false;
}

// A folder under the prefix's temporary folder. Everything created through
// it is removed, deepest first, when it goes.
class TBenchFolder {
 public:
  explicit TBenchFolder(const wchar_t* pKind) {
    wchar_t szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    sRoot = std::wstring(szTemp) + L"brackenfold-bench-" + pKind + L"-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(sRoot.c_str(), nullptr);
  }
  ~TBenchFolder() {
    for (auto it = vFiles.rbegin(); it != vFiles.rend(); ++it) DeleteFileW(it->c_str());
    for (auto it = vFolders.rbegin(); it != vFolders.rend(); ++it) RemoveDirectoryW(it->c_str());
    RemoveDirectoryW(sRoot.c_str());
  }
  TBenchFolder(const TBenchFolder&) = delete;
  TBenchFolder& operator=(const TBenchFolder&) = delete;

  const std::wstring& Root() const { return sRoot; }
  std::wstring Path(const std::wstring& sRelative) const { return sRoot + L"\\" + sRelative; }

  bool Folder(const std::wstring& sRelative) {
    const std::wstring sPath = Path(sRelative);
    if (!CreateDirectoryW(sPath.c_str(), nullptr)) return false;
    vFolders.push_back(sPath);
    return true;
  }
  // Registers a file that something else creates there, so that it is removed too.
  std::wstring Adopt(const std::wstring& sRelative) {
    vFiles.push_back(Path(sRelative));
    return vFiles.back();
  }
  // A file of iBytes bytes (written in 1 MiB blocks of a repeating pattern).
  bool File(const std::wstring& sRelative, uint64_t iBytes) {
    const std::wstring sPath = Path(sRelative);
    HANDLE hFile = CreateFileW(sPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return false;
    vFiles.push_back(sPath);
    std::vector<char> vBlock(std::min<uint64_t>(iBytes, 1 << 20));
    for (size_t i = 0; i < vBlock.size(); ++i) vBlock[i] = static_cast<char>('a' + i % 23);
    bool bOk = true;
    for (uint64_t iLeft = iBytes; bOk && iLeft > 0;) {
      const DWORD dwChunk = static_cast<DWORD>(std::min<uint64_t>(iLeft, vBlock.size()));
      DWORD dwWritten = 0;
      bOk = WriteFile(hFile, vBlock.data(), dwChunk, &dwWritten, nullptr) && dwWritten == dwChunk;
      iLeft -= dwChunk;
    }
    CloseHandle(hFile);
    return bOk;
  }

 private:
  std::wstring sRoot;
  std::vector<std::wstring> vFolders;
  std::vector<std::wstring> vFiles;
};

// False, with the boxes on stderr, when the plugin showed any.
inline bool NoBoxesShown(TMessageBoxRecorder& recorder, const char* pWhere) {
  const std::vector<TRecordedBox> vBoxes = recorder.Boxes();
  for (const TRecordedBox& box : vBoxes)
    std::fprintf(stderr, "%s: unexpected message box \"%ls\": %ls\n", pWhere, box.sCaption.c_str(), box.sText.c_str());
  return vBoxes.empty();
}

// The smallest of the measurements: on a shared machine the others carry
// time taken by other processes.
inline double Best(const std::vector<double>& v) { return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end()); }
