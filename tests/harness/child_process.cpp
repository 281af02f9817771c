#include "tests/harness/child_process.h"

#include "tests/harness/plugin_host.h"

TChildProcess::TChildProcess(const std::wstring& sProgram, const std::wstring& sArguments) {
  const std::wstring sPath = TPluginHost::BinaryFolder() + sProgram;
  std::wstring sCommandLine = L"\"" + sPath + L"\" " + sArguments;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  if (!CreateProcessW(sPath.c_str(), sCommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    pi = {};
}

TChildProcess::~TChildProcess() {
  if (pi.hProcess) {
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) Kill();
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
}

bool TChildProcess::Wait(DWORD dwTimeoutMs) {
  return pi.hProcess && WaitForSingleObject(pi.hProcess, dwTimeoutMs) == WAIT_OBJECT_0;
}

DWORD TChildProcess::ExitCode() const {
  DWORD dwCode = STILL_ACTIVE;
  if (pi.hProcess) GetExitCodeProcess(pi.hProcess, &dwCode);
  return dwCode;
}

void TChildProcess::Kill() {
  if (pi.hProcess) {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 10000);
  }
}
