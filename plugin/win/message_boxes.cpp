#include "plugin/win/message_boxes.h"

#include <windows.h>

#include "common/messages.h"
#include "common/win_text.h"
#include "plugin/core/message_text.h"
#include "plugin/win/global_state.h"
#include "plugin/win/win_handles.h"

namespace {

void ShowBox(const std::u16string& sText, const std::u16string& sContext) {
  MessageBoxW(nullptr, AsWide(sText), AsWide(MessageCaption(sContext)), MB_OK);
}

}  // namespace

const char16_t* PluginMessage(int iRow) { return MessageText(iRow, LangID); }

void ShowPluginMessage(std::u16string sMessage, std::u16string sContext, std::u16string sDetail) {
  ShowBox(MessageBoxText(sDetail, sMessage), sContext);
}

void ShowSystemError(uint32_t dwErrorCode, std::u16string sContext, std::u16string sDetail) {
  wchar_t* pBuffer = nullptr;
  const DWORD dwCount = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
      dwErrorCode, 0, reinterpret_cast<wchar_t*>(&pBuffer), 0, nullptr);
  TLocalBuffer buffer(pBuffer);
  std::u16string sSystemText;
  if (dwCount != 0 && buffer) {
    const wchar_t* pText = static_cast<const wchar_t*>(LocalLock(buffer.get()));
    if (pText) sSystemText.assign(AsText(pText), dwCount);
    LocalUnlock(buffer.get());
  }
  ShowBox(MessageBoxText(sDetail, sSystemText.empty() ? PluginMessage(MSG_NO_SYSTEM_TEXT) : sSystemText),
          sContext);
}
