#pragma once

#include <span>
#include <string_view>

#include "limits/program_limits.h"

// The membership of a block (a factor, or a combination of factors named by its letters,
// "A", "ACE") and which side of the diagonal a case lies on: the one rule that the table,
// the measures beside it and the outputs all follow, for single values and for the lanes of
// a vector alike (analysis/vector_lanes.h).
//
// The membership is the smallest of the block's factors' values, taken in increasing order
// of the factors with a later value kept only when strictly smaller. A membership in
// z-scores of three factors or more is then rounded to single precision, as the table takes
// it; rounding is monotonic, so the smallest of the rounded values is the rounded smallest
// (only the sign of a zero can differ, which changes neither a comparison nor a square).
// A case lies above the diagonal when its outcome's value is strictly above the membership,
// below it when strictly below, and on it otherwise.

namespace morvit {

// The rule works on a double and on a vector of doubles alike. Vectors pass by reference
// and results come back through references: no function takes or returns a vector by value
// (vector_lanes.h).

// The running minimum: `next` replaces `kept` only when strictly smaller.
template <class T>
[[gnu::always_inline]] inline void keep_smaller(T& kept, const T& next) {
  kept = next < kept ? next : kept;
}

// Whether the membership in z-scores of a block of `factors` factors is rounded to single precision.
constexpr bool rounded_to_single(int factors) { return factors >= 3; }

// A value rounded to single precision, for one value and for the lanes of a vector.
[[gnu::always_inline]] inline double to_single(double value) { return static_cast<double>(static_cast<float>(value)); }
template <class Lanes>
[[gnu::always_inline]] inline void round_to_single(typename Lanes::Vec& value) {
  value = __builtin_convertvector(__builtin_convertvector(value, typename Lanes::Floats), typename Lanes::Vec);
}

// The sides of the diagonal: bools for one value, masks (-1 where true) for lanes.
template <class T, class Side>
[[gnu::always_inline]] inline void diagonal_sides(const T& outcome, const T& membership, Side& above, Side& below) {
  above = outcome > membership;
  below = outcome < membership;
}

// The membership of a block for one case from the columns of that case's values: values[0]
// is the outcome, values[j] factor j (A = 1); rounded to single precision for three factors
// or more when `rounded_from_three` (z-scores as the table takes them; memberships as read
// are the plain minimum). NaN for a label without a factor letter.
double block_membership(std::string_view block, std::span<const double> values, bool rounded_from_three);

// The factor numbers of a block label ("ACE": 1, 3, 5); letters outside A to J are passed over.
int block_factors(std::string_view block, int (&factors)[max_factors]);

}  // namespace morvit
