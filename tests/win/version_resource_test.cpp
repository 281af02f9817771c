// The version resource of every shipped program, of both trees, read back as
// the system's file properties read it, against the one version source of
// the repository (the file VERSION). The 32-bit programs are only read as
// data, which a 64-bit process can do.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/harness/plugin_host.h"

namespace {

struct TVersion {
  std::wstring sText;
  WORD wNumbers[3] = {0, 0, 0};
};

// The repository's version source, read and parsed on its own here rather
// than through the header the build made of it.
TVersion RepositoryVersion() {
  std::ifstream file(BRACKENFOLD_VERSION_FILE);
  std::string sLine;
  std::getline(file, sLine);
  while (!sLine.empty() && (sLine.back() == '\r' || sLine.back() == ' ')) sLine.pop_back();
  TVersion version;
  version.sText.assign(sLine.begin(), sLine.end());
  std::istringstream parts(sLine);
  char cDot1 = 0, cDot2 = 0;
  parts >> version.wNumbers[0] >> cDot1 >> version.wNumbers[1] >> cDot2 >> version.wNumbers[2];
  EXPECT_TRUE(parts && cDot1 == '.' && cDot2 == '.') << "VERSION holds '" << sLine << "'";
  return version;
}

class TVersionBlock {
 public:
  explicit TVersionBlock(const std::wstring& sPath) {
    DWORD dwIgnored = 0;
    const DWORD dwSize = GetFileVersionInfoSizeW(sPath.c_str(), &dwIgnored);
    if (dwSize == 0) return;
    vData.resize(dwSize);
    if (!GetFileVersionInfoW(sPath.c_str(), 0, dwSize, vData.data())) vData.clear();
  }
  bool Read() const { return !vData.empty(); }

  const VS_FIXEDFILEINFO* Fixed() const {
    void* pValue = nullptr;
    UINT uSize = 0;
    if (!VerQueryValueW(vData.data(), L"\\", &pValue, &uSize) || uSize < sizeof(VS_FIXEDFILEINFO)) return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(pValue);
  }
  // A value of the string table named by the resource's first translation.
  std::wstring String(const wchar_t* pName) const {
    struct TTranslation {
      WORD wLanguage;
      WORD wCodePage;
    };
    void* pValue = nullptr;
    UINT uSize = 0;
    if (!VerQueryValueW(vData.data(), L"\\VarFileInfo\\Translation", &pValue, &uSize) ||
        uSize < sizeof(TTranslation))
      return L"<no translation>";
    const auto* pTranslation = static_cast<const TTranslation*>(pValue);
    wchar_t szQuery[128];
    swprintf(szQuery, 128, L"\\StringFileInfo\\%04x%04x\\%ls", pTranslation->wLanguage, pTranslation->wCodePage,
             pName);
    if (!VerQueryValueW(vData.data(), szQuery, &pValue, &uSize) || uSize == 0) return L"<missing>";
    return static_cast<const wchar_t*>(pValue);
  }

 private:
  std::vector<char> vData;
};

std::wstring Win32Folder() {
  const std::string sFolder = BRACKENFOLD_WIN32_BIN;
  return std::wstring(sFolder.begin(), sFolder.end());
}

TEST(VersionResource, EveryProgramOfBothTreesCarriesTheRepositoryVersion) {
  const TVersion version = RepositoryVersion();
  const DWORD dwVersionMS = MAKELONG(version.wNumbers[1], version.wNumbers[0]);
  const DWORD dwVersionLS = MAKELONG(0, version.wNumbers[2]);
  const struct {
    std::wstring sFolder;
    const wchar_t* pFile;
    const wchar_t* pProgram;  // the name the description starts with
    DWORD dwFileType;
  } programs[] = {
      {TPluginHost::BinaryFolder(), L"Brackenfold.wfx64", L"Brackenfold", VFT_DLL},
      {TPluginHost::BinaryFolder(), L"Corvane64.dll", L"Corvane", VFT_DLL},
      // Built for the tests only; it ships as the 32-bit program.
      {TPluginHost::BinaryFolder(), L"Flitch.exe", L"Flitch", VFT_APP},
      {Win32Folder(), L"Brackenfold.wfx", L"Brackenfold", VFT_DLL},
      {Win32Folder(), L"Corvane.dll", L"Corvane", VFT_DLL},
      {Win32Folder(), L"Flitch.exe", L"Flitch", VFT_APP},
  };
  for (const auto& program : programs) {
    const std::wstring sPath = program.sFolder + L"\\" + program.pFile;
    SCOPED_TRACE(std::string(sPath.begin(), sPath.end()));
    const TVersionBlock block(sPath);
    ASSERT_TRUE(block.Read()) << "error " << GetLastError();
    const VS_FIXEDFILEINFO* pFixed = block.Fixed();
    ASSERT_NE(pFixed, nullptr);
    EXPECT_EQ(pFixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(pFixed->dwFileVersionMS, dwVersionMS);
    EXPECT_EQ(pFixed->dwFileVersionLS, dwVersionLS);
    EXPECT_EQ(pFixed->dwProductVersionMS, dwVersionMS);
    EXPECT_EQ(pFixed->dwProductVersionLS, dwVersionLS);
    EXPECT_EQ(pFixed->dwFileType, program.dwFileType);
    EXPECT_EQ(block.String(L"FileVersion"), version.sText);
    EXPECT_EQ(block.String(L"ProductVersion"), version.sText);
    EXPECT_EQ(block.String(L"ProductName"), L"Brackenfold");
    EXPECT_EQ(block.String(L"OriginalFilename"), program.pFile);
    const std::wstring sDescription = block.String(L"FileDescription");
    EXPECT_EQ(sDescription.rfind(std::wstring(program.pProgram) + L": ", 0), 0u)
        << std::string(sDescription.begin(), sDescription.end());
  }
}

}  // namespace
