#include "exchange/output/shown_numbers.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <tuple>

#include "exchange/output/base64_text.h"

namespace morvit {
namespace {

TEST(ShownNumbers, AsTheReaderEditsAndReadsThem) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  // The MER field and the findings' header: six decimals at most, no trailing zeros.
  for (const auto& [value, text] : {std::tuple{static_cast<double>(0.05F), "0.05"},
                                    std::tuple{1.0, "1"},
                                    std::tuple{0.0, "0"},
                                    std::tuple{0.1234567, "0.123457"},
                                    std::tuple{12.5, "12.5"}}) {
    EXPECT_EQ(short_decimal(value), text) << value;
  }
  // A critical MER: four decimals, rounded up, "none" where there is none.
  for (const auto& [value, text] : {std::tuple{0.28788533841087977, "0.2879"},
                                    std::tuple{0.1313, "0.1313"},
                                    std::tuple{0.03, "0.0300"},
                                    std::tuple{0.0, "0.0000"},
                                    std::tuple{nan, "none"}}) {
    EXPECT_EQ(critical_mer_text(value), text) << value;
  }
}

// The test vectors of RFC 4648: every length of the last group.
TEST(ShownNumbers, BytesAsBase64) {
  for (const auto& [bytes, text] : {std::tuple{"", ""},
                                    std::tuple{"f", "Zg=="},
                                    std::tuple{"fo", "Zm8="},
                                    std::tuple{"foo", "Zm9v"},
                                    std::tuple{"foob", "Zm9vYg=="},
                                    std::tuple{"fooba", "Zm9vYmE="},
                                    std::tuple{"foobar", "Zm9vYmFy"}}) {
    EXPECT_EQ(base64_text(bytes), text) << bytes;
  }
  EXPECT_EQ(base64_text(std::string("\xff\xfe\x00", 3)), "//4A");
}

}  // namespace
}  // namespace morvit
