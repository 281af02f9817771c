// The plugin's one setting, the interface language, read from the tag
// server's settings file Documents\Quillery\Ombrix.ini. The file is only
// read, never written; every failure ends in the default value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr char16_t SETTINGS_FOLDER_NAME[] = u"Quillery";
inline constexpr char16_t SETTINGS_FILE_NAME[] = u"Ombrix.ini";
inline constexpr char16_t LANGUAGE_SECTION[] = u"LangSection";
inline constexpr char16_t LANGUAGE_KEY[] = u"LangID";

// The special folder's path (created when missing), or empty text.
std::u16string GetSpecialFolderPath(int iCsidl);

// The integer of the key in the settings file, or iDefault. Creates the
// Quillery folder (and any missing folder above it) on the way.
int32_t ReadSettingInteger(std::u16string_view sSection, std::u16string_view sKey, int32_t iDefault);

// Sets LangID from the settings file; 0 when it holds no valid value.
void LoadInterfaceLanguage();
