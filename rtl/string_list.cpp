#include "rtl/string_list.h"

#include <algorithm>

std::u16string_view TStringList::Names(int iIndex) const {
  const std::u16string& sItem = vItems[iIndex];
  const size_t iAt = sItem.find(NameValueSeparator);
  if (iAt == std::u16string::npos) return {};
  return std::u16string_view(sItem).substr(0, iAt);
}

std::u16string_view TStringList::ValueFromIndex(int iIndex) const {
  const std::u16string& sItem = vItems[iIndex];
  const size_t iAt = sItem.find(NameValueSeparator);
  if (iAt == std::u16string::npos || iAt == 0) return {};
  return std::u16string_view(sItem).substr(iAt + 1);
}

namespace {

// Reads the quoted item that starts at sText[iPos] (a quote) and moves iPos
// past its closing quote, or to the end when it has none.
std::u16string ReadQuotedItem(std::u16string_view sText, size_t& iPos, char16_t cQuote) {
  std::u16string sItem;
  size_t i = iPos + 1;
  while (i < sText.size()) {
    if (sText[i] == cQuote) {
      if (i + 1 < sText.size() && sText[i + 1] == cQuote) {
        sItem += cQuote;
        i += 2;
        continue;
      }
      iPos = i + 1;
      return sItem;
    }
    sItem += sText[i++];
  }
  // No closing quote: the rest of the text, less its last character.
  std::u16string_view sRest = sText.substr(iPos + 1);
  if (!sRest.empty()) sRest.remove_suffix(1);
  sItem.clear();
  for (size_t k = 0; k < sRest.size(); ++k) {
    sItem += sRest[k];
    if (sRest[k] == cQuote && k + 1 < sRest.size() && sRest[k + 1] == cQuote) ++k;
  }
  iPos = sText.size();
  return sItem;
}

}  // namespace

void TStringList::SetDelimitedText(std::u16string_view sText) {
  vItems.clear();
  // One item per delimiter and one more (fewer when delimiters are quoted):
  // a listing of many short records would otherwise carry up to half again
  // its items' size in unused capacity.
  if (!sText.empty()) vItems.reserve(static_cast<size_t>(std::count(sText.begin(), sText.end(), Delimiter)) + 1);
  size_t iPos = 0;
  while (iPos < sText.size()) {
    if (sText[iPos] == QuoteChar) {
      vItems.push_back(ReadQuotedItem(sText, iPos, QuoteChar));
    } else {
      size_t iEnd = sText.find(Delimiter, iPos);
      if (iEnd == std::u16string_view::npos) iEnd = sText.size();
      vItems.emplace_back(sText.substr(iPos, iEnd - iPos));
      iPos = iEnd;
    }
    if (iPos < sText.size() && sText[iPos] == Delimiter) {
      ++iPos;
      if (iPos == sText.size()) vItems.emplace_back();
    }
  }
}

std::u16string TStringList::DelimitedText() const {
  if (vItems.size() == 1 && vItems[0].empty()) return std::u16string(2, QuoteChar);
  std::u16string sResult;
  for (size_t i = 0; i < vItems.size(); ++i) {
    if (i > 0) sResult += Delimiter;
    const std::u16string& sItem = vItems[i];
    if (sItem.find(QuoteChar) == std::u16string::npos && sItem.find(Delimiter) == std::u16string::npos) {
      sResult += sItem;
      continue;
    }
    sResult += QuoteChar;
    for (char16_t c : sItem) {
      if (c == QuoteChar) sResult += QuoteChar;
      sResult += c;
    }
    sResult += QuoteChar;
  }
  return sResult;
}
