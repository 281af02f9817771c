#include "plugin/core/local_name.h"

#include "plugin/core/path_text.h"
#include "rtl/text_routines.h"

std::u16string CleanLocalName(std::u16string_view sLocalName) {
  TPathList components(sLocalName);
  for (int i = 1; i < components.Count(); ++i) components.Put(i, CleanNameComponent(components.Strings(i)));
  return components.DelimitedText();
}

std::u16string CleanNameComponent(std::u16string_view sComponent) {
  const size_t iMarker = sComponent.find(NAME_CUT_MARKER);
  if (iMarker != std::u16string_view::npos) sComponent = sComponent.substr(0, iMarker);
  return StripNameComponent(sComponent);
}

std::u16string StripNameComponent(std::u16string_view sComponent) {
  std::u16string sResult = Trim(sComponent);
  if (!sResult.empty() && sResult.back() == u'.') sResult.pop_back();
  sResult = ReplaceAll(sResult, u"\"", u"");
  sResult = ReplaceAll(sResult, u"\\", u"");
  return ReplaceAll(sResult, u":", u"");
}

std::u16string LocalFolderOf(std::u16string_view sLocalName) {
  const std::u16string sName = ExcludeTrailingBackslash(Trim(sLocalName));
  const size_t iLast = sName.find_last_of(u"\\:");
  if (iLast == std::u16string::npos) return {};
  return sName.substr(0, iLast + 1);
}
