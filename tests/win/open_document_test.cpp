// Opening documents through FsExecuteFile, on real files in the prefix: the
// verb, the checks before the click action is asked for, the click actions
// and their integer rule, the folder handed back to the host, the length
// limits, and the shell really starting the program of a file type.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/messages.h"
#include "plugin/win/open_document.h"
#include "tests/harness/message_box_recorder.h"
#include "tests/harness/plugin_host.h"
#include "tests/harness/scripted_tag_server.h"
#include "tests/win/real_files.h"

namespace {

const std::wstring EXECUTE_CONTEXT = L"Brackenfold::FsExecuteFile";
constexpr char REMOTE_DOC[] = "\\Tag\\report.txt";
constexpr char REMOTE_FOLDER_DOC[] = "\\Tag\\Sub";
constexpr size_t HOST_BUFFER = 260;

std::wstring Message(int iRow) { return Wide(MessageText(iRow, LANGID_RUSSIAN)); }

// The host's 260-byte RemoteName buffer, with guard bytes behind it that
// must stay untouched.
struct THostBuffer {
  explicit THostBuffer(const std::string& sName) {
    std::memset(szBytes, 'G', sizeof szBytes);
    std::memcpy(szBytes, sName.c_str(), sName.size() + 1);
  }
  std::string Text() const { return szBytes; }
  bool GuardIntact() const {
    for (size_t i = HOST_BUFFER; i < sizeof szBytes; ++i)
      if (szBytes[i] != 'G') return false;
    return true;
  }
  char szBytes[HOST_BUFFER + 64];
};

class OpenDocument : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Loaded());
    ASSERT_EQ(host.Init(), 0);
    ASSERT_TRUE(WriteBytes(sDocument, "text"));
    ASSERT_TRUE(CreateDirectoryW(sSubFolder.c_str(), nullptr));
    server.SetAnswer(30, u"\\Tag\\report.txt", Text(sDocument));
    server.SetAnswer(30, u"\\Tag\\Sub", Text(sSubFolder));
  }

  int Execute(THostBuffer& buffer, const char* pVerb = "open") {
    std::string sVerb = pVerb;
    return host.fsExecuteFile(nullptr, buffer.szBytes, sVerb.data());
  }
  // Runs REMOTE_DOC (or another path) with the click action answered as given.
  int ExecuteWithAction(const std::u16string& sAction, THostBuffer& buffer) {
    server.SetDefaultAnswer(40, sAction);
    return Execute(buffer);
  }
  void ExpectOneBox(int iRow, const std::wstring& sDetail) {
    ASSERT_TRUE(recorder.WaitForBoxes(1));
    const auto vBoxes = recorder.Boxes();
    ASSERT_EQ(vBoxes.size(), 1u);
    EXPECT_EQ(vBoxes[0].sCaption, Caption(EXECUTE_CONTEXT));
    EXPECT_EQ(vBoxes[0].sText, (sDetail.empty() ? L"" : sDetail + L": ") + Message(iRow));
  }

  TTempFolder docs{L"open_document_docs"};
  const std::wstring sDocument = docs / L"report.txt";
  const std::wstring sSubFolder = docs / L"Sub";
  TScriptedTagServer server;
  TMessageBoxRecorder recorder;
  TPluginHost host;
};

TEST_F(OpenDocument, OnlyTheVerbOpenIsCarriedOut) {
  for (const char* pVerb : {"Open", "OPEN", "open ", "properties", "chmod 755", "quote cd x", ""}) {
    SCOPED_TRACE(pVerb);
    THostBuffer buffer(REMOTE_DOC);
    EXPECT_EQ(Execute(buffer, pVerb), FS_EXEC_ERROR);
    EXPECT_EQ(buffer.Text(), REMOTE_DOC);
  }
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_TRUE(recorder.Boxes().empty());
}

TEST_F(OpenDocument, FolderOrNoItemShowsPathNotFound) {
  server.SetAnswer(30, u"\\Tag", u"");
  for (const char* pRemote : {"\\Tag", "\\Tag\\unknown.txt", "\\Tag\\.."}) {
    SCOPED_TRACE(pRemote);
    recorder.Clear();
    THostBuffer buffer(pRemote);
    EXPECT_EQ(Execute(buffer), FS_EXEC_ERROR);
    ExpectOneBox(MSG_PATH_NOT_FOUND, L"GetOmbrixData (" + std::wstring(pRemote, pRemote + std::strlen(pRemote)) + L")");
  }
  EXPECT_EQ(server.RequestCount(40), 0u);
}

