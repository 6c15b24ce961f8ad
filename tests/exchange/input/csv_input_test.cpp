#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "driver/diagnostics.h"
#include "exchange/cell_text.h"
#include "exchange/input/csv_reader.h"
#include "exchange/input/csv_survey.h"
#include "recordio/number_text.h"

namespace morvit {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows read_all(std::string_view text, char separator) {
  text = without_byte_order_mark(text);
  CsvReader reader(text, separator != 0 ? separator : detect_separator(text));
  Rows rows;
  CsvRecord record;
  while (reader.next(record)) {
    rows.emplace_back();
    for (const CsvField& field : record) rows.back().push_back(field.text);
  }
  return rows;
}

struct ReadCase {
  const char* what;
  std::string text;
  char separator;  // 0: detected
  char detected;
  Rows rows;
};

TEST(CsvInput, ReadsRecordsAsSpreadsheetsWriteThem) {
  const std::vector<ReadCase> cases = {
      {"comma, LF, no last line end", "a,b\n1,2\n3,4", 0, ',', {{"a", "b"}, {"1", "2"}, {"3", "4"}}},
      {"CR LF and an empty field at the end", "a,b\r\n1,\r\n", 0, ',', {{"a", "b"}, {"1", ""}}},
      {"lone CR line ends", "a;b\r1;2\r", 0, ';', {{"a", "b"}, {"1", "2"}}},
      {"byte-order mark", "\xEF\xBB\xBFx,y\n1,2\n", 0, ',', {{"x", "y"}, {"1", "2"}}},
      {"semicolon with decimal commas", "x;y\n0,5;1\n", 0, ';', {{"x", "y"}, {"0,5", "1"}}},
      {"tab", "x\ty\tz\n1\t2\t3\n", 0, '\t', {{"x", "y", "z"}, {"1", "2", "3"}}},
      {"quoted: doubled quotes, separators and a line end inside",
       "\"n\",\"v\"\n\"He said \"\"no\"\", twice\",\"1\n2\"\n",
       0,
       ',',
       {{"n", "v"}, {"He said \"no\", twice", "1\n2"}}},
      {"a quoted header does not count the separators inside it",
       "\"a,b\";c\n1;2\n",
       0,
       ';',
       {{"a,b", "c"}, {"1", "2"}}},
      {"blank before a quote, blank after it", "a, \"b\" ,c\n", 0, ',', {{"a", "b", "c"}}},
      {"empty lines passed over", "a\n\n\r\n1\n\n", 0, ',', {{"a"}, {"1"}}},
      {"separator given", "a;b,c\n", ',', ',', {{"a;b", "c"}}},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(detect_separator(without_byte_order_mark(c.text)), c.detected) << c.what;
    EXPECT_EQ(read_all(c.text, c.separator), c.rows) << c.what;
  }
}

TEST(CsvInput, FieldsKnowTheirLineAndCharacterColumn) {
  // A quoted field over two lines, then a name with two-byte characters before the field.
  const std::string text = "\"a\nb\",c\n\xC3\xA9\xC3\xA9,d\n";
  CsvReader reader(text, ',');
  CsvRecord record;
  ASSERT_TRUE(reader.next(record));
  EXPECT_EQ(record[1].line, 2);
  EXPECT_EQ(record[1].column, 4);
  ASSERT_TRUE(reader.next(record));
  EXPECT_EQ(record[1].line, 3);
  EXPECT_EQ(record[1].column, 4);
}

TEST(CsvInput, FaultsOfTheTextAreRefusedWithTheirPlace) {
  struct Fault {
    std::string text;
    long line, column;
    std::string message;
  };
  const std::vector<Fault> faults = {
      {"a,b\n1,\"open\n", 2, 3, "not closed"},
      {"a,b\n1,\"x\"y\n", 2, 6, "after the closing quote"},
      {std::string("\xFF\xFE", 2) + "a,", 1, 1, "UTF-16"},
  };
  for (const Fault& fault : faults) {
    try {
      read_all(fault.text, 0);
      ADD_FAILURE() << "accepted: " << fault.text;
    } catch (const CsvSyntaxError& error) {
      EXPECT_EQ(error.line(), fault.line) << fault.text;
      EXPECT_EQ(error.column(), fault.column) << fault.text;
      EXPECT_NE(std::string(error.what()).find(fault.message), std::string::npos) << error.what();
    }
  }
}

TEST(CsvInput, CellsAreNumbersMissingOrRefused) {
  struct Cell {
    const char* text;
    bool decimal_comma;
    CellKind kind;
    double value;
  };
  const std::vector<Cell> cells = {
      {"0.5", false, CellKind::number, 0.5},
      {" .25 ", false, CellKind::number, 0.25},
      {"1.", false, CellKind::number, 1.0},
      {"+1e-3", false, CellKind::number, 0.001},
      {"-2E+2", false, CellKind::number, -200.0},
      {"1e-3", false, CellKind::number, 0.001},
      {"2E+2", false, CellKind::number, 200.0},
      // Beyond 40 significant digits, rounded as the whole number asks: just above the
      // midpoint between 1 and the next double, its exact midpoint, 2^53 + 1 + 10^-32, and
      // just above half the smallest subnormal.
      {"1.000000000000000111022302462515654042363166809082031251", false, CellKind::number, 1.0000000000000002},
      {"1.00000000000000011102230246251565404236316680908203125", false, CellKind::number, 1.0},
      {"9007199254740993.00000000000000000000000000000001", false, CellKind::number, 9007199254740994.0},
      {"2.4703282292062327208828439643411068618252990130716238221279284125033775363510437593264991818081799619e-324",
       false,
       CellKind::number,
       5e-324},
      {"0,75", true, CellKind::number, 0.75},
      {"0.75", true, CellKind::number, 0.75},
      {"0.1000000000000000055511151231257827", false, CellKind::number, 0.1},
      {"1e-400", false, CellKind::number, 0.0},
      {"", false, CellKind::missing, 0.0},
      {"  ", false, CellKind::missing, 0.0},
      {"NA", false, CellKind::missing, 0.0},
      {"n/a", false, CellKind::missing, 0.0},
      {"#N/A", false, CellKind::missing, 0.0},
      {"NaN", false, CellKind::missing, 0.0},
      {".", false, CellKind::missing, 0.0},
      {"0,75", false, CellKind::not_number, 0.0},
      {"1.2.3", false, CellKind::not_number, 0.0},
      {"abc", false, CellKind::not_number, 0.0},
      {"1e", false, CellKind::not_number, 0.0},
      {"inf", false, CellKind::not_number, 0.0},
      {"0.5%", false, CellKind::not_number, 0.0},
      {"1e999", false, CellKind::too_large, 0.0},
  };
  for (const Cell& cell : cells) {
    const CellValue read = read_cell(cell.text, cell.decimal_comma);
    EXPECT_EQ(read.kind, cell.kind) << '"' << cell.text << '"';
    if (cell.kind == CellKind::number) {
      EXPECT_EQ(read.value, cell.value) << '"' << cell.text << '"';
    }
  }
}

TEST(CsvInput, ShortestTextReadsBackToTheSameDouble) {
  std::mt19937_64 random(7);
  std::vector<double> values = {0.0, -0.0, 1.0, 0.1, 1e-05, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308};
  for (int i = 0; i < 20000; ++i) {
    values.push_back(std::bit_cast<double>(random() >> 2));  // finite doubles of every exponent
    values.push_back(std::uniform_real_distribution<double>(0.0, 1.0)(random));
  }
  for (const double value : values) {
    const std::string text = number_text(value);
    const CellValue read = read_cell(text, false);
    ASSERT_EQ(read.kind, CellKind::number) << text;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(read.value), std::bit_cast<std::uint64_t>(value)) << text;
  }
}

