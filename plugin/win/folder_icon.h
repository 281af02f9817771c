// The virtual folders' icon. The host keeps an icon marked as extracted
// without destroying it, so each of the two sizes is loaded once, handed
// out again on every call and destroyed when the library is unloaded.
#pragma once

#include <windows.h>

// Icon groups in the library's resources.
inline constexpr int ICON_GROUP_CLASSIC = 1000;  // 16 and 32 pixels, 16 colours; not loaded
inline constexpr int ICON_GROUP_FOLDER = 1001;   // 128 pixels with alpha, scaled when loaded

// The folder icon at 16 or 32 pixels, loaded on first use; null when it
// cannot be loaded. Safe to call from several threads at once.
HICON FolderIcon(bool bSmall);

// Destroys the icons loaded so far; called at unload.
void ReleaseFolderIcons();