TEST_F(OpenDocument, DocumentWhoseFileIsGoneIsOutOfDateAndNoActionIsAsked) {
  ASSERT_TRUE(DeleteFileW(sDocument.c_str()));
  THostBuffer buffer(REMOTE_DOC);
  EXPECT_EQ(ExecuteWithAction(u"1", buffer), FS_EXEC_ERROR);
  ExpectOneBox(MSG_DOCUMENT_OUT_OF_DATE, sDocument);
  EXPECT_EQ(server.RequestCount(30), 1u);
  EXPECT_EQ(server.RequestCount(40), 0u);
  EXPECT_EQ(buffer.Text(), REMOTE_DOC);
}

TEST_F(OpenDocument, ClickActionTextsFollowTheStrictIntegerRule) {
  const std::string sFolder = Ansi(docs.Path() + L"\\");
  const struct {
    std::u16string sAction;
    int iExpected;
    bool bNotInteger;  // box row 16 with the answer as detail
  } cases[] = {
      {u" 1", FS_EXEC_SYMLINK, false},  {u"1", FS_EXEC_SYMLINK, false},  {u"0x1", FS_EXEC_SYMLINK, false},
      {u"+1", FS_EXEC_SYMLINK, false},  {u"1 ", FS_EXEC_ERROR, true},    {u"", FS_EXEC_ERROR, true},
      {u"abc", FS_EXEC_ERROR, true},    {u"1.0", FS_EXEC_ERROR, true},   {u"\t1", FS_EXEC_ERROR, true},
      {u"2", FS_EXEC_ERROR, false},     {u"-1", FS_EXEC_ERROR, false},   {u"$10", FS_EXEC_ERROR, false},
      {u"4294967297", FS_EXEC_ERROR, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Ansi(Wide(c.sAction)));
    recorder.Clear();
    server.ClearRecords();
    THostBuffer buffer(REMOTE_DOC);
    EXPECT_EQ(ExecuteWithAction(c.sAction, buffer), c.iExpected);
    EXPECT_EQ(server.RequestCount(40), 1u);
    const auto vRequests = server.Requests();
    EXPECT_EQ(vRequests.back().sPath, u"\\Tag\\report.txt");
    EXPECT_EQ(buffer.Text(), c.iExpected == FS_EXEC_SYMLINK ? sFolder : std::string(REMOTE_DOC));
    if (c.bNotInteger) {
      ExpectOneBox(MSG_ACTION_NOT_INTEGER, Wide(c.sAction));
    } else {
      EXPECT_TRUE(recorder.Boxes().empty());
    }
  }
}

TEST_F(OpenDocument, ShowFolderHandsBackTheFolderOfAFileOrTheFolderItself) {
  {
    THostBuffer buffer(REMOTE_DOC);
    EXPECT_EQ(ExecuteWithAction(u"1", buffer), FS_EXEC_SYMLINK);
    EXPECT_EQ(buffer.Text(), Ansi(docs.Path() + L"\\"));
    EXPECT_TRUE(buffer.GuardIntact());
  }
  {
    THostBuffer buffer(REMOTE_FOLDER_DOC);
    EXPECT_EQ(ExecuteWithAction(u"1", buffer), FS_EXEC_SYMLINK);
    EXPECT_EQ(buffer.Text(), Ansi(sSubFolder + L"\\"));
  }
  {
    // A real folder named with a trailing backslash keeps exactly one.
    server.SetAnswer(30, u"\\Tag\\Sub2", Text(sSubFolder + L"\\"));
    THostBuffer buffer("\\Tag\\Sub2");
    EXPECT_EQ(ExecuteWithAction(u"1", buffer), FS_EXEC_SYMLINK);
    EXPECT_EQ(buffer.Text(), Ansi(sSubFolder + L"\\"));
  }
  EXPECT_TRUE(recorder.Boxes().empty());
}

TEST_F(OpenDocument, NormalizeTrailingDelimiterFollowsWhatIsOnDisk) {
  EXPECT_EQ(NormalizeTrailingDelimiter(Text(sSubFolder)), Text(sSubFolder + L"\\"));
  EXPECT_EQ(NormalizeTrailingDelimiter(Text(sSubFolder + L"\\")), Text(sSubFolder + L"\\"));
  EXPECT_EQ(NormalizeTrailingDelimiter(Text(sDocument)), Text(sDocument));
  EXPECT_EQ(NormalizeTrailingDelimiter(Text(sDocument + L"\\")), Text(sDocument));
  const std::u16string sMissing = Text(docs / L"missing\\");
  EXPECT_EQ(NormalizeTrailingDelimiter(sMissing), sMissing);
}

