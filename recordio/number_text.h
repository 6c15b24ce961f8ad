#pragma once

#include <string>

namespace morvit {

// A number as messages and the files beside the report show it: the shortest form that
// reads back to the same double.
std::string number_text(double value);

// A setting as a message shows it: six significant digits, as the report prints it
// (0.01 for the single-precision default damping factor).
std::string setting_text(double value);

}  // namespace morvit
