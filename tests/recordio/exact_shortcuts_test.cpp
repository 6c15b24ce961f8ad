#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "recordio/command_file.h"
#include "recordio/decimal_conversion.h"
#include "recordio/field_editing.h"
#include "recordio/free_form_reader.h"

namespace morvit {
namespace {

// The numeric readers and the fixed-point editing take integer shortcuts where the result
// can be formed exactly. Each must give the bits (or characters) of the general route:
// strtod for reading, the C library's "%#.*f" for editing. Random values are aimed at the
// edges of the shortcuts: 15 and 16 digits, powers of ten around 10^22, halfway cases,
// scaled values around 2^63.

std::string random_decimal(std::mt19937_64& random) {
  const int integer_digits = static_cast<int>(random() % 6);
  const int fraction_digits = static_cast<int>(random() % 18);
  std::string text;
  if (random() % 4 == 0) text += random() % 2 == 0 ? '-' : '+';
  for (int i = 0; i < integer_digits; ++i) text += static_cast<char>('0' + random() % 10);
  if (fraction_digits > 0 || random() % 3 == 0) text += '.';
  for (int i = 0; i < fraction_digits; ++i) text += static_cast<char>('0' + random() % 10);
  if (text.find_first_of("0123456789") == std::string::npos) text += '5';
  return text;
}

TEST(ExactShortcuts, FreeFormNumbersReadAsStrtodReadsThem) {
  std::mt19937_64 random(20);
  std::vector<std::string> numbers;
  std::string text;
  const char* const separators[] = {" ", ",", "\n", "\r\n", "\t", "   "};
  for (int i = 0; i < 20000; ++i) {
    numbers.push_back(random_decimal(random));
    text += numbers.back() + separators[random() % 6];
  }
  text += "\n";
  // A large block (numbers read whole from the buffer) and a tiny one (numbers that cross
  // the end of the buffer, read by the general route).
  for (const std::size_t block : {CommandFile::default_block_size, std::size_t{7}}) {
    CommandFile file = CommandFile::from_text(text, block);
    FreeFormReader reader(file);
    int mismatches = 0;
    for (const std::string& number : numbers) {
      FreeFormReader::Item item{};
      double value = 0.0;
      ASSERT_EQ(reader.next(item, value), ReadStatus::ok) << number;
      ASSERT_EQ(item, FreeFormReader::Item::number) << number;
      const double expected = std::strtod(number.c_str(), nullptr);
      if (std::bit_cast<std::uint64_t>(value) != std::bit_cast<std::uint64_t>(expected) && ++mismatches <= 5) {
        ADD_FAILURE() << number << " read as " << value << " with blocks of " << block;
      }
    }
  }
}

TEST(ExactShortcuts, DecimalConversionMatchesStrtod) {
  std::mt19937_64 random(21);
  int mismatches = 0;
  for (int i = 0; i < 100000; ++i) {
    const int count = 1 + static_cast<int>(random() % 17);
    std::string digits;
    for (int k = 0; k < count; ++k) digits += static_cast<char>('0' + random() % 10);
    const long long exponent = static_cast<long long>(random() % 56) - 28;
    const bool negative = random() % 2 == 0;
    const double value = decimal_to_double(negative, digits, exponent);
    const std::string text = std::string(negative ? "-0." : "0.") + digits + "e" + std::to_string(exponent);
    const double expected = std::strtod(text.c_str(), nullptr);
    if (std::bit_cast<std::uint64_t>(value) != std::bit_cast<std::uint64_t>(expected) && ++mismatches <= 5) {
      ADD_FAILURE() << text;
    }
  }
}

// The editing as it was before the shortcut: the C library's digits, then the field rules.
std::string edited_by_the_c_library(double value, int width, int decimals) {
  bool negative = value < 0;
  char text[400];
  int length = std::snprintf(text, sizeof text, "%#.*f", decimals, std::fabs(value));
  if (negative && std::string(text, static_cast<std::size_t>(length)).find_first_not_of("0.") == std::string::npos) {
    negative = false;
  }
  const int needed = length + (negative ? 1 : 0);
  std::string out;
  const char* start = text;
  if (needed > width) {
    if (text[0] != '0' || needed - 1 != width) return std::string(static_cast<std::size_t>(width), '*');
    ++start;
    --length;
  } else {
    out.append(static_cast<std::size_t>(width - needed), ' ');
  }
  if (negative) out += '-';
  return out.append(start, static_cast<std::size_t>(length));
}

TEST(ExactShortcuts, FixedEditingMatchesTheCLibrary) {
  std::mt19937_64 random(22);
  std::vector<double> values = {0.0,
                                -0.0,
                                0.5,
                                1.5,
                                2.5,
                                0.00005,
                                0.00015,
                                0.125,
                                0.375,
                                9.99995,
                                1e15,
                                9.2e14,
                                2e15,
                                1e19,
                                5e-324,
                                HUGE_VAL,
                                -HUGE_VAL,
                                std::nan("")};
  for (int i = 0; i < 8000; ++i) {
    values.push_back(std::bit_cast<double>(random()));  // any bits
    values.push_back(std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 110) - 100));
    values.push_back(-std::ldexp(static_cast<double>(random() % 2000001), -static_cast<int>(random() % 24)));  // ties
    values.push_back(static_cast<double>(random() % 100000000) / 10000.0);
  }
  int mismatches = 0;
  for (const double value : values) {
    for (int decimals = 0; decimals <= 6; ++decimals) {
      for (const int width : {10, 12, 30}) {
        std::string out;
        edit_fixed(out, value, width, decimals);
        const std::string expected = edited_by_the_c_library(value, width, decimals);
        if (out != expected && ++mismatches <= 5) {
          ADD_FAILURE() << value << " F" << width << "." << decimals << ": [" << out << "] instead of [" << expected
                        << "]";
        }
      }
    }
  }
}

}  // namespace
}  // namespace morvit
