// Text routines the plugin relies on, in the exact forms the tag server's
// answers and the host's paths need: trimming, the trailing backslash rules,
// the strict text-to-integer conversion and decimal formatting.
// All texts are UTF-16, so every count is a count of UTF-16 units.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Removes every leading and trailing unit whose code is U+0020 or lower.
std::u16string Trim(std::u16string_view sText);

bool EndsWithBackslash(std::u16string_view sText);
// Removes exactly one backslash at the end, if there is one.
std::u16string ExcludeTrailingBackslash(std::u16string_view sText);
// Appends one backslash unless the text already ends with one; empty text gives "\".
std::u16string IncludeTrailingBackslash(std::u16string_view sText);

// Strict conversion: optional leading blanks (U+0020 only), an optional sign,
// then decimal digits, or a hexadecimal number introduced by "$", "x", "X",
// "0x" or "0X". Nothing may follow. A decimal value must fit a signed 32-bit
// integer, a hexadecimal one 32 bits (read as two's complement).
bool TryStrToInt(std::u16string_view sText, int32_t& iValue);

std::u16string IntToText(int64_t iValue);

// Replaces every occurrence of sFind (non-empty) by sReplacement.
std::u16string ReplaceAll(std::u16string_view sText, std::u16string_view sFind,
                          std::u16string_view sReplacement);

// Test and diagnostic helpers: UTF-8 <-> UTF-16 (unpaired surrogates become U+FFFD).
std::u16string Utf8ToText(std::string_view sUtf8);
std::string TextToUtf8(std::u16string_view sText);
