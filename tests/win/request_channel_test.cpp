// The request channel against a scripted tag server: what reaches the
// server, how the answer is read, every failure box, concurrent requests
// and the release of every object.
#include <gtest/gtest.h>

#include <thread>

#include "plugin/win/global_state.h"
#include "plugin/win/request_channel.h"
#include "tests/harness/message_box_recorder.h"
#include "tests/harness/process_probe.h"
#include "tests/harness/scripted_tag_server.h"

namespace {

const std::wstring REQUEST_CONTEXT = L"VfsP::GetOmbrixData";

class RequestChannel : public ::testing::Test {
 protected:
  void SetUp() override { LangID = 1; }
  void TearDown() override {
    EXPECT_EQ(dwOmbrixReqCount, 0u);
    EXPECT_FALSE(NamedEventExists(L"EVENT_VFS_REQUEST_1"));
    EXPECT_FALSE(NamedMappingExists(L"FILE_MAPPING_VFS_REQUEST_1"));
  }
  TMessageBoxRecorder boxes;
};

struct TResult {
  bool bOk;
  std::u16string sAnswer;
};

TResult Ask(const std::u16string& sPath, int iCode = 30) {
  std::u16string sAnswer = u"unchanged";
  const bool bOk = GetOmbrixData(sPath, sAnswer, iCode);
  return {bOk, sAnswer};
}

void ExpectOneBox(TMessageBoxRecorder& boxes, const std::wstring& sContext, const std::wstring& sText) {
  ASSERT_TRUE(boxes.WaitForBoxes(1));
  const auto vBoxes = boxes.Boxes();
  ASSERT_EQ(vBoxes.size(), 1u);
  EXPECT_EQ(vBoxes[0].sCaption, Caption(sContext));
  EXPECT_EQ(vBoxes[0].sText, sText);
}

}  // namespace

