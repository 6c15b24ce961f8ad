#include "recordio/shortest_double_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <version>

#include "recordio/double_bits.h"

// libc++ has a floating-point std::to_chars from LLVM 14 on.
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
#define MORVIT_FLOATING_TO_CHARS 0
#else
#define MORVIT_FLOATING_TO_CHARS 1
#endif

namespace morvit {
namespace {

// A decimal number d1.d2d3... * 10^exponent: its significant digits and the power of ten
// of the first.
struct Decimal {
  std::string digits;
  int exponent = 0;
};

// `magnitude` (finite, above 0) correctly rounded to `count` significant digits.
Decimal rounded(double magnitude, int count) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*e", count - 1, magnitude);
  Decimal decimal;
  const char* at = text;
  for (; *at != 'e'; ++at) {
    if (*at != '.') decimal.digits += *at;
  }
  decimal.exponent = std::atoi(at + 1);
  return decimal;
}

double value_of(const Decimal& decimal) {
  const std::string text =
      decimal.digits.substr(0, 1) + "." + decimal.digits.substr(1) + "e" + std::to_string(decimal.exponent);
  return std::strtod(text.c_str(), nullptr);
}

// The decimal of as many digits one unit of its last digit higher.
Decimal one_unit_up(Decimal decimal) {
  std::size_t at = decimal.digits.size();
  while (at > 0 && decimal.digits[at - 1] == '9') decimal.digits[--at] = '0';
  if (at == 0) {
    decimal.digits[0] = '1';  // 9.99 becomes 1.00 of the next power of ten
    ++decimal.exponent;
  } else {
    ++decimal.digits[at - 1];
  }
  return decimal;
}

Decimal without_trailing_zeros(Decimal decimal) {
  while (decimal.digits.size() > 1 && decimal.digits.back() == '0') decimal.digits.pop_back();
  return decimal;
}

// The fewest significant digits that read back as `magnitude` (finite, above 0), the nearest
// of them to it. Below 10^15 a double is exact to half a unit of the 15th digit, so when any
// decimal of at most 15 digits reads back as a normal number, it is the one rounded to 15
// digits: the search starts there, and from one digit for the subnormal numbers, whose
// spacing is wider. At 16 digits a power of two, whose neighbour below lies twice as near
// as its neighbour above, may read back from the decimal one unit above the rounded one.
// At 17 digits the rounded decimal always reads back.
Decimal shortest_decimal(double magnitude) {
  const bool subnormal = magnitude < std::numeric_limits<double>::min();
  const bool power_of_two = (double_bits(magnitude) & ((std::uint64_t{1} << 52) - 1)) == 0;
  for (int count = subnormal ? 1 : 15;; ++count) {
    const Decimal decimal = rounded(magnitude, count);
    if (count >= 17 || value_of(decimal) == magnitude) return without_trailing_zeros(decimal);
    if (count == 16 && power_of_two) {
      const Decimal above = one_unit_up(decimal);
      if (value_of(above) == magnitude) return without_trailing_zeros(above);
    }
  }
}

}  // namespace

std::string shortest_double_text_by_printf(double value) {
  std::string text = std::signbit(value) ? "-" : "";
  if (std::isnan(value)) return text.append("nan");
  if (std::isinf(value)) return text.append("inf");
  if (value == 0.0) return text.append("0");
  const double magnitude = std::fabs(value);
  const Decimal decimal = shortest_decimal(magnitude);
  const std::string& digits = decimal.digits;
  const int count = static_cast<int>(digits.size());
  const int exponent = decimal.exponent;

  // The lengths of both notations without the sign; fixed notation wins a tie.
  const int exponent_digits = exponent >= 100 || exponent <= -100 ? 3 : 2;
  const int scientific_length = count + (count > 1 ? 1 : 0) + 2 + exponent_digits;
  const int fixed_length = exponent >= count - 1 ? exponent + 1 : exponent >= 0 ? count + 1 : count + 1 - exponent;
  if (fixed_length <= scientific_length) {
    if (exponent >= count - 1) {
      // A whole number: all of its digits, as printf writes it.
      char whole[48];
      std::snprintf(whole, sizeof whole, "%.0f", magnitude);
      return text.append(whole);
    }
    if (exponent >= 0) {
      const auto point = static_cast<std::size_t>(exponent) + 1;
      return text.append(digits, 0, point).append(1, '.').append(digits, point);
    }
    return text.append("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits);
  }
  text.append(digits, 0, 1);
  if (count > 1) text.append(1, '.').append(digits, 1);
  const int power = exponent < 0 ? -exponent : exponent;
  text.append(exponent < 0 ? "e-" : "e+");
  if (power < 10) text.append(1, '0');
  return text.append(std::to_string(power));
}

std::string shortest_double_text(double value) {
#if MORVIT_FLOATING_TO_CHARS
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
#else
  return shortest_double_text_by_printf(value);
#endif
}

}  // namespace morvit
