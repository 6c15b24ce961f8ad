#pragma once

#include "analysis/baseline.h"
#include "analysis/combinations.h"
#include "analysis/fit_inputs.h"
#include "analysis/table_observer.h"
#include "recordio/record_sink.h"

namespace morvit {

// Everything the table shows that is summed over the cases: the baseline and the
// partition sums of every factor and combination.
struct TableSums {
  Baseline baseline;
  CombinationSums partitions{};
};

// The four header lines: title, rule, column headings, rule.
void write_table_header(RecordSink& report);

// The sums over the cases, for write_fit_table.
void compute_table_sums(const FitInputs& inputs, TableSums& sums);

// The whole statistics table from the sums: header, baseline row, one block per factor,
// then the blocks of all combinations of two to six factors. Every row, also every row
// left out, is passed to `observer` when one is given.
void write_fit_table(RecordSink& report, const FitInputs& inputs, const TableSums& sums,
                     TableObserver* observer = nullptr);

// Both steps: the sums, then the table.
void write_fit_table(RecordSink& report, const FitInputs& inputs, TableObserver* observer = nullptr);

}  // namespace morvit
