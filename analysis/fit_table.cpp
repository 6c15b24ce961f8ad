#include "analysis/fit_table.h"

#include <span>
#include <string>

#include "analysis/baseline.h"
#include "analysis/combinations.h"
#include "analysis/hypothesis_rows.h"
#include "analysis/partition_sums.h"
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

void write_fit_table(RecordSink& report, const FitInputs& inputs) {
  const auto cases = static_cast<std::size_t>(inputs.case_count);
  const std::span<const double> outcome(inputs.z[0], cases);
  const std::span<const double> weights(inputs.wght, cases);

  write_table_header(report);
  const Baseline baseline = compute_baseline(outcome, weights);
  write_baseline_row(report, baseline);

  HypothesisRows rows(report, inputs.expected_msd, inputs.denominator_df);
  const double weight_total = static_cast<double>(baseline.total_weight);
  SsdTotals ssd_totals{};
  for (int factor = 1; factor <= inputs.factor_count; ++factor) {
    const PartitionSums sums =
        accumulate_partitions(outcome, {inputs.z[static_cast<std::size_t>(factor)], cases}, weights);
    ssd_totals[1][static_cast<std::size_t>(factor - 1)] = sums.ssd_total();
    rows.write_factor_rows(std::string(1, static_cast<char>('A' + factor - 1)), sums, weight_total);
  }
  write_combination_blocks(rows, inputs, baseline.total_weight, ssd_totals);
}

}  // namespace morvit
