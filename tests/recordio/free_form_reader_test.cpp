#include "recordio/free_form_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace morvit {
namespace {

using namespace std::string_literals;

constexpr double U = -7.25;  // the value of a target before the read: "unchanged"
const double inf = std::numeric_limits<double>::infinity();

const std::vector<std::size_t> block_sizes = {1, 2, 3, 7, CommandFile::default_block_size};

struct Outcome {
  ReadStatus status;
  std::vector<double> targets;
  std::string next_line;  // the command line read after the statement, trimmed; "" if none
};

Outcome read_statement(const std::string& text, std::size_t target_count, std::size_t block) {
  CommandFile file = CommandFile::from_text(text, block);
  Outcome out{ReadStatus::ok, std::vector<double>(target_count, U), ""};
  out.status = free_form_read(file, out.targets);
  std::string line;
  if (out.status == ReadStatus::ok && file.read_command_line(line) == ReadStatus::ok) {
    out.next_line = line.substr(0, line.find_last_not_of(' ') + 1);
  }
  return out;
}

// Exact comparison that also tells 0 from -0 apart.
void expect_same(const std::vector<double>& actual, const std::vector<double>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    EXPECT_EQ(actual[i], expected[i]) << "target " << i;
    EXPECT_EQ(std::signbit(actual[i]), std::signbit(expected[i])) << "sign of target " << i;
  }
}

struct StatementCase {
  const char* name;
  std::string text;
  std::vector<double> expected;  // one per target; U where the target must stay unchanged
  ReadStatus status = ReadStatus::ok;
  std::string next_line = "";  // checked after a successful statement
};

std::string case_name(const ::testing::TestParamInfo<StatementCase>& info) { return info.param.name; }

void PrintTo(const StatementCase& c, std::ostream* os) { *os << c.name; }

class FreeFormStatement : public ::testing::TestWithParam<StatementCase> {};

TEST_P(FreeFormStatement, FillsTargets) {
  const StatementCase& c = GetParam();
  for (std::size_t block : block_sizes) {
    SCOPED_TRACE("block size " + std::to_string(block));
    const Outcome out = read_statement(c.text, c.expected.size(), block);
    EXPECT_EQ(out.status, c.status);
    expect_same(out.targets, c.expected);
    if (c.status == ReadStatus::ok) {
      EXPECT_EQ(out.next_line, c.next_line);
    }
  }
}

const auto failed = ReadStatus::read_failed;
const auto eof = ReadStatus::end_of_file;

