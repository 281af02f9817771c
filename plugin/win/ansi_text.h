// Conversion between the host's 8-bit ANSI texts (the system's ANSI code
// page) and the UTF-16 texts used inside. Only the entry points convert.
#pragma once

#include <string>
#include <string_view>

std::u16string AnsiToText(const char* pAnsi);
std::u16string AnsiToText(std::string_view sAnsi);
// A character the code page lacks becomes the code page's default character.
std::string TextToAnsi(std::u16string_view sText);
