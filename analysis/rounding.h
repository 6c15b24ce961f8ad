#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace morvit {

// The integer part of v (toward zero). Values beyond the 32-bit range saturate at its
// ends and a NaN gives 0, so that no weight, however absurd, makes the conversion undefined.
inline std::int32_t truncate_to_int32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

// Rounding to the nearest integer with halves away from zero: the integer part of
// v + 0.5 for v >= 0, of v - 0.5 otherwise. Used for every DF of the table.
inline std::int32_t nearest_int(double v) { return truncate_to_int32(v >= 0 ? v + 0.5 : v - 0.5); }

}  // namespace morvit
