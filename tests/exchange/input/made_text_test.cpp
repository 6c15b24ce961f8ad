#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "exchange/cell_text.h"
#include "exchange/column_names.h"
#include "exchange/input/calibration_thresholds.h"
#include "exchange/input/command_file_maker.h"
#include "recordio/number_text.h"

// The command file's text as the maker makes it in memory, without files or processes.
namespace morvit {
namespace {

using Args = std::vector<std::string>;

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> split(std::string_view text, char at) {
  std::vector<std::string> parts;
  for (;;) {
    const std::size_t end = text.find(at);
    parts.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) return parts;
    text.remove_prefix(end + 1);
  }
}

MakerOptions options_for(const std::string& outcome, const std::string& factors,
                         const std::vector<CalibrateOption>& calibrations = {}) {
  MakerOptions options;
  options.data_file = "data.csv";
  options.outcome = outcome;
  options.factors = split(factors, ',');
  options.calibrations = calibrations;
  return options;
}

// The rows of values between DAT and FIN of a made command file.
std::vector<std::vector<double>> data_rows(const std::string& text) {
  std::vector<std::vector<double>> rows;
  bool data = false;
  for (const std::string& line : split(text, '\n')) {
    if (line.starts_with("DAT")) {
      data = true;
    } else if (line == "FIN" || line == "WEI") {
      break;
    } else if (data) {
      rows.emplace_back();
      for (const std::string& value : split(line, ' ')) rows.back().push_back(read_cell(value, false).value);
    }
  }
  return rows;
}

// The raw Lipset data calibrated with the published thresholds give the published
// memberships to two decimals: the four conditions whose thresholds are published, and the
// outcome and government stability with the thresholds of the examples (survival index -9,
// 0, 10; cabinets 15, 9.5, 5, a decreasing set). Poland's published stability is 0 with the
// fewest cabinets of all (0): no calibration that falls with the number of cabinets gives it.
TEST(MadeText, RawLipsetDataCalibrateToThePublishedMemberships) {
  const std::string raw = read_file(MORVIT_TEST_DATA "/datasets/lipset_1959_raw.csv");
  const std::vector<std::string> published =
      split(read_file(MORVIT_TEST_DATA "/datasets/lipset_1959_democracy.csv"), '\n');
  MakerOptions options = options_for("SURVIVED",
                                     "DEVELOPED,URBAN,LITERATE,INDUSTRIAL,UNSTABLE",
                                     {{"DEVELOPED", "400,550,900"},
                                      {"URBAN", "25,50,65"},
                                      {"LITERATE", "50,75,90"},
                                      {"INDUSTRIAL", "20,30,40"},
                                      {"SURVIVED", "-9,0,10"},
                                      {"UNSTABLE", "15,9.5,5"}});
  options.cases = "CASE";
  std::ostringstream err;
  const MadeCommandFile made = make_from_csv(raw, options, "lipset_1959_raw.csv", err);
  // The decreasing set keeps the name UNSTABLE, and the maker says so.
  EXPECT_TRUE(
      err.str().starts_with("morvit: lipset_1959_raw.csv: warning: --calibrate UNSTABLE=15,9.5,5: the thresholds "
                            "decrease"))
      << err.str();
  EXPECT_EQ(err.str().find('\n'), err.str().size() - 1) << err.str();
  EXPECT_NE(made.text.find("COM    OUTCOME = SURVIVED, CALIBRATED -9/0/10\n"
                           "COM    A = DEVELOPED, CALIBRATED 400/550/900\n"
                           "COM    B = URBAN, CALIBRATED 25/50/65\n"
                           "COM    C = LITERATE, CALIBRATED 50/75/90\n"
                           "COM    D = INDUSTRIAL, CALIBRATED 20/30/40\n"
                           "COM    E = UNSTABLE, CALIBRATED 15/9.5/5\n"),
            std::string::npos)
      << made.text;
  // A run reads the names back without their calibration, signs and exponents included.
  ColumnNames names;
  for (std::size_t at = made.text.find("COM    "); at != std::string::npos; at = made.text.find("COM    ", at + 1)) {
    take_name_from_comment(made.text.substr(at + 7, made.text.find('\n', at) - at - 7), names);
  }
  take_name_from_comment("F = GNP, CALIBRATED -1E+21/2.5E-3/3E+21", names);
  EXPECT_EQ(names.outcome, "SURVIVED");
  EXPECT_EQ(names.factors[0], "DEVELOPED");
  EXPECT_EQ(names.factors[4], "UNSTABLE");
  EXPECT_EQ(names.factors[5], "GNP");
  const std::vector<std::vector<double>> rows = data_rows(made.text);
  ASSERT_EQ(rows.size(), 18U);
  // Calibrated first, then negated: breakdown is 1 - survival.
  options.outcome = "~SURVIVED";
  const MadeCommandFile negated = make_from_csv(raw, options, "lipset_1959_raw.csv", err);
  EXPECT_NE(negated.text.find("COM    OUTCOME = ~SURVIVED, CALIBRATED -9/0/10\n"), std::string::npos);
  const std::vector<std::vector<double>> breakdown = data_rows(negated.text);
  ASSERT_EQ(breakdown.size(), 18U);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    // CASE,SURVIVED,DEVELOPED,URBAN,LITERATE,INDUSTRIAL,STABLE: the columns of the made
    // rows in the same order.
    const std::vector<std::string> row = split(published[i + 1], ',');
    ASSERT_EQ(rows[i].size(), 6U);
    for (std::size_t j = 0; j < 6; ++j) {
      if (row[0] == "Poland" && j == 5) continue;
      EXPECT_NEAR(rows[i][j], std::stod(row[j + 1]), 0.005) << row[0] << ", column " << j;
      EXPECT_EQ(std::round(rows[i][j] * 100) / 100, std::stod(row[j + 1])) << row[0] << ", column " << j;
    }
    EXPECT_EQ(breakdown[i][0], 1.0 - rows[i][0]) << row[0];
  }
  EXPECT_EQ(made.case_names.front(), "Austria");
}

