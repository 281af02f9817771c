#include "plugin/core/path_text.h"

#include "rtl/text_routines.h"

bool IsPathLengthValid(std::u16string_view sPath) { return sPath.size() < MAX_PATH_UNITS; }

std::u16string JoinPath(std::u16string_view sFolder, std::u16string_view sName) {
  if (sName.empty()) return std::u16string(sFolder);
  return IncludeTrailingBackslash(sFolder) + std::u16string(sName);
}

TPathList::TPathList() { Delimiter = u'\\'; }

TPathList::TPathList(std::u16string_view sPath) : TPathList() {
  SetDelimitedText(ExcludeTrailingBackslash(sPath));
}
