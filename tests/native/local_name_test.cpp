#include "plugin/core/local_name.h"

#include <gtest/gtest.h>

#include "rtl/text_routines.h"

TEST(StripNameComponent, TrimsDropsOneFullStopAndRemovesForbiddenCharacters) {
  const struct {
    const char16_t* pComponent;
    const char16_t* pStripped;
  } cases[] = {
      {u"report.pdf", u"report.pdf"},
      {u"  report.pdf \t", u"report.pdf"},
      {u"report.", u"report"},
      {u"report..", u"report."},
      // The full stop goes after trimming, and no second trim follows.
      {u"report . ", u"report "},
      {u"\"quoted\" name", u"quoted name"},
      {u"a:b:c", u"abc"},
      {u"a\\b", u"ab"},
      // Removing the characters comes after the full stop rule.
      {u"name.\"", u"name."},
      {u".", u""},
      {u"", u""},
      {u"   ", u""},
      {u"\x01\x1Fname\x7F", u"name\x7F"},
  };
  for (const auto& c : cases) EXPECT_EQ(StripNameComponent(c.pComponent), c.pStripped) << TextToUtf8(c.pComponent);
}

TEST(CleanNameComponent, CutsBeforeTheFirstMarker) {
  const struct {
    const char16_t* pComponent;
    const char16_t* pCleaned;
  } cases[] = {
      {u"report.pdf\x1C | 2019", u"report.pdf"},
      {u"report.pdf   \x1C | x", u"report.pdf"},
      {u"a\x1C | b\x1C | c", u"a"},
      {u"report.\x1C | x", u"report"},
      // Only the whole four-character marker cuts.
      {u"a\x1C|b", u"a\x1C|b"},
      {u"a | b", u"a | b"},
      {u"\x1C | all gone", u""},
      {u"no marker", u"no marker"},
  };
  for (const auto& c : cases) EXPECT_EQ(CleanNameComponent(c.pComponent), c.pCleaned) << TextToUtf8(c.pComponent);
}

TEST(CleanLocalName, CleansEveryComponentButTheFirst) {
  const struct {
    const char16_t* pLocal;
    const char16_t* pTarget;
  } cases[] = {
      {u"C:\\out\\report.pdf", u"C:\\out\\report.pdf"},
      {u"C:\\out\\report.", u"C:\\out\\report"},
      {u"C:\\out\\report..", u"C:\\out\\report."},
      {u"C:\\out\\report.pdf\x1C | tag", u"C:\\out\\report.pdf"},
      {u"C:\\out\\report.pdf \x1C | tag", u"C:\\out\\report.pdf"},
      {u"C:\\o\"u\"t\\a:b.txt", u"C:\\out\\ab.txt"},
      {u"C:\\dir.\\sub \\file.txt", u"C:\\dir\\sub\\file.txt"},
      // The first component keeps its colon; one trailing backslash goes.
      {u"C:\\out\\", u"C:\\out"},
      {u"\\\\server\\share\\f.txt", u"\\\\server\\share\\f.txt"},
      {u"\\out\\f.txt", u"\\out\\f.txt"},
      {u"  C: \\out\\f.txt", u"  C: \\out\\f.txt"},
      {u"file.txt.", u"file.txt."},
      {u"", u""},
      {u"   ", u"   "},
      // The split follows the path list's quote rules: a component that
      // begins with a double quote ends at the closing one, and what follows
      // it becomes a component of its own.
      {u"C:\\out\\\"q\".txt", u"C:\\out\\q\\.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(CleanLocalName(c.pLocal), c.pTarget) << TextToUtf8(c.pLocal);
}

TEST(LocalFolderOf, KeepsTheTextUpToTheLastBackslashOrColon) {
  const struct {
    const char16_t* pLocal;
    const char16_t* pFolder;
  } cases[] = {
      {u"C:\\out\\sub\\report.pdf", u"C:\\out\\sub\\"},
      {u"C:\\out\\sub\\", u"C:\\out\\"},
      {u"  C:\\out\\f.txt  ", u"C:\\out\\"},
      {u"C:f.txt", u"C:"},
      {u"\\f.txt", u"\\"},
      {u"f.txt", u""},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(LocalFolderOf(c.pLocal), c.pFolder) << TextToUtf8(c.pLocal);
}
