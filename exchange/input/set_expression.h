#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "measures/derived_set.h"

namespace morvit {

// The expression of --set NAME=EXPRESSION, a set made of other sets:
//   ~X     the negation, 1 - x
//   X*Y    and, the smaller membership
//   X+Y    or, the larger membership
//   (...)  grouping
// ~ binds tightest, then *, then +, as in Boolean algebra: ~A*B+C is ((~A)*B)+C. The names
// are those of columns or of other sets, with the blanks around them dropped ("GDP per head"
// is one name); a name holding one of ~ * + ( ) " is written in double quotes, a quote in it
// doubled.

// A name as the expression uses it, and where: the 1-based position of its first character
// in the expression, counted in characters.
struct SetOperand {
  std::string name;
  std::size_t position = 0;
};

// The formula of an expression: its steps in postfix order, the input of each input step
// an index into `operands`, one operand for each use of a name (in the order written).
struct SetFormula {
  std::vector<SetStep> steps;
  std::vector<SetOperand> operands;
};

// What is wrong with an expression, and where (as SetOperand::position; one past the last
// character for its end).
class SetExpressionError : public std::runtime_error {
 public:
  SetExpressionError(std::size_t position, const std::string& what) : std::runtime_error(what), position_(position) {}
  std::size_t position() const { return position_; }

 private:
  std::size_t position_;
};

// Reads an expression; an empty operand, an operator or parenthesis out of place, a
// parenthesis not closed or closing nothing, a quote not closed throw SetExpressionError.
SetFormula parse_set_expression(std::string_view text);

// A formula written as an expression again, with `names[i]` for the input i: operators
// without blanks around * and with blanks around +, parentheses only where they are needed,
// names in quotes where they must be ("~(A+B)*C").
std::string set_expression_text(const std::vector<SetStep>& steps, const std::vector<std::string>& names);

}  // namespace morvit
