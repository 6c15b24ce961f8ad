#include "recordio/decimal_conversion.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace morvit {
namespace {

double reference(bool negative, const std::string& digits, long long exponent) {
  const std::string text = (negative ? "-0." : "0.") + digits + "e" + std::to_string(exponent);
  return std::strtod(text.c_str(), nullptr);
}

TEST(DecimalToDouble, MatchesCorrectRoundingAtTheEdgesOfTheRange) {
  struct Case {
    std::string digits;
    long long exponent;
  };
  const Case cases[] = {
      {"5", 1},
      {"25", 0},
      {"1", 309},                   // overflow
      {"17976931348623157", 309},   // largest double
      {"17976931348623159", 309},   // rounds up to infinity
      {"22250738585072011", -307},  // just below the smallest normal
      {"49406564584124654", -323},  // smallest subnormal
      {"24703282292062327", -323},  // below half of it: zero
      {"24703282292062328", -323},  // above half of it: smallest subnormal
      {"1", -400},
      {"11102230246251565404236316680908203125", -15},                // 2^-53, exact
      {"100000000000000011102230246251565404236316680908203125", 1},  // 1 + 2^-53: tie to even
      {"100000000000000033306690738754696212708950042724609375", 1},  // 1 + 3*2^-53: tie to even
      {std::string(100, '9'), 3},                                     // longer than the inline text
      {"000000125", 3},                                               // leading zeros lower the power of ten
      {"1250000000", 0},
  };
  for (const Case& c : cases) {
    for (bool negative : {false, true}) {
      const double value = decimal_to_double(negative, c.digits, c.exponent);
      EXPECT_EQ(value, reference(negative, c.digits, c.exponent)) << c.digits << " e" << c.exponent;
      EXPECT_EQ(std::signbit(value), negative);
    }
  }
}

TEST(DecimalToDouble, AbsurdExponentsSaturate) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(decimal_to_double(false, "1", LLONG_MAX), inf);
  EXPECT_EQ(decimal_to_double(true, "1", LLONG_MAX), -inf);
  EXPECT_EQ(decimal_to_double(false, "9", LLONG_MIN), 0.0);
  EXPECT_EQ(decimal_to_double(false, "0001", LLONG_MIN), 0.0);
  // Many leading zeros offset a large exponent: 0.0...01 * 10^5000 with 5000 zeros is 0.1.
  EXPECT_EQ(decimal_to_double(false, std::string(5000, '0') + "1", 5000), 0.1);
}

TEST(DecimalToDouble, NoDigitsIsSignedZero) {
  EXPECT_EQ(decimal_to_double(false, "", 12), 0.0);
  EXPECT_FALSE(std::signbit(decimal_to_double(false, "000", 400)));
  EXPECT_TRUE(std::signbit(decimal_to_double(true, "", 0)));
}

TEST(SignificantDigits, DropsLeadingZerosAndKeepsForty) {
  SignificantDigits small;
  for (char d : std::string("000123")) small.add_integer_digit(d);
  for (char d : std::string("4500")) small.add_fraction_digit(d);
  EXPECT_EQ(small.digits(), "1234500");
  EXPECT_EQ(small.exponent(), 3);

  SignificantDigits fraction;  // 0.00012
  for (char d : std::string("00012")) fraction.add_fraction_digit(d);
  EXPECT_EQ(fraction.digits(), "12");
  EXPECT_EQ(fraction.exponent(), -3);

  SignificantDigits wide;  // 45 integer digits, then fraction digits that are all ignored
  for (int i = 0; i < 45; ++i) wide.add_integer_digit(static_cast<char>('1' + i % 9));
  for (int i = 0; i < 5; ++i) wide.add_fraction_digit('7');
  EXPECT_EQ(wide.digits().size(), 40u);
  EXPECT_EQ(wide.exponent(), 45);
  EXPECT_TRUE(wide.excess());

  SignificantDigits zeros;
  for (char d : std::string("0000")) zeros.add_integer_digit(d);
  EXPECT_FALSE(zeros.any());
}

TEST(SignificantDigits, SaturatedInteger) {
  auto integer = [](const std::string& text) {
    SignificantDigits digits;
    for (char d : text) digits.add_integer_digit(d);
    return digits.saturated_integer();
  };
  EXPECT_EQ(integer("0"), 0u);
  EXPECT_EQ(integer("0042"), 42u);
  EXPECT_EQ(integer("18446744073709551615"), UINT64_MAX);
  EXPECT_EQ(integer("18446744073709551614"), UINT64_MAX - 1);
  EXPECT_EQ(integer("18446744073709551616"), UINT64_MAX);
  EXPECT_EQ(integer(std::string(39, '9')), UINT64_MAX);
}

}  // namespace
}  // namespace morvit
