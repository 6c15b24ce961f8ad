#include "exchange/output/exchange_listener.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

// What the listener keeps in the run record for the page beside what it writes: the levels
// of P with the run's own, each row's numerator degrees of freedom, and every warning the
// run told (the driver's and its own).
namespace morvit {
namespace {

TEST(ExchangeListener, KeepsLevelsDegreesOfFreedomAndWarnings) {
  struct LevelCase {
    double level;
    std::vector<double> levels;
  };
  const LevelCase level_cases[] = {
      {0.05, {0.01, 0.05, 0.1}}, {0.2, {0.01, 0.05, 0.1, 0.2}}, {0.001, {0.001, 0.01, 0.05, 0.1}}};
  for (const LevelCase& c : level_cases) {
    std::ostringstream err;
    ExchangeOptions options;
    options.command_file = "run.cmd";
    options.level = c.level;
    ExchangeListener listener(options, err);
    EXPECT_EQ(listener.record().level, c.level);
    EXPECT_EQ(listener.record().levels, c.levels) << c.level;
  }

  std::ostringstream err;
  ExchangeOptions options;
  options.command_file = "run.cmd";
  ExchangeListener listener(options, err);
  RunListener& run = listener;
  TableRow row;
  row.block = "A";
  row.kind = RowKind::necessary;
  row.hypothesis = "NECESSARY";
  row.dfn = 2.5;
  run.table_observer()->row(row);
  run.warning("run.cmd:4:1: warning: the weight -1 is below 0");
  run.finished(false);
  EXPECT_EQ(listener.record().rows.at(0).dfn, 2.5);
  EXPECT_EQ(
      listener.record().warnings,
      (std::vector<std::string>{
          "run.cmd:4:1: warning: the weight -1 is below 0",
          "run.cmd: warning: the run ended without a table (see the report); the files asked for say only that"}));
  EXPECT_EQ(err.str(), "morvit: " + listener.record().warnings[1] + "\n");
}

}  // namespace
}  // namespace morvit
