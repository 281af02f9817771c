// End to end, as in real use: the reference tag server, the real plugin in
// the command-line host, Flitch and Corvane, each a process of its own,
// over a small document set of the test's own.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/tag_server_contract.h"
#include "common/win_text.h"
#include "plugin/win/request_channel.h"
#include "rtl/text_routines.h"
#include "tests/harness/captured_process.h"
#include "tests/harness/message_box_recorder.h"
#include "tests/harness/plugin_host.h"
#include "tools/tag_server/tag_answers.h"

namespace {

constexpr DWORD DW_WAIT_MS = 30000;

std::string Utf8(const std::wstring& sWide) { return TextToUtf8(Text(sWide)); }
std::string Utf8(const std::u16string& sText) { return TextToUtf8(sText); }

std::wstring Tool(const wchar_t* pName) { return TPluginHost::BinaryFolder() + pName; }
std::wstring Quote(const std::wstring& sText) { return L"\"" + sText + L"\""; }

bool WriteBytes(const std::wstring& sFile, const std::string& sBytes) {
  std::ofstream file(sFile.c_str(), std::ios::binary);
  file << sBytes;
  return static_cast<bool>(file);
}

std::string ReadBytes(const std::wstring& sFile) {
  std::ifstream file(sFile.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool Contains(const std::vector<std::string>& vLines, const std::string& sPart) {
  for (const std::string& sLine : vLines)
    if (sLine.find(sPart) != std::string::npos) return true;
  return false;
}

std::string Joined(const std::vector<std::string>& vLines) {
  std::string sText;
  for (const std::string& sLine : vLines) sText += sLine + "\n";
  return sText;
}

// Waits for the end of every command processor in the session: the one the
// shell started for a document holds the document's folder while it runs.
bool WaitForCommandProcessors(DWORD dwTimeoutMs) {
  const HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (hSnapshot == INVALID_HANDLE_VALUE) return false;
  bool bAllEnded = true;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL bMore = Process32FirstW(hSnapshot, &entry); bMore; bMore = Process32NextW(hSnapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, L"cmd.exe") != 0) continue;
    if (HANDLE hProcess = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
      bAllEnded = WaitForSingleObject(hProcess, dwTimeoutMs) == WAIT_OBJECT_0 && bAllEnded;
      CloseHandle(hProcess);
    }
  }
  CloseHandle(hSnapshot);
  return bAllEnded;
}

// The document set: every document carries Work; Clients holds two
// documents of one name from two real folders.
class ReferenceServer : public ::testing::Test {
 protected:
  void SetUp() override {
    sRoot = L"C:\\reference_server_test_" + std::to_wstring(GetCurrentProcessId());
    for (const wchar_t* pFolder : {L"", L"\\docs", L"\\more", L"\\out"})
      ASSERT_TRUE(CreateDirectoryW((sRoot + pFolder).c_str(), nullptr)) << GetLastError();
    ASSERT_TRUE(WriteBytes(Path(L"\\docs\\plan.txt"), "the plan\r\n"));
    ASSERT_TRUE(WriteBytes(Path(L"\\docs\\report.txt"), std::string(70000, 'r')));
    ASSERT_TRUE(WriteBytes(Path(L"\\more\\report.txt"), "another report\r\n"));
    // Opened with its associated program (the command processor), it leaves a mark.
    ASSERT_TRUE(WriteBytes(Path(L"\\docs\\run.cmd"), "@echo opened> \"" + Utf8(Path(L"\\opened.txt")) + "\"\r\n"));
    const std::string sDocs = Utf8(sRoot);
    ASSERT_TRUE(WriteBytes(Path(L"\\tags.txt"), sDocs + "\\docs\\plan.txt\tWork; Plans\r\n" + sDocs +
                                                   "\\docs\\report.txt\tWork;Clients\r\n" + sDocs +
                                                   "\\docs\\run.cmd\tWork;Scripts\r\n" + sDocs +
                                                   "\\more\\report.txt\tClients\r\n"));
  }

  void TearDown() override {
    if (pServer) StopServer();
    for (const wchar_t* pFile : {L"\\docs\\plan.txt", L"\\docs\\report.txt", L"\\docs\\run.cmd",
                                 L"\\more\\report.txt", L"\\tags.txt", L"\\opened.txt", L"\\out\\plan.txt",
                                 L"\\out\\report.txt"})
      DeleteFileW(Path(pFile).c_str());
    for (const wchar_t* pFolder : {L"\\docs", L"\\more", L"\\out", L""}) RemoveDirectoryW(Path(pFolder).c_str());
  }

