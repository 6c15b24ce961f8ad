#pragma once

#include <cstdint>

#include "analysis/run_statistics.h"
#include "driver/run_context.h"

namespace morvit {

// The eleven lines of the run summary: counts, degrees of freedom and settings between rules.
void write_run_summary(RunContext& run, std::int32_t denominator_df, double expected_msd);

}  // namespace morvit
