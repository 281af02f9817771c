// The reference tag server: a console program that owns a hidden top-level
// window of class TTagsForm and serves the tag tree of a database file to
// Brackenfold, Flitch and Corvane, logging everything it receives on its
// standard output. It stops on a console break (Ctrl+C, Ctrl+Break, closing
// the console) or when its window is closed.
//
//   tag_server.exe [--action 0|1] DATABASE
//
// --action is the answer to every click (request code 40): 0 (the default)
// opens the document with its program, 1 shows its real folder.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "common/tag_server_contract.h"
#include "common/win_text.h"
#include "plugin/core/request_text.h"
#include "rtl/text_routines.h"
#include "tools/tag_server/tag_answers.h"
#include "tools/tag_server/tag_tree.h"

namespace {

constexpr int EXIT_SERVED = 0;
constexpr int EXIT_USAGE = 2;
constexpr int EXIT_NO_DATABASE = 3;
constexpr int EXIT_NO_WINDOW = 4;

// One line on the standard output: to a console as UTF-16, to a file or a
// pipe as UTF-8, at once, so that a reader sees each line as it happens.
void Log(std::u16string_view sLine) {
  const HANDLE hOut = GetStdHandle(STD_OUTPUT_HANDLE);
  const std::u16string sText = std::u16string(sLine) + u"\r\n";
  DWORD dwMode = 0;
  DWORD dwWritten = 0;
  if (GetConsoleMode(hOut, &dwMode)) {
    WriteConsoleW(hOut, AsWide(sText), static_cast<DWORD>(sText.size()), &dwWritten, nullptr);
  } else {
    const std::string sUtf8 = TextToUtf8(std::u16string(sLine) + u"\n");
    WriteFile(hOut, sUtf8.data(), static_cast<DWORD>(sUtf8.size()), &dwWritten, nullptr);
  }
}

struct TServer {
  TTagDatabase database;
  int iClickAction = 0;
  HWND hWindow = nullptr;
};
TServer server;
std::atomic<bool> bBreakReceived{false};

// Writes the answer into the request's mapping, within the mapping's size,
// then sets its event, and closes both. The answer is made once the buffer
// is open, so that it is cut to the space there really is.
void AnswerRequest(const TTagRequest& request) {
  const std::u16string sName = RequestName(request.dwNumber);
  HANDLE hMapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, AsWide(FILE_MAPPING_NAME_PREFIX + sName));
  if (!hMapping) {
    Log(u"request " + IntToText(request.dwNumber) + u": no answer buffer " + sName +
        u" (error " + IntToText(GetLastError()) + u"), not answered");
    return;
  }
  void* pView = MapViewOfFile(hMapping, FILE_MAP_WRITE, 0, 0, 0);
  if (!pView) {
    Log(u"request " + IntToText(request.dwNumber) + u": cannot map the answer buffer (error " +
        IntToText(GetLastError()) + u"), not answered");
    CloseHandle(hMapping);
    return;
  }
  MEMORY_BASIC_INFORMATION mbi{};
  VirtualQuery(pView, &mbi, sizeof mbi);
  const size_t iBufferBytes = std::min<size_t>(DW_FILE_MAPPING_SIZE, mbi.RegionSize);
  if (iBufferBytes < sizeof(char16_t)) {
    Log(u"request " + IntToText(request.dwNumber) + u": the answer buffer is too small, not answered");
    UnmapViewOfFile(pView);
    CloseHandle(hMapping);
    return;
  }
  const size_t iMaxUnits = iBufferBytes / sizeof(char16_t) - 1;

  const TServedAnswer answer = ::AnswerRequest(server.database, request, server.iClickAction, iMaxUnits);
  char16_t* pText = static_cast<char16_t*>(pView);
  std::copy(answer.sText.begin(), answer.sText.end(), pText);
  pText[answer.sText.size()] = u'\0';
  UnmapViewOfFile(pView);
  CloseHandle(hMapping);

  // The log line comes before the event: once the event is set the plugin
  // goes on, and whoever reads this log sees the answer there by then.
  HANDLE hEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, AsWide(EVENT_NAME_PREFIX + sName));
  Log(hEvent ? answer.sLog : answer.sLog + u" (but no event " + sName + u" to set)");
  if (hEvent) {
    SetEvent(hEvent);
    CloseHandle(hEvent);
  }
}

