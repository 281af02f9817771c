// Copying documents out of the virtual tree through FsGetFile, on real files
// in the prefix: the copy flags, the folders made on the way, the cleaned
// target names, the boxes for failed copies and moves, and the progress
// calls the host sees.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/messages.h"
#include "tests/harness/message_box_recorder.h"
#include "tests/harness/plugin_host.h"
#include "tests/harness/scripted_tag_server.h"
#include "tests/win/real_files.h"

namespace {

constexpr char REMOTE_DOC[] = "\\Tag A\\report.txt";
const std::string DOCUMENT_BODY = "the document's body\r\nsecond line\r\n";

class CopyOut : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Loaded());
    ASSERT_EQ(host.Init(), 0);
    TPluginHost::ClearProgress();
    TPluginHost::SetProgressAnswer(0);
    ASSERT_TRUE(WriteBytes(sSource, DOCUMENT_BODY));
    server.SetAnswer(30, u"\\Tag A\\report.txt", Text(sSource));
  }
  void TearDown() override { TPluginHost::SetProgressAnswer(0); }

  int GetFile(const std::string& sRemote, const std::wstring& sLocal, int iFlags) {
    return GetFileAnsi(sRemote, Ansi(sLocal), iFlags);
  }
  int GetFileAnsi(const std::string& sRemote, const std::string& sLocal, int iFlags) {
    std::string sRemoteBuffer = sRemote, sLocalBuffer = sLocal;
    RemoteInfoStruct info{};
    return host.fsGetFile(sRemoteBuffer.data(), sLocalBuffer.data(), iFlags, &info);
  }
  void ExpectProgressFor(const std::string& sRemote, const std::string& sLocal) {
    const auto vCalls = TPluginHost::ProgressCalls();
    ASSERT_EQ(vCalls.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(vCalls[i].iPluginNr, TPluginHost::PLUGIN_NR);
      EXPECT_EQ(vCalls[i].sSource, sRemote);
      EXPECT_EQ(vCalls[i].sTarget, sLocal);
    }
    EXPECT_EQ(vCalls[0].iPercent, 0);
    EXPECT_EQ(vCalls[1].iPercent, 100);
  }

  TTempFolder docs{L"copy_out_docs"};
  TTempFolder out{L"copy_out_target"};
  const std::wstring sSource = docs / L"report.txt";
  TScriptedTagServer server;
  TMessageBoxRecorder recorder;
  TPluginHost host;
};

TEST_F(CopyOut, CopiesToAMissingTargetWithProgressAtBothEnds) {
  const std::wstring sTarget = out / L"report.txt";
  EXPECT_EQ(GetFile(REMOTE_DOC, sTarget, 0), FS_FILE_OK);
  EXPECT_EQ(ReadBytes(sTarget), DOCUMENT_BODY);
  ExpectProgressFor(REMOTE_DOC, Ansi(sTarget));
  EXPECT_TRUE(recorder.Boxes().empty());
}

TEST_F(CopyOut, ExistingTargetNeedsOverwriteOrResumeAndThenGetsAFullCopy) {
  const std::wstring sTarget = out / L"report.txt";
  // Longer than the document, so that an append or a partial write shows.
  const std::string sOld(200, 'o');
  const struct {
    const char* pName;
    int iFlags;
    int iExpected;
    std::string sAfter;
  } cases[] = {
      {"no flag", 0, FS_FILE_EXISTSRESUMEALLOWED, sOld},
      {"only flags the copy ignores", FS_COPYFLAGS_EXISTS_SAMECASE | 0x100, FS_FILE_EXISTSRESUMEALLOWED, sOld},
      {"overwrite", FS_COPYFLAGS_OVERWRITE, FS_FILE_OK, DOCUMENT_BODY},
      {"resume", FS_COPYFLAGS_RESUME, FS_FILE_OK, DOCUMENT_BODY},
      {"both", FS_COPYFLAGS_OVERWRITE | FS_COPYFLAGS_RESUME, FS_FILE_OK, DOCUMENT_BODY},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pName);
    ASSERT_TRUE(WriteBytes(sTarget, sOld));
    TPluginHost::ClearProgress();
    EXPECT_EQ(GetFile(REMOTE_DOC, sTarget, c.iFlags), c.iExpected);
    EXPECT_EQ(ReadBytes(sTarget), c.sAfter);
    if (c.iExpected == FS_FILE_EXISTSRESUMEALLOWED)
      EXPECT_TRUE(TPluginHost::ProgressCalls().empty());
    else
      ExpectProgressFor(REMOTE_DOC, Ansi(sTarget));
  }
  EXPECT_TRUE(recorder.Boxes().empty());
}

