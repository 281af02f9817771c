// The reference tag server's tree: reading the database, the listing of a
// folder, what a path names, and the answer texts it writes for the plugin.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rtl/string_list.h"
#include "rtl/text_routines.h"
#include "tools/tag_server/tag_answers.h"
#include "tools/tag_server/tag_tree.h"

namespace {

// Four documents: every one carries Work; Clients narrows it to two.
constexpr char16_t SAMPLE[] =
    u"# sample\r\n"
    u"C:\\Docs\\plan.txt\tWork; Plans\r\n"
    u"C:\\Docs\\acme\\report.pdf\tWork;Clients;Acme\r\n"
    u"\r\n"
    u"D:\\Mail\\report.pdf\tWork;Clients;Beta;Clients\n"
    u"C:\\Docs\\notes.txt\tWork;Plans;Private";

TTagDatabase Sample() {
  std::vector<TDatabaseProblem> vProblems;
  TTagDatabase database = TTagDatabase::Parse(SAMPLE, vProblems);
  EXPECT_TRUE(vProblems.empty());
  return database;
}

using TEntries = std::vector<TListingEntry>;
TListingEntry Folder(const char16_t* pName) { return {pName, {}}; }
TListingEntry Document(const char16_t* pPath) { return {DocumentName(pPath), pPath}; }

std::string Printable(const std::u16string& sText) {
  return TextToUtf8(ReplaceAll(ReplaceAll(sText, u"\x1E", u"<RS>"), u"\x1F", u"<US>"));
}

}  // namespace

TEST(TTagDatabase, ReadsPathsAndTagsInTheOrderTheyFirstAppear) {
  const TTagDatabase database = Sample();
  EXPECT_EQ(database.Tags(), (std::vector<std::u16string>{u"Work", u"Plans", u"Clients", u"Acme", u"Beta",
                                                          u"Private"}));
  ASSERT_EQ(database.Documents().size(), 4u);
  EXPECT_EQ(database.Documents()[0].sRealPath, u"C:\\Docs\\plan.txt");
  EXPECT_EQ(database.Documents()[0].vTags, (std::vector<int>{0, 1}));
  // A tag named twice on one line counts once.
  EXPECT_EQ(database.Documents()[2].vTags, (std::vector<int>{0, 2, 4}));
  EXPECT_EQ(database.FindTag(u"Clients"), 2);
  EXPECT_EQ(database.FindTag(u"clients"), -1);
}

TEST(TTagDatabase, ReportsTheLinesItSkipsOrTakesInPart) {
  const struct {
    const char16_t* pText;
    size_t iDocuments;
    std::vector<int> vProblemLines;
  } cases[] = {
      {u"C:\\a.txt Work", 0, {1}},                  // no tab
      {u"\tWork", 0, {1}},                          // no path
      {u"C:\\\tWork", 0, {1}},                      // a path without a file name
      {u"C:\\a\x01.txt\tWork", 0, {1}},             // control character in the path
      {u"C:\\a.txt\tA\\B;Work", 1, {1}},            // backslash in a tag
      {u"C:\\a.txt\t.;..;Work", 1, {1, 1}},         // names the file manager keeps
      {u"C:\\a.txt\tWo\x1Erk", 1, {1, 1}},          // control character in a tag, then no tag left
      {u"C:\\a.txt\t ; ;", 1, {1}},                 // no tags at all
      {u"\xFEFF" u"C:\\a.txt\tWork\n\n  \nx\n", 1, {4}},  // byte order mark, blank lines
  };
  for (const auto& c : cases) {
    std::vector<TDatabaseProblem> vProblems;
    const TTagDatabase database = TTagDatabase::Parse(c.pText, vProblems);
    std::vector<int> vLines;
    for (const TDatabaseProblem& problem : vProblems) vLines.push_back(problem.iLine);
    EXPECT_EQ(database.Documents().size(), c.iDocuments) << Printable(c.pText);
    EXPECT_EQ(vLines, c.vProblemLines) << Printable(c.pText);
  }
}

