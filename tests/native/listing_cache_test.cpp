#include "plugin/core/listing_cache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "plugin/core/virtual_path.h"
#include "rtl/text_routines.h"

namespace {

struct TEntry {
  std::u16string sName;
  bool bFolder;
  std::u16string sRealPath;
  bool operator==(const TEntry& other) const {
    return sName == other.sName && bFolder == other.bFolder && sRealPath == other.sRealPath;
  }
};

std::ostream& operator<<(std::ostream& os, const TEntry& e) {
  return os << "{" << TextToUtf8(e.sName) << (e.bFolder ? ", folder" : ", document ") << TextToUtf8(e.sRealPath)
            << "}";
}

std::vector<TEntry> Entries(const TSearchResult& result) {
  std::vector<TEntry> v;
  for (int i = 0; i < result.Count(); ++i) {
    const TListingEntry e = result.Entry(i);
    v.push_back({std::u16string(e.sName), e.bFolder, std::u16string(e.sRealPath)});
  }
  return v;
}

TEntry Folder(const char16_t* pName) { return {pName, true, u""}; }
TEntry Document(const char16_t* pName, const char16_t* pRealPath) { return {pName, false, pRealPath}; }

// The linear walk the index stands in for: the first record whose name,
// less one trailing backslash, equals the key.
int WalkForName(const TSearchResult& result, std::u16string_view sKey) {
  for (int i = 0; i < result.Count(); ++i)
    if (WithoutTrailingBackslash(result.Names(i)) == sKey) return i;
  return -1;
}

}  // namespace

// U+001E separates records, U+001F name from value.
TEST(ListingText, RecordsBecomeEntriesInOrder) {
  using V = std::vector<TEntry>;
  const struct {
    const char16_t* pText;
    V vEntries;
  } cases[] = {
      {u"report.pdf\x1F" u"C:\\docs\\report.pdf", V{Document(u"report.pdf", u"C:\\docs\\report.pdf")}},
      {u"Tag A\x1F", V{Folder(u"Tag A")}},
      {u"Tag A\\\x1F", V{Folder(u"Tag A")}},
      {u"Tag A\\\\\x1F", V{Folder(u"Tag A\\")}},
      {u"dir\x1F" u"C:\\real\\dir\\", V{Document(u"dir", u"C:\\real\\dir")}},
      {u"slash\x1F\\", V{Document(u"slash", u"")}},
      {u"noseparator", V{Folder(u"")}},
      {u"\x1F" u"C:\\value\\without\\name", V{Folder(u"")}},
      {u"a\x1F" u"b\x1F" u"c", V{Document(u"a", u"b\x1F" u"c")}},
      {u"a\x1F\x1E", V{Folder(u"a"), Folder(u"")}},
      {u"\x1E", V{Folder(u""), Folder(u"")}},
      {u"\x1E\x1E" u"b\x1F", V{Folder(u""), Folder(u""), Folder(u"b")}},
      {u" a \x1F C:\\x ", V{Document(u" a ", u" C:\\x ")}},
      {u"a\tb\x1F\x1E\x01\x1F", V{Folder(u"a\tb"), Folder(u"\x01")}},
      {u"same\x1F" u"C:\\1\x1Esame\x1F" u"C:\\2", V{Document(u"same", u"C:\\1"), Document(u"same", u"C:\\2")}},
      // Quoted records: the separator inside belongs to the text, doubled
      // quotes stand for one, text after the closing quote is a further record.
      {u"\"a\x1E" u"b\x1F" u"C:\\q\"", V{Document(u"a\x1E" u"b", u"C:\\q")}},
      {u"\"say \"\"hi\"\"\x1F\"\x1E" u"c\x1F", V{Folder(u"say \"hi\""), Folder(u"c")}},
      {u"\"a\x1F\"tail\x1F" u"C:\\t", V{Folder(u"a"), Document(u"tail", u"C:\\t")}},
      {u"\"a\x1F\"\"b\x1F\"\"\"\x1E", V{Document(u"a", u"\"b\x1F\""), Folder(u"")}},
      {u"\"\"", V{Folder(u"")}},
      {u"\"\"\x1E" u"x\x1F", V{Folder(u""), Folder(u"x")}},
      {u"a\"b\x1F" u"C:\\\"q\"", V{Document(u"a\"b", u"C:\\\"q\"")}},
      // An unclosed quote takes the rest of the text less its last character.
      {u"x\x1F\x1E\"b\x1F" u"C:\\abc", V{Folder(u"x"), Document(u"b", u"C:\\ab")}},
      {u"\"b\x1F" u"C:\\a\x1E" u"c\x1F" u"C:\\d", V{Document(u"b", u"C:\\a\x1E" u"c\x1F" u"C:")}},
      {u"\"a\x1F\"\"b\x1E", V{Document(u"a", u"\"b")}},
      {u"\"", V{Folder(u"")}},
      {u"x\x1F\x1E\"", V{Folder(u"x"), Folder(u"")}},
  };
  for (const auto& c : cases) {
    TSearchData data(u"\\folder", c.pText);
    EXPECT_EQ(Entries(*data.pResult), c.vEntries) << TextToUtf8(c.pText);
    EXPECT_EQ(data.iCursor, 0) << TextToUtf8(c.pText);
  }
}

