#include "analysis/fit_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "analysis/combinations.h"
#include "analysis/rounding.h"
#include "recordio/record_sink.h"

namespace morvit {
namespace {

using Lines = std::vector<std::string>;

// z-scores by column (outcome first) and weights, turned into a table.
struct TableData {
  std::vector<std::vector<double>> z;
  std::vector<double> weights;
  double expected_msd = (static_cast<double>(0.05f) * 4) * static_cast<double>(0.05f);
  int denominator_df = -1;  // default: the number of cases
};

Lines table_lines(const TableData& data) {
  FitInputs inputs;
  inputs.case_count = static_cast<int>(data.z[0].size());
  inputs.factor_count = static_cast<int>(data.z.size()) - 1;
  for (std::size_t c = 0; c < data.z.size(); ++c) inputs.z[c] = data.z[c].data();
  std::vector<double> unit(data.z[0].size(), 1.0);
  inputs.wght = data.weights.empty() ? unit.data() : data.weights.data();
  inputs.expected_msd = data.expected_msd;
  inputs.denominator_df = data.denominator_df >= 0 ? data.denominator_df : inputs.case_count;
  StringSink sink;
  write_fit_table(sink, inputs);
  Lines lines;
  const std::string& text = sink.text();
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The rows of the table after its four header lines.
Lines body(const Lines& lines) { return Lines(lines.begin() + 4, lines.end()); }

const Lines kHeader = {
    "  GOODNESS-OF-FIT AND PARTITION STATISTICS",
    " -----------------------------------------------------------------------------",
    "  FACTOR(S)     HYPOTHESIS         SSD        DF       MSD         F         P",
    " -----------------------------------------------------------------------------",
};

TableData worked_example() { return {{{0.5, -0.2, 1.0}, {0.1, 0.3, 1.0}, {0.8, -0.5, 0.2}}, {}}; }

TEST(FitTable, WorkedTwoFactorTable) {
  Lines expected = kHeader;
  const Lines rows = {
      "       NONE     NULL ASSOC      0.7267         2    0.2422     -----     -----",
      "  ",
      "          A      NECESSARY      0.1600         1    0.1600   16.0000    0.0280",
      "                SUFFICIENT      0.2500         1    0.2500   25.0000    0.0154",
      "              NEC AND SUFF      0.4100         3    0.1367   13.6667    0.0296",
      "  ",
      "          B      NECESSARY      0.7300         2    0.3650   36.5000    0.0078",
      "                SUFFICIENT      0.0900         1    0.0900    9.0000    0.0577",
      "              NEC AND SUFF      0.8200         3    0.2733   27.3333    0.0111",
      "  ",
      "         AB      NECESSARY      0.8900         3    0.2967   29.6667    0.0099",
      "              NEC AND SUFF      0.8900         3    0.2967   29.6667    0.0099",
      "                    A v AB       -----     -----     -----    0.4607    0.7296",
      "                    B v AB       -----     -----     -----    0.9213    0.5261",
      "  ",
  };
  expected.insert(expected.end(), rows.begin(), rows.end());
  EXPECT_EQ(table_lines(worked_example()), expected);
}

TEST(FitTable, NoFactorsGiveHeaderBaselineAndOneBlankLine) {
  const Lines lines = table_lines({{{0.5, -0.2, 1.0}}, {}});
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 4), kHeader);
  EXPECT_EQ(lines[4], "       NONE     NULL ASSOC      0.7267         2    0.2422     -----     -----");
  EXPECT_EQ(lines[5], "  ");
}

TEST(FitTable, OneFactorHasNoCombinationBlock) {
  TableData data = worked_example();
  data.z.pop_back();
  const Lines lines = table_lines(data);
  EXPECT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines.back(), "  ");
}

// Random z-scores of `factors` factors over `cases` cases (ties unlikely).
TableData random_data(int factors, int cases, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> normal;
  TableData data;
  data.z.assign(static_cast<std::size_t>(factors) + 1, std::vector<double>(static_cast<std::size_t>(cases)));
  for (auto& column : data.z) {
    for (double& value : column) value = normal(random);
  }
  return data;
}

// The labels in columns 2-11 of the NECESSARY rows, in order.
Lines block_labels(const Lines& lines) {
  Lines labels;
  for (const std::string& line : body(lines)) {
    if (line.size() == 78 && line.substr(11, 15) == "      NECESSARY") {
      labels.push_back(line.substr(1, 10));
      labels.back().erase(0, labels.back().find_first_not_of(' '));
    }
  }
  return labels;
}

TEST(FitTable, BlocksFollowTheEnumerationOrder) {
  EXPECT_EQ(block_labels(table_lines(random_data(4, 60, 1))),
            (Lines{"A", "B", "C", "D", "AB", "AC", "AD", "BC", "BD", "CD", "ABC", "ABD", "ACD", "BCD", "ABCD"}));
  const Lines seven = block_labels(table_lines(random_data(7, 60, 2)));
  EXPECT_EQ(seven.size(), 7u + 21 + 35 + 35 + 21 + 7);
  EXPECT_EQ(seven.back(), "BCDEFG");
}

