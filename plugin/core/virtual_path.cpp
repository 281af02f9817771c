#include "plugin/core/virtual_path.h"

#include "common/tag_server_contract.h"
#include "rtl/text_routines.h"

namespace {

// The trimmed path less one trailing backslash, and the position just past
// its last backslash (0 when it has none).
struct TVirtualSplit {
  std::u16string sText;
  size_t iNameStart;
};

TVirtualSplit SplitVirtualPath(std::u16string_view sPath) {
  std::u16string sText = ExcludeTrailingBackslash(Trim(sPath));
  const size_t iLast = sText.rfind(u'\\');
  return {std::move(sText), iLast == std::u16string::npos ? 0 : iLast + 1};
}

}  // namespace

std::u16string VirtualFolderPart(std::u16string_view sPath) {
  TVirtualSplit split = SplitVirtualPath(sPath);
  split.sText.resize(split.iNameStart);
  return std::move(split.sText);
}

std::u16string VirtualNamePart(std::u16string_view sPath) {
  const TVirtualSplit split = SplitVirtualPath(sPath);
  return split.sText.substr(split.iNameStart);
}

bool FindInSnapshots(TSearchDataList& list, std::u16string_view sPath, std::u16string& sAnswer) {
  const TVirtualSplit split = SplitVirtualPath(sPath);
  const std::u16string_view sText(split.sText);
  const std::u16string_view sFolderKey = WithoutTrailingBackslash(sText.substr(0, split.iNameStart));
  const std::u16string_view sNameKey = WithoutTrailingBackslash(sText.substr(split.iNameStart));
  if (sNameKey == u".." || sNameKey == u".") {
    sAnswer = RR_INVALID_PATH;
    return true;
  }
  TListLock<TSearchData> lock(list);
  const std::vector<TSearchData*>& vItems = lock.Items();
  for (auto it = vItems.rbegin(); it != vItems.rend(); ++it) {
    const TSearchData& data = **it;
    if (WithoutTrailingBackslash(data.sPath) != sFolderKey) continue;
    const int iRecord = data.NameIndex.Find(*data.pResult, sNameKey);
    if (iRecord >= 0) {
      sAnswer = std::u16string(data.pResult->ValueFromIndex(iRecord));
      return true;
    }
  }
  return false;
}
