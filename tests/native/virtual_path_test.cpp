#include "plugin/core/virtual_path.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "common/tag_server_contract.h"
#include "rtl/text_routines.h"

TEST(VirtualPathSplit, FolderPartKeepsItsBackslashNamePartIsTheLastComponent) {
  const struct {
    const char16_t* pPath;
    const char16_t* pFolder;
    const char16_t* pName;
  } cases[] = {
      {u"\\Tag A\\Tag B\\report.pdf", u"\\Tag A\\Tag B\\", u"report.pdf"},
      {u"\\Tag A\\Tag B\\", u"\\Tag A\\", u"Tag B"},
      {u"\\report.pdf", u"\\", u"report.pdf"},
      {u"\\", u"", u""},
      {u"report.pdf", u"", u"report.pdf"},
      {u"", u"", u""},
      {u" \t\r\n", u"", u""},
      {u"  \\Tag A\\x y \x01", u"\\Tag A\\", u"x y"},
      {u"\\Tag A\\\\", u"\\Tag A\\", u""},
      {u"\\\\", u"\\", u""},
      {u"\\Tag A\\..\\", u"\\Tag A\\", u".."},
      {u"\\a\\b\\ ", u"\\a\\", u"b"},
      {u"\\\xD83D\xDE00\\n\xE9", u"\\\xD83D\xDE00\\", u"n\xE9"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VirtualFolderPart(c.pPath), c.pFolder) << TextToUtf8(c.pPath);
    EXPECT_EQ(VirtualNamePart(c.pPath), c.pName) << TextToUtf8(c.pPath);
  }
}

namespace {

TSearchData* Snapshot(const char16_t* pPath, std::u16string_view sText, bool bActive = false) {
  auto pData = new TSearchData(pPath, sText);
  pData->bActive = bActive;
  return pData;
}

constexpr char16_t UNTOUCHED[] = u"untouched";

}  // namespace

TEST(FindInSnapshots, NewestFirstExactKeysAndOlderSnapshotsOfTheSameFolder) {
  TSearchDataList list;
  // Oldest first, as FsFindFirst appends them.
  list.Add(Snapshot(u"\\Tag A",
                    u"report.pdf\x1F" u"C:\\old\\report.pdf\x1E"
                    u"only-old.txt\x1F" u"C:\\old\\only.txt"));
  list.Add(Snapshot(u"\\", u"Tag A\x1F\x1ETag B\\\x1F\x1Etop.txt\x1F" u"C:\\top.txt"));
  list.Add(Snapshot(u"\\Other", u"report.pdf\x1F" u"C:\\other\\report.pdf"));
  list.Add(Snapshot(u"\\Tag A\\",
                    u"report.pdf\x1F" u"C:\\new\\report.pdf\x1E"
                    u"twice\x1F" u"C:\\first\x1E"
                    u"twice\x1F" u"C:\\second\x1E"
                    u"sub\\\x1F\x1E"
                    u"kept\x1F" u"C:\\kept\\ \x1E"
                    u"\xE9t\xE9\x1F" u"C:\\\xE9t\xE9.txt",
                    true));
  const struct {
    const char16_t* pPath;
    bool bFound;
    const char16_t* pAnswer;
  } cases[] = {
      {u"\\Tag A\\report.pdf", true, u"C:\\new\\report.pdf"},
      {u"\\Tag A\\only-old.txt", true, u"C:\\old\\only.txt"},
      {u"\\Tag A\\REPORT.PDF", false, UNTOUCHED},
      {u"\\tag a\\report.pdf", false, UNTOUCHED},
      {u"  \\Tag A\\report.pdf \t", true, u"C:\\new\\report.pdf"},
      {u"\\Tag A\\report.pdf\\", true, u"C:\\new\\report.pdf"},
      {u"\\Tag A\\twice", true, u"C:\\first"},
      {u"\\Tag A\\sub", true, u""},
      {u"\\Tag A\\sub\\", true, u""},
      {u"\\Tag A\\kept", true, u"C:\\kept\\ "},
      {u"\\Tag A\\\xE9t\xE9", true, u"C:\\\xE9t\xE9.txt"},
      {u"\\Tag A\\?t?", false, UNTOUCHED},
      {u"\\Tag A", true, u""},
      {u"\\Tag B", true, u""},
      {u"\\Tag B\\", true, u""},
      {u"\\top.txt", true, u"C:\\top.txt"},
      {u"\\Other\\report.pdf", true, u"C:\\other\\report.pdf"},
      {u"\\Nowhere\\report.pdf", false, UNTOUCHED},
      {u"\\Tag A\\Tag B\\report.pdf", false, UNTOUCHED},
      {u"\\Tag A\\.", true, RR_INVALID_PATH},
      {u"\\Tag A\\..", true, RR_INVALID_PATH},
      {u"\\Tag A\\..\\", true, RR_INVALID_PATH},
      {u"..", true, RR_INVALID_PATH},
      {u"\\...", false, UNTOUCHED},
      // The root has no item with an empty name in this cache.
      {u"\\", false, UNTOUCHED},
  };
  for (const auto& c : cases) {
    std::u16string sAnswer = UNTOUCHED;
    EXPECT_EQ(FindInSnapshots(list, c.pPath, sAnswer), c.bFound) << TextToUtf8(c.pPath);
    EXPECT_EQ(sAnswer, c.pAnswer) << TextToUtf8(c.pPath);
  }
}

