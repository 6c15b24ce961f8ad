#include "recordio/field_editing.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "recordio/double_bits.h"

namespace morvit {
namespace {

void append_asterisks(std::string& out, int width) { out.append(static_cast<std::size_t>(width), '*'); }

// "%#.*f" of a finite magnitude >= 0 with at most four decimals, in integer arithmetic:
// the exact binary value times 10^decimals, rounded to the nearest integer with ties to
// even as the C library rounds, then split at the point. The value is M * 2^E (M below
// 2^53) and 10^d = 5^d * 2^d, so the scaled value is M * 5^d (below 2^63) times
// 2^(E + d). Returns the length written to `text`, or 0 when the scaled value does not
// fit in 64 bits (or the decimals are not 0 to 4); the caller then asks the C library.
int exact_fixed(double magnitude, int decimals, char* text, char* text_end) {
  constexpr std::uint64_t powers_of_five[] = {1, 5, 25, 125, 625};
  constexpr std::uint64_t powers_of_ten[] = {1, 10, 100, 1000, 10000};
  if (decimals < 0 || decimals > 4) return 0;
  const auto bits = double_bits(magnitude);
  const int biased_exponent = static_cast<int>(bits >> 52);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased_exponent >= 0x7ff) return 0;  // infinity, NaN or a negative value
  const std::uint64_t mantissa = biased_exponent == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
  const int exponent = (biased_exponent == 0 ? 1 : biased_exponent) - 1075 + decimals;

  const std::uint64_t scaled = mantissa * powers_of_five[decimals];
  std::uint64_t rounded = 0;
  if (exponent >= 0) {
    if (exponent > 63 || scaled > (~std::uint64_t{0} >> exponent)) return 0;
    rounded = scaled << exponent;
  } else if (exponent > -64) {
    const int shift = -exponent;
    const std::uint64_t remainder = scaled & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    rounded = scaled >> shift;
    if (remainder > half || (remainder == half && (rounded & 1) != 0)) ++rounded;
  }  // else below 2^-64 of a unit: rounds to 0

  const std::uint64_t unit = powers_of_ten[decimals];
  char* p = std::to_chars(text, text_end, rounded / unit).ptr;
  *p++ = '.';
  std::uint64_t fraction_digits = rounded % unit;
  for (int i = decimals - 1; i >= 0; --i) {
    p[i] = static_cast<char>('0' + fraction_digits % 10);
    fraction_digits /= 10;
  }
  return static_cast<int>(p + decimals - text);
}

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

  // The conversion of the C library, which also rounds to `decimals` digits, or the same
  // digits formed exactly in integers where they fit (most of the table's numbers).
  // The longest result (the largest double with the program's few decimals) fits easily.
  char text[400];
  int length = exact_fixed(magnitude, decimals, text, text + sizeof text);
  if (length == 0) length = std::snprintf(text, sizeof text, "%#.*f", decimals, magnitude);
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