TEST(FitTable, TenFactorsWithEveryRowPresent) {
  const Lines lines = table_lines(random_data(10, 80, 3));
  EXPECT_EQ(lines.size(), 7204u);
  const Lines last(lines.end() - 10, lines.end());  // 3 rows, 6 comparisons, blank
  EXPECT_EQ(last[0].substr(0, 26), "     EFGHIJ      NECESSARY");
  const Lines comparisons = {
      "EFGHI v EFGHIJ", "EFGHJ v EFGHIJ", "EFGIJ v EFGHIJ", "EFHIJ v EFGHIJ", "EGHIJ v EFGHIJ", "FGHIJ v EFGHIJ"};
  for (std::size_t i = 0; i < comparisons.size(); ++i) {
    EXPECT_EQ(last[3 + i].substr(0, 58), std::string(12, ' ') + comparisons[i] + "       -----     -----     -----");
  }
  EXPECT_EQ(last.back(), "  ");
  for (const std::string& line : body(lines)) {
    EXPECT_TRUE(line == "  " || line.size() == 78) << line;
  }
}

TEST(CombinationRank, PositionInTheEnumeration) {
  struct Case {
    std::vector<int> factors;
    int factor_count;
    int rank;
  };
  const std::vector<Case> cases = {
      {{2, 3}, 4, 4},
      {{2, 3}, 10, 10},
      {{1, 2}, 10, 1},
      {{9, 10}, 10, 45},
      {{2, 3, 4}, 10, 37},
      {{2, 3, 4}, 4, 4},
      {{5, 6, 7, 8, 9, 10}, 10, 210},
      {{3}, 10, 3},
      {{1, 2, 3, 4, 5}, 10, 1},
      {{6, 7, 8, 9, 10}, 10, 252},
  };
  for (const Case& c : cases) EXPECT_EQ(combination_rank(c.factors, c.factor_count), c.rank);

  // Against a count of the nested enumeration, for every combination of 3 of 7 factors.
  int counted = 0;
  for (int a = 1; a <= 7; ++a)
    for (int b = a + 1; b <= 7; ++b)
      for (int c = b + 1; c <= 7; ++c) EXPECT_EQ(combination_rank(std::vector<int>{a, b, c}, 7), ++counted);
}

TEST(FitTable, ComparisonRowsReadTheConstituentsByRank) {
  // K = 4: BCD is compared with BC, BD and CD, the pairs of ranks 4, 5 and 6. Each
  // comparison F is the constituent's NEC AND SUFF SSD over the combination's.
  const Lines lines = table_lines(random_data(4, 40, 4));
  auto ssd_of = [&](const std::string& label) {
    auto at = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.substr(0, 11) == std::string(10 - label.size() + 1, ' ') + label;
    });
    while (at->substr(11, 15) != "   NEC AND SUFF") ++at;
    return std::stod(at->substr(26, 12));
  };
  auto comparison_f = [&](const std::string& label) {
    auto at = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.find(" " + label + "       -----") != std::string::npos;
    });
    return std::stod(at->substr(58, 10));
  };
  for (const std::string part : {"BC", "BD", "CD"}) {
    EXPECT_NEAR(comparison_f(part + " v BCD"), ssd_of(part) / ssd_of("BCD"), 2e-4);
  }
}

TEST(FitTable, TiesBelongToNeitherPartition) {
  // The outcome equals factor A in case 1 and the pair's membership in case 2.
  TableData data{{{0.4, -0.3, 0.9}, {0.4, 0.6, 0.2}, {1.2, -0.3, 1.5}}, {}};
  const Lines lines = table_lines(data);
  EXPECT_EQ(lines[6], "          A      NECESSARY      0.4900         1    0.4900   49.0000    0.0060");
  EXPECT_EQ(lines[7].substr(0, 48), "                SUFFICIENT      0.8100         1");
  EXPECT_EQ(lines[8].substr(0, 48), "              NEC AND SUFF      1.3000         3");
}

TEST(FitTable, SinglePrecisionMembershipOfLargerCombinations) {
  // Every z-score of a case equals the outcome's. Pairs see ties; combinations of three
  // factors round the membership to single precision: 0.3 goes up (below partition),
  // 0.7 goes down (above partition), 0.5 stays a tie.
  TableData data;
  const std::vector<double> values = {0.3, 0.7, 0.5, 0.7};
  data.z.assign(4, values);
  const Lines lines = table_lines(data);
  const Lines labels = block_labels(lines);
  EXPECT_EQ(labels, (Lines{"ABC"}));
  const Lines abc(
      std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("        ABC"); }),
      lines.end());
  EXPECT_EQ(abc[0], "        ABC      NECESSARY      0.0000         2    0.0000    0.0000    1.0000");
  EXPECT_EQ(abc[1], "                SUFFICIENT      0.0000         1    0.0000    0.0000    1.0000");
  EXPECT_EQ(abc[2], "              NEC AND SUFF      0.0000         4    0.0000    0.0000    1.0000");
  EXPECT_EQ(abc[3].substr(0, 26), "                  AB v ABC");
  // The pairs' SSD is exactly 0: they have no comparison rows.
  for (const std::string& line : lines) EXPECT_EQ(line.find(" v AB "), std::string::npos) << line;
}