TEST(FolderListing, NarrowsWithEveryTagOnThePath) {
  const TTagDatabase database = Sample();
  const struct {
    const char16_t* pPath;
    TEntries vEntries;
  } cases[] = {
      {u"\\", {Folder(u"Work"), Folder(u"Plans"), Folder(u"Clients"), Folder(u"Acme"), Folder(u"Beta"),
               Folder(u"Private")}},
      {u"", {Folder(u"Work"), Folder(u"Plans"), Folder(u"Clients"), Folder(u"Acme"), Folder(u"Beta"),
             Folder(u"Private")}},
      // Work is carried by all four, so no folder below offers it again.
      {u"\\Work", {Folder(u"Plans"), Folder(u"Clients"), Folder(u"Acme"), Folder(u"Beta"), Folder(u"Private"),
                   Document(u"C:\\Docs\\plan.txt"), Document(u"C:\\Docs\\acme\\report.pdf"),
                   Document(u"D:\\Mail\\report.pdf"), Document(u"C:\\Docs\\notes.txt")}},
      // Two documents of the same name are both listed.
      {u"\\Work\\Clients", {Folder(u"Acme"), Folder(u"Beta"), Document(u"C:\\Docs\\acme\\report.pdf"),
                            Document(u"D:\\Mail\\report.pdf")}},
      {u"\\Work\\Clients\\", {Folder(u"Acme"), Folder(u"Beta"), Document(u"C:\\Docs\\acme\\report.pdf"),
                              Document(u"D:\\Mail\\report.pdf")}},
      {u"\\Clients\\Beta", {Document(u"D:\\Mail\\report.pdf")}},
      {u"\\Clients", {Folder(u"Acme"), Folder(u"Beta"), Document(u"C:\\Docs\\acme\\report.pdf"),
                      Document(u"D:\\Mail\\report.pdf")}},
      {u"\\Acme", {Document(u"C:\\Docs\\acme\\report.pdf")}},
      {u"\\Plans\\Private", {Document(u"C:\\Docs\\notes.txt")}},
  };
  for (const auto& c : cases) {
    const auto vEntries = FolderListing(database, c.pPath);
    ASSERT_TRUE(vEntries) << Printable(c.pPath);
    EXPECT_EQ(*vEntries, c.vEntries) << Printable(c.pPath);
  }
}

TEST(FolderListing, PathsThatNameNoFolder) {
  const TTagDatabase database = Sample();
  for (const char16_t* pPath : {
           u"\\Nothing",
           u"\\work",              // letter case counts
           u"\\Work\\Work",        // a tag twice
           u"\\Acme\\Work",        // every document in Acme carries Work: not offered there
           u"\\Acme\\Clients",     // the same
           u"\\Clients\\Plans",    // no document in Clients carries Plans
           u"\\Work\\plan.txt",    // a document, not a folder
           u"Work",                // no leading backslash
           u"\\Work\\\\Clients",   // an empty component
           u"\\\\",
       })
    EXPECT_FALSE(FolderListing(database, pPath)) << Printable(pPath);
}

TEST(FolderListing, EmptyDatabaseHasAnEmptyRoot) {
  std::vector<TDatabaseProblem> vProblems;
  const TTagDatabase database = TTagDatabase::Parse(u"", vProblems);
  ASSERT_TRUE(FolderListing(database, u"\\"));
  EXPECT_TRUE(FolderListing(database, u"\\")->empty());
  EXPECT_EQ(AnswerRequest(database, {1, 10, u"\\"}, 0).sText, u"");
}

TEST(RealPathAnswer, FolderDocumentOrNothing) {
  const TTagDatabase database = Sample();
  const struct {
    const char16_t* pPath;
    const char16_t* pAnswer;
  } cases[] = {
      {u"\\", u""},
      {u"\\Work\\Clients", u""},
      {u"\\Work\\Clients\\", u""},
      {u"\\Work\\plan.txt", u"C:\\Docs\\plan.txt"},
      {u"\\Work\\plan.txt\\", u"C:\\Docs\\plan.txt"},
      // Of two documents with one name the first listed answers.
      {u"\\Clients\\report.pdf", u"C:\\Docs\\acme\\report.pdf"},
      {u"\\Beta\\report.pdf", u"D:\\Mail\\report.pdf"},
      {u"\\Acme\\plan.txt", u"RR_INVALID_PATH"},
      {u"\\Work\\PLAN.TXT", u"RR_INVALID_PATH"},
      {u"\\Nothing\\plan.txt", u"RR_INVALID_PATH"},
      {u"\\plan.txt", u"RR_INVALID_PATH"},  // the root holds folders only
      {u"\\Work\\..", u"RR_INVALID_PATH"},
      {u"plan.txt", u"RR_INVALID_PATH"},
  };
  for (const auto& c : cases) EXPECT_EQ(RealPathAnswer(database, c.pPath), c.pAnswer) << Printable(c.pPath);
}

