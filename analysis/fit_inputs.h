#pragma once

#include <array>
#include <cstdint>

#include "limits/program_limits.h"

namespace morvit {

// What the fit analysis reads: the z-scores (column 0 the outcome, column j factor j,
// each column contiguous over the cases), the case weights and the two constants that
// the run summary derived.
struct FitInputs {
  int case_count = 0;    // N, 0 to 100,000
  int factor_count = 0;  // K, 0 to 10
  std::array<const double*, max_columns> z{};
  const double* wght = nullptr;
  double expected_msd = 0.0;
  std::int32_t denominator_df = 0;
};

}  // namespace morvit
