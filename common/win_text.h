// UTF-16 texts at the Win32 edge: on Windows wchar_t is a UTF-16 unit, so a
// std::u16string is handed to the system by converting the pointer.
#pragma once

#include <string>

static_assert(sizeof(wchar_t) == 2, "Win32 wide texts are UTF-16");

inline const wchar_t* AsWide(const std::u16string& sText) {
  return reinterpret_cast<const wchar_t*>(sText.c_str());
}
inline const wchar_t* AsWide(const char16_t* pText) { return reinterpret_cast<const wchar_t*>(pText); }
inline wchar_t* AsWideBuffer(char16_t* pText) { return reinterpret_cast<wchar_t*>(pText); }
inline const char16_t* AsText(const wchar_t* pText) { return reinterpret_cast<const char16_t*>(pText); }
