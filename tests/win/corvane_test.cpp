// The folder watcher as it is used: the built library loaded into a host
// process of its own (corvane_host) that changes its current folder on the
// test's commands and tells when the watcher has looked again, against the
// scripted tag server in this process.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/tag_server_contract.h"
#include "common/win_text.h"
#include "plugin/win/win_handles.h"
#include "rtl/text_routines.h"
#include "tests/harness/plugin_host.h"
#include "tests/harness/scripted_tag_server.h"

namespace {

constexpr DWORD DW_EXIT_TIMEOUT_MS = 30000;

std::string Utf8(const std::wstring& sWide) { return TextToUtf8(Text(sWide)); }

std::wstring Upper(std::wstring sText) {
  if (!sText.empty()) CharUpperBuffW(sText.data(), static_cast<DWORD>(sText.size()));
  return sText;
}

std::wstring HostPath() { return TPluginHost::BinaryFolder() + L"corvane_host.exe"; }
std::wstring WatcherPath() { return TPluginHost::BinaryFolder() + WATCHER_FILE_NAME; }
// The folder of the host as it lies beside the test program, without the trailing backslash.
std::wstring HostFolder() { return Wide(ExcludeTrailingBackslash(Text(TPluginHost::BinaryFolder()))); }

// A running corvane_host with the watcher loaded, talked to through its
// standard input and output, one line per command and per answer.
class THostProcess {
 public:
  THostProcess(const std::wstring& sHostPath, const std::wstring& sFolder) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE hChildIn = nullptr;
    HANDLE hParentOut = nullptr;
    HANDLE hParentIn = nullptr;
    HANDLE hChildOut = nullptr;
    if (!CreatePipe(&hChildIn, &hParentOut, &sa, 0)) return;
    TUniqueHandle childIn(hChildIn);
    toHost.reset(hParentOut);
    if (!CreatePipe(&hParentIn, &hChildOut, &sa, 0)) return;
    TUniqueHandle childOut(hChildOut);
    fromHost.reset(hParentIn);
    SetHandleInformation(toHost.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(fromHost.get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = childIn.get();
    si.hStdOutput = childOut.get();
    si.hStdError = childOut.get();
    std::wstring sCommandLine = L"\"" + sHostPath + L"\" \"" + WatcherPath() + L"\"";
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(sHostPath.c_str(), sCommandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        sFolder.c_str(), &si, &pi))
      return;
    process.reset(pi.hProcess);
    TUniqueHandle thread(pi.hThread);
    sGreeting = ReadLine();
  }

  ~THostProcess() {
    if (process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process.get(), 99);
      WaitForSingleObject(process.get(), DW_EXIT_TIMEOUT_MS);
    }
  }

  // "loaded" once the watcher is in and the host counts its passes.
  const std::string& Greeting() const { return sGreeting; }

  std::string Command(const std::string& sCommand) {
    const std::string sLine = sCommand + "\n";
    DWORD dwWritten = 0;
    if (!WriteFile(toHost.get(), sLine.data(), static_cast<DWORD>(sLine.size()), &dwWritten, nullptr))
      return "write failed";
    return ReadLine();
  }
  std::string ChangeFolder(const std::wstring& sFolder) { return Command("cd " + Utf8(sFolder)); }
  std::string WaitForPasses() { return Command("passes"); }

  // Asks the host to end; its exit code, or 99 when it did not end in time.
  DWORD Exit() {
    Command("exit");
    DWORD dwExitCode = 99;
    if (WaitForSingleObject(process.get(), DW_EXIT_TIMEOUT_MS) == WAIT_OBJECT_0)
      GetExitCodeProcess(process.get(), &dwExitCode);
    return dwExitCode;
  }

 private:
  // One answer line; empty once the host has gone.
  std::string ReadLine() {
    std::string sLine;
    for (;;) {
      char c = 0;
      DWORD dwRead = 0;
      if (!ReadFile(fromHost.get(), &c, 1, &dwRead, nullptr) || dwRead == 0) return sLine;
      if (c == '\n') return sLine;
      if (c != '\r') sLine += c;
    }
  }