// What R, pandas and spreadsheets put around the table: R's row names in a first column
// without a name, Excel's line that names the separator.
TEST(MadeText, ReadsTheHabitsOfRAndSpreadsheets) {
  struct Habit {
    const char* what;
    std::string csv;
    std::string cases;  // --cases
    std::string comments_and_data;
    std::vector<std::string> names;
  };
  const std::string data = "DAT   2 1\n0.1 0.2\n0.5 0.25\nFIN\n";
  const std::vector<Habit> habits = {
      {"R's write.csv: row names",
       "\"\",\"y\",\"a\"\n\"Austria\",0.1,0.2\n\"Belgium\",0.5,0.25\n",
       "",
       "COM    OUTCOME = y\nCOM    A = a\nCOM    CASES = (row names)\n" + data,
       {"Austria", "Belgium"}},
      {"--cases names another column than the row names",
       ",y,a,name\n1,0.1,0.2,Austria\n2,0.5,0.25,Belgium\n",
       "name",
       "COM    OUTCOME = y\nCOM    A = a\nCOM    CASES = name\n" + data,
       {"Austria", "Belgium"}},
      {"Excel's separator line",
       "sep=;\r\ny;a\r\n0,1;0,2\r\n0,5;0,25\r\n",
       "",
       "COM    OUTCOME = y\nCOM    A = a\n" + data,
       {}},
      {"Excel's separator line, a tab",
       "SEP=\t\ny\ta\n0.1\t0.2\n0.5\t0.25\n",
       "",
       "COM    OUTCOME = y\nCOM    A = a\n" + data,
       {}},
      {"a header whose first name begins with sep=",
       "sep=x,y,a\n9,0.1,0.2\n9,0.5,0.25\n",
       "",
       "COM    OUTCOME = y\nCOM    A = a\n" + data,
       {}},
  };
  for (const Habit& habit : habits) {
    MakerOptions options = options_for("y", "a");
    options.cases = habit.cases;
    std::ostringstream err;
    const MadeCommandFile made = make_from_csv(habit.csv, options, "data.csv", err);
    EXPECT_EQ(err.str(), "") << habit.what;
    EXPECT_EQ(made.text, "COM    DATA: data.csv (2 CASES)\n" + habit.comments_and_data) << habit.what;
    EXPECT_EQ(made.case_names, habit.names) << habit.what;
  }
}

