#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "distributions/distributions.h"
#include "support/morvit_process.h"

namespace morvit {
namespace {

using testing::run_morvit;
using testing::WorkDir;
using Lines = std::vector<std::string>;

Lines lines_of(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> fields_of(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  fields.push_back(field);
  return fields;
}

// Three weighted cases; B is above the outcome in every case, so its NECESSARY row is
// left out of the report. The comments name the columns as a made command file does.
const std::string kNamedRun =
    "COM    OUTCOME = Y\n"
    "COM    A = WEALTH\n"
    "COM    B = SCHOOLING\n"
    "DAT   3 2\n"
    "0.5 0.5 0.9\n"
    "0.9 0.2 0.95\n"
    "0.1 0.7 0.3\n"
    "WEI\n"
    "2 1 0.5\n"
    "FIN\n";

TEST(RunOutputs, TableAndCasesAsCsvWithTheNamesOfColumnsAndCases) {
  WorkDir dir;
  dir.write("run.cmd", kNamedRun);
  dir.write("run.cmd.cases", "North\r\nSouth\r\nFar, far away\r\n");
  const auto result = run_morvit(dir, {"--table-csv", "t.csv", "--cases-csv=c.csv", "run.cmd"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");

  const Lines table = lines_of(dir.read("t.csv"));
  ASSERT_EQ(table.size(), 13U);  // header, baseline, A, B, AB with its two comparisons
  EXPECT_EQ(
      table[0],
      "block,names,hypothesis,SSD,DF,MSD,F,P,omitted,cases_against,critical_mer,cons_suf,cov_suf,pri,cons_nec,cov_nec,"
      "ron,coincidence");
  EXPECT_TRUE(table[1].starts_with("NONE,,NULL ASSOC,")) << table[1];
  EXPECT_TRUE(table[1].ends_with(",,,FALSE,,,,,,,,,")) << table[1];
  EXPECT_TRUE(table[2].starts_with("A,WEALTH,NECESSARY,")) << table[2];
  EXPECT_TRUE(table[5].starts_with("B,SCHOOLING,NECESSARY,")) << table[5];
  // Left out for want of a case above the diagonal: no case against, no critical error,
  // but the block's fit measures (every X below Y here, so necessity is perfect: 1).
  const std::vector<std::string> perfect = fields_of(table[5]);
  ASSERT_EQ(perfect.size(), 18U);
  EXPECT_EQ(std::vector<std::string>(perfect.begin() + 5, perfect.begin() + 11),
            (std::vector<std::string>{"", "", "", "TRUE", "0", ""}))
      << table[5];
  EXPECT_EQ(perfect[14], "1");  // cons_nec
  // Case 1 is a tie (0.5 and 0.5): on neither side, but in the weight of NEC AND SUFF.
  const std::vector<std::string> both = fields_of(table[4]);
  EXPECT_EQ(both[4] + "/" + both[9], "4/2");
  EXPECT_TRUE(table[8].starts_with("AB,WEALTH*SCHOOLING,NECESSARY,")) << table[8];
  const std::vector<std::string> comparison = fields_of(table[11]);
  ASSERT_EQ(comparison.size(), 18U);
  EXPECT_EQ(comparison[2], "A v AB");
  EXPECT_EQ(comparison[3] + comparison[4] + comparison[5], "");  // printed as hyphens
  EXPECT_EQ(comparison[8], "FALSE");
  EXPECT_TRUE(table[11].ends_with(",FALSE,,,,,,,,,")) << table[11];
  for (std::size_t i = 1; i < table.size(); ++i) EXPECT_EQ(fields_of(table[i]).size(), 18U) << table[i];

  const Lines cases = lines_of(dir.read("c.csv"));
  ASSERT_EQ(cases.size(), 4U);
  EXPECT_EQ(cases[0], "case,name,weight,Y,Y_z,WEALTH,WEALTH_z,SCHOOLING,SCHOOLING_z");
  EXPECT_TRUE(cases[1].starts_with("1,North,2,0.5,0,0.5,0,0.9,")) << cases[1];
  EXPECT_NEAR(std::stod(fields_of(cases[1])[8]), 1.2815515655446004, 1e-12);
  EXPECT_TRUE(cases[3].starts_with("3,\"Far, far away\",0.5,0.1,")) << cases[3];

  // --names takes the place of the names in the comments.
  ASSERT_EQ(run_morvit(dir, {"--names", "Wealth , Schooling", "--table-csv", "t.csv", "run.cmd"}).status, 0);
  EXPECT_TRUE(lines_of(dir.read("t.csv"))[8].starts_with("AB,Wealth*Schooling,NECESSARY,"));
}

// Put back into the program's own F tail, every critical measurement error of a real table
// gives P = the level, at the default 0.05 and at another --level; a larger level asks for
// a larger error. Every weight is 1, so DF is the numerator degrees of freedom of P.
TEST(RunOutputs, CriticalMeasurementErrorsPutPAtTheLevel) {
  WorkDir dir;
  const std::string lipset = MORVIT_SOURCE_DIR "/examples/lipset_democracy.cmd";
  ASSERT_EQ(run_morvit(dir, {"--table-csv", "t05.csv", lipset}).status, 0);
  ASSERT_EQ(run_morvit(dir, {"--level=0.2", "--table-csv", "t20.csv", lipset}).status, 0);
  const Lines at_05 = lines_of(dir.read("t05.csv"));
  const Lines at_20 = lines_of(dir.read("t20.csv"));
  ASSERT_EQ(at_05.size(), at_20.size());
  int rows = 0;
  for (std::size_t i = 1; i < at_05.size(); ++i) {
    const std::vector<std::string> row = fields_of(at_05[i]);
    const std::vector<std::string> other = fields_of(at_20[i]);
    if (row[10].empty()) continue;
    const double msd = std::stod(row[5]);
    const double df = std::stod(row[4]);
    for (const auto& [level, mer] : {std::pair{0.05, std::stod(row[10])}, std::pair{0.2, std::stod(other[10])}}) {
      double cum = 0.0, p = 0.0;
      cumf(msd / ((mer * 4.0) * mer), df, 18.0, cum, p);
      EXPECT_NEAR(p / level, 1.0, 1e-11) << at_05[i];
    }
    EXPECT_LT(std::stod(row[10]), std::stod(other[10])) << at_05[i];
    ++rows;
  }
  EXPECT_EQ(rows, 31 * 3);  // every hypothesis row of 5 factors and their 26 combinations
}

// Case names that do not fit are left out with a warning; a --names list that does not give
// one name for each factor (the outcome's included, or one short) is an error that no -q
// hides, and nothing is written beside the report.
TEST(RunOutputs, NamesThatDoNotFitTheRun) {
  WorkDir dir;
  dir.write("run.cmd", kNamedRun);
  dir.write("run.cmd.cases", "North\nSouth\n");
  const auto fitting = run_morvit(dir, {"--cases-csv", "c.csv", "--names", "W,S", "run.cmd"});
  EXPECT_EQ(fitting.status, 0);
  EXPECT_EQ(fitting.err,
            "morvit: run.cmd.cases: warning: 2 case names for 3 cases; the cases are shown without names\n"
            "morvit: report written to morvit.out (1 warning)\n");
  EXPECT_TRUE(lines_of(dir.read("c.csv"))[1].starts_with("1,,2,")) << dir.read("c.csv");
  std::filesystem::remove(dir.path() / "c.csv");
  for (const std::string names : {"Y,W,S", "W"}) {
    for (const bool quiet : {false, true}) {
      std::vector<std::string> args = {"--cases-csv", "c.csv", "--html", "p.html", "--names", names, "run.cmd"};
      if (quiet) args.insert(args.begin(), "-q");
      const auto result = run_morvit(dir, args);
      EXPECT_EQ(result.status, 2) << names;
      EXPECT_NE(result.err.find("morvit: error: --names lists " + std::string(names == "W" ? "1 name" : "3 names") +
                                " for the 2 factors of this run: it takes one name for each factor letter, A and B, "
                                "in this order (the outcome's name is not one of them"),
                std::string::npos)
          << result.err;
      EXPECT_FALSE(dir.exists("c.csv") || dir.exists("p.html")) << names;
      EXPECT_TRUE(dir.exists("morvit.out"));
    }
  }
}

TEST(RunOutputs, ARunWithoutATableWritesOnlyWhatItKnows) {
  WorkDir dir;
  dir.write("run.cmd", "COM    NO FIN HERE\nDAT   1 1\n0.5 0.5\n");
  const auto result = run_morvit(dir, {"--table-csv", "t.csv", "--cases-csv", "c.csv", "--html", "p.html", "run.cmd"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err,
            "morvit: run.cmd:4:1: error: the command file ends before FIN\n"
            "morvit: run.cmd: warning: the run ended without a table (see the report); the files asked for say only "
            "that\n"
            "morvit: report written to morvit.out (1 error, 1 warning)\n");
  EXPECT_EQ(dir.read("t.csv"),
            "block,names,hypothesis,SSD,DF,MSD,F,P,omitted,cases_against,critical_mer,cons_suf,cov_suf,pri,cons_nec,"
            "cov_nec,ron,coincidence\n");
  EXPECT_EQ(dir.read("c.csv"), "case,name,weight,outcome,outcome_z\n");
  const std::string page = dir.read("p.html");
  EXPECT_NE(page.find("The run ended without a table"), std::string::npos);
  EXPECT_NE(page.find("NO FIN HERE"), std::string::npos);
}

TEST(RunOutputs, OutputsThatWouldOverwriteAFileOfTheRunAreRefused) {
  struct Clash {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Clash> clashes = {
      {{"--table-csv", "run.cmd", "run.cmd"}, "morvit: error: --table-csv run.cmd: this is the command file"},
      {{"--html", "./morvit.out", "run.cmd"}, "morvit: error: --html ./morvit.out: this is the report file morvit.out"},
      {{"--cases-csv", "run.cmd.cases", "run.cmd"}, "this is the file of the case names"},
      {{"--table-csv", "x.csv", "--cases-csv", "x.csv", "run.cmd"},
       "--cases-csv x.csv: this is named by --table-csv too"},
  };
  for (const Clash& clash : clashes) {
    WorkDir dir;
    dir.write("run.cmd", kNamedRun);
    dir.write("run.cmd.cases", "a\nb\nc\n");
    const auto result = run_morvit(dir, clash.args);
    EXPECT_EQ(result.status, 2) << clash.message;
    EXPECT_NE(result.err.find(clash.message), std::string::npos) << result.err;
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"run.cmd", "run.cmd.cases"})) << clash.message;
  }
}

// A failed write ends with status 2 after a whole report, names the folder that refused, and
// leaves every output as it was: they are written all or none.
TEST(RunOutputs, AFailedWriteEndsWithStatusTwoAfterAWholeReportAndNoOutput) {
  WorkDir dir;
  dir.write("run.cmd", kNamedRun);
  const auto result = run_morvit(dir, {"--table-csv", "no/such/dir/t.csv", "--html", "p.html", "run.cmd"});
  EXPECT_EQ(result.status, 2);
  EXPECT_TRUE(result.err.starts_with("morvit: cannot write no/such/dir/t.csv: the folder ")) << result.err;
  EXPECT_NE(result.err.find("/no/such/dir: No such file or directory\nmorvit: error: "), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("not written: --table-csv no/such/dir/t.csv, --html p.html"), std::string::npos);
  EXPECT_NE(dir.read("morvit.out").find("NUMBER OF ERRORS DETECTED =      0"), std::string::npos);
  EXPECT_FALSE(dir.exists("p.html"));
}

}  // namespace
}  // namespace morvit

namespace morvit {
namespace {

// The findings follow a run that wrote a table CSV or a page, on standard output, after the
// report's banner; not with -q, not after the cases CSV alone, not into a page written to
// standard output.
TEST(RunOutputs, FindingsOnStandardOutputAfterATableOrAPage) {
  struct Case {
    std::vector<std::string> args;
    bool told;
  };
  for (const Case& test : {Case{{"--table-csv", "t.csv"}, true},
                           Case{{"--html", "p.html"}, true},
                           Case{{"-q", "--table-csv", "t.csv", "--html", "p.html"}, false},
                           Case{{"--cases-csv", "c.csv"}, false},
                           Case{{"--html", "/dev/stdout"}, false}}) {
    WorkDir dir;
    dir.write("run.cmd", kNamedRun);
    std::vector<std::string> args = test.args;
    args.push_back("run.cmd");
    const auto result = run_morvit(dir, args);
    EXPECT_EQ(result.status, 0) << args.front();
    const std::size_t at = result.out.find("Findings at MER 0.05 and level 0.05");
    EXPECT_EQ(at != std::string::npos, test.told) << args.front() << "\n" << result.out;
    if (test.told) {
      EXPECT_NE(result.out.find("  Holding (1):\n    B NECESSARY (SCHOOLING): no case against", at), std::string::npos)
          << result.out;
    }
  }
}

}  // namespace
}  // namespace morvit
