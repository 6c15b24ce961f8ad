#include "analysis/partition_sums.h"

#include <cstddef>

namespace morvit {

PartitionSums accumulate_partitions(std::span<const double> outcome, std::span<const double> membership,
                                    std::span<const double> weights) {
  PartitionSums sums;
  for (std::size_t i = 0; i < outcome.size(); ++i) add_case(sums, outcome[i], membership[i], weights[i]);
  return sums;
}

PartitionSums accumulate_combination(std::span<const double> outcome, std::span<const double* const> factor_columns,
                                     std::span<const double> weights) {
  PartitionSums sums;
  const bool single_precision = factor_columns.size() >= 3;
  for (std::size_t i = 0; i < outcome.size(); ++i) {
    double membership = factor_columns[0][i];
    for (std::size_t f = 1; f < factor_columns.size(); ++f) {
      const double z = factor_columns[f][i];
      if (z < membership) membership = z;
    }
    if (single_precision) membership = static_cast<double>(static_cast<float>(membership));
    add_case(sums, outcome[i], membership, weights[i]);
  }
  return sums;
}

}  // namespace morvit