TEST_F(CopyOut, CreatesTheChainOfTargetFolders) {
  const std::wstring sTarget = out / L"one\\two\\three\\report.txt";
  ASSERT_FALSE(IsFolder(out / L"one"));
  EXPECT_EQ(GetFile(REMOTE_DOC, sTarget, 0), FS_FILE_OK);
  EXPECT_EQ(ReadBytes(sTarget), DOCUMENT_BODY);
  EXPECT_TRUE(recorder.Boxes().empty());
}

TEST_F(CopyOut, TargetThatIsAFolderDoesNotCountAsExistingAndFailsTheCopy) {
  const std::wstring sTarget = out / L"report.txt";
  ASSERT_TRUE(CreateDirectoryW(sTarget.c_str(), nullptr));
  EXPECT_EQ(GetFile(REMOTE_DOC, sTarget, 0), FS_FILE_WRITEERROR);
  ASSERT_TRUE(recorder.WaitForBoxes(1));
  const auto vBoxes = recorder.Boxes();
  ASSERT_EQ(vBoxes.size(), 1u);
  EXPECT_EQ(vBoxes[0].sCaption, Caption(L"VfsP::FsGetFile"));
  const std::wstring sDetail = L"CopyFile(" + sSource + L", " + sTarget + L"): ";
  EXPECT_EQ(vBoxes[0].sText.substr(0, sDetail.size()), sDetail);
  EXPECT_GT(vBoxes[0].sText.size(), sDetail.size()) << "the system's text follows the detail";
  // The steps after the copy run as after a successful one.
  ExpectProgressFor(REMOTE_DOC, Ansi(sTarget));
  EXPECT_TRUE(IsFolder(sTarget));
}

TEST_F(CopyOut, MissingRealDocumentIsAReadError) {
  server.SetAnswer(30, u"\\Tag A\\gone.txt", Text(docs / L"gone.txt"));
  const std::wstring sTarget = out / L"gone.txt";
  EXPECT_EQ(GetFile("\\Tag A\\gone.txt", sTarget, 0), FS_FILE_READERROR);
  ASSERT_TRUE(recorder.WaitForBoxes(1));
  EXPECT_EQ(recorder.Boxes()[0].sCaption, Caption(L"VfsP::FsGetFile"));
  EXPECT_FALSE(IsFile(sTarget));
  ExpectProgressFor("\\Tag A\\gone.txt", Ansi(sTarget));
}

TEST_F(CopyOut, MoveCopiesTellsTheTreeIsReadOnlyAndKeepsTheDocument) {
  const std::wstring sTarget = out / L"moved.txt";
  EXPECT_EQ(GetFile(REMOTE_DOC, sTarget, FS_COPYFLAGS_MOVE), FS_FILE_OK);
  EXPECT_EQ(ReadBytes(sTarget), DOCUMENT_BODY);
  EXPECT_EQ(ReadBytes(sSource), DOCUMENT_BODY);
  ASSERT_TRUE(recorder.WaitForBoxes(1));
  const auto vBoxes = recorder.Boxes();
  ASSERT_EQ(vBoxes.size(), 1u);
  EXPECT_EQ(vBoxes[0].sCaption, Caption(L"VfsU::FsGetFile"));
  EXPECT_EQ(vBoxes[0].sText, L"FS_COPYFLAGS_MOVE: " + Wide(MessageText(MSG_READ_ONLY, LANGID_RUSSIAN)));
  ExpectProgressFor(REMOTE_DOC, Ansi(sTarget));
  // The document is still resolvable and can be copied again.
  EXPECT_EQ(GetFile(REMOTE_DOC, out / L"again.txt", 0), FS_FILE_OK);
}

TEST_F(CopyOut, FailedMoveShowsTheCopyErrorThenTheReadOnlyMessage) {
  const std::wstring sTarget = out / L"report.txt";
  ASSERT_TRUE(CreateDirectoryW(sTarget.c_str(), nullptr));
  EXPECT_EQ(GetFile(REMOTE_DOC, sTarget, FS_COPYFLAGS_MOVE | FS_COPYFLAGS_OVERWRITE), FS_FILE_WRITEERROR);
  ASSERT_TRUE(recorder.WaitForBoxes(2));
  const auto vBoxes = recorder.Boxes();
  ASSERT_EQ(vBoxes.size(), 2u);
  EXPECT_EQ(vBoxes[0].sCaption, Caption(L"VfsP::FsGetFile"));
  EXPECT_EQ(vBoxes[1].sCaption, Caption(L"VfsU::FsGetFile"));
  ExpectProgressFor(REMOTE_DOC, Ansi(sTarget));
}

