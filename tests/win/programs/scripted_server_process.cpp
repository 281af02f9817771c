// The scripted tag server as a process of its own, for tests that cross
// process boundaries as in real use.
// Usage: scripted_server_process READY_EVENT STOP_EVENT [CODE PATH ANSWER]...
// Signals READY_EVENT once its window exists, serves until STOP_EVENT is set,
// and exits with the number of plugin requests it received.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "tests/harness/scripted_tag_server.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int iArgs = 0;
  wchar_t** ppArgs = CommandLineToArgvW(GetCommandLineW(), &iArgs);
  if (!ppArgs || iArgs < 3) return -1;
  auto text = [](const wchar_t* p) { return std::u16string(p, p + wcslen(p)); };

  TScriptedTagServer server;
  for (int i = 3; i + 2 < iArgs; i += 3) server.SetAnswer(_wtoi(ppArgs[i]), text(ppArgs[i + 1]), text(ppArgs[i + 2]));
  HANDLE hReady = OpenEventW(EVENT_MODIFY_STATE, FALSE, ppArgs[1]);
  HANDLE hStop = OpenEventW(SYNCHRONIZE, FALSE, ppArgs[2]);
  LocalFree(ppArgs);
  if (!hReady || !hStop) return -1;
  SetEvent(hReady);
  WaitForSingleObject(hStop, INFINITE);
  CloseHandle(hReady);
  CloseHandle(hStop);
  return static_cast<int>(server.Requests().size());
}
