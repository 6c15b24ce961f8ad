#include "exchange/output/csv_fields.h"

#include <cmath>

#include "driver/diagnostics.h"
#include "exchange/cell_text.h"
#include "recordio/number_text.h"

namespace morvit {

void write_csv_text(std::ostream& out, std::string_view text) {
  // A spreadsheet takes a cell that begins with one of these for a formula: an apostrophe in
  // front makes it text again.
  const bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
  const std::string_view shown_start = formula ? "'" : "";
  const bool needs_quotes = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                            (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!needs_quotes) {
    out << shown_start << text;
    return;
  }
  out << '"' << shown_start;
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
