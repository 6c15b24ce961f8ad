#include "recordio/number_text.h"

#include <cstdio>

#include "recordio/shortest_double_text.h"

namespace morvit {

std::string number_text(double value) { return shortest_double_text(value); }

std::string setting_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

}  // namespace morvit
