#include "exchange/input/set_expression.h"

#include <utility>

namespace morvit {
namespace {

bool is_operator(char c) { return c == '~' || c == '*' || c == '+' || c == '(' || c == ')' || c == '"'; }
bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Operators that bind more tightly have the higher precedence; a name or a negation binds
// tightest of all.
constexpr int union_precedence = 1;
constexpr int intersection_precedence = 2;
constexpr int operand_precedence = 3;

class ExpressionReader {
 public:
  explicit ExpressionReader(std::string_view text) : text_(text) {}

  SetFormula read() {
    skip_blanks();
    if (at_end()) throw SetExpressionError(1, "the expression is empty");
    read_union();
    skip_blanks();
    if (!at_end()) {
      if (text_[at_] == ')')
        throw SetExpressionError(
            position(), "the parenthesis at position " + std::to_string(position()) + " closes none that was opened");
      throw SetExpressionError(position(), "an operator (* or +) is missing before " + shown_here());
    }
    return std::move(formula_);
  }

 private:
  bool at_end() const { return at_ >= text_.size(); }
  void skip_blanks() {
    while (!at_end() && is_blank(text_[at_])) ++at_;
  }
  // The 1-based position of byte `at` in characters.
  std::size_t position(std::size_t at) const {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < at && i < text_.size(); ++i) {
      if ((static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80) ++characters;
    }
    return characters + 1;
  }
  std::size_t position() const { return position(at_); }
  // The character at the reading place, for messages: "\"*\" at position 3".
  std::string shown_here() const {
    std::size_t end = at_ + 1;
    while (end < text_.size() && (static_cast<unsigned char>(text_[end]) & 0xC0) == 0x80) ++end;
    return "\"" + std::string(text_.substr(at_, end - at_)) + "\" at position " + std::to_string(position());
  }

  void add(SetOperation operation, std::size_t input = 0) {
    if (formula_.steps.size() == longest_set_formula) {
      throw SetExpressionError(position(),
                               "the expression is too long: a set takes at most " +
                                   std::to_string(longest_set_formula) + " names and operators");
    }
    formula_.steps.push_back({operation, input});
  }

  void read_union() {
    read_intersection();
    for (skip_blanks(); !at_end() && text_[at_] == '+'; skip_blanks()) {
      ++at_;
      read_intersection();
      add(SetOperation::set_union);
    }
  }

  void read_intersection() {
    read_operand();
    for (skip_blanks(); !at_end() && text_[at_] == '*'; skip_blanks()) {
      ++at_;
      read_operand();
      add(SetOperation::intersection);
    }
  }

  // A name, a negation or an expression in parentheses.
  void read_operand() {
    skip_blanks();
    if (at_end()) {
      throw SetExpressionError(
          position(), "the expression ends where a name is expected (position " + std::to_string(position()) + ")");
    }
    const char c = text_[at_];
    if (c == '~') {
      ++at_;
      read_operand();
      add(SetOperation::negation);
    } else if (c == '(') {
      const std::size_t opened = position();
      ++at_;
      read_union();
      skip_blanks();
      if (at_end() || text_[at_] != ')') {
        if (!at_end() && text_[at_] != ')') {
          throw SetExpressionError(position(), "an operator (* or +) is missing before " + shown_here());
        }
        throw SetExpressionError(opened,
                                 "the parenthesis opened at position " + std::to_string(opened) + " is not closed");
      }
      ++at_;
    } else if (c == '"') {
      read_quoted_name();
    } else if (c == '*' || c == '+' || c == ')') {
      throw SetExpressionError(position(), "a name is missing before " + shown_here());
    } else {
      read_name();
    }
  }

  void read_name() {
    const std::size_t start = at_;
    while (!at_end() && !is_operator(text_[at_])) ++at_;
    std::size_t end = at_;
    while (end > start && is_blank(text_[end - 1])) --end;
    add_operand(std::string(text_.substr(start, end - start)), position(start));
  }

  void read_quoted_name() {
    const std::size_t opened = position();
    std::string name;
    for (++at_;; ++at_) {
      if (at_end())
        throw SetExpressionError(
            opened, "the quoted name that begins at position " + std::to_string(opened) + " is not closed");
      if (text_[at_] == '"') {
        if (at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
          name += '"';
          ++at_;
          continue;
        }
        ++at_;
        break;
      }
      name += text_[at_];
    }
    if (name.empty())
      throw SetExpressionError(opened, "the quoted name at position " + std::to_string(opened) + " is empty");
    add_operand(std::move(name), opened);
  }

  void add_operand(std::string name, std::size_t at) {
    add(SetOperation::input, formula_.operands.size());
    formula_.operands.push_back({std::move(name), at});
  }

  std::string_view text_;
  std::size_t at_ = 0;
  SetFormula formula_;
};

std::string name_text(const std::string& name) {
  bool quote = name.empty() || is_blank(name.front()) || is_blank(name.back());
  for (const char c : name) quote = quote || is_operator(c);
  if (!quote) return name;
  std::string text = "\"";
  for (const char c : name) text += c == '"' ? std::string("\"\"") : std::string(1, c);
  return text + "\"";
}

}  // namespace

SetFormula parse_set_expression(std::string_view text) { return ExpressionReader(text).read(); }

std::string set_expression_text(const std::vector<SetStep>& steps, const std::vector<std::string>& names) {
  struct Part {
    std::string text;
    int precedence;
  };
  // A part as an operand of an operator that binds with `at_least`: in parentheses when it
  // binds less tightly.
  const auto append = [](std::string& out, const Part& part, int at_least) {
    const bool enclose = part.precedence < at_least;
    if (enclose) out += '(';
    out += part.text;
    if (enclose) out += ')';
  };
  std::vector<Part> parts;
  for (const SetStep& step : steps) {
    if (step.operation == SetOperation::input) {
      parts.push_back({name_text(names[step.input]), operand_precedence});
      continue;
    }
    std::string text;
    int precedence = operand_precedence;
    if (step.operation == SetOperation::negation) {
      text = "~";
      append(text, parts.back(), operand_precedence);
    } else {
      const bool intersection = step.operation == SetOperation::intersection;
      precedence = intersection ? intersection_precedence : union_precedence;
      const Part right = std::move(parts.back());
      parts.pop_back();
      append(text, parts.back(), precedence);
      text += intersection ? "*" : " + ";
      // The right operand of an operator of the same kind keeps its parentheses, so that the
      // text reads back to the same steps.
      append(text, right, precedence + 1);
    }
    parts.back() = {std::move(text), precedence};
  }
  return parts.empty() ? std::string() : parts.back().text;
}

}  // namespace morvit
