#include "analysis/hypothesis_rows.h"

#include <limits>

#include "analysis/hypothesis_f.h"
#include "analysis/rounding.h"
#include "distributions/distributions.h"
#include "recordio/format.h"
#include "recordio/formatted_writer.h"
#include "recordio/free_form_writer.h"

namespace morvit {
namespace {

constexpr double not_printed = std::numeric_limits<double>::quiet_NaN();

}  // namespace

double HypothesisRows::upper_tail(double f, double numerator_df) const {
  double cum = 0.0;
  double ccum = 0.0;
  cumf(f, numerator_df, denominator_df_, cum, ccum);
  return ccum;
}

void HypothesisRows::write_row(std::string_view block, bool labelled, RowKind kind, std::string_view hypothesis,
                               double ssd, std::int32_t df, double msd, double f, double p, double dfn,
                               double summed_ssd) {
  static const Format labelled_layout("(1X,A10,A15,F12.4,I10,3F10.4)");
  static const Format unlabelled_layout("(11X,A15,F12.4,I10,3F10.4)");
  if (labelled) {
    write_formatted(report_, labelled_layout, {block, hypothesis, ssd, df, msd, f, p});
  } else {
    write_formatted(report_, unlabelled_layout, {hypothesis, ssd, df, msd, f, p});
  }
  if (observer_ != nullptr) observer_->row({block, kind, hypothesis, ssd, df, msd, f, p, true, dfn, summed_ssd});
}

void HypothesisRows::omit_row(std::string_view block, RowKind kind, std::string_view hypothesis, double ssd,
                              std::int32_t df) {
  if (observer_ != nullptr) {
    observer_->row({block, kind, hypothesis, ssd, df, not_printed, not_printed, not_printed, false});
  }
}

void HypothesisRows::write_factor_rows(std::string_view label, const PartitionSums& sums, double weight_total) {
  auto row = [&](RowKind kind, const char* hypothesis, double ssd, double weight) {
    if (!(weight > 0)) return omit_row(label, kind, hypothesis, ssd, nearest_int(weight));
    const double msd = ssd / weight;
    const double f = hypothesis_f(ssd, weight, expected_msd_);
    write_row(label,
              kind == RowKind::necessary,
              kind,
              hypothesis,
              ssd,
              nearest_int(weight),
              msd,
              f,
              upper_tail(f, weight),
              weight,
              ssd);
  };
  row(RowKind::necessary, "NECESSARY", sums.ssd_above, sums.weight_above);
  row(RowKind::sufficient, "SUFFICIENT", sums.ssd_below, sums.weight_below);
  row(RowKind::nec_and_suff, "NEC AND SUFF", sums.ssd_total(), weight_total);
  write_blank_line();
}

void HypothesisRows::write_combination_rows(std::string_view label, const PartitionSums& sums, double weight_total) {
  auto row = [&](RowKind kind, const char* hypothesis, double ssd, double weight) {
    const std::int32_t df = nearest_int(weight);
    if (!(weight > 0)) return omit_row(label, kind, hypothesis, ssd, df);
    const double df_real = static_cast<double>(df);
    const double f = hypothesis_f(ssd, df_real, expected_msd_);
    write_row(label,
              kind == RowKind::necessary,
              kind,
              hypothesis,
              df_real * f * expected_msd_,
              df,
              f * expected_msd_,
              f,
              upper_tail(f, df_real),
              df_real,
              ssd);
  };
  row(RowKind::necessary, "NECESSARY", sums.ssd_above, sums.weight_above);
  row(RowKind::sufficient, "SUFFICIENT", sums.ssd_below, sums.weight_below);
  row(RowKind::nec_and_suff, "NEC AND SUFF", sums.ssd_total(), weight_total);
}

void HypothesisRows::write_comparison_row(std::string_view block, std::string_view label, double constituent_ssd,
                                          double combination_ssd, double numerator_df) {
  static const Format comparison("(1X,A25,'       -----','     -----','     -----',2F10.4)");
  const double f = constituent_ssd / combination_ssd;
  const double p = upper_tail(f, numerator_df);
  write_formatted(report_, comparison, {label, f, p});
  if (observer_ != nullptr) {
    observer_->row({block, RowKind::comparison, label, not_printed, 0, not_printed, f, p, true, numerator_df});
  }
}

void HypothesisRows::omit_comparison_row(std::string_view block, std::string_view label) {
  if (observer_ != nullptr) {
    observer_->row({block, RowKind::comparison, label, not_printed, 0, not_printed, not_printed, not_printed, false});
  }
}

void HypothesisRows::write_blank_line() { write_free_form(report_, {" "}); }

}  // namespace morvit
