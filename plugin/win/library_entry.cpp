// The library entry and the two entry points that only set the plugin up.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "common/tag_server_contract.h"
#include "common/win_text.h"
#include "plugin/win/folder_icon.h"
#include "plugin/win/global_state.h"
#include "plugin/win/plugin_interface.h"
#include "plugin/win/settings.h"

BOOL WINAPI DllMain(HINSTANCE /*hInstance*/, DWORD dwReason, LPVOID pReserved) {
  switch (dwReason) {
    case DLL_PROCESS_ATTACH:
      hHostWindow = FindWindowW(AsWide(HOST_WINDOW_CLASS), nullptr);
      try {
        SearchDataList = std::make_unique<TSearchDataList>();
      } catch (...) {
      }
      break;
    case DLL_PROCESS_DETACH:
      // Frees every snapshot the cache still holds.
      SearchDataList.reset();
      // When the process ends the system takes the icons back itself.
      if (!pReserved) ReleaseFolderIcons();
      break;
    default:
      break;
  }
  return TRUE;
}

extern "C" int __stdcall FsInit(int PluginNr, tProgressProc pProgress, tLogProc /*pLogProc*/,
                                tRequestProc /*pRequestProc*/) {
  try {
    iPluginNr = PluginNr;
    pProgressProc = pProgress;
    {
      TLockGuard lock(csOmbrixRequest);
      dwOmbrixReqCount = 0;
    }
    LoadInterfaceLanguage();
  } catch (...) {
  }
  return 0;
}

extern "C" void __stdcall FsGetDefRootName(char* DefRootName, int maxlen) {
  static constexpr char ROOT_NAME[] = "VFS";
  if (!DefRootName || maxlen <= 0) return;
  // Write the longest prefix of the name that fits with its terminating zero.
  const size_t iCopy = std::min<size_t>(std::strlen(ROOT_NAME), static_cast<size_t>(maxlen) - 1);
  std::memcpy(DefRootName, ROOT_NAME, iCopy);
  DefRootName[iCopy] = '\0';
}
