#include "recordio/column_fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

namespace morvit {
namespace {

using namespace std::string_literals;

// A record as the interpreter cuts it from a command line: columns 8 to 80, 73 characters.
std::string record73(const std::string& text) {
  std::string r = text;
  r.resize(73, ' ');
  return r;
}

struct RealCase {
  std::string field;
  std::optional<double> expected;  // nullopt: the field is rejected
};

void PrintTo(const RealCase& c, std::ostream* os) { *os << '"' << c.field << '"'; }

class RealField : public ::testing::TestWithParam<RealCase> {};

TEST_P(RealField, ReadsF73) {
  const RealCase& c = GetParam();
  const std::optional<double> value = read_real_field(record73(c.field), 73);
  ASSERT_EQ(value.has_value(), c.expected.has_value()) << '"' << c.field << '"';
  if (value) {
    EXPECT_EQ(*value, *c.expected) << '"' << c.field << '"';
    EXPECT_EQ(std::signbit(*value), std::signbit(*c.expected)) << '"' << c.field << '"';
  }
}

const double inf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Accepted, RealField,
    ::testing::Values(RealCase{"0.05", 0.05}, RealCase{"                    0.05", 0.05},
                      RealCase{std::string(69, ' ') + "0.05", 0.05}, RealCase{"5", 5.0}, RealCase{"1 5", 15.0},
                      RealCase{" 1 . 5 ", 1.5}, RealCase{"2.5E-1", 0.25}, RealCase{"2.5D-1", 0.25},
                      RealCase{"2.5e-1", 0.25}, RealCase{"2.5d-1", 0.25}, RealCase{"2.5E -1", 0.25},
                      RealCase{"2.5 E - 1", 0.25}, RealCase{"2.5-1", 0.25}, RealCase{"2.5 -1", 0.25},
                      RealCase{"2.5+1", 25.0}, RealCase{"2.5E1 0", 2.5e10}, RealCase{"0.05,7", 0.05},
                      RealCase{"1,X", 1.0}, RealCase{"-.5", -0.5}, RealCase{"+5.", 5.0}, RealCase{".5", 0.5},
                      RealCase{"000123.4500", 123.45}, RealCase{"", 0.0}, RealCase{"+", 0.0}, RealCase{".", 0.0},
                      RealCase{"-", -0.0}, RealCase{"-0", -0.0}, RealCase{"1E99999999", inf}, RealCase{"1e400", inf},
                      RealCase{"-1e400", -inf}, RealCase{"1e-400", 0.0}, RealCase{"0E100000000", 0.0},
                      RealCase{"12345678901234567890123456789012345678901234567890",
                               std::strtod("1234567890123456789012345678901234567890e10", nullptr)}));

INSTANTIATE_TEST_SUITE_P(Rejected, RealField,
                         ::testing::Values(RealCase{"1.5X", std::nullopt}, RealCase{"X", std::nullopt},
                                           RealCase{"1.2.3", std::nullopt}, RealCase{"1..2", std::nullopt},
                                           RealCase{"--1", std::nullopt}, RealCase{"2.5E", std::nullopt},
                                           RealCase{"2.5E-", std::nullopt}, RealCase{"2.5-", std::nullopt},
                                           RealCase{"E5", std::nullopt}, RealCase{"1E100000000", std::nullopt},
                                           RealCase{"1E2.5", std::nullopt}, RealCase{"1E2E3", std::nullopt},
                                           RealCase{"1*2", std::nullopt}, RealCase{"0.05 MEASUREMENT", std::nullopt},
                                           RealCase{"1\0"s, std::nullopt}, RealCase{"1\r"s, std::nullopt},
                                           // only the blank counts for nothing; a tab is a character like any other
                                           RealCase{"\t0.5", std::nullopt}, RealCase{"0.5\t", std::nullopt}));

TEST(RealField, StaysInsideWidthAndRecord) {
  EXPECT_EQ(read_real_field("12345XYZ", 5), 12345.0) << "characters after the width";
  EXPECT_EQ(read_real_field("12", 73), 12.0) << "record shorter than the width";
  EXPECT_EQ(read_real_field("", 73), 0.0);
  // The record ends before a character that would be an error if it were read.
  const std::string line = "DAM   .5X";
  EXPECT_EQ(read_real_field(std::string_view(line).substr(5, 3), 73), 0.5);
}

TEST(RealField, ConversionIsCorrectlyRounded) {
  const char* texts[] = {"0.1",
                         "0.3",
                         "2.2250738585072011e-308",
                         "4.9406564584124654e-324",
                         "2.4703282292062328e-324",
                         "1.7976931348623158e308",
                         "9007199254740993",
                         "0.000000000000000000000000000000000001234"};
  for (const char* text : texts) {
    EXPECT_EQ(read_real_field(text, 73), std::strtod(text, nullptr)) << text;
  }
}

struct IntegerCase {
  std::string field;
  std::optional<std::int32_t> expected;
};

void PrintTo(const IntegerCase& c, std::ostream* os) { *os << '"' << c.field << '"'; }

class IntegerField : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerField, ReadsI8) {
  const IntegerCase& c = GetParam();
  EXPECT_EQ(read_integer_field(c.field, 8), c.expected) << '"' << c.field << '"';
}

INSTANTIATE_TEST_SUITE_P(Cases, IntegerField,
                         ::testing::Values(IntegerCase{"1 2", 12}, IntegerCase{" 3", 3}, IntegerCase{"  7   12", 712},
                                           IntegerCase{"", 0}, IntegerCase{"        ", 0}, IntegerCase{"+", 0},
                                           IntegerCase{"-", 0}, IntegerCase{" -5", -5}, IntegerCase{"- 5", -5},
                                           IntegerCase{"+10", 10}, IntegerCase{"1,5", 1}, IntegerCase{",5", 0},
                                           IntegerCase{"123456789", 12345678}, IntegerCase{"99999999", 99999999},
                                           IntegerCase{"-9999999", -9999999}, IntegerCase{"0000100000", 1000},
                                           IntegerCase{"12.0", std::nullopt}, IntegerCase{"1E2", std::nullopt},
                                           IntegerCase{"+-5", std::nullopt}, IntegerCase{"5-", std::nullopt},
                                           IntegerCase{"12x", std::nullopt}, IntegerCase{"1\0"s, std::nullopt},
                                           IntegerCase{"\t4", std::nullopt}));

TEST(IntegerField, WiderFieldsOutside32BitsAreRejected) {
  EXPECT_EQ(read_integer_field("2147483647", 10), 2147483647);
  EXPECT_EQ(read_integer_field("-2147483648", 11), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(read_integer_field("2147483648", 10), std::nullopt);
  EXPECT_EQ(read_integer_field("99999999999999999999", 20), std::nullopt);
}

TEST(TextField, WidthAgainstTargetLength) {
  EXPECT_EQ(read_text_field("AB", 5, 8), "AB      ") << "past the record: blanks";
  EXPECT_EQ(read_text_field("ABCDEFGH", 8, 3), "FGH") << "wider field keeps its last characters";
  EXPECT_EQ(read_text_field("ABCDEFGH", 3, 3), "ABC");
  EXPECT_EQ(read_text_field("A,B\t\0"s, 5, 5), "A,B\t\0"s) << "every character unchanged";
  EXPECT_EQ(read_text_field(std::string(72, 'N'), 72, 80), std::string(72, 'N') + "        ");
  EXPECT_EQ(read_text_field("", 0, 4), "    ");
}

}  // namespace
}  // namespace morvit
