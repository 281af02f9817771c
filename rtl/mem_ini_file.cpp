#include "rtl/mem_ini_file.h"

#include "rtl/text_routines.h"

namespace {

bool StartsWith(std::string_view sBytes, std::string_view sMark) {
  return sBytes.substr(0, sMark.size()) == sMark;
}

std::u16string DecodeUtf16(std::string_view sBytes, bool bBigEndian) {
  std::u16string sText;
  sText.reserve(sBytes.size() / 2);
  // An odd byte at the end is not a whole unit and is dropped.
  for (size_t i = 0; i + 1 < sBytes.size(); i += 2) {
    const auto cFirst = static_cast<unsigned char>(sBytes[i]);
    const auto cSecond = static_cast<unsigned char>(sBytes[i + 1]);
    sText += static_cast<char16_t>(bBigEndian ? (cFirst << 8) | cSecond : (cSecond << 8) | cFirst);
  }
  return sText;
}

// Case folding for matching names: ASCII, Latin-1 and the basic Cyrillic
// letters, which covers every name this reader is asked for and the
// languages the settings are written in.
char16_t FoldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
  if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) return static_cast<char16_t>(c + 0x20);
  if (c >= 0x0410 && c <= 0x042F) return static_cast<char16_t>(c + 0x20);
  if (c >= 0x0400 && c <= 0x040F) return static_cast<char16_t>(c + 0x50);
  return c;
}

bool SameText(std::u16string_view sA, std::u16string_view sB) {
  if (sA.size() != sB.size()) return false;
  for (size_t i = 0; i < sA.size(); ++i)
    if (FoldCase(sA[i]) != FoldCase(sB[i])) return false;
  return true;
}

}  // namespace

std::u16string DecodeIniBytes(std::string_view sBytes, const TMemIniFile::TAnsiDecoder& decodeAnsi) {
  if (StartsWith(sBytes, "\xFF\xFE")) return DecodeUtf16(sBytes.substr(2), false);
  if (StartsWith(sBytes, "\xFE\xFF")) return DecodeUtf16(sBytes.substr(2), true);
  if (StartsWith(sBytes, "\xEF\xBB\xBF")) return Utf8ToText(sBytes.substr(3));
  return decodeAnsi ? decodeAnsi(sBytes) : std::u16string(sBytes.begin(), sBytes.end());
}

TMemIniFile::TMemIniFile(std::string_view sBytes, const TAnsiDecoder& decodeAnsi) {
  Parse(DecodeIniBytes(sBytes, decodeAnsi));
}

void TMemIniFile::Parse(std::u16string_view sText) {
  size_t iPos = 0;
  while (iPos < sText.size()) {
    size_t iEnd = sText.find_first_of(u"\r\n", iPos);
    if (iEnd == std::u16string_view::npos) iEnd = sText.size();
    const std::u16string sLine = Trim(sText.substr(iPos, iEnd - iPos));
    // Past the line end: CR LF, a lone CR or a lone LF.
    iPos = iEnd;
    if (iPos < sText.size()) {
      const bool bCrLf = sText[iPos] == u'\r' && iPos + 1 < sText.size() && sText[iPos + 1] == u'\n';
      iPos += bCrLf ? 2 : 1;
    }

    if (sLine.empty() || sLine.front() == u';') continue;
    const std::u16string_view sView(sLine);
    if (sLine.front() == u'[' && sLine.back() == u']') {
      vSections.push_back({Trim(sView.substr(1, sView.size() - 2)), {}});
      continue;
    }
    // Lines above the first section belong to none.
    if (vSections.empty()) continue;
    const size_t iEquals = sView.find(u'=');
    if (iEquals == std::u16string_view::npos) continue;
    vSections.back().vValues.emplace_back(Trim(sView.substr(0, iEquals)), Trim(sView.substr(iEquals + 1)));
  }
}

std::u16string TMemIniFile::ReadString(std::u16string_view sSection, std::u16string_view sKey,
                                       std::u16string_view sDefault) const {
  for (auto itSection = vSections.rbegin(); itSection != vSections.rend(); ++itSection) {
    if (!SameText(itSection->sName, sSection)) continue;
    // Only the last section of the name is searched.
    for (auto itValue = itSection->vValues.rbegin(); itValue != itSection->vValues.rend(); ++itValue)
      if (SameText(itValue->first, sKey)) return itValue->second;
    break;
  }
  return std::u16string(sDefault);
}

int32_t TMemIniFile::ReadInteger(std::u16string_view sSection, std::u16string_view sKey, int32_t iDefault) const {
  int32_t iValue = 0;
  return TryStrToInt(ReadString(sSection, sKey, u""), iValue) ? iValue : iDefault;
}
