#include "plugin/win/open_document.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "common/messages.h"
#include "common/tag_server_contract.h"
#include "common/win_text.h"
#include "plugin/core/path_text.h"
#include "plugin/win/ansi_text.h"
#include "plugin/win/message_boxes.h"
#include "plugin/win/path_helpers.h"
#include "plugin/win/path_resolution.h"
#include "plugin/win/plugin_interface.h"
#include "plugin/win/request_channel.h"
#include "rtl/text_routines.h"

namespace {

constexpr char16_t EXECUTE_CONTEXT[] = u"Brackenfold::FsExecuteFile";
// Click actions the tag server answers with.
constexpr int32_t ACTION_OPEN = 0;
constexpr int32_t ACTION_SHOW_FOLDER = 1;
// The host's RemoteName buffer holds MAX_PATH bytes, terminating zero included.
constexpr size_t REMOTE_NAME_BUFFER_BYTES = 260;

// The text up to and including its last backslash or colon.
std::u16string FolderOf(const std::u16string& sPath) {
  const size_t iLast = sPath.find_last_of(u"\\:");
  return iLast == std::u16string::npos ? std::u16string() : sPath.substr(0, iLast + 1);
}

int ShowPathTooLong(const std::u16string& sPath) {
  ShowPluginMessage(PluginMessage(MSG_PATH_TOO_LONG), EXECUTE_CONTEXT, sPath);
  return FS_EXEC_ERROR;
}

int ExecuteOpen(char* RemoteName) {
  const std::u16string sRemoteName = AnsiToText(RemoteName);
  std::u16string sRealPath;
  if (!ResolveVirtualPath(sRemoteName, sRealPath)) return FS_EXEC_ERROR;
  if (sRealPath.empty() || sRealPath == RR_INVALID_PATH) {
    ShowPluginMessage(PluginMessage(MSG_PATH_NOT_FOUND), EXECUTE_CONTEXT, u"GetOmbrixData (" + sRemoteName + u")");
    return FS_EXEC_ERROR;
  }
  if (GetPathKind(sRealPath) == PATH_KIND_NONE) {
    ShowPluginMessage(PluginMessage(MSG_DOCUMENT_OUT_OF_DATE), EXECUTE_CONTEXT, sRealPath);
    return FS_EXEC_ERROR;
  }

  // Asked on every open: the user may change the action at any time.
  std::u16string sAction;
  if (!GetOmbrixData(sRemoteName, sAction, REQUEST_CLICK_ACTION)) return FS_EXEC_ERROR;
  int32_t iAction = 0;
  if (!TryStrToInt(sAction, iAction)) {
    ShowPluginMessage(PluginMessage(MSG_ACTION_NOT_INTEGER), EXECUTE_CONTEXT, sAction);
    return FS_EXEC_ERROR;
  }

  const std::u16string sTarget =
      iAction == ACTION_SHOW_FOLDER ? FolderOf(NormalizeTrailingDelimiter(sRealPath)) : sRealPath;
  if (!IsPathLengthValid(sTarget)) return ShowPathTooLong(sTarget);

  if (iAction == ACTION_SHOW_FOLDER) {
    // In a multi-byte code page fewer than 260 characters can still need
    // more bytes than the host's buffer holds.
    const std::string sAnsi = TextToAnsi(sTarget);
    if (sAnsi.size() >= REMOTE_NAME_BUFFER_BYTES) return ShowPathTooLong(sTarget);
    std::memcpy(RemoteName, sAnsi.c_str(), sAnsi.size() + 1);
    return FS_EXEC_SYMLINK;
  }
  if (iAction == ACTION_OPEN) {
    const HINSTANCE hResult = ShellExecuteW(nullptr, L"open", AsWide(sRealPath), nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(hResult) > 32) return FS_EXEC_OK;
    const DWORD dwError = GetLastError();
    ShowSystemError(dwError, EXECUTE_CONTEXT, u"ShellExecute");
    return FS_EXEC_ERROR;
  }
  return FS_EXEC_ERROR;
}

}  // namespace

std::u16string NormalizeTrailingDelimiter(std::u16string_view sRealPath) {
  switch (GetPathKind(sRealPath)) {
    case PATH_KIND_FOLDER:
      return IncludeTrailingBackslash(sRealPath);
    case PATH_KIND_FILE:
      return ExcludeTrailingBackslash(sRealPath);
    default:
      return std::u16string(sRealPath);
  }
}

extern "C" int __stdcall FsExecuteFile(HWND /*MainWin*/, char* RemoteName, char* Verb) {
  try {
    // Every other verb of the interface (properties, chmod, quote) is refused.
    if (!Verb || std::strcmp(Verb, "open") != 0 || !RemoteName) return FS_EXEC_ERROR;
    return ExecuteOpen(RemoteName);
  } catch (...) {
    return FS_EXEC_ERROR;
  }
}
