#include "analysis/fit_table.h"

#include <limits>
#include <span>
#include <string>

#include "analysis/hypothesis_rows.h"
#include "analysis/partition_sweep.h"
#include "limits/program_limits.h"
#include "recordio/format.h"
#include "recordio/formatted_writer.h"
#include "recordio/free_form_writer.h"

namespace morvit {

void write_table_header(RecordSink& report) {
  static const Format rule("(1X,77(1H-))");
  write_free_form(report, {" GOODNESS-OF-FIT AND PARTITION STATISTICS"});
  write_formatted(report, rule, {});
  write_free_form(report, {" FACTOR(S)     HYPOTHESIS         SSD        DF       MSD         F         P"});
  write_formatted(report, rule, {});
}

void compute_table_sums(const FitInputs& inputs, TableSums& sums) {
  const auto cases = static_cast<std::size_t>(inputs.case_count);
  sums.baseline = compute_baseline({inputs.z[0], cases}, {inputs.wght, cases});
  accumulate_all_partitions(inputs, sums.partitions);
}

void write_fit_table(RecordSink& report, const FitInputs& inputs, const TableSums& sums, TableObserver* observer) {
  write_table_header(report);
  write_baseline_row(report, sums.baseline);
  if (observer != nullptr) {
    const double dashes = std::numeric_limits<double>::quiet_NaN();
    const Baseline& b = sums.baseline;
    observer->row({"NONE",
                   RowKind::baseline,
                   "NULL ASSOC",
                   static_cast<double>(b.baseline_ssd),
                   b.baseline_df,
                   static_cast<double>(b.baseline_msd),
                   dashes,
                   dashes,
                   true});
  }

  HypothesisRows rows(report, inputs.expected_msd, inputs.denominator_df, observer);
  const double weight_total = static_cast<double>(sums.baseline.total_weight);
  for (int factor = 1; factor <= inputs.factor_count; ++factor) {
    rows.write_factor_rows(
        std::string(1, factor_letter(factor)), sums.partitions[1][static_cast<std::size_t>(factor - 1)], weight_total);
  }
  write_combination_blocks(rows, inputs, sums.baseline.total_weight, sums.partitions);
}

void write_fit_table(RecordSink& report, const FitInputs& inputs, TableObserver* observer) {
  TableSums sums;
  compute_table_sums(inputs, sums);
  write_fit_table(report, inputs, sums, observer);
}

}  // namespace morvit