TEST(ParseRequest, NumberCodeAndTheRestAsPath) {
  const auto request = ParseRequest(u"12\x1E" u"30\x1E\\A\x1E" u"B");
  ASSERT_TRUE(request);
  EXPECT_EQ(request->dwNumber, 12u);
  EXPECT_EQ(request->iCode, 30);
  EXPECT_EQ(request->sPath, u"\\A\x1E" u"B");
  EXPECT_EQ(ParseRequest(u"4294967295\x1E" u"10\x1E")->dwNumber, 4294967295u);
  EXPECT_EQ(ParseRequest(u"1\x1E" u"10\x1E")->sPath, u"");
  for (const char16_t* pText : {u"", u"1\x1E" u"10", u"0\x1E" u"10\x1E\\", u"4294967296\x1E" u"10\x1E\\",
                                u" 1\x1E" u"10\x1E\\", u"1\x1E" u"x\x1E\\", u"\x1E" u"10\x1E\\", u"1\x1E\x1E\\"})
    EXPECT_FALSE(ParseRequest(pText)) << Printable(pText);
}

TEST(ListingRecord, QuotedOnlyWhereTheFormatNeedsIt) {
  const struct {
    TListingEntry entry;
    const char16_t* pRecord;
  } cases[] = {
      {{u"plan.txt", u"C:\\plan.txt"}, u"plan.txt\x1F" u"C:\\plan.txt"},
      {{u"Work", u""}, u"Work\x1F"},
      {{u"say \"hi\"", u""}, u"say \"hi\"\x1F"},
      {{u"\"quoted\" tag", u""}, u"\"\"\"quoted\"\" tag\x1F\""},
      {{u"a\x1E" u"b", u"C:\\a"}, u"\"a\x1E" u"b\x1F" u"C:\\a\""},
  };
  for (const auto& c : cases) EXPECT_EQ(ListingRecord(c.entry), c.pRecord) << Printable(c.pRecord);
}

TEST(MakeListingText, ReadsBackAsTheSameEntriesThroughThePluginsParser) {
  const TEntries vEntries = {Folder(u"\"Quoted\""), Folder(u"a\x1E" u"b"), Document(u"C:\\x\\plan.txt"),
                             Folder(u"Plain")};
  const TListingText listing = MakeListingText(vEntries, MAX_ANSWER_UNITS);
  EXPECT_EQ(listing.iRecords, 4u);
  EXPECT_EQ(listing.iDropped, 0u);
  // Read back as the plugin reads a listing.
  TStringList parsed;
  parsed.Delimiter = u'\x1E';
  parsed.NameValueSeparator = u'\x1F';
  parsed.SetDelimitedText(listing.sText);
  ASSERT_EQ(parsed.Count(), 4);
  for (int i = 0; i < parsed.Count(); ++i) {
    EXPECT_EQ(parsed.Names(i), vEntries[static_cast<size_t>(i)].sName) << i;
    EXPECT_EQ(parsed.ValueFromIndex(i), vEntries[static_cast<size_t>(i)].sValue) << i;
  }
}

TEST(MakeListingText, CutsAtAWholeRecordWhenTheTextWouldNotFit) {
  const TEntries vEntries = {{u"a", u"1"}, {u"bb", u"22"}, {u"c", u"3"}};
  // "a<US>1" is 3 units, each further record a separator and its own length.
  const struct {
    size_t iMax;
    const char16_t* pText;
    size_t iRecords;
  } cases[] = {
      {100, u"a\x1F" u"1\x1E" u"bb\x1F" u"22\x1E" u"c\x1F" u"3", 3},
      {13, u"a\x1F" u"1\x1E" u"bb\x1F" u"22\x1E" u"c\x1F" u"3", 3},
      {12, u"a\x1F" u"1\x1E" u"bb\x1F" u"22", 2},
      {9, u"a\x1F" u"1\x1E" u"bb\x1F" u"22", 2},
      {8, u"a\x1F" u"1", 1},
      {2, u"", 0},
  };
  for (const auto& c : cases) {
    const TListingText listing = MakeListingText(vEntries, c.iMax);
    EXPECT_EQ(listing.sText, c.pText) << c.iMax;
    EXPECT_EQ(listing.iRecords, c.iRecords) << c.iMax;
    EXPECT_EQ(listing.iDropped, 3 - c.iRecords) << c.iMax;
  }
}

