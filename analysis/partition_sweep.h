#pragma once

#include "analysis/combinations.h"
#include "analysis/fit_inputs.h"

namespace morvit {

// Which compiled variant of the sweep runs. Both give the same bits; the choice exists so
// that the tests can hold each of them to the plain accumulation.
enum class SweepCode {
  best_supported,  // AVX2 where an x86-64 processor has it, otherwise the baseline
  baseline,        // two lanes per vector: SSE2 on x86-64, NEON on arm64
};

// The partition sums of every single factor (size 1) and of every combination of two
// to six factors of the inputs' factors, stored by size and rank. Each sum is formed
// case by case in case order with the operations of add_case on the combination's
// membership, so the sums are those of the plain per-combination loop. Works in fixed
// storage of its own: one call at a time.
void accumulate_all_partitions(const FitInputs& inputs, CombinationSums& sums,
                               SweepCode code = SweepCode::best_supported);

// The variant that best_supported runs on this processor, for the program's version text.
const char* sweep_variant_name();

}  // namespace morvit
