#include "exchange/output/shown_numbers.h"

#include <cmath>
#include <cstdlib>

#include "exchange/cell_text.h"
#include "recordio/field_editing.h"

namespace morvit {

std::string fixed_text(double value, int decimals) {
  std::string text;
  edit_fixed(text, value, 40, decimals);
  return std::string(trimmed(text));
}

std::string short_decimal(double value) {
  std::string text = fixed_text(value, 6);
  if (text.find('.') == std::string::npos || !std::isfinite(value)) return text;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

std::string critical_mer_text(double critical_mer) {
  if (std::isnan(critical_mer)) return "none";
  std::string text = fixed_text(critical_mer, 4);
  // The nearest four decimals lie below the value: the next ones up.
  if (std::isfinite(critical_mer) && std::strtod(text.c_str(), nullptr) < critical_mer) {
    text = fixed_text(std::strtod(text.c_str(), nullptr) + 0.0001, 4);
  }
  return text;
}

}  // namespace morvit
