#include "recordio/column_fields.h"

#include <algorithm>
#include <limits>

#include "recordio/decimal_conversion.h"

namespace morvit {

namespace {

constexpr long long max_exponent = 99999999;

// Only the blank counts for nothing in a numeric field; a tab is a character like any other.
bool is_blank(char c) { return c == ' '; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_sign(char c) { return c == '+' || c == '-'; }
bool is_exponent_letter(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

// The characters a numeric field covers: at most `width` of them, up to the record's end or the
// first comma, whichever comes first.
std::string_view numeric_field(std::string_view record, int width) {
  const std::size_t n = std::min(record.size(), static_cast<std::size_t>(std::max(width, 0)));
  const std::string_view field = record.substr(0, n);
  return field.substr(0, field.find(','));
}

// Walks a numeric field, passing over blanks.
class FieldScanner {
 public:
  explicit FieldScanner(std::string_view field) : field_(field) {}

  // The next character that is not a blank, not consumed; '\0' at the end of the field (a NUL
  // byte inside the field is also reported as a character no field allows).
  char peek() {
    while (i_ < field_.size() && is_blank(field_[i_])) ++i_;
    return i_ < field_.size() ? field_[i_] : '\0';
  }
  bool at_end() { return peek() == '\0' && i_ == field_.size(); }
  void skip() { ++i_; }
  // Where the scan stands: the index of the character that peek() shows.
  std::size_t index() {
    peek();
    return i_;
  }

 private:
  std::string_view field_;
  std::size_t i_ = 0;
};

// A field that cannot be read: where the reading stopped, for the caller's message.
std::nullopt_t stopped_at(FieldScanner& scan, std::size_t* stop) {
  if (stop != nullptr) *stop = scan.index();
  return std::nullopt;
}

}  // namespace

std::optional<double> read_real_field(std::string_view record, int width, std::size_t* stop) {
  FieldScanner scan(numeric_field(record, width));

  bool negative = false;
  if (is_sign(scan.peek())) {
    negative = scan.peek() == '-';
    scan.skip();
  }

  SignificantDigits mantissa;
  bool has_digits = false;
  while (is_digit(scan.peek())) {
    mantissa.add_integer_digit(scan.peek());
    has_digits = true;
    scan.skip();
  }
  if (scan.peek() == '.') {
    scan.skip();
    while (is_digit(scan.peek())) {
      mantissa.add_fraction_digit(scan.peek());
      has_digits = true;
      scan.skip();
    }
  }

  long long exponent = 0;
  bool exponent_negative = false;
  const char c = scan.peek();
  if (has_digits && (is_exponent_letter(c) || is_sign(c))) {
    if (is_exponent_letter(c)) scan.skip();
    if (is_sign(scan.peek())) {
      exponent_negative = scan.peek() == '-';
      scan.skip();
    }
    if (!is_digit(scan.peek())) return stopped_at(scan, stop);
    while (is_digit(scan.peek())) {
      if (exponent <= max_exponent) exponent = exponent * 10 + (scan.peek() - '0');
      scan.skip();
    }
    if (exponent > max_exponent && mantissa.any()) return stopped_at(scan, stop);
  }

  if (!scan.at_end()) return stopped_at(scan, stop);
  if (!mantissa.any()) return negative ? -0.0 : 0.0;
  return decimal_to_double(
      negative, mantissa.digits(), mantissa.exponent() + (exponent_negative ? -exponent : exponent));
}

std::optional<std::int32_t> read_integer_field(std::string_view record, int width, std::size_t* stop) {
  FieldScanner scan(numeric_field(record, width));

  bool negative = false;
  if (is_sign(scan.peek())) {
    negative = scan.peek() == '-';
    scan.skip();
  }
  long long magnitude = 0;
  constexpr long long limit = static_cast<long long>(std::numeric_limits<std::int32_t>::max()) + 1;
  while (is_digit(scan.peek())) {
    magnitude = magnitude * 10 + (scan.peek() - '0');
    if (magnitude > limit) return stopped_at(scan, stop);
    scan.skip();
  }
  if (!scan.at_end()) return stopped_at(scan, stop);
  const long long value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) return stopped_at(scan, stop);
  return static_cast<std::int32_t>(value);
}

std::string read_text_field(std::string_view record, int width, int target_length) {
  const auto w = static_cast<std::size_t>(std::max(width, 0));
  const auto n = static_cast<std::size_t>(std::max(target_length, 0));
  std::string target(n, ' ');
  // Of the w characters read, the last min(w, n) are stored at the start of the target.
  const std::size_t first = w > n ? w - n : 0;
  for (std::size_t i = first; i < std::min(w, record.size()); ++i) target[i - first] = record[i];
  return target;
}

}  // namespace morvit
