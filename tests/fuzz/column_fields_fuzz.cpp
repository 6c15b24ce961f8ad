// Fuzz target: the numeric and text column fields of a command line.
// The first byte chooses the field width; the rest is the record.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "recordio/column_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int width = data[0] % 90;
  const std::string_view record(reinterpret_cast<const char*>(data) + 1, size - 1);
  const auto real = morvit::read_real_field(record, width);
  if (real && std::isnan(*real)) std::abort();  // a field never reads as not-a-number
  const auto integer = morvit::read_integer_field(record, width);
  if (integer && width <= 8 && (*integer > 99999999 || *integer < -9999999)) std::abort();  // at most 8 columns
  const std::string text = morvit::read_text_field(record, width, 80);
  if (text.size() != 80) std::abort();
  return 0;
}
