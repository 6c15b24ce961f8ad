#include "recordio/format.h"

#include <cctype>
#include <stdexcept>

namespace morvit {
namespace {

class FormatParser {
 public:
  explicit FormatParser(std::string_view text) : text_(text) {}

  std::vector<FormatOp> parse() {
    skip_blanks();
    expect('(');
    std::vector<FormatOp> ops = parse_list();
    expect(')');
    skip_blanks();
    if (pos_ != text_.size()) fail("text after the closing parenthesis");
    return ops;
  }

 private:
  // Items separated by commas (a slash also separates), up to the closing parenthesis.
  std::vector<FormatOp> parse_list() {
    std::vector<FormatOp> ops;
    for (;;) {
      skip_blanks();
      if (peek() == ')') return ops;
      if (peek() == ',') {
        ++pos_;
        continue;
      }
      parse_item(ops);
    }
  }

  void parse_item(std::vector<FormatOp>& ops) {
    if (peek() == '/') {
      ++pos_;
      ops.emplace_back(FormatOp::Kind::new_record);
      return;
    }
    if (peek() == '\'' || peek() == '"') {
      ops.emplace_back(FormatOp::Kind::literal, 0, -1, quoted_literal());
      return;
    }
    int count = 1;
    bool has_count = false;
    if (is_digit(peek())) {
      count = number();
      has_count = true;
      skip_blanks();
    }
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(peek())));
    if (c == '(') {
      ++pos_;
      std::vector<FormatOp> group = parse_list();
      expect(')');
      for (int i = 0; i < count; ++i) ops.insert(ops.end(), group.begin(), group.end());
      return;
    }
    ++pos_;
    switch (c) {
      case 'X': ops.emplace_back(FormatOp::Kind::move, has_count ? count : 1); return;
      case 'H': {
        if (!has_count || pos_ + static_cast<std::size_t>(count) > text_.size()) fail("bad H literal");
        ops.emplace_back(FormatOp::Kind::literal, 0, -1, std::string(text_.substr(pos_, count)));
        pos_ += static_cast<std::size_t>(count);
        return;
      }
      case 'A': {
        FormatOp op(FormatOp::Kind::text_item, -1);
        if (is_digit(peek())) op.width = number();
        repeat(ops, op, count);
        return;
      }
      case 'I': {
        FormatOp op(FormatOp::Kind::integer, required_number());
        if (peek() == '.') {
          ++pos_;
          op.digits = required_number();
        }
        repeat(ops, op, count);
        return;
      }
      case 'F': {
        FormatOp op(FormatOp::Kind::fixed, required_number());
        expect('.');
        op.digits = required_number();
        repeat(ops, op, count);
        return;
      }
      default: fail("unsupported edit descriptor");
    }
  }

  static void repeat(std::vector<FormatOp>& ops, const FormatOp& op, int count) {
    for (int i = 0; i < count; ++i) ops.push_back(op);
  }

  std::string quoted_literal() {
    const char delimiter = text_[pos_++];
    std::string out;
    for (;;) {
      if (pos_ >= text_.size()) fail("unterminated literal");
      const char c = text_[pos_++];
      if (c == delimiter) {
        if (pos_ < text_.size() && text_[pos_] == delimiter) {
          out.push_back(delimiter);  // a doubled delimiter stands for one
          ++pos_;
          continue;
        }
        return out;
      }
      out.push_back(c);
    }
  }

  static bool is_digit(char c) { return c >= '0' && c <= '9'; }
  char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  void skip_blanks() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }
  void expect(char c) {
    skip_blanks();
    if (peek() != c) fail(std::string("expected '") + c + "'");
    ++pos_;
  }
  int number() {
    int value = 0;
    while (is_digit(peek())) {
      value = value * 10 + (text_[pos_++] - '0');
      if (value > 100000) fail("number too large");
    }
    return value;
  }
  int required_number() {
    if (!is_digit(peek())) fail("expected a width");
    return number();
  }
  [[noreturn]] void fail(const std::string& why) const {
    throw std::invalid_argument("malformed format " + std::string(text_) + ": " + why);
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

Format::Format(std::string_view source) : ops_(FormatParser(source).parse()) {}

}  // namespace morvit