  std::wstring Path(const wchar_t* pRelative) const { return sRoot + pRelative; }

  void StartServer(int iAction) {
    ASSERT_EQ(FindWindowW(AsWide(TAG_SERVER_WINDOW_CLASS), nullptr), nullptr) << "a tag server is already running";
    pServer = std::make_unique<TCapturedProcess>(
        Tool(L"tag_server.exe"), L"--action " + std::to_wstring(iAction) + L" " + Quote(Path(L"\\tags.txt")));
    ASSERT_TRUE(pServer->Started());
    ASSERT_TRUE(pServer->WaitForLine("ready", DW_WAIT_MS)) << pServer->Output();
  }

  // Closes the server's window, as a user would, and expects a clean end.
  void StopServer() {
    PostMessageW(FindWindowW(AsWide(TAG_SERVER_WINDOW_CLASS), nullptr), WM_CLOSE, 0, 0);
    EXPECT_TRUE(pServer->Wait(DW_WAIT_MS)) << pServer->Output();
    EXPECT_EQ(pServer->ExitCode(), 0u) << pServer->Output();
    EXPECT_TRUE(Contains(pServer->Lines(), "window closed: stopping")) << pServer->Output();
    EXPECT_TRUE(Contains(pServer->Lines(), "stopped")) << pServer->Output();
    pServer.reset();
  }

  // The command-line host with the real plugin, closing any box it shows.
  TRunResult Host(const std::wstring& sCommand) {
    return RunToEnd(Tool(L"plugin_host.exe"), L"--auto-close " + Quote(TPluginHost::PluginPath()) + L" " + sCommand);
  }

  std::wstring sRoot;
  std::unique_ptr<TCapturedProcess> pServer;
};

}  // namespace

TEST_F(ReferenceServer, HostShowsTheTreeThatNarrowsWithEveryTag) {
  StartServer(0);
  const TRunResult run = Host(L"tree \\");
  ASSERT_TRUE(run.bExited);
  EXPECT_EQ(run.dwExitCode, 0u) << Joined(run.vLines);
  const std::vector<std::u16string> vExpected = {
      u"\\",
      u"├── Work\\",
      u"│   ├── Plans\\",
      u"│   │   └── plan.txt",
      u"│   ├── Clients\\",
      u"│   │   └── report.txt",
      u"│   ├── Scripts\\",
      u"│   │   └── run.cmd",
      u"│   ├── plan.txt",
      u"│   ├── report.txt",
      u"│   └── run.cmd",
      u"├── Plans\\",
      u"│   └── plan.txt",
      u"├── Clients\\",
      u"│   ├── Work\\",
      u"│   │   └── report.txt",
      u"│   ├── report.txt",
      u"│   └── report.txt",
      u"└── Scripts\\",
      u"    └── run.cmd",
  };
  std::vector<std::string> vExpectedLines;
  for (const std::u16string& sLine : vExpected) vExpectedLines.push_back(Utf8(sLine));
  EXPECT_EQ(run.vLines, vExpectedLines);
  EXPECT_TRUE(Contains(pServer->Lines(), "listing of \"\\Clients\\Work\": 0 folders, 1 document"))
      << pServer->Output();
}

TEST_F(ReferenceServer, ListingShowsTheRealFilesSizesAndAFolderThatNamesNothingFails) {
  StartServer(0);
  const TRunResult run = Host(L"ls \\Clients");
  ASSERT_TRUE(run.bExited);
  EXPECT_EQ(run.dwExitCode, 0u) << Joined(run.vLines);
  ASSERT_EQ(run.vLines.size(), 4u) << Joined(run.vLines);
  EXPECT_NE(run.vLines[0].find("<DIR>"), std::string::npos);
  EXPECT_NE(run.vLines[0].find("  Work"), std::string::npos);
  // Both documents named report.txt, each with its own real size and a date.
  EXPECT_NE(run.vLines[1].find("       70000  20"), std::string::npos) << run.vLines[1];
  EXPECT_NE(run.vLines[1].find("-a--  report.txt"), std::string::npos) << run.vLines[1];
  EXPECT_NE(run.vLines[2].find("          16  20"), std::string::npos) << run.vLines[2];
  EXPECT_EQ(run.vLines[3], "1 folder, 2 files, 70016 bytes");

  const TRunResult missing = Host(L"ls \\Clients\\Plans");
  ASSERT_TRUE(missing.bExited);
  EXPECT_EQ(missing.dwExitCode, 1u);
  // The plugin's own message box, shown and closed, then the host's report.
  ASSERT_EQ(missing.vLines.size(), 2u) << Joined(missing.vLines);
  EXPECT_NE(missing.vLines[0].find("message box \"Quillery: Brackenfold::FsFindFirst\": \"\\Clients\\Plans: "),
            std::string::npos)
      << missing.vLines[0];
  EXPECT_EQ(missing.vLines[1].rfind("cannot enter \"\\Clients\\Plans\": error 3", 0), 0u) << missing.vLines[1];
  EXPECT_TRUE(Contains(pServer->Lines(), "listing of \"\\Clients\\Plans\": no such folder, answered RR_INVALID_PATH"))
      << pServer->Output();
}

