#pragma once

#include <string_view>
#include <vector>

#include "exchange/output/run_record.h"

namespace morvit {

// The levels of P that the outputs give critical measurement errors for: 0.01, 0.05, 0.1
// and `level` (the --level of the run), ascending, each once.
std::vector<double> levels_shown(double level);

// After the run, what the outputs show beside each hypothesis row of the table, from the
// run's data and the row's own numbers: the cases against it and whether they are ties
// only, its block's fit measures, and its critical measurement error at each level of
// run.levels. Baseline and comparison rows keep their empty values; rows left out of the
// report get the cases and the fit measures but no critical measurement error. Each block
// takes one pass over the cases.
void assess_rows(RunRecord& run);

// A block that holds a factor together with its negation (names N and ~N, compared as
// given) is contradictory by construction.
bool contradictory(std::string_view block, const ColumnNames& names);

// The row's critical measurement error at the run's level (RunRecord::level), or NaN where
// it has none.
double critical_mer_at_level(const RecordedRow& row, const RunRecord& run);

}  // namespace morvit
