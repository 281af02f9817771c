#include "plugin/win/request_channel.h"

#include <windows.h>

#include "common/messages.h"
#include "common/tag_server_contract.h"
#include "common/tag_server_send.h"
#include "common/win_text.h"
#include "plugin/core/request_text.h"
#include "plugin/win/global_state.h"
#include "plugin/win/message_boxes.h"
#include "plugin/win/win_handles.h"
#include "rtl/text_routines.h"

namespace {

// Marks a failure inside a request that has already been shown to the user.
struct EVoidException {};

constexpr char16_t CONTEXT_PLUGIN[] = u"VfsP::GetOmbrixData";
constexpr char16_t CONTEXT_SYSTEM[] = u"GetOmbrixData";

// Numbers held by the requests in flight; guarded by csOmbrixRequest.
TRequestNumbers RequestNumbers;

// One request's place in the count of requests in flight: taken when the
// request starts, given back on every path when it ends.
class TRequestSlot {
 public:
  TRequestSlot() {
    TLockGuard lock(csOmbrixRequest);
    ++dwOmbrixReqCount;
    dwNumber = RequestNumbers.Acquire();
    try {
      if (dwOmbrixReqCount > 1)
        // Shown while the lock is held: no other request starts or ends meanwhile.
        ShowPluginMessage(PluginMessage(MSG_BACKGROUND_REQUEST), CONTEXT_PLUGIN,
                          u" (dwOmbrixReqCount = " + IntToText(dwOmbrixReqCount) + u")");
    } catch (...) {
      Leave();
      throw;
    }
  }
  ~TRequestSlot() {
    TLockGuard lock(csOmbrixRequest);
    Leave();
  }
  TRequestSlot(const TRequestSlot&) = delete;
  TRequestSlot& operator=(const TRequestSlot&) = delete;

  uint32_t Number() const { return dwNumber; }

 private:
  void Leave() {
    RequestNumbers.Release(dwNumber);
    --dwOmbrixReqCount;
  }
  uint32_t dwNumber = 0;
};

// Creates a named object and fails the request, with the right box, when
// it cannot be created or already exists.
template <typename TCreate>
TUniqueHandle CreateRequestObject(TCreate create, const char16_t* pDetail, int iExistsRow) {
  TUniqueHandle hObject(create());
  const DWORD dwError = GetLastError();
  if (!hObject) {
    ShowSystemError(dwError, CONTEXT_SYSTEM, pDetail);
    throw EVoidException{};
  }
  if (dwError == ERROR_ALREADY_EXISTS) {
    ShowPluginMessage(PluginMessage(iExistsRow), CONTEXT_PLUGIN, pDetail);
    throw EVoidException{};
  }
  return hObject;
}

}  // namespace

bool GetOmbrixData(std::u16string sPath, std::u16string& sAnswer, int iCode) {
  // Released in reverse order: view, mapping, event, then the slot.
  TRequestSlot slot;
  try {
    const std::u16string sName = RequestName(slot.Number());
    const std::u16string sEventName = EVENT_NAME_PREFIX + sName;
    const std::u16string sMappingName = FILE_MAPPING_NAME_PREFIX + sName;

    TUniqueHandle hEvent = CreateRequestObject(
        [&] { return CreateEventW(nullptr, TRUE, FALSE, AsWide(sEventName)); }, u"CreateEvent",
        MSG_EVENT_EXISTS);
    TUniqueHandle hMapping = CreateRequestObject(
        [&] {
          return CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DW_FILE_MAPPING_SIZE,
                                    AsWide(sMappingName));
        },
        u"CreateFileMapping", MSG_FILE_MAPPING_EXISTS);
    TMappedView view(MapViewOfFile(hMapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    if (!view) {
      ShowSystemError(GetLastError(), CONTEXT_SYSTEM, u"MapViewOfFile");
      throw EVoidException{};
    }

    SendToTagServer(MSG_CODE_REQUEST, RequestText(slot.Number(), iCode, sPath));

    if (WaitForSingleObject(hEvent.get(), DW_ANSWER_TIMEOUT_MS) != WAIT_OBJECT_0) {
      ShowPluginMessage(PluginMessage(MSG_NO_DATA_FROM_SERVER), CONTEXT_PLUGIN, u"WaitForSingleObject");
      throw EVoidException{};
    }
    sAnswer = AnswerFromBuffer(static_cast<const char16_t*>(view.get()), DW_FILE_MAPPING_SIZE / sizeof(char16_t));
    return true;
  } catch (const EVoidException&) {
    return false;
  }
}
