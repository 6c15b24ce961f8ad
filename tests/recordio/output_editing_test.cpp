#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "recordio/field_editing.h"
#include "recordio/format.h"
#include "recordio/formatted_writer.h"
#include "recordio/free_form_writer.h"

namespace morvit {
namespace {

struct FixedCase {
  double value;
  int width;
  int decimals;
  const char* expected;
};

void PrintTo(const FixedCase& c, std::ostream* os) { *os << c.value << " F" << c.width << "." << c.decimals; }

class FixedEditing : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FixedEditing, EditsLikeTheReport) {
  const FixedCase& c = GetParam();
  std::string out;
  edit_fixed(out, c.value, c.width, c.decimals);
  EXPECT_EQ(out, c.expected) << "value " << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixedEditing,
    ::testing::Values(FixedCase{0.5, 10, 4, "    0.5000"}, FixedCase{-0.5, 10, 4, "   -0.5000"},
                      FixedCase{0.0, 10, 4, "    0.0000"}, FixedCase{-0.0, 10, 4, "    0.0000"},
                      // rounds to zero: no minus sign
                      FixedCase{-0.00004, 10, 4, "    0.0000"},
                      // rounds up to 11 characters: asterisks
                      FixedCase{99999.99996, 10, 4, "**********"}, FixedCase{99999.99994, 10, 4, "99999.9999"},
                      FixedCase{-9999.99994, 10, 4, "-9999.9999"}, FixedCase{-99999.9999, 10, 4, "**********"},
                      FixedCase{1234567.12345, 12, 4, "1234567.1235"},
                      // one column short and starting with 0: the zero is dropped
                      FixedCase{0.5, 5, 4, ".5000"}, FixedCase{-0.5, 6, 4, "-.5000"}, FixedCase{-0.5, 5, 4, "*****"},
                      FixedCase{0.05, 10, 6, "  0.050000"}, FixedCase{0.010000000298023226, 10, 6, "  0.010000"},
                      FixedCase{std::numeric_limits<double>::infinity(), 10, 4, "       inf"},
                      FixedCase{-std::numeric_limits<double>::infinity(), 10, 4, "      -inf"},
                      FixedCase{std::numeric_limits<double>::quiet_NaN(), 10, 4, "       nan"},
                      FixedCase{-std::numeric_limits<double>::quiet_NaN(), 10, 4, "       nan"},
                      FixedCase{1e300, 10, 4, "**********"}));

TEST(FixedEditing, WiderThanFieldByOneWithoutLeadingZeroIsAsterisks) {
  std::string out;
  edit_fixed(out, 12345.6, 6, 1);  // "12345.6" is 7 characters and does not start with 0
  EXPECT_EQ(out, "******");
}

struct IntegerCase {
  long long value;
  int width;
  int min_digits;
  const char* expected;
};

void PrintTo(const IntegerCase& c, std::ostream* os) { *os << c.value << " I" << c.width << "." << c.min_digits; }

class IntegerEditing : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerEditing, EditsLikeTheReport) {
  const IntegerCase& c = GetParam();
  std::string out;
  edit_integer(out, c.value, c.width, c.min_digits);
  EXPECT_EQ(out, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IntegerEditing,
                         ::testing::Values(IntegerCase{-42, 10, -1, "       -42"}, IntegerCase{0, 6, -1, "     0"},
                                           IntegerCase{123456, 6, -1, "123456"}, IntegerCase{1234567, 6, -1, "******"},
                                           IntegerCase{-12345, 6, -1, "-12345"}, IntegerCase{-123456, 6, -1, "******"},
                                           IntegerCase{2147483647, 10, -1, "2147483647"},
                                           IntegerCase{-2147483648LL, 10, -1, "**********"}, IntegerCase{7, 2, 2, "07"},
                                           IntegerCase{12, 2, 2, "12"}, IntegerCase{123, 2, 2, "**"},
                                           IntegerCase{0, 2, 2, "00"}, IntegerCase{0, 3, 0, "   "},
                                           IntegerCase{-7, 4, 2, " -07"}, IntegerCase{-7, 2, 2, "**"},
                                           IntegerCase{2010, 4, -1, "2010"}));

TEST(TextEditing, PadsOrCuts) {
  std::string out;
  edit_text(out, "AB", 10);
  EXPECT_EQ(out, "        AB");
  out.clear();
  edit_text(out, "ABCDE", 3);
  EXPECT_EQ(out, "ABC");
  out.clear();
  edit_text(out, "ABCDE", -1);
  EXPECT_EQ(out, "ABCDE");
}

std::string formatted(const char* format, std::initializer_list<OutputItem> items) {
  StringSink sink;
  write_formatted(sink, Format(format), items);
  return sink.text();
}

TEST(FormattedWriter, LaysOutRecordsByTheFormat) {
  // A label held in a 32-character variable fills its field; a shorter item is right-aligned.
  EXPECT_EQ(formatted("(1X,A32,I10)", {"NUMBER OF CASES:                ", 5}),
            " NUMBER OF CASES:                         5\r\n");
  EXPECT_EQ(formatted("(1X,A32,I10)", {"SHORT:", 5}), " " + std::string(26, ' ') + "SHORT:         5\r\n");
  EXPECT_EQ(formatted("(1X,7H++ERROR)", {}), " ++ERROR\r\n");
  EXPECT_EQ(formatted("(1X,77(1H-))", {}), " " + std::string(77, '-') + "\r\n");
  EXPECT_EQ(formatted("(/)", {}), "\r\n\r\n");
  EXPECT_EQ(formatted("(/,A)", {"COMMENT"}), "\r\nCOMMENT\r\n");
  EXPECT_EQ(formatted("(1x,a10,3f10.4)", {"A", 1.0, 2.0, -3.0}), "          A    1.0000    2.0000   -3.0000\r\n");
  EXPECT_EQ(formatted("('it''s',\"say \"\"hi\"\"\")", {}), "it'ssay \"hi\"\r\n");
}

TEST(FormattedWriter, CarriesOutLiteralsAfterTheLastItemUpToTheNextDataDescriptor) {
  // The baseline row ends in two literals after its last number.
  EXPECT_EQ(formatted("(1X,A10,A15,F12.4,I10,F10.4,'     -----','     -----')",
                      {"NONE", "     NULL ASSOC", 0.72666f, 2, 0.24222f}),
            "       NONE     NULL ASSOC      0.7267         2    0.2422     -----     -----\r\n");
  // Scanning stops at the next data descriptor: the literal behind it is not written.
  EXPECT_EQ(formatted("(I2,'-',I2,'+')", {5}), " 5-\r\n");
}

TEST(FormattedWriter, MoveIsCarriedOutOnlyBeforeSomethingPlaced) {
  EXPECT_EQ(formatted("(A,5X)", {"AB"}), "AB\r\n");
  EXPECT_EQ(formatted("(A,2X,1H|)", {"AB"}), "AB  |\r\n");
  EXPECT_EQ(formatted("(3X,/,A)", {"B"}), "\r\nB\r\n");
}

TEST(FormattedWriter, TrailerLayout) {
  const Format trailer(
      "(/,1X,79(1H-),/,1X,18HMORVIT FINISHED ON,2X,I2.2,1H-,I2.2,1H-,I4,2X,2HAT,2X,I2.2,1H:,I2.2,1H:,I2.2,/,/,"
      "1X,27HNUMBER OF ERRORS DETECTED =,1X,I6,/,1X,27HNUMBER OF WARNINGS ISSUED =,1X,I6,/,1X,79(1H-))");
  StringSink sink;
  write_formatted(sink, trailer, {3, 7, 2026, 9, 5, 1, 1, 0});
  const std::string rule = " " + std::string(79, '-');
  EXPECT_EQ(sink.text(),
            "\r\n" + rule + "\r\n MORVIT FINISHED ON  03-07-2026  AT  09:05:01\r\n\r\n" +
                " NUMBER OF ERRORS DETECTED =      1\r\n NUMBER OF WARNINGS ISSUED =      0\r\n" + rule + "\r\n");
}

TEST(FreeFormWriter, EightyColumnRule) {
  StringSink sink;
  write_free_form(sink, {" "});
  EXPECT_EQ(sink.text(), "  \r\n");

  sink.clear();
  write_free_form(sink, {});
  EXPECT_EQ(sink.text(), "\r\n");

  sink.clear();
  const std::string heading = " FACTOR(S)     HYPOTHESIS         SSD        DF       MSD         F         P";
  write_free_form(sink, {heading});
  EXPECT_EQ(sink.text(), " " + heading + "\r\n");

  // The echo of a faulty command line: two records, never split.
  sink.clear();
  const std::string line = "XYZ" + std::string(77, ' ');
  write_free_form(sink, {"  ", line});
  EXPECT_EQ(sink.text(), "   \r\n " + line + "\r\n");

  // 1 + 3 + 75 = 79 columns still fit one record; one more character does not.
  sink.clear();
  write_free_form(sink, {"abc", std::string(75, 'x')});
  EXPECT_EQ(sink.text(), " abc" + std::string(75, 'x') + "\r\n");
  sink.clear();
  write_free_form(sink, {"abc", std::string(76, 'x')});
  EXPECT_EQ(sink.text(), " abc\r\n " + std::string(76, 'x') + "\r\n");
}

TEST(Format, RejectsMalformedFormats) {
  EXPECT_THROW(Format("1X"), std::invalid_argument);
  EXPECT_THROW(Format("(Q5)"), std::invalid_argument);
  EXPECT_THROW(Format("(5H-)"), std::invalid_argument);
  EXPECT_THROW(Format("('open)"), std::invalid_argument);
}

}  // namespace
}  // namespace morvit
