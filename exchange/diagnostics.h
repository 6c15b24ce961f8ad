#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "driver/diagnostics.h"

namespace morvit {

// Where a message points: a file, and within it a line and a column (both 1-based; 0 when
// the message is about the file as a whole).
struct Place {
  std::string file;
  long line = 0;
  long column = 0;
};


// One message in the program's form on standard error:
//   morvit: FILE:LINE:COLUMN: error: WHAT
//   morvit: FILE: warning: WHAT          (no line)
//   morvit: error: WHAT                  (no file)
std::string diagnostic(const Place& place, Severity severity, std::string_view what);

// Writes diagnostic(...) and a line end to `err`.
void report(std::ostream& err, const Place& place, Severity severity, std::string_view what);


}  // namespace morvit
