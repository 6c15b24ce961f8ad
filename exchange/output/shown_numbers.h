#pragma once

#include <string>

namespace morvit {

// Numbers as the page and the findings show them.

// As the report edits it (fixed point, `decimals` decimals, "inf" and "nan" for divisions
// by zero), without the report's field width.
std::string fixed_text(double value, int decimals);

// A value for the reader to edit: at most 6 decimals, as the report prints it, without
// trailing zeros ("0.05" for the single-precision MER 0.0500000007).
std::string short_decimal(double value);

// A critical MER: four decimals, rounded up, so that the row is compatible at the MER
// shown; "none" where no MER makes the row compatible (NaN).
std::string critical_mer_text(double critical_mer);

}  // namespace morvit
