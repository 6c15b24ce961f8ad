#include "recordio/shortest_double_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
  char digits[24] = {};
  int count = 0;
  int exponent = 0;
};

void drop_trailing_zeros(Decimal& decimal) {
  while (decimal.count > 1 && decimal.digits[decimal.count - 1] == '0') --decimal.count;
}

// The parts of a finite double above 0: value = mantissa * 2^exponent, with the mantissa
// below 2^53, and whether the neighbour below lies nearer than the neighbour above (the
// value is a power of two with a normal number below it).
struct BinaryParts {
  std::uint64_t mantissa = 0;
  int exponent = 0;
  bool nearer_below = false;
};

BinaryParts binary_parts(double magnitude) {
  const std::uint64_t bits = double_bits(magnitude);
  const auto biased = static_cast<int>(bits >> 52);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased == 0) return {fraction, -1074, false};
  return {fraction | (std::uint64_t{1} << 52), biased - 1075, fraction == 0 && biased > 1};
}

#if defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 Wide;

// The binary exponents whose numbers fit in 128 bits below (see shortest_by_integers).
constexpr int lowest_exponent = -121;
constexpr int highest_exponent = 64;

// The shortest decimal that reads back as `parts`, the nearest to it of those, by exact
// integer arithmetic (the free-format digit generation of Steele and White, and of Burger
// and Dybvig). The value is R / S, and the decimals that read back as it are those within
// M- below and M+ above it (each bound included when the mantissa is even, as the reader
// rounds ties to even). All four are scaled by 4, so that half and a quarter of the
// spacing are whole. S grows by ten until the highest such decimal lies below it; then
// each digit is the quotient of R * 10 by S, and the digits stop as soon as the digits so
// far, or those with the last one raised by one, lie within the bounds: the nearer of
// the two to the value, the even one on a tie. With binary exponents from -121 to 64, S * 10
// and R * 10 stay below 2^128.
Decimal shortest_by_integers(const BinaryParts& parts) {
  Wide r = 0;
  Wide s = 0;
  Wide above = 0;
  Wide below = 0;
  if (parts.exponent >= 0) {
    r = static_cast<Wide>(parts.mantissa) << (parts.exponent + 2);
    s = 4;
    above = static_cast<Wide>(2) << parts.exponent;
    below = parts.nearer_below ? static_cast<Wide>(1) << parts.exponent : above;
  } else {
    r = static_cast<Wide>(parts.mantissa) << 2;
    s = static_cast<Wide>(1) << (2 - parts.exponent);
    above = 2;
    below = parts.nearer_below ? 1 : 2;
  }
  const bool bounds_included = parts.mantissa % 2 == 0;
  const auto reaches_next = [&](Wide rest) { return bounds_included ? rest + above >= s : rest + above > s; };
  // Times ten in shifts: a multiplication of 128-bit numbers is a call of its own in
  // WebAssembly.
  const auto ten_times = [](Wide value) { return (value << 3) + (value << 1); };
  int power = 0;  // the first digit stands for 10^(power - 1)
  while (reaches_next(r)) {
    s = ten_times(s);
    ++power;
  }
  Decimal decimal;
  int leading_zeros = 0;
  for (;;) {
    r = ten_times(r);
    above = ten_times(above);
    below = ten_times(below);
    int digit = 0;
    while (r >= s) {
      r -= s;
      ++digit;
    }
    const bool low_enough = bounds_included ? r <= below : r < below;
    const bool high_enough = reaches_next(r);
    if (low_enough && high_enough) {
      const Wide twice = r << 1;
      if (twice > s || (twice == s && digit % 2 == 1)) ++digit;
    } else if (high_enough) {
      ++digit;
    }
    if (decimal.count == 0 && digit == 0 && !(low_enough || high_enough)) {
      ++leading_zeros;
      continue;
    }
    decimal.digits[decimal.count++] = static_cast<char>('0' + digit);
    if (low_enough || high_enough) break;
  }
  decimal.exponent = power - 1 - leading_zeros;
  // A last digit raised to ten carries into the digits before it.
  for (int at = decimal.count - 1; at > 0 && decimal.digits[at] > '9'; --at) {
    decimal.digits[at] = '0';
    ++decimal.digits[at - 1];
  }
  if (decimal.digits[0] > '9') {
    decimal.digits[0] = '1';
    ++decimal.exponent;
  }
  drop_trailing_zeros(decimal);
  return decimal;
}

// The whole number mantissa * 2^exponent (exponent 0 to 64) in decimal digits.
std::string whole_number_digits(const BinaryParts& parts) {
  Wide value = static_cast<Wide>(parts.mantissa) << parts.exponent;
  char text[48];
  int at = sizeof text;
  do {
    text[--at] = static_cast<char>('0' + static_cast<int>(value % 10));
    value /= 10;
  } while (value != 0);
  return std::string(text + at, text + sizeof text);
}
#endif

