#include "exchange/input/command_file_maker.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/morvit_process.h"

namespace morvit {
namespace {

using testing::report_lines;
using testing::run_morvit;
using testing::run_script;
using testing::WorkDir;
using Args = std::vector<std::string>;

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A side file without its SOURCE record, which holds the identity of the CSV file on this
// machine: what the stored examples hold.
std::string without_source(const std::string& side_file) {
  const std::size_t at = side_file.find("\n#MORVIT SOURCE ");
  if (at == std::string::npos) return side_file;
  return side_file.substr(0, at + 1) + side_file.substr(side_file.find('\n', at + 1) + 1);
}

// The lines of a report from its run summary on (the comments differ, the rest must not).
std::vector<std::string> summary_and_table(const std::string& report) {
  const std::vector<std::string> lines = report_lines(report);
  std::size_t first = 0;
  while (first < lines.size() && !lines[first].starts_with(" NUMBER OF CASES:")) ++first;
  return {lines.begin() + static_cast<std::ptrdiff_t>(first), lines.end()};
}

TEST(CommandFileMaker, WritesAReadableCommandFileAndTheCaseNames) {
  // A spreadsheet's export: byte-order mark, semicolons and decimal commas, CR LF, quoted
  // texts, a text column that is not chosen, an empty row, names in other capitals.
  WorkDir dir;
  dir.write("islands.csv",
            "\xEF\xBB\xBF\"Country\";\"Region\";\"Democracy\";\"Wealth\";\"Literacy\";\"W\"\r\n"
            "\"Atlantis\";\"North; far\";0,9;0,95;1;2\r\n"
            "\"Lemuria\";\"South\";0,1;0,2;0,3;0,5\r\n"
            ";;;;;\r\n"
            "\"Mu \"\"old\"\"\";\"West\";1e-1;.3;0,30000000000000004;1\r\n");
  std::ostringstream out, err;
  const std::string output = (dir.path() / "islands.cmd").string();
  MakerOptions options;
  options.data_file = (dir.path() / "islands.csv").string();
  options.outcome = "democracy";
  options.factors = {"wealth", "LITERACY"};
  options.weights = "w";
  options.cases = "country";
  options.mer = 0.10;
  options.dam = 0.02;
  options.title = "Three islands";
  options.output = output;
  const MakerOutcome outcome = make_command_file(options, out, err);
  EXPECT_EQ(outcome, MakerOutcome::made);
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(dir.read("islands.cmd"),
            "COM    Three islands\n"
            "COM    DATA: islands.csv (3 CASES)\n"
            "COM    OUTCOME = Democracy\n"
            "COM    A = Wealth\n"
            "COM    B = Literacy\n"
            "COM    WEIGHTS = W\n"
            "COM    CASES = Country\n"
            "MER    0.1\n"
            "DAM  0.02\n"
            "DAT   3 2\n"
            "0.9 0.95 1\n"
            "0.1 0.2 0.3\n"
            "0.1 0.3 0.30000000000000004\n"
            "WEI\n"
            "2 0.5 1\n"
            "FIN\n");
  // The first line ties the names to the data: 3 cases and the fingerprint of their values;
  // the column names follow as the header spells them, the record of the CSV file, then the
  // case names.
  const std::string names = without_source(dir.read("islands.cmd.cases"));
  EXPECT_TRUE(names.starts_with("#MORVIT CASES 3 ")) << names;
  EXPECT_EQ(names.substr(names.find('\n') + 1),
            "#MORVIT NAME OUTCOME Democracy\n#MORVIT NAME A Wealth\n#MORVIT NAME B Literacy\n#MORVIT NAME WEIGHTS W\n"
            "#MORVIT NAME CASES Country\nAtlantis\nLemuria\nMu \"old\"\n");

  // R's write.csv: the row names, in a first column without a name, go to the side file.
  dir.write("r.csv", "\"\",\"y\",\"a\"\n\"Atlantis\",0.9,0.95\n\"Lemuria\",0.1,NA\n");
  const auto r = run_morvit(
      dir, {"--make-command-file", "r.csv", "--outcome", "y", "--factors", "a", "--drop-missing", "-o", "r.cmd"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string r_names = without_source(dir.read("r.cmd.cases"));
  EXPECT_EQ(r_names.substr(r_names.find('\n') + 1),
            "#MORVIT NAME OUTCOME y\n#MORVIT NAME A a\n#MORVIT NAME CASES (row names)\nAtlantis\n");
}

TEST(CommandFileMaker, RefusesWithAMessageAndWritesNoFile) {
  const std::string good = "case,y,a,b,w\nAustria,0.1,0.2,0.3,1\nBelgium,0.5,0.4,0.3,1\n";
  std::string many = "case,y,a\n";
  for (int i = 1; i <= 100001; ++i) {
    many += 'c';
    many += std::to_string(i);
    many += ",0.5,0.5\n";
  }
  struct Refusal {
    const char* what;
    std::string csv;
    Args args;
    std::string message;
  };
  const Args usual = {"--outcome", "y", "--factors", "a,b", "--cases", "case"};
  const std::vector<Refusal> refusals = {
      {"not a number",
       "case,y,a,b,w\nAustria,0.1,0.2,0.3,1\nBelgium,0.5,abc,0.3,1\n",
       usual,
       "morvit: data.csv:3:13: error: row 2 (case \"Belgium\"), column a: \"abc\" is not a number"},
      {"missing value NA",
       "case,y,a,b,w\nAustria,0.1,0.2,0.3,1\nBelgium,0.5,0.4,NA,1\n",
       usual,
       "morvit: data.csv:3:17: error: row 2 (case \"Belgium\"), column b: missing value (\"NA\"); --drop-missing "
       "leaves out the cases with a missing value"},
      {"missing value in the weights",
       "case,y,a,b,w\nAustria,0.1,0.2,0.3,\n",
       {"--outcome", "y", "--factors", "a,b", "--weights", "w"},
       "morvit: data.csv:2:21: error: row 1, column w: missing value (empty)"},
      {"a row too short",
       "y,a,b\n0.1,0.2\n",
       {"--outcome", "y", "--factors", "a,b"},
       "morvit: data.csv:2:5: error: row 1 has 2 fields, the header 3: it lacks the column b"},
      {"a row broken by a line end, with --drop-missing",
       "case,y,a,b,w\nA,0.1,0.2\n0.3,1\n",
       {"--outcome", "y", "--factors", "a", "--weights", "w", "--cases", "case", "--drop-missing"},
       "morvit: data.csv:2:7: error: row 1 (case \"A\") has 3 fields, the header 5: it lacks the columns b, w"},
      {"too large",
       "case,y,a,b\nA,1e999,0.2,0.3\n",
       usual,
       "morvit: data.csv:2:3: error: row 1 (case \"A\"), column y: \"1e999\" is too large for a number"},
      {"unknown column",
       good,
       {"--outcome", "y", "--factors", "a,c"},
       "morvit: data.csv:1:1: error: no column \"c\" in the header; its columns are: case, y, a, b, w"},
      {"a column chosen twice",
       good,
       {"--outcome", "y", "--factors", "a,Y"},
       "morvit: data.csv: error: the column y is chosen twice (as --outcome and in --factors)"},
      {"a factor chosen twice",
       good,
       {"--outcome", "y", "--factors", "a,b,a"},
       "morvit: data.csv: error: the column a is chosen twice (twice in --factors)"},
      {"a name twice in the header",
       "y,a,A\n0.1,0.2,0.3\n",
       {"--outcome", "y", "--factors", "a"},
       "morvit: data.csv:1:5: error: the column name \"a\" stands twice in the header (columns 2 and 3)"},
      {"eleven factors",
       good,
       {"--outcome", "y", "--factors", "a,b,a,b,a,b,a,b,a,b,a"},
       "morvit: data.csv: error: --factors names 11 columns; a run takes at most 10 factors"},
      {"more than 100,000 cases",
       many,
       {"--outcome", "y", "--factors", "a", "--cases", "case"},
       "morvit: data.csv:100002:1: error: row 100001 (case \"c100001\"): more than 100,000 cases; a run takes at most "
       "100,000"},
      {"no rows", "case,y,a,b\n", usual, "morvit: data.csv: error: no case: the file has no rows after the header"},
      {"every row missing",
       "y,a\nNA,0.1\n0.2,.\n",
       {"--outcome", "y", "--factors", "a", "--drop-missing"},
       "morvit: data.csv: error: no case left: every row has a missing value"},
      {"a field after the last column",
       "case,y,a,b\nA,0.1,0.2,0.3,x\n",
       usual,
       "morvit: data.csv:2:15: error: row 1 (case \"A\") has 5 fields, the header 4: \"x\" stands after the last "
       "column"},
      {"a quote not closed",
       "case,y,a,b\n\"A,0.1,0.2,0.3\n",
       usual,
       "morvit: data.csv:2:1: error: a quoted field is not closed before the end of the file"},
      {"UTF-16",
       std::string("\xFF\xFE", 2) + "y\0",
       usual,
       "morvit: data.csv:1:1: error: the file is UTF-16 or UTF-32 text"},
      {"empty file",
       "",
       usual,
       "morvit: data.csv: error: the file is empty: a header row with the column names is needed"},
      {"output over the CSV file",
       good,
       {"--outcome", "y", "--factors", "a", "-o", "data.csv"},
       "morvit: data.csv: error: this is the CSV file being read"},
      {"two CSV files",
       good,
       {"--outcome", "y", "--factors", "a", "--", "nothing.csv"},
       "morvit: more than one CSV file named: data.csv and nothing.csv"},
      {"no --factors", good, {"--outcome", "y"}, "morvit: --make-command-file needs --factors NAME,...\nUsage: morvit"},
      {"a bad number for --mer",
       good,
       {"--outcome", "y", "--factors", "a", "--mer", "0,1"},
       "morvit: --mer needs a number, not \"0,1\""},
      {"a --mer the report cannot show",
       good,
       {"--outcome", "y", "--factors", "a", "--mer", "1e300"},
       "morvit: --mer needs a measurement error factor from 0 to 999.999999, not 1e+300\nUsage: morvit"},
      {"a negative --mer",
       good,
       {"--outcome", "y", "--factors", "a", "--mer=-1"},
       "morvit: --mer needs a measurement error factor from 0 to 999.999999, not -1"},
      {"a --dam that leaves no interval",
       good,
       {"--outcome", "y", "--factors", "a", "--dam", "0.5"},
       "morvit: --dam needs a damping factor from 0 to below 0.5, not 0.5"},
      {"a decimal comma between tabs",
       "y\ta\n0,92\t0.5\n",
       {"--outcome", "y", "--factors", "a"},
       "morvit: data.csv:2:1: error: row 1, column y: \"0,92\" is not a number; decimal commas are read in files whose "
       "separator is a semicolon (--separator ';')"},
      {"a quoted decimal comma between commas",
       "y,a\n0.5,\"0,92\"\n",
       {"--outcome", "y", "--factors", "a"},
       "column a: \"0,92\" is not a number; decimal commas are read"},
      {"Excel's separator line counts as line 1",
       "sep=;\ny;a\n0,5;abc\n",
       {"--outcome", "y", "--factors", "a"},
       "morvit: data.csv:3:5: error: row 1, column a: \"abc\" is not a number\n"},
      {"a membership outside 0 to 1",
       good + "Crete,0.5,70,0.3,1\n",
       usual,
       "morvit: data.csv:4:11: error: row 3 (case \"Crete\"), column a: 70 is outside 0 to 1 and cannot be a "
       "membership; "
       "calibrate the raw values (--calibrate a=E,C,I) or rescale them to 0 to 1"},
      {"a negative membership of a negated factor",
       "y,a\n0.5,-0.25\n",
       {"--outcome", "y", "--factors", "~a"},
       "column a: -0.25 is outside 0 to 1"},
      {"a tilde without a name",
       good,
       {"--outcome", "y", "--factors", "a,~"},
       "morvit: data.csv: error: --factors: \"~\" needs the name of a column after it"},
      {"the outcome negated as a factor",
       good,
       {"--outcome", "y", "--factors", "a,~y"},
       "the column y is chosen twice (as --outcome and in --factors)"},
      {"a negated factor twice",
       good,
       {"--outcome", "y", "--factors", "~a,b,~A"},
       "the column a is chosen twice (twice in --factors)"},
      {"two thresholds",
       good,
       {"--outcome", "y", "--factors", "a", "--calibrate", "a=1,2"},
       "morvit: data.csv: error: --calibrate a=1,2: 2 thresholds; a calibration takes three: exclusion, crossover, "
       "inclusion (E,C,I)"},
      {"four thresholds",
       good,
       {"--outcome", "y", "--factors", "a", "--calibrate", "a=1,2,3,4"},
       "--calibrate a=1,2,3,4: 4 thresholds; a calibration takes three"},
      {"a threshold that is not a number",
       good,
       {"--outcome", "y", "--factors", "a", "--calibrate=a=1,,3"},
       "morvit: data.csv: error: --calibrate a=1,,3: the threshold \"\" is not a number"},
      {"equal thresholds",
       good,
       {"--outcome", "y", "--factors", "a", "--calibrate", "a=400,400,900"},
       "morvit: data.csv: error: --calibrate a=400,400,900: the thresholds are not strictly monotone: the crossover "
       "must lie strictly between the exclusion and the inclusion threshold (E < C < I for an increasing set, E > C > "
       "I for a decreasing one)"},
      {"a crossover outside",
       good,
       {"--outcome", "y", "--factors", "a", "--calibrate", "a=15,20,5"},
       "--calibrate a=15,20,5: the thresholds are not strictly monotone"},
      {"a column that is not chosen",
       good,
       {"--outcome", "y", "--factors", "a", "--calibrate", "b=1,2,3"},
       "morvit: data.csv: error: --calibrate b=1,2,3: b is neither the outcome nor a factor; only those are "
       "calibrated"},
      {"the weights",
       good,
       {"--outcome", "y", "--factors", "a", "--weights", "w", "--calibrate", "W=1,2,3"},
       "morvit: data.csv: error: --calibrate W=1,2,3: w is the column of the weights, which are never calibrated"},
      {"the case names",
       good,
       {"--outcome", "y", "--factors", "a", "--cases", "case", "--calibrate", "case=1,2,3"},
       "--calibrate case=1,2,3: case is the column of the case names"},
      {"a column not in the header",
       good,
       {"--outcome", "y", "--factors", "a", "--calibrate", "gnp=1,2,3"},
       "morvit: data.csv:1:1: error: no column \"gnp\" in the header"},
      {"a negated name",
       good,
       {"--outcome", "y", "--factors", "~a", "--calibrate", "~a=1,2,3"},
       "--calibrate ~a=1,2,3: name the column without the tilde (a); the calibration comes first, then the negation"},
      {"a column calibrated twice",
       good,
       {"--outcome", "y", "--factors", "a", "--calibrate", "a=1,2,3", "--calibrate", "A=3,2,1"},
       "--calibrate A=3,2,1: the column a is calibrated twice"},
      {"a missing raw value",
       "y,gnp\n0.5,400\n0.5,NA\n",
       {"--outcome", "y", "--factors", "gnp", "--calibrate", "gnp=1,2,3"},
       "morvit: data.csv:3:5: error: row 2, column gnp: missing value (\"NA\")"},
      {"--calibrate without a name",
       good,
       {"--outcome", "y", "--factors", "a", "--calibrate", "1,2,3"},
       "morvit: --calibrate needs NAME=E,C,I (exclusion, crossover, inclusion), not \"1,2,3\"\nUsage: morvit"},
      {"a set of an unknown name",
       good,
       {"--outcome", "y", "--factors", "AB", "--set", "AB=a+c"},
       "morvit: data.csv: error: --set AB=a+c: no column or earlier set \"c\" (position 3); a set is made of the CSV "
       "file's columns and of the sets given before it"},
      {"a set with an empty operand",
       good,
       {"--outcome", "y", "--factors", "AB", "--set", "AB=a+"},
       "morvit: data.csv: error: --set AB=a+: the expression ends where a name is expected (position 3)"},
      {"a set with a parenthesis not closed",
       good,
       {"--outcome", "y", "--factors", "AB", "--set", "AB=a*(b+~a"},
       "--set AB=a*(b+~a: the parenthesis opened at position 3 is not closed"},
      {"a set made of itself",
       good,
       {"--outcome", "y", "--factors", "AB", "--set", "AB=a+ab"},
       "--set AB=a+ab: a set cannot be made of itself (position 3)"},
      {"a set made of a later one",
       good,
       {"--outcome", "y", "--factors", "AB", "--set", "X=AB", "--set", "AB=a"},
       "--set X=AB: \"AB\" (position 1) is made by a later --set; give the sets in the order they build on one "
       "another"},
      {"a set of a column that stands twice",
       "y,a,A\n0.1,0.2,0.3\n",
       {"--outcome", "y", "--factors", "S", "--set", "S=~a"},
       "--set S=~a: the column name \"a\" (position 2) stands twice in the header (columns 2 and 3)"},
      {"a set made twice",
       good,
       {"--outcome", "y", "--factors", "X", "--set", "X=a", "--set", "x=b"},
       "--set x=b: the set x is made twice"},
      {"a set named as a column",
       good,
       {"--outcome", "y", "--factors", "B", "--set", "B=a"},
       "--set B=a: the CSV file has a column b already; give the set a name of its own"},
      {"a set named with a tilde",
       good,
       {"--outcome", "y", "--factors", "a", "--set", "~X=a"},
       "--set ~X=a: name the set without a tilde; ~X in --outcome or --factors takes its negation"},
      {"a set named with a comma",
       good,
       {"--outcome", "y", "--factors", "a", "--set", "X,Y=a"},
       "--set X,Y=a: a set's name cannot hold a comma"},
      {"a set not used",
       good,
       {"--outcome", "y", "--factors", "a", "--set", "AB=a*b"},
       "morvit: data.csv: error: --set AB=a*b: AB is neither the outcome nor a factor, nor a part of a set that is"},
      {"a set calibrated",
       good,
       {"--outcome", "y", "--factors", "AB", "--set", "AB=a*b", "--calibrate", "ab=1,2,3"},
       "--calibrate ab=1,2,3: AB is a set made by --set; calibrate the columns it is made of"},
      {"a set as the weights",
       good,
       {"--outcome", "y", "--factors", "a", "--weights", "AB", "--set", "AB=a*b"},
       "morvit: data.csv: error: --weights AB: AB is a set made by --set, not a column"},
      {"a set's column outside 0 to 1",
       good + "Crete,0.5,0.5,3,1\n",
       {"--outcome", "y", "--factors", "AB", "--set", "AB=a*b"},
       "morvit: data.csv:4:15: error: row 3, column b: 3 is outside 0 to 1"},
      {"--set without a name",
       good,
       {"--outcome", "y", "--factors", "a", "--set", "a*b"},
       "morvit: --set needs NAME=EXPRESSION (such as STABLE=~UNSTABLE or HORG=H+G), not \"a*b\"\nUsage: morvit"},
      {"-o without a file name",
       good,
       {"--outcome", "y", "--factors", "a", "-o", ""},
       "morvit: -o needs a file name\nUsage: morvit"},
      {"an unknown encoding",
       good,
       {"--outcome", "y", "--factors", "a", "--encoding", "latin-9"},
       "morvit: --encoding needs utf-8 or windows-1252, not \"latin-9\"\nUsage: morvit"},
      {"Windows-1252 text read as UTF-8",
       "case,y,a\nM\xFCnchen,0.5,0.5\r\n\xC4,0.5,0.5\n",
       {"--outcome", "y", "--factors", "a", "--encoding", "UTF-8"},
       "morvit: data.csv:2:2: error: the byte 0xFC is not UTF-8 text, which --encoding utf-8 asks for"},
  };
  for (const Refusal& refusal : refusals) {
    WorkDir dir;
    dir.write("data.csv", refusal.csv);
    Args args = {"--make-command-file", "data.csv"};
    args.insert(args.end(), refusal.args.begin(), refusal.args.end());
    if (std::find(args.begin(), args.end(), "-o") == args.end()) args.insert(args.end(), {"-o", "out.cmd"});
    const auto result = run_morvit(dir, args);
    EXPECT_EQ(result.status, 2) << refusal.what;
    EXPECT_NE(result.err.find(refusal.message), std::string::npos) << refusal.what << "\n" << result.err;
    EXPECT_EQ(result.out, "") << refusal.what;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"data.csv"}) << refusal.what;
    EXPECT_EQ(dir.read("data.csv"), refusal.csv) << refusal.what;
  }
  WorkDir dir;
  const auto missing = run_morvit(dir, {"--make-command-file", "nothing.csv", "--outcome", "y", "--factors", "a"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "morvit: nothing.csv: error: cannot read the file: No such file or directory\n");
}

TEST(CommandFileMaker, WarnsOfCasesLeftOut) {
  std::string csv = "y,a\n";
  for (int i = 1; i <= 12; ++i) csv += "1,0.5\n";
  csv += "NA,0.5\n0.25,0.5\n";
  WorkDir dir;
  dir.write("data.csv", csv);
  const auto result =
      run_morvit(dir, {"--make-command-file", "data.csv", "--outcome", "y", "--factors", "a", "--drop-missing"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "morvit: data.csv: warning: 1 case with a missing value left out (row 13); 13 remain\n");
  EXPECT_NE(result.out.find("COM    DATA: data.csv (13 CASES; 1 WITH A MISSING VALUE LEFT OUT)\n"), std::string::npos);
  EXPECT_NE(result.out.find("DAT   13 1\n"), std::string::npos);
  EXPECT_NE(result.out.find("1 0.5\n0.25 0.5\nFIN\n"), std::string::npos);
}

// A negated outcome or factor is 1 - x: the made command file gives exactly the report of
// one written by hand with those numbers (laid out otherwise), a factor beside its own
// negation included.
TEST(CommandFileMaker, NegatedSetsGiveTheReportOfHandWrittenComplements) {
  WorkDir dir;
  dir.write("data.csv",
            "case,y,a,b\nA,0.25,0.5,0.125\nB,0.1,0.2,0.6\nC,0.6,0.4,1\nD,0.375,0.3,0\nE,0.2,0.8,0.3\nF,0.4,0.7,0.4\n");
  const auto made = run_morvit(dir,
                               {"--make-command-file",
                                "data.csv",
                                "--outcome",
                                "~y",
                                "--factors",
                                "a,~b,b",
                                "--cases",
                                "case",
                                "-o",
                                "made.cmd"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.err,
            "morvit: data.csv: warning: column names that are also letters of the report: A = a, B = ~b, C = b (the "
            "report's B is the column ~b, not the column b)\n");
  const std::string comments =
      "COM    DATA: data.csv (6 CASES)\nCOM    OUTCOME = ~y\nCOM    A = a\nCOM    B = ~b\nCOM    C = b\nCOM    CASES = "
      "case\n";
  dir.write("hand.cmd",
            comments +
                "DAT   6 3\n"
                "0.75 0.5 0.875 0.125   0.9 0.2 0.4 0.6\n"
                "0.4,0.4,0,1, 0.625,0.3,1,0\n"
                "0.8 0.8 0.7 0.3\n0.6 0.7 0.6 0.4\n"
                "FIN\n");
  ASSERT_EQ(run_morvit(dir, {"hand.cmd"}).status, 0);
  const std::vector<std::string> expected = report_lines(dir.read("morvit.out"));
  ASSERT_EQ(run_morvit(dir, {"made.cmd"}).status, 0);
  EXPECT_EQ(report_lines(dir.read("morvit.out")), expected);
  EXPECT_GT(expected.size(), 40U);
}

// Beside a -o file the side file is always written, without names when there is no --cases:
// it records the names as written and the identity of the CSV file (volume and index), which
// no output of a run of the command file may then take the place of; a run takes no case
// names from it and says nothing.
TEST(CommandFileMaker, AlwaysWritesTheSideFileWithTheSourceRecord) {
  WorkDir dir;
  dir.write("data.csv", "y,a\n0.5,0.25\n0.1,0.75\n");
  const auto made =
      run_morvit(dir, {"--make-command-file", "data.csv", "--outcome", "y", "--factors", "a", "-o", "r.cmd"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.err, "");
  struct stat data {};
  ASSERT_EQ(::stat((dir.path() / "data.csv").c_str(), &data), 0);
  const std::string side = dir.read("r.cmd.cases");
  const std::string source = "#MORVIT SOURCE " + std::to_string(data.st_dev) + " " + std::to_string(data.st_ino) + "\n";
  EXPECT_TRUE(side.starts_with("#MORVIT CASES 0 ")) << side;
  EXPECT_TRUE(side.ends_with("\n#MORVIT NAME A a\n" + source)) << side;
  const auto run = run_morvit(dir, {"--cases-csv", "c.csv", "r.cmd"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(
      dir.read("c.csv").ends_with("\n2,,1,0.1,"
                                  "-1.2815515655446008,0.75,0.6744897501960817\n"))
      << dir.read("c.csv");
}

// "-" is the CSV text on standard input, not an option.
TEST(CommandFileMaker, ReadsStandardInputForADash) {
  WorkDir dir;
  dir.write("data.csv", "Y,A\n0.5,0.25\n");
  const auto result = run_script(dir, "\"$MORVIT\" --make-command-file - --outcome Y --factors A < data.csv");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "COM    DATA: standard input (1 CASE)\nCOM    OUTCOME = Y\nCOM    A = A\nDAT   1 1\n0.5 0.25\nFIN\n");
}

// The published data sets: converted as the examples were made, they give the examples'
// command files, and those give exactly the table of command files written by hand from
// the same numbers.
TEST(CommandFileMaker, DataSetsGiveTheTablesOfHandWrittenCommandFiles) {
  struct DataSet {
    std::string csv;
    Args args;
    std::string example;
  };
  const std::vector<DataSet> sets = {
      {"lipset_1959_democracy",
       {"--outcome",
        "SURVIVED",
        "--factors",
        "DEVELOPED,URBAN,LITERATE,INDUSTRIAL,STABLE",
        "--cases",
        "CASE",
        "--title",
        "Lipset (1959), 18 European democracies between the world wars: which conditions are necessary or "
        "sufficient for the survival of democracy?"},
       "lipset_democracy"},
      {"schneider_2010_exports",
       {"--outcome",
        "EXPORT",
        "--factors",
        "EMP,BARGAIN,UNI,OCCUP,STOCK,MA",
        "--cases",
        "CASE",
        "--title",
        "Schneider, Schulze-Bentrop and Paunescu (2010): institutions behind high-tech export performance, 19 "
        "countries in four periods"},
       "schneider_exports"},
      {"paykani_2018_health",
       {"--outcome",
        "HL",
        "--factors",
        "HE,GG,AH,HI,HW",
        "--cases",
        "COUNTRY",
        "--title",
        "Paykani, Rafiey and Sajjadi (2018): conditions of high life expectancy in 131 countries"},
       "paykani_health"},
  };
  const std::filesystem::path data = MORVIT_TEST_DATA "/datasets";
  const std::filesystem::path examples = MORVIT_TEST_DATA "/../../examples";
  for (const DataSet& set : sets) {
    WorkDir dir;
    dir.write(set.csv + ".csv", read_file(data / (set.csv + ".csv")));
    Args args = {"--make-command-file", set.csv + ".csv"};
    args.insert(args.end(), set.args.begin(), set.args.end());
    args.insert(args.end(), {"-o", set.example + ".cmd"});
    const auto made = run_morvit(dir, args);
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err, "") << set.csv;
    EXPECT_EQ(dir.read(set.example + ".cmd"), read_file(examples / (set.example + ".cmd"))) << set.csv;
    EXPECT_EQ(without_source(dir.read(set.example + ".cmd.cases")), read_file(examples / (set.example + ".cmd.cases")))
        << set.csv;

    ASSERT_EQ(run_morvit(dir, {set.example + ".cmd"}).status, 0);
    const std::string from_csv = dir.read("morvit.out");
    dir.write("hand.cmd", read_file(data / (set.csv + ".hand.cmd")));
    ASSERT_EQ(run_morvit(dir, {"hand.cmd"}).status, 0);
    const std::vector<std::string> expected = summary_and_table(dir.read("morvit.out"));
    ASSERT_GT(expected.size(), 50U) << set.csv;
    EXPECT_EQ(summary_and_table(from_csv), expected) << set.csv;
  }
}

// The examples made from the raw Lipset data: converted again, they are the stored command
// files; a run reads the names back without their calibration.
TEST(CommandFileMaker, CalibratedExamplesAreMadeFromTheRawData) {
  const Args calibrations = {"--calibrate",
                             "SURVIVED=-9,0,10",
                             "--calibrate",
                             "DEVELOPED=400,550,900",
                             "--calibrate",
                             "URBAN=25,50,65",
                             "--calibrate",
                             "LITERATE=50,75,90",
                             "--calibrate",
                             "INDUSTRIAL=20,30,40"};
  struct Example {
    std::string name;
    std::string outcome;
    std::string factors;
    std::string stability;  // the thresholds of UNSTABLE
    std::string title;
    std::string names_row;  // the beginning of a line of the table CSV
    std::string warning;    // what the maker says
  };
  const std::vector<Example> examples = {
      {"lipset_calibrated",
       "SURVIVED",
       "DEVELOPED,URBAN,LITERATE,INDUSTRIAL,UNSTABLE",
       "15,9.5,5",
       "Lipset (1959), raw measures calibrated by the direct method (UNSTABLE, the number of cabinets, as the "
       "decreasing set of stable government): which conditions are necessary or sufficient for the survival of "
       "democracy?",
       "BE,URBAN*UNSTABLE,SUFFICIENT,",
       "morvit: lipset_1959_raw.csv: warning: --calibrate UNSTABLE=15,9.5,5: the thresholds decrease, so the members "
       "of this set are the cases with low values of UNSTABLE, yet the set bears the name UNSTABLE; name it for what "
       "it "
       "holds with --set NAME=UNSTABLE (or calibrate the increasing set and take its negation: --calibrate "
       "UNSTABLE=5,9.5,15 --set NAME=~UNSTABLE)\n"},
      {"lipset_breakdown",
       "~SURVIVED",
       "~DEVELOPED,~URBAN,~LITERATE,~INDUSTRIAL,UNSTABLE",
       "5,9.5,15",
       "Lipset (1959), raw measures calibrated by the direct method, the outcome and four conditions negated "
       "(UNSTABLE as the increasing set of unstable government): which conditions are necessary or sufficient for "
       "the breakdown of democracy?",
       "CD,~LITERATE*~INDUSTRIAL,SUFFICIENT,",
       ""},
  };
  const std::filesystem::path examples_dir = MORVIT_SOURCE_DIR "/examples";
  for (const Example& example : examples) {
    WorkDir dir;
    dir.write("lipset_1959_raw.csv", read_file(MORVIT_TEST_DATA "/datasets/lipset_1959_raw.csv"));
    Args args = {"--make-command-file",
                 "lipset_1959_raw.csv",
                 "--outcome",
                 example.outcome,
                 "--factors",
                 example.factors,
                 "--calibrate",
                 "UNSTABLE=" + example.stability,
                 "--cases",
                 "CASE",
                 "--title",
                 example.title,
                 "-o",
                 example.name + ".cmd"};
    args.insert(args.end(), calibrations.begin(), calibrations.end());
    const auto made = run_morvit(dir, args);
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err, example.warning) << example.name;
    EXPECT_EQ(dir.read(example.name + ".cmd"), read_file(examples_dir / (example.name + ".cmd"))) << example.name;
    EXPECT_EQ(without_source(dir.read(example.name + ".cmd.cases")),
              read_file(examples_dir / (example.name + ".cmd.cases")));
    ASSERT_EQ(run_morvit(dir, {"--table-csv", "table.csv", example.name + ".cmd"}).status, 0);
    EXPECT_NE(dir.read("table.csv").find("\n" + example.names_row), std::string::npos) << example.name;
  }
}

}  // namespace
}  // namespace morvit
