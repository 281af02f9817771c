// Virtual path resolution over the listing cache, through the plugin's
// static library: the listings are made by the enumeration functions
// against the scripted tag server, which records every request, so each
// case shows whether a path was answered by a snapshot or by request 30.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "common/messages.h"
#include "common/tag_server_contract.h"
#include "plugin/win/global_state.h"
#include "plugin/win/path_resolution.h"
#include "plugin/win/plugin_interface.h"
#include "rtl/text_routines.h"
#include "tests/harness/message_box_recorder.h"
#include "tests/harness/plugin_host.h"
#include "tests/harness/scripted_tag_server.h"

namespace {

constexpr char16_t FROM_SERVER[] = u"C:\\from the server";
constexpr char16_t UNTOUCHED[] = u"untouched";

struct TResolved {
  bool bResult;
  std::u16string sAnswer;
  bool bAsked;  // a request 30 reached the server
};

class ResolutionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SearchDataList = std::make_unique<TSearchDataList>();
    server.SetDefaultAnswer(REQUEST_REAL_PATH, FROM_SERVER);
  }
  void TearDown() override { SearchDataList.reset(); }

  // Lists the folder as the host does and closes the enumeration; the
  // result is FsFindFirst's last error when it gave no handle, else 0. The
  // documents named here have no real files, so a folder entry is added to
  // the listing unless bAsIs, so that the enumeration has an entry to deliver.
  DWORD List(const std::u16string& sFolder, const std::u16string& sListing, bool bAsIs = false) {
    server.SetAnswer(REQUEST_LISTING, sFolder, bAsIs ? sListing : sListing + u"\x1E" u"delivered\x1F");
    std::string sAnsi = Ansi(Wide(sFolder));
    WIN32_FIND_DATAA findData;
    const HANDLE hFind = FsFindFirst(sAnsi.data(), &findData);
    if (hFind == INVALID_HANDLE_VALUE) return GetLastError();
    while (FsFindNext(hFind, &findData)) {
    }
    FsFindClose(hFind);
    return 0;
  }

  TResolved Resolve(const std::u16string& sPath) {
    const size_t iBefore = server.RequestCount(REQUEST_REAL_PATH);
    TResolved resolved{false, UNTOUCHED, false};
    resolved.bResult = ResolveVirtualPath(sPath, resolved.sAnswer);
    const std::vector<TReceivedRequest> vRequests = server.Requests();
    resolved.bAsked = server.RequestCount(REQUEST_REAL_PATH) > iBefore;
    if (resolved.bAsked) {
      // The request carries the path exactly as the caller passed it.
      EXPECT_EQ(vRequests.back().iCode, REQUEST_REAL_PATH);
      EXPECT_EQ(vRequests.back().sPath, sPath);
    }
    return resolved;
  }

  // From the snapshots: true with this answer and no request.
  void ExpectCached(const std::u16string& sPath, const std::u16string& sAnswer) {
    const TResolved r = Resolve(sPath);
    EXPECT_TRUE(r.bResult) << TextToUtf8(sPath);
    EXPECT_EQ(r.sAnswer, sAnswer) << TextToUtf8(sPath);
    EXPECT_FALSE(r.bAsked) << TextToUtf8(sPath) << " was sent as request 30";
  }
  // Not in the snapshots: answered by request 30.
  void ExpectAsked(const std::u16string& sPath) {
    const TResolved r = Resolve(sPath);
    EXPECT_TRUE(r.bResult) << TextToUtf8(sPath);
    EXPECT_EQ(r.sAnswer, FROM_SERVER) << TextToUtf8(sPath);
    EXPECT_TRUE(r.bAsked) << TextToUtf8(sPath) << " was answered without request 30";
  }

  TMessageBoxRecorder recorder;
  TScriptedTagServer server;
};

}  // namespace

