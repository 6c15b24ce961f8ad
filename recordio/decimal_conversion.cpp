#include "recordio/decimal_conversion.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <string>
#include <system_error>
#include <version>

namespace morvit {

namespace {

// With a first digit that is not zero, 0.d1d2... * 10^e lies in [10^(e-1), 10^e): every e above
// this bound overflows and every e below its negation rounds to zero, so clamping the exponent
// to it changes no result and keeps the text short.
constexpr long long exponent_clamp = 1000;

constexpr std::size_t inline_digits = 64;

constexpr long long max_exact_power = 22;

// The text has no decimal point, so the locale plays no part in strtod.
double convert(const char* first, const char* last) {
#if defined(__cpp_lib_to_chars)
  double value = 0.0;
  const auto result = std::from_chars(first, last, value);
  if (result.ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone when the correctly rounded result is zero or infinite;
    // strtod delivers that result.
    value = std::strtod(std::string(first, last).c_str(), nullptr);
  }
  return value;
#else
  // A C++ library without from_chars for floating point (libc++ before LLVM 20, as on
  // macOS): strtod, which the C libraries of Linux and macOS round correctly too.
  return std::strtod(std::string(first, last).c_str(), nullptr);
#endif
}

// The digits as an integer; exact for at most max_exact_digits of them.
double exact_integer(std::string_view digits) noexcept {
  std::uint64_t value = 0;
  for (const char d : digits) value = value * 10 + static_cast<std::uint64_t>(d - '0');
  return static_cast<double>(value);
}

}  // namespace

double decimal_to_double(bool negative, std::string_view significant_digits, long long exponent10) {
  std::string_view digits = significant_digits;
  const std::size_t first_nonzero = digits.find_first_not_of('0');
  if (first_nonzero == std::string_view::npos) return negative ? -0.0 : 0.0;
  // Each leading zero removed lowers the power of ten of 0.ddd by one.
  const auto leading = static_cast<long long>(first_nonzero);
  exponent10 = exponent10 < std::numeric_limits<long long>::min() + leading ? std::numeric_limits<long long>::min()
                                                                            : exponent10 - leading;
  digits.remove_prefix(first_nonzero);
  digits = digits.substr(0, digits.find_last_not_of('0') + 1);  // trailing zeros change nothing

  exponent10 = std::clamp(exponent10, -exponent_clamp, exponent_clamp);
  // 0.d1...dn * 10^e == d1...dn * 10^(e - n)
  const long long scale = exponent10 - static_cast<long long>(digits.size());

  // Up to 15 digits the integer d1...dn is a double exactly, and so is 10^|scale| up to
  // 10^22: one multiplication or division of the two is then the correctly rounded value.
  if (digits.size() <= max_exact_digits && scale >= -max_exact_power && scale <= max_exact_power) {
    double value = exact_integer(digits);
    value = scale < 0 ? value / exact_powers_of_ten[-scale] : value * exact_powers_of_ten[scale];
    return negative ? -value : value;
  }

  const std::size_t needed = digits.size() + 24;  // "-", "e" and the exponent
  char inline_text[inline_digits + 24];
  std::string heap_text;
  char* text = inline_text;
  if (digits.size() > inline_digits) {
    heap_text.resize(needed);
    text = heap_text.data();
  }
  char* out = text;
  if (negative) *out++ = '-';
  out = std::copy(digits.begin(), digits.end(), out);
  *out++ = 'e';
  out = std::to_chars(out, text + needed, scale).ptr;
  return convert(text, out);
}

std::uint64_t SignificantDigits::saturated_integer() const noexcept {
  constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
  if (count_ == 0) return 0;
  if (excess_ || exponent_ > 20) return max;
  std::uint64_t value = 0;
  for (long long i = 0; i < exponent_; ++i) {
    const std::uint64_t d = i < count_ ? static_cast<std::uint64_t>(digits_[i] - '0') : 0;
    if (value > (max - d) / 10) return max;
    value = value * 10 + d;
  }
  return value;
}

}  // namespace morvit