TEST(FindInSnapshots, TheRootIsFoundOnlyThroughAnItemWithAnEmptyName) {
  TSearchDataList list;
  std::u16string sAnswer = UNTOUCHED;
  EXPECT_FALSE(FindInSnapshots(list, u"\\", sAnswer));
  list.Add(Snapshot(u"\\", u"a\x1F"));
  EXPECT_FALSE(FindInSnapshots(list, u"\\", sAnswer));
  EXPECT_EQ(sAnswer, UNTOUCHED);
  // A trailing separator gives a last record that is empty: an empty name.
  list.Add(Snapshot(u"\\", u"a\x1F" u"C:\\a\x1E"));
  EXPECT_TRUE(FindInSnapshots(list, u"\\", sAnswer));
  EXPECT_EQ(sAnswer, u"");
  sAnswer = UNTOUCHED;
  EXPECT_TRUE(FindInSnapshots(list, u" ", sAnswer));
  EXPECT_EQ(sAnswer, u"");
}

TEST(FindInSnapshots, DotNamesAnswerWithoutLockingTheList) {
  TSearchDataList list;
  list.Add(Snapshot(u"\\Tag A", u".\x1F" u"C:\\dot\x1E..\x1F" u"C:\\dotdot"));
  std::promise<void> locked;
  std::promise<void> release;
  std::thread holder([&] {
    list.LockList();
    locked.set_value();
    release.get_future().wait();
    list.UnlockList();
  });
  locked.get_future().wait();
  for (const char16_t* pPath : {u"\\Tag A\\.", u"\\Tag A\\..", u"\\Tag A\\..\\", u" . "}) {
    auto answer = std::async(std::launch::async, [&list, pPath] {
      std::u16string sAnswer;
      const bool bFound = FindInSnapshots(list, pPath, sAnswer);
      return bFound ? sAnswer : std::u16string(u"not found");
    });
    const bool bReady = answer.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    EXPECT_TRUE(bReady) << "blocked on the list's lock: " << TextToUtf8(pPath);
    if (!bReady) {
      release.set_value();
      holder.join();
      return;
    }
    EXPECT_EQ(answer.get(), RR_INVALID_PATH) << TextToUtf8(pPath);
  }
  release.set_value();
  holder.join();
}

TEST(FindInSnapshots, ClosedAndOpenSnapshotsAnswerAlike) {
  TSearchDataList list;
  list.Add(Snapshot(u"\\Closed", u"a\x1F" u"C:\\closed", false));
  list.Add(Snapshot(u"\\Open", u"a\x1F" u"C:\\open", true));
  std::u16string sAnswer;
  EXPECT_TRUE(FindInSnapshots(list, u"\\Closed\\a", sAnswer));
  EXPECT_EQ(sAnswer, u"C:\\closed");
  EXPECT_TRUE(FindInSnapshots(list, u"\\Open\\a", sAnswer));
  EXPECT_EQ(sAnswer, u"C:\\open");
}
