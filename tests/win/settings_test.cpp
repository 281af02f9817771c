// The interface language read from Documents\Quillery\Ombrix.ini by FsInit,
// on real files. The language shows in the plugin's message boxes: a path
// that names no item makes FsExecuteFile show row 8 in the loaded language.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "common/messages.h"
#include "plugin/win/global_state.h"
#include "plugin/win/settings.h"
#include "tests/harness/message_box_recorder.h"
#include "tests/harness/plugin_host.h"
#include "tests/harness/scripted_tag_server.h"
#include "tests/win/real_files.h"

namespace {

constexpr wchar_t SHELL_FOLDERS_KEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr wchar_t PERSONAL_VALUE[] = L"Personal";

// The prefix links its documents folder to the Unix home folder, which all
// prefixes on the machine share. While these tests run, the documents
// folder is a folder inside this prefix instead, so that a settings file
// written here is seen by no other test run; the old setting comes back
// afterwards.
class TPrivateDocumentsFolder {
 public:
  TPrivateDocumentsFolder() {
    RegOpenKeyExW(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &hKey);
    DWORD dwSize = sizeof szSaved;
    bHadValue = RegQueryValueExW(hKey, PERSONAL_VALUE, nullptr, &dwSavedType, reinterpret_cast<BYTE*>(szSaved),
                                 &dwSize) == ERROR_SUCCESS;
    dwSavedSize = dwSize;
    wchar_t szPublic[MAX_PATH] = {};
    GetEnvironmentVariableW(L"PUBLIC", szPublic, MAX_PATH);
    sFolder = std::wstring(szPublic[0] ? szPublic : L"C:\\users\\Public") + L"\\Brackenfold test documents";
    CreateDirectoryW(sFolder.c_str(), nullptr);
    RegSetValueExW(hKey, PERSONAL_VALUE, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(sFolder.c_str()),
                   static_cast<DWORD>((sFolder.size() + 1) * sizeof(wchar_t)));
  }
  ~TPrivateDocumentsFolder() {
    if (bHadValue)
      RegSetValueExW(hKey, PERSONAL_VALUE, 0, dwSavedType, reinterpret_cast<const BYTE*>(szSaved), dwSavedSize);
    else
      RegDeleteValueW(hKey, PERSONAL_VALUE);
    RegCloseKey(hKey);
    RemoveTree(sFolder);
  }
  const std::wstring& Folder() const { return sFolder; }

 private:
  HKEY hKey = nullptr;
  bool bHadValue = false;
  DWORD dwSavedType = REG_EXPAND_SZ;
  DWORD dwSavedSize = 0;
  wchar_t szSaved[MAX_PATH * 2] = {};
  std::wstring sFolder;
};

std::wstring DocumentsFolder() {
  wchar_t szPath[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, szPath, CSIDL_PERSONAL, TRUE);
  return szPath;
}

std::string Utf16LeBytes(const std::wstring& sText, bool bWithMark) {
  std::string sBytes = bWithMark ? "\xFF\xFE" : "";
  for (wchar_t c : sText) {
    sBytes += static_cast<char>(c & 0xFF);
    sBytes += static_cast<char>(c >> 8);
  }
  return sBytes;
}

std::string Utf16BeBytes(const std::wstring& sText) {
  std::string sBytes = "\xFE\xFF";
  for (wchar_t c : sText) {
    sBytes += static_cast<char>(c >> 8);
    sBytes += static_cast<char>(c & 0xFF);
  }
  return sBytes;
}

std::string LanguageFile(int iLangID) { return "[LangSection]\r\nLangID=" + std::to_string(iLangID) + "\r\n"; }

constexpr char PROBE_PATH[] = "\\language probe";
constexpr wchar_t PROBE_DETAIL[] = L"GetOmbrixData (\\language probe): ";

class SettingsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { pDocuments = new TPrivateDocumentsFolder; }
  static void TearDownTestSuite() {
    delete pDocuments;
    pDocuments = nullptr;
  }

