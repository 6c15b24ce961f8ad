#include "exchange/output/exchange_listener.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/diagnostics.h"

// What the listener keeps in the run record for the page beside what it writes.
namespace morvit {
namespace {

ExchangeOptions options_at(double level) {
  ExchangeOptions options;
  options.command_file = "run.cmd";
  options.level = level;
  return options;
}

TEST(ExchangeListener, ShowsTheUsualLevelsOfPAndTheRunsOwn) {
  struct LevelCase {
    double level;
    std::vector<double> levels;
  };
  const LevelCase level_cases[] = {
      {0.05, {0.01, 0.05, 0.1}}, {0.2, {0.01, 0.05, 0.1, 0.2}}, {0.001, {0.001, 0.01, 0.05, 0.1}}};
  for (const LevelCase& c : level_cases) {
    std::ostringstream err;
    ExchangeListener listener(options_at(c.level), err);
    EXPECT_EQ(listener.record().level, c.level);
    EXPECT_EQ(listener.record().levels, c.levels) << c.level;
  }
}

TEST(ExchangeListener, KeepsTheDegreesOfFreedomOfEachRowsP) {
  std::ostringstream err;
  ExchangeListener listener(options_at(0.05), err);
  TableRow row;
  row.block = "A";
  row.kind = RowKind::necessary;
  row.hypothesis = "NECESSARY";
  row.dfn = 2.5;
  static_cast<RunListener&>(listener).table_observer()->row(row);
  EXPECT_EQ(listener.record().rows.at(0).dfn, 2.5);
}

// The run's warnings and the listener's own reach the page in the order they were told, and
// the listener's are told and counted as the run's are.
TEST(ExchangeListener, KeepsEveryWarningOfTheRunAndItsOwn) {
  std::ostringstream err;
  ExchangeListener listener(options_at(0.05), err);
  std::ostringstream told;
  Diagnostics diagnostics("run.cmd", false, &listener, &told);
  diagnostics.warning(WarningKind::negative_weight, FilePosition{4, 1}, "the weight -1 is below 0");
  static_cast<RunListener&>(listener).finished(false, diagnostics);
  EXPECT_EQ(
      listener.record().warnings,
      (std::vector<std::string>{
          "run.cmd:4:1: warning: the weight -1 is below 0",
          "run.cmd: warning: the run ended without a table (see the report); the files asked for say only that"}));
  EXPECT_EQ(told.str(),
            "morvit: " + listener.record().warnings[0] + "\nmorvit: " + listener.record().warnings[1] + "\n");
  EXPECT_EQ(diagnostics.warnings_met(), 2);
}

}  // namespace
}  // namespace morvit