TEST_F(ResolutionTest, SnapshotsAnswerWhatTheyList) {
  ASSERT_EQ(List(u"\\", u"Tag A\x1F\x1E" u"top.txt\x1F" u"C:\\top.txt"), 0u);
  ASSERT_EQ(List(u"\\Tag A",
                 u"report.pdf\x1F" u"C:\\docs\\report.pdf\x1E"
                 u"twice\x1F" u"C:\\first\x1E"
                 u"twice\x1F" u"C:\\second\x1E"
                 u"sub\\\x1F"),
            0u);
  const struct {
    const char16_t* pPath;
    const char16_t* pCached;  // null: request 30
  } cases[] = {
      {u"\\Tag A\\report.pdf", u"C:\\docs\\report.pdf"},
      {u"  \\Tag A\\report.pdf \t", u"C:\\docs\\report.pdf"},
      {u"\\Tag A\\report.pdf\\", u"C:\\docs\\report.pdf"},
      {u"\\Tag A\\REPORT.PDF", nullptr},
      {u"\\tag a\\report.pdf", nullptr},
      {u"\\Tag A\\twice", u"C:\\first"},
      {u"\\Tag A\\sub", u""},
      {u"\\Tag A\\sub\\", u""},
      {u"\\Tag A", u""},
      {u"\\Tag A\\", u""},
      {u"\\top.txt", u"C:\\top.txt"},
      {u"\\Tag A\\.", RR_INVALID_PATH},
      {u"\\Tag A\\..", RR_INVALID_PATH},
      {u"\\Nowhere\\..\\", RR_INVALID_PATH},
      {u"\\Nowhere\\report.pdf", nullptr},
      {u" \\Nowhere\\x\\ ", nullptr},
      // The root listing has no item with an empty name.
      {u"\\", nullptr},
  };
  for (const auto& c : cases) {
    if (c.pCached)
      ExpectCached(c.pPath, c.pCached);
    else
      ExpectAsked(c.pPath);
  }
  EXPECT_TRUE(recorder.Boxes().empty());
}

TEST_F(ResolutionTest, TheRootResolvesFromAnItemWithAnEmptyName) {
  ExpectAsked(u"\\");
  ASSERT_EQ(List(u"\\", u"a\x1F\x1E"), 0u);
  ExpectCached(u"\\", u"");
}

TEST_F(ResolutionTest, AnOlderSnapshotOfTheSameFolderAnswersWhatTheNewestLacks) {
  ASSERT_EQ(List(u"\\Tag A", u"old only\x1F" u"C:\\old\x1E" u"both\x1F" u"C:\\both old"), 0u);
  // The same folder under another spelling of its path is a snapshot of its own.
  ASSERT_EQ(List(u"\\Tag A\\", u"both\x1F" u"C:\\both new"), 0u);
  ExpectCached(u"\\Tag A\\both", u"C:\\both new");
  ExpectCached(u"\\Tag A\\old only", u"C:\\old");
  ExpectAsked(u"\\Tag A\\neither");
}

TEST_F(ResolutionTest, TheCacheKeepsWhatTheListingRulesLeave) {
  // A, B, C, D leaves C and D.
  for (const char16_t* pFolder : {u"\\A", u"\\B", u"\\C", u"\\D"})
    ASSERT_EQ(List(pFolder, u"item\x1F" u"C:" + std::u16string(pFolder)), 0u);
  ExpectAsked(u"\\A\\item");
  ExpectAsked(u"\\B\\item");
  ExpectCached(u"\\C\\item", u"C:\\C");
  ExpectCached(u"\\D\\item", u"C:\\D");

  // A, B, A leaves B and the newer A.
  SearchDataList = std::make_unique<TSearchDataList>();
  ASSERT_EQ(List(u"\\A", u"item\x1F" u"C:\\A first\x1E" u"gone\x1F" u"C:\\gone"), 0u);
  ASSERT_EQ(List(u"\\B", u"item\x1F" u"C:\\B"), 0u);
  ASSERT_EQ(List(u"\\A", u"item\x1F" u"C:\\A second"), 0u);
  ExpectCached(u"\\A\\item", u"C:\\A second");
  ExpectAsked(u"\\A\\gone");
  ExpectCached(u"\\B\\item", u"C:\\B");
  // And listing C now frees B, the oldest archived one.
  ASSERT_EQ(List(u"\\C", u"item\x1F" u"C:\\C"), 0u);
  ExpectAsked(u"\\B\\item");
  ExpectCached(u"\\A\\item", u"C:\\A second");

  // The same folder twice leaves one.
  SearchDataList = std::make_unique<TSearchDataList>();
  ASSERT_EQ(List(u"\\A", u"first only\x1F" u"C:\\1"), 0u);
  ASSERT_EQ(List(u"\\A", u"second only\x1F" u"C:\\2"), 0u);
  ExpectAsked(u"\\A\\first only");
  ExpectCached(u"\\A\\second only", u"C:\\2");
  EXPECT_EQ(SearchDataList->Count(), 1);
}

