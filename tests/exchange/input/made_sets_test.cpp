#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "exchange/case_names.h"
#include "exchange/input/command_file_maker.h"
#include "measures/calibration.h"

// What the maker makes of sets, calibrations, letters and encodings, in memory: derived sets
// written exactly with their expression, and the warnings that still give the files.
namespace morvit {
namespace {

using Row = std::map<std::string, double>;  // a CSV row's numbers by column name

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

std::vector<Row> rows_of(const std::string& csv) {
  const std::vector<std::string> lines = split(csv, '\n');
  const std::vector<std::string> header = split(lines[0], ',');
  std::vector<Row> rows;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> fields = split(lines[i], ',');
    Row row;
    for (std::size_t j = 1; j < fields.size(); ++j) row[header[j]] = std::strtod(fields[j].c_str(), nullptr);
    rows.push_back(row);
  }
  return rows;
}

// The values of the data lines of a made command file, case by case.
std::vector<std::vector<double>> data_of(const std::string& command_file) {
  std::vector<std::vector<double>> cases;
  bool in_data = false;
  for (const std::string& line : split(command_file, '\n')) {
    if (line.starts_with("DAT ")) {
      in_data = true;
    } else if (line == "FIN" || line == "WEI") {
      in_data = false;
    } else if (in_data) {
      std::vector<double> values;
      for (const std::string& field : split(line, ' ')) values.push_back(std::strtod(field.c_str(), nullptr));
      cases.push_back(values);
    }
  }
  return cases;
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

MakerOptions options_for(const std::string& outcome, const std::string& factors,
                         const std::vector<CalibrateOption>& calibrations = {},
                         const std::vector<SetOption>& sets = {}) {
  MakerOptions options;
  options.data_file = "data.csv";
  options.outcome = outcome;
  options.factors = split(factors, ',');
  options.calibrations = calibrations;
  options.sets = sets;
  return options;
}

// The values written are exactly the minimum, the maximum and 1 - x of the inputs, after
// calibration; the expression stands whole in the set's comment lines.
TEST(DerivedSets, AreWrittenExactlyWithTheirExpression) {
  const CalibrationThresholds unstable{5, 9.5, 15};
  struct Case {
    std::string csv;
    MakerOptions options;
    std::vector<std::string> comments;  // lines the command file holds
    // The outcome and the factors of a case from the CSV row.
    std::function<std::vector<double>(const Row&)> expected;
  };
  const std::string small =
      "case,jsr,H,G,P\nA,0.5,0.25,0.7,0.1\nB,0.9,0.8,0.3,0.6\nC,0.2,0.3,0.3,0.95\nD,0.7,0.05,0.55,0.4\n";
  const std::string long_names =
      "case,y,a_rather_long_column_name_for_a_condition,another_rather_long_column_name,third_long_name_here\n"
      "A,0.5,0.2,0.6,0.9\nB,0.3,0.7,0.1,0.4\n";
  const std::vector<Case> cases = {
      {read_file(MORVIT_TEST_DATA "/datasets/lipset_1959_raw.csv"),
       options_for("~SURVIVED",
                   "STABLE,URBAN,~stable",
                   {{"UNSTABLE", "5,9.5,15"}, {"URBAN", "25,50,65"}, {"SURVIVED", "-9,0,10"}},
                   {{"STABLE", "~UNSTABLE"}}),
       {"COM    A = STABLE\n", "COM    C = ~STABLE\n", "COM    SET STABLE = ~UNSTABLE; UNSTABLE CALIBRATED 5/9.5/15\n"},
       [&](const Row& r) {
         const double stable = 1.0 - calibrated_membership(r.at("UNSTABLE"), unstable);
         return std::vector<double>{1.0 - calibrated_membership(r.at("SURVIVED"), {-9, 0, 10}),
                                    stable,
                                    calibrated_membership(r.at("URBAN"), {25, 50, 65}),
                                    1.0 - stable};
       }},
      {small,
       options_for("horg", "X,P,~H", {}, {{"HorG", " H+G"}, {"X", "~(horg*P)+jsr*~H"}}),
       {"COM    OUTCOME = HorG\n",
        "COM    A = X\n",
        "COM    C = ~H\n",
        "COM    SET HorG = H + G\n",
        "COM    SET X = ~(HorG*P) + jsr*~H\n"},
       [](const Row& r) {
         const double horg = std::max(r.at("H"), r.at("G"));
         return std::vector<double>{horg,
                                    std::max(1.0 - std::min(horg, r.at("P")), std::min(r.at("jsr"), 1.0 - r.at("H"))),
                                    r.at("P"),
                                    1.0 - r.at("H")};
       }},
      // A long expression goes on in further comment lines, never cut.
      {long_names,
       options_for(
           "y",
           "ALL",
           {},
           {{"ALL", "a_rather_long_column_name_for_a_condition*another_rather_long_column_name*third_long_name_here"}}),
       {"COM    SET ALL = a_rather_long_column_name_for_a_condition*\n",
        "COM        another_rather_long_column_name*third_long_name_here\n"},
       [](const Row& r) {
         return std::vector<double>{r.at("y"),
                                    std::min(std::min(r.at("a_rather_long_column_name_for_a_condition"),
                                                      r.at("another_rather_long_column_name")),
                                             r.at("third_long_name_here"))};
       }},
  };
  for (const Case& c : cases) {
    std::ostringstream err;
    const MadeCommandFile made = make_from_csv(c.csv, c.options, "data.csv", err);
    EXPECT_EQ(err.str(), "");
    for (const std::string& line : c.comments) EXPECT_NE(made.text.find(line), std::string::npos) << line << made.text;
    const std::vector<Row> rows = rows_of(c.csv);
    const std::vector<std::vector<double>> written = data_of(made.text);
    ASSERT_EQ(written.size(), rows.size()) << made.text;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(written[i], c.expected(rows[i])) << "case " << i + 1 << "\n" << made.text;
    }
  }
}

// Warnings that still give the files: a decreasing calibration that keeps the column's name,
// thresholds that every value lies beyond, one-letter names that are letters of the
// report, text that is not UTF-8.
TEST(MakerWarnings, SayWhatTheFilesDoNotShow) {
  const std::string cabinets = "case,y,cabinets,urban\nA,0.5,4,20\nB,0.9,12,75\nC,0.1,7,50\n";
  const std::string windows_1252 = "Land;Demokratie;Wohlstand\r\n\xD6sterreich;0,2;0,8\r\nSchweiz;0,9;0,95\r\n";
  const auto with = [](MakerOptions options, const std::string& cases, TextEncoding encoding = TextEncoding::detected) {
    options.cases = cases;
    options.encoding = encoding;
    return options;
  };
  struct Case {
    std::string what;
    std::string csv;
    MakerOptions options;
    std::string err;
    std::string side_file_part;  // in the side file's text
  };
  const std::vector<Case> cases = {
      {"a decreasing calibration",
       cabinets,
       options_for("y", "~cabinets", {{"Cabinets", "12,8,4"}}),
       "morvit: data.csv: warning: --calibrate Cabinets=12,8,4: the thresholds decrease, so the members of this set "
       "are the cases with low values of cabinets, yet the set bears the name cabinets; name it for what it holds with "
       "--set NAME=cabinets (or calibrate the increasing set and take its negation: --calibrate cabinets=4,8,12 --set "
       "NAME=~cabinets)\n",
       "#MORVIT NAME A ~cabinets\n"},
      {"a decreasing calibration named by a set",
       cabinets,
       options_for("y", "stable", {{"cabinets", "12,8,4"}}, {{"stable", "cabinets"}}),
       "",
       "#MORVIT NAME A stable\n"},
      {"a percentage calibrated as a share",
       cabinets,
       options_for("y", "urban", {{"urban", "0.25,0.5,0.65"}}),
       "morvit: data.csv: warning: --calibrate urban=0.25,0.5,0.65: every value of urban lies at or above the "
       "inclusion threshold 0.65 (the values from 20 to 75, the thresholds 0.25, 0.5, 0.65), so every case is in the "
       "set (membership 0.95 or more); are the thresholds in the units of urban?\n",
       ""},
      {"a decreasing set all below its inclusion threshold",
       cabinets,
       options_for("y", "few", {{"cabinets", "30,20,12"}}, {{"few", "cabinets"}}),
       "morvit: data.csv: warning: --calibrate cabinets=30,20,12: every value of cabinets lies at or below the "
       "inclusion threshold 12 (the values from 4 to 12, the thresholds 30, 20, 12), so every case is in the set "
       "(membership 0.95 or more); are the thresholds in the units of cabinets?\n",
       ""},
      {"one-letter columns",
       "y,C,P,N,R\n0.5,0.1,0.2,0.3,0.4\n",
       options_for("y", "C,P,N,R"),
       "morvit: data.csv: warning: column names that are also letters of the report: A = C, B = P, C = N, D = R (the "
       "report's C is the column N, not the column C)\n",
       "#MORVIT NAME C N\n"},
      {"an outcome named by a letter",
       "B,x,y\n0.5,0.1,0.2\n",
       options_for("b", "x,y"),
       "morvit: data.csv: warning: column names that are also letters of the report: OUTCOME = B, A = x, B = y (the "
       "report's B is the column y, not the outcome B)\n",
       ""},
      {"letters of their own factors", "y,a,b\n0.5,0.1,0.2\n", options_for("y", "a,b"), "", ""},
      {"Windows-1252 text",
       windows_1252,
       with(options_for("demokratie", "wohlstand"), "land"),
       "morvit: data.csv:2:1: warning: the file is not UTF-8 text (the byte 0xD6 here cannot stand in it); it is read "
       "as Windows-1252, the encoding of Excel's CSV files in Western Europe: check the names it holds (--encoding "
       "windows-1252 reads it so without this warning)\n",
       "#MORVIT NAME OUTCOME Demokratie\n#MORVIT NAME A Wohlstand\n#MORVIT NAME CASES "
       "Land\n\xC3\x96sterreich\nSchweiz\n"},
      {"Windows-1252 text, named",
       windows_1252,
       with(options_for("demokratie", "wohlstand"), "land", TextEncoding::windows_1252),
       "",
       "\xC3\x96sterreich\nSchweiz\n"},
      {"Windows-1252 bytes beyond Latin-1",
       "c,y,x\n\x80 \x9C \x81,0.5,0.5\n",
       with(options_for("y", "x"), "c", TextEncoding::windows_1252),
       "",
       "\xE2\x82\xAC \xC5\x93 \xC2\x81\n"},
      {"UTF-8 text", "c,y,x\n\xC3\x96sterreich,0.5,0.5\n", with(options_for("y", "x"), "c"), "", "\xC3\x96sterreich\n"},
      // The highest code point, U+10FFFF, and the lowest of four bytes, U+10000.
      {"UTF-8 text to the last code point",
       "c,y,x\n\xF4\x8F\xBF\xBF \xF0\x90\x80\x80,0.5,0.5\n",
       with(options_for("y", "x"), "c"),
       "",
       "\xF4\x8F\xBF\xBF \xF0\x90\x80\x80\n"},
  };
  for (const Case& c : cases) {
    std::ostringstream err;
    const MadeCommandFile made = make_from_csv(c.csv, c.options, "data.csv", err);
    EXPECT_EQ(err.str(), c.err) << c.what;
    const std::string side_file = case_names_text(made.case_names, made.fingerprint, made.records);
    EXPECT_NE(side_file.find(c.side_file_part), std::string::npos) << c.what << "\n" << side_file;
  }
}

}  // namespace
}  // namespace morvit