TEST(SearchData, StartsActiveWithTheFolderPathAsGiven) {
  TSearchData empty(u" \\Tag A\\ ", u"");
  EXPECT_TRUE(empty.bActive);
  EXPECT_EQ(empty.sPath, u" \\Tag A\\ ");
  EXPECT_EQ(empty.pResult->Count(), 0);
  EXPECT_EQ(empty.iCursor, -1);
  EXPECT_EQ(empty.NameIndex.Find(*empty.pResult, u""), -1);

  TSearchData one(u"\\", u"a\x1F");
  EXPECT_EQ(one.pResult->Count(), 1);
  EXPECT_EQ(one.iCursor, 0);
}

TEST(NameKeyIndex, FindsTheFirstRecordOfEachKey) {
  TSearchData data(u"\\f",
                   u"a\x1F" u"1\x1E"
                   u"b\\\x1F\x1E"
                   u"a\\\x1F" u"2\x1E"
                   u"\x1E"
                   u"b\x1F" u"3\x1E"
                   u"A\x1F" u"4\x1E"
                   u"c\\\\\x1F");
  const struct {
    const char16_t* pKey;
    int iRecord;
  } cases[] = {
      {u"a", 0}, {u"b", 1}, {u"", 3}, {u"A", 5}, {u"c\\", 6}, {u"a\\", -1}, {u"c", -1}, {u"d", -1}, {u" a", -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(data.NameIndex.Find(*data.pResult, c.pKey), c.iRecord) << TextToUtf8(c.pKey);
}

TEST(NameKeyIndex, AgreesWithTheLinearWalk) {
  // Few distinct names, many repeats and near-misses, so that keys collide
  // in the table and the first record of each key matters.
  const std::u16string vNames[] = {u"a", u"a\\", u"A", u"", u"\\", u"ab", u"b\\\\", u"x y", u"\x1E"};
  std::mt19937 rng(4);
  for (int iRound = 0; iRound < 200; ++iRound) {
    TSearchResult listing;
    const int iRecords = static_cast<int>(rng() % 40);
    for (int i = 0; i < iRecords; ++i) {
      const std::u16string& sName = vNames[rng() % std::size(vNames)];
      listing.Add(rng() % 4 == 0 ? sName : sName + u'\x1F' + IntToText(i));
    }
    TSearchData data(u"\\", listing.DelimitedText());
    ASSERT_EQ(data.pResult->Count(), iRecords);
    for (const std::u16string& sName : vNames) {
      const std::u16string_view sKey = WithoutTrailingBackslash(sName);
      EXPECT_EQ(data.NameIndex.Find(*data.pResult, sKey), WalkForName(*data.pResult, sKey))
          << "round " << iRound << " key " << TextToUtf8(sKey);
    }
  }
}

TEST(NameKeyIndex, FindsEveryNameOfALargeListing) {
  std::u16string sText;
  const int iRecords = 50000;
  for (int i = 0; i < iRecords; ++i) {
    if (i > 0) sText += u'\x1E';
    sText += u"document " + IntToText(i) + u".pdf\x1F" u"C:\\docs\\" + IntToText(i) + u".pdf";
  }
  TSearchData data(u"\\big", sText);
  ASSERT_EQ(data.pResult->Count(), iRecords);
  for (int i = 0; i < iRecords; ++i)
    ASSERT_EQ(data.NameIndex.Find(*data.pResult, u"document " + IntToText(i) + u".pdf"), i);
  EXPECT_EQ(data.NameIndex.Find(*data.pResult, u"document 50000.pdf"), -1);
}

namespace {

// Adds a snapshot of each path, active or not as given.
void Fill(TSearchDataList& list, const std::vector<std::pair<const char16_t*, bool>>& vSnapshots) {
  for (const auto& [pPath, bActive] : vSnapshots) {
    auto pData = new TSearchData(pPath, u"x\x1F");
    pData->bActive = bActive;
    list.Add(pData);
  }
}

std::vector<std::pair<std::u16string, bool>> Contents(TSearchDataList& list) {
  std::vector<std::pair<std::u16string, bool>> v;
  TListLock<TSearchData> lock(list);
  for (TSearchData* p : lock.Items()) v.emplace_back(p->sPath, p->bActive.load());
  return v;
}

}  // namespace

TEST(SearchDataList, DeleteByPathFreesOnlyInactiveSnapshotsOfThatExactPath) {
  TSearchDataList list;
  Fill(list, {{u"\\A", false},
              {u"\\B", false},
              {u"\\A", true},
              {u"\\A\\", false},
              {u"\\a", false},
              {u"\\A", false},
              {u"\\C", true}});
  int iArchiveCount = -1;
  EXPECT_TRUE(list.DeleteByPath(u"\\A", iArchiveCount));
  EXPECT_EQ(iArchiveCount, 3);  // \B, \A\ and \a
  using V = std::vector<std::pair<std::u16string, bool>>;
  EXPECT_EQ(Contents(list), (V{{u"\\B", false}, {u"\\A", true}, {u"\\A\\", false}, {u"\\a", false}, {u"\\C", true}}));
  EXPECT_EQ(list.Count(), 5);

  // Nothing more of \A to free: the open enumeration of it stays.
  EXPECT_FALSE(list.DeleteByPath(u"\\A", iArchiveCount));
  EXPECT_EQ(iArchiveCount, 3);
  EXPECT_EQ(list.Count(), 5);

  // Once closed, the next listing of \A frees it.
  {
    TListLock<TSearchData> lock(list);
    lock.Items()[1]->bActive = false;
  }
  EXPECT_TRUE(list.DeleteByPath(u"\\A", iArchiveCount));
  EXPECT_EQ(iArchiveCount, 3);
  EXPECT_EQ(list.Count(), 4);

  TSearchDataList empty;
  iArchiveCount = -1;
  EXPECT_FALSE(empty.DeleteByPath(u"\\A", iArchiveCount));
  EXPECT_EQ(iArchiveCount, 0);
}

TEST(SearchDataList, DeleteOldestArchiveSkipsActiveSnapshots) {
  TSearchDataList list;
  Fill(list, {{u"\\A", true}, {u"\\B", false}, {u"\\C", true}, {u"\\D", false}});
  using V = std::vector<std::pair<std::u16string, bool>>;
  EXPECT_TRUE(list.DeleteOldestArchive());
  EXPECT_EQ(Contents(list), (V{{u"\\A", true}, {u"\\C", true}, {u"\\D", false}}));
  EXPECT_TRUE(list.DeleteOldestArchive());
  EXPECT_EQ(Contents(list), (V{{u"\\A", true}, {u"\\C", true}}));
  EXPECT_FALSE(list.DeleteOldestArchive());
  EXPECT_EQ(list.Count(), 2);
}

// Several enumerating threads and look-ups at once, as the host's threads
// do: a thread's own snapshot is never freed while it is active (the
// sanitized build reports any use after free), and every look-up sees a
// consistent listing.
TEST(SearchDataList, ConcurrentListingsAndLookUpsKeepActiveSnapshots) {
  TSearchDataList list;
  std::atomic<bool> bFailed{false};
  std::atomic<int> iWaiting{5};
  auto startTogether = [&] {
    --iWaiting;
    while (iWaiting > 0) std::this_thread::yield();
  };
  std::u16string sMore;
  for (int i = 0; i < 50; ++i) sMore += u"\x1E" u"more " + IntToText(i) + u"\x1F";
  auto listing = [&](int iThread) {
    std::mt19937 rng(static_cast<unsigned>(iThread));
    startTogether();
    for (int i = 0; i < 500; ++i) {
      const std::u16string sFolder = u"\\F" + IntToText(rng() % 4);
      int iArchiveCount = 0;
      list.DeleteByPath(sFolder, iArchiveCount);
      if (iArchiveCount >= 2) list.DeleteOldestArchive();
      auto pData = new TSearchData(sFolder, u"item\x1F" u"C:" + sFolder + u"\x1E" u"other\x1F" + sMore);
      list.Add(pData);
      // The enumeration reads its snapshot without the lock.
      for (; pData->iCursor < pData->pResult->Count(); ++pData->iCursor)
        if (pData->pResult->Entry(pData->iCursor).sName.empty()) bFailed = true;
      if (pData->sPath != sFolder) bFailed = true;
      pData->bActive = false;
    }
  };
  auto lookUp = [&](int iThread) {
    std::mt19937 rng(static_cast<unsigned>(100 + iThread));
    startTogether();
    for (int i = 0; i < 5000; ++i) {
      const std::u16string sFolder = u"\\F" + IntToText(rng() % 4);
      std::u16string sAnswer;
      if (FindInSnapshots(list, sFolder + u"\\item", sAnswer) && sAnswer != u"C:" + sFolder) bFailed = true;
    }
  };
  std::vector<std::thread> vThreads;
  for (int i = 0; i < 3; ++i) vThreads.emplace_back(listing, i);
  for (int i = 0; i < 2; ++i) vThreads.emplace_back(lookUp, i);
  for (std::thread& t : vThreads) t.join();
  EXPECT_FALSE(bFailed);
  // Nothing is active any more.
  int iArchiveCount = 0;
  list.DeleteByPath(u"\\none", iArchiveCount);
  EXPECT_EQ(iArchiveCount, list.Count());
}
