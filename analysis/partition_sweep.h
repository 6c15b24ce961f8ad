#pragma once

#include "analysis/combinations.h"
#include "analysis/fit_inputs.h"
#include "analysis/vector_lanes.h"

namespace morvit {

// The partition sums of every single factor (size 1) and of every combination of two
// to six factors of the inputs' factors, stored by size and rank. Each sum is formed
// case by case in case order with the operations of add_case on the combination's
// membership, so the sums are those of the plain per-combination loop. Works in fixed
// storage of its own: one call at a time. Each variant of `code` gives the same bits.
void accumulate_all_partitions(const FitInputs& inputs, CombinationSums& sums,
                               VectorCode code = VectorCode::best_supported);

// The variant that best_supported runs on this processor, for the program's version text.
const char* sweep_variant_name();

}  // namespace morvit
