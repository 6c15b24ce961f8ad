#pragma once

#include <span>

namespace morvit {

// The sums of one factor or combination. The above partition holds the cases whose
// outcome z-score is strictly greater than the membership, the below partition those
// where it is strictly less; a tie belongs to neither.
struct PartitionSums {
  double ssd_above = 0.0;
  double weight_above = 0.0;
  double ssd_below = 0.0;
  double weight_below = 0.0;

  double ssd_total() const { return ssd_above + ssd_below; }
};

// Adds one case. The sums are formed in case order; d * d * w is evaluated left to right.
inline void add_case(PartitionSums& sums, double outcome, double membership, double weight) {
  if (outcome > membership) {
    const double d = outcome - membership;
    sums.ssd_above += d * d * weight;
    sums.weight_above += weight;
  } else if (outcome < membership) {
    const double d = outcome - membership;
    sums.ssd_below += d * d * weight;
    sums.weight_below += weight;
  }
}

// Partition sums of a membership column against the outcome column, over all cases.
PartitionSums accumulate_partitions(std::span<const double> outcome, std::span<const double> membership,
                                    std::span<const double> weights);

// Partition sums of a combination: the membership of a case is the smallest of the z-scores
// in `factor_columns`. For a pair it is used as it is; for three or more factors it is
// rounded to single precision before it is compared with the outcome and subtracted.
PartitionSums accumulate_combination(std::span<const double> outcome, std::span<const double* const> factor_columns,
                                     std::span<const double> weights);

}  // namespace morvit
