#pragma once

#include <cstdint>

#include "driver/run_context.h"

namespace morvit {

// Denominator degrees of freedom: the running sum of the weights, its fraction dropped
// after every addition (three weights of 1.5 give 3, not 4).
std::int32_t denominator_df(const double* weights, int case_count);

// Four times the square of the measurement error factor, formed as (e * 4) * e.
double expected_msd(double measurement_error);

// The eleven lines of the run summary: counts, degrees of freedom and settings between rules.
void write_run_summary(RunContext& run, std::int32_t denominator_df, double expected_msd);

}  // namespace morvit