// A name is cut only where its comment line ends: a factor's "A = " leaves 69 of the 73
// bytes, "OUTCOME = " and "WEIGHTS = " 63, "CASES = " 65, and never within a character. A
// calibration that leaves the name no room moves to lines of its own below it, one
// threshold a line, so that the thresholds are whole however many digits they have (as R
// prints them), and a run still reads the name back.
TEST(MadeText, NamesAreCutOnlyWhereTheirCommentLineEndsAndThresholdsAreWhole) {
  struct Name {
    std::string role;
    std::string name;
    std::string thresholds;  // of a calibration, when there is one
    std::string kept;        // the name as its comment line keeps it
  };
  std::string umlauts;  // 40 "ü", two bytes each: 80 bytes, cut to 34 of them
  for (int i = 0; i < 40; ++i) umlauts += "\xC3\xBC";
  const std::string long_thresholds = "0.12345678901234567,0.5000000000000001,0.98765432109876543";
  const std::vector<Name> names = {
      {"--factors", std::string(69, 'N'), "", std::string(69, 'N')},
      {"--factors", std::string(70, 'N'), "", std::string(69, 'N')},
      {"--outcome", std::string(63, 'N'), "", std::string(63, 'N')},
      {"--outcome", std::string(64, 'N'), "", std::string(63, 'N')},
      {"--weights", std::string(64, 'N'), "", std::string(63, 'N')},
      {"--cases", std::string(65, 'N'), "", std::string(65, 'N')},
      {"--cases", std::string(66, 'N'), "", std::string(65, 'N')},
      {"--factors", umlauts, "", umlauts.substr(0, 68)},
      {"--factors", "GNP", "1,2,3", "GNP"},
      {"--factors", std::string(52, 'N'), "1,2,3", std::string(52, 'N')},
      {"--factors", "GNP", long_thresholds, "GNP"},
      {"--outcome", "SURVIVED", long_thresholds, "SURVIVED"},
      {"--factors", std::string(70, 'N'), long_thresholds, std::string(69, 'N')},
  };
  for (const Name& name : names) {
    MakerOptions options = options_for("y", "a");
    std::string y = "y", a = "a";
    if (name.role == "--outcome") y = options.outcome = name.name;
    if (name.role == "--factors") a = options.factors[0] = name.name;
    if (name.role == "--weights") options.weights = name.name;
    if (name.role == "--cases") options.cases = name.name;
    if (!name.thresholds.empty()) options.calibrations = {{name.name, name.thresholds}};
    const std::string header = y + "," + a + "," + (options.weights.empty() ? "w" : options.weights) + "," +
                               (options.cases.empty() ? "c" : options.cases) + "\n";
    std::ostringstream err;
    const MadeCommandFile made = make_from_csv(header + "0.5,0.5,1,x\n", options, "data.csv", err);
    const std::string what = name.role + " " + std::to_string(name.name.size()) + " " + name.thresholds;
    const bool cut = name.kept != name.name;
    EXPECT_EQ(err.str().find("is too long for its comment line") != std::string::npos, cut)
        << what << ": " << err.str();
    ColumnNames read;
    std::string comments;
    for (const std::string& line : split(made.text, '\n')) {
      EXPECT_LE(line.size(), 80U) << what;
      if (!line.starts_with("COM    ")) continue;
      take_name_from_comment(line.substr(7), read);
      comments += line.substr(7) + "\n";
    }
    const std::string read_back = name.role == "--outcome"                                            ? read.outcome
                                  : name.role == "--factors"                                          ? read.factors[0]
                                  : name.role == "--weights"                                          ? read.weights
                                  : comments.find("CASES = " + name.kept + "\n") != std::string::npos ? name.kept
                                                                                                      : "";
    EXPECT_EQ(read_back, name.kept) << what;
    if (name.thresholds.empty()) continue;
    // Every threshold whole, in the shortest form that reads back to it.
    const ThresholdsRead thresholds = read_thresholds(name.thresholds);
    ASSERT_TRUE(thresholds.thresholds) << what;
    for (const double threshold :
         {thresholds.thresholds->exclusion, thresholds.thresholds->crossover, thresholds.thresholds->inclusion}) {
      const std::string digits = number_text(threshold);
      EXPECT_TRUE(comments.find(" " + digits + "\n") != std::string::npos ||
                  comments.find(" " + digits + "/") != std::string::npos ||
                  comments.find("/" + digits + "/") != std::string::npos ||
                  comments.find("/" + digits + "\n") != std::string::npos)
          << what << ": " << digits << " in\n"
          << comments;
    }
  }
}

// Case names longer than a side file keeps are cut where a character ends, with a warning;
// a column that is not in the header is named among at most a screenful of the others.
TEST(MadeText, CaseNamesAndListedColumnsAreBounded) {
  std::string long_name;
  for (int i = 0; i < 200; ++i) long_name += "\xE2\x82\xAC";  // 200 euro signs, 600 bytes
  std::ostringstream err;
  MakerOptions options = options_for("y", "a");
  options.cases = "case";
  const MadeCommandFile made =
      make_from_csv("case,y,a\n" + long_name + ",0.5,0.5\nshort,0.1,0.2\n", options, "data.csv", err);
  ASSERT_EQ(made.case_names.size(), 2U);
  EXPECT_EQ(made.case_names[0], long_name.substr(0, 255));  // 85 whole euro signs
  EXPECT_EQ(made.case_names[1], "short");
  EXPECT_NE(err.str().find("1 case name is longer than the 256 bytes"), std::string::npos) << err.str();

  std::string header = "y";
  for (int i = 0; i < 200000; ++i) header += ",column" + std::to_string(i);
  try {
    make_from_csv(header + "\n", options_for("y", "mistyped"), "wide.csv", err);
    ADD_FAILURE() << "a missing column is refused";
  } catch (const ConversionRefused& refusal) {
    const std::string what = refusal.what();
    EXPECT_LT(what.size(), 1200U);
    EXPECT_NE(what.find("its columns are: y, column0, column1, "), std::string::npos) << what;
    EXPECT_TRUE(what.ends_with(" more")) << what;
  }
}

}  // namespace
}  // namespace morvit