  void SetUp() override {
    ASSERT_EQ(DocumentsFolder(), pDocuments->Folder());
    ASSERT_TRUE(host.Loaded());
    RemoveTree(SettingsFile());
  }
  // Other tests must find no settings file and so LangID 0.
  void TearDown() override { RemoveTree(SettingsFile()); }

  static std::wstring QuilleryFolder() { return pDocuments->Folder() + L"\\Quillery"; }
  static std::wstring SettingsFile() { return QuilleryFolder() + L"\\Ombrix.ini"; }
  static void WriteSettings(const std::string& sBytes) {
    CreateDirectoryW(QuilleryFolder().c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(SettingsFile(), sBytes));
  }

  // The column of the message table the plugin's boxes use now; -1 when the
  // box did not come or matches neither column.
  int ShownLanguage() {
    recorder.Clear();
    char szName[MAX_PATH] = {};
    strcpy(szName, PROBE_PATH);
    EXPECT_EQ(host.fsExecuteFile(nullptr, szName, const_cast<char*>("open")), FS_EXEC_ERROR);
    if (!recorder.WaitForBoxes(1)) return -1;
    const std::wstring sText = recorder.Boxes()[0].sText;
    for (int iLang : {LANGID_RUSSIAN, LANGID_ENGLISH})
      if (sText == PROBE_DETAIL + Wide(MessageText(MSG_PATH_NOT_FOUND, iLang))) return iLang;
    ADD_FAILURE() << "unexpected box text";
    return -1;
  }

  static TPrivateDocumentsFolder* pDocuments;
  TScriptedTagServer server;
  TMessageBoxRecorder recorder;
  TPluginHost host;
};

TPrivateDocumentsFolder* SettingsTest::pDocuments = nullptr;

TEST_F(SettingsTest, FileFormsSetTheLanguageOfTheMessageBoxes) {
  const std::wstring sPlain = L"[LangSection]\r\nLangID=1\r\n";
  const struct {
    const char* pName;
    std::string sFile;
    int iExpected;
  } cases[] = {
      {"plain", LanguageFile(1), LANGID_ENGLISH},
      {"zero", LanguageFile(0), LANGID_RUSSIAN},
      {"small letters and blanks", "[langsection]\r\nlangid = 1\r\n", LANGID_ENGLISH},
      {"hexadecimal", "[LangSection]\r\nLangID=0x1\r\n", LANGID_ENGLISH},
      {"not a number", "[LangSection]\r\nLangID=abc\r\n", LANGID_RUSSIAN},
      {"empty value", "[LangSection]\r\nLangID=\r\n", LANGID_RUSSIAN},
      {"key above the first section", "LangID=1\r\n[LangSection]\r\n", LANGID_RUSSIAN},
      {"UTF-16 with mark", Utf16LeBytes(sPlain, true), LANGID_ENGLISH},
      {"UTF-16 big-endian with mark", Utf16BeBytes(sPlain), LANGID_ENGLISH},
      {"UTF-8 with mark", "\xEF\xBB\xBF[LangSection]\nLangID=1\n", LANGID_ENGLISH},
      {"UTF-16 without mark is not read as such", Utf16LeBytes(sPlain, false), LANGID_RUSSIAN},
      {"lone CR line ends", "[LangSection]\rLangID=1\r", LANGID_ENGLISH},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pName);
    // Start from the other language, so that each case must change it.
    WriteSettings(LanguageFile(1 - c.iExpected));
    ASSERT_EQ(host.Init(), 0);
    ASSERT_EQ(ShownLanguage(), 1 - c.iExpected);
    WriteSettings(c.sFile);
    ASSERT_EQ(host.Init(), 0);
    EXPECT_EQ(ShownLanguage(), c.iExpected);
  }
}

