// What the path sender makes of its split command line: the message code to
// send the path with, or a refusal. Argument 0 is the program, argument 1 the
// path and argument 2 the mode; further arguments are ignored. Only the mode's
// first UTF-16 unit counts, compared case-sensitively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/tag_server_contract.h"

// Program, path and mode.
inline constexpr std::size_t FLITCH_ARGUMENT_COUNT = 3;
inline constexpr std::size_t FLITCH_PATH_ARGUMENT = 1;
inline constexpr std::size_t FLITCH_MODE_ARGUMENT = 2;

// The exit codes, the program's only result.
inline constexpr int FLITCH_EXIT_SENT = 0;
inline constexpr int FLITCH_EXIT_REFUSED = 1;

// "s" gives code 2, "t" code 1; anything else, an empty mode included, none.
inline std::optional<uintptr_t> MessageCodeForMode(std::u16string_view sMode) {
  if (sMode.empty()) return std::nullopt;
  switch (sMode.front()) {
    case u's':
      return MSG_CODE_PATH_S;
    case u't':
      return MSG_CODE_PATH_T;
    default:
      return std::nullopt;
  }
}

// The code to send argument 1 with, or none when the command line is refused.
inline std::optional<uintptr_t> MessageCodeForArguments(const std::vector<std::u16string_view>& vArgs) {
  if (vArgs.size() < FLITCH_ARGUMENT_COUNT) return std::nullopt;
  return MessageCodeForMode(vArgs[FLITCH_MODE_ARGUMENT]);
}