// The search by the C library, for the binary exponents beyond the integer arithmetic:
// `magnitude` correctly rounded to `count` significant digits, and read back.
Decimal rounded(double magnitude, int count) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*e", count - 1, magnitude);
  Decimal decimal;
  const char* at = text;
  for (; *at != 'e'; ++at) {
    if (*at != '.') decimal.digits[decimal.count++] = *at;
  }
  decimal.exponent = std::atoi(at + 1);
  return decimal;
}

double value_of(const Decimal& decimal) {
  char text[48];
  std::snprintf(
      text, sizeof text, "%c.%.*se%d", decimal.digits[0], decimal.count - 1, decimal.digits + 1, decimal.exponent);
  return std::strtod(text, nullptr);
}

// The decimal of as many digits one unit of its last digit higher.
Decimal one_unit_up(Decimal decimal) {
  int at = decimal.count;
  while (at > 0 && decimal.digits[at - 1] == '9') decimal.digits[--at] = '0';
  if (at == 0) {
    decimal.digits[0] = '1';  // 9.99 becomes 1.00 of the next power of ten
    ++decimal.exponent;
  } else {
    ++decimal.digits[at - 1];
  }
  return decimal;
}

// Below 10^15 a double is exact to half a unit of the 15th digit, so when any decimal of at
// most 15 digits reads back as a normal number, it is the one rounded to 15 digits: the
// search starts there, and from one digit for the subnormal numbers, whose spacing is
// wider. At 16 digits a power of two, whose neighbour below lies twice as near as its
// neighbour above, may read back from the decimal one unit above the rounded one. At 17
// digits the rounded decimal always reads back.
Decimal shortest_by_search(double magnitude, const BinaryParts& parts) {
  const bool subnormal = magnitude < std::numeric_limits<double>::min();
  for (int count = subnormal ? 1 : 15;; ++count) {
    Decimal decimal = rounded(magnitude, count);
    if (count == 16 && value_of(decimal) != magnitude && parts.nearer_below) decimal = one_unit_up(decimal);
    if (count >= 17 || value_of(decimal) == magnitude) {
      drop_trailing_zeros(decimal);
      return decimal;
    }
  }
}

}  // namespace

std::string shortest_double_text_portable(double value) {
  std::string text = std::signbit(value) ? "-" : "";
  if (std::isnan(value)) return text.append("nan");
  if (std::isinf(value)) return text.append("inf");
  if (value == 0.0) return text.append("0");
  const double magnitude = std::fabs(value);
  const BinaryParts parts = binary_parts(magnitude);
#if defined(__SIZEOF_INT128__)
  const bool by_integers = parts.exponent >= lowest_exponent && parts.exponent <= highest_exponent;
  const Decimal decimal = by_integers ? shortest_by_integers(parts) : shortest_by_search(magnitude, parts);
#else
  const Decimal decimal = shortest_by_search(magnitude, parts);
#endif
  const std::string_view digits(decimal.digits, static_cast<std::size_t>(decimal.count));
  const int count = decimal.count;
  const int exponent = decimal.exponent;

  // The lengths of both notations without the sign; fixed notation wins a tie.
  const int exponent_digits = exponent >= 100 || exponent <= -100 ? 3 : 2;
  const int scientific_length = count + (count > 1 ? 1 : 0) + 2 + exponent_digits;
  const int fixed_length = exponent >= count - 1 ? exponent + 1 : exponent >= 0 ? count + 1 : count + 1 - exponent;
  if (fixed_length <= scientific_length) {
    if (exponent >= count - 1) {
      // A whole number: all of its digits, which beyond 2^53 need not be the shortest
      // digits followed by zeros.
      if (magnitude < 9007199254740992.0) {
        return text.append(digits).append(static_cast<std::size_t>(exponent + 1 - count), '0');
      }
#if defined(__SIZEOF_INT128__)
      if (parts.exponent <= highest_exponent) return text.append(whole_number_digits(parts));
#endif
      char whole[48];
      std::snprintf(whole, sizeof whole, "%.0f", magnitude);
      return text.append(whole);
    }
    if (exponent >= 0) {
      const auto point = static_cast<std::size_t>(exponent) + 1;
      return text.append(digits.substr(0, point)).append(1, '.').append(digits.substr(point));
    }
    return text.append("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits);
  }
  text.append(digits.substr(0, 1));
  if (count > 1) text.append(1, '.').append(digits.substr(1));
  const int power = exponent < 0 ? -exponent : exponent;
  text.append(exponent < 0 ? "e-" : "e+");
  if (power < 10) text.append(1, '0');
  return text.append(std::to_string(power));
}

std::string shortest_double_text(double value) {
#if MORVIT_FLOATING_TO_CHARS
  // Not every library writes "nan" alike (libc++ writes "-nan(ind)"): the texts of the
  // values that are no number are this program's own.
  if (!std::isfinite(value)) return shortest_double_text_portable(value);
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
#else
  return shortest_double_text_portable(value);
#endif
}

}  // namespace morvit
