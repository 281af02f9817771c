#include "rtl/string_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "rtl/text_routines.h"

namespace {

std::vector<std::u16string> Items(const TStringList& list) {
  std::vector<std::u16string> v;
  for (int i = 0; i < list.Count(); ++i) v.push_back(list.Strings(i));
  return v;
}

TStringList ListWithDelimiter(char16_t cDelimiter) {
  TStringList list;
  list.Delimiter = cDelimiter;
  return list;
}

}  // namespace

TEST(DelimitedText, ReadsStrictlyWithTheQuoteRules) {
  using V = std::vector<std::u16string>;
  const struct {
    const char16_t* pText;
    V vItems;
  } cases[] = {
      {u"", V{}},
      {u"a", V{u"a"}},
      {u"a,b", V{u"a", u"b"}},
      {u",a", V{u"", u"a"}},
      {u"a,,b", V{u"a", u"", u"b"}},
      {u"a,", V{u"a", u""}},
      {u",", V{u"", u""}},
      {u" a , b ", V{u" a ", u" b "}},
      {u"\"a,b\",c", V{u"a,b", u"c"}},
      {u"\"a\"\"b\"", V{u"a\"b"}},
      {u"\"\"", V{u""}},
      {u"\"\",x", V{u"", u"x"}},
      {u"\"a\"b,c", V{u"a", u"b", u"c"}},
      {u"\"a\"\"b,c\"tail", V{u"a\"b,c", u"tail"}},
      {u"\"abc", V{u"ab"}},
      {u"x,\"ab,cd", V{u"x", u"ab,c"}},
      {u"\"", V{u""}},
      {u"a\"b,c", V{u"a\"b", u"c"}},
      {u"\"a\",", V{u"a", u""}},
  };
  for (const auto& c : cases) {
    TStringList list = ListWithDelimiter(u',');
    list.SetDelimitedText(c.pText);
    EXPECT_EQ(Items(list), c.vItems) << TextToUtf8(c.pText);
  }
}

TEST(DelimitedText, JoinsAndQuotesWhereNeeded) {
  TStringList list = ListWithDelimiter(u'\\');
  EXPECT_EQ(list.DelimitedText(), u"");
  list.Add(u"");
  EXPECT_EQ(list.DelimitedText(), u"\"\"");
  list.Add(u"dir");
  EXPECT_EQ(list.DelimitedText(), u"\\dir");
  list.Add(u"Program Files");
  list.Add(u"a\"b");
  list.Add(u"c\\d");
  EXPECT_EQ(list.DelimitedText(), u"\\dir\\Program Files\\\"a\"\"b\"\\\"c\\d\"");
}

TEST(NameValue, SplitsAtTheFirstSeparator) {
  TStringList list;
  list.NameValueSeparator = u'\x1F';
  for (const char16_t* p : {u"name\x1Fvalue\x1Fmore", u"noseparator", u"\x1Fvalue", u"name\x1F"}) list.Add(p);
  EXPECT_EQ(list.Names(0), u"name");
  EXPECT_EQ(list.ValueFromIndex(0), u"value\x1Fmore");
  EXPECT_EQ(list.Names(1), u"");
  EXPECT_EQ(list.ValueFromIndex(1), u"");
  EXPECT_EQ(list.Names(2), u"");
  EXPECT_EQ(list.ValueFromIndex(2), u"");
  EXPECT_EQ(list.Names(3), u"name");
  EXPECT_EQ(list.ValueFromIndex(3), u"");
}
