#pragma once

#include <cstdint>

namespace morvit {

// The run settings that the commands set and the later stages read.
struct Settings {
  // Initial values are the single-precision constants 0.05 and 0.01 widened to double.
  double measurement_error = static_cast<double>(0.05f);
  double damping_factor = static_cast<double>(0.01f);
  // Both counts are 0 until a DAT line sets them, so a run that reaches FIN without data
  // gets an empty table rather than undefined counts.
  std::int32_t case_count = 0;
  std::int32_t factor_count = 0;
  bool data_loaded = false;
};

}  // namespace morvit
