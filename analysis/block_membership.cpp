#include "analysis/block_membership.h"

#include <limits>

namespace morvit {

int block_factors(std::string_view block, int (&factors)[max_factors]) {
  int count = 0;
  for (const char letter : block) {
    if (factor_of_letter(letter) == 0 || count == max_factors) continue;
    factors[count++] = factor_of_letter(letter);
  }
  return count;
}

double block_membership(std::string_view block, std::span<const double> values, bool rounded_from_three) {
  int factors[max_factors];
  const int count = block_factors(block, factors);
  if (count == 0) return std::numeric_limits<double>::quiet_NaN();
  double smallest = values[static_cast<std::size_t>(factors[0])];
  for (int k = 1; k < count; ++k) keep_smaller(smallest, values[static_cast<std::size_t>(factors[k])]);
  return rounded_from_three && rounded_to_single(count) ? to_single(smallest) : smallest;
}

}  // namespace morvit
