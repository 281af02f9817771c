#include "plugin/core/request_text.h"

#include <gtest/gtest.h>

TEST(RequestText, NumberCodeAndPathSeparatedByRecordSeparators) {
  const std::u16string sText = RequestText(1, 30, u"C:\\a");
  EXPECT_EQ(sText, u"1\x1E" u"30\x1E" u"C:\\a");
  EXPECT_EQ(sText.size(), 9u);
  EXPECT_EQ(RequestText(12, 10, u""), u"12\x1E" u"10\x1E");
  // Nothing in the path is escaped.
  EXPECT_EQ(RequestText(3, 40, u"\\a\x1E" u"b"), u"3\x1E" u"40\x1E\\a\x1E" u"b");
  EXPECT_EQ(RequestName(1), u"VFS_REQUEST_1");
  EXPECT_EQ(RequestName(4294967295u), u"VFS_REQUEST_4294967295");
}

TEST(AnswerFromBuffer, StopsAtTheFirstNulOrAtTheEnd) {
  const char16_t aBuffer[] = {u'a', u'b', u'\0', u'c', u'd'};
  EXPECT_EQ(AnswerFromBuffer(aBuffer, 5), u"ab");
  EXPECT_EQ(AnswerFromBuffer(aBuffer + 3, 2), u"cd");
  EXPECT_EQ(AnswerFromBuffer(aBuffer + 2, 3), u"");
  EXPECT_EQ(AnswerFromBuffer(aBuffer, 0), u"");
}

TEST(TRequestNumbers, NestedRequestsCountUpAndNeverCollide) {
  TRequestNumbers numbers;
  EXPECT_EQ(numbers.Acquire(), 1u);
  EXPECT_EQ(numbers.Acquire(), 2u);
  // The first ends while the second is still in flight: the next takes 1, not 2.
  numbers.Release(1);
  EXPECT_EQ(numbers.InFlight(), 1u);
  EXPECT_EQ(numbers.Acquire(), 1u);
  EXPECT_EQ(numbers.Acquire(), 3u);
  numbers.Release(2);
  EXPECT_EQ(numbers.Acquire(), 2u);
  for (uint32_t n : {1u, 2u, 3u}) numbers.Release(n);
  EXPECT_EQ(numbers.InFlight(), 0u);
  EXPECT_EQ(numbers.Acquire(), 1u);
}