  TUniqueHandle process;
  TUniqueHandle toHost;
  TUniqueHandle fromHost;
  std::string sGreeting;
};

std::string Describe(uintptr_t dwCode, uint32_t cbData, const std::u16string& sText) {
  return std::to_string(dwCode) + " cb=" + std::to_string(cbData) + " [" + TextToUtf8(sText) + "]";
}

// What the watcher should have sent for these folders, in order.
std::vector<std::string> Reports(const std::vector<std::wstring>& vFolders) {
  std::vector<std::string> v;
  for (const auto& sFolder : vFolders)
    v.push_back(Describe(MSG_CODE_WATCHED_FOLDER, static_cast<uint32_t>((sFolder.size() + 1) * 2), Text(sFolder)));
  return v;
}

std::vector<std::string> Received(const TScriptedTagServer& server) {
  std::vector<std::string> v;
  for (const auto& m : server.Messages()) v.push_back(Describe(m.dwCode, m.cbData, m.sText));
  return v;
}

std::string Moved(const std::wstring& sFolder) { return "ok " + Utf8(sFolder); }

// Folders of the test's own under C:\ of the prefix, removed afterwards.
class CorvaneWatch : public ::testing::Test {
 protected:
  void SetUp() override {
    sRoot = L"C:\\corvane_test_" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(sRoot.c_str(), nullptr)) << GetLastError();
    for (const wchar_t* pName : {L"Docs", L"Other", L"Third"})
      ASSERT_TRUE(CreateDirectoryW(Folder(pName).c_str(), nullptr)) << GetLastError();
  }
  void TearDown() override {
    for (const wchar_t* pName : {L"Docs", L"Other", L"Third"}) RemoveDirectoryW(Folder(pName).c_str());
    RemoveDirectoryW(sRoot.c_str());
  }
  std::wstring Folder(const wchar_t* pName) const { return sRoot + L"\\" + pName; }

  std::wstring sRoot;
};

}  // namespace

TEST_F(CorvaneWatch, FirstFolderIsReportedAtOnceAndOnlyOnce) {
  TScriptedTagServer server;
  THostProcess host(HostPath(), Folder(L"Docs"));
  ASSERT_EQ(host.Greeting(), "loaded");
  ASSERT_TRUE(server.WaitForMessages(1));
  EXPECT_EQ(host.WaitForPasses(), "ok");
  EXPECT_EQ(host.WaitForPasses(), "ok");
  EXPECT_EQ(Received(server), Reports({Folder(L"Docs")}));
  EXPECT_EQ(host.Command("period"), std::to_string(500));
  EXPECT_EQ(host.Exit(), 0u);
}

TEST_F(CorvaneWatch, NothingIsSentWhileTheHostSitsInItsExecutableFolder) {
  TScriptedTagServer server;
  THostProcess host(HostPath(), HostFolder());
  ASSERT_EQ(host.Greeting(), "loaded");
  EXPECT_EQ(host.WaitForPasses(), "ok");
  EXPECT_EQ(host.ChangeFolder(Upper(HostFolder())), Moved(Upper(HostFolder())));
  EXPECT_EQ(Received(server), Reports({}));
  EXPECT_EQ(host.ChangeFolder(Folder(L"Docs")), Moved(Folder(L"Docs")));
  EXPECT_EQ(Received(server), Reports({Folder(L"Docs")}));
  EXPECT_EQ(host.Exit(), 0u);
}

TEST_F(CorvaneWatch, ExecutableFolderInBetweenKeepsTheLastReportedFolder) {
  TScriptedTagServer server;
  THostProcess host(HostPath(), Folder(L"Docs"));
  ASSERT_EQ(host.Greeting(), "loaded");
  EXPECT_EQ(host.WaitForPasses(), "ok");
  EXPECT_EQ(host.ChangeFolder(HostFolder()), Moved(HostFolder()));
  EXPECT_EQ(host.ChangeFolder(Folder(L"Docs")), Moved(Folder(L"Docs")));
  EXPECT_EQ(Received(server), Reports({Folder(L"Docs")}));
  EXPECT_EQ(host.Exit(), 0u);
}

