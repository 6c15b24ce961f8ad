#include "driver/data_loading.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "distributions/distributions.h"
#include "driver/command_interpreter.h"
#include "driver/run_context.h"

namespace morvit {
namespace {

double quantile(double p) {
  int fault = 0;
  return ppnd16(p, fault);
}

// Loads a DAT block of `cases` x (`factors` + 1) values from `text` (the lines after the DAT line).
std::unique_ptr<RunContext> loaded(const std::string& text, int cases, int factors,
                                   double damping = static_cast<double>(0.01f)) {
  auto run = std::make_unique<RunContext>(CommandFile::from_text(text));
  run->settings.case_count = cases;
  run->settings.factor_count = factors;
  run->settings.damping_factor = damping;
  EXPECT_EQ(load_data_matrix(*run), ReadStatus::ok);
  return run;
}

TEST(DataLoading, LineShapesDoNotMatter) {
  const std::vector<std::string> shapes = {
      "0.2 0.8 0.5 0.4 0.1 0.9 0.7 0.3 0.6\n",
      "0.2\n0.8\n0.5\n0.4\n0.1\n0.9\n0.7\n0.3\n0.6\n",
      "0.2 0.8 0.5\n0.4 0.1 0.9\n0.7 0.3 0.6\n",
      "0.2,0.8 , 0.5\t0.4\n\n0.1 0.9 0.7\n0.3\n0.6 EXTRA TEXT\n",
  };
  const double expected[3][3] = {{0.2, 0.8, 0.5}, {0.4, 0.1, 0.9}, {0.7, 0.3, 0.6}};
  for (const std::string& text : shapes) {
    const auto owner = loaded(text + "FIN\n", 3, 2);
    RunContext& run = *owner;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(run.data.wght(i), 1.0);
      for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(run.data.x(i, j), expected[i][j]) << text;
        EXPECT_EQ(run.data.z(i, j), quantile(expected[i][j])) << text;
      }
    }
    std::string line;
    EXPECT_EQ(run.command.read_command_line(line), ReadStatus::ok);
    EXPECT_EQ(line.substr(0, 3), "FIN");
  }
}

TEST(DataLoading, ScoresAreConfinedByTheDampingFactor) {
  const double lo = static_cast<double>(0.01f);
  const auto owner = loaded("0 0.005 1.2 1 -0.3 0.5\n", 3, 1);
  RunContext& run = *owner;
  EXPECT_EQ(run.data.z(0, 0), quantile(lo));
  EXPECT_EQ(run.data.z(0, 1), quantile(lo));  // 0.005 lies below the bound as well
  EXPECT_EQ(run.data.z(1, 0), quantile(1 - lo));
  EXPECT_EQ(run.data.z(1, 1), quantile(1 - lo));
  EXPECT_EQ(run.data.z(2, 0), quantile(lo));
  EXPECT_EQ(run.data.z(2, 1), 0.0);
}

TEST(DataLoading, ZeroDampingGivesZeroForScoresAtOrBeyondTheEnds) {
  const auto owner = loaded("0 1 0.5 -1 2 0.9\n", 3, 1, 0.0);
  RunContext& run = *owner;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 2; ++j) {
      if (i == 2 && j == 1) continue;
      EXPECT_EQ(run.data.z(i, j), 0.0) << i << "," << j;
    }
  }
  EXPECT_EQ(run.data.z(2, 1), quantile(0.9));
}

TEST(DataLoading, DampingAboveOneHalfCrossesTheBounds) {
  // lo = 0.7, hi = 0.3 (computed as 1 - 0.7): every score below 0.7 gets the quantile of
  // 0.7, every score of 0.7 or more that of 0.3.
  const auto owner = loaded("0.1 0.5 0.7 0.9\n", 2, 1, 0.7);
  RunContext& run = *owner;
  const double hi = 1.0 - 0.7;
  EXPECT_EQ(run.data.z(0, 0), quantile(0.7));
  EXPECT_EQ(run.data.z(0, 1), quantile(0.7));
  EXPECT_EQ(run.data.z(1, 0), quantile(hi));
  EXPECT_EQ(run.data.z(1, 1), quantile(hi));
}

TEST(DataLoading, NullsAndSlashKeepEarlierValues) {
  const auto owner = loaded("0.1 0.2 0.3 0.4\n", 2, 1);
  RunContext& run = *owner;
  // A second block over the same matrix: a null, a value, then "/".
  run.command = CommandFile::from_text(",0.9 /\nFIN\n");
  ASSERT_EQ(load_data_matrix(run), ReadStatus::ok);
  EXPECT_EQ(run.data.x(0, 0), 0.1);
  EXPECT_EQ(run.data.x(0, 1), 0.9);
  EXPECT_EQ(run.data.x(1, 0), 0.3);
  EXPECT_EQ(run.data.x(1, 1), 0.4);
}

TEST(DataLoading, WeightsAfterTheMatrix) {
  const auto owner = loaded("0.1 0.2 0.3 0.4 0.5 0.6\n", 3, 1);
  RunContext& run = *owner;
  run.command = CommandFile::from_text("2 0.5 /\n");
  ASSERT_EQ(load_weights(run), ReadStatus::ok);
  EXPECT_EQ(run.data.wght(0), 2.0);
  EXPECT_EQ(run.data.wght(1), 0.5);
  EXPECT_EQ(run.data.wght(2), 1.0);

  run.command = CommandFile::from_text("1 1\n");
  EXPECT_EQ(load_weights(run), ReadStatus::end_of_file);
  run.command = CommandFile::from_text("1 X 1\n");
  EXPECT_EQ(load_weights(run), ReadStatus::read_failed);
}

TEST(DataLoading, NegativeCountsReadNothing) {
  const auto owner = loaded("SKIPPED\nFIN\n", -3, -2);
  RunContext& run = *owner;
  std::string line;
  ASSERT_EQ(run.command.read_command_line(line), ReadStatus::ok);
  EXPECT_EQ(line.substr(0, 3), "FIN");
}

}  // namespace
}  // namespace morvit
