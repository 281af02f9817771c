#include "plugin/win/path_helpers.h"

#include <windows.h>

#include "common/win_text.h"
#include "plugin/core/path_text.h"
#include "rtl/text_routines.h"

namespace {

bool IsExistingFolder(const std::u16string& sPath) {
  const DWORD dwAttributes = GetFileAttributesW(AsWide(sPath));
  return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

int32_t GetPathKind(std::u16string_view sPath) {
  const DWORD dwAttributes = GetFileAttributesW(AsWide(ExcludeTrailingBackslash(sPath)));
  if (dwAttributes == INVALID_FILE_ATTRIBUTES) return PATH_KIND_NONE;
  return (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) ? PATH_KIND_FOLDER : PATH_KIND_FILE;
}

std::u16string CreateFolderChain(std::u16string_view sPath) {
  bool bSuccess = true;
  DWORD dwSavedError = 0;
  {
    const TPathList source(sPath);
    TPathList levels;
    for (int i = 0; i < source.Count(); ++i) {
      levels.Add(source.Strings(i));
      const std::u16string sLevel = levels.DelimitedText();
      if (IsExistingFolder(sLevel)) continue;
      if (CreateDirectoryW(AsWide(sLevel), nullptr)) continue;
      dwSavedError = GetLastError();
      // Another thread or process may have made it between the test and the creation.
      if (dwSavedError == ERROR_ALREADY_EXISTS && IsExistingFolder(sLevel)) continue;
      bSuccess = false;
      break;
    }
  }
  if (!bSuccess) {
    SetLastError(dwSavedError);
    return {};
  }
  return std::u16string(sPath);
}