TEST_F(CorvaneWatch, CaseIsIgnoredButEveryOtherChangeIsSent) {
  TScriptedTagServer server;
  THostProcess host(HostPath(), Folder(L"Docs"));
  ASSERT_EQ(host.Greeting(), "loaded");
  EXPECT_EQ(host.WaitForPasses(), "ok");
  // The host reads the folder back in the case it was given, so the watcher sees C:\...\DOCS.
  EXPECT_EQ(host.ChangeFolder(Upper(Folder(L"Docs"))), Moved(Upper(Folder(L"Docs"))));
  EXPECT_EQ(Received(server), Reports({Folder(L"Docs")}));
  EXPECT_EQ(host.ChangeFolder(Folder(L"Other")), Moved(Folder(L"Other")));
  EXPECT_EQ(host.ChangeFolder(Upper(Folder(L"Docs"))), Moved(Upper(Folder(L"Docs"))));
  EXPECT_EQ(Received(server), Reports({Folder(L"Docs"), Folder(L"Other"), Upper(Folder(L"Docs"))}));
  EXPECT_EQ(host.Exit(), 0u);
}

TEST_F(CorvaneWatch, DriveRootOfTheExecutableIsSkippedAndAnotherRootKeepsItsBackslash) {
  // A copy of the host in the root of C:; Z: is the prefix's other drive.
  const std::wstring sRootHost = L"C:\\corvane_root_host_" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  ASSERT_TRUE(CopyFileW(HostPath().c_str(), sRootHost.c_str(), TRUE)) << GetLastError();
  {
    TScriptedTagServer server;
    THostProcess host(sRootHost, L"C:\\");
    ASSERT_EQ(host.Greeting(), "loaded");
    EXPECT_EQ(host.WaitForPasses(), "ok");
    EXPECT_EQ(Received(server), Reports({}));
    EXPECT_EQ(host.ChangeFolder(L"Z:\\"), Moved(L"Z:\\"));
    EXPECT_EQ(host.ChangeFolder(L"C:\\"), Moved(L"C:\\"));
    EXPECT_EQ(Received(server), Reports({L"Z:\\"}));
    EXPECT_EQ(host.Exit(), 0u);
  }
  EXPECT_TRUE(DeleteFileW(sRootHost.c_str())) << GetLastError();
}

TEST_F(CorvaneWatch, FreeLibraryByTheHostLeavesTheWatcherRunning) {
  TScriptedTagServer server;
  THostProcess host(HostPath(), Folder(L"Docs"));
  ASSERT_EQ(host.Greeting(), "loaded");
  ASSERT_TRUE(server.WaitForMessages(1));
  EXPECT_EQ(host.Command("free"), "loaded");
  EXPECT_EQ(host.ChangeFolder(Folder(L"Other")), Moved(Folder(L"Other")));
  EXPECT_EQ(Received(server), Reports({Folder(L"Docs"), Folder(L"Other")}));
  EXPECT_EQ(host.Exit(), 0u);
}

TEST_F(CorvaneWatch, PollingGoesOnWithoutAServerAndRemembersWhatItSent) {
  ASSERT_EQ(FindWindowW(AsWide(TAG_SERVER_WINDOW_CLASS), nullptr), nullptr);
  THostProcess host(HostPath(), Folder(L"Docs"));
  ASSERT_EQ(host.Greeting(), "loaded");
  EXPECT_EQ(host.WaitForPasses(), "ok");
  EXPECT_EQ(host.ChangeFolder(Folder(L"Other")), Moved(Folder(L"Other")));
  // Other went out to nobody; once a server is there it is not sent again.
  TScriptedTagServer server;
  EXPECT_EQ(host.WaitForPasses(), "ok");
  EXPECT_EQ(Received(server), Reports({}));
  EXPECT_EQ(host.ChangeFolder(Folder(L"Third")), Moved(Folder(L"Third")));
  EXPECT_EQ(Received(server), Reports({Folder(L"Third")}));
  EXPECT_EQ(host.Exit(), 0u);
}
