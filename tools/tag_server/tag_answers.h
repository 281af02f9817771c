// What the reference tag server makes of the messages it receives: the
// request text split into its parts, the answer text for each request code
// (within the size of the answer buffer) and the line it logs.
// Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/tag_server/tag_tree.h"

// The most characters an answer may have: the buffer holds them and the NUL.
inline constexpr size_t MAX_ANSWER_UNITS = 0xA00000 / sizeof(char16_t) - 1;

struct TTagRequest {
  uint32_t dwNumber;
  int iCode;
  std::u16string sPath;
};

// Splits "n U+001E code U+001E path" at its first two separators. The number
// must be a positive decimal that fits 32 bits and the code a decimal; the
// path is the rest, separators included. None when the text is not a request.
std::optional<TTagRequest> ParseRequest(std::u16string_view sText);

// One listing record: name, U+001F, value; quoted (with its quotes doubled)
// when it begins with a quotation mark or holds U+001E, so that it reads back
// as one record.
std::u16string ListingRecord(const TListingEntry& entry);

struct TListingText {
  std::u16string sText;
  size_t iRecords = 0;  // records in the text
  size_t iDropped = 0;  // records left out because the text would not fit
};

// The records joined by U+001E, as many whole records as fit in iMaxUnits.
TListingText MakeListingText(const std::vector<TListingEntry>& vEntries, size_t iMaxUnits);

struct TServedAnswer {
  std::u16string sText;  // written into the request's buffer
  std::u16string sLog;   // one line for the server's log
};

// The answer to a request: a listing (code 10), a real path (code 30) or the
// click action (code 40); RR_INVALID_PATH for any other code.
TServedAnswer AnswerRequest(const TTagDatabase& database, const TTagRequest& request, int iClickAction,
                            size_t iMaxUnits = MAX_ANSWER_UNITS);

// The log line for a message that gets no answer (codes 1, 2, 10 and any
// unknown code).
std::u16string DescribeMessage(uintptr_t dwCode, std::u16string_view sText);
