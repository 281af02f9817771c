// FsGetFile: copying a document out of the virtual tree into a real folder.
// The virtual tree is read-only, so a move is carried out as a copy and the
// user is told so.
#include <windows.h>

#include "common/messages.h"
#include "common/tag_server_contract.h"
#include "common/win_text.h"
#include "plugin/core/local_name.h"
#include "plugin/win/ansi_text.h"
#include "plugin/win/global_state.h"
#include "plugin/win/message_boxes.h"
#include "plugin/win/path_helpers.h"
#include "plugin/win/path_resolution.h"
#include "plugin/win/plugin_interface.h"
#include "plugin/win/win_handles.h"
#include "rtl/text_routines.h"

namespace {

constexpr char16_t COPY_CONTEXT[] = u"VfsP::FsGetFile";
constexpr char16_t MOVE_CONTEXT[] = u"VfsU::FsGetFile";

// The host's answer is not examined: a cancel is not honoured.
void ReportProgress(char* pRemoteName, char* pLocalName, int iPercent) {
  if (pProgressProc) pProgressProc(iPluginNr, pRemoteName, pLocalName, iPercent);
}

// Whether the real document can be opened for reading right now; tells a
// failed read from a failed write after the copy has failed.
bool IsReadableFile(const std::u16string& sPath) {
  const HANDLE hRaw = CreateFileW(AsWide(sPath), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hRaw == INVALID_HANDLE_VALUE) return false;
  const TUniqueHandle hFile(hRaw);
  return true;
}

}  // namespace

extern "C" int __stdcall FsGetFile(char* RemoteName, char* LocalName, int CopyFlags, RemoteInfoStruct* /*ri*/) {
  try {
    std::u16string sRealPath;
    if (!ResolveVirtualPath(AnsiToText(RemoteName), sRealPath)) return FS_FILE_NOTFOUND;
    if (sRealPath.empty() || sRealPath == RR_INVALID_PATH) return FS_FILE_NOTFOUND;

    const std::u16string sLocalName = AnsiToText(LocalName);
    const std::u16string sTarget = CleanLocalName(sLocalName);
    // Nothing left to name a file by: the folder step and the copy need a name.
    if (Trim(sTarget).empty()) return FS_FILE_WRITEERROR;

    if ((CopyFlags & (FS_COPYFLAGS_OVERWRITE | FS_COPYFLAGS_RESUME)) == 0 && GetPathKind(sTarget) == PATH_KIND_FILE)
      return FS_FILE_EXISTSRESUMEALLOWED;

    ReportProgress(RemoteName, LocalName, 0);
    // Overwrite, resume and a first copy all copy the whole file. A folder
    // that cannot be made shows itself as a failed copy.
    CreateFolderChain(LocalFolderOf(sTarget));
    int iResult = FS_FILE_OK;
    if (!CopyFileW(AsWide(sRealPath), AsWide(sTarget), FALSE)) {
      const DWORD dwError = GetLastError();
      ShowSystemError(dwError, COPY_CONTEXT, u"CopyFile(" + sRealPath + u", " + sLocalName + u")");
      iResult = IsReadableFile(sRealPath) ? FS_FILE_WRITEERROR : FS_FILE_READERROR;
    }
    // Nothing is removed: neither the virtual item nor the real document.
    if (CopyFlags & FS_COPYFLAGS_MOVE)
      ShowPluginMessage(PluginMessage(MSG_READ_ONLY), MOVE_CONTEXT, u"FS_COPYFLAGS_MOVE");
    ReportProgress(RemoteName, LocalName, 100);
    return iResult;
  } catch (...) {
    return FS_FILE_READERROR;
  }
}
