#include "tests/harness/captured_process.h"

#include <chrono>

namespace {
constexpr char END_MARK = '\x01';
}  // namespace

TCapturedProcess::TCapturedProcess(const std::wstring& sProgram, const std::wstring& sArguments,
                                   const std::wstring& sFolder, DWORD dwFlags) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE hChildIn = nullptr;
  HANDLE hChildOut = nullptr;
  if (!CreatePipe(&hChildIn, &hInput, &sa, 0)) return;
  if (!CreatePipe(&hOutput, &hChildOut, &sa, 0)) {
    CloseHandle(hChildIn);
    return;
  }
  SetHandleInformation(hInput, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(hOutput, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = hChildIn;
  si.hStdOutput = hChildOut;
  si.hStdError = hChildOut;
  std::wstring sCommandLine = L"\"" + sProgram + L"\" " + sArguments;
  PROCESS_INFORMATION pi{};
  const bool bStarted = CreateProcessW(sProgram.c_str(), sCommandLine.data(), nullptr, nullptr, TRUE, dwFlags,
                                       nullptr, sFolder.empty() ? nullptr : sFolder.c_str(), &si, &pi) != 0;
  // Keep a write end of our own, which no child inherits, for the end mark.
  DuplicateHandle(GetCurrentProcess(), hChildOut, GetCurrentProcess(), &hOutputMark, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  CloseHandle(hChildIn);
  CloseHandle(hChildOut);
  if (!bStarted) return;
  hProcess = pi.hProcess;
  dwProcessId = pi.dwProcessId;
  CloseHandle(pi.hThread);
  thReader = std::thread([this] { Read(); });
}

TCapturedProcess::~TCapturedProcess() {
  if (hProcess && WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(hProcess, 99);
    WaitForSingleObject(hProcess, 10000);
  }
  CloseInput();
  if (thReader.joinable()) {
    FinishOutput(10000);
    thReader.join();
  }
  if (hOutputMark) CloseHandle(hOutputMark);
  if (hOutput) CloseHandle(hOutput);
  if (hProcess) CloseHandle(hProcess);
}

void TCapturedProcess::Read() {
  char aBuffer[4096];
  DWORD dwRead = 0;
  while (ReadFile(hOutput, aBuffer, sizeof aBuffer, &dwRead, nullptr) && dwRead > 0) {
    std::lock_guard<std::mutex> lock(mtx);
    for (DWORD i = 0; i < dwRead; ++i) {
      if (aBuffer[i] == END_MARK && bMarkSent) {
        if (!sPartial.empty()) vLines.push_back(sPartial);
        sPartial.clear();
        bEnded = true;
        cvChanged.notify_all();
        return;
      }
      if (aBuffer[i] == '\n') {
        vLines.push_back(sPartial);
        sPartial.clear();
      } else if (aBuffer[i] != '\r') {
        sPartial += aBuffer[i];
      }
    }
    cvChanged.notify_all();
  }
  std::lock_guard<std::mutex> lock(mtx);
  if (!sPartial.empty()) vLines.push_back(sPartial);
  sPartial.clear();
  bEnded = true;
  cvChanged.notify_all();
}

bool TCapturedProcess::WriteLine(const std::string& sLine) {
  const std::string sText = sLine + "\r\n";
  DWORD dwWritten = 0;
  return hInput && WriteFile(hInput, sText.data(), static_cast<DWORD>(sText.size()), &dwWritten, nullptr) &&
         dwWritten == sText.size();
}

void TCapturedProcess::CloseInput() {
  if (hInput) CloseHandle(hInput);
  hInput = nullptr;
}

bool TCapturedProcess::WaitForLine(const std::string& sPart, DWORD dwTimeoutMs) {
  std::unique_lock<std::mutex> lock(mtx);
  size_t iChecked = 0;
  return cvChanged.wait_for(lock, std::chrono::milliseconds(dwTimeoutMs), [&] {
    for (; iChecked < vLines.size(); ++iChecked)
      if (vLines[iChecked].find(sPart) != std::string::npos) return true;
    return bEnded;
  }) && iChecked < vLines.size();
}

bool TCapturedProcess::FinishOutput(DWORD dwTimeoutMs) {
  std::unique_lock<std::mutex> lock(mtx);
  if (!bEnded && !bMarkSent && hOutputMark) {
    bMarkSent = true;
    DWORD dwWritten = 0;
    WriteFile(hOutputMark, &END_MARK, 1, &dwWritten, nullptr);
  }
  return cvChanged.wait_for(lock, std::chrono::milliseconds(dwTimeoutMs), [&] { return bEnded; });
}

bool TCapturedProcess::Wait(DWORD dwTimeoutMs) {
  if (!hProcess || WaitForSingleObject(hProcess, dwTimeoutMs) != WAIT_OBJECT_0) return false;
  return FinishOutput(dwTimeoutMs);
}

DWORD TCapturedProcess::ExitCode() const {
  DWORD dwCode = STILL_ACTIVE;
  if (hProcess) GetExitCodeProcess(hProcess, &dwCode);
  return dwCode;
}

std::vector<std::string> TCapturedProcess::Lines() {
  std::lock_guard<std::mutex> lock(mtx);
  return vLines;
}

std::string TCapturedProcess::Output() {
  std::string sText;
  for (const std::string& sLine : Lines()) sText += sLine + "\n";
  return sText;
}

TRunResult RunToEnd(const std::wstring& sProgram, const std::wstring& sArguments, const std::wstring& sFolder,
                    DWORD dwTimeoutMs) {
  TRunResult result;
  TCapturedProcess process(sProgram, sArguments, sFolder);
  process.CloseInput();
  result.bExited = process.Wait(dwTimeoutMs);
  result.dwExitCode = process.ExitCode();
  result.vLines = process.Lines();
  return result;
}
