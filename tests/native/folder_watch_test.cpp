#include "watcher/folder_watch.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Stands in for the system's mapping: lowers ASCII and Cyrillic capitals.
std::u16string LowerForTest(std::u16string_view sName) {
  std::u16string sLower(sName);
  for (char16_t& c : sLower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    if (c >= u'\x0410' && c <= u'\x042F') c = static_cast<char16_t>(c + 32);
  }
  return sLower;
}

}  // namespace

TEST(FolderWatch, ExecutableFolderIsCutAfterTheLastBackslashOrColon) {
  const struct {
    const char16_t* pFileName;
    const char16_t* pFolder;
  } cases[] = {
      {u"C:\\Program Files\\Host\\host.exe", u"C:\\Program Files\\Host"},
      {u"C:\\host.exe", u"C:"},
      {u"C:host.exe", u"C:"},
      {u"\\\\server\\share\\host.exe", u"\\\\server\\share"},
      {u"C:\\a\\\\host.exe", u"C:\\a\\"},
      {u"host.exe", u""},
      {u"", u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ExecutableFolder(c.pFileName), c.pFolder) << TextToUtf8(c.pFileName);
}

TEST(FolderWatch, FoldersCompareAsFileNames) {
  const struct {
    const char16_t* pLeft;
    const char16_t* pRight;
    bool bSame;
  } cases[] = {
      {u"C:\\Docs", u"C:\\DOCS", true},
      {u"C:\\Docs\\", u"c:\\docs", true},
      {u"C:\\", u"C:", true},
      {u"C:\\Папка", u"c:\\ПАПКА", true},
      {u"C:\\Docs\\\\", u"C:\\Docs", false},  // only one trailing backslash goes
      {u"C:\\Docs", u"C:\\Docs2", false},
      {u"D:\\", u"C:", false},
      {u"C:\\Docs", u"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SameFolder(c.pLeft, c.pRight, LowerForTest), c.bSame)
        << TextToUtf8(c.pLeft) << " / " << TextToUtf8(c.pRight);
}

TEST(FolderWatch, PassesSendOnlyNewFoldersAndSkipTheExecutableFolder) {
  using V = std::vector<std::u16string>;
  const struct {
    const char* pName;
    const char16_t* pExecutableFolder;
    V vPasses;
    V vSent;
  } cases[] = {
      {"first folder at once", u"C:\\App", V{u"C:\\Docs"}, V{u"C:\\Docs"}},
      {"unchanged folder once", u"C:\\App", V{u"C:\\Docs", u"C:\\Docs", u"C:\\Docs"}, V{u"C:\\Docs"}},
      {"start in the executable folder", u"C:\\App", V{u"C:\\App", u"c:\\app", u"C:\\Docs"}, V{u"C:\\Docs"}},
      {"executable folder between", u"C:\\App", V{u"C:\\Docs", u"C:\\App", u"C:\\Docs"}, V{u"C:\\Docs"}},
      {"case ignored", u"C:\\App", V{u"C:\\Docs", u"C:\\DOCS", u"C:\\Other", u"C:\\DOCS"},
       V{u"C:\\Docs", u"C:\\Other", u"C:\\DOCS"}},
      {"root of the executable", u"C:", V{u"C:\\", u"D:\\", u"C:\\"}, V{u"D:\\"}},
      {"back and forth", u"C:\\App", V{u"C:\\A", u"C:\\B", u"C:\\A"}, V{u"C:\\A", u"C:\\B", u"C:\\A"}},
  };
  for (const auto& c : cases) {
    TFolderWatch watch(LowerForTest);
    V vSent;
    for (const auto& sFolder : c.vPasses)
      if (watch.TakeCurrentFolder(sFolder, c.pExecutableFolder)) vSent.push_back(sFolder);
    EXPECT_EQ(vSent, c.vSent) << c.pName;
    EXPECT_EQ(watch.LastReportedFolder(), c.vSent.back()) << c.pName;
  }
}
