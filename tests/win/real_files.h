// Real files for the Windows tests: a private folder under the prefix's
// temporary folder, removed with everything in it when the test ends, and
// small helpers to write, read and inspect files.
#pragma once

#include <windows.h>

#include <string>

inline bool WriteBytes(const std::wstring& sPath, const std::string& sBytes) {
  const HANDLE hFile = CreateFileW(sPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr);
  if (hFile == INVALID_HANDLE_VALUE) return false;
  DWORD dwWritten = 0;
  const BOOL bOk = WriteFile(hFile, sBytes.data(), static_cast<DWORD>(sBytes.size()), &dwWritten, nullptr);
  CloseHandle(hFile);
  return bOk && dwWritten == sBytes.size();
}

// The whole file; "<missing>" when it cannot be opened.
inline std::string ReadBytes(const std::wstring& sPath) {
  const HANDLE hFile = CreateFileW(sPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) return "<missing>";
  std::string sBytes;
  char buffer[4096];
  DWORD dwRead = 0;
  while (ReadFile(hFile, buffer, sizeof buffer, &dwRead, nullptr) && dwRead > 0) sBytes.append(buffer, dwRead);
  CloseHandle(hFile);
  return sBytes;
}

inline bool IsFile(const std::wstring& sPath) {
  const DWORD dwAttributes = GetFileAttributesW(sPath.c_str());
  return dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool IsFolder(const std::wstring& sPath) {
  const DWORD dwAttributes = GetFileAttributesW(sPath.c_str());
  return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Removes a file or a folder with everything below it.
inline void RemoveTree(const std::wstring& sPath) {
  const DWORD dwAttributes = GetFileAttributesW(sPath.c_str());
  if (dwAttributes == INVALID_FILE_ATTRIBUTES) return;
  if (!(dwAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesW(sPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(sPath.c_str());
    return;
  }
  WIN32_FIND_DATAW data;
  const HANDLE hFind = FindFirstFileW((sPath + L"\\*").c_str(), &data);
  if (hFind != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring sName = data.cFileName;
      if (sName != L"." && sName != L"..") RemoveTree(sPath + L"\\" + sName);
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
  }
  RemoveDirectoryW(sPath.c_str());
}

// A fresh folder under the temporary folder, named after the test program
// and its process, gone with its contents when the object is destroyed.
class TTempFolder {
 public:
  explicit TTempFolder(const std::wstring& sName) {
    wchar_t szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    sPath = std::wstring(szTemp) + sName + L"_" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(sPath);
    CreateDirectoryW(sPath.c_str(), nullptr);
  }
  ~TTempFolder() { RemoveTree(sPath); }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::wstring& Path() const { return sPath; }
  std::wstring operator/(const std::wstring& sName) const { return sPath + L"\\" + sName; }

 private:
  std::wstring sPath;
};
