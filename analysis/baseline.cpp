#include "analysis/baseline.h"

#include "analysis/rounding.h"
#include "recordio/format.h"
#include "recordio/formatted_writer.h"
#include "recordio/free_form_writer.h"

namespace morvit {

Baseline compute_baseline(std::span<const double> outcome, std::span<const double> weights) {
  Baseline b;
  float weighted_sum = 0.0f;
  for (std::size_t i = 0; i < outcome.size(); ++i) {
    // Product and addition in double, the new partial sum rounded to single precision.
    weighted_sum = static_cast<float>(static_cast<double>(weighted_sum) + weights[i] * outcome[i]);
    b.total_weight = static_cast<float>(static_cast<double>(b.total_weight) + weights[i]);
  }
  b.outcome_mean = weighted_sum / b.total_weight;

  for (std::size_t i = 0; i < outcome.size(); ++i) {
    const double d = outcome[i] - static_cast<double>(b.outcome_mean);
    b.baseline_ssd = static_cast<float>(static_cast<double>(b.baseline_ssd) + d * d * weights[i]);
  }
  const float total_less_one = b.total_weight - 1.0f;
  b.baseline_df = nearest_int(static_cast<double>(total_less_one));
  b.baseline_msd = b.baseline_ssd / b.total_weight;
  return b;
}

void write_baseline_row(RecordSink& report, const Baseline& baseline) {
  static const Format row("(1X,A10,A15,F12.4,I10,F10.4,'     -----','     -----')");
  write_formatted(
      report, row, {"NONE", "     NULL ASSOC", baseline.baseline_ssd, baseline.baseline_df, baseline.baseline_msd});
  write_free_form(report, {" "});
}

}  // namespace morvit
