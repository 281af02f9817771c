// Corvane's library entry: at process attach it pins the library and starts
// the watcher thread. The library has no exports; it acts by being loaded.
#include <windows.h>
#include <process.h>

#include "watcher/folder_watcher.h"

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID /*pReserved*/) {
  if (dwReason == DLL_PROCESS_ATTACH) {
    // The watcher thread never stops, so a FreeLibrary by the host would pull
    // the code out from under it. Pinned, the library stays until the host ends.
    HMODULE hSelf = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(hInstance), &hSelf);
    // Nobody waits for the thread, so its handle is closed at once.
    const uintptr_t hThread = _beginthreadex(nullptr, 0, WatchCurrentFolder, nullptr, 0, nullptr);
    if (hThread != 0) CloseHandle(reinterpret_cast<HANDLE>(hThread));
  }
  // Detach and the thread notifications do nothing.
  return TRUE;
}
