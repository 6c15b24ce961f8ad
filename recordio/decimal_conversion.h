#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace morvit {

// The nearest double to (-1)^negative * 0.d1d2d3... (the significant digits) * 10^exponent10,
// correctly rounded (ties to even). Values beyond the double range give +-infinity, values below
// half the smallest subnormal give +-0, and no digits at all give +-0. The digits must be '0' to
// '9'; leading zeros are allowed. Any exponent is accepted.
double decimal_to_double(bool negative, std::string_view significant_digits, long long exponent10);

// At most this many decimal digits always form an integer that a double holds exactly.
inline constexpr std::size_t max_exact_digits = 15;

// Every power of ten up to 10^22 is a double exactly.
inline constexpr double exact_powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                                 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// integer / 10^decimals, correctly rounded, for an integer below 10^15 and 0 to 15
// decimals: both operands are exact, so the one division rounds correctly. This is the
// value decimal_to_double gives for the same digits.
inline double exact_decimal(std::uint64_t integer, int decimals) noexcept {
  return static_cast<double>(integer) / exact_powers_of_ten[decimals];
}

// Collects the mantissa digits of a decimal number as both numeric readers take them: leading
// zeros are dropped, at most 40 significant digits are kept, further digits before the point
// only raise the power of ten and further digits after it are ignored. The value is
// 0.digits() * 10^exponent().
class SignificantDigits {
 public:
  static constexpr int max_digits = 40;

  void add_integer_digit(char d) noexcept {
    if (count_ == 0 && d == '0') return;
    if (count_ < max_digits) {
      digits_[count_++] = d;
    } else {
      excess_ = true;
    }
    ++exponent_;
  }

  void add_fraction_digit(char d) noexcept {
    if (count_ == 0 && d == '0') {
      --exponent_;
    } else if (count_ < max_digits) {
      digits_[count_++] = d;
    }
  }

  // True when at least one non-zero digit was seen.
  bool any() const noexcept { return count_ > 0; }
  // True when integer digits beyond the 40 kept ones were seen.
  bool excess() const noexcept { return excess_; }
  std::string_view digits() const noexcept { return {digits_, static_cast<std::size_t>(count_)}; }
  long long exponent() const noexcept { return exponent_; }

  // The integer value of the kept digits (for whole numbers), saturated at the largest uint64.
  std::uint64_t saturated_integer() const noexcept;

 private:
  char digits_[max_digits] = {};
  int count_ = 0;
  bool excess_ = false;
  long long exponent_ = 0;
};

}  // namespace morvit
