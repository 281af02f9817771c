// Progress and cancel while a document is copied out. Wine's CopyFileExW
// never calls its progress routine, so the routine is called here directly,
// and the copy's ending is played by a stand-in for the system's copy that
// calls the routine as the system does and, when the routine cancels, fails
// with ERROR_REQUEST_ABORTED. The full copy through the plugin's export is
// covered by copy_out_test.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/tag_server_contract.h"
#include "plugin/win/copy_out.h"
#include "plugin/win/copy_progress.h"
#include "plugin/win/global_state.h"
#include "plugin/win/plugin_interface.h"
#include "tests/harness/message_box_recorder.h"
#include "tests/harness/plugin_host.h"
#include "tests/harness/scripted_tag_server.h"
#include "tests/win/real_files.h"

namespace {

constexpr int PLUGIN_NUMBER = 11;

// The host's side: every progress call, and the answer to give.
struct THostCall {
  int iPluginNr;
  std::string sSource;
  std::string sTarget;
  int iPercent;
};
std::mutex csHostCalls;
std::vector<THostCall> vHostCalls;
int iHostAnswer = 0;

int __stdcall RecordingProgress(int PluginNr, char* SourceName, char* TargetName, int PercentDone) {
  std::lock_guard<std::mutex> lock(csHostCalls);
  vHostCalls.push_back({PluginNr, SourceName ? SourceName : "<null>", TargetName ? TargetName : "<null>", PercentDone});
  return iHostAnswer;
}

std::vector<int> HostPercents() {
  std::lock_guard<std::mutex> lock(csHostCalls);
  std::vector<int> vPercents;
  for (const auto& call : vHostCalls) vPercents.push_back(call.iPercent);
  return vPercents;
}

void ResetHost(int iAnswer) {
  std::lock_guard<std::mutex> lock(csHostCalls);
  vHostCalls.clear();
  iHostAnswer = iAnswer;
}

LARGE_INTEGER Bytes(int64_t iCount) {
  LARGE_INTEGER count;
  count.QuadPart = iCount;
  return count;
}

DWORD CallRoutine(int64_t iTotal, int64_t iDone, DWORD dwReason, TCopyProgress* pProgress) {
  return CopyProgressRoutine(Bytes(iTotal), Bytes(iDone), Bytes(iTotal), Bytes(iDone), 1, dwReason, nullptr,
                             nullptr, pProgress);
}

TEST(CopyProgressRoutine, ReportsThePerCentOfEachChunkToTheHost) {
  constexpr int64_t I_4_GIB = int64_t{1} << 32;
  const struct {
    int64_t iTotal;
    int64_t iDone;
    int iPercent;
  } cases[] = {
      {1000, 0, 0},
      {1000, 250, 25},
      {1000, 999, 99},
      {1000, 1000, 100},
      // An empty document is all copied at its one report.
      {0, 0, 100},
      // Past 32 bits, where a DWORD count would have wrapped.
      {3 * I_4_GIB, I_4_GIB, 33},
      {5 * I_4_GIB, 5 * I_4_GIB - 1, 99},
      {INT64_MAX, INT64_MAX / 2, 49},
      {INT64_MAX, INT64_MAX, 100},
  };
  char szRemote[] = "\\Tag A\\report.txt";
  char szLocal[] = "C:\\out\\report.txt";
  TCopyProgress progress{RecordingProgress, PLUGIN_NUMBER, szRemote, szLocal};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.iDone) + " of " + std::to_string(c.iTotal));
    ResetHost(0);
    EXPECT_EQ(CallRoutine(c.iTotal, c.iDone, CALLBACK_CHUNK_FINISHED, &progress), DWORD{PROGRESS_CONTINUE});
    std::lock_guard<std::mutex> lock(csHostCalls);
    ASSERT_EQ(vHostCalls.size(), 1u);
    EXPECT_EQ(vHostCalls[0].iPluginNr, PLUGIN_NUMBER);
    EXPECT_EQ(vHostCalls[0].sSource, szRemote);
    EXPECT_EQ(vHostCalls[0].sTarget, szLocal);
    EXPECT_EQ(vHostCalls[0].iPercent, c.iPercent);
  }
}

TEST(CopyProgressRoutine, HostsAbortCancelsTheCopy) {
  char szRemote[] = "\\r";
  char szLocal[] = "C:\\l";
  TCopyProgress progress{RecordingProgress, PLUGIN_NUMBER, szRemote, szLocal};
  // Any non-zero answer asks for the abort.
  for (const int iAnswer : {1, -1, 2}) {
    SCOPED_TRACE(iAnswer);
    ResetHost(iAnswer);
    EXPECT_EQ(CallRoutine(100, 40, CALLBACK_CHUNK_FINISHED, &progress), DWORD{PROGRESS_CANCEL});
    EXPECT_EQ(HostPercents(), std::vector<int>{40});
  }
}

TEST(CopyProgressRoutine, StartOfAStreamAndAMissingProcedureGoOnWithoutAsking) {
  char szRemote[] = "\\r";
  char szLocal[] = "C:\\l";
  ResetHost(1);
  TCopyProgress progress{RecordingProgress, PLUGIN_NUMBER, szRemote, szLocal};
  EXPECT_EQ(CallRoutine(100, 0, CALLBACK_STREAM_SWITCH, &progress), DWORD{PROGRESS_CONTINUE});
  EXPECT_TRUE(HostPercents().empty());
  // FsInit was given no progress procedure.
  TCopyProgress noHost{nullptr, PLUGIN_NUMBER, szRemote, szLocal};
  EXPECT_EQ(CallRoutine(100, 50, CALLBACK_CHUNK_FINISHED, &noHost), DWORD{PROGRESS_CONTINUE});
}

