// Cleaning of the local target name that the host builds for a copy out of
// the virtual tree: virtual names may hold characters that a Windows file
// name cannot, and a listing may carry a suffix after the name-cut marker
// that must not reach the disk.
#pragma once

#include <string>
#include <string_view>

// U+001C, blank, vertical bar, blank: a component is cut before it.
inline constexpr char16_t NAME_CUT_MARKER[] = u"\x1C | ";

// The target name actually written: the first component (the drive, or the
// empty text before a leading backslash) as it is, every other component
// cleaned by CleanNameComponent, joined by single backslashes. One trailing
// backslash of the local name is dropped.
std::u16string CleanLocalName(std::u16string_view sLocalName);

// The component up to the first name-cut marker, then StripNameComponent.
std::u16string CleanNameComponent(std::u16string_view sComponent);

// Trimmed; then one final full stop removed; then every double quote,
// backslash and colon removed.
std::u16string StripNameComponent(std::u16string_view sComponent);

// The folder that must exist before the copy: the trimmed name less one
// trailing backslash, up to and including its last backslash or colon;
// empty when it has neither.
std::u16string LocalFolderOf(std::u16string_view sLocalName);
