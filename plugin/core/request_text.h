// The texts of a request to the tag server and the numbering of requests.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

// "VFS_REQUEST_" followed by the number in decimal.
std::u16string RequestName(uint32_t dwNumber);
// Number, U+001E, request code, U+001E, path; nothing is escaped.
std::u16string RequestText(uint32_t dwNumber, int iCode, std::u16string_view sPath);
// The answer: the text from the start of the buffer up to its first NUL,
// and never past the buffer's end (a server may fill it without a NUL).
std::u16string AnswerFromBuffer(const char16_t* pBuffer, size_t iUnits);

// Numbers of the requests in flight. A new request takes the smallest
// positive number that no request in flight holds, so two requests in
// flight never share their named objects. Not thread-safe: the caller
// holds the request lock.
class TRequestNumbers {
 public:
  uint32_t Acquire();
  void Release(uint32_t dwNumber);
  size_t InFlight() const { return setInUse.size(); }

 private:
  std::set<uint32_t> setInUse;
};
