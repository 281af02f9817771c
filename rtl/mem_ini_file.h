// TMemIniFile: the in-memory INI reader in the text form the tag server's
// settings file is written in. It is built from the file's raw bytes, so it
// needs no file system; the caller supplies how bytes without a byte-order
// mark are decoded (the system's ANSI code page on Windows).
//
// The text form:
// - byte-order marks FF FE (UTF-16 LE), FE FF (UTF-16 BE) and EF BB BF
//   (UTF-8), tested in that order; without one the bytes are ANSI;
// - lines end at CR LF, a lone CR or a lone LF; each line is trimmed of
//   blanks and control characters; empty lines and lines beginning with ";"
//   are skipped;
// - "[name]" opens a section (the name trimmed); lines before the first
//   section belong to none and are ignored;
// - "key = value" inside a section: the key before the first "=" and the
//   value after it, both trimmed; a line without "=" defines nothing;
// - sections and keys match without regard to case; of several sections
//   with one name the last is searched, and in it the last occurrence of
//   a key counts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TMemIniFile {
 public:
  using TAnsiDecoder = std::function<std::u16string(std::string_view)>;

  TMemIniFile(std::string_view sBytes, const TAnsiDecoder& decodeAnsi);

  // The value of the key in the section, or sDefault when there is none.
  std::u16string ReadString(std::u16string_view sSection, std::u16string_view sKey,
                            std::u16string_view sDefault) const;
  // The value as a 32-bit signed integer by the strict integer rule
  // (decimal with an optional sign, or hexadecimal after "0x"); iDefault
  // for a missing key, an empty value or one that is not such a number.
  int32_t ReadInteger(std::u16string_view sSection, std::u16string_view sKey, int32_t iDefault) const;

 private:
  struct TSection {
    std::u16string sName;
    std::vector<std::pair<std::u16string, std::u16string>> vValues;
  };
  void Parse(std::u16string_view sText);

  std::vector<TSection> vSections;
};

// The file's bytes as text: the byte-order mark decides the encoding and is
// not part of the text; bytes without one go through decodeAnsi.
std::u16string DecodeIniBytes(std::string_view sBytes, const TMemIniFile::TAnsiDecoder& decodeAnsi);
