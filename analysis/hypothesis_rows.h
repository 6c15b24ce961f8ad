#pragma once

#include <cstdint>
#include <string_view>

#include "analysis/partition_sums.h"
#include "analysis/table_observer.h"
#include "recordio/record_sink.h"

namespace morvit {

// Writes the hypothesis and comparison rows of the table. Every P is the upper tail of
// the F distribution at the row's F with the run's denominator degrees of freedom.
class HypothesisRows {
 public:
  // Every row written, and every row left out, is also passed to `observer` when one is given.
  HypothesisRows(RecordSink& report, double expected_msd, std::int32_t denominator_df,
                 TableObserver* observer = nullptr)
      : report_(report),
        expected_msd_(expected_msd),
        denominator_df_(static_cast<double>(denominator_df)),
        observer_(observer) {}

  // A single factor: MSD and F divide by the partition weight, and P takes the weight
  // itself (not the rounded DF) as numerator degrees of freedom. Ends with the blank line.
  void write_factor_rows(std::string_view label, const PartitionSums& sums, double weight_total);

  // A combination: DF is the rounded weight, F = (ssd / DF) / expected MSD, and SSD and MSD
  // are printed as recomputed from F. No blank line: the comparison rows follow.
  void write_combination_rows(std::string_view label, const PartitionSums& sums, double weight_total);

  // A constituent against its combination: F = constituent SSD / combination SSD.
  void write_comparison_row(std::string_view block, std::string_view label, double constituent_ssd,
                            double combination_ssd, double numerator_df);
  // A comparison row that the table leaves out (the combination has no distance).
  void omit_comparison_row(std::string_view block, std::string_view label);

  void write_blank_line();

 private:
  double upper_tail(double f, double numerator_df) const;
  void write_row(std::string_view block, bool labelled, RowKind kind, std::string_view hypothesis, double ssd,
                 std::int32_t df, double msd, double f, double p, double dfn, double summed_ssd);
  void omit_row(std::string_view block, RowKind kind, std::string_view hypothesis, double ssd, std::int32_t df);

  RecordSink& report_;
  double expected_msd_;
  double denominator_df_;
  TableObserver* observer_;
};

}  // namespace morvit
