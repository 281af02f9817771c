// The path sender as it is used: the built Flitch.exe started as a process of
// its own with a command line, against the scripted tag server in this process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/tag_server_contract.h"
#include "common/win_text.h"
#include "plugin/win/win_handles.h"
#include "rtl/text_routines.h"
#include "tests/harness/plugin_host.h"
#include "tests/harness/scripted_tag_server.h"

namespace {

constexpr DWORD DW_RUN_TIMEOUT_MS = 30000;

struct TFlitchRun {
  bool bExited = false;
  DWORD dwExitCode = 0;
  std::string sOutput;  // whatever it wrote to its standard output and error
};

std::wstring FlitchPath() { return TPluginHost::BinaryFolder() + L"Flitch.exe"; }

// Starts Flitch with sArguments after the program name, waits for its end and
// collects what it printed.
TFlitchRun RunFlitch(const std::wstring& sArguments) {
  TFlitchRun run;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE hRead = nullptr;
  HANDLE hWrite = nullptr;
  if (!CreatePipe(&hRead, &hWrite, &sa, 0)) return run;
  TUniqueHandle read(hRead);
  TUniqueHandle write(hWrite);
  SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nullptr;
  si.hStdOutput = write.get();
  si.hStdError = write.get();
  std::wstring sCommandLine = L"\"" + FlitchPath() + L"\"";
  if (!sArguments.empty()) sCommandLine += L" " + sArguments;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(FlitchPath().c_str(), sCommandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                      &pi))
    return run;
  TUniqueHandle process(pi.hProcess);
  TUniqueHandle thread(pi.hThread);
  write.reset();  // so that reading ends once Flitch has ended

  if (WaitForSingleObject(process.get(), DW_RUN_TIMEOUT_MS) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 99);
    return run;
  }
  run.bExited = GetExitCodeProcess(process.get(), &run.dwExitCode) != 0;
  char szBuffer[256];
  DWORD dwRead = 0;
  while (ReadFile(read.get(), szBuffer, sizeof szBuffer, &dwRead, nullptr) && dwRead > 0)
    run.sOutput.append(szBuffer, dwRead);
  return run;
}

// A received message in one line, for readable comparisons.
std::string Describe(uintptr_t dwCode, uint32_t cbData, const std::u16string& sText) {
  return std::to_string(dwCode) + " cb=" + std::to_string(cbData) + " [" + TextToUtf8(sText) + "]";
}

std::vector<std::string> Received(const TScriptedTagServer& server) {
  std::vector<std::string> v;
  for (const auto& m : server.Messages()) v.push_back(Describe(m.dwCode, m.cbData, m.sText));
  return v;
}

}  // namespace

TEST(Flitch, SendsThePathWithTheCodeOfItsModeOrRefusesTheCommandLine) {
  using V = std::vector<std::string>;
  const struct {
    const wchar_t* pArguments;
    DWORD dwExitCode;
    V vReceived;
  } cases[] = {
      {LR"("C:\Docs\a b.txt" s)", 0, V{Describe(MSG_CODE_PATH_S, 32, u"C:\\Docs\\a b.txt")}},
      {LR"(C:\Docs\a.txt t)", 0, V{Describe(MSG_CODE_PATH_T, 28, u"C:\\Docs\\a.txt")}},
      {LR"(C:\Docs\a.txt tags)", 0, V{Describe(MSG_CODE_PATH_T, 28, u"C:\\Docs\\a.txt")}},
      {LR"(C:\Docs\a.txt send more args)", 0, V{Describe(MSG_CODE_PATH_S, 28, u"C:\\Docs\\a.txt")}},
      {LR"("" s)", 0, V{Describe(MSG_CODE_PATH_S, 2, u"")}},
      // The system's splitting rules: two backslashes before a closing quote give one.
      {LR"("C:\My Docs\\" s)", 0, V{Describe(MSG_CODE_PATH_S, 24, u"C:\\My Docs\\")}},
      // The wide command line, not the ANSI one: these letters are in no Western code page.
      {L"C:\\\u0422\u0435\u0441\u0442\\\u03A9mega.txt s", 0,
       V{Describe(MSG_CODE_PATH_S, 36, u"C:\\\u0422\u0435\u0441\u0442\\\u03A9mega.txt")}},
      {LR"(C:\Docs\a.txt S)", 1, V{}},
      {LR"(C:\Docs\a.txt T)", 1, V{}},
      {LR"(C:\Docs\a.txt "")", 1, V{}},
      {LR"(C:\Docs\a.txt x)", 1, V{}},
      {LR"(C:\Docs\a.txt)", 1, V{}},
      {L"", 1, V{}},
  };
  TScriptedTagServer server;
  for (const auto& c : cases) {
    const std::string sCase = TextToUtf8(AsText(c.pArguments));
    server.ClearRecords();
    const TFlitchRun run = RunFlitch(c.pArguments);
    ASSERT_TRUE(run.bExited) << sCase;
    EXPECT_EQ(run.dwExitCode, c.dwExitCode) << sCase;
    EXPECT_EQ(run.sOutput, "") << sCase;
    // The send is synchronous, so whatever Flitch sent has arrived by its end.
    EXPECT_EQ(Received(server), c.vReceived) << sCase;
  }
}

TEST(Flitch, WithoutATagServerStillEndsWithZero) {
  ASSERT_EQ(FindWindowW(AsWide(TAG_SERVER_WINDOW_CLASS), nullptr), nullptr);
  const TFlitchRun run = RunFlitch(LR"("C:\Docs\a b.txt" s)");
  ASSERT_TRUE(run.bExited);
  EXPECT_EQ(run.dwExitCode, 0u);
  EXPECT_EQ(run.sOutput, "");
}

TEST(Flitch, IsAProgramOfTheGraphicalSubsystem) {
  const HANDLE hFile =
      CreateFileW(FlitchPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(hFile, INVALID_HANDLE_VALUE) << GetLastError();
  const TUniqueHandle file(hFile);
  std::vector<char> vHead(4096);
  DWORD dwRead = 0;
  ASSERT_TRUE(ReadFile(file.get(), vHead.data(), static_cast<DWORD>(vHead.size()), &dwRead, nullptr));
  const auto* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(vHead.data());
  ASSERT_EQ(pDos->e_magic, IMAGE_DOS_SIGNATURE);
  ASSERT_LT(static_cast<DWORD>(pDos->e_lfanew) + sizeof(IMAGE_NT_HEADERS), dwRead);
  const auto* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(vHead.data() + pDos->e_lfanew);
  ASSERT_EQ(pNt->Signature, IMAGE_NT_SIGNATURE);
  EXPECT_EQ(pNt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}