TEST_F(RequestChannel, SendsTheNumberedRequestAndReadsTheAnswer) {
  TScriptedTagServer server;
  server.SetAnswer(30, u"C:\\a", u"D:\\Docs\\report.pdf");
  const TResult result = Ask(u"C:\\a");
  EXPECT_TRUE(result.bOk);
  EXPECT_EQ(result.sAnswer, u"D:\\Docs\\report.pdf");

  const auto vMessages = server.Messages();
  ASSERT_EQ(vMessages.size(), 1u);
  EXPECT_EQ(vMessages[0].dwCode, 20u);
  EXPECT_EQ(vMessages[0].sText, u"1\x1E" u"30\x1E" u"C:\\a");
  EXPECT_EQ(vMessages[0].sText.size(), 9u);
  EXPECT_EQ(vMessages[0].cbData, 20u);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(RequestChannel, AnswerIsReadUpToItsFirstNulAndNeverPastTheBuffer) {
  TScriptedTagServer server;
  server.SetAnswer(10, u"\\nul", std::u16string(u"ab\0cd", 5));
  server.SetAnswer(10, u"\\empty", u"");
  EXPECT_EQ(Ask(u"\\nul", 10).sAnswer, u"ab");
  EXPECT_EQ(Ask(u"\\empty", 10).sAnswer, u"");

  server.SetFault(TServerFault::EVENT_WITHOUT_ANSWER);
  const TResult nothingWritten = Ask(u"\\any", 10);
  EXPECT_TRUE(nothingWritten.bOk);
  EXPECT_EQ(nothingWritten.sAnswer, u"");

  server.SetFault(TServerFault::FILL_WITHOUT_NUL);
  const TResult full = Ask(u"\\any", 10);
  EXPECT_TRUE(full.bOk);
  EXPECT_EQ(full.sAnswer.size(), 0xA00000u / 2);
  EXPECT_EQ(full.sAnswer.find_first_not_of(u'A'), std::u16string::npos);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(RequestChannel, NoServerWindowFailsAfterTheWaitWithTheAnswerUnchanged) {
  ASSERT_EQ(FindWindowW(L"TTagsForm", nullptr), nullptr);
  const DWORD dwStart = GetTickCount();
  const TResult result = Ask(u"C:\\a");
  EXPECT_GE(GetTickCount() - dwStart, 900u);
  EXPECT_FALSE(result.bOk);
  EXPECT_EQ(result.sAnswer, u"unchanged");
  ExpectOneBox(boxes, REQUEST_CONTEXT, L"WaitForSingleObject: Data from \"OmbrixP\" not received");
}

TEST_F(RequestChannel, SilentServerFailsInTheInterfaceLanguage) {
  TScriptedTagServer server;
  server.SetFault(TServerFault::NO_ANSWER);
  LangID = 0;
  EXPECT_FALSE(Ask(u"C:\\a").bOk);
  ExpectOneBox(boxes, REQUEST_CONTEXT, L"WaitForSingleObject: Данные из \"OmbrixP\" не получены");
}

TEST_F(RequestChannel, ObjectsThatAlreadyExistFailTheRequestBeforeTheSend) {
  TScriptedTagServer server;
  const struct {
    bool bEvent;
    std::wstring sText;
  } cases[] = {
      {true, L"CreateEvent: \"Event\" kernel object already exists"},
      {false, L"CreateFileMapping: \"FileMapping\" kernel object already exists"},
  };
  for (const auto& c : cases) {
    HANDLE hSquatter = c.bEvent ? CreateEventW(nullptr, TRUE, FALSE, L"EVENT_VFS_REQUEST_1")
                                : CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                                     L"FILE_MAPPING_VFS_REQUEST_1");
    boxes.Clear();
    const TResult result = Ask(u"C:\\a");
    CloseHandle(hSquatter);
    EXPECT_FALSE(result.bOk);
    EXPECT_EQ(result.sAnswer, u"unchanged");
    ExpectOneBox(boxes, REQUEST_CONTEXT, c.sText);
  }
  EXPECT_TRUE(server.Messages().empty());
}

TEST_F(RequestChannel, ObjectsThatCannotBeCreatedShowTheSystemText) {
  TScriptedTagServer server;
  for (const wchar_t* pName : {L"EVENT_VFS_REQUEST_1", L"FILE_MAPPING_VFS_REQUEST_1"}) {
    // An object of another kind under the name makes the creation fail.
    HANDLE hMutex = CreateMutexW(nullptr, FALSE, pName);
    boxes.Clear();
    const TResult result = Ask(u"C:\\a");
    const DWORD dwError = ERROR_INVALID_HANDLE;
    CloseHandle(hMutex);
    EXPECT_FALSE(result.bOk);
    wchar_t* pSystemText = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                   nullptr, dwError, 0, reinterpret_cast<wchar_t*>(&pSystemText), 0, nullptr);
    ASSERT_NE(pSystemText, nullptr);
    const std::wstring sDetail = pName[0] == L'E' ? L"CreateEvent" : L"CreateFileMapping";
    ExpectOneBox(boxes, L"GetOmbrixData", sDetail + L": " + pSystemText);
    LocalFree(pSystemText);
  }
  EXPECT_TRUE(server.Messages().empty());
}

TEST_F(RequestChannel, LateAnswerDoesNoHarmAndTheNextRequestWorks) {
  TScriptedTagServer server;
  server.SetAnswer(30, u"C:\\a", u"late");
  server.SetAnswerDelay(1500);
  EXPECT_FALSE(Ask(u"C:\\a").bOk);
  ExpectOneBox(boxes, REQUEST_CONTEXT, L"WaitForSingleObject: Data from \"OmbrixP\" not received");
  // The late answer finds the request's objects gone.
  ASSERT_TRUE(server.WaitForDelayedAnswers());
  server.SetAnswerDelay(0);
  server.SetAnswer(30, u"C:\\b", u"on time");
  const TResult next = Ask(u"C:\\b");
  EXPECT_TRUE(next.bOk);
  EXPECT_EQ(next.sAnswer, u"on time");
}

TEST_F(RequestChannel, ServerHoldingTheSendDelaysButDoesNotFailTheRequest) {
  TScriptedTagServer server;
  server.SetAnswer(30, u"C:\\a", u"held");
  server.SetHoldInSend(1500);
  const TResult result = Ask(u"C:\\a");
  EXPECT_TRUE(result.bOk);
  EXPECT_EQ(result.sAnswer, u"held");
}

