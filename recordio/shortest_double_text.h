#pragma once

#include <string>

namespace morvit {

// The shortest text that reads back as exactly `value`, as std::to_chars(first, last, value)
// writes it: the fewest significant digits that round-trip (the nearest of them to the
// value), in fixed or scientific notation, whichever is shorter (fixed on a tie), a
// whole number in fixed notation with all its digits; "inf", "-inf", "nan", "-nan".
std::string shortest_double_text(double value);

// The same text made without std::to_chars, which shortest_double_text uses where the C++
// library has no floating-point to_chars (the libc++ of emscripten 3.1.6, which builds the
// WebAssembly program): by exact integer arithmetic, and for the numbers beyond it (below
// about 2e-21 or above about 1e35) by a search with snprintf and strtod, which both round
// correctly.
std::string shortest_double_text_portable(double value);

}  // namespace morvit
