#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/case_names.h"
#include "exchange/input/maker_options.h"
#include "system/platform.h"

namespace morvit {

// A command file made from a CSV file, not yet written anywhere.
struct MadeCommandFile {
  std::string text;                     // the command file, LF line ends
  std::vector<std::string> case_names;  // in case order; empty without --cases
  int case_count = 0;
  int dropped = 0;                  // cases left out for a missing value (--drop-missing)
  std::uint64_t fingerprint = 0;    // of the data lines, for the side file of the case names
  std::vector<SideRecord> records;  // what the side file records besides the case names
  // The case names come from a first column without a name (R's row names), not from --cases.
  bool row_names = false;
  // The CSV file on disk it was made from (set by make_command_file, not make_from_csv).
  std::optional<platform::FileIdentity> source;
  static constexpr std::string_view row_names_column = "(row names)";
};

// A CSV file that cannot be turned into a command file; what() is the whole message in the
// program's form ("morvit: FILE:LINE:COLUMN: error: WHAT").
class ConversionRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Makes the command file from the text of a CSV file (`shown_name` is the file's name in
// messages and comments). Warnings (cases left out, names cut) go to `err`;
// anything that makes the conversion impossible throws ConversionRefused.
MadeCommandFile make_from_csv(std::string_view csv_text, const MakerOptions& options, const std::string& shown_name,
                              std::ostream& err);

enum class MakerOutcome { made, refused };

// `morvit --make-command-file ...`: reads the CSV file, makes the command file, writes it to
// standard output (`out`) or to the -o file, and beside a -o file on disk its side file, with
// the case names and the record of the CSV file (see write_made_command_file). A refused
// conversion writes no file. Messages go to `err`.
MakerOutcome make_command_file(MakerOptions options, std::ostream& out, std::ostream& err);

}  // namespace morvit