INSTANTIATE_TEST_SUITE_P(
    Separators, FreeFormStatement,
    ::testing::Values(StatementCase{"BlanksAndComma", "0.2 0.8,0.5\nNEXT\n", {0.2, 0.8, 0.5}, {}, "NEXT"},
                      StatementCase{"OnePerLine", "0.2\n0.8\n0.5\nNEXT\n", {0.2, 0.8, 0.5}, {}, "NEXT"},
                      StatementCase{"TabsAndBlankLines", "\t1\t\n\n  \n2 \nNEXT\n", {1, 2}, {}, "NEXT"},
                      StatementCase{"CrLfLines", "0.2\r\n0.8\r\nNEXT\r\n", {0.2, 0.8}, {}, "NEXT"},
                      StatementCase{"CommaAroundBlanks", "1 , 2 ,3\nN\n", {1, 2, 3}, {}, "N"},
                      StatementCase{"EmptyFieldBetweenCommas", "1,,2\nN\n", {1, U, 2}, {}, "N"},
                      StatementCase{"BlankFieldBetweenCommas", "1, ,2\nN\n", {1, U, 2}, {}, "N"},
                      StatementCase{"CommaAtStart", ",5 6\nN\n", {U, 5}, {}, "N"},
                      StatementCase{"CommaAfterLineEnd", "0.15\n,0.25\nN\n", {0.15, U, 0.25}, {}, "N"},
                      StatementCase{"CommaAfterCrLf", "0.15\r\n,0.25\r\nN\r\n", {0.15, U, 0.25}, {}, "N"},
                      StatementCase{"TrailingCommaOnLine", "1,2,\n3\nN\n", {1, 2, 3}, {}, "N"},
                      StatementCase{"TrailingCommaThenLeadingComma", "1,\n,3\nN\n", {1, U, 3}, {}, "N"},
                      StatementCase{"SlashEndsStatement", "1 2/ 3 4\nN\n", {1, 2, U, U, U}, {}, "N"},
                      StatementCase{"SlashAtStart", "/ 1 2\nN\n", {U, U, U}, {}, "N"},
                      StatementCase{"SlashDirectlyAfterNumber", "1/\nN\n", {1, U, U}, {}, "N"},
                      StatementCase{"SlashOnLaterLine", "1\n2\n/\nN\n", {1, 2, U}, {}, "N"},
                      StatementCase{"ExtraValuesIgnored", "1 2 3 4\nN\n", {1, 2}, {}, "N"},
                      StatementCase{"ZeroTargetsSkipOneLine", "1 2 3\nN\n", {}, {}, "N"},
                      StatementCase{"ZeroTargetsEmptyLine", "\nN\n", {}, {}, "N"},
                      StatementCase{"ZeroTargetsAtEnd", "", {}, eof},
                      StatementCase{"FileEndsEarly", "1 2\n", {1, 2, U}, eof},
                      StatementCase{"FileEndsAfterBlankLines", "1\n\n\n", {1, U}, eof},
                      StatementCase{"LastLineWithoutTerminator", "1 2", {1, 2}, eof},
                      StatementCase{"LoneCrIsNotALineEnd", "0.5\r0.7\n", {0.5, U}, failed},
                      StatementCase{"LoneCrAfterLastValueIsSkipped", "0.5\r0.7\nN\n", {0.5}, {}, "N"}),
    case_name);

INSTANTIATE_TEST_SUITE_P(
    Repeats, FreeFormStatement,
    ::testing::Values(
        StatementCase{"RepeatValue", "3*0.5\nN\n", {0.5, 0.5, 0.5}, {}, "N"},
        StatementCase{"RepeatNullsThenValue", "2* 7\nN\n", {U, U, 7}, {}, "N"},
        StatementCase{"RepeatNullsAtLineEnd", "3*\n4\nN\n", {U, U, U, 4}, {}, "N"},
        StatementCase{"RepeatNullsBeforeComma", "2*,5\nN\n", {U, U, 5}, {}, "N"},
        StatementCase{"OneNullBeforeComma", "1*,5\nN\n", {U, 5}, {}, "N"},
        StatementCase{"RepeatNullsBeforeSlash", "2*/ 9\nN\n", {U, U, U}, {}, "N"},
        StatementCase{"RepeatValueThenComma", "2*5,6\nN\n", {5, 5, 6}, {}, "N"},
        StatementCase{"RepeatValueBlankComma", "2*5 ,6\nN\n", {5, 5, 6}, {}, "N"},
        // The comma after a repeated field belongs to its last target, so a second comma
        // makes an empty field.
        StatementCase{"RepeatValueTwoCommas", "2*5,,6\nN\n", {5, 5, U, 6}, {}, "N"},
        StatementCase{"RepeatNullsTwoCommas", "2*,,6\nN\n", {U, U, U, 6}, {}, "N"},
        StatementCase{"RepeatAcrossLines", "2*1.5\n3\nN\n", {1.5, 1.5, 3}, {}, "N"},
        StatementCase{"RepeatLongerThanStatement", "5*1 2\nN\n", {1, 1}, {}, "N"},
        StatementCase{"RepeatLeadingZeros", "0002*3\nN\n", {3, 3}, {}, "N"},
        StatementCase{"HugeRepeatCount", "99999999999999999999999*7\nN\n", {7, 7}, {}, "N"},
        StatementCase{"FortyDigitCount", std::string("1") + std::string(39, '0') + "*7\nN\n", {7}, {}, "N"},
        StatementCase{"FortyOneDigitCount", std::string("1") + std::string(40, '0') + "*7\n", {U}, failed},
        StatementCase{"FortyOneDigitsWithLeadingZeros", std::string(40, '0') + "2*0.5\n", {U}, failed},
        StatementCase{"ZeroCount", "0*4\n", {U}, failed}, StatementCase{"StarFirst", "*4\n", {U}, failed},
        StatementCase{"NegativeCount", "-2*4\n", {U}, failed}, StatementCase{"SignedCount", "+2*4\n", {U}, failed},
        // A number ends at a "*" that cannot make it a repeat count; the "*" cannot begin
        // the next value, and after the last one it is skipped with the rest of the line.
        StatementCase{"FractionalCountIsANumber", "2.0*4\nN\n", {2}, {}, "N"},
        StatementCase{"StarAfterLastValue", "0.3 2.5*3\nN\n", {0.3, 2.5}, {}, "N"},
        StatementCase{"StarAfterPoint", "2.*3\nN\n", {2}, {}, "N"},
        StatementCase{"StarAfterExponent", "1E-1*2\nN\n", {0.1}, {}, "N"},
        StatementCase{"StarBeginsNextValue", "2.0*4\n", {2, U}, failed},
        StatementCase{"RepeatOfRepeat", "2*3*0.5\nN\n", {3, 3}, {}, "N"},
        StatementCase{"RepeatOfRepeatThenMore", "2*3*4\n", {3, 3, U}, failed},
        StatementCase{"RepeatOfLetter", "2*X\n", {U, U}, failed},
        StatementCase{"RepeatedValueThenFailure", "2*1 X\n", {1, 1, U}, failed}),
    case_name);

