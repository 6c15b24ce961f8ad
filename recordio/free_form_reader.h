#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "recordio/command_file.h"
#include "recordio/read_status.h"

namespace morvit {

// One free-form read statement over the command file, starting at its current position.
//
// Values stand anywhere on the lines, separated by blanks (space, tab), commas or line ends:
//   number     optional sign, digits with an optional point ("5." and ".5" too), and an optional
//              exponent: E, e, D or d with an optional sign and digits, or a sign and digits
//              directly after the mantissa ("1.5+2" is 150). At most 40 significant digits are
//              used; an exponent above 99999999 is rejected.
//   r*value    the value for the next r targets; "r*" followed by a blank, comma, "/" or line
//              end gives r nulls
//   ,          an empty field between commas (or a comma at the start) is a null
//   /          ends the statement: this and every later target stay unchanged
// A number is ended by the first character that does not fit its syntax. That character is not
// examined then: if it cannot begin a value, the next target fails; after the last target it is
// skipped with the rest of the line.
class FreeFormReader {
 public:
  explicit FreeFormReader(CommandFile& in) : in_(in) {}

  enum class Item { number, null, quit };

  // Serves the next target. On ReadStatus::ok, item says what the target gets: a number (in
  // value), a null (target unchanged) or quit ("/" seen: this and every later target stay
  // unchanged; do not call next again).
  // end_of_file: the file ended before a value was found. read_failed: a field that is not a
  // number, a bad repeat count or exponent, or a failed read. A failure ends the statement; later
  // calls return it again.
  ReadStatus next(Item& item, double& value);

  // Ends the statement: skips the rest of the current line including its line end
  // (end_of_file if the file ends while skipping).
  ReadStatus finish();

  // Where the field that served the last target began; after read_failed, where the field
  // that could not be read began.
  FilePosition field_position() const { return in_.position_at(field_offset_); }
  // After read_failed for a malformed field: its first characters, as written.
  const std::string& failed_text() const { return failed_text_; }
  // The field that served the last target was a whole number followed directly by a comma
  // and a digit ("0,8"), as a decimal comma is written.
  bool before_decimal_comma() const { return decimal_comma_; }

 private:
  void note_failed_field(const char* stop, const char* limit);

  ReadStatus fail(ReadStatus status) {
    status_ = status;
    return status;
  }

  CommandFile& in_;
  ReadStatus status_ = ReadStatus::ok;  // first failure of the statement
  bool quit_ = false;
  std::uint64_t repeat_left_ = 0;  // targets that still take the current item, this one included
  Item current_item_ = Item::null;
  double current_value_ = 0.0;
  std::uint64_t field_offset_ = 0;  // where the last field began in the file
  std::string failed_text_;
  bool decimal_comma_ = false;
};

// Reads targets.size() values into consecutive targets (nulls and "/" leave targets unchanged)
// and finishes the statement. On a failure the targets already served keep their new values and
// the others their old ones.
ReadStatus free_form_read(CommandFile& in, std::span<double> targets);

}  // namespace morvit