TEST_F(SettingsTest, FirstInitCreatesTheQuilleryFolderAndReadsRussian) {
  RemoveTree(QuilleryFolder());
  ASSERT_FALSE(IsFolder(QuilleryFolder()));
  EXPECT_EQ(host.Init(), 0);
  EXPECT_TRUE(IsFolder(QuilleryFolder()));
  EXPECT_FALSE(IsFile(SettingsFile()));
  EXPECT_EQ(ShownLanguage(), LANGID_RUSSIAN);
}

TEST_F(SettingsTest, UnreadableOrMissingFileReadsLikeNone) {
  WriteSettings(LanguageFile(1));
  ASSERT_EQ(host.Init(), 0);
  ASSERT_EQ(ShownLanguage(), LANGID_ENGLISH);
  {
    // Another program holds the file open for writing: the reader, which
    // keeps others from writing while it reads, cannot open it.
    const HANDLE hWriter = CreateFileW(SettingsFile().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hWriter, INVALID_HANDLE_VALUE);
    EXPECT_EQ(host.Init(), 0);
    EXPECT_EQ(ShownLanguage(), LANGID_RUSSIAN);
    CloseHandle(hWriter);
  }
  // Readable again, the same file gives English once more.
  ASSERT_EQ(host.Init(), 0);
  ASSERT_EQ(ShownLanguage(), LANGID_ENGLISH);

  ASSERT_TRUE(DeleteFileW(SettingsFile().c_str()));
  EXPECT_EQ(host.Init(), 0);
  EXPECT_EQ(ShownLanguage(), LANGID_RUSSIAN);

  // A folder of the file's name reads as an empty file.
  ASSERT_TRUE(CreateDirectoryW(SettingsFile().c_str(), nullptr));
  EXPECT_EQ(host.Init(), 0);
  EXPECT_EQ(ShownLanguage(), LANGID_RUSSIAN);
  RemoveDirectoryW(SettingsFile().c_str());
}

TEST_F(SettingsTest, EditsCountOnlyFromTheNextInit) {
  WriteSettings(LanguageFile(1));
  ASSERT_EQ(host.Init(), 0);
  EXPECT_EQ(ShownLanguage(), LANGID_ENGLISH);
  WriteSettings(LanguageFile(0));
  EXPECT_EQ(ShownLanguage(), LANGID_ENGLISH);
  ASSERT_EQ(host.Init(), 0);
  EXPECT_EQ(ShownLanguage(), LANGID_RUSSIAN);
}

TEST_F(SettingsTest, ValueIsStoredAsReadWithoutARangeTest) {
  // LangID of this program's own copy of the plugin code, which reads the
  // same file the same way.
  const struct {
    std::string sFile;
    int32_t iExpected;
  } cases[] = {{LanguageFile(2), 2}, {LanguageFile(-1), -1}, {"[LangSection]\r\nLangID=0x7FFFFFFF\r\n", INT32_MAX}};
  for (const auto& c : cases) {
    WriteSettings(c.sFile);
    LangID = 12345;
    LoadInterfaceLanguage();
    EXPECT_EQ(LangID, c.iExpected) << c.sFile;
  }
  EXPECT_EQ(ReadSettingInteger(u"LangSection", u"Missing", 77), 77);
  EXPECT_EQ(ReadSettingInteger(u"Missing", u"LangID", -5), -5);
  LangID = 0;
  // A language outside the table's two columns shows the first one.
  WriteSettings(LanguageFile(2));
  ASSERT_EQ(host.Init(), 0);
  EXPECT_EQ(ShownLanguage(), LANGID_RUSSIAN);
}

TEST_F(SettingsTest, DocumentsFolderPathComesFromTheSystem) {
  EXPECT_EQ(Wide(GetSpecialFolderPath(CSIDL_PERSONAL)), pDocuments->Folder());
  // An id the system does not know gives empty text.
  EXPECT_EQ(GetSpecialFolderPath(0x7F), u"");
}

}  // namespace
