#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "system/platform.h"

namespace morvit {

// The text of the CSV file that the maker reads, and the file on disk it came from.
struct CsvSource {
  std::string text;
  // The file read, when it is a file on disk (standard input too, when it is one); nothing
  // for a pipe or a terminal.
  std::optional<platform::FileIdentity> file;
};

// Reads the CSV file `name` whole, "-" standard input, through the files in use. False, with
// the message on `err`, when it cannot be read.
bool read_csv_source(const std::string& name, CsvSource& source, std::ostream& err);

}  // namespace morvit