TEST_F(CopyOut, UnresolvablePathsAreNotFoundWithoutProgress) {
  server.SetAnswer(30, u"\\Tag A", u"");
  const std::wstring sTarget = out / L"x.txt";
  // A virtual folder, the server's RR_INVALID_PATH, and "." and ".." which
  // never reach the server.
  for (const char* pRemote : {"\\Tag A", "\\Tag A\\unknown.txt", "\\Tag A\\..", "\\Tag A\\.\\"}) {
    SCOPED_TRACE(pRemote);
    EXPECT_EQ(GetFile(pRemote, sTarget, 0), FS_FILE_NOTFOUND);
  }
  EXPECT_EQ(server.RequestCount(30), 2u);
  // A request that fails (its own box is the request channel's).
  server.SetFault(TServerFault::NO_ANSWER);
  EXPECT_EQ(GetFile("\\Tag B\\doc.txt", sTarget, FS_COPYFLAGS_MOVE), FS_FILE_NOTFOUND);
  ASSERT_TRUE(recorder.WaitForBoxes(1));
  EXPECT_EQ(recorder.Boxes().size(), 1u) << "no box of FsGetFile's own";
  EXPECT_TRUE(TPluginHost::ProgressCalls().empty());
  EXPECT_FALSE(IsFile(sTarget));
}

TEST_F(CopyOut, LocalNamesAreCleanedBeforeTheyReachTheDisk) {
  const struct {
    std::wstring sLocal;  // relative to the target folder
    std::wstring sWritten;
  } cases[] = {
      {L"report.", L"report"},
      // One full stop is removed; the system itself ignores the other one.
      {L"second..", L"second."},
      {L"tagged.txt\x1C | 2019-05", L"tagged.txt"},
      {L"spaced.txt   \x1C | suffix", L"spaced.txt"},
      {L"with \"quotes\".txt", L"with quotes.txt"},
      {L"a:b.txt", L"ab.txt"},
      {L"  padded.txt  ", L"padded.txt"},
      {L"folder.\\inner \\name.txt", L"folder\\inner\\name.txt"},
      {L"mark\x1C | cut\\name.txt", L"mark\\name.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Ansi(c.sLocal));
    const std::wstring sLocal = out / c.sLocal;
    TPluginHost::ClearProgress();
    EXPECT_EQ(GetFile(REMOTE_DOC, sLocal, 0), FS_FILE_OK);
    EXPECT_EQ(ReadBytes(out / c.sWritten), DOCUMENT_BODY);
    // The host hears about the name it passed, not the cleaned one.
    ExpectProgressFor(REMOTE_DOC, Ansi(sLocal));
  }
  EXPECT_TRUE(recorder.Boxes().empty());
}

TEST_F(CopyOut, FailureDetailQuotesTheLocalNameAsReceived) {
  const std::wstring sLocal = out / L"blocked.txt\x1C | suffix";
  ASSERT_TRUE(CreateDirectoryW((out / L"blocked.txt").c_str(), nullptr));
  EXPECT_EQ(GetFile(REMOTE_DOC, sLocal, 0), FS_FILE_WRITEERROR);
  ASSERT_TRUE(recorder.WaitForBoxes(1));
  const std::wstring sDetail = L"CopyFile(" + sSource + L", " + sLocal + L"): ";
  EXPECT_EQ(recorder.Boxes()[0].sText.substr(0, sDetail.size()), sDetail);
}

TEST_F(CopyOut, NameThatCleansToNothingIsNotCopied) {
  for (const char* pLocal : {"", "   ", "\t \t"}) {
    SCOPED_TRACE(pLocal);
    EXPECT_EQ(GetFileAnsi(REMOTE_DOC, pLocal, FS_COPYFLAGS_OVERWRITE), FS_FILE_WRITEERROR);
  }
  EXPECT_TRUE(TPluginHost::ProgressCalls().empty());
  EXPECT_TRUE(recorder.Boxes().empty());
}

// The answers to the 0 and 100 per cent calls are not examined. A cancel
// while the copy runs comes through the copy's progress routine, which
// Wine's CopyFileExW never calls; copy_progress_test covers it.
TEST_F(CopyOut, AbortAnswerToTheCallsAroundTheCopyIsNotHonoured) {
  TPluginHost::SetProgressAnswer(1);
  const std::wstring sTarget = out / L"report.txt";
  EXPECT_EQ(GetFile(REMOTE_DOC, sTarget, 0), FS_FILE_OK);
  EXPECT_EQ(ReadBytes(sTarget), DOCUMENT_BODY);
  ExpectProgressFor(REMOTE_DOC, Ansi(sTarget));
}

}  // namespace
