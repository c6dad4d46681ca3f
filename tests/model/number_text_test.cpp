#include "model/number_text.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(StandardDecimal, AcceptsBlanksAndSignStopsAtFirstNonDigitAndClamps) {
  struct Case {
    const char* text;
    std::int32_t value;
    bool clamped;
  };
  const Case cases[] = {
      {"42", 42, false},
      {"  -17", -17, false},
      {"+8", 8, false},
      {"12abc", 12, false},
      {"1.9", 1, false},
      {"", 0, false},
      {"abc", 0, false},
      {"-", 0, false},
      {" \t 5 ", 5, false},
      {"2147483647", 2147483647, false},
      {"2147483648", 2147483647, true},
      {"-2147483648", -2147483647 - 1, false},
      {"-99999999999999999999", -2147483647 - 1, true},
      {"99999999999999999999999999", 2147483647, true},
  };
  for (const Case& c : cases) {
    const DecimalValue v = StandardDecimal(c.text);
    EXPECT_EQ(v.value, c.value) << c.text;
    EXPECT_EQ(v.clamped, c.clamped) << c.text;
  }
}

TEST(ConfigConversions, ReturnNothingForNoNumberOrOutOfRange) {
  EXPECT_EQ(ParseUnsigned32("10", 16), 16u);
  EXPECT_EQ(ParseUnsigned32("  ff", 16), 255u);
  EXPECT_EQ(ParseUnsigned32("0x1A", 16), 26u);
  EXPECT_EQ(ParseUnsigned32("10", 10), 10u);
  EXPECT_EQ(ParseUnsigned32("115200baud", 10), 115200u);
  EXPECT_EQ(ParseUnsigned32("4294967295", 10), 4294967295u);
  EXPECT_EQ(ParseUnsigned32("4294967296", 10), std::nullopt);
  EXPECT_EQ(ParseUnsigned32("-1", 10), std::nullopt);
  EXPECT_EQ(ParseUnsigned32("zz", 16), std::nullopt);
  EXPECT_EQ(ParseUnsigned32("", 10), std::nullopt);
  EXPECT_EQ(ParseSigned32(" -96"), -96);
  EXPECT_EQ(ParseSigned32("3000000000"), std::nullopt);
  EXPECT_EQ(ParseSigned32("x"), std::nullopt);
}

}  // namespace
}  // namespace velmora