TEST_F(ReferenceServer, CopiesADocumentOutWithProgress) {
  StartServer(0);
  const TRunResult run = Host(L"get \\Work\\Clients\\report.txt " + Quote(Path(L"\\out\\report.txt")));
  ASSERT_TRUE(run.bExited);
  EXPECT_EQ(run.dwExitCode, 0u) << Joined(run.vLines);
  EXPECT_EQ(ReadBytes(Path(L"\\out\\report.txt")), std::string(70000, 'r'));
  EXPECT_TRUE(Contains(run.vLines, "100%")) << Joined(run.vLines);
  EXPECT_TRUE(Contains(run.vLines, "done (FS_FILE_OK): 70000 bytes")) << Joined(run.vLines);
  EXPECT_EQ(ReadBytes(Path(L"\\docs\\report.txt")), std::string(70000, 'r'));

  // The target is there now: the host does not replace it unasked.
  const TRunResult again = Host(L"get \\Work\\plan.txt " + Quote(Path(L"\\out\\report.txt")));
  ASSERT_TRUE(again.bExited);
  EXPECT_EQ(again.dwExitCode, 1u) << Joined(again.vLines);
  EXPECT_TRUE(Contains(again.vLines, "the target exists")) << Joined(again.vLines);
  const TRunResult replaced = Host(L"get \\Work\\plan.txt " + Quote(Path(L"\\out\\report.txt")) + L" --overwrite");
  EXPECT_EQ(replaced.dwExitCode, 0u) << Joined(replaced.vLines);
  EXPECT_EQ(ReadBytes(Path(L"\\out\\report.txt")), "the plan\r\n");
}

