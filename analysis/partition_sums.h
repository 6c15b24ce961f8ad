#pragma once

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

// A combination's membership in a case is the smallest of its factors' z-scores; for
// three or more factors it is rounded to single precision before it is compared with the
// outcome and subtracted. accumulate_all_partitions (partition_sweep.h) forms the sums of
// every factor and combination.

}  // namespace morvit
