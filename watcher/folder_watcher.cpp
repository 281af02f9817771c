#include "watcher/folder_watcher.h"

#include <windows.h>

#include <string>

#include "common/tag_server_contract.h"
#include "common/tag_server_send.h"
#include "common/win_text.h"
#include "watcher/folder_watch.h"

namespace {

// The host's current folder as the system gives it, including the trailing
// backslash of a drive root; false when it cannot be read.
bool ReadCurrentFolder(std::u16string& sFolder) {
  DWORD dwSize = GetCurrentDirectoryW(0, nullptr);
  // Another thread may move to a longer folder between the two calls.
  while (dwSize != 0) {
    std::u16string sBuffer(dwSize, u'\0');
    const DWORD dwLength = GetCurrentDirectoryW(dwSize, AsWideBuffer(sBuffer.data()));
    if (dwLength == 0) return false;
    if (dwLength < dwSize) {
      sBuffer.resize(dwLength);
      sFolder = std::move(sBuffer);
      return true;
    }
    dwSize = dwLength;
  }
  return false;
}

// The file name of the host's executable (the process's main module).
std::u16string ReadExecutableFileName() {
  std::u16string sBuffer(MAX_PATH, u'\0');
  for (;;) {
    const DWORD dwSize = static_cast<DWORD>(sBuffer.size());
    const DWORD dwLength = GetModuleFileNameW(nullptr, AsWideBuffer(sBuffer.data()), dwSize);
    if (dwLength == 0) return std::u16string();
    if (dwLength < dwSize) {
      sBuffer.resize(dwLength);
      return sBuffer;
    }
    // Cut short: try again with room for a longer name.
    sBuffer.assign(sBuffer.size() * 2, u'\0');
  }
}

std::u16string LowerFileName(std::u16string_view sName) {
  std::u16string sLower(sName);
  if (!sLower.empty()) CharLowerBuffW(AsWideBuffer(sLower.data()), static_cast<DWORD>(sLower.size()));
  return sLower;
}

}  // namespace

unsigned __stdcall WatchCurrentFolder(void* /*pUnused*/) {
  TFolderWatch watch(LowerFileName);
  for (;;) {
    // Nothing may end this thread: an exception leaving it would end the host.
    try {
      std::u16string sCurrentFolder;
      if (ReadCurrentFolder(sCurrentFolder) &&
          watch.TakeCurrentFolder(sCurrentFolder, ExecutableFolder(ReadExecutableFileName())))
        SendToTagServer(MSG_CODE_WATCHED_FOLDER, sCurrentFolder);
    } catch (...) {
    }
    Sleep(DW_POLL_PERIOD_MS);
  }
}
