#include "exchange/input/set_expression.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// The expressions of --set: what they compute, how they are written back, and where a
// faulty one goes wrong.
namespace morvit {
namespace {

// The membership an expression gives, its operands looked up by name in `memberships`.
double evaluated(const SetFormula& formula, const std::vector<std::pair<std::string, double>>& memberships) {
  std::vector<double> inputs;
  for (const SetOperand& operand : formula.operands) {
    const auto found = std::find_if(
        memberships.begin(), memberships.end(), [&](const auto& named) { return named.first == operand.name; });
    inputs.push_back(found == memberships.end() ? -1.0 : found->second);
  }
  return derived_membership(formula.steps, inputs);
}

TEST(SetExpression, BindsLikeBooleanAlgebraAndIsWrittenBackWhole) {
  const std::vector<std::pair<std::string, double>> m = {
      {"H", 0.3}, {"G", 0.8}, {"P", 0.6}, {"GDP per head", 0.1}, {"a+b", 0.45}, {"say \"x\"", 0.7}};
  struct Case {
    const char* text;
    double value;
    const char* written;
  };
  const Case cases[] = {
      {"H+G", 0.8, "H + G"},
      {"H*G", 0.3, "H*G"},
      {"~H", 1.0 - 0.3, "~H"},
      {"~~H", 1.0 - (1.0 - 0.3), "~~H"},
      // ~ binds tightest, then *, then +.
      {"~H*G+P", std::max(std::min(1.0 - 0.3, 0.8), 0.6), "~H*G + P"},
      {"P+H*G", std::max(0.6, std::min(0.3, 0.8)), "P + H*G"},
      {"~(H+G)*P", std::min(1.0 - 0.8, 0.6), "~(H + G)*P"},
      {"(H+G)*P", std::min(0.8, 0.6), "(H + G)*P"},
      {" ( ( H ) ) ", 0.3, "H"},
      {"H+(G+P)", 0.8, "H + (G + P)"},
      {"H*(G*P)", 0.3, "H*(G*P)"},
      // Blanks inside a name belong to it; quotes hold operators and doubled quotes.
      {"GDP per head + H", 0.3, "GDP per head + H"},
      {"\"a+b\"*~H", 0.45, "\"a+b\"*~H"},
      {"\"say \"\"x\"\"\"", 0.7, "\"say \"\"x\"\"\""},
  };
  for (const Case& c : cases) {
    const SetFormula formula = parse_set_expression(c.text);
    EXPECT_EQ(evaluated(formula, m), c.value) << c.text;
    std::vector<std::string> names;
    for (const SetOperand& operand : formula.operands) names.push_back(operand.name);
    const std::string written = set_expression_text(formula.steps, names);
    EXPECT_EQ(written, c.written) << c.text;
    // What is written reads back to the same formula.
    const SetFormula again = parse_set_expression(written);
    EXPECT_EQ(again.steps.size(), formula.steps.size()) << c.text;
    EXPECT_EQ(evaluated(again, m), c.value) << c.text;
  }
  const SetFormula placed = parse_set_expression("Ö + (H*G)");
  ASSERT_EQ(placed.operands.size(), 3U);
  EXPECT_EQ(placed.operands[1].position, 6U);  // counted in characters, Ö one of them
}

TEST(SetExpression, RefusesWithThePlace) {
  struct Case {
    const char* text;
    std::size_t position;
    const char* message;
  };
  const Case cases[] = {
      {"", 1, "the expression is empty"},
      {"  ", 1, "the expression is empty"},
      {"H+", 3, "the expression ends where a name is expected (position 3)"},
      {"~", 2, "the expression ends where a name is expected (position 2)"},
      {"*H", 1, "a name is missing before \"*\" at position 1"},
      {"H**G", 3, "a name is missing before \"*\" at position 3"},
      {"H+()", 4, "a name is missing before \")\" at position 4"},
      {"H+(G", 3, "the parenthesis opened at position 3 is not closed"},
      {"((H)", 1, "the parenthesis opened at position 1 is not closed"},
      {"H)", 2, "the parenthesis at position 2 closes none that was opened"},
      {"(H))+G", 4, "the parenthesis at position 4 closes none that was opened"},
      {"H (G)", 3, "an operator (* or +) is missing before \"(\" at position 3"},
      {"Ö~H", 2, "an operator (* or +) is missing before \"~\" at position 2"},
      {"(H G\"x\")", 5, "an operator (* or +) is missing before \"\"\" at position 5"},
      {"H+\"G", 3, "the quoted name that begins at position 3 is not closed"},
      {"\"\"", 1, "the quoted name at position 1 is empty"},
  };
  for (const Case& c : cases) {
    try {
      parse_set_expression(c.text);
      ADD_FAILURE() << c.text << " was read";
    } catch (const SetExpressionError& error) {
      EXPECT_EQ(error.position(), c.position) << c.text;
      EXPECT_STREQ(error.what(), c.message) << c.text;
    }
  }
  std::string long_one = "H";
  for (std::size_t i = 0; i < longest_set_formula; ++i) long_one += "+H";
  EXPECT_THROW(parse_set_expression(long_one), SetExpressionError);
}

}  // namespace
}  // namespace morvit
