#include "platform/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using platform::FormatCount;
using platform::FormatItemNumber;
using platform::FormatPrice;
using platform::ParseDouble;
using platform::ParseInt64;

TEST(ParseInt64, ReadsDigitsUpToTheFirstNonDigit) {
  EXPECT_EQ(ParseInt64("1042"), 1042);
  EXPECT_EQ(ParseInt64("12abc"), 12);
  EXPECT_EQ(ParseInt64(" \t12"), 12);
  EXPECT_EQ(ParseInt64("-5"), -5);
  EXPECT_EQ(ParseInt64("+7"), 7);
  EXPECT_EQ(ParseInt64("100000000000000001"), 100000000000000001);
}

TEST(ParseInt64, GivesZeroWithoutDigits) {
  EXPECT_EQ(ParseInt64(""), 0);
  EXPECT_EQ(ParseInt64("ABC"), 0);
  EXPECT_EQ(ParseInt64("-"), 0);
  EXPECT_EQ(ParseInt64("+-3"), 0);
  EXPECT_EQ(ParseInt64(" - 3"), 0);
}

TEST(ParseInt64, SaturatesBeyondTheSigned64BitRange) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  EXPECT_EQ(ParseInt64("9223372036854775807"), kMax);
  EXPECT_EQ(ParseInt64("9223372036854775808"), kMax);
  EXPECT_EQ(ParseInt64("99999999999999999999999"), kMax);
  EXPECT_EQ(ParseInt64("-9223372036854775808"), kMin);
  EXPECT_EQ(ParseInt64("-9223372036854775809"), kMin);
}

TEST(ParseDouble, ReadsDecimalNumbersOnly) {
  EXPECT_DOUBLE_EQ(ParseDouble("1.999"), 1.999);
  EXPECT_DOUBLE_EQ(ParseDouble("  -2.5x"), -2.5);
  EXPECT_DOUBLE_EQ(ParseDouble(".5"), 0.5);
  EXPECT_DOUBLE_EQ(ParseDouble("3."), 3.0);
  EXPECT_DOUBLE_EQ(ParseDouble("1e2"), 100.0);
  EXPECT_DOUBLE_EQ(ParseDouble("1e"), 1.0);
  EXPECT_EQ(ParseDouble(""), 0.0);
  EXPECT_EQ(ParseDouble("."), 0.0);
  EXPECT_EQ(ParseDouble("abc"), 0.0);
  EXPECT_EQ(ParseDouble("inf"), 0.0);
  EXPECT_EQ(ParseDouble("nan"), 0.0);
  EXPECT_EQ(ParseDouble("0x10"), 0.0);
  EXPECT_TRUE(std::isinf(ParseDouble("1e999")));
}

TEST(NumberFormats, MatchThePrintfFormatsShown) {
  EXPECT_EQ(FormatCount(0), "0");
  EXPECT_EQ(FormatCount(-12), "-12");
  EXPECT_EQ(FormatItemNumber(-1), "-1");
  EXPECT_EQ(FormatItemNumber(std::numeric_limits<int64_t>::max()), "9223372036854775807");
  EXPECT_EQ(FormatPrice(1.999), "2.00");
  EXPECT_EQ(FormatPrice(static_cast<double>(2.999f)), "3.00");
  EXPECT_EQ(FormatPrice(0.0), "0.00");
  EXPECT_EQ(FormatPrice(static_cast<double>(std::numeric_limits<float>::max())).size(), 42u);
}
