#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace morvit {

// Case names travel beside a command file, never in it: in a side file whose name is the
// command file's name with ".cases" added (study.cmd -> study.cmd.cases), one name a line
// in case order, UTF-8, no header. An empty line is a case without a name.

// The side file that belongs to a command file.
std::string case_names_file(const std::string& command_file);

// One name a line; a line end inside a name becomes a blank.
void write_case_names(std::ostream& out, const std::vector<std::string>& names);

// The names of a side file; nothing when the file does not exist or cannot be read. CR LF
// line ends and a UTF-8 byte-order mark are accepted.
std::optional<std::vector<std::string>> read_case_names(const std::string& path);

}  // namespace morvit
