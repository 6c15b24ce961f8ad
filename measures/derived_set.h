#pragma once

#include <cstddef>
#include <span>

namespace morvit {

// What one step of a derived set's formula does. The formula is kept in postfix order: each
// step takes its operands from the values the steps before it left.
enum class SetOperation {
  input,         // the membership in one of the sets the formula is made of
  negation,      // 1 - x
  intersection,  // the smaller of two memberships (and)
  set_union,     // the larger of two memberships (or)
};

struct SetStep {
  SetOperation operation = SetOperation::input;
  std::size_t input = 0;  // for SetOperation::input: which of the inputs
};

// The membership of one case in a set made of other sets: the steps applied in order to the
// case's memberships in those sets (`inputs[step.input]`). Each value is exactly the double
// the operation gives: the smaller or the larger input as it is, and the double nearest to
// 1 - x. The steps must form one whole formula (as the parser of --set makes them); at most
// `longest_set_formula` steps.
double derived_membership(std::span<const SetStep> steps, std::span<const double> inputs);

// A formula may hold at most this many steps: far more than any set a person writes.
inline constexpr std::size_t longest_set_formula = 512;

}  // namespace morvit
