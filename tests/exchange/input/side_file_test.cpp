#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "exchange/case_names.h"
#include "exchange/column_names.h"

// The side file beside a command file: its origin line, the maker's records, then the names.
namespace morvit {
namespace {

std::optional<CaseNames> read_back(const std::string& text) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "morvit-side-file-test.cases";
  std::ofstream(path, std::ios::binary) << text;
  std::optional<CaseNames> read = read_case_names(path.string());
  std::filesystem::remove(path);
  return read;
}

TEST(SideFile, RecordsFollowTheOriginAndNamesFollowThem) {
  struct Case {
    const char* text;
    std::vector<SideRecord> records;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"#MORVIT CASES 2 0000000000000001\n#MORVIT SOURCE 1 2\n#MORVIT NAME A jsr\nx\ny\n",
       {{"SOURCE", "1 2"}, {"NAME", "A jsr"}},
       {"x", "y"}},
      // Records only right after the origin: later lines are names, whatever they hold.
      {"#MORVIT CASES 2 0000000000000001\nx\n#MORVIT NAME A jsr\n", {}, {"x", "#MORVIT NAME A jsr"}},
      // Without an origin line nothing is a record.
      {"#MORVIT NAME A jsr\nx\n", {}, {"#MORVIT NAME A jsr", "x"}},
      // A key in small letters is no record.
      {"#MORVIT CASES 1 0000000000000001\n#MORVIT name x\n", {}, {"#MORVIT name x"}},
  };
  for (const Case& c : cases) {
    const std::optional<CaseNames> read = read_back(c.text);
    ASSERT_TRUE(read.has_value()) << c.text;
    EXPECT_EQ(read->records, c.records) << c.text;
    EXPECT_EQ(read->names, c.names) << c.text;
  }
  // What the maker writes reads back as it was, a line end in a value made a blank.
  const std::optional<CaseNames> read = read_back(case_names_text({"a", "b\nc"}, 7, {{"NAME", "A x\ry"}}));
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->records, (std::vector<SideRecord>{{"NAME", "A x y"}}));
  EXPECT_EQ(read->names, (std::vector<std::string>{"a", "b c"}));
  EXPECT_EQ(read->fingerprint, 7u);
}

// A NAME record gives the spelling of a name only where the comments give that name: the
// same in capitals, or cut at the end of a full comment line.
TEST(SideFile, NamesAsWrittenWhereTheCommentsAgree) {
  const std::string cut_name(69, 'x');  // "A = " and 69 characters fill the line
  const std::string cut_upper(69, 'X');
  struct Case {
    const char* what;
    std::vector<std::string> comments;  // as the run passes them, in capitals
    std::vector<SideRecord> records;
    std::string outcome, a, b, weights, cases;  // as written afterwards
  };
  const Case cases[] = {
      {"every role",
       {"OUTCOME = JSR", "A = HORG", "B = ~SUPRANAT, CALIBRATED 1/2/3", "WEIGHTS = W", "CASES = COUNTRY"},
       {written_name_record("OUTCOME", "jsr"),
        written_name_record("A", "HorG"),
        written_name_record("B", "~supraNat"),
        written_name_record("WEIGHTS", "w"),
        written_name_record("CASES", "Country")},
       "jsr",
       "HorG",
       "~supraNat",
       "w",
       "Country"},
      {"edited comments keep their names",
       {"OUTCOME = JSR", "A = WEALTH"},
       {written_name_record("OUTCOME", "jsr"), written_name_record("A", "HorG"), written_name_record("B", "x")},
       "jsr",
       "",
       "",
       "",
       ""},
      {"a name cut on a full line",
       {"A = " + cut_upper},
       {written_name_record("A", cut_name + "yz")},
       "",
       cut_name + "yz",
       "",
       "",
       ""},
      {"a shorter name is no cut one",
       {"A = " + cut_upper.substr(1)},
       {written_name_record("A", cut_name)},
       "",
       "",
       "",
       "",
       ""},
      {"records of other keys and roles",
       {"A = HORG"},
       {{"SOURCE", "A horg"}, written_name_record("K", "horg"), {"NAME", "A"}},
       "",
       "",
       "",
       "",
       ""},
  };
  for (const Case& c : cases) {
    ColumnNames names;
    for (const std::string& comment : c.comments) take_name_from_comment(comment, names);
    take_written_names(c.records, c.comments, names);
    EXPECT_EQ(names.as_written.outcome, c.outcome) << c.what;
    EXPECT_EQ(names.as_written.factors[0], c.a) << c.what;
    EXPECT_EQ(names.as_written.factors[1], c.b) << c.what;
    EXPECT_EQ(names.as_written.weights, c.weights) << c.what;
    EXPECT_EQ(names.as_written.cases, c.cases) << c.what;
    EXPECT_EQ(block_names("AB", names),
              (c.a.empty() ? names.factors[0] : c.a) + "*" +
                  (c.b.empty() ? (names.factors[1].empty() ? "B" : names.factors[1]) : c.b))
        << c.what;
  }
}

}  // namespace
}  // namespace morvit
