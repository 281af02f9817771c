// A request to a tag server in another process, as in real use.
#include <gtest/gtest.h>

#include "plugin/win/global_state.h"
#include "plugin/win/request_channel.h"
#include "tests/harness/child_process.h"
#include "tests/harness/message_box_recorder.h"

TEST(RequestAcrossProcesses, ServerInAnotherProcessAnswersThroughTheNamedObjects) {
  TMessageBoxRecorder boxes;
  HANDLE hReady = CreateEventW(nullptr, TRUE, FALSE, L"BRACKENFOLD_TEST_READY");
  HANDLE hStop = CreateEventW(nullptr, TRUE, FALSE, L"BRACKENFOLD_TEST_STOP");
  TChildProcess server(L"scripted_server_process.exe",
                       L"BRACKENFOLD_TEST_READY BRACKENFOLD_TEST_STOP 10 \"\\Tag A\" \"Doc\x1F" L"C:\\doc.txt\" "
                       L"40 \"\\Tag A\\Doc\" 1");
  ASSERT_TRUE(server.Started());
  ASSERT_EQ(WaitForSingleObject(hReady, 30000), WAIT_OBJECT_0);

  std::u16string sListing, sAction, sUnknown;
  EXPECT_TRUE(GetOmbrixData(u"\\Tag A", sListing, 10));
  EXPECT_TRUE(GetOmbrixData(u"\\Tag A\\Doc", sAction, 40));
  EXPECT_TRUE(GetOmbrixData(u"\\Other", sUnknown, 30));
  EXPECT_EQ(sListing, u"Doc\x1F" u"C:\\doc.txt");
  EXPECT_EQ(sAction, u"1");
  EXPECT_EQ(sUnknown, u"RR_INVALID_PATH");

  SetEvent(hStop);
  ASSERT_TRUE(server.Wait());
  EXPECT_EQ(server.ExitCode(), 3u);
  EXPECT_EQ(dwOmbrixReqCount, 0u);
  EXPECT_TRUE(boxes.Boxes().empty());
  CloseHandle(hReady);
  CloseHandle(hStop);
}
