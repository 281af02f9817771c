#include "plugin/win/ansi_text.h"

#include <windows.h>

#include <cstring>

#include "common/win_text.h"

std::u16string AnsiToText(std::string_view sAnsi) {
  if (sAnsi.empty()) return {};
  const int iUnits = MultiByteToWideChar(CP_ACP, 0, sAnsi.data(), static_cast<int>(sAnsi.size()), nullptr, 0);
  std::u16string sText(static_cast<size_t>(iUnits), u'\0');
  MultiByteToWideChar(CP_ACP, 0, sAnsi.data(), static_cast<int>(sAnsi.size()), AsWideBuffer(sText.data()),
                      iUnits);
  return sText;
}

std::u16string AnsiToText(const char* pAnsi) {
  return pAnsi ? AnsiToText(std::string_view(pAnsi, std::strlen(pAnsi))) : std::u16string();
}

std::string TextToAnsi(std::u16string_view sText) {
  if (sText.empty()) return {};
  const wchar_t* pWide = reinterpret_cast<const wchar_t*>(sText.data());
  const int iLength = static_cast<int>(sText.size());
  const int iBytes = WideCharToMultiByte(CP_ACP, 0, pWide, iLength, nullptr, 0, nullptr, nullptr);
  std::string sAnsi(static_cast<size_t>(iBytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, pWide, iLength, sAnsi.data(), iBytes, nullptr, nullptr);
  return sAnsi;
}
