// Folder enumeration for the host: FsFindFirst asks the tag server for the
// folder's listing, keeps it as the newest snapshot of the listing cache and
// hands out the snapshot's address as the handle; FsFindNext delivers one
// entry per call, a virtual folder or a document under its virtual name with
// its real file's find data; FsFindClose marks the snapshot inactive and
// leaves it in the cache for path resolution.
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "common/messages.h"
#include "common/tag_server_contract.h"
#include "common/win_text.h"
#include "plugin/core/listing_cache.h"
#include "plugin/core/path_text.h"
#include "plugin/win/ansi_text.h"
#include "plugin/win/global_state.h"
#include "plugin/win/message_boxes.h"
#include "plugin/win/plugin_interface.h"
#include "plugin/win/request_channel.h"
#include "plugin/win/win_handles.h"
#include "rtl/text_routines.h"

namespace {

constexpr char16_t CONTEXT_FIND_FIRST[] = u"Brackenfold::FsFindFirst";
constexpr char16_t CONTEXT_FIND_NEXT[] = u"Brackenfold::FsFindNext";

// Fills the find data from the real file at sRealPath; false when there is
// none. The search runs on the UTF-16 path: an ANSI form would turn letters
// the code page lacks into "?", a wildcard that can match another file.
bool ReadRealFindData(std::u16string_view sRealPath, WIN32_FIND_DATAA& findData) {
  const std::u16string sPath(sRealPath);
  WIN32_FIND_DATAW realData;
  TFindHandle hFind(FindFirstFileW(AsWide(sPath), &realData));
  if (!hFind) return false;
  hFind.reset();
  findData.dwFileAttributes = realData.dwFileAttributes;
  findData.ftCreationTime = realData.ftCreationTime;
  findData.ftLastAccessTime = realData.ftLastAccessTime;
  findData.ftLastWriteTime = realData.ftLastWriteTime;
  findData.nFileSizeHigh = realData.nFileSizeHigh;
  findData.nFileSizeLow = realData.nFileSizeLow;
  findData.dwReserved0 = realData.dwReserved0;
  findData.dwReserved1 = realData.dwReserved1;
  // The short name stays empty when its ANSI form does not fit.
  const std::string sShortName = TextToAnsi(AsText(realData.cAlternateFileName));
  if (sShortName.size() < sizeof(findData.cAlternateFileName))
    std::memcpy(findData.cAlternateFileName, sShortName.c_str(), sShortName.size() + 1);
  return true;
}

// Moves the snapshot's cursor to the next entry that can be delivered and
// fills the find data with it. Documents whose real file is missing are
// skipped silently; entries whose path or ANSI name is too long are skipped
// with a message each.
bool DeliverNextEntry(TSearchData& data, WIN32_FIND_DATAA& findData) {
  const TSearchResult& result = *data.pResult;
  for (; data.iCursor >= 0 && data.iCursor < result.Count(); ++data.iCursor) {
    std::memset(&findData, 0, sizeof findData);
    const TListingEntry entry = result.Entry(data.iCursor);
    if (entry.bFolder) {
      findData.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    } else if (!ReadRealFindData(entry.sRealPath, findData)) {
      continue;
    }
    const std::u16string sJoined = JoinPath(data.sPath, entry.sName);
    // A name can fit 259 UTF-16 units and still need 260 bytes or more in a
    // multi-byte code page; it is refused like an over-long path.
    std::string sAnsiName;
    if (IsPathLengthValid(sJoined)) sAnsiName = TextToAnsi(entry.sName);
    if (!IsPathLengthValid(sJoined) || sAnsiName.size() >= sizeof(findData.cFileName)) {
      ShowPluginMessage(PluginMessage(MSG_PATH_TOO_LONG), CONTEXT_FIND_NEXT, sJoined);
      continue;
    }
    std::memcpy(findData.cFileName, sAnsiName.c_str(), sAnsiName.size() + 1);
    ++data.iCursor;
    return true;
  }
  return false;
}

HANDLE FailWith(DWORD dwError) {
  SetLastError(dwError);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

extern "C" HANDLE __stdcall FsFindFirst(char* Path, WIN32_FIND_DATAA* FindData) {
  try {
    if (!FindData || !SearchDataList) return FailWith(ERROR_INVALID_PARAMETER);
    TSearchDataList& list = *SearchDataList;
    const std::u16string sPath = AnsiToText(Path);

    std::u16string sAnswer;
    if (!GetOmbrixData(sPath, sAnswer, REQUEST_LISTING)) return FailWith(ERROR_NO_DATA);
    if (sAnswer.empty()) return FailWith(ERROR_NO_MORE_FILES);
    if (sAnswer == RR_INVALID_PATH) {
      ShowPluginMessage(PluginMessage(MSG_CANT_GO_TO_FOLDER), CONTEXT_FIND_FIRST, sPath);
      return FailWith(ERROR_PATH_NOT_FOUND);
    }

    int iArchiveCount = 0;
    list.DeleteByPath(sPath, iArchiveCount);
    const int iCount = list.Count();
    if (iCount - iArchiveCount > 0) {
      ShowPluginMessage(PluginMessage(MSG_BACKGROUND_REQUEST), CONTEXT_FIND_FIRST,
                        u"SearchDataList -> Count() = " + IntToText(iCount) + u"; iArchiveCount = " +
                            IntToText(iArchiveCount));
    }
    if (iArchiveCount >= 2) list.DeleteOldestArchive();

    auto pNew = std::make_unique<TSearchData>(sPath, sAnswer);
    std::u16string().swap(sAnswer);  // the listing text is not needed any more
    TSearchData& data = *pNew;
    list.Add(pNew.get());
    pNew.release();
    try {
      if (!DeliverNextEntry(data, *FindData)) {
        data.bActive = false;
        return FailWith(ERROR_NO_MORE_FILES);
      }
    } catch (...) {
      // No handle reaches the host, so nothing will close this snapshot.
      data.bActive = false;
      throw;
    }
    return reinterpret_cast<HANDLE>(&data);
  } catch (...) {
    return FailWith(ERROR_NOT_ENOUGH_MEMORY);
  }
}

extern "C" BOOL __stdcall FsFindNext(HANDLE Hdl, WIN32_FIND_DATAA* FindData) {
  try {
    if (Hdl == INVALID_HANDLE_VALUE || Hdl == nullptr || !FindData) return FALSE;
    return DeliverNextEntry(*reinterpret_cast<TSearchData*>(Hdl), *FindData) ? TRUE : FALSE;
  } catch (...) {
    return FALSE;
  }
}

extern "C" int __stdcall FsFindClose(HANDLE Hdl) {
  try {
    if (Hdl != INVALID_HANDLE_VALUE && Hdl != nullptr) reinterpret_cast<TSearchData*>(Hdl)->bActive = false;
  } catch (...) {
  }
  return 0;
}