const std::string midpoint_above = "1.000000000000000111022302462515654042363166809082031251";

INSTANTIATE_TEST_SUITE_P(
    Numbers, FreeFormStatement,
    ::testing::Values(
        StatementCase{
            "ExponentForms", "1E3 1e3 1D3 1d3 1.0+3 1e+3\nN\n", {1000, 1000, 1000, 1000, 1000, 1000}, {}, "N"},
        StatementCase{"SignExponent", "1.5+2 1.5-2 5.-3 .5+1 -2-1\nN\n", {150, 0.015, 0.005, 5, -0.2}, {}, "N"},
        StatementCase{"PointForms", "5. .5 -.5 +5\nN\n", {5, 0.5, -0.5, 5}, {}, "N"},
        StatementCase{"IntegersAreReal", "7 -3 0\nN\n", {7, -3, 0}, {}, "N"},
        StatementCase{"LeadingZeros", "000123.4500 0.000\nN\n", {123.45, 0}, {}, "N"},
        StatementCase{"NegativeZero", "-0 -0.0e5\nN\n", {-0.0, -0.0}, {}, "N"},
        StatementCase{"ExponentLeadingZeros", "1e0000000003\nN\n", {1000}, {}, "N"},
        StatementCase{"LargestExponent", "1E99999999 1E-99999999\nN\n", {inf, 0}, {}, "N"},
        StatementCase{"OutOfRange",
                      "1e400 -1e400 1e-400 4.9406564584124654e-324\nN\n",
                      {inf, -inf, 0, std::numeric_limits<double>::denorm_min()},
                      {},
                      "N"},
        StatementCase{"FortyDigitsAreKept",
                      "1234567890123456789012345678901234567890\nN\n",
                      {1234567890123456789012345678901234567890.0},
                      {},
                      "N"},
        StatementCase{"IntegerDigitsBeyondFortyRaisePower",
                      std::string("1") + std::string(49, '0') + " 1" + std::string(44, '9') + "\nN\n",
                      {1e49, std::strtod((std::string("1") + std::string(39, '9') + "e5").c_str(), nullptr)},
                      {},
                      "N"},
        // 1 + 2^-53 lies halfway between 1 and the next double. With all its digits and a
        // 1 after them the text is above the midpoint; only 40 digits are used, which lie below.
        StatementCase{"FractionDigitsBeyondFortyIgnored", midpoint_above + "\nN\n", {1.0}, {}, "N"},
        StatementCase{"SignOnlyThenComma", "-,5\nN\n", {U, 5}, {}, "N"},
        StatementCase{"PointOnlyThenComma", ".,5\nN\n", {U, 5}, {}, "N"},
        StatementCase{"SignOnlyThenSlash", "1 +/\nN\n", {1, U, U}, {}, "N"}),
    case_name);

