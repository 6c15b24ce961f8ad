#include "recordio/field_editing.h"

#include <cmath>
#include <cstdio>

namespace morvit {
namespace {

void append_asterisks(std::string& out, int width) { out.append(static_cast<std::size_t>(width), '*'); }

}  // namespace

void edit_integer(std::string& out, std::int64_t value, int width, int min_digits) {
  const bool negative = value < 0;
  // Magnitude as unsigned, so that the most negative value has a magnitude too.
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);

  const int sign = negative ? 1 : 0;
  if (min_digits < 0) {
    const int spare = width - count - sign;
    if (spare < 0) return append_asterisks(out, width);
    out.append(static_cast<std::size_t>(spare), ' ');
  } else {
    if (count + sign > width || min_digits + sign > width) return append_asterisks(out, width);
    if (value == 0 && min_digits == 0) {
      out.append(static_cast<std::size_t>(width), ' ');
      return;
    }
    const int zeros = min_digits > count ? min_digits - count : 0;
    out.append(static_cast<std::size_t>(width - sign - zeros - count), ' ');
    if (negative) out.push_back('-');
    out.append(static_cast<std::size_t>(zeros), '0');
    for (int i = count - 1; i >= 0; --i) out.push_back(digits[i]);
    return;
  }
  if (negative) out.push_back('-');
  for (int i = count - 1; i >= 0; --i) out.push_back(digits[i]);
}

void edit_fixed(std::string& out, double value, int width, int decimals) {
  bool negative = value < 0;  // false for a negative zero and for NaN
  const double magnitude = std::fabs(value);

  // The conversion of the C library, which also rounds to `decimals` digits.
  // Its longest result (the largest double with the program's few decimals) fits easily.
  char text[400];
  int length = std::snprintf(text, sizeof text, "%#.*f", decimals, magnitude);
  if (length < 0 || length >= static_cast<int>(sizeof text)) return append_asterisks(out, width);

  if (negative) {
    bool all_zero = true;
    for (int i = 0; i < length; ++i) {
      if (text[i] != '0' && text[i] != '.') {
        all_zero = false;
        break;
      }
    }
    if (all_zero) negative = false;  // no minus sign in front of a value that rounds to zero
  }

  const int needed = length + (negative ? 1 : 0);
  const char* start = text;
  if (needed > width) {
    if (text[0] == '0' && needed - 1 == width) {
      ++start;  // drop the leading zero: the field is then filled exactly
      --length;
    } else {
      return append_asterisks(out, width);
    }
  } else {
    out.append(static_cast<std::size_t>(width - needed), ' ');
  }
  if (negative) out.push_back('-');
  out.append(start, static_cast<std::size_t>(length));
}

void edit_text(std::string& out, std::string_view item, int width) {
  if (width < 0) {
    out.append(item);
    return;
  }
  const auto w = static_cast<std::size_t>(width);
  if (w > item.size()) {
    out.append(w - item.size(), ' ');
    out.append(item);
  } else {
    out.append(item.substr(0, w));
  }
}

}  // namespace morvit