// The survey of a CSV file reads it as the maker does: the separator declared, given or
// found, decimal commas with a semicolon, rows of empty fields left out, missing values and
// text apart from the numbers, whose range it gives.
TEST(CsvSurvey, CountsEachColumnsCellsAsTheMakerReadsThem) {
  struct Case {
    const char* text;
    char separator;
    char found;
    long rows;
    std::vector<std::string> names;
    std::vector<long> numbers, missing, other;
    double smallest_of_second, largest_of_second;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBF"
       "case, y ,x\nAT,0.5,12\n,,\nBE,NA,-3.5\nCH,x,1e3\n",
       0,
       ',',
       3,
       {"case", "y", "x"},
       {0, 1, 3},
       {0, 1, 0},
       {3, 1, 0},
       0.5,
       0.5},
      {"sep=;\ncase;y\nAT;0,25\nBE;1\n", 0, ';', 2, {"case", "y"}, {0, 2}, {0, 0}, {2, 0}, 0.25, 1.0},
      {"a\tb\n1\t2\n3\t.\n", '\t', '\t', 2, {"a", "b"}, {2, 1}, {0, 1}, {0, 0}, 2.0, 2.0},
  };
  for (const Case& c : cases) {
    const CsvSurvey survey = survey_csv(c.text, c.separator);
    EXPECT_EQ(survey.separator, c.found) << c.text;
    EXPECT_EQ(survey.rows, c.rows) << c.text;
    ASSERT_EQ(survey.columns.size(), c.names.size()) << c.text;
    for (std::size_t i = 0; i < c.names.size(); ++i) {
      EXPECT_EQ(survey.columns[i].name, c.names[i]) << c.text;
      EXPECT_EQ(survey.columns[i].numbers, c.numbers[i]) << c.text << " column " << i;
      EXPECT_EQ(survey.columns[i].missing, c.missing[i]) << c.text << " column " << i;
      EXPECT_EQ(survey.columns[i].other, c.other[i]) << c.text << " column " << i;
    }
    EXPECT_EQ(survey.columns[1].smallest, c.smallest_of_second) << c.text;
    EXPECT_EQ(survey.columns[1].largest, c.largest_of_second) << c.text;
  }
  EXPECT_THROW(survey_csv("a,b\n\"1,2\n", ','), CsvSyntaxError);
}

}  // namespace
}  // namespace morvit
