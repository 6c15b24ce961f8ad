#include "exchange/cell_text.h"

#include <array>
#include <charconv>
#include <cmath>

#include "recordio/capitals.h"
#include "recordio/decimal_conversion.h"

namespace morvit {
namespace {

bool is_missing_mark(std::string_view text) {
  constexpr std::array<std::string_view, 5> marks{"NA", "N/A", "#N/A", "NAN", "."};
  for (const std::string_view mark : marks) {
    if (equals_in_capitals(text, mark)) return true;
  }
  return text.empty();
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string with_thousands(long count) {
  const std::string digits = std::to_string(count < 0 ? -count : count);
  std::string out = count < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

CellValue read_cell(std::string_view text, bool decimal_comma) {
  text = trimmed(text);
  if (is_missing_mark(text)) return {CellKind::missing, 0.0};
  const CellValue not_number{CellKind::not_number, 0.0};

  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Every significant digit is kept, however many: the value is the double nearest to the
  // whole decimal number, as R and pandas read it. The value is 0.digits * 10^point_exponent.
  std::string digits;
  long long point_exponent = 0;
  bool any_digit = false;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (is_digit(c)) {
      any_digit = true;
      if (digits.empty() && c == '0') {
        if (point) --point_exponent;  // a leading zero after the point lowers the power
        continue;
      }
      digits += c;
      if (!point) ++point_exponent;
    } else if ((c == '.' || (decimal_comma && c == ',')) && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return not_number;

  long long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool exponent_negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) exponent_negative = text[i++] == '-';
    if (i >= text.size() || !is_digit(text[i])) return not_number;
    for (; i < text.size() && is_digit(text[i]); ++i) {
      // Far beyond any double either way; the sum stays well inside a long long.
      if (exponent < 1000000000) exponent = exponent * 10 + (text[i] - '0');
    }
    if (exponent_negative) exponent = -exponent;
  }
  if (i != text.size()) return not_number;

  const double value = decimal_to_double(negative, digits, point_exponent + exponent);
  if (std::isinf(value)) return {CellKind::too_large, value};
  return {CellKind::number, value};
}

}  // namespace morvit
