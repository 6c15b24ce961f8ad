#pragma once

#include <string>
#include <string_view>

namespace morvit {

enum class OpenPurpose {
  command_file,  // read only is enough when the file may not be written
  report_file,   // must be writable
};

// The name of an 80-character name field: trailing blanks dropped, leading blanks kept.
std::string file_name_of(std::string_view field);

// Opens an existing file for reading and writing without truncating it, positioned at its
// start, or creates it empty when it does not exist. A command file that may be read but
// not written is opened for reading only. Directories, empty names and files that cannot be
// opened give -1. The descriptor is the caller's to close.
int open_for_update(std::string_view name, OpenPurpose purpose);

}  // namespace morvit