INSTANTIATE_TEST_SUITE_P(
    Errors, FreeFormStatement,
    ::testing::Values(StatementCase{"ExponentLetterWithoutDigit", "1.5E \n", {U}, failed},
                      StatementCase{"ExponentSignWithoutDigit", "1.5E+\n", {U}, failed},
                      StatementCase{"SignExponentWithoutDigit", "1.5+ 2\n", {U}, failed},
                      StatementCase{"ExponentAtLineEnd", "1.5e\n3\n", {U, U}, failed},
                      StatementCase{"ExponentWithoutMantissa", "E3\n", {U}, failed},
                      StatementCase{"PointExponentWithoutDigits", ".E3\n", {U}, failed},
                      StatementCase{"ExponentTooLarge", "1E100000000\n", {U}, failed},
                      StatementCase{"ZeroWithExponentTooLarge", "0E-100000000\n", {U}, failed},
                      StatementCase{"SignSeparatedByBlank", "- 5\n", {U}, failed},
                      StatementCase{"PointSeparatedByBlank", ". 5\n", {U}, failed},
                      StatementCase{"Letter", "1 X 3\n", {1, U, U}, failed},
                      StatementCase{"Quote", "'1'\n", {U}, failed},
                      StatementCase{"LetterAfterNumberFailsNextTarget", "0.5X 0.7\n", {0.5, U}, failed},
                      StatementCase{"LetterAfterLastNumberIsSkipped", "0.5X\nN\n", {0.5}, {}, "N"},
                      StatementCase{"NulAfterNumberFailsNextTarget", "1\0 2\n"s, {1, U}, failed},
                      StatementCase{"NulAfterLastNumberIsSkipped", "1\0 2\nN\n"s, {1}, {}, "N"},
                      StatementCase{"NextCommandLineIsNotANumber", "1 2\nFIN\n", {1, 2, U}, failed}),
    case_name);

TEST(FreeFormReader, ItemsOfOneStatement) {
  CommandFile file = CommandFile::from_text("2*4.5, ,1e1 / 8\nNEXT\n");
  FreeFormReader reader(file);
  using Item = FreeFormReader::Item;
  Item item{};
  double value = 0;
  ASSERT_EQ(reader.next(item, value), ReadStatus::ok);
  EXPECT_EQ(item, Item::number);
  EXPECT_EQ(value, 4.5);
  ASSERT_EQ(reader.next(item, value), ReadStatus::ok);
  EXPECT_EQ(item, Item::number);
  EXPECT_EQ(value, 4.5);
  ASSERT_EQ(reader.next(item, value), ReadStatus::ok);
  EXPECT_EQ(item, Item::null);
  ASSERT_EQ(reader.next(item, value), ReadStatus::ok);
  EXPECT_EQ(item, Item::number);
  EXPECT_EQ(value, 10.0);
  ASSERT_EQ(reader.next(item, value), ReadStatus::ok);
  EXPECT_EQ(item, Item::quit);
  EXPECT_EQ(reader.finish(), ReadStatus::ok);
  std::string line;
  ASSERT_EQ(file.read_command_line(line), ReadStatus::ok);
  EXPECT_EQ(line.substr(0, 5), "NEXT ");
}

