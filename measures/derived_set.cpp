#include "measures/derived_set.h"

#include <algorithm>
#include <array>

namespace morvit {

double derived_membership(std::span<const SetStep> steps, std::span<const double> inputs) {
  // Every step leaves at most one value more than it found, so the steps bound the depth.
  std::array<double, longest_set_formula> stack{};
  std::size_t top = 0;
  for (const SetStep& step : steps) {
    switch (step.operation) {
      case SetOperation::input: stack[top++] = inputs[step.input]; break;
      case SetOperation::negation: stack[top - 1] = 1.0 - stack[top - 1]; break;
      case SetOperation::intersection:
        --top;
        stack[top - 1] = std::min(stack[top - 1], stack[top]);
        break;
      case SetOperation::set_union:
        --top;
        stack[top - 1] = std::max(stack[top - 1], stack[top]);
        break;
    }
  }
  return stack[0];
}

}  // namespace morvit
