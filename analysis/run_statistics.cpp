#include "analysis/run_statistics.h"

#include "analysis/rounding.h"

namespace morvit {

std::int32_t denominator_df(const double* weights, int case_count) {
  std::int32_t df = 0;
  for (int i = 0; i < case_count; ++i) df = truncate_to_int32(static_cast<double>(df) + weights[i]);
  return df;
}

double expected_msd(double measurement_error) { return (measurement_error * 4.0) * measurement_error; }

}  // namespace morvit