// A text of exactly iLength characters naming an existing folder: the temp
// folder, a short subfolder, then "\." steps, which the system skips.
class OpenDocumentLengths : public OpenDocument {
 protected:
  std::wstring FolderTextOfLength(size_t iLength) {
    for (const wchar_t* pName : {L"a", L"bb"}) {
      std::wstring sText = docs / pName;
      CreateDirectoryW(sText.c_str(), nullptr);
      if (sText.size() > iLength || (iLength - sText.size()) % 2 != 0) continue;
      while (sText.size() < iLength) sText += L"\\.";
      return sText;
    }
    ADD_FAILURE() << "temp folder too long";
    return {};
  }
};

TEST_F(OpenDocumentLengths, HandedBackFolderMayHave259CharactersButNot260) {
  // The real path is the folder itself; the folder handed back gains one backslash.
  for (size_t iLength : {258u, 259u}) {
    SCOPED_TRACE(iLength + 1);
    recorder.Clear();
    const std::wstring sReal = FolderTextOfLength(iLength);
    ASSERT_TRUE(IsFolder(sReal));
    server.SetAnswer(30, u"\\Tag\\Long", Text(sReal));
    THostBuffer buffer("\\Tag\\Long");
    const int iResult = ExecuteWithAction(u"1", buffer);
    EXPECT_TRUE(buffer.GuardIntact());
    if (iLength + 1 <= 259) {
      EXPECT_EQ(iResult, FS_EXEC_SYMLINK);
      EXPECT_EQ(buffer.Text(), Ansi(sReal + L"\\"));
      EXPECT_EQ(buffer.Text().size(), 259u);
      EXPECT_TRUE(recorder.Boxes().empty());
    } else {
      EXPECT_EQ(iResult, FS_EXEC_ERROR);
      ExpectOneBox(MSG_PATH_TOO_LONG, sReal + L"\\");
      EXPECT_EQ(buffer.Text(), "\\Tag\\Long");
    }
  }
}

TEST_F(OpenDocumentLengths, LongRealPathIsRefusedForEveryAction) {
  // A document path of 260 characters: the folder text plus "\report.txt".
  const std::wstring sFolderText = FolderTextOfLength(260 - 11);
  const std::wstring sLongDocument = sFolderText + L"\\report.txt";
  ASSERT_EQ(sLongDocument.size(), 260u);
  ASSERT_TRUE(WriteBytes(sLongDocument, "text"));
  ASSERT_TRUE(IsFile(sLongDocument));
  server.SetAnswer(30, u"\\Tag\\Long.txt", Text(sLongDocument));
  for (const char16_t* pAction : {u"0", u"2"}) {
    SCOPED_TRACE(Ansi(Wide(pAction)));
    recorder.Clear();
    THostBuffer buffer("\\Tag\\Long.txt");
    EXPECT_EQ(ExecuteWithAction(pAction, buffer), FS_EXEC_ERROR);
    ExpectOneBox(MSG_PATH_TOO_LONG, sLongDocument);
  }
  // Its folder, 250 characters with the backslash, is short enough to show.
  THostBuffer buffer("\\Tag\\Long.txt");
  recorder.Clear();
  EXPECT_EQ(ExecuteWithAction(u"1", buffer), FS_EXEC_SYMLINK);
  EXPECT_EQ(buffer.Text(), Ansi(sFolderText + L"\\"));
}

// The file type the test registers: ".bfopen" documents are opened by the
// recording program, which tells the test through a named event.
class TRegisteredFileType {
 public:
  TRegisteredFileType() {
    const std::wstring sCommand = L"\"" + TPluginHost::BinaryFolder() + L"shell_open_recorder.exe\" \"%1\"";
    bOk = SetDefault(L".bfopen", L"Brackenfold.TestDocument") &&
          SetDefault(L"Brackenfold.TestDocument\\shell\\open\\command", sCommand);
  }
  ~TRegisteredFileType() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".bfopen");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Brackenfold.TestDocument");
  }
  bool Ok() const { return bOk; }

 private:
  static bool SetDefault(const wchar_t* pKey, const std::wstring& sValue) {
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, pKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
      return false;
    const LSTATUS status = RegSetValueExW(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(sValue.c_str()),
                                          static_cast<DWORD>((sValue.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(hKey);
    return status == ERROR_SUCCESS;
  }
  bool bOk = false;
};

TEST_F(OpenDocument, OpenActionStartsTheProgramOfTheFileType) {
  const TRegisteredFileType fileType;
  ASSERT_TRUE(fileType.Ok());
  const HANDLE hRecorded = CreateEventW(nullptr, TRUE, FALSE, L"BrackenfoldShellOpenRecorded");
  ASSERT_NE(hRecorded, nullptr);
  const std::wstring sOpenable = docs / L"letter.bfopen";
  ASSERT_TRUE(WriteBytes(sOpenable, "letter"));
  server.SetAnswer(30, u"\\Tag\\letter.bfopen", Text(sOpenable));

  THostBuffer buffer("\\Tag\\letter.bfopen");
  EXPECT_EQ(ExecuteWithAction(u"0", buffer), FS_EXEC_OK);
  EXPECT_EQ(buffer.Text(), "\\Tag\\letter.bfopen");
  ASSERT_EQ(WaitForSingleObject(hRecorded, 20000), WAIT_OBJECT_0) << "the program was not started";
  CloseHandle(hRecorded);
  const std::string sRecord = ReadBytes(sOpenable + L".opened");
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(sRecord.data()), sRecord.size() / sizeof(wchar_t)),
            sOpenable);
  EXPECT_TRUE(recorder.Boxes().empty());
}

