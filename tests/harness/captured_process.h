// TCapturedProcess starts a program as a process of its own with pipes for
// its standard input and output (standard error goes to the output too),
// collects what it prints line by line on a reader thread, and lets a test
// wait for a line to appear.
// The end of the output is not taken from the pipe's end: a process the
// child starts may keep the pipe open (under Wine the desktop process that
// the first window of a session starts does). Once the child has ended, this
// side writes an end mark into the pipe behind everything the child wrote.
// The programs run this way print text only, never the mark's byte.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TCapturedProcess {
 public:
  // sProgram is a full path; sFolder, when not empty, becomes the child's
  // current folder. dwFlags are added to CreateProcess's creation flags.
  TCapturedProcess(const std::wstring& sProgram, const std::wstring& sArguments, const std::wstring& sFolder = L"",
                   DWORD dwFlags = 0);
  // Kills the process if it still runs.
  ~TCapturedProcess();
  TCapturedProcess(const TCapturedProcess&) = delete;
  TCapturedProcess& operator=(const TCapturedProcess&) = delete;

  bool Started() const { return hProcess != nullptr; }
  DWORD ProcessId() const { return dwProcessId; }
  // A line (UTF-8) and its end of line to the standard input.
  bool WriteLine(const std::string& sLine);
  void CloseInput();
  // Waits until a line that contains sPart has been printed; false on
  // time-out or when the output ended without it.
  bool WaitForLine(const std::string& sPart, DWORD dwTimeoutMs = 30000);
  // Waits for the end of the process and of its output; false on time-out.
  bool Wait(DWORD dwTimeoutMs = 30000);
  DWORD ExitCode() const;
  // Every line printed so far, without its end of line (UTF-8 as printed).
  std::vector<std::string> Lines();
  // The lines joined by "\n", for failure messages.
  std::string Output();

 private:
  void Read();
  // Sends the end mark once the child has ended and waits for the reader to reach it.
  bool FinishOutput(DWORD dwTimeoutMs);

  HANDLE hProcess = nullptr;
  DWORD dwProcessId = 0;
  HANDLE hInput = nullptr;
  HANDLE hOutput = nullptr;
  HANDLE hOutputMark = nullptr;  // this side's own write end, for the end mark
  std::mutex mtx;
  std::condition_variable cvChanged;
  std::vector<std::string> vLines;
  std::string sPartial;
  bool bEnded = false;
  bool bMarkSent = false;
  std::thread thReader;
};

// Runs a program to its end and returns its exit code and output.
struct TRunResult {
  bool bExited = false;
  DWORD dwExitCode = 0;
  std::vector<std::string> vLines;
};
TRunResult RunToEnd(const std::wstring& sProgram, const std::wstring& sArguments, const std::wstring& sFolder = L"",
                    DWORD dwTimeoutMs = 60000);
