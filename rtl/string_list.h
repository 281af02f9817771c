// TStringList: an ordered list of UTF-16 texts with the delimited-text forms
// the plugin reads and writes. Only strict delimiting is provided: the
// delimiter alone separates items, blanks are ordinary characters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TStringList {
 public:
  virtual ~TStringList() = default;

  char16_t Delimiter = u',';
  char16_t NameValueSeparator = u'=';
  char16_t QuoteChar = u'"';

  int Count() const { return static_cast<int>(vItems.size()); }
  const std::u16string& Strings(int iIndex) const { return vItems[iIndex]; }
  void Put(int iIndex, std::u16string sItem) { vItems[iIndex] = std::move(sItem); }
  void Add(std::u16string sItem) { vItems.push_back(std::move(sItem)); }
  void Clear() { vItems.clear(); }

  // Text before the first name/value separator; empty when there is none
  // or when nothing stands before it.
  std::u16string_view Names(int iIndex) const;
  // Text after the first name/value separator; empty whenever the name is.
  std::u16string_view ValueFromIndex(int iIndex) const;

  // Replaces the items by those read from sText:
  // - items are separated by Delimiter; n delimiters give n + 1 items, empty ones too;
  // - an item that begins with QuoteChar is quoted: a doubled quote stands for one,
  //   a single quote ends it, the delimiter inside belongs to it; text right after
  //   the closing quote other than a delimiter starts a further item;
  // - an unclosed quoted item takes the rest of the text less its last character;
  // - empty text gives no items.
  void SetDelimitedText(std::u16string_view sText);

  // The items joined by Delimiter; an item that contains QuoteChar or
  // Delimiter is quoted with its quotes doubled; a single empty item is "".
  std::u16string DelimitedText() const;

 private:
  std::vector<std::u16string> vItems;
};
