// Listing texts as a tag server sends them for a big tag folder: one record
// per document, its name, U+001F and the full path of its real file, the
// files spread over real folders of 100 each.
#pragma once

#include <string>

#include "common/tag_server_contract.h"

// The name of document i: "Document 000123.pdf".
inline std::u16string BenchDocumentName(int i) {
  std::u16string sNumber;
  for (int iValue = i, iDigits = 0; iDigits < 6; ++iDigits, iValue /= 10)
    sNumber.insert(sNumber.begin(), static_cast<char16_t>(u'0' + iValue % 10));
  return u"Document " + sNumber + u".pdf";
}

// The folder, relative to the root, that holds document i: "f0001" for 100 to 199.
inline std::u16string BenchDocumentFolder(int i) {
  std::u16string sNumber;
  for (int iValue = i / 100, iDigits = 0; iDigits < 4; ++iDigits, iValue /= 10)
    sNumber.insert(sNumber.begin(), static_cast<char16_t>(u'0' + iValue % 10));
  return u"f" + sNumber;
}

// The listing of documents 0 .. iCount-1 whose real files live under sRoot
// (no trailing backslash).
inline std::u16string BenchListingText(const std::u16string& sRoot, int iCount) {
  std::u16string sText;
  for (int i = 0; i < iCount; ++i) {
    if (i > 0) sText += LISTING_RECORD_SEPARATOR;
    const std::u16string sName = BenchDocumentName(i);
    sText += sName;
    sText += LISTING_NAME_VALUE_SEPARATOR;
    sText += sRoot + u"\\" + BenchDocumentFolder(i) + u"\\" + sName;
  }
  return sText;
}