TEST(FreeFormReader, FailureEndsTheStatement) {
  CommandFile file = CommandFile::from_text("X 1\n2\n");
  FreeFormReader reader(file);
  FreeFormReader::Item item{};
  double value = 0;
  EXPECT_EQ(reader.next(item, value), ReadStatus::read_failed);
  EXPECT_EQ(reader.next(item, value), ReadStatus::read_failed);
  EXPECT_EQ(reader.finish(), ReadStatus::read_failed);
}

TEST(FreeFormReader, RepeatDoesNotCarryIntoNextStatement) {
  CommandFile file = CommandFile::from_text("5*1\n2\n");
  std::vector<double> first(2, U), second(1, U);
  EXPECT_EQ(free_form_read(file, first), ReadStatus::ok);
  EXPECT_EQ(free_form_read(file, second), ReadStatus::ok);
  expect_same(first, {1, 1});
  expect_same(second, {2});
}

TEST(FreeFormReader, MegabyteLines) {
  // One value after a megabyte of blanks; then a megabyte of values of which only the first
  // is needed, so the rest of that line is skipped.
  std::string many;
  for (int i = 0; i < 250000; ++i) many += "0.25 ";
  const std::string text = std::string(1 << 20, ' ') + "0.5\n" + many + "\nNEXT\n" + many + "\n";
  for (std::size_t block : {std::size_t{4093}, CommandFile::default_block_size}) {
    CommandFile file = CommandFile::from_text(text, block);
    std::vector<double> one(2, U);
    ASSERT_EQ(free_form_read(file, one), ReadStatus::ok);
    expect_same(one, {0.5, 0.25});
    std::string line;
    ASSERT_EQ(file.read_command_line(line), ReadStatus::ok);
    EXPECT_EQ(line.substr(0, 5), "NEXT ");
    std::vector<double> all(250000, U);
    ASSERT_EQ(free_form_read(file, all), ReadStatus::ok);
    EXPECT_EQ(std::count(all.begin(), all.end(), 0.25), 250000);
  }
}

// Numbers are converted as the nearest double to their decimal value: compare with strtod over
// texts of up to 40 significant digits in every notation the reader accepts.
TEST(FreeFormReader, ConversionIsCorrectlyRounded) {
  std::uint64_t state = 0x2545F4914F6CDD1DULL;
  auto next_random = [&](std::uint64_t n) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state % n;
  };
  std::string text;
  std::vector<double> expected;
  for (int i = 0; i < 20000; ++i) {
    std::string digits;
    const std::uint64_t length = 1 + next_random(40);
    for (std::uint64_t k = 0; k < length; ++k) digits += static_cast<char>('0' + next_random(10));
    const std::uint64_t point = next_random(length + 1);
    const std::string mantissa = digits.substr(0, point) + "." + digits.substr(point);
    const long long exponent = static_cast<long long>(next_random(700)) - 350;
    const std::string reference = mantissa + "e" + std::to_string(exponent);
    expected.push_back(std::strtod(reference.c_str(), nullptr));
    const char* letters[] = {"E", "e", "D", "d"};
    if (exponent < 0 && next_random(2) == 0) {
      text += mantissa + std::to_string(exponent);  // the sign form, 1.5-2
    } else {
      text += mantissa + letters[next_random(4)] + std::to_string(exponent);
    }
    text += (i % 7 == 6) ? "\n" : (i % 3 == 0 ? "," : " ");
  }
  text += "\n";
  CommandFile file = CommandFile::from_text(text, 997);
  std::vector<double> targets(expected.size(), U);
  ASSERT_EQ(free_form_read(file, targets), ReadStatus::ok);
  for (std::size_t i = 0; i < targets.size(); ++i) {
    ASSERT_EQ(targets[i], expected[i]) << "value " << i;
  }
}

}  // namespace
}  // namespace morvit