TEST_F(ReferenceServer, OpenWithActionZeroStartsTheDocumentsProgram) {
  StartServer(0);
  // Wait for the document's program by the change it makes, not by time.
  const HANDLE hChange = FindFirstChangeNotificationW(sRoot.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
  ASSERT_NE(hChange, INVALID_HANDLE_VALUE) << GetLastError();
  const TRunResult run = Host(L"open \\Scripts\\run.cmd");
  ASSERT_TRUE(run.bExited);
  EXPECT_EQ(run.dwExitCode, 0u) << Joined(run.vLines);
  EXPECT_EQ(run.vLines, std::vector<std::string>{"open \\Scripts\\run.cmd: opened with its program (FS_EXEC_OK)"});
  bool bOpened = GetFileAttributesW(Path(L"\\opened.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
  while (!bOpened && WaitForSingleObject(hChange, DW_WAIT_MS) == WAIT_OBJECT_0) {
    bOpened = GetFileAttributesW(Path(L"\\opened.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
    FindNextChangeNotification(hChange);
  }
  FindCloseChangeNotification(hChange);
  EXPECT_TRUE(bOpened);
  EXPECT_TRUE(WaitForCommandProcessors(DW_WAIT_MS));
  EXPECT_TRUE(Contains(pServer->Lines(), "click on \"\\Scripts\\run.cmd\": action 0")) << pServer->Output();
}

TEST_F(ReferenceServer, OpenWithActionOneShowsTheRealFolder) {
  StartServer(1);
  const TRunResult run = Host(L"open \\Clients\\Work\\report.txt");
  ASSERT_TRUE(run.bExited);
  EXPECT_EQ(run.dwExitCode, 0u) << Joined(run.vLines);
  EXPECT_EQ(run.vLines, std::vector<std::string>{"open \\Clients\\Work\\report.txt: the host now shows the real "
                                                 "folder " + Utf8(Path(L"\\docs\\")) + " (FS_EXEC_SYMLINK)"});
  EXPECT_TRUE(Contains(pServer->Lines(), "click on \"\\Clients\\Work\\report.txt\": action 1")) << pServer->Output();
}

TEST_F(ReferenceServer, IconOfAVirtualFolderComesFromThePlugin) {
  StartServer(0);
  const TRunResult run = Host(L"icon \\Work\\Plans");
  ASSERT_TRUE(run.bExited);
  EXPECT_EQ(run.dwExitCode, 0u) << Joined(run.vLines);
  EXPECT_EQ(run.vLines, std::vector<std::string>{"icon \\Work\\Plans: small FS_ICON_EXTRACTED (16x16 icon from the "
                                                 "plugin); large FS_ICON_EXTRACTED (32x32 icon from the plugin)"});
}

TEST_F(ReferenceServer, FlitchReachesTheServer) {
  StartServer(0);
  const std::wstring sDocument = Path(L"\\docs\\plan.txt");
  for (const wchar_t* pMode : {L"s", L"t"}) {
    const TRunResult run = RunToEnd(Tool(L"Flitch.exe"), Quote(sDocument) + L" " + pMode);
    ASSERT_TRUE(run.bExited);
    EXPECT_EQ(run.dwExitCode, 0u);
  }
  // Each send returns only once the server has handled it, so both are logged by now.
  EXPECT_TRUE(pServer->WaitForLine("code 2 (path, mode s): \"" + Utf8(sDocument) + "\"", DW_WAIT_MS))
      << pServer->Output();
  EXPECT_TRUE(pServer->WaitForLine("code 1 (path, mode t): \"" + Utf8(sDocument) + "\"", DW_WAIT_MS))
      << pServer->Output();
}

TEST_F(ReferenceServer, CorvaneInAHostProcessReportsItsFolders) {
  StartServer(0);
  TCapturedProcess host(Tool(L"plugin_host.exe"),
                        L"--auto-close --load " + Quote(Tool(WATCHER_FILE_NAME)) + L" " +
                            Quote(TPluginHost::PluginPath()),
                        Path(L"\\docs"));
  ASSERT_TRUE(host.Started());
  ASSERT_TRUE(pServer->WaitForLine("code 10 (current folder of a watched process): \"" + Utf8(Path(L"\\docs")) +
                                       "\"",
                                   DW_WAIT_MS))
      << pServer->Output();
  ASSERT_TRUE(host.WriteLine("cd " + Utf8(Path(L"\\more"))));
  EXPECT_TRUE(pServer->WaitForLine("code 10 (current folder of a watched process): \"" + Utf8(Path(L"\\more")) +
                                       "\"",
                                   DW_WAIT_MS))
      << pServer->Output();
  ASSERT_TRUE(host.WriteLine("exit"));
  ASSERT_TRUE(host.Wait(DW_WAIT_MS));
  EXPECT_EQ(host.ExitCode(), 0u) << host.Output();
}

TEST_F(ReferenceServer, ListingThatPassesTheBufferIsCutAtAWholeRecord) {
  // 20000 documents of some 300 characters each: about 6 million characters.
  std::string sDatabase;
  const std::string sFolder = Utf8(sRoot) + "\\" + std::string(270, 'd') + "\\";
  for (int i = 0; i < 20000; ++i) sDatabase += sFolder + std::to_string(i) + ".txt\tBig\n";
  ASSERT_TRUE(WriteBytes(Path(L"\\tags.txt"), sDatabase));
  StartServer(0);
  TMessageBoxRecorder boxes;
  std::u16string sAnswer;
  ASSERT_TRUE(GetOmbrixData(u"\\Big", sAnswer, REQUEST_LISTING));
  EXPECT_LE(sAnswer.size(), MAX_ANSWER_UNITS);
  EXPECT_GT(sAnswer.size(), MAX_ANSWER_UNITS - 400);
  const size_t iLast = sAnswer.rfind(LISTING_RECORD_SEPARATOR);
  ASSERT_NE(iLast, std::u16string::npos);
  const std::u16string sLastRecord = sAnswer.substr(iLast + 1);
  const size_t iName = sLastRecord.find(LISTING_NAME_VALUE_SEPARATOR);
  ASSERT_NE(iName, std::u16string::npos);
  EXPECT_EQ(Utf8(sLastRecord.substr(iName + 1)), sFolder + Utf8(sLastRecord.substr(0, iName)));
  EXPECT_TRUE(pServer->WaitForLine("; CUT to the first ", DW_WAIT_MS)) << Utf8(sLastRecord);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ReferenceServer, ASecondServerDoesNotStartBesideTheFirst) {
  StartServer(0);
  const TRunResult run = RunToEnd(Tool(L"tag_server.exe"), Quote(Path(L"\\tags.txt")));
  ASSERT_TRUE(run.bExited);
  EXPECT_EQ(run.dwExitCode, 4u);
  EXPECT_TRUE(Contains(run.vLines, "another tag server")) << Joined(run.vLines);
}
