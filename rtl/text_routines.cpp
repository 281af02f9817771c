#include "rtl/text_routines.h"

std::u16string Trim(std::u16string_view sText) {
  size_t iStart = 0;
  size_t iEnd = sText.size();
  while (iStart < iEnd && sText[iStart] <= u' ') ++iStart;
  while (iEnd > iStart && sText[iEnd - 1] <= u' ') --iEnd;
  return std::u16string(sText.substr(iStart, iEnd - iStart));
}

bool EndsWithBackslash(std::u16string_view sText) {
  return !sText.empty() && sText.back() == u'\\';
}

std::u16string ExcludeTrailingBackslash(std::u16string_view sText) {
  if (EndsWithBackslash(sText)) sText.remove_suffix(1);
  return std::u16string(sText);
}

std::u16string IncludeTrailingBackslash(std::u16string_view sText) {
  std::u16string sResult(sText);
  if (!EndsWithBackslash(sResult)) sResult += u'\\';
  return sResult;
}

namespace {

int HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

bool TryStrToInt(std::u16string_view sText, int32_t& iValue) {
  size_t i = 0;
  while (i < sText.size() && sText[i] == u' ') ++i;
  bool bNegative = false;
  if (i < sText.size() && (sText[i] == u'+' || sText[i] == u'-')) {
    bNegative = sText[i] == u'-';
    ++i;
  }
  bool bHex = false;
  if (i < sText.size() && (sText[i] == u'$' || sText[i] == u'x' || sText[i] == u'X')) {
    bHex = true;
    ++i;
  } else if (i + 1 < sText.size() && sText[i] == u'0' &&
             (sText[i + 1] == u'x' || sText[i + 1] == u'X')) {
    bHex = true;
    i += 2;
  }
  if (i == sText.size()) return false;

  uint64_t uMagnitude = 0;
  const uint64_t uLimit = bHex ? 0xFFFFFFFFull : (bNegative ? 0x80000000ull : 0x7FFFFFFFull);
  for (; i < sText.size(); ++i) {
    const int iDigit = bHex ? HexDigitValue(sText[i])
                            : (sText[i] >= u'0' && sText[i] <= u'9' ? sText[i] - u'0' : -1);
    if (iDigit < 0) return false;
    uMagnitude = uMagnitude * (bHex ? 16 : 10) + static_cast<uint64_t>(iDigit);
    if (uMagnitude > uLimit) return false;
  }
  uint32_t uBits = static_cast<uint32_t>(uMagnitude);
  if (bNegative) uBits = 0u - uBits;
  iValue = static_cast<int32_t>(uBits);
  return true;
}

std::u16string IntToText(int64_t iValue) {
  const std::string sDigits = std::to_string(iValue);
  return std::u16string(sDigits.begin(), sDigits.end());
}

std::u16string ReplaceAll(std::u16string_view sText, std::u16string_view sFind,
                          std::u16string_view sReplacement) {
  std::u16string sResult;
  size_t iFrom = 0;
  for (size_t iAt; !sFind.empty() && (iAt = sText.find(sFind, iFrom)) != sText.npos;
       iFrom = iAt + sFind.size()) {
    sResult.append(sText.substr(iFrom, iAt - iFrom));
    sResult.append(sReplacement);
  }
  sResult.append(sText.substr(iFrom));
  return sResult;
}

std::u16string Utf8ToText(std::string_view sUtf8) {
  std::u16string sResult;
  for (size_t i = 0; i < sUtf8.size();) {
    const unsigned char c = static_cast<unsigned char>(sUtf8[i]);
    int iLength = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (iLength == 0 || i + iLength > sUtf8.size()) {
      sResult += u'\xFFFD';
      ++i;
      continue;
    }
    uint32_t uCode = iLength == 1 ? c : c & (0x7F >> iLength);
    for (int k = 1; k < iLength; ++k) uCode = (uCode << 6) | (sUtf8[i + k] & 0x3F);
    i += iLength;
    if (uCode >= 0x10000) {
      uCode -= 0x10000;
      sResult += static_cast<char16_t>(0xD800 + (uCode >> 10));
      sResult += static_cast<char16_t>(0xDC00 + (uCode & 0x3FF));
    } else {
      sResult += static_cast<char16_t>(uCode);
    }
  }
  return sResult;
}

std::string TextToUtf8(std::u16string_view sText) {
  std::string sResult;
  for (size_t i = 0; i < sText.size(); ++i) {
    uint32_t uCode = sText[i];
    if (uCode >= 0xD800 && uCode < 0xDC00 && i + 1 < sText.size() && sText[i + 1] >= 0xDC00 &&
        sText[i + 1] < 0xE000) {
      uCode = 0x10000 + ((uCode - 0xD800) << 10) + (sText[++i] - 0xDC00);
    } else if (uCode >= 0xD800 && uCode < 0xE000) {
      uCode = 0xFFFD;
    }
    if (uCode < 0x80) {
      sResult += static_cast<char>(uCode);
    } else if (uCode < 0x800) {
      sResult += static_cast<char>(0xC0 | (uCode >> 6));
      sResult += static_cast<char>(0x80 | (uCode & 0x3F));
    } else if (uCode < 0x10000) {
      sResult += static_cast<char>(0xE0 | (uCode >> 12));
      sResult += static_cast<char>(0x80 | ((uCode >> 6) & 0x3F));
      sResult += static_cast<char>(0x80 | (uCode & 0x3F));
    } else {
      sResult += static_cast<char>(0xF0 | (uCode >> 18));
      sResult += static_cast<char>(0x80 | ((uCode >> 12) & 0x3F));
      sResult += static_cast<char>(0x80 | ((uCode >> 6) & 0x3F));
      sResult += static_cast<char>(0x80 | (uCode & 0x3F));
    }
  }
  return sResult;
}
