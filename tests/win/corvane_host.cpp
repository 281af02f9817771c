// A host process for the folder watcher's tests. It loads the library named
// on its command line and then follows commands, one line each on standard
// input, answering one line each on standard output:
//   cd PATH   makes PATH the current folder, waits for two watcher passes and
//             answers "ok" and the current folder as the system now reads it
//   passes    waits for two watcher passes
//   period    answers the last pause the watcher asked for, in ms
//   free      calls FreeLibrary on the library; answers whether it is still loaded
//   exit      ends the host with exit code 0
// A pass is counted when the watcher thread pauses between two looks at the
// current folder: the host replaces the Sleep import in the library's import
// table by one that counts and then sleeps as asked. The second pause after a
// change ends a pass that began after the change, so by then the watcher has
// seen the new folder and any message it sent for it has been handled.
#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>

namespace {

constexpr int PASSES_PER_WAIT = 2;
constexpr DWORD DW_PASS_TIMEOUT_MS = 20000;

std::mutex mtxPasses;
std::condition_variable cvPasses;
long long iPasses = 0;
DWORD dwLastPauseMs = 0;
decltype(&Sleep) pRealSleep = nullptr;

VOID WINAPI CountingSleep(DWORD dwMs) {
  {
    std::lock_guard<std::mutex> lock(mtxPasses);
    ++iPasses;
    dwLastPauseMs = dwMs;
  }
  cvPasses.notify_all();
  pRealSleep(dwMs);
}

bool WaitForPasses() {
  std::unique_lock<std::mutex> lock(mtxPasses);
  const long long iTarget = iPasses + PASSES_PER_WAIT;
  return cvPasses.wait_for(lock, std::chrono::milliseconds(DW_PASS_TIMEOUT_MS),
                           [&] { return iPasses >= iTarget; });
}

// Points the module's import of szDll!szName at pHook; false when it has none.
bool ReplaceImport(HMODULE hModule, const char* szDll, const char* szName, void* pHook, void** ppOriginal) {
  auto* pBase = reinterpret_cast<BYTE*>(hModule);
  const auto* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(pBase);
  const auto* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return false;
  for (auto* pDesc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + imports.VirtualAddress); pDesc->Name;
       ++pDesc) {
    if (_stricmp(reinterpret_cast<const char*>(pBase + pDesc->Name), szDll) != 0 || !pDesc->OriginalFirstThunk)
      continue;
    auto* pNames = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDesc->OriginalFirstThunk);
    auto* pSlots = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDesc->FirstThunk);
    for (; pNames->u1.AddressOfData; ++pNames, ++pSlots) {
      if (IMAGE_SNAP_BY_ORDINAL(pNames->u1.Ordinal)) continue;
      const auto* pByName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(pBase + pNames->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(pByName->Name), szName) != 0) continue;
      DWORD dwProtect = 0;
      if (!VirtualProtect(&pSlots->u1.Function, sizeof pSlots->u1.Function, PAGE_READWRITE, &dwProtect))
        return false;
      *ppOriginal = reinterpret_cast<void*>(pSlots->u1.Function);
      InterlockedExchangePointer(reinterpret_cast<void**>(&pSlots->u1.Function), pHook);
      VirtualProtect(&pSlots->u1.Function, sizeof pSlots->u1.Function, dwProtect, &dwProtect);
      return true;
    }
  }
  return false;
}

bool ReadLine(std::string& sLine) {
  sLine.clear();
  const HANDLE hInput = GetStdHandle(STD_INPUT_HANDLE);
  for (;;) {
    char c = 0;
    DWORD dwRead = 0;
    if (!ReadFile(hInput, &c, 1, &dwRead, nullptr) || dwRead == 0) return !sLine.empty();
    if (c == '\n') return true;
    if (c != '\r') sLine += c;
  }
}

void WriteLine(const std::string& sLine) {
  const std::string sOut = sLine + "\n";
  DWORD dwWritten = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), sOut.data(), static_cast<DWORD>(sOut.size()), &dwWritten, nullptr);
}

std::wstring FromUtf8(const std::string& sUtf8) {
  if (sUtf8.empty()) return {};
  const int iLength = MultiByteToWideChar(CP_UTF8, 0, sUtf8.data(), static_cast<int>(sUtf8.size()), nullptr, 0);
  std::wstring sWide(static_cast<size_t>(iLength), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, sUtf8.data(), static_cast<int>(sUtf8.size()), sWide.data(), iLength);
  return sWide;
}

std::string ToUtf8(const std::wstring& sWide) {
  if (sWide.empty()) return {};
  const int iBytes =
      WideCharToMultiByte(CP_UTF8, 0, sWide.data(), static_cast<int>(sWide.size()), nullptr, 0, nullptr, nullptr);
  std::string sUtf8(static_cast<size_t>(iBytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, sWide.data(), static_cast<int>(sWide.size()), sUtf8.data(), iBytes, nullptr,
                      nullptr);
  return sUtf8;
}

std::string CurrentFolder() {
  wchar_t szFolder[MAX_PATH * 2] = {};
  const DWORD dwLength = GetCurrentDirectoryW(MAX_PATH * 2, szFolder);
  return ToUtf8(std::wstring(szFolder, dwLength < MAX_PATH * 2 ? dwLength : 0));
}

}  // namespace

// A crash on any thread ends the host at once with this code, without a
// debugger or a dialog, so that the test sees it by the exit code.
constexpr UINT CRASH_EXIT_CODE = 98;
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* /*pException*/) {
  TerminateProcess(GetCurrentProcess(), CRASH_EXIT_CODE);
  return EXCEPTION_EXECUTE_HANDLER;
}

int main() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(EndOnCrash);
  int iCount = 0;
  LPWSTR* pArgs = CommandLineToArgvW(GetCommandLineW(), &iCount);
  if (!pArgs || iCount < 2) {
    WriteLine("error usage");
    return 2;
  }
  const std::wstring sLibrary = pArgs[1];
  LocalFree(pArgs);

  HMODULE hLibrary = LoadLibraryW(sLibrary.c_str());
  if (!hLibrary) {
    WriteLine("error load " + std::to_string(GetLastError()));
    return 2;
  }
  if (!ReplaceImport(hLibrary, "kernel32.dll", "Sleep", reinterpret_cast<void*>(&CountingSleep),
                     reinterpret_cast<void**>(&pRealSleep))) {
    WriteLine("error no Sleep import");
    return 2;
  }
  WriteLine("loaded");

  std::string sLine;
  while (ReadLine(sLine)) {
    if (sLine.rfind("cd ", 0) == 0) {
      if (!SetCurrentDirectoryW(FromUtf8(sLine.substr(3)).c_str()))
        WriteLine("error cd " + std::to_string(GetLastError()));
      else
        WriteLine(WaitForPasses() ? "ok " + CurrentFolder() : "timeout");
    } else if (sLine == "passes") {
      WriteLine(WaitForPasses() ? "ok" : "timeout");
    } else if (sLine == "period") {
      std::lock_guard<std::mutex> lock(mtxPasses);
      WriteLine(std::to_string(dwLastPauseMs));
    } else if (sLine == "free") {
      FreeLibrary(hLibrary);
      WriteLine(GetModuleHandleW(sLibrary.c_str()) ? "loaded" : "unloaded");
    } else if (sLine == "exit") {
      return 0;
    } else {
      WriteLine("error command " + sLine);
    }
  }
  return 3;
}
