#include "recordio/shortest_double_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace morvit {
namespace {

std::string library_text(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

double from_bits(std::uint64_t bits) {
  double value = 0.0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// The text made without to_chars is the C++ library's, byte for byte: on the edges (notation
// changes, whole numbers beyond 2^53 written in full, powers of two, subnormals, the limits
// of the integer arithmetic) and on random bit patterns, random short decimals of every
// magnitude and random doubles of the magnitudes that tables hold.
TEST(ShortestDoubleText, PortableIsTheLibrarysText) {
  std::vector<double> values = {0.0,
                                -0.0,
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN(),
                                -std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::max(),
                                std::numeric_limits<double>::min(),
                                std::numeric_limits<double>::denorm_min(),
                                0.1,
                                0.3,
                                1.0 / 3.0,
                                1e-5,
                                1e-4,
                                0.001,
                                123456.0,
                                1e5,
                                1e15,
                                1e16,
                                1e21,
                                1e22,
                                1e23,
                                9007199254740993.0,
                                123456789012345678.0,
                                1152921504606846976.0,
                                -1.6448536269514726,
                                9.817829392117588e-13,
                                0.28788533841087977,
                                5e-324,
                                2.2250738585072009e-308};
  for (int power = -1074; power <= 1023; ++power) {
    values.push_back(std::ldexp(1.0, power));
    values.push_back(std::nextafter(std::ldexp(1.0, power), 0.0));
    values.push_back(std::nextafter(std::ldexp(1.0, power), 2.0 * std::ldexp(1.0, power)));
  }
  std::mt19937_64 random(1959);
  std::uniform_real_distribution<double> unit(-30.0, 30.0);
  for (int i = 0; i < 1000000; ++i) values.push_back(std::pow(10.0, unit(random)) * (i % 2 == 0 ? 1.0 : -1.0));
  for (int i = 0; i < 200000; ++i) {
    const double value = from_bits(random());
    if (!std::isnan(value)) values.push_back(value);
  }
  std::uniform_int_distribution<int> digits(1, 17);
  std::uniform_int_distribution<int> exponent(-330, 310);
  for (int i = 0; i < 100000; ++i) {
    const std::string text = std::to_string(random() % 100000000000000000ULL)
                                 .substr(0, static_cast<std::size_t>(digits(random)))
                                 .append("e")
                                 .append(std::to_string(exponent(random)));
    values.push_back(std::strtod(text.c_str(), nullptr));
  }
  int differences = 0;
  for (const double value : values) {
    if (!std::isfinite(value)) continue;  // the program's own texts: below
#ifdef _WIN32
    // Beyond the integer arithmetic the portable text searches with the C library's snprintf
    // and strtod, which Windows' C library does not round correctly; the program uses
    // std::to_chars there, and the portable text only where the C library rounds correctly.
    if (value != 0.0 && (std::fabs(value) < 1e-20 || std::fabs(value) > 1e34)) continue;
#endif
    const std::string expected = library_text(value);
    const std::string actual = shortest_double_text_portable(value);
    if (actual != expected && ++differences <= 10) {
      ADD_FAILURE() << actual << " instead of " << expected;
    }
  }
  EXPECT_EQ(differences, 0);
}

// The values that are no number have the same texts with every C++ library (libc++ writes
// "-nan(ind)" for a negative NaN).
TEST(ShortestDoubleText, NoNumberTextsAreTheProgramsOwn) {
  const double infinity = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::pair<double, const char*> cases[] = {{infinity, "inf"}, {-infinity, "-inf"}, {nan, "nan"}, {-nan, "-nan"}};
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(shortest_double_text(value), text);
    EXPECT_EQ(shortest_double_text_portable(value), text);
  }
}

}  // namespace
}  // namespace morvit