void OnCopyData(const COPYDATASTRUCT& data) {
  // The text is the sender's: copy it, up to its first NUL and within cbData.
  const std::u16string sText =
      data.lpData ? AnswerFromBuffer(static_cast<const char16_t*>(data.lpData), data.cbData / sizeof(char16_t))
                  : std::u16string();
  if (data.dwData != MSG_CODE_REQUEST) {
    Log(DescribeMessage(data.dwData, sText));
    return;
  }
  const auto request = ParseRequest(sText);
  if (!request) {
    Log(u"code 20 with a text that is not a request: \"" + sText + u"\"");
    return;
  }
  AnswerRequest(*request);
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_COPYDATA:
      OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      return TRUE;
    case WM_CLOSE:
      Log(bBreakReceived ? u"console break: stopping" : u"window closed: stopping");
      DestroyWindow(hWnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hWnd, uMsg, wParam, lParam);
  }
}

// Runs on a thread of the system's: the window's own thread closes it.
BOOL WINAPI OnConsoleBreak(DWORD /*dwType*/) {
  bBreakReceived = true;
  PostMessageW(server.hWindow, WM_CLOSE, 0, 0);
  return TRUE;
}

bool ReadDatabase(const std::u16string& sFile) {
  HANDLE hFile = CreateFileW(AsWide(sFile), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) {
    Log(u"cannot open the database \"" + sFile + u"\" (error " + IntToText(GetLastError()) + u")");
    return false;
  }
  std::string sBytes;
  char aBuffer[65536];
  DWORD dwRead = 0;
  while (ReadFile(hFile, aBuffer, sizeof aBuffer, &dwRead, nullptr) && dwRead > 0) sBytes.append(aBuffer, dwRead);
  CloseHandle(hFile);

  std::vector<TDatabaseProblem> vProblems;
  server.database = TTagDatabase::Parse(Utf8ToText(sBytes), vProblems);
  for (const TDatabaseProblem& problem : vProblems)
    Log(u"database line " + IntToText(problem.iLine) + u": " + problem.sText);
  return true;
}

int Run() {
  int iArgs = 0;
  LPWSTR* pArgs = CommandLineToArgvW(GetCommandLineW(), &iArgs);
  std::vector<std::u16string> vArgs;
  for (int i = 1; pArgs && i < iArgs; ++i) vArgs.emplace_back(AsText(pArgs[i]));
  LocalFree(pArgs);

  std::u16string sDatabase;
  for (size_t i = 0; i < vArgs.size(); ++i) {
    if (vArgs[i] == u"--action" && i + 1 < vArgs.size() && (vArgs[i + 1] == u"0" || vArgs[i + 1] == u"1")) {
      server.iClickAction = vArgs[++i] == u"1" ? 1 : 0;
    } else if (sDatabase.empty() && !vArgs[i].empty() && vArgs[i][0] != u'-') {
      sDatabase = vArgs[i];
    } else {
      sDatabase.clear();
      break;
    }
  }
  if (sDatabase.empty()) {
    Log(u"usage: tag_server.exe [--action 0|1] DATABASE");
    Log(u"  DATABASE: a UTF-8 text, one document a line: its real path, a tab, its tags separated by \";\"");
    Log(u"  --action: the answer to a click on a document: 0 open it (default), 1 show its real folder");
    return EXIT_USAGE;
  }
  if (FindWindowW(AsWide(TAG_SERVER_WINDOW_CLASS), nullptr)) {
    Log(u"another tag server already owns a TTagsForm window; not starting");
    return EXIT_NO_WINDOW;
  }
  if (!ReadDatabase(sDatabase)) return EXIT_NO_DATABASE;

  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = AsWide(TAG_SERVER_WINDOW_CLASS);
  // A hidden top-level window: FindWindow finds it, a message-only window it would not.
  if (!RegisterClassW(&wc) ||
      !(server.hWindow = CreateWindowExW(0, wc.lpszClassName, L"Reference tag server", WS_OVERLAPPED, 0, 0, 0, 0,
                                         nullptr, nullptr, wc.hInstance, nullptr))) {
    Log(u"cannot create the TTagsForm window (error " + IntToText(GetLastError()) + u")");
    return EXIT_NO_WINDOW;
  }
  SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
  Log(u"serving " + IntToText(static_cast<int64_t>(server.database.Documents().size())) + u" documents with " +
      IntToText(static_cast<int64_t>(server.database.Tags().size())) + u" tags from \"" + sDatabase +
      u"\"; click action " + IntToText(server.iClickAction) + u"; process " + IntToText(GetCurrentProcessId()));
  Log(u"ready");

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  SetConsoleCtrlHandler(OnConsoleBreak, FALSE);
  Log(u"stopped");
  return EXIT_SERVED;
}

}  // namespace

int wmain() {
  try {
    return Run();
  } catch (const std::exception& e) {
    Log(u"stopped by an error: " + Utf8ToText(e.what()));
    return 1;
  }
}