TEST(AnswerRequest, ListingOfTenMebibytesIsCutAndLogged) {
  // 20000 documents with paths of about 300 characters: some 6 million characters.
  std::u16string sText;
  const std::u16string sFolder = u"C:\\" + std::u16string(280, u'd') + u"\\";
  for (int i = 0; i < 20000; ++i) sText += sFolder + IntToText(i) + u".txt\tBig\n";
  std::vector<TDatabaseProblem> vProblems;
  const TTagDatabase database = TTagDatabase::Parse(sText, vProblems);
  const TServedAnswer answer = AnswerRequest(database, {3, 10, u"\\Big"}, 0);
  EXPECT_LE(answer.sText.size(), MAX_ANSWER_UNITS);
  EXPECT_GT(answer.sText.size(), MAX_ANSWER_UNITS - 400);
  // The text ends with a whole record: the last one kept is complete.
  const size_t iLast = answer.sText.rfind(u'\x1E');
  ASSERT_NE(iLast, std::u16string::npos);
  const std::u16string sLastRecord = answer.sText.substr(iLast + 1);
  EXPECT_EQ(sLastRecord.substr(sLastRecord.find(u'\x1F') + 1, sFolder.size()), sFolder);
  EXPECT_EQ(sLastRecord.substr(sLastRecord.size() - 4), u".txt");
  EXPECT_NE(answer.sLog.find(u"CUT"), std::u16string::npos) << TextToUtf8(answer.sLog);
}

TEST(AnswerRequest, EachCodeWithItsAnswerAndLogLine) {
  const TTagDatabase database = Sample();
  const struct {
    TTagRequest request;
    int iAction;
    const char16_t* pAnswer;
    const char16_t* pLog;
  } cases[] = {
      {{1, 10, u"\\Acme"}, 0, u"report.pdf\x1F" u"C:\\Docs\\acme\\report.pdf",
       u"request 1: listing of \"\\Acme\": 0 folders, 1 document"},
      {{2, 10, u"\\Nope"}, 0, u"RR_INVALID_PATH",
       u"request 2: listing of \"\\Nope\": no such folder, answered RR_INVALID_PATH"},
      {{1, 30, u"\\Acme\\report.pdf"}, 0, u"C:\\Docs\\acme\\report.pdf",
       u"request 1: real path of \"\\Acme\\report.pdf\": \"C:\\Docs\\acme\\report.pdf\""},
      {{1, 30, u"\\Acme"}, 0, u"", u"request 1: real path of \"\\Acme\": a virtual folder"},
      {{1, 30, u"\\Acme\\x"}, 0, u"RR_INVALID_PATH",
       u"request 1: real path of \"\\Acme\\x\": nothing, answered RR_INVALID_PATH"},
      {{1, 40, u"\\Acme\\report.pdf"}, 0, u"0",
       u"request 1: click on \"\\Acme\\report.pdf\": action 0 (open with its program)"},
      {{1, 40, u"\\Acme\\report.pdf"}, 1, u"1",
       u"request 1: click on \"\\Acme\\report.pdf\": action 1 (show its real folder)"},
      {{5, 50, u"\\Acme"}, 0, u"RR_INVALID_PATH",
       u"request 5: unknown request code 50 for \"\\Acme\", answered RR_INVALID_PATH"},
  };
  for (const auto& c : cases) {
    const TServedAnswer answer = AnswerRequest(database, c.request, c.iAction);
    EXPECT_EQ(answer.sText, c.pAnswer) << Printable(c.pLog);
    EXPECT_EQ(answer.sLog, c.pLog);
  }
}

TEST(DescribeMessage, NamesTheSenderOfEachCode) {
  EXPECT_EQ(DescribeMessage(1, u"C:\\a.txt"), u"code 1 (path, mode t): \"C:\\a.txt\"");
  EXPECT_EQ(DescribeMessage(2, u"C:\\a.txt"), u"code 2 (path, mode s): \"C:\\a.txt\"");
  EXPECT_EQ(DescribeMessage(10, u"C:\\Docs"), u"code 10 (current folder of a watched process): \"C:\\Docs\"");
  EXPECT_EQ(DescribeMessage(7, u""), u"code 7 (not a code this server knows): \"\"");
}
