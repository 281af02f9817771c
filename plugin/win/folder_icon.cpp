#include "plugin/win/folder_icon.h"

#include <atomic>

#include "plugin/win/ansi_text.h"
#include "plugin/win/path_resolution.h"
#include "plugin/win/plugin_interface.h"
#include "plugin/win/win_handles.h"

namespace {

// One slot per size. Filled without a lock: a thread that loses the race to
// fill a slot destroys its own copy and uses the one stored first.
std::atomic<HICON> hFolderIcons[2] = {nullptr, nullptr};

HMODULE OwnModule() {
  HMODULE hModule = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&OwnModule), &hModule);
  return hModule;
}

}  // namespace

HICON FolderIcon(bool bSmall) {
  std::atomic<HICON>& hSlot = hFolderIcons[bSmall ? 0 : 1];
  if (const HICON hStored = hSlot.load()) return hStored;
  const int iSize = bSmall ? 16 : 32;
  TIconHandle icon(static_cast<HICON>(
      LoadImageW(OwnModule(), MAKEINTRESOURCEW(ICON_GROUP_FOLDER), IMAGE_ICON, iSize, iSize, LR_DEFAULTCOLOR)));
  if (!icon) return nullptr;
  HICON hStored = nullptr;
  if (hSlot.compare_exchange_strong(hStored, icon.get())) return icon.release();
  return hStored;  // Another thread stored its copy first; ours is destroyed.
}

void ReleaseFolderIcons() {
  for (std::atomic<HICON>& hSlot : hFolderIcons) {
    const TIconHandle icon(hSlot.exchange(nullptr));
  }
}

extern "C" int __stdcall FsExtractCustomIcon(char* RemoteName, int ExtractFlags, HICON* TheIcon) {
  try {
    if (!RemoteName || !TheIcon) return FS_ICON_USEDEFAULT;
    std::u16string sAnswer;
    if (!ResolveVirtualPath(AnsiToText(RemoteName), sAnswer)) return FS_ICON_USEDEFAULT;
    // Only a virtual folder gets our icon; documents keep the host's icon for their type.
    if (!sAnswer.empty()) return FS_ICON_USEDEFAULT;
    const HICON hIcon = FolderIcon((ExtractFlags & FS_ICONFLAG_SMALL) != 0);
    if (!hIcon) return FS_ICON_USEDEFAULT;
    *TheIcon = hIcon;
    return FS_ICON_EXTRACTED;
  } catch (...) {
    return FS_ICON_USEDEFAULT;
  }
}
