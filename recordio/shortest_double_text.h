#pragma once

#include <string>

namespace morvit {

// The shortest text that reads back as exactly `value`, as std::to_chars(first, last, value)
// writes it: the fewest significant digits that round-trip (the nearest of them to the
// value), in fixed or scientific notation, whichever is shorter (fixed on a tie), a
// whole number in fixed notation with all its digits; "inf", "-inf", "nan", "-nan".
std::string shortest_double_text(double value);

// The same text made with snprintf and strtod alone, which shortest_double_text uses where
// the C++ library has no floating-point std::to_chars (the libc++ of emscripten 3.1.6, which
// builds the WebAssembly program). Both C libraries involved round correctly, both ways.
std::string shortest_double_text_by_printf(double value);

}  // namespace morvit
