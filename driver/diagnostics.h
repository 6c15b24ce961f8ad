#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "recordio/command_file.h"

namespace morvit {

class RunListener;

enum class Severity { error, warning };

// Where a message points: a file, and within it a line and a column (both 1-based; 0 when
// the message is about the file as a whole, or the whole line).
struct Place {
  std::string file;
  std::uint64_t line = 0;
  std::uint64_t column = 0;
};

// One message in the program's form, without its line end:
//   morvit: FILE:LINE:COLUMN: error: WHAT
//   morvit: FILE: warning: WHAT          (line 0: about the file as a whole)
//   morvit: error: WHAT                  (no file)
std::string diagnostic(const Place& place, Severity severity, std::string_view what);

// Writes diagnostic(...) and a line end to `err`: for messages outside a run's count (usage,
// outputs that cannot be written, the maker's messages).
void report(std::ostream& err, const Place& place, Severity severity, std::string_view what);

// Mistakes that still give a table, each told on standard error at most a few times a run.
enum class WarningKind {
  membership_outside_unit,  // a membership below 0 or above 1
  decimal_comma,            // "0,8" in the data
  argument_columns,         // a MER, DAM or DAT argument outside the columns that are read
  damping_after_data,       // DAM with no DAT after it
  zero_measurement_error,   // MER 0: every F infinite
  empty_data_matrix,        // DAT with no cases
  negative_weight,          // a weight below 0
  command_file_created,     // the command file did not exist and was created empty
  comment_before_column_8,  // COM text that starts before column 8 and is not echoed whole
  case_names_not_taken,     // a side file of case names that does not fit the run's cases
  name_cut,                 // a --names name longer than a comment line has room for, cut
  run_without_table,        // outputs asked for by a run that ended without a table
};
inline constexpr std::size_t warning_kinds = 12;

// The located messages of a run on standard error, in the form that editors and build tools
// recognise: "morvit: FILE:LINE:COLUMN: error: WHAT" (and "warning:"). The report itself
// never changes for them: its ++ERROR messages are written as before, and its warning count
// stays 0.
class Diagnostics {
 public:
  static constexpr int shown_per_kind = 3;

  Diagnostics() = default;
  // Every warning shown is passed on to `listener` too, when one is given. Messages go to
  // standard error, or to `err` when one is given.
  Diagnostics(std::string file, bool quiet, RunListener* listener = nullptr, std::ostream* err = nullptr)
      : file_(std::move(file)), quiet_(quiet), listener_(listener), err_(err) {}

  // "FILE:LINE:COLUMN", the place of a message.
  std::string place(FilePosition where) const;

  void error(FilePosition where, std::string_view what);
  void warning(WarningKind kind, FilePosition where, std::string_view what);
  // A warning about another file than the command file (`place.file`, which may be empty).
  void warning(WarningKind kind, const Place& place, std::string_view what);
  // A warning about the run as a whole: "morvit: warning: WHAT".
  void notice(WarningKind kind, std::string_view what);

  // One line for each kind of warning with more than shown_per_kind occurrences: how many
  // more there were.
  void report_hidden_warnings();

  // The warnings shown (none with --quiet), and the warnings met, shown or not.
  int warnings() const { return warnings_; }
  int warnings_met() const { return met_; }

 private:
  // Counts a warning of `kind` and shows it unless quiet or shown often enough already.
  void count_and_show(WarningKind kind, const Place& place, std::string_view what);
  void show_warning(const std::string& line);
  void write(const std::string& line);

  std::string file_;
  bool quiet_ = false;
  RunListener* listener_ = nullptr;
  std::ostream* err_ = nullptr;
  int warnings_ = 0;
  int met_ = 0;
  std::array<int, warning_kinds> per_kind_{};
};

// A text from the command file as a message quotes it: in double quotes, control
// characters shown as escapes (see printable), cut after at most 60 bytes, never within a
// character, with "...".
std::string quoted_text(std::string_view text);

// A text as it may reach a terminal: every control character (NUL, BEL, CR, ESC, DEL, line
// ends too) shown as an escape ("\x1b", "\0", "\r"), so that no name in a message can move
// the cursor, retitle the window or cut the line; a backslash stays as it is.
std::string printable(std::string_view text);

}  // namespace morvit
