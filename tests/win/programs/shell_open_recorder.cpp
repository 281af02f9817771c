// A stand-in for the program that the shell starts to open a document: the
// open tests register it for a file type of their own. It writes the path
// it was started with into "<path>.opened" (UTF-16) and then sets the named
// event the test waits on. It shows no window.
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  int iCount = 0;
  wchar_t** pArgs = CommandLineToArgvW(GetCommandLineW(), &iCount);
  if (!pArgs || iCount < 2) return 2;
  const std::wstring sDocument = pArgs[1];
  LocalFree(pArgs);

  const HANDLE hRecord = CreateFileW((sDocument + L".opened").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hRecord == INVALID_HANDLE_VALUE) return 3;
  DWORD dwWritten = 0;
  WriteFile(hRecord, sDocument.data(), static_cast<DWORD>(sDocument.size() * sizeof(wchar_t)), &dwWritten, nullptr);
  CloseHandle(hRecord);

  const HANDLE hEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"BrackenfoldShellOpenRecorded");
  if (hEvent) {
    SetEvent(hEvent);
    CloseHandle(hEvent);
  }
  return 0;
}