// The stand-in for the system's copy: writes the first half of the source,
// reports it as the system does, and then either finishes the copy or, on
// PROGRESS_CANCEL, fails as a cancelled copy, with the partial target left
// behind or removed as told.
struct TCopyScript {
  bool bRemovesPartialTarget = true;
  int iCalls = 0;
  DWORD dwLastRoutineAnswer = 0;
} CopyScript;

BOOL WINAPI ScriptedCopy(LPCWSTR pExistingName, LPCWSTR pNewName, LPPROGRESS_ROUTINE pRoutine, LPVOID pData,
                         LPBOOL /*pbCancel*/, DWORD /*dwCopyFlags*/) {
  ++CopyScript.iCalls;
  const std::string sBody = ReadBytes(pExistingName);
  const int64_t iTotal = static_cast<int64_t>(sBody.size());
  const int64_t iHalf = iTotal / 2;
  if (!WriteBytes(pNewName, sBody.substr(0, static_cast<size_t>(iHalf)))) return FALSE;
  DWORD dwAnswer = pRoutine(Bytes(iTotal), Bytes(0), Bytes(iTotal), Bytes(0), 1, CALLBACK_STREAM_SWITCH, nullptr,
                            nullptr, pData);
  if (dwAnswer == PROGRESS_CONTINUE)
    dwAnswer = pRoutine(Bytes(iTotal), Bytes(iHalf), Bytes(iTotal), Bytes(iHalf), 1, CALLBACK_CHUNK_FINISHED,
                        nullptr, nullptr, pData);
  CopyScript.dwLastRoutineAnswer = dwAnswer;
  if (dwAnswer == PROGRESS_CANCEL) {
    if (CopyScript.bRemovesPartialTarget) DeleteFileW(pNewName);
    SetLastError(ERROR_REQUEST_ABORTED);
    return FALSE;
  }
  return WriteBytes(pNewName, sBody) ? TRUE : FALSE;
}

class CancelledCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    SearchDataList = std::make_unique<TSearchDataList>();
    iPluginNr = PLUGIN_NUMBER;
    pProgressProc = RecordingProgress;
    CopyScript = TCopyScript{};
    ASSERT_TRUE(WriteBytes(sSource, DOCUMENT_BODY));
    server.SetAnswer(REQUEST_REAL_PATH, u"\\Tag A\\report.txt", Text(sSource));
  }
  void TearDown() override {
    pProgressProc = nullptr;
    SearchDataList.reset();
  }

  int GetFile(const std::wstring& sLocal, int iFlags) {
    std::string sRemote = REMOTE_DOC;
    std::string sLocalAnsi = Ansi(sLocal);
    return GetFileWith(ScriptedCopy, sRemote.data(), sLocalAnsi.data(), iFlags);
  }

  const std::string DOCUMENT_BODY = std::string(1000, 'd');
  static constexpr char REMOTE_DOC[] = "\\Tag A\\report.txt";
  TTempFolder docs{L"copy_progress_docs"};
  TTempFolder out{L"copy_progress_target"};
  const std::wstring sSource = docs / L"report.txt";
  TScriptedTagServer server;
  TMessageBoxRecorder recorder;
};

TEST_F(CancelledCopy, AbortFromTheHostIsAUserAbortWithoutTheLastCallOrAPartialTarget) {
  const struct {
    const char* pName;
    bool bSystemRemoves;
    int iFlags;
    bool bTargetExisted;
  } cases[] = {
      {"the system removed the partial target", true, 0, false},
      {"the partial target was left behind", false, 0, false},
      {"over an existing target", false, FS_COPYFLAGS_OVERWRITE, true},
      {"resumed", false, FS_COPYFLAGS_RESUME, true},
      // A cancelled move is no refused move: the user stopped it.
      {"a move", false, FS_COPYFLAGS_MOVE, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pName);
    const std::wstring sTarget = out / L"report.txt";
    if (c.bTargetExisted) ASSERT_TRUE(WriteBytes(sTarget, "the old target"));
    CopyScript = TCopyScript{};
    CopyScript.bRemovesPartialTarget = c.bSystemRemoves;
    ResetHost(1);
    EXPECT_EQ(GetFile(sTarget, c.iFlags), FS_FILE_USERABORT);
    EXPECT_EQ(CopyScript.iCalls, 1);
    EXPECT_EQ(CopyScript.dwLastRoutineAnswer, DWORD{PROGRESS_CANCEL});
    // The answer to the 0 per cent call starts no cancel; the one in the copy does.
    EXPECT_EQ(HostPercents(), (std::vector<int>{0, 50}));
    EXPECT_FALSE(IsFile(sTarget));
    EXPECT_EQ(ReadBytes(sSource), DOCUMENT_BODY);
    EXPECT_TRUE(recorder.Boxes().empty());
  }
}

TEST_F(CancelledCopy, HostThatLetsTheCopyRunHearsEachStepWithItsOwnTexts) {
  const std::wstring sLocal = out / L"sub\\report.txt\x1C | suffix";
  ResetHost(0);
  EXPECT_EQ(GetFile(sLocal, 0), FS_FILE_OK);
  EXPECT_EQ(ReadBytes(out / L"sub\\report.txt"), DOCUMENT_BODY);
  std::lock_guard<std::mutex> lock(csHostCalls);
  ASSERT_EQ(vHostCalls.size(), 3u);
  const int percents[] = {0, 50, 100};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(vHostCalls[i].iPluginNr, PLUGIN_NUMBER);
    EXPECT_EQ(vHostCalls[i].sSource, REMOTE_DOC);
    // The name the host passed, not the cleaned one.
    EXPECT_EQ(vHostCalls[i].sTarget, Ansi(sLocal));
    EXPECT_EQ(vHostCalls[i].iPercent, percents[i]);
  }
}

}  // namespace
