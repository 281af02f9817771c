#include "rtl/mem_ini_file.h"

#include <gtest/gtest.h>

#include <string>

#include "rtl/text_routines.h"

namespace {

// Stands in for the system's ANSI code page: Latin-1, and a mark that shows
// the decoder was used.
std::u16string DecodeLatin1(std::string_view sBytes) {
  std::u16string sText;
  for (char c : sBytes) sText += static_cast<char16_t>(static_cast<unsigned char>(c));
  return sText;
}

int32_t LangIdOf(const std::string& sBytes, int32_t iDefault = 0) {
  return TMemIniFile(sBytes, DecodeLatin1).ReadInteger(u"LangSection", u"LangID", iDefault);
}

std::string Utf16Bytes(std::u16string_view sText, bool bBigEndian) {
  std::string sBytes = bBigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : sText) {
    const char cLow = static_cast<char>(c & 0xFF), cHigh = static_cast<char>(c >> 8);
    sBytes += bBigEndian ? cHigh : cLow;
    sBytes += bBigEndian ? cLow : cHigh;
  }
  return sBytes;
}

}  // namespace

TEST(TMemIniFile, ReadsTheLanguageLikeTheSettingsFileHoldsIt) {
  const struct {
    const char* pName;
    std::string sFile;
    int32_t iExpected;
  } cases[] = {
      {"plain", "[LangSection]\r\nLangID=1\r\n", 1},
      {"small letters and blanks", "[langsection]\r\nlangid = 1\r\n", 1},
      {"blanks inside the brackets", "[  LangSection\t]\nLangID=1", 1},
      {"indented lines", "   [LangSection]   \n\t LangID\t=\t1 \t\n", 1},
      {"hexadecimal", "[LangSection]\nLangID=0x1\n", 1},
      {"hexadecimal capital X", "[LangSection]\nLangID=0X1F\n", 31},
      {"negative", "[LangSection]\nLangID=-3\n", -3},
      {"plus sign", "[LangSection]\nLangID=+2\n", 2},
      {"two stored as read", "[LangSection]\nLangID=2\n", 2},
      {"not a number", "[LangSection]\nLangID=abc\n", 0},
      {"empty value", "[LangSection]\nLangID=\n", 0},
      {"digits then letters", "[LangSection]\nLangID=1a\n", 0},
      {"inner blank", "[LangSection]\nLangID=1 2\n", 0},
      {"0x alone", "[LangSection]\nLangID=0x\n", 0},
      {"above the int range", "[LangSection]\nLangID=2147483648\n", 0},
      {"int maximum", "[LangSection]\nLangID=2147483647\n", 2147483647},
      {"int minimum", "[LangSection]\nLangID=-2147483648\n", INT32_MIN},
      {"key above the first section", "LangID=1\n[LangSection]\n", 0},
      {"key above the first section and in it", "LangID=1\n[LangSection]\nLangID=2\n", 2},
      {"other section", "[Other]\nLangID=1\n", 0},
      {"key in a later other section", "[LangSection]\n[Other]\nLangID=1\n", 0},
      {"comment line", "[LangSection]\n;LangID=1\n", 0},
      {"indented comment line", "[LangSection]\n   ; LangID=1\n", 0},
      {"semicolon in the value stays", "[LangSection]\nLangID=1;x\n", 0},
      {"last key counts", "[LangSection]\nLangID=1\nlangid=2\n", 2},
      {"last section counts", "[LangSection]\nLangID=1\n[langsection]\nOther=1\n", 0},
      {"last section counts, with the key", "[LangSection]\nLangID=1\n[LANGSECTION]\nLangID=3\n", 3},
      {"first equals sign splits", "[LangSection]\nLangID==1\n", 0},
      {"line without equals sign", "[LangSection]\nLangID 1\n", 0},
      {"lone CR line ends", "[LangSection]\rLangID=1\r", 1},
      {"lone LF line ends", "[LangSection]\nLangID=1", 1},
      {"mixed line ends", "[X]\r\n\r\n[LangSection]\r\rLangID=1\n\r\n", 1},
      {"empty file", "", 0},
      {"no brackets closed", "[LangSection\nLangID=1\n", 0},
      {"control characters around", "\x01[LangSection]\x02\n\x1FLangID=1\x7F\n", 0},
      {"control characters trimmed", "\x01[LangSection]\x02\n\x1FLangID=1\x1F\n", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(LangIdOf(c.sFile), c.iExpected) << c.pName;
}

TEST(TMemIniFile, DefaultComesBackForEverythingMissing) {
  EXPECT_EQ(LangIdOf("", 42), 42);
  EXPECT_EQ(LangIdOf("[LangSection]\nLangID=abc\n", -7), -7);
  EXPECT_EQ(LangIdOf("[LangSection]\nOther=1\n", 5), 5);
}

TEST(TMemIniFile, ByteOrderMarksChooseTheEncoding) {
  const std::u16string sText = u"[LangSection]\r\nLangID=1\r\n";
  EXPECT_EQ(LangIdOf(Utf16Bytes(sText, false)), 1);
  EXPECT_EQ(LangIdOf(Utf16Bytes(sText, true)), 1);
  EXPECT_EQ(LangIdOf("\xEF\xBB\xBF[LangSection]\r\nLangID=1\r\n"), 1);
  // Without a mark the bytes are decoded by the caller's ANSI decoder.
  const TMemIniFile ansi("[Sect]\nName=\xE9t\xE9\n", DecodeLatin1);
  EXPECT_EQ(ansi.ReadString(u"Sect", u"Name", u""), u"\u00E9t\u00E9");
  const TMemIniFile utf8("\xEF\xBB\xBF[Sect]\nName=\xC3\xA9t\xC3\xA9\n", DecodeLatin1);
  EXPECT_EQ(utf8.ReadString(u"Sect", u"Name", u""), u"\u00E9t\u00E9");
  // The mark is not part of the text.
  EXPECT_EQ(DecodeIniBytes(std::string("\xFF\xFE" "A\0" "B\0", 6), DecodeLatin1), u"AB");
  EXPECT_EQ(DecodeIniBytes(std::string("\xFE\xFF\0A\0B", 6), DecodeLatin1), u"AB");
  // An odd byte at the end of UTF-16 text is no whole character.
  EXPECT_EQ(DecodeIniBytes(std::string("\xFF\xFE" "A\0" "B", 5), DecodeLatin1), u"A");
  // A UTF-16 mark alone leaves an empty text.
  EXPECT_EQ(LangIdOf("\xFF\xFE", 9), 9);
}

TEST(TMemIniFile, NamesMatchWithoutRegardToCaseBeyondAscii) {
  const TMemIniFile ini("\xEF\xBB\xBF[\xD0\xAF\xD0\xB7\xD1\x8B\xD0\xBA]\n\xC3\x89tat=1\n", DecodeLatin1);
  // [Язык] read as [язык], État as état.
  EXPECT_EQ(ini.ReadInteger(u"\u044F\u0437\u044B\u043A", u"\u00E9tat", 0), 1);
  EXPECT_EQ(ini.ReadInteger(u"\u042F\u0417\u042B\u041A", u"\u00C9TAT", 0), 1);
}

TEST(TMemIniFile, ValuesKeepTheirInnerText) {
  const TMemIniFile ini("[S]\nPath =  C:\\Docs\\a=b  \nEmpty=\n", DecodeLatin1);
  EXPECT_EQ(ini.ReadString(u"S", u"Path", u"-"), u"C:\\Docs\\a=b");
  EXPECT_EQ(ini.ReadString(u"S", u"Empty", u"-"), u"");
  EXPECT_EQ(ini.ReadString(u"S", u"Missing", u"-"), u"-");
  EXPECT_EQ(ini.ReadString(u"Missing", u"Path", u"-"), u"-");
}
