// One request to the tag server with a short answer: GetOmbrixData, many
// times, against the floor of the same system calls written out inline
// (create the named event and the 10 MiB named mapping, map it, send, wait,
// copy the answer, unmap, close). Also what the protocol's fresh objects
// cost: that sequence against the same send and wait with the objects made
// once and kept.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/common/figures.h"
#include "bench/win/bench_support.h"
#include "common/messages.h"
#include "common/tag_server_contract.h"
#include "common/win_text.h"
#include "plugin/core/request_text.h"
#include "plugin/win/global_state.h"
#include "plugin/win/request_channel.h"
#include "tests/harness/scripted_tag_server.h"

namespace {

const std::u16string PATH = u"\\Projects\\Invoices\\report 2024.pdf";
const std::u16string ANSWER = u"C:\\Users\\Brackenfold\\Documents\\report 2024.pdf";

// Reads the answer the way a request does: up to the first NUL, within the buffer.
std::u16string CopyAnswer(const void* pView) {
  const wchar_t* pText = static_cast<const wchar_t*>(pView);
  return std::u16string(AsText(pText), wcsnlen(pText, DW_FILE_MAPPING_SIZE / sizeof(wchar_t)));
}

void Send(const std::u16string& sText) {
  COPYDATASTRUCT data{};
  data.dwData = MSG_CODE_REQUEST;
  data.cbData = static_cast<DWORD>((sText.size() + 1) * sizeof(char16_t));
  data.lpData = const_cast<char16_t*>(sText.c_str());
  SendMessageW(FindWindowW(AsWide(TAG_SERVER_WINDOW_CLASS), nullptr), WM_COPYDATA, 0,
               reinterpret_cast<LPARAM>(&data));
}

bool PluginRequests(int iCount) {
  for (int i = 0; i < iCount; ++i) {
    std::u16string sAnswer;
    if (!GetOmbrixData(PATH, sAnswer, REQUEST_REAL_PATH) || sAnswer != ANSWER) return false;
  }
  return true;
}

// The request's system calls one after the other, nothing else.
bool InlineRequests(int iCount) {
  const std::u16string sEventName = EVENT_NAME_PREFIX + RequestName(1);
  const std::u16string sMappingName = FILE_MAPPING_NAME_PREFIX + RequestName(1);
  for (int i = 0; i < iCount; ++i) {
    HANDLE hEvent = CreateEventW(nullptr, TRUE, FALSE, AsWide(sEventName));
    HANDLE hMapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DW_FILE_MAPPING_SIZE,
                                         AsWide(sMappingName));
    void* pView = MapViewOfFile(hMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0);
    Send(RequestText(1, REQUEST_REAL_PATH, PATH));
    const bool bAnswered = WaitForSingleObject(hEvent, DW_ANSWER_TIMEOUT_MS) == WAIT_OBJECT_0;
    const std::u16string sAnswer = bAnswered ? CopyAnswer(pView) : std::u16string();
    UnmapViewOfFile(pView);
    CloseHandle(hMapping);
    CloseHandle(hEvent);
    if (sAnswer != ANSWER) return false;
  }
  return true;
}

// The same send and wait on objects made once: what is left of a request
// when nothing is created for it.
bool KeptObjectRequests(int iCount) {
  HANDLE hEvent = CreateEventW(nullptr, TRUE, FALSE, AsWide(EVENT_NAME_PREFIX + RequestName(1)));
  HANDLE hMapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DW_FILE_MAPPING_SIZE,
                                       AsWide(FILE_MAPPING_NAME_PREFIX + RequestName(1)));
  void* pView = MapViewOfFile(hMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0);
  bool bOk = true;
  for (int i = 0; bOk && i < iCount; ++i) {
    ResetEvent(hEvent);
    Send(RequestText(1, REQUEST_REAL_PATH, PATH));
    bOk = WaitForSingleObject(hEvent, DW_ANSWER_TIMEOUT_MS) == WAIT_OBJECT_0 && CopyAnswer(pView) == ANSWER;
  }
  UnmapViewOfFile(pView);
  CloseHandle(hMapping);
  CloseHandle(hEvent);
  return bOk;
}

template <typename F>
double TimePerRequest(F run, int iCount, bool& bOk) {
  TStopwatch watch;
  if (!run(iCount)) bOk = false;
  return watch.Seconds() / iCount;
}

}  // namespace

int main(int argc, char** argv) {
  const bool bSmoke = HasSmokeFlag(argc, argv);
  const int iRounds = bSmoke ? 2 : 10;
  const int iPerRound = bSmoke ? 25 : 200;

  LangID = LANGID_ENGLISH;
  TMessageBoxRecorder recorder;
  TScriptedTagServer server;
  server.SetAnswer(REQUEST_REAL_PATH, PATH, ANSWER);

  bool bOk = PluginRequests(5) && InlineRequests(5) && KeptObjectRequests(5);  // warm-up
  std::vector<double> vPlugin, vInline, vKept;
  for (int iRound = 0; bOk && iRound < iRounds; ++iRound) {
    // Interleaved rounds, so that all three see the same state of the machine.
    vPlugin.push_back(TimePerRequest(PluginRequests, iPerRound, bOk));
    vInline.push_back(TimePerRequest(InlineRequests, iPerRound, bOk));
    vKept.push_back(TimePerRequest(KeptObjectRequests, iPerRound, bOk));
  }
  if (!bOk) {
    std::fprintf(stderr, "request: a request was not answered as scripted\n");
    NoBoxesShown(recorder, "request");
    return 1;
  }
  const double dPlugin = Best(vPlugin), dInline = Best(vInline), dKept = Best(vKept);
  PrintTime("request round trip, GetOmbrixData", dPlugin * 1e6, "us");
  PrintTime("request round trip, the same system calls inline", dInline * 1e6, "us");
  PrintTime("send and wait on kept objects", dKept * 1e6, "us");
  PrintFigure("Request round trip, plugin / the same system calls inline", dPlugin / dInline, TTargetKind::AT_MOST,
              1.10);
  PrintFigure("Protocol cost: fresh objects per request / kept objects", dInline / dKept, TTargetKind::NONE, 0);
  return NoBoxesShown(recorder, "request") ? 0 : 1;
}
