#pragma once

#include <cstdint>

namespace morvit {

// The two constants a run derives at FIN, which the run summary shows and the table uses.

// Denominator degrees of freedom: the running sum of the weights, its fraction dropped
// after every addition (three weights of 1.5 give 3, not 4).
std::int32_t denominator_df(const double* weights, int case_count);

// Four times the square of the measurement error factor, formed as (e * 4) * e.
double expected_msd(double measurement_error);

}  // namespace morvit
