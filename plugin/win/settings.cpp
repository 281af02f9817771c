#include "plugin/win/settings.h"

#include <windows.h>
#include <shlobj.h>

#include "common/win_text.h"
#include "plugin/core/path_text.h"
#include "plugin/win/ansi_text.h"
#include "plugin/win/global_state.h"
#include "plugin/win/path_helpers.h"
#include "plugin/win/win_handles.h"
#include "rtl/mem_ini_file.h"

namespace {

// The whole file, read while others are kept from writing it. A missing
// file, a folder of that name and a file that cannot be opened or read
// all give no bytes, so the reader sees an empty file.
std::string ReadWholeFile(const std::u16string& sFileName) {
  const HANDLE hRaw = CreateFileW(AsWide(sFileName), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hRaw == INVALID_HANDLE_VALUE) return {};
  const TUniqueHandle hFile(hRaw);
  LARGE_INTEGER size{};
  // A settings file is small; anything that does not fit a 32-bit read is not one.
  if (!GetFileSizeEx(hFile.get(), &size) || size.QuadPart < 0 || size.QuadPart > MAXDWORD / 2) return {};
  std::string sBytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t iRead = 0;
  while (iRead < sBytes.size()) {
    DWORD dwChunk = 0;
    if (!ReadFile(hFile.get(), sBytes.data() + iRead, static_cast<DWORD>(sBytes.size() - iRead), &dwChunk,
                  nullptr))
      return {};
    if (dwChunk == 0) break;  // The file shrank meanwhile: keep what was there.
    iRead += dwChunk;
  }
  sBytes.resize(iRead);
  return sBytes;
}

}  // namespace

std::u16string GetSpecialFolderPath(int iCsidl) {
  wchar_t szPath[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, szPath, iCsidl, TRUE)) return {};
  return std::u16string(AsText(szPath));
}

int32_t ReadSettingInteger(std::u16string_view sSection, std::u16string_view sKey, int32_t iDefault) {
  // Without a documents folder, or when the Quillery folder cannot be made,
  // the name becomes "\Ombrix.ini" in the current drive's root.
  const std::u16string sFolder =
      CreateFolderChain(JoinPath(GetSpecialFolderPath(CSIDL_PERSONAL), SETTINGS_FOLDER_NAME));
  const TMemIniFile ini(ReadWholeFile(JoinPath(sFolder, SETTINGS_FILE_NAME)),
                        [](std::string_view sAnsi) { return AnsiToText(sAnsi); });
  return ini.ReadInteger(sSection, sKey, iDefault);
}

void LoadInterfaceLanguage() { LangID = ReadSettingInteger(LANGUAGE_SECTION, LANGUAGE_KEY, 0); }
