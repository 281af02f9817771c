// FsGetFile: copying a document out of the virtual tree into a real folder.
// The virtual tree is read-only, so a move is carried out as a copy and the
// user is told so. The host's progress dialog follows the copy, and its
// cancel button stops it.
#include "plugin/win/copy_out.h"

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

// The calls before and after the copy: the host's answer is not examined
// there; a cancel is honoured while the copy runs (CopyProgressRoutine).
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

int GetFileWith(TCopyFileEx pCopyFileEx, char* RemoteName, char* LocalName, int CopyFlags) {
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
  TCopyProgress progress{pProgressProc, iPluginNr, RemoteName, LocalName};
  int iResult = FS_FILE_OK;
  if (!pCopyFileEx(AsWide(sRealPath), AsWide(sTarget), CopyProgressRoutine, &progress, nullptr, 0)) {
    const DWORD dwError = GetLastError();
    if (dwError == ERROR_REQUEST_ABORTED) {
      // The user cancelled in the host's dialog: no failure to report and
      // nothing more to do. The system removes the partial target; make sure
      // of it, so that no half document is left to look like a whole one.
      if (GetPathKind(sTarget) == PATH_KIND_FILE) DeleteFileW(AsWide(sTarget));
      return FS_FILE_USERABORT;
    }
    ShowSystemError(dwError, COPY_CONTEXT, u"CopyFile(" + sRealPath + u", " + sLocalName + u")");
    iResult = IsReadableFile(sRealPath) ? FS_FILE_WRITEERROR : FS_FILE_READERROR;
  }
  // Nothing is removed: neither the virtual item nor the real document.
  if (CopyFlags & FS_COPYFLAGS_MOVE)
    ShowPluginMessage(PluginMessage(MSG_READ_ONLY), MOVE_CONTEXT, u"FS_COPYFLAGS_MOVE");
  ReportProgress(RemoteName, LocalName, 100);
  return iResult;
}

extern "C" int __stdcall FsGetFile(char* RemoteName, char* LocalName, int CopyFlags, RemoteInfoStruct* /*ri*/) {
  try {
    return GetFileWith(CopyFileExW, RemoteName, LocalName, CopyFlags);
  } catch (...) {
    return FS_FILE_READERROR;
  }
}
