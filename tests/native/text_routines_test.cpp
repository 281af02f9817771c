#include "rtl/text_routines.h"

#include <gtest/gtest.h>

TEST(Trim, RemovesBlanksAndControlCharactersAtBothEnds) {
  EXPECT_EQ(Trim(u" \t\x01 a b \r\n\x1F"), u"a b");
  EXPECT_EQ(Trim(u"\x20\x20"), u"");
  EXPECT_EQ(Trim(u""), u"");
  EXPECT_EQ(Trim(u"\x21x\x21"), u"\x21x\x21");  // U+0021 is no blank
}

TEST(TrailingBackslash, ExactlyOneIsRemovedOrAdded) {
  EXPECT_EQ(ExcludeTrailingBackslash(u"C:\\a\\\\"), u"C:\\a\\");
  EXPECT_EQ(ExcludeTrailingBackslash(u"C:\\a"), u"C:\\a");
  EXPECT_EQ(ExcludeTrailingBackslash(u""), u"");
  EXPECT_EQ(IncludeTrailingBackslash(u"C:"), u"C:\\");
  EXPECT_EQ(IncludeTrailingBackslash(u"C:\\"), u"C:\\");
  EXPECT_EQ(IncludeTrailingBackslash(u""), u"\\");
}

TEST(TryStrToInt, AcceptsTheStrictNotations) {
  const struct {
    const char16_t* pText;
    int32_t iValue;
  } cases[] = {
      {u"0", 0},          {u"1", 1},          {u" 1", 1},          {u"   -12", -12},
      {u"+7", 7},         {u"$10", 16},       {u"x1F", 31},        {u"X1f", 31},
      {u"0x1", 1},        {u"0X1", 1},        {u"2147483647", 2147483647},
      {u"-2147483648", INT32_MIN},            {u"0xFFFFFFFF", -1}, {u"$80000000", INT32_MIN},
      {u"007", 7},
  };
  for (const auto& c : cases) {
    int32_t iValue = 12345;
    EXPECT_TRUE(TryStrToInt(c.pText, iValue)) << TextToUtf8(c.pText);
    EXPECT_EQ(iValue, c.iValue) << TextToUtf8(c.pText);
  }
}

TEST(TryStrToInt, RefusesEverythingElseAndLeavesTheValue) {
  for (const char16_t* pText :
       {u"", u" ", u"1 ", u"abc", u"1a", u"\t1", u"2147483648", u"-2147483649", u"0x100000000", u"$", u"0x",
        u"x", u"- 1", u"1.0", u"١", u"0x-1", u"++1"}) {
    int32_t iValue = 12345;
    EXPECT_FALSE(TryStrToInt(pText, iValue)) << TextToUtf8(pText);
    EXPECT_EQ(iValue, 12345);
  }
}

TEST(ReplaceAll, ReplacesEveryOccurrence) {
  EXPECT_EQ(ReplaceAll(u"a\"b\"\"c", u"\"", u""), u"abc");
  EXPECT_EQ(ReplaceAll(u"aaa", u"aa", u"b"), u"ba");
  EXPECT_EQ(ReplaceAll(u"abc", u"", u"x"), u"abc");
}

TEST(Utf8, RoundTripsAllPlanes) {
  const std::u16string sText = u"Tag \x0416 \xD83D\xDE00 end";
  EXPECT_EQ(Utf8ToText(TextToUtf8(sText)), sText);
  EXPECT_EQ(TextToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}
