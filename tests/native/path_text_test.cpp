#include "plugin/core/path_text.h"

#include <gtest/gtest.h>

#include <vector>

#include "rtl/text_routines.h"

namespace {

std::vector<std::u16string> Components(const TPathList& list) {
  std::vector<std::u16string> v;
  for (int i = 0; i < list.Count(); ++i) v.push_back(list.Strings(i));
  return v;
}

}  // namespace

TEST(PathLength, LimitIsFewerThan260Units) {
  EXPECT_TRUE(IsPathLengthValid(u""));
  EXPECT_TRUE(IsPathLengthValid(std::u16string(259, u'a')));
  EXPECT_FALSE(IsPathLengthValid(std::u16string(260, u'a')));
  // A character outside the basic plane counts as two units.
  EXPECT_FALSE(IsPathLengthValid(std::u16string(258, u'a') + u"\xD83D\xDE00"));
}

TEST(JoinPath, OneBackslashBetweenUnlessTheNameIsEmpty) {
  EXPECT_EQ(JoinPath(u"", u"name"), u"\\name");
  EXPECT_EQ(JoinPath(u"C:", u"name"), u"C:\\name");
  EXPECT_EQ(JoinPath(u"C:\\", u"name"), u"C:\\name");
  EXPECT_EQ(JoinPath(u"C:\\a", u""), u"C:\\a");
  EXPECT_EQ(JoinPath(u"", u""), u"");
  EXPECT_EQ(JoinPath(u"C:\\a", u"\\b"), u"C:\\a\\\\b");
}

TEST(TPathList, SplitsAtEveryBackslash) {
  using V = std::vector<std::u16string>;
  const struct {
    const char16_t* pPath;
    V vComponents;
  } cases[] = {
      {u"C:\\Users\\u\\Documents\\Quillery", V{u"C:", u"Users", u"u", u"Documents", u"Quillery"}},
      {u"C:\\a\\", V{u"C:", u"a"}},
      {u"C:\\", V{u"C:"}},
      {u"\\\\server\\share\\dir", V{u"", u"", u"server", u"share", u"dir"}},
      {u"\\dir", V{u"", u"dir"}},
      {u"a\\\\b", V{u"a", u"", u"b"}},
      {u"C:\\a\\\\", V{u"C:", u"a", u""}},
      {u"", V{}},
      {u"C:\\Program Files\\x", V{u"C:", u"Program Files", u"x"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Components(TPathList(c.pPath)), c.vComponents) << TextToUtf8(c.pPath);
}

TEST(TPathList, JoinedFormRebuildsThePath) {
  EXPECT_EQ(TPathList(u"C:\\Program Files\\x\\").DelimitedText(), u"C:\\Program Files\\x");
  EXPECT_EQ(TPathList(u"\\\\server\\share").DelimitedText(), u"\\\\server\\share");
  TPathList single;
  single.Add(u"");
  EXPECT_EQ(single.DelimitedText(), u"\"\"");
}
