#pragma once

#include <array>
#include <span>
#include <string>

#include "analysis/fit_inputs.h"
#include "analysis/hypothesis_rows.h"
#include "analysis/partition_sums.h"

namespace morvit {

// Partition sums of every factor (size 1) and combination (sizes 2 to 6), stored by size
// and by combination rank (index rank - 1), so that a combination's comparison rows can
// read its constituents' sums.
using CombinationSums = std::array<std::array<PartitionSums, max_combinations_of_a_size>, max_combination_size + 1>;

// Position of the combination of the increasing 1-based factor numbers `factors` in the
// enumeration of all combinations of its size of `factor_count` factors (1 for the first).
int combination_rank(std::span<const int> factors, int factor_count);

// The label of a combination: its factor letters (A for factor 1) in increasing order.
std::string combination_label(std::span<const int> factors);

// The blocks of all combinations of two to six factors, size by size, each size in
// lexicographic order of the labels, from the sums of every size (single factors included).
void write_combination_blocks(HypothesisRows& rows, const FitInputs& inputs, float total_weight,
                              const CombinationSums& sums);

}  // namespace morvit
