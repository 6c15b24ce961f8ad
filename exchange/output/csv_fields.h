#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace morvit {

// A text field of a CSV file: as it is, or in double quotes (a quote doubled) when it holds
// a comma, a quote, a line end or blanks at either end. A text that begins with "=", "+",
// "-", "@", a tab or a carriage return, which a spreadsheet would take for a formula, gets an
// apostrophe in front, as the common guidance for CSV files has it; numbers are never
// written through here.
void write_csv_text(std::ostream& out, std::string_view text);

// A number for a CSV file that R's read.csv and pandas' read_csv read without options:
// the shortest text that reads back to the same double, "Inf" / "-Inf" for infinities, an
// empty field for NaN.
std::string csv_number(double value);

}  // namespace morvit
