// TChildProcess starts a program beside the test program and waits for it.
#pragma once

#include <windows.h>

#include <string>

class TChildProcess {
 public:
  // Starts BinaryFolder() + sProgram with the given argument text.
  TChildProcess(const std::wstring& sProgram, const std::wstring& sArguments);
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  bool Started() const { return pi.hProcess != nullptr; }
  // Waits for the end of the process; false on time-out.
  bool Wait(DWORD dwTimeoutMs = 30000);
  DWORD ExitCode() const;
  void Kill();

 private:
  PROCESS_INFORMATION pi = {};
};
