#include "sender/flitch_command.h"

#include <gtest/gtest.h>

#include "rtl/text_routines.h"

TEST(FlitchCommand, ModeLetterSelectsTheCodeOrRefuses) {
  using V = std::vector<std::u16string_view>;
  const struct {
    V vArgs;
    std::optional<uintptr_t> dwCode;
  } cases[] = {
      {V{u"Flitch", u"C:\\a b.txt", u"s"}, MSG_CODE_PATH_S},
      {V{u"Flitch", u"C:\\a", u"t"}, MSG_CODE_PATH_T},
      {V{u"Flitch", u"C:\\a", u"tags"}, MSG_CODE_PATH_T},
      {V{u"Flitch", u"C:\\a", u"send"}, MSG_CODE_PATH_S},
      {V{u"Flitch", u"", u"s"}, MSG_CODE_PATH_S},
      {V{u"Flitch", u"C:\\a", u"s", u"t", u"more"}, MSG_CODE_PATH_S},
      {V{u"Flitch", u"C:\\a", u"S"}, std::nullopt},
      {V{u"Flitch", u"C:\\a", u"T"}, std::nullopt},
      {V{u"Flitch", u"C:\\a", u""}, std::nullopt},
      {V{u"Flitch", u"C:\\a", u" s"}, std::nullopt},
      {V{u"Flitch", u"C:\\a", u"x"}, std::nullopt},
      {V{u"Flitch", u"C:\\a"}, std::nullopt},
      {V{u"Flitch"}, std::nullopt},
      {V{}, std::nullopt},
  };
  for (const auto& c : cases) {
    std::u16string sLine;
    for (auto sArg : c.vArgs) sLine += u"[" + std::u16string(sArg) + u"]";
    EXPECT_EQ(MessageCodeForArguments(c.vArgs), c.dwCode) << TextToUtf8(sLine);
  }
}
