#pragma once

#include <cstdint>
#include <span>

#include "recordio/record_sink.h"

namespace morvit {

// The no-association row and the total weight. These are single-precision accumulations:
// every partial sum is rounded to float before the next case is added.
struct Baseline {
  float total_weight = 0.0f;
  float outcome_mean = 0.0f;
  float baseline_ssd = 0.0f;
  float baseline_msd = 0.0f;  // baseline_ssd / total_weight, not / DF
  std::int32_t baseline_df = 0;
};

Baseline compute_baseline(std::span<const double> outcome, std::span<const double> weights);

// The NONE / NULL ASSOC row, followed by a blank line.
void write_baseline_row(RecordSink& report, const Baseline& baseline);

}  // namespace morvit