TEST_F(OpenDocument, FileTypeWithoutAProgramShowsTheShellError) {
  const std::wstring sOrphan = docs / L"orphan.bfnoassoc";
  ASSERT_TRUE(WriteBytes(sOrphan, "x"));
  server.SetAnswer(30, u"\\Tag\\orphan.bfnoassoc", Text(sOrphan));
  THostBuffer buffer("\\Tag\\orphan.bfnoassoc");
  EXPECT_EQ(ExecuteWithAction(u"0", buffer), FS_EXEC_ERROR);
  ASSERT_TRUE(recorder.WaitForBoxes(1));
  const auto vBoxes = recorder.Boxes();
  ASSERT_EQ(vBoxes.size(), 1u);
  EXPECT_EQ(vBoxes[0].sCaption, Caption(EXECUTE_CONTEXT));
  EXPECT_EQ(vBoxes[0].sText.rfind(L"ShellExecute: ", 0), 0u) << Ansi(vBoxes[0].sText);
  EXPECT_GT(vBoxes[0].sText.size(), std::wstring(L"ShellExecute: ").size());
}

TEST_F(OpenDocument, FailedResolutionOrActionRequestEndsSilently) {
  server.SetFault(TServerFault::NO_ANSWER);
  THostBuffer buffer("\\Tag\\elsewhere.txt");
  EXPECT_EQ(Execute(buffer), FS_EXEC_ERROR);
  // Only the request channel's own box.
  ASSERT_TRUE(recorder.WaitForBoxes(1));
  EXPECT_EQ(recorder.Boxes().size(), 1u);
  EXPECT_NE(recorder.Boxes()[0].sCaption, Caption(EXECUTE_CONTEXT));
}

// Multi-byte code pages: a folder of fewer than 260 characters whose ANSI
// form needs more bytes than the host's buffer holds.
TEST_F(OpenDocument, FolderWhoseAnsiFormOverflowsTheHostBufferIsRefused) {
  // The ctest entry that runs this case under code page 932 sets
  // BRACKENFOLD_NEEDS_CP932: there a one-byte code page is a failure.
  CPINFO info{};
  if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize < 2) {
    if (GetEnvironmentVariableW(L"BRACKENFOLD_NEEDS_CP932", nullptr, 0) != 0)
      FAIL() << "a multi-byte code page expected, this one is " << GetACP();
    GTEST_SKIP() << "the ANSI code page " << GetACP() << " has one byte per character";
  }
  // Kanji that the code page holds in two bytes each.
  const std::wstring sWide(70, L'\x65E5');
  const std::wstring sFolder = docs / sWide;
  const std::wstring sInner = sFolder + L"\\" + sWide;
  ASSERT_TRUE(CreateDirectoryW(sFolder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(sInner.c_str(), nullptr));
  ASSERT_LT(sInner.size() + 1, 260u);
  ASSERT_GT(Ansi(sInner + L"\\").size(), 259u);
  ASSERT_LT(Ansi(sFolder + L"\\").size(), 260u);

  server.SetAnswer(30, u"\\Tag\\Wide", Text(sInner));
  THostBuffer tooLong("\\Tag\\Wide");
  EXPECT_EQ(ExecuteWithAction(u"1", tooLong), FS_EXEC_ERROR);
  EXPECT_EQ(tooLong.Text(), "\\Tag\\Wide");
  EXPECT_TRUE(tooLong.GuardIntact());
  ExpectOneBox(MSG_PATH_TOO_LONG, sInner + L"\\");

  recorder.Clear();
  server.SetAnswer(30, u"\\Tag\\Wide1", Text(sFolder));
  THostBuffer fits("\\Tag\\Wide1");
  EXPECT_EQ(ExecuteWithAction(u"1", fits), FS_EXEC_SYMLINK);
  EXPECT_EQ(fits.Text(), Ansi(sFolder + L"\\"));
  EXPECT_TRUE(recorder.Boxes().empty());
}

}  // namespace
