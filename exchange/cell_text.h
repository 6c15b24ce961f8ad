#pragma once

#include <string>
#include <string_view>

#include "recordio/capitals.h"

namespace morvit {

// What a CSV cell holds.
enum class CellKind {
  number,
  missing,     // empty, NA, N/A, #N/A, NaN or "."
  not_number,  // anything else that is not a decimal number
  too_large,   // a number beyond the range of a double
};

struct CellValue {
  CellKind kind = CellKind::missing;
  double value = 0.0;
};

// The value of a cell as statistics packages and spreadsheets write numbers: blanks
// around it, an optional sign, digits with at most one decimal mark ('.', and ',' as well
// when `decimal_comma`), an optional exponent (E or e, a sign, digits). The value is the
// double nearest to the decimal number with all its digits, as R and pandas read it (the
// command-file reader keeps 40 significant digits; CSV numbers of fewer agree with it).
CellValue read_cell(std::string_view text, bool decimal_comma);

// A count with commas between groups of three digits: 100,000.
std::string with_thousands(long count);

// `text` without blanks and tabs at either end.
std::string_view trimmed(std::string_view text);

}  // namespace morvit
