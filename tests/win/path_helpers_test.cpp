// The path helpers on real folders and files of the Wine prefix.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "plugin/win/path_helpers.h"
#include "tests/harness/plugin_host.h"

namespace {

class PathHelpers : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    sRoot = Text(szTemp) + u"path_helpers_" + Text(std::to_wstring(GetCurrentProcessId()));
    ASSERT_TRUE(CreateDirectoryW(Wide(sRoot).c_str(), nullptr));
  }
  void TearDown() override {
    // Deepest first: the created folders, then the root.
    for (auto it = vCleanup.rbegin(); it != vCleanup.rend(); ++it) {
      DeleteFileW(Wide(*it).c_str());
      RemoveDirectoryW(Wide(*it).c_str());
    }
    RemoveDirectoryW(Wide(sRoot).c_str());
  }
  std::u16string Under(const std::u16string& sName) {
    vCleanup.push_back(sRoot + u"\\" + sName);
    return vCleanup.back();
  }
  std::u16string sRoot;
  std::vector<std::u16string> vCleanup;
};

}  // namespace

TEST_F(PathHelpers, PathKindOfFilesFoldersAndNothing) {
  const std::u16string sFile = Under(u"file.txt");
  CloseHandle(CreateFileW(Wide(sFile).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  EXPECT_EQ(GetPathKind(sFile), PATH_KIND_FILE);
  EXPECT_EQ(GetPathKind(sFile + u"\\"), PATH_KIND_FILE);
  EXPECT_EQ(GetPathKind(sRoot), PATH_KIND_FOLDER);
  EXPECT_EQ(GetPathKind(sRoot + u"\\"), PATH_KIND_FOLDER);
  EXPECT_EQ(GetPathKind(sRoot + u"\\missing"), PATH_KIND_NONE);
  EXPECT_EQ(GetPathKind(u""), PATH_KIND_NONE);
  EXPECT_EQ(GetPathKind(u"C:\\"), PATH_KIND_FOLDER);
  EXPECT_EQ(GetPathKind(u"Q:\\"), PATH_KIND_NONE);  // no such drive in the prefix
}

TEST_F(PathHelpers, FolderChainCreatesTheMissingLevelsAndReturnsThePathUnchanged) {
  const std::u16string sA = Under(u"a");
  const std::u16string sB = Under(u"a\\b");
  const std::u16string sC = Under(u"a\\b\\c");
  ASSERT_TRUE(CreateDirectoryW(Wide(sA).c_str(), nullptr));
  EXPECT_EQ(CreateFolderChain(sB), sB);
  EXPECT_EQ(GetPathKind(sB), PATH_KIND_FOLDER);
  EXPECT_EQ(CreateFolderChain(sC + u"\\"), sC + u"\\");
  EXPECT_EQ(GetPathKind(sC), PATH_KIND_FOLDER);
  // Every level existing already is success too.
  EXPECT_EQ(CreateFolderChain(sC), sC);
}

TEST_F(PathHelpers, FolderChainFailsWithTheCreationsError) {
  const std::u16string sFile = Under(u"blocker");
  CloseHandle(CreateFileW(Wide(sFile).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  SetLastError(0);
  EXPECT_EQ(CreateFolderChain(sFile + u"\\below"), u"");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(GetPathKind(sFile + u"\\below"), PATH_KIND_NONE);

  // An empty first component (root of the drive, UNC) can never be created.
  EXPECT_EQ(CreateFolderChain(u"\\brackenfold_never_made"), u"");
  EXPECT_EQ(GetPathKind(u"\\brackenfold_never_made"), PATH_KIND_NONE);
  EXPECT_EQ(CreateFolderChain(u"\\\\server\\share\\new"), u"");
  EXPECT_EQ(CreateFolderChain(u""), u"");
}

TEST_F(PathHelpers, FolderChainMadeByManyThreadsAtOnceSucceedsForAll) {
  // Threads released together race between testing a level and creating it.
  for (int iRound = 0; iRound < 40; ++iRound) {
    const std::u16string sTop = u"r" + Text(std::to_wstring(iRound));
    Under(sTop);
    Under(sTop + u"\\y");
    const std::u16string sDeep = Under(sTop + u"\\y\\z");
    HANDLE hStart = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::u16string> vResults(8);
    std::vector<std::thread> vThreads;
    for (auto& sResult : vResults)
      vThreads.emplace_back([&sResult, &sDeep, hStart] {
        WaitForSingleObject(hStart, INFINITE);
        sResult = CreateFolderChain(sDeep);
      });
    SetEvent(hStart);
    for (auto& th : vThreads) th.join();
    CloseHandle(hStart);
    for (const auto& sResult : vResults) ASSERT_EQ(sResult, sDeep) << "round " << iRound;
  }
}