TEST(FitTable, FractionalWeights) {
  TableData data = worked_example();
  data.weights = {1.5, 1.0, 0.25};
  data.denominator_df = 2;
  const Lines lines = table_lines(data);
  // Single factor: DF 2 printed for 1.5, MSD divides by 1.5.
  EXPECT_EQ(lines[6].substr(0, 58), "          A      NECESSARY      0.2400         2    0.1600");
  // Pair: NECESSARY weight 2.75 gives DF 3 and MSD = SSD / 3 (0.16 * 1.5 + 0.09 + 0.64 * 0.25).
  const auto ab =
      std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("         AB"); });
  ASSERT_NE(ab, lines.end());
  EXPECT_EQ(ab->substr(0, 58), "         AB      NECESSARY      0.4900         3    0.1633");
}

TEST(FitTable, ZeroDenominatorDfGivesZeroPExceptWhereFIsZero) {
  TableData data = worked_example();
  data.z.push_back(data.z[0]);  // factor C equals the outcome: SSD 0, F 0
  data.denominator_df = 0;
  const Lines lines = table_lines(data);
  for (const std::string& line : body(lines)) {
    if (line.size() != 78 || line.substr(73) == "-----") continue;
    const std::string f = line.substr(58, 10);
    EXPECT_EQ(line.substr(68), f == "    0.0000" ? "    1.0000" : "    0.0000") << line;
  }
}

TEST(FitTable, ZeroWeightCasesChangeNothing) {
  TableData data = worked_example();
  TableData padded = data;
  for (auto& column : padded.z) column.push_back(9.0);
  padded.weights = {1, 1, 1, 0};
  padded.denominator_df = 3;
  EXPECT_EQ(table_lines(padded), table_lines(data));
}

TEST(FitTable, FactorLetterDisappearsWithoutNecessaryRow) {
  // Factor B lies at or above the outcome in every case: no NECESSARY row, no letter.
  TableData data{{{0.1, 0.2, 0.3}, {0.0, 0.5, 0.2}, {0.4, 0.2, 0.9}}, {}};
  const Lines lines = table_lines(data);
  EXPECT_EQ(block_labels(lines), (Lines{"A", "AB"}));
  EXPECT_EQ(lines[10].substr(0, 26), "                SUFFICIENT");
  EXPECT_EQ(lines[9], "  ");
}

TEST(FitTable, DivisionsByZeroGiveDefinedRows) {
  // A measurement error of 0: every F is infinite and P is 0.
  TableData zero_error = worked_example();
  zero_error.expected_msd = 0.0;
  const Lines a = table_lines(zero_error);
  EXPECT_EQ(a[6], "          A      NECESSARY      0.1600         1    0.1600       inf    0.0000");
  EXPECT_EQ(a[14], "         AB      NECESSARY         nan         3       nan       inf    0.0000");

  // A total weight of 0: the baseline divides by zero.
  TableData no_weight = worked_example();
  no_weight.weights = {0, 0, 0};
  no_weight.denominator_df = 0;
  const Lines b = table_lines(no_weight);
  EXPECT_EQ(b[4], "       NONE     NULL ASSOC         nan        -1       nan     -----     -----");

  // A partition weight below one half rounds to DF 0 in a combination: F is infinite, the
  // SSD printed as 0 times F is not a number, and P of an infinite F is 0.
  TableData small_weight{{{0.5, -0.2, 1.0}, {0.1, 0.3, 1.5}, {0.8, -0.5, 1.2}}, {1, 1, 0.25}};
  const Lines c = table_lines(small_weight);
  const auto ab = std::find_if(c.begin(), c.end(), [](const std::string& l) { return l.starts_with("         AB"); });
  ASSERT_NE(ab, c.end());
  EXPECT_EQ(*(ab + 1), "                SUFFICIENT         nan         0       inf       inf    0.0000");
}

TEST(Rounding, NearestIntRoundsHalvesAwayFromZero) {
  EXPECT_EQ(nearest_int(2.5), 3);
  EXPECT_EQ(nearest_int(-2.5), -3);
  EXPECT_EQ(nearest_int(9.5), 10);
  EXPECT_EQ(nearest_int(-0.7), -1);
  EXPECT_EQ(nearest_int(0.49), 0);
  EXPECT_EQ(nearest_int(1e300), 2147483647);
  EXPECT_EQ(nearest_int(-1e300), -2147483647 - 1);
  EXPECT_EQ(nearest_int(std::nan("")), 0);
}

}  // namespace
}  // namespace morvit
