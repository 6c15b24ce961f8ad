#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace morvit {

// Where a message points: a file, and within it a line and a column (both 1-based; 0 when
// the message is about the file as a whole).
struct Place {
  std::string file;
  long line = 0;
  long column = 0;
};

enum class Severity { error, warning };

// One message in the program's form on standard error:
//   morvit: FILE:LINE:COLUMN: error: WHAT
//   morvit: FILE: warning: WHAT          (no line)
//   morvit: error: WHAT                  (no file)
std::string diagnostic(const Place& place, Severity severity, std::string_view what);

// Writes diagnostic(...) and a line end to `err`.
void report(std::ostream& err, const Place& place, Severity severity, std::string_view what);

// A text quoted for a message: in double quotes, control characters shown as blanks, cut
// after 60 characters with "...".
std::string in_quotes(std::string_view text);

}  // namespace morvit
