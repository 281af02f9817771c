// The plugin as the host first meets it: loading, the root name, FsInit,
// unloading, and the thread notifications that must change nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "tests/harness/plugin_host.h"

TEST(PluginFrame, LoadsWithoutAHostWindowAndResolvesItsEntryPoints) {
  ASSERT_EQ(FindWindowW(L"TTOTAL_CMD", nullptr), nullptr);
  TPluginHost host;
  ASSERT_TRUE(host.Loaded()) << GetLastError();
  EXPECT_NE(host.fsInit, nullptr);
  EXPECT_NE(host.fsGetDefRootName, nullptr);
}

TEST(PluginFrame, RootNameIsVfsAndTouchesNothingAfterIt) {
  TPluginHost host;
  ASSERT_TRUE(host.Loaded());
  char szBuffer[260];
  std::memset(szBuffer, 'x', sizeof szBuffer);
  host.fsGetDefRootName(szBuffer, 260);
  EXPECT_EQ(std::memcmp(szBuffer, "VFS\0", 4), 0);
  for (size_t i = 4; i < sizeof szBuffer; ++i) ASSERT_EQ(szBuffer[i], 'x') << i;
}

TEST(PluginFrame, RootNameIsCutToSmallBuffers) {
  TPluginHost host;
  ASSERT_TRUE(host.Loaded());
  const struct {
    int iMaxLen;
    const char* pExpected;
  } cases[] = {{4, "VFS"}, {3, "VF"}, {2, "V"}, {1, ""}};
  for (const auto& c : cases) {
    char szBuffer[8];
    std::memset(szBuffer, 'x', sizeof szBuffer);
    host.fsGetDefRootName(szBuffer, c.iMaxLen);
    EXPECT_STREQ(szBuffer, c.pExpected) << c.iMaxLen;
    EXPECT_EQ(szBuffer[c.iMaxLen], 'x') << "wrote past maxlen " << c.iMaxLen;
  }
  char szUntouched[2] = {'x', 'x'};
  host.fsGetDefRootName(szUntouched, 0);
  host.fsGetDefRootName(szUntouched, -5);
  EXPECT_EQ(szUntouched[0], 'x');
}

TEST(PluginFrame, InitReturnsZeroAndMayRunAgain) {
  TPluginHost host;
  ASSERT_TRUE(host.Loaded());
  EXPECT_EQ(host.Init(), 0);
  EXPECT_EQ(host.Init(), 0);
}

TEST(PluginFrame, SurvivesThreadNotificationsAndUnloadsCleanly) {
  TPluginHost host;
  ASSERT_TRUE(host.Loaded());
  ASSERT_EQ(host.Init(), 0);
  for (int i = 0; i < 8; ++i) std::thread([] {}).join();
  char szName[8] = {};
  host.fsGetDefRootName(szName, 8);
  EXPECT_STREQ(szName, "VFS");
  host.Unload();
  EXPECT_EQ(GetModuleHandleW(TPluginHost::PluginPath().c_str()), nullptr);
}