TEST_F(ResolutionTest, ListingsThatDeliverNothingLeaveTheCacheAsTheRulesSay) {
  ASSERT_EQ(List(u"\\E", u"x\x1F" u"C:\\x"), 0u);
  // An empty answer adds no snapshot and keeps the older one.
  EXPECT_EQ(List(u"\\E", u"", true), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  ExpectCached(u"\\E\\x", u"C:\\x");
  // So does an answer naming no folder.
  EXPECT_EQ(List(u"\\E", RR_INVALID_PATH, true), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  ExpectCached(u"\\E\\x", u"C:\\x");
  EXPECT_EQ(recorder.Boxes().size(), 1u);  // row 12
  // A listing whose documents are all missing stays as an inactive snapshot.
  EXPECT_EQ(List(u"\\M", u"m\x1F" u"C:\\no such folder\\m.pdf", true), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  ExpectCached(u"\\M\\m", u"C:\\no such folder\\m.pdf");
  {
    TListLock<TSearchData> lock(*SearchDataList);
    ASSERT_FALSE(lock.Items().empty());
    EXPECT_EQ(lock.Items().back()->sPath, u"\\M");
    EXPECT_FALSE(lock.Items().back()->bActive);
  }
}

TEST_F(ResolutionTest, TheServersAnswerIsTakenAsItIs) {
  server.SetAnswer(REQUEST_REAL_PATH, u"\\Folder", u"");
  server.SetAnswer(REQUEST_REAL_PATH, u"\\Gone", RR_INVALID_PATH);
  server.SetAnswer(REQUEST_REAL_PATH, u"\\Odd", u" C:\\with blanks\\ ");
  const struct {
    const char16_t* pPath;
    const char16_t* pAnswer;
  } cases[] = {{u"\\Folder", u""}, {u"\\Gone", RR_INVALID_PATH}, {u"\\Odd", u" C:\\with blanks\\ "}};
  for (const auto& c : cases) {
    const TResolved r = Resolve(c.pPath);
    EXPECT_TRUE(r.bResult) << TextToUtf8(c.pPath);
    EXPECT_TRUE(r.bAsked) << TextToUtf8(c.pPath);
    EXPECT_EQ(r.sAnswer, c.pAnswer) << TextToUtf8(c.pPath);
  }
}

TEST_F(ResolutionTest, AFailedRequestLeavesTheAnswerAndAddsNoMessage) {
  server.SetFault(TServerFault::NO_ANSWER);
  const TResolved r = Resolve(u"\\Unknown\\x");
  EXPECT_FALSE(r.bResult);
  EXPECT_EQ(r.sAnswer, UNTOUCHED);
  EXPECT_TRUE(r.bAsked);
  const std::vector<TRecordedBox> vBoxes = recorder.Boxes();
  ASSERT_EQ(vBoxes.size(), 1u);
  EXPECT_EQ(vBoxes[0].sCaption, Caption(L"VfsP::GetOmbrixData"));
}

TEST_F(ResolutionTest, WithoutACacheDotNamesStillAnswerAlone) {
  SearchDataList.reset();
  ExpectCached(u"\\A\\..", RR_INVALID_PATH);
  ExpectAsked(u"\\A\\b");
}
