#include "exchange/output/csv_fields.h"

#include <cmath>

#include "driver/diagnostics.h"
#include "exchange/cell_text.h"
#include "recordio/number_text.h"

namespace morvit {

void write_csv_text(std::ostream& out, std::string_view text) {
  const bool needs_quotes = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                            (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!needs_quotes) {
    out << text;
    return;
  }
  out << '"';
  for (const char c : text) {
    if (c == '"') out << '"';
    out << c;
  }
  out << '"';
}

std::string csv_number(double value) {
  if (std::isnan(value)) return "";
  if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
  return number_text(value);
}

}  // namespace morvit
