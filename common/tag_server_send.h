// The one way every deliverable talks to the tag server: one WM_COPYDATA to
// the window of class TTagsForm, looked up anew for each send. Neither the
// window nor the result is tested: without a server the send does nothing.
// Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "common/tag_server_contract.h"
#include "common/win_text.h"

// Sends sText with its terminating NUL; cbData is (length + 1) * 2.
inline void SendToTagServer(uintptr_t dwCode, const std::u16string& sText) {
  COPYDATASTRUCT data{};
  data.dwData = dwCode;
  data.cbData = static_cast<DWORD>((sText.size() + 1) * sizeof(char16_t));
  data.lpData = const_cast<char16_t*>(sText.c_str());
  SendMessageW(FindWindowW(AsWide(TAG_SERVER_WINDOW_CLASS), nullptr), WM_COPYDATA, 0,
               reinterpret_cast<LPARAM>(&data));
}