TEST_F(RequestChannel, SecondRequestInFlightShowsTheBoxFirstThenRuns) {
  TScriptedTagServer server;
  server.SetAnswer(30, u"first", u"1st");
  server.SetAnswer(30, u"second", u"2nd");
  server.HoldAnswersFor(u"first");
  TResult first{}, second{};
  std::thread thFirst([&] { first = Ask(u"first"); });
  ASSERT_TRUE(server.WaitForMessages(1));

  boxes.SetHolding(true);
  std::thread thSecond([&] { second = Ask(u"second"); });
  ASSERT_TRUE(boxes.WaitForBoxes(1));
  // While the box is open the second request has not been sent.
  EXPECT_EQ(server.Messages().size(), 1u);
  boxes.SetHolding(false);
  boxes.ReleaseHeld();
  thSecond.join();
  server.ReleaseAnswersFor(u"first");
  thFirst.join();

  EXPECT_EQ(first.sAnswer, u"1st");
  EXPECT_EQ(second.sAnswer, u"2nd");
  const auto vRequests = server.Requests();
  ASSERT_EQ(vRequests.size(), 2u);
  EXPECT_EQ(vRequests[1].dwNumber, 2u);
  const auto vBoxes = boxes.Boxes();
  ASSERT_EQ(vBoxes.size(), 1u);
  EXPECT_EQ(vBoxes[0].sCaption, Caption(REQUEST_CONTEXT));
  EXPECT_EQ(vBoxes[0].sText, L" (dwOmbrixReqCount = 2): Background thread request");
}

TEST_F(RequestChannel, RequestsEndingOutOfOrderNeverShareANumber) {
  TScriptedTagServer server;
  for (const char16_t* p : {u"one", u"two", u"three"}) server.SetAnswer(30, p, std::u16string(u"answer ") + p);
  server.HoldAnswersFor(u"one");
  server.HoldAnswersFor(u"two");
  TResult one{}, two{};
  std::thread thOne([&] { one = Ask(u"one"); });
  ASSERT_TRUE(server.WaitForMessages(1));
  std::thread thTwo([&] { two = Ask(u"two"); });
  ASSERT_TRUE(server.WaitForMessages(2));
  // Request 1 ends while request 2 still waits; a third one starts.
  server.ReleaseAnswersFor(u"one");
  thOne.join();
  const TResult three = Ask(u"three");
  server.ReleaseAnswersFor(u"two");
  thTwo.join();

  EXPECT_EQ(one.sAnswer, u"answer one");
  EXPECT_EQ(two.sAnswer, u"answer two");
  EXPECT_TRUE(three.bOk);
  EXPECT_EQ(three.sAnswer, u"answer three");
  const auto vRequests = server.Requests();
  ASSERT_EQ(vRequests.size(), 3u);
  EXPECT_EQ(vRequests[0].dwNumber, 1u);
  EXPECT_EQ(vRequests[1].dwNumber, 2u);
  EXPECT_EQ(vRequests[2].dwNumber, 1u);
  const auto vBoxes = boxes.Boxes();
  ASSERT_EQ(vBoxes.size(), 2u);
  for (const auto& box : vBoxes) EXPECT_EQ(box.sText, L" (dwOmbrixReqCount = 2): Background thread request");
}

TEST_F(RequestChannel, ManyRequestsLeaveNoObjectHandleOrViewBehind) {
  TScriptedTagServer server;
  server.SetDefaultAnswer(10, u"answer");
  Ask(u"warm-up", 10);
  const size_t iSpaceBefore = UsedAddressSpace();
  const uintptr_t uHandleBefore = NextHandleValue();

  for (int i = 0; i < 1000; ++i) {
    if (i % 20 == 19) {
      // A failing request: its event exists already.
      HANDLE hSquatter = CreateEventW(nullptr, TRUE, FALSE, L"EVENT_VFS_REQUEST_1");
      ASSERT_FALSE(Ask(u"\\fails", 10).bOk);
      CloseHandle(hSquatter);
    } else {
      ASSERT_EQ(Ask(u"\\works", 10).sAnswer, u"answer");
    }
  }
  EXPECT_EQ(boxes.Boxes().size(), 50u);
  EXPECT_LE(NextHandleValue(), uHandleBefore);
  // A single leaked 10 MiB view would show; allow for heap growth of the recorders.
  EXPECT_LT(UsedAddressSpace(), iSpaceBefore + 4 * 1024 * 1024);
}
